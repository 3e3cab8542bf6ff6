#include "platform/SystemMemory.h"

#include <gtest/gtest.h>

TEST(SystemMemory, FillsAConsistentStatusAndRefusesAWrongLength) {
  MEMORYSTATUSEX m{};
  EXPECT_FALSE(GlobalMemoryStatusEx(&m)) << "dwLength not set";
  EXPECT_FALSE(GlobalMemoryStatusEx(nullptr));
  m.dwLength = sizeof m;
  ASSERT_TRUE(GlobalMemoryStatusEx(&m));
  EXPECT_GT(m.ullTotalPhys, uint64_t(64) << 20);
  EXPECT_GT(m.ullAvailPhys, 0u);
  EXPECT_LE(m.ullAvailPhys, m.ullTotalPhys);
  EXPECT_LE(m.dwMemoryLoad, 100u);
  EXPECT_GE(m.ullTotalPageFile, m.ullTotalPhys);
  EXPECT_GE(m.ullAvailPageFile, m.ullAvailPhys);
}
