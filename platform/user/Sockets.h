// Windows Sockets start and clean-up: nothing uses sockets, so both succeed
// without doing anything.
#pragma once
#include "platform/WinTypes.h"

struct WSADATA {
  WORD wVersion;
  WORD wHighVersion;
  unsigned short iMaxSockets;
  unsigned short iMaxUdpDg;
  char* lpVendorInfo;
  char szDescription[257];
  char szSystemStatus[129];
};
using LPWSADATA = WSADATA*;

int WSAStartup(WORD version, LPWSADATA data);
int WSACleanup();
