// Helpers for the C and Python engine tests: the engines installed for the test's life,
// the C declarations a script needs, a fixed time zone and a scratch folder.
#pragma once
#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <string>

#include "script/PythonRun.h"
#include "script/ScriptEngines.h"
#include "script/TccRun.h"

namespace enginetest {

struct Engines {
  Engines() {
    installTccEngine();
    installPythonEngine();
  }
  ~Engines() { scriptEngines() = ScriptEngines{}; }
};

// The program's C functions as a script declares them.
inline const char* cDeclarations() {
  return R"(void get(int row, int col, double *out);
void set(int row, int col, double value);
void get_(int row, int col, char **out);
void set_(int row, int col, const char *text);
void get1(const char *table, int row, int col, double *out);
void set1(const char *table, int row, int col, double value);
void get1_(const char *table, int row, int col, char **out);
void set1_(const char *table, int row, int col, const char *text);
int save(void);
void set_progress(int percent);
int save_as(const char *path);
int get_row_count(void);
int get_col_count(void);
int get_selected_row(void);
int get_selected_col(void);
void resize(int rows, int cols);
unsigned get_tick_count(void);
void message_box(const char *text);
void createString(void);
void appendString(const char *text);
void appendStringInt(int n);
void getString(char **out);
void createMap(void);
void appendMap(const char *key, int value);
void createMapIter(void);
void getMapValue(const char *key, int *out);
int getMapPrev(const char *key, char **k, int *v);
int getMapNext(const char *key, char **k, int *v);
int getMap(char **k, int *v);
int write(const char *path, const char *data);
int getDay(const char *datetime, char **out);
int getHour(const char *datetime, char **out);
long long getSecond(const char *datetime);
void createDoubleMap(void);
void appendDoubleMap(const char *key, double value);
void createDoubleMapIter(void);
void getDoubleMapValue(const char *key, double *out);
int getDoubleMap(char **k, double *v);
int insert_col(int at, int count);
int insert_row(int at, int count);
void open_file(const char *path);
void sort(int first, int order);
void get_daytime(unsigned int seconds, char **out);
void get_filename(char **out);
)";
}

// `body` as the body of main, after the declarations.
inline std::u16string cMain(const std::u16string& body) {
  std::string decl = cDeclarations();
  return std::u16string(decl.begin(), decl.end()) + u"int main(void) {\n" + body + u"\nreturn 0;\n}\n";
}

// The local time zone fixed to eight hours east of UTC without daylight saving while it
// lives.
struct FixedTimeZone {
  FixedTimeZone() {
    if (const char* tz = std::getenv("TZ")) saved = tz, had = true;
    setenv("TZ", "CST-8", 1);
    tzset();
  }
  ~FixedTimeZone() {
    if (had) setenv("TZ", saved.c_str(), 1);
    else unsetenv("TZ");
    tzset();
  }
  std::string saved;
  bool had = false;
};

}  // namespace enginetest
