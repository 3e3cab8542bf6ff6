// Headless runs have no desktop, even where a display is present, and write
// nothing into the user's desktop folders.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "platform/testdriver/Driver.h"
#include "platform/user/Desktop.h"
#include "platform/user/User.h"

namespace {

namespace fs = std::filesystem;

TEST(HeadlessDesktop, NoDesktopIsPickedAndNoFileTypeIsInstalled) {
  testdriver::reset();
  fs::path home = fs::temp_directory_path() / ("headless-xdg-" + std::to_string(getpid()));
  fs::remove_all(home);
  setenv("XDG_DATA_HOME", home.c_str(), 1);
  setenv("MORVEL_REGISTRY_FILE", (home.string() + "-registry").c_str(), 1);
  EXPECT_EQ(platform::desktop(true), nullptr);
  HKEY k;
  ASSERT_EQ(RegCreateKeyW(HKEY_CLASSES_ROOT, u".mvt", &k), ERROR_SUCCESS);
  RegSetValueW(k, u"", REG_SZ, u"Morvel.mvd.1.5", 0);
  RegCloseKey(k);
  ASSERT_EQ(RegCreateKeyW(HKEY_CLASSES_ROOT, u"Morvel.mvd.1.5\\Shell\\Open\\Command", &k), ERROR_SUCCESS);
  RegSetValueW(k, u"", REG_SZ, u"/opt/morvel \"%1\"", 0);
  RegCloseKey(k);
  EXPECT_FALSE(fs::exists(home));
  unsetenv("XDG_DATA_HOME");
  unsetenv("MORVEL_REGISTRY_FILE");
  fs::remove(home.string() + "-registry");
}

}  // namespace
