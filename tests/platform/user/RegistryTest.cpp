// The file-backed registry store with the calls of the document-type
// registration.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "platform/user/Registry.h"
#include "tests/support/Scratch.h"

namespace {

class RegistryTest : public ::testing::Test {
 protected:
  void SetUp() override { use("first"); }
  void TearDown() override { unsetenv("MORVEL_REGISTRY_FILE"); }
  void use(const std::string& name) {
    file = scratch.native(name) + "/registry";
    setenv("MORVEL_REGISTRY_FILE", file.c_str(), 1);
  }
  static std::u16string defaultValue(HKEY root, const char16_t* sub) {
    WCHAR buf[260];
    LONG bytes = sizeof buf;
    if (RegQueryValueW(root, sub, buf, &bytes) != ERROR_SUCCESS) return u"<none>";
    return std::u16string(buf);
  }
  static void setDefault(const char16_t* sub, const std::u16string& value) {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyW(HKEY_CLASSES_ROOT, sub, &key), ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueW(key, u"", REG_SZ, value.c_str(), 0), ERROR_SUCCESS);
    RegCloseKey(key);
  }
  testsupport::ScratchDir scratch;
  std::string file;
};

}  // namespace

TEST_F(RegistryTest, DocumentTypeRegistrationRoundTrip) {
  HKEY key = nullptr;
  EXPECT_EQ(RegOpenKeyW(HKEY_CLASSES_ROOT, u".mvt", &key), ERROR_FILE_NOT_FOUND);
  const std::u16string program = u"/opt/morvel/morvel";
  setDefault(u".mvt", u"Morvel.mvd.1.5");
  setDefault(u"Morvel.mvd.1.5", u"Morvel表格文件");
  setDefault(u"Morvel.mvd.1.5\\DefaultIcon", program + u",0");
  setDefault(u"Morvel.mvd.1.5\\Shell", u"Open");
  setDefault(u"Morvel.mvd.1.5\\Shell\\Open\\Command", program + u" \"%1\"");

  use("elsewhere");  // another file: nothing there
  EXPECT_EQ(defaultValue(HKEY_CLASSES_ROOT, u".mvt"), u"<none>");
  use("first");  // read back from the file written before
  ASSERT_EQ(RegOpenKeyW(HKEY_CLASSES_ROOT, u".MVT", &key), ERROR_SUCCESS);  // names ignore case
  WCHAR buf[260];
  LONG bytes = 520;
  ASSERT_EQ(RegQueryValueW(key, nullptr, buf, &bytes), ERROR_SUCCESS);
  EXPECT_EQ(std::u16string(buf), u"Morvel.mvd.1.5");
  EXPECT_EQ(bytes, 30);  // 14 units and the NUL
  EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);
  EXPECT_EQ(defaultValue(HKEY_CLASSES_ROOT, u"Morvel.mvd.1.5"), u"Morvel表格文件");
  EXPECT_EQ(defaultValue(HKEY_CLASSES_ROOT, u"morvel.mvd.1.5\\shell\\open\\command"), program + u" \"%1\"");
  EXPECT_EQ(defaultValue(HKEY_CLASSES_ROOT, u"Morvel.mvd.1.5\\Shell\\Open"), u"");  // made on the way, no value
}

TEST_F(RegistryTest, SmallBuffersAndMissingValues) {
  setDefault(u".mvt", u"Morvel.mvd.1.5");
  WCHAR small[4];
  LONG bytes = sizeof small;
  EXPECT_EQ(RegQueryValueW(HKEY_CLASSES_ROOT, u".mvt", small, &bytes), ERROR_MORE_DATA);
  EXPECT_EQ(bytes, 30);
  bytes = 0;
  EXPECT_EQ(RegQueryValueW(HKEY_CLASSES_ROOT, u".mvt", nullptr, &bytes), ERROR_SUCCESS);
  EXPECT_EQ(bytes, 30);
  HKEY key;
  ASSERT_EQ(RegOpenKeyExW(HKEY_CLASSES_ROOT, u".mvt", 0, KEY_READ, &key), ERROR_SUCCESS);
  DWORD type = 0, size = 0;
  EXPECT_EQ(RegQueryValueExW(key, u"absent", nullptr, &type, nullptr, &size), ERROR_FILE_NOT_FOUND);
  DWORD n = 42;
  EXPECT_EQ(RegSetValueExW(key, u"Count", 0, REG_DWORD, reinterpret_cast<BYTE*>(&n), 4), ERROR_SUCCESS);
  DWORD back = 0;
  size = sizeof back;
  EXPECT_EQ(RegQueryValueExW(key, u"count", nullptr, &type, reinterpret_cast<BYTE*>(&back), &size), ERROR_SUCCESS);
  EXPECT_EQ(type, REG_DWORD);
  EXPECT_EQ(back, 42u);
  RegCloseKey(key);
  EXPECT_EQ(RegCloseKey(key), ERROR_INVALID_HANDLE);
}

TEST_F(RegistryTest, StoreSurvivesOddNames) {
  setDefault(u"odd\tname\\with\\\\gaps", u"line1\nline2\\end");
  use("other");
  use("first");
  EXPECT_EQ(defaultValue(HKEY_CLASSES_ROOT, u"odd\tname\\with\\\\gaps"), u"line1\nline2\\end");
}
