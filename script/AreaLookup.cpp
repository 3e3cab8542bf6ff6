#include "script/AreaLookup.h"

#include <cstdio>
#include <cstdlib>
#include <memory>

#include "platform/Crt.h"
#include "platform/FileIo.h"
#include "platform/user/Kernel.h"

namespace {

std::u16string gAreaFolder;  // empty: the program folder
std::unique_ptr<AreaTable> gMobileAreas, gIdCardAreas, gPostCodeAreas;

std::u16string dataFolder() {
  if (!gAreaFolder.empty()) return gAreaFolder;
  char16_t buf[4096];
  DWORD n = GetModuleFileNameW(nullptr, reinterpret_cast<LPWSTR>(buf), 4096);
  std::u16string path(buf, n);
  size_t slash = path.find_last_of(u"/\\");
  return slash == std::u16string::npos ? std::u16string() : path.substr(0, slash);
}

const AreaTable& tableOf(std::unique_ptr<AreaTable>& table, const char16_t* file) {
  if (!table) {
    table = std::make_unique<AreaTable>();
    for (const auto& row : readCsvRows(dataFolder() + file))
      if (row.size() >= 2) (*table)[static_cast<int32_t>(std::strtol(row[0].c_str(), nullptr, 10))] = row[1];
  }
  return *table;
}

std::string areaOf(const AreaTable& table, int32_t key) {
  auto it = table.find(key);
  return it == table.end() ? std::string() : it->second;
}

// _wtoi of the first n code units.
int32_t prefixNumber(const std::u16string& text, size_t n) {
  return static_cast<int32_t>(_wtoi64(text.substr(0, n).c_str()));
}

}  // namespace

std::vector<std::vector<std::string>> readCsvRows(const std::u16string& path) {
  std::vector<std::vector<std::string>> rows;
  FILE* f = _wfopen(path.c_str(), u"rb");
  if (!f) return rows;
  std::string bytes;
  char buf[65536];
  size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) bytes.append(buf, n);
  std::fclose(f);
  bytes.resize(std::min(bytes.size(), bytes.find('\0')));
  std::vector<std::string> row;
  std::string field;
  bool any = false;
  auto endRow = [&] {
    if (any) {
      row.push_back(std::move(field));
      rows.push_back(std::move(row));
    }
    row.clear();
    field.clear();
    any = false;
  };
  for (char c : bytes) {
    if (c == '\r' || c == '\n') {
      endRow();
    } else if (c == ',') {
      row.push_back(std::move(field));
      field.clear();
      any = true;
    } else {
      field += c;
      any = true;
    }
  }
  endRow();
  return rows;
}

const AreaTable& mobileAreaTable() { return tableOf(gMobileAreas, u"/source/Mobile.csv"); }
const AreaTable& idCardAreaTable() { return tableOf(gIdCardAreas, u"/source/IDCard.csv"); }
const AreaTable& postCodeAreaTable() { return tableOf(gPostCodeAreas, u"/source/PostCode.csv"); }

std::string phoneAreaOf(const std::u16string& number) {
  if (number.size() != 11) return {};
  return areaOf(mobileAreaTable(), prefixNumber(number, 7));
}

std::string idCardAreaOf(const std::u16string& number) {
  if (number.size() != 18) return {};
  return areaOf(idCardAreaTable(), prefixNumber(number, 6));
}

std::string postCodeAreaOf(int32_t code) { return areaOf(postCodeAreaTable(), code); }

void testhooks::setAreaFolder(const std::u16string& folder) {
  gAreaFolder = folder;
  gMobileAreas.reset();
  gIdCardAreas.reset();
  gPostCodeAreas.reset();
}
