// Windows Sockets start and clean-up: nothing in the program uses sockets.
#include "platform/user/Sockets.h"

#include <cstring>

int WSAStartup(WORD version, LPWSADATA data) {
  if (data) {
    std::memset(data, 0, sizeof *data);
    data->wVersion = version;
    data->wHighVersion = 0x0202;
  }
  return 0;
}

int WSACleanup() { return 0; }
