#include "store/ClassifySave.h"

#include <algorithm>
#include <cstdio>
#include <unordered_map>

#include "store/DataCore.h"
#include "store/Parallel.h"
#include "store/SafeSave.h"

namespace {

bool forbiddenInName(char16_t c) {
  switch (c) {
    case u'"':
    case u'|':
    case u'\\':
    case u'/':
    case u':':
    case u'<':
    case u'>':
    case u'?':
    case u'*': return true;
    default: return false;
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

namespace {

// One group's file; false when it cannot be created or written completely (an old file
// of that name then stays as it was). Reads the sheet only, so several groups are
// written at once.
bool writeGroup(CDataCore& sheet, const ClassifyGroup& group, const std::u16string& folder,
                const std::string& header) {
  SafeSave save(classifyFilePath(folder, group.name));
  FILE* f = save.file();
  if (!f) return false;
  bool ok = header.empty() || std::fwrite(header.data(), 1, header.size(), f) == header.size();
  std::string block;
  for (size_t i = 0; ok && i < group.rows.size(); ++i) {
    block += sheet.rowToCsvLine(group.rows[i]);
    if (block.size() >= (1u << 20) || i + 1 == group.rows.size()) {
      ok = std::fwrite(block.data(), 1, block.size(), f) == block.size();
      block.clear();
    }
  }
  return ok && save.commit();
}

}  // namespace

std::vector<std::u16string> writeClassified(CDataCore& sheet, const std::vector<ClassifyGroup>& groups,
                                            const std::u16string& folder, bool withHeader) {
  const std::string header = withHeader ? sheet.rowToCsvLine(1) : std::string();
  std::vector<uint8_t> written(groups.size(), 0);
  size_t rows = 0;
  for (const ClassifyGroup& group : groups) rows += group.rows.size();
  const unsigned parts = static_cast<unsigned>(std::min<size_t>(groups.size(), threadCount(rows, 1 << 16)));
  parallelChunks(groups.size(), parts, [&](unsigned, size_t begin, size_t end) {
    for (size_t g = begin; g < end; ++g) written[g] = writeGroup(sheet, groups[g], folder, header);
  });
  std::vector<std::u16string> failed;
  for (size_t g = 0; g < groups.size(); ++g)
    if (!written[g]) failed.push_back(groups[g].name + u".csv");
  return failed;
}
