#include "store/ClassifySave.h"

#include <cstdio>
#include <unordered_map>

#include "platform/FileIo.h"
#include "store/DataCore.h"

namespace {

bool forbiddenInName(char16_t c) {
  switch (c) {
    case u'"': case u'|': case u'\\': case u'/': case u':':
    case u'<': case u'>': case u'?': case u'*':
      return true;
    default:
      return false;
  }
}

}  // namespace

std::u16string classifyFileName(const CDataCore& sheet, int32_t row, const std::vector<int32_t>& keyCols) {
  std::u16string name;
  std::u16string scratch;
  for (int32_t col : keyCols) {
    if (!sheet.inSheet(row, col)) continue;
    for (char16_t c : sheet.cellTextView(sheet.mDatas[row][col], scratch))
      if (!forbiddenInName(c)) name.push_back(c);
  }
  return name;
}

std::vector<ClassifyGroup> classifyRows(const CDataCore& sheet, const std::vector<int32_t>& keyCols,
                                        int32_t firstRow) {
  std::vector<ClassifyGroup> groups;
  std::unordered_map<std::u16string, size_t> byName;
  for (int32_t r = firstRow < 1 ? 1 : firstRow; r < static_cast<int32_t>(sheet.mRowCount); ++r) {
    std::u16string name = classifyFileName(sheet, r, keyCols);
    auto [it, added] = byName.try_emplace(std::move(name), groups.size());
    if (added) groups.push_back(ClassifyGroup{it->first, {}});
    groups[it->second].rows.push_back(r);
  }
  return groups;
}

std::u16string classifyFilePath(const std::u16string& folder, const std::u16string& name) {
  std::u16string path = folder;
  if (path.empty() || (path.back() != u'/' && path.back() != u'\\')) path += u'/';
  return path + name + u".csv";
}

std::vector<std::u16string> writeClassified(CDataCore& sheet, const std::vector<ClassifyGroup>& groups,
                                            const std::u16string& folder, bool withHeader) {
  std::vector<std::u16string> failed;
  const std::string header = withHeader ? sheet.rowToCsvLine(1) : std::string();
  std::string block;
  for (const ClassifyGroup& group : groups) {
    FILE* f = _wfopen(classifyFilePath(folder, group.name).c_str(), u"wb");
    if (!f) {
      failed.push_back(group.name + u".csv");
      continue;
    }
    bool ok = header.empty() || std::fwrite(header.data(), 1, header.size(), f) == header.size();
    for (size_t i = 0; ok && i < group.rows.size(); ++i) {
      block += sheet.rowToCsvLine(group.rows[i]);
      if (block.size() >= (1u << 20) || i + 1 == group.rows.size()) {
        ok = std::fwrite(block.data(), 1, block.size(), f) == block.size();
        block.clear();
      }
    }
    block.clear();
    if (std::fclose(f) != 0) ok = false;
    if (!ok) failed.push_back(group.name + u".csv");
  }
  return failed;
}
