// The program's file choosers: the open dialog (open, append, the paged-open dialog's
// "...", the file tools' "..文件", the plug-in import), and the save dialog of save,
// Save As, Save filtered, the split target and the merged file. Every one of them is
// filled and run by runFileDialog.
#pragma once
#include <optional>
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
// The delimited text a split or a merge writes, ".csv" first.
inline constexpr char16_t kTextSaveFilter[] = u"csv文件\0*.csv\0txt文件\0*.txt\0";

// Room for the chosen path, in characters, of the one-file dialogs.
inline constexpr size_t kPathRoom = 520;

enum class FileDialogKind { Open, Save };

// One open or save dialog: its owner, title, filter (its first pair chosen) and flags,
// the room for the answer in characters, the name it starts with (cut to the room) and
// the extension a save adds to a name typed without one (null: none).
struct FileDialogRequest {
  HWND owner = nullptr;
  const char16_t* title = nullptr;
  const char16_t* filter = nullptr;
  DWORD flags = 0;
  size_t room = kPathRoom;
  std::u16string initial = {};
  const char16_t* defaultExtension = nullptr;
};

// Fills and runs the dialog. The answer buffer as the dialog wrote it (one path, or with
// OFN_ALLOWMULTISELECT the folder and then each name, each ending in a NUL), `room`
// units long; nothing when cancelled or refused.
std::optional<std::vector<char16_t>> runFileDialog(FileDialogKind kind, const FileDialogRequest& request);
// The one path runFileDialog answers; empty when cancelled.
std::u16string askFilePath(FileDialogKind kind, const FileDialogRequest& request);

// The one-file open dialog titled `title`; the chosen full path, empty when cancelled.
std::u16string askOpenPath(HWND owner, const char16_t* title, const char16_t* filter = kOpenFilter);
// The multi-select open dialog titled `title`, with room for `units` characters of
// answer and `flags` besides those of every multi-select one; the chosen full paths,
// none when cancelled.
std::vector<std::u16string> askOpenPaths(HWND owner, const char16_t* title, const char16_t* filter, DWORD flags,
                                         size_t units);
// The multi-select open dialog of the open command and the file tools: the read-only
// box hidden, room for 66560 characters of answer.
std::vector<std::u16string> askOpenFiles(HWND owner, const char16_t* title, const char16_t* filter);
// The name the save dialog proposes for a document at `path`: the path without the
// extension of its file name (so the chooser opens in the document's folder), "New.mvt"
// for a table never saved.
std::u16string proposedSaveName(const std::u16string& path);
// The save dialog "保存到" for a document at `path` (may be empty); a name typed without
// an extension gets ".mvt". The chosen full path, empty when cancelled.
std::u16string askSavePath(HWND owner, const std::u16string& path);
// The save dialog "保存到" of a delimited text file (kTextSaveFilter), starting at
// `initial`, with room for `room` characters; a name typed without an extension gets
// ".csv". The chosen full path, empty when cancelled.
std::u16string askTextSavePath(HWND owner, const std::u16string& initial, size_t room);
