// The area (region) of a Chinese mobile number, ID-card number and post code, looked up
// in three data files of the program folder: "/source/Mobile.csv" (key: the first 7
// digits), "/source/IDCard.csv" (the first 6 characters) and "/source/PostCode.csv"
// (the code). Each table is read on its first use and kept until the program exits.
// Area texts are the files' bytes (ANSI code page). Missing files, wrong lengths and
// unknown keys all give the empty text.
#pragma once
#include <cstdint>
#include <map>
#include <string>
#include <vector>

using AreaTable = std::map<int32_t, std::string>;

// The rows of a data file: rows end at each CR and LF (empty rows dropped), fields are
// split at ','; no quoting; a zero byte ends the content; the last row counts also
// without a final line break. Empty when the file cannot be opened.
std::vector<std::vector<std::string>> readCsvRows(const std::u16string& path);

const AreaTable& mobileAreaTable();
const AreaTable& idCardAreaTable();
const AreaTable& postCodeAreaTable();

// Exactly 11 code units: the area of its first 7 (read as a number, up to the first
// non-digit).
std::string phoneAreaOf(const std::u16string& number);
// Exactly 18 code units: the area of its first 6.
std::string idCardAreaOf(const std::u16string& number);
std::string postCodeAreaOf(int32_t code);

namespace testhooks {
// Tests: reads the data files from `folder` from now on and drops the tables built so
// far. An empty folder returns to the program folder.
void setAreaFolder(const std::u16string& folder);
}  // namespace testhooks
