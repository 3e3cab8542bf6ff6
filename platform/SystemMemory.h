// The memory of the machine, under the window system's name for the query.
#pragma once
#include "platform/WinTypes.h"

using DWORDLONG = uint64_t;

// What GlobalMemoryStatusEx fills; dwLength must be set to the structure's size first.
struct MEMORYSTATUSEX {
  DWORD dwLength;
  DWORD dwMemoryLoad;          // percent of physical memory in use
  DWORDLONG ullTotalPhys;      // bytes of physical memory
  DWORDLONG ullAvailPhys;      // bytes that can be had now without swapping
  DWORDLONG ullTotalPageFile;  // the commit limit: physical memory and swap
  DWORDLONG ullAvailPageFile;
  DWORDLONG ullTotalVirtual;  // the process's address space
  DWORDLONG ullAvailVirtual;
  DWORDLONG ullAvailExtendedVirtual;  // always 0
};
using LPMEMORYSTATUSEX = MEMORYSTATUSEX*;

// Fills `status`; FALSE when it is null or its dwLength is not sizeof(MEMORYSTATUSEX).
BOOL GlobalMemoryStatusEx(LPMEMORYSTATUSEX status);
