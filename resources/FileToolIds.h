// The ids of the file tools' dialogs (file split and file merge, which share their
// controls' ids) and of the About dialog, with their controls. The start button of the
// file tools is IDABORT.
#pragma once

enum : int {
  IDD_ABOUT = 103,
  IDC_ABOUT_LINK = 1024,  // the read-me link

  IDD_FILES_SPLIT = 177,
  IDD_FILES_MERGE = 178,
  IDC_FILES_HEADER = 1000,    // merge: drop the later files' header lines; split: repeat them
  IDC_FILES_BY_LINES = 1001,  // split: by lines (radio)
  IDC_FILES_BY_PARTS = 1002,  // split: into parts (radio)
  IDC_FILES_LINES = 1003,     // split: lines per part
  IDC_FILES_PARTS = 1004,     // split: number of parts
  IDC_FILES_OUTPUT = 1005,    // merge: the merged file; split: the parts' folder
  IDC_FILES_BROWSE = 1006,    // "..." of the output
  IDC_FILES_HEADER_LINES = 1007,
  IDC_FILES_ADD = 1008,         // "..文件"
  IDC_FILES_ADD_FOLDER = 1011,  // "..文件夹"
  IDC_FILES_LIST = 1095,        // the inputs
  IDC_FILES_CURRENT = 1096,     // the file being worked on, or the error
  IDC_FILES_PROGRESS = 1097,
};
