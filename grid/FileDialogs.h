// The file commands' choosers: the open dialog (open, append, the paged-open dialog's
// "..."), and the save dialog of save, Save As and Save filtered.
#pragma once
#include <string>
#include <vector>

#include "platform/windows.h"

// Filter pairs, double-NUL terminated as the dialogs take them.
// Every kind the program reads.
inline constexpr char16_t kOpenFilter[] =
    u"Morvel支持文件(.csv;.txt;.mvt;.xls;.xlsx)\0*.csv;*.txt;*.mvt;*.xls;*.xlsx;\0所有文件\0*.*\0";
// The text files a paged open reads.
inline constexpr char16_t kPagedOpenFilter[] = u"Morvel支持文件(.csv;.txt;)\0*.csv;*.txt;\0所有文件\0*.*\0";
// Every kind the program writes, ".mvt" first.
inline constexpr char16_t kSaveFilter[] =
    u"mvt文件\0*.mvt\0csv文件\0*.csv\0txt文件\0*.txt\0xls文件\0*.xls\0xlsx文件\0*.xlsx\0";

// The one-file open dialog titled `title`; the chosen full path, empty when cancelled.
std::u16string askOpenPath(HWND owner, const char16_t* title, const char16_t* filter = kOpenFilter);
// The multi-select open dialog titled `title`, with room for `units` characters of
// answer and `flags` besides those of every multi-select one; the chosen full paths,
// none when cancelled.
std::vector<std::u16string> askOpenPaths(HWND owner, const char16_t* title, const char16_t* filter, DWORD flags,
                                         size_t units);
// The name the save dialog proposes for a document at `path`: the path without the
// extension of its file name (so the chooser opens in the document's folder), "New.mvt"
// for a table never saved.
std::u16string proposedSaveName(const std::u16string& path);
// The save dialog "保存到" for a document at `path` (may be empty); a name typed without
// an extension gets ".mvt". The chosen full path, empty when cancelled.
std::u16string askSavePath(HWND owner, const std::u16string& path);
