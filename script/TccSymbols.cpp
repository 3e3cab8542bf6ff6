// The C functions of scripts. Each is a plain C-callable function; texts are ANSI bytes.
// Pointers handed to a script point into the running record's state and stay valid until
// that state changes (script/ScriptHosts.h, TccHost).
#include "script/TccSymbols.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>

#include "platform/CodePage.h"
#include "platform/Crt.h"
#include "platform/user/Kernel.h"
#include "platform/user/MsgBox.h"
#include "script/ScriptDocument.h"
#include "script/TccRun.h"
#include "store/SafeSave.h"

namespace tccfn {
namespace {

TccHost& host() { return *gTccHost; }

// Replaces the record's last text copy with a malloc'd copy of `text`; *out = the copy.
void handOutCopy(const std::string& text, char** out) {
  char* copy = static_cast<char*>(std::malloc(text.size() + 1));
  if (!copy) return;
  std::memcpy(copy, text.c_str(), text.size() + 1);
  std::free(host().mLastText);
  host().mLastText = copy;
  *out = copy;
}

// ---- cells ----
void get(int row, int col, double* out) {
  if (out) *out = host().getCell(row, col);
}
void set(int row, int col, double value) { host().setCell(row, col, value); }
void get_(int row, int col, char** out) {
  if (out) handOutCopy(host().getCellText(row, col), out);
}
void set_(int row, int col, const char* text) { host().setCellText(row, col, text ? text : ""); }
void get1(const char* table, int row, int col, double* out) {
  if (out) *out = host().getTableCell(table ? table : "", row, col);
}
void set1(const char* table, int row, int col, double value) {
  host().setTableCell(table ? table : "", row, col, value);
}
void get1_(const char* table, int row, int col, char** out) {
  if (out) handOutCopy(host().getTableCellText(table ? table : "", row, col), out);
}
void set1_(const char* table, int row, int col, const char* text) {
  host().setTableCellText(table ? table : "", row, col, text ? text : "");
}

// ---- document ----
int save() { return host().saveDocument(); }
void set_progress(int percent) { host().showProgress(percent); }
int save_as(const char* path) { return path ? host().saveDocumentAs(path) : 0; }
int get_row_count() { return host().rowCount(); }
int get_col_count() { return host().colCount(); }
int get_selected_row() { return host().selectedRow(); }
int get_selected_col() { return host().selectedCol(); }
void resize(int rows, int cols) { host().resizeSheet(rows, cols); }
int insert_col(int at, int count) {
  host().insertCols(at, count);
  return 1;
}
int insert_row(int at, int count) {
  host().insertRows(at, count);
  return 1;
}
// Opens the file in a tab of its own (or makes the tab that shows it current); the
// running document stays and the script goes on.
void open_file(const char* path) {
  if (!path) return;
  auto& openPath = scriptDocuments().openPath;
  if (openPath) openPath(ansiToWide(path));
}
void sort(int first, int order) { host().sortSelection(first, order); }

void message_box(const char* text) {
  std::u16string wide = ansiToWide(text ? text : "");
  MessageBoxW(nullptr, wide.c_str(), u"", MB_OK);
}

// ---- string builder ----
void createString() { host().mBuilder.clear(); }
void appendString(const char* text) {
  if (text) host().mBuilder += text;
}
void appendStringInt(int n) { host().mBuilder += std::to_string(n); }
void getString(char** out) {
  if (out) *out = host().mBuilder.data();
}

// ---- maps ----
void createMap() {
  host().mIntMap.clear();
  host().mIntIter = host().mIntMap.end();
}
void appendMap(const char* key, int value) {
  if (key) host().mIntMap[key] = value;
}
void createMapIter() { host().mIntIter = host().mIntMap.begin(); }
void getMapValue(const char* key, int* out) {
  if (!key) return;
  int value = host().mIntMap[key];
  if (out) *out = value;
}
int getMapPrev(const char* key, char** k, int* v) {
  if (!key || !k || !v) return 0;
  auto& map = host().mIntMap;
  auto it = map.find(key);
  if (it == map.end() || it == map.begin()) return 0;
  --it;
  *k = const_cast<char*>(it->first.c_str());
  *v = it->second;
  return 1;
}
int getMapNext(const char* key, char** k, int* v) {
  if (!key || !k || !v) return 0;
  auto& map = host().mIntMap;
  auto it = map.find(key);
  if (it == map.end() || ++it == map.end()) return 0;
  *k = const_cast<char*>(it->first.c_str());
  *v = it->second;
  return 1;
}
int getMap(char** k, int* v) {
  auto& h = host();
  if (!k || !v || h.mIntIter == h.mIntMap.end()) return 0;
  *k = const_cast<char*>(h.mIntIter->first.c_str());
  *v = h.mIntIter->second;
  ++h.mIntIter;
  return 1;
}
void createDoubleMap() {
  host().mDoubleMap.clear();
  host().mDoubleIter = host().mDoubleMap.end();
}
void appendDoubleMap(const char* key, double value) {
  if (key) host().mDoubleMap[key] = value;
}
void createDoubleMapIter() { host().mDoubleIter = host().mDoubleMap.begin(); }
void getDoubleMapValue(const char* key, double* out) {
  if (!key) return;
  double value = host().mDoubleMap[key];
  if (out) *out = value;
}
int getDoubleMap(char** k, double* v) {
  auto& h = host();
  if (!k || !v || h.mDoubleIter == h.mDoubleMap.end()) return 0;
  *k = const_cast<char*>(h.mDoubleIter->first.c_str());
  *v = h.mDoubleIter->second;
  ++h.mDoubleIter;
  return 1;
}

// ---- files ----
// Saves `data` as the whole file: 1 when every byte reached the disk and the file took
// the old one's place, else 0 (an old file then stays as it was).
int write(const char* path, const char* data) {
  if (!path || !data) return 0;
  SafeSave save(ansiToWide(path));
  FILE* f = save.file();
  if (!f) return 0;
  const size_t n = std::strlen(data);
  const bool ok = std::fwrite(data, 1, n, f) == n;
  return ok && save.commit() ? 1 : 0;
}
void get_filename(char** out) {
  if (out) *out = host().mFileName.data();
}

// ---- dates ----
// A date-time text read as the sheet reads dates: an optional blank or TAB, four digits
// of year, then month, day, hour, minute and second of one or two digits each, every
// part after the year preceded by one separator byte of any kind. `parts` counts the
// parts read (0 without the four digits of year).
struct DateTimeParts {
  int value[6] = {0, 0, 0, 0, 0, 0};
  int parts = 0;
};

bool isDigit(char c) { return c >= '0' && c <= '9'; }

DateTimeParts readDateTime(const char* s) {
  DateTimeParts r;
  if (*s == ' ' || *s == '\t') ++s;
  for (int i = 0; i < 4; ++i)
    if (!isDigit(s[i])) return r;
  r.value[0] = (s[0] - '0') * 1000 + (s[1] - '0') * 100 + (s[2] - '0') * 10 + (s[3] - '0');
  r.parts = 1;
  s += 4;
  for (int part = 1; part < 6; ++part) {
    if (!*s) break;
    ++s;  // the separator
    if (!isDigit(*s)) break;
    int v = *s++ - '0';
    if (isDigit(*s)) v = v * 10 + (*s++ - '0');
    r.value[part] = v;
    r.parts = part + 1;
  }
  return r;
}

int getDay(const char* datetime, char** out) {
  if (!datetime || !out) return 0;
  DateTimeParts d = readDateTime(datetime);
  if (d.parts < 3) return 0;
  char buf[32];
  std::snprintf(buf, sizeof buf, "%d-%02d-%02d", d.value[0], d.value[1], d.value[2]);
  host().mDayText = buf;
  *out = host().mDayText.data();
  return 1;
}
int getHour(const char* datetime, char** out) {
  if (!datetime || !out) return 0;
  DateTimeParts d = readDateTime(datetime);
  if (d.parts < 4) return 0;
  char buf[16];
  std::snprintf(buf, sizeof buf, "%02d", d.value[3]);
  host().mDayText = buf;
  *out = host().mDayText.data();
  return 1;
}
// Seconds since 1970 of the text as a local time (no daylight saving); -1 without a year.
long long getSecond(const char* datetime) {
  if (!datetime) return -1;
  DateTimeParts d = readDateTime(datetime);
  if (d.parts == 0) return -1;
  std::tm t{};
  t.tm_year = d.value[0] - 1900;
  t.tm_mon = d.value[1] - 1;
  t.tm_mday = d.value[2];
  t.tm_hour = d.value[3];
  t.tm_min = d.value[4];
  t.tm_sec = d.value[5];
  t.tm_isdst = 0;
  return static_cast<long long>(std::mktime(&t));
}
void get_daytime(unsigned int seconds, char** out) {
  if (!out) return;
  const int64_t t = seconds;
  const std::tm* local = _localtime64(&t);
  char buf[64] = "";
  if (local)
    std::snprintf(buf, sizeof buf, "%d-%02d-%02d %02d:%02d:%02d", local->tm_year + 1900, local->tm_mon + 1,
                  local->tm_mday, local->tm_hour, local->tm_min, local->tm_sec);
  host().mDayTimeText = buf;
  *out = host().mDayTimeText.data();
}

}  // namespace
}  // namespace tccfn

