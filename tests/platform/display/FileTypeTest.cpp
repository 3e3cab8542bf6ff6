// Registering the document type under HKEY_CLASSES_ROOT on a desktop also
// registers it with the desktop, in the user's XDG data folder.
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/resources/Resources.h"
#include "tests/platform/display/DisplayFixture.h"

namespace displaytest {
namespace {

namespace fs = std::filesystem;

using FileTypeTest = DisplayTest;

std::string readFile(const fs::path& p) {
  std::ifstream in(p);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

void setDefault(const char16_t* key, const std::u16string& value) {
  HKEY k;
  ASSERT_EQ(RegCreateKeyW(HKEY_CLASSES_ROOT, key, &k), ERROR_SUCCESS);
  ASSERT_EQ(RegSetValueW(k, u"", REG_SZ, value.c_str(), 0), ERROR_SUCCESS);
  RegCloseKey(k);
}

TEST_F(FileTypeTest, TheRegistrationWritesAnEntryAMimeTypeAndTheIcon) {
  fs::path home = fs::temp_directory_path() / ("display-xdg-" + std::to_string(getpid()));
  fs::remove_all(home);
  fs::create_directories(home);
  setenv("XDG_DATA_HOME", (home / "data").c_str(), 1);
  setenv("XDG_CONFIG_HOME", (home / "config").c_str(), 1);
  setenv("MORVEL_REGISTRY_FILE", (home / "registry").c_str(), 1);
  platform::resources::Icon icon{107, 2, 2, {0xFF0000FF, 0xFF00FF00, 0x00000000, 0xFFFF0000}};
  platform::resources::addTable(platform::resources::Table{{}, {}, {}, {}, {icon}});
  // What the start-up writes, in its order.
  const std::u16string program = u"/opt/my apps/morvel";
  setDefault(u".mvt", u"Morvel.mvd.1.5");
  setDefault(u"Morvel.mvd.1.5", u"Morvel表格文件");
  setDefault(u"Morvel.mvd.1.5\\DefaultIcon", program + u",0");
  setDefault(u"Morvel.mvd.1.5\\Shell", u"Open");
  setDefault(u"Morvel.mvd.1.5\\Shell\\Open\\Command", program + u" \"%1\"");

  std::string entry = readFile(home / "data/applications/morvel.desktop");
  EXPECT_NE(entry.find("Exec=\"/opt/my apps/morvel\" %f\n"), std::string::npos) << entry;
  EXPECT_NE(entry.find("MimeType=application/x-morvel-mvt;\n"), std::string::npos);
  EXPECT_NE(entry.find("Comment[zh_CN]=Morvel表格文件\n"), std::string::npos);
  EXPECT_NE(entry.find("Icon=morvel\n"), std::string::npos);
  std::string mime = readFile(home / "data/mime/packages/morvel-mvt.xml");
  EXPECT_NE(mime.find("<glob pattern=\"*.mvt\"/>"), std::string::npos) << mime;
  EXPECT_NE(mime.find("type=\"application/x-morvel-mvt\""), std::string::npos);
  EXPECT_TRUE(fs::exists(home / "data/icons/hicolor/2x2/apps/morvel.png"));
  unsetenv("MORVEL_REGISTRY_FILE");
  unsetenv("XDG_DATA_HOME");
  unsetenv("XDG_CONFIG_HOME");
  fs::remove_all(home);
}

}  // namespace
}  // namespace displaytest
