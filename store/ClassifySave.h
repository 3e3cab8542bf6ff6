// Classify-save: the rows of a sheet saved into one ".csv" file per file name that their
// key columns give.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

class CDataCore;

// One file: its name (without folder and ".csv") and its rows in table order.
struct ClassifyGroup {
  std::u16string name;
  std::vector<int32_t> rows;
};

// The file name of a row: the texts (getText) of the key columns joined without a
// separator, every '"', '|', '\', '/', ':', '<', '>', '?' and '*' removed.
std::u16string classifyFileName(const CDataCore& sheet, int32_t row, const std::vector<int32_t>& keyCols);

// Rows firstRow .. last grouped by their file name, compared exactly; the groups in the
// order of their first rows. Keys that give one name share one group.
std::vector<ClassifyGroup> classifyRows(const CDataCore& sheet, const std::vector<int32_t>& keyCols,
                                        int32_t firstRow);

// The path of a group's file: folder, '/', name, ".csv" (".csv" alone for an empty name).
std::u16string classifyFilePath(const std::u16string& folder, const std::u16string& name);

// Writes every group into its file (created or replaced): row 1 first when withHeader,
// then the group's rows, each as rowToCsvLine (the save encoding, no byte order mark, LF
// line ends). Returns the file names (name + ".csv") that could not be created or written
// completely, in group order.
std::vector<std::u16string> writeClassified(CDataCore& sheet, const std::vector<ClassifyGroup>& groups,
                                            const std::u16string& folder, bool withHeader);