namespace {

#define SYM(f) \
  TccSymbol { #f, reinterpret_cast < const void*>(&tccfn::f) }
const TccSymbol kSymbols[] = {
    SYM(get),
    SYM(set),
    SYM(get_),
    SYM(set_),
    SYM(get1),
    SYM(set1),
    SYM(get1_),
    SYM(set1_),
    SYM(save),
    SYM(set_progress),
    SYM(save_as),
    SYM(get_row_count),
    SYM(get_col_count),
    SYM(get_selected_row),
    SYM(get_selected_col),
    SYM(resize),
    TccSymbol{"get_tick_count", reinterpret_cast<const void*>(&GetTickCount)},
    SYM(message_box),
    SYM(createString),
    SYM(appendString),
    SYM(appendStringInt),
    SYM(getString),
    SYM(createMap),
    SYM(appendMap),
    SYM(createMapIter),
    SYM(getMapValue),
    SYM(getMapPrev),
    SYM(getMapNext),
    SYM(getMap),
    SYM(write),
    SYM(getDay),
    SYM(getHour),
    SYM(getSecond),
    SYM(createDoubleMap),
    SYM(appendDoubleMap),
    SYM(createDoubleMapIter),
    SYM(getDoubleMapValue),
    SYM(getDoubleMap),
    SYM(insert_col),
    SYM(insert_row),
    SYM(open_file),
    SYM(sort),
    SYM(get_daytime),
    SYM(get_filename),
};
#undef SYM
static_assert(sizeof kSymbols / sizeof kSymbols[0] == 44);

}  // namespace

const TccSymbol* tccSymbols(size_t& count) {
  count = sizeof kSymbols / sizeof kSymbols[0];
  return kSymbols;
}
