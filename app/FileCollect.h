// Paths of the file merge and split tools: collecting the data files below a folder,
// the folder of a path, making a folder with its parents, and comparing two paths as
// the file system resolves them.
#pragma once
#include <string>
#include <vector>

// The extensions both tools collect, each between bars.
inline constexpr char16_t kDataFileExtensions[] = u"|.csv|.txt|.xls|.xlsx|";
// The open dialog's filter of both tools.
inline constexpr char16_t kDataFileFilter[] =
    u"Morvel支持文件(.csv;.txt;.xls;.xlsx)\0*.csv;*.txt;*.xls;*.xlsx;\0所有文件\0*.*\0";

// Appends every file below `folder` whose lower-cased extension (from its last '.', or
// empty) appears between bars in `extensions`, as folder + "/" + name; sub-folders are
// searched where they come, depth first, in the enumeration's order, and links to
// folders are skipped (links to files are collected). Every name is read with the wide
// calls, so any name on the disk is found.
void collectDataFiles(const std::u16string& folder, std::vector<std::u16string>& out,
                      const std::u16string& extensions);
// The path before its last separator (fileNameStart); empty without one.
std::u16string parentFolder(const std::u16string& path);
// Makes the folder and its missing parents; true when it exists afterwards. An empty
// path gives false.
bool createFolderPath(const std::u16string& path);
// The absolute form of a path with "." and ".." resolved by name (no links followed),
// as the paths of one run are compared (case-sensitively).
std::u16string fullPath(const std::u16string& path);
// Whether the path names a regular file that opens for reading (a folder, a named pipe
// or a device does not, and is never opened).
bool opensForReading(const std::u16string& path);
