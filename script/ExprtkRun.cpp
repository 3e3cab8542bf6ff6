// The exprtk host and the program's exprtk functions. The functions reach the document
// only through the host's slots; scalars the slots take as integers are truncated toward
// zero into the 32-bit range (NaN gives 0).
#include "script/ExprtkRun.h"

#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <string_view>
#include <vector>

#include "exprtk.hpp"
#include "platform/AsciiCase.h"
#include "platform/CodePage.h"
#include "platform/user/Kernel.h"
#include "script/Geodesy.h"
#include "script/ScriptText.h"

namespace {

using T = double;
using IFunction = exprtk::ifunction<T>;
using GFunction = exprtk::igeneric_function<T>;
using ParamList = GFunction::parameter_list_t;
using Generic = GFunction::generic_type;
using StringView = Generic::string_view;
using ScalarView = Generic::scalar_view;

std::string str(const Generic& g) { return exprtk::to_str(StringView(g)); }
T num(const Generic& g) { return ScalarView(g)(); }
int32_t integer(const Generic& g) { return toInt32(num(g)); }

// A function that acts on or reads the document: the run may have been ended by
// open_file, after which nothing reaches a document.
struct HostUser {
  explicit HostUser(ExprtkHost* h) : host(h) {}
  bool live() const { return !host->mEnded; }
  ExprtkHost* host;
};

struct COUNTIF : GFunction, HostUser {
  explicit COUNTIF(ExprtkHost* h) : GFunction("SS"), HostUser(h) {}
  T operator()(ParamList p) override { return live() ? host->countIf(str(p[0]), str(p[1])) : 0; }
};

struct tolower1 : GFunction {
  tolower1() : GFunction("S", e_rtrn_string) {}
  T operator()(std::string& result, ParamList p) override {
    result = ansiLower(str(p[0]));
    return 0;
  }
};

struct toupper1 : GFunction {
  toupper1() : GFunction("S", e_rtrn_string) {}
  T operator()(std::string& result, ParamList p) override {
    result = ansiUpper(str(p[0]));
    return 0;
  }
};

struct tostring : GFunction {
  tostring() : GFunction("T", e_rtrn_string) {}
  T operator()(std::string& result, ParamList p) override {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.18G", num(p[0]));
    result = buf;
    return 0;
  }
};

struct tonumber : GFunction {
  tonumber() : GFunction("S") {}
  T operator()(ParamList p) override {
    std::string s = str(p[0]);
    return std::strtod(s.c_str(), nullptr);
  }
};

struct getvalue : IFunction, HostUser {
  explicit getvalue(ExprtkHost* h) : IFunction(2), HostUser(h) {}
  T operator()(const T& row, const T& col) override {
    return live() ? host->getCell(toInt32(row), toInt32(col)) : 0;
  }
};

struct setvalue : IFunction, HostUser {
  explicit setvalue(ExprtkHost* h) : IFunction(3), HostUser(h) {}
  T operator()(const T& row, const T& col, const T& value) override {
    if (live()) host->setCell(toInt32(row), toInt32(col), value);
    return 0;
  }
};

struct get_ : GFunction, HostUser {
  explicit get_(ExprtkHost* h) : GFunction("TT", e_rtrn_string), HostUser(h) {}
  T operator()(std::string& result, ParamList p) override {
    result = live() ? host->getCellText(integer(p[0]), integer(p[1])) : std::string();
    return 0;
  }
};

struct set_ : GFunction, HostUser {
  explicit set_(ExprtkHost* h) : GFunction("TTS"), HostUser(h) {}
  T operator()(ParamList p) override {
    if (live()) host->setCellText(integer(p[0]), integer(p[1]), str(p[2]));
    return 0;
  }
};

struct getvalue1 : GFunction, HostUser {
  explicit getvalue1(ExprtkHost* h) : GFunction("STT"), HostUser(h) {}
  T operator()(ParamList p) override {
    return live() ? host->getTableCell(str(p[0]), integer(p[1]), integer(p[2])) : 0;
  }
};

struct setvalue1 : GFunction, HostUser {
  explicit setvalue1(ExprtkHost* h) : GFunction("STTT"), HostUser(h) {}
  T operator()(ParamList p) override {
    if (live()) host->setTableCell(str(p[0]), integer(p[1]), integer(p[2]), num(p[3]));
    return 0;
  }
};

struct get1_ : GFunction, HostUser {
  explicit get1_(ExprtkHost* h) : GFunction("STT", e_rtrn_string), HostUser(h) {}
  T operator()(std::string& result, ParamList p) override {
    result = live() ? host->getTableCellText(str(p[0]), integer(p[1]), integer(p[2])) : std::string();
    return 0;
  }
};

struct set1_ : GFunction, HostUser {
  explicit set1_(ExprtkHost* h) : GFunction("STTS"), HostUser(h) {}
  T operator()(ParamList p) override {
    if (live()) host->setTableCellText(str(p[0]), integer(p[1]), integer(p[2]), str(p[3]));
    return 0;
  }
};

struct setprogress : IFunction, HostUser {
  explicit setprogress(ExprtkHost* h) : IFunction(1), HostUser(h) {}
  T operator()(const T& percent) override {
    if (live()) host->showProgress(toInt32(percent));
    return 1;
  }
};

struct setsleep : GFunction {
  setsleep() : GFunction("T") {}
  T operator()(ParamList p) override {
    T ms = num(p[0]);
    if (ms > 0) Sleep(static_cast<DWORD>(toInt32(ms)));
    return 0;
  }
};

struct tickcount : IFunction {
  tickcount() : IFunction(0) {}
  T operator()() override { return static_cast<T>(static_cast<uint32_t>(GetTickCount())); }
};

struct save1 : IFunction, HostUser {
  explicit save1(ExprtkHost* h) : IFunction(0), HostUser(h) {}
  T operator()() override {
    if (!live()) return 0;
    host->commitVariables();
    return host->saveDocument();
  }
};

struct save_as : GFunction, HostUser {
  explicit save_as(ExprtkHost* h) : GFunction("S"), HostUser(h) {}
  T operator()(ParamList p) override {
    if (!live()) return 0;
    host->commitVariables();
    return host->saveDocumentAs(str(p[0]));
  }
};

struct get_row_count : IFunction, HostUser {
  explicit get_row_count(ExprtkHost* h) : IFunction(0), HostUser(h) {}
  T operator()() override { return live() ? host->rowCount() : 0; }
};

struct get_col_count : IFunction, HostUser {
  explicit get_col_count(ExprtkHost* h) : IFunction(0), HostUser(h) {}
  T operator()() override { return live() ? host->colCount() : 0; }
};

struct get_select_row : IFunction, HostUser {
  explicit get_select_row(ExprtkHost* h) : IFunction(0), HostUser(h) {}
  T operator()() override { return live() ? host->selectedRow() : 0; }
};

struct get_select_col : IFunction, HostUser {
  explicit get_select_col(ExprtkHost* h) : IFunction(0), HostUser(h) {}
  T operator()() override { return live() ? host->selectedCol() : 0; }
};

struct resize : IFunction, HostUser {
  explicit resize(ExprtkHost* h) : IFunction(2), HostUser(h) {}
  T operator()(const T& rows, const T& cols) override {
    if (live()) host->resizeSheet(toInt32(rows), toInt32(cols));
    return 0;
  }
};

struct insert_col : IFunction, HostUser {
  explicit insert_col(ExprtkHost* h) : IFunction(2), HostUser(h) {}
  T operator()(const T& at, const T& count) override {
    if (live()) host->insertCols(toInt32(at), toInt32(count));
    return 1;
  }
};

struct insert_row : IFunction, HostUser {
  explicit insert_row(ExprtkHost* h) : IFunction(2), HostUser(h) {}
  T operator()(const T& at, const T& count) override {
    if (live()) host->insertRows(toInt32(at), toInt32(count));
    return 1;
  }
};

// Opening a file into the document ends the run: later statements reach no document
// and nothing is written back.
struct open_file : GFunction, HostUser {
  explicit open_file(ExprtkHost* h) : GFunction("S"), HostUser(h) {}
  T operator()(ParamList p) override {
    if (!live()) return 1;
    host->mEnded = true;
    host->openFile(ansiToWide(str(p[0])));
    return 1;
  }
};

struct sortting : IFunction, HostUser {
  explicit sortting(ExprtkHost* h) : IFunction(2), HostUser(h) {}
  T operator()(const T& first, const T& order) override {
    if (live()) host->sortSelection(toInt32(first), toInt32(order));
    return 1;
  }
};

struct Distance : IFunction {
  Distance() : IFunction(4) { exprtk::disable_has_side_effects(*this); }
  T operator()(const T& x1, const T& y1, const T& x2, const T& y2) override {
    return geoDistance({x1, y1}, {x2, y2});
  }
};

struct Heading : IFunction {
  Heading() : IFunction(4) { exprtk::disable_has_side_effects(*this); }
  T operator()(const T& x1, const T& y1, const T& x2, const T& y2) override {
    return geoHeading({x1, y1}, {x2, y2});
  }
};

struct Destination : IFunction, HostUser {
  explicit Destination(ExprtkHost* h) : IFunction(4), HostUser(h) {}
  T operator()(const T& x, const T& y, const T& distance, const T& bearing) override {
    GeoPoint end = geoDestination({x, y}, distance, bearing);
    if (live()) host->setCell(host->mRow, host->mCol + 1, end.lat);
    return end.lon;
  }
};

struct Angle : IFunction {
  Angle() : IFunction(6) { exprtk::disable_has_side_effects(*this); }
  T operator()(const T& x1, const T& y1, const T& x2, const T& y2, const T& x3, const T& y3) override {
    return geoHeading({x2, y2}, {x3, y3}) - geoHeading({x2, y2}, {x1, y1});
  }
};

struct PhoneArea : GFunction, HostUser {
  explicit PhoneArea(ExprtkHost* h) : GFunction("S", e_rtrn_string), HostUser(h) {}
  T operator()(std::string& result, ParamList p) override {
    result = live() ? host->phoneArea(str(p[0])) : std::string();
    return 0;
  }
};

struct IdCardArea : GFunction, HostUser {
  explicit IdCardArea(ExprtkHost* h) : GFunction("S", e_rtrn_string), HostUser(h) {}
  T operator()(std::string& result, ParamList p) override {
    result = live() ? host->idCardArea(str(p[0])) : std::string();
    return 0;
  }
};

struct PostCodeArea : GFunction, HostUser {
  explicit PostCodeArea(ExprtkHost* h) : GFunction("T", e_rtrn_string), HostUser(h) {}
  T operator()(std::string& result, ParamList p) override {
    result = live() ? host->postCodeArea(integer(p[0])) : std::string();
    return 0;
  }
};

// The 34 names in registration order.
constexpr const char* kFunctionNames[] = {"COUNTIF",
                                          "to_lower",
                                          "to_upper",
                                          "to_string",
                                          "to_number",
                                          "get",
                                          "set",
                                          "get_",
                                          "set_",
                                          "get1",
                                          "set1",
                                          "get1_",
                                          "set1_",
                                          "set_progress",
                                          "sleep",
                                          "get_tick_count",
                                          "save",
                                          "save_as",
                                          "get_row_count",
                                          "get_col_count",
                                          "get_selected_row",
                                          "get_selected_col",
                                          "resize",
                                          "insert_col",
                                          "insert_row",
                                          "open_file",
                                          "sort",
                                          "distance",
                                          "heading",
                                          "destination",
                                          "angle",
                                          "PhoneArea",
                                          "IdCardArea",
                                          "PostCodeArea"};
static_assert(sizeof kFunctionNames / sizeof *kFunctionNames == 34);

}  // namespace

class CompiledExprtk {
 public:
  explicit CompiledExprtk(ExprtkHost* h)
      : fCountIf(h), fGet(h), fSet(h), fGetText(h), fSetText(h), fGet1(h), fSet1(h), fGet1Text(h), fSet1Text(h),
        fProgress(h), fSave(h), fSaveAs(h), fRows(h), fCols(h), fSelRow(h), fSelCol(h), fResize(h), fInsertCol(h),
        fInsertRow(h), fOpen(h), fSort(h), fDestination(h), fPhone(h), fIdCard(h), fPostCode(h) {}

  // Adds every function in table order; a name already taken (by a variable) is skipped.
  void addFunctions() {
    symbols.add_function("COUNTIF", fCountIf);
    symbols.add_function("to_lower", fLower);
    symbols.add_function("to_upper", fUpper);
    symbols.add_function("to_string", fToString);
    symbols.add_function("to_number", fToNumber);
    symbols.add_function("get", fGet);
    symbols.add_function("set", fSet);
    symbols.add_function("get_", fGetText);
    symbols.add_function("set_", fSetText);
    symbols.add_function("get1", fGet1);
    symbols.add_function("set1", fSet1);
    symbols.add_function("get1_", fGet1Text);
    symbols.add_function("set1_", fSet1Text);
    symbols.add_function("set_progress", fProgress);
    symbols.add_function("sleep", fSleep);
    symbols.add_function("get_tick_count", fTick);
    symbols.add_function("save", fSave);
    symbols.add_function("save_as", fSaveAs);
    symbols.add_function("get_row_count", fRows);
    symbols.add_function("get_col_count", fCols);
    symbols.add_function("get_selected_row", fSelRow);
    symbols.add_function("get_selected_col", fSelCol);
    symbols.add_function("resize", fResize);
    symbols.add_function("insert_col", fInsertCol);
    symbols.add_function("insert_row", fInsertRow);
    symbols.add_function("open_file", fOpen);
    symbols.add_function("sort", fSort);
    symbols.add_function("distance", fDistance);
    symbols.add_function("heading", fHeading);
    symbols.add_function("destination", fDestination);
    symbols.add_function("angle", fAngle);
    symbols.add_function("PhoneArea", fPhone);
    symbols.add_function("IdCardArea", fIdCard);
    symbols.add_function("PostCodeArea", fPostCode);
  }

  // The function objects outlive the symbol table and expression (declared first).
  COUNTIF fCountIf;
  tolower1 fLower;
  toupper1 fUpper;
  tostring fToString;
  tonumber fToNumber;
  getvalue fGet;
  setvalue fSet;
  get_ fGetText;
  set_ fSetText;
  getvalue1 fGet1;
  setvalue1 fSet1;
  get1_ fGet1Text;
  set1_ fSet1Text;
  setprogress fProgress;
  setsleep fSleep;
  tickcount fTick;
  save1 fSave;
  save_as fSaveAs;
  get_row_count fRows;
  get_col_count fCols;
  get_select_row fSelRow;
  get_select_col fSelCol;
  resize fResize;
  insert_col fInsertCol;
  insert_row fInsertRow;
  open_file fOpen;
  sortting fSort;
  Distance fDistance;
  Heading fHeading;
  Destination fDestination;
  Angle fAngle;
  PhoneArea fPhone;
  IdCardArea fIdCard;
  PostCodeArea fPostCode;

  exprtk::symbol_table<T> symbols;
  exprtk::expression<T> expression;
};

void CompiledExprtkDeleter::operator()(CompiledExprtk* compiled) const { delete compiled; }

CompiledExprtkPtr compileExprtk(ExprtkHost& host, const std::string& text) {
  try {
    CompiledExprtkPtr c(new CompiledExprtk(&host));
    exprtk::symbol_table<T>& st = c->symbols;
    // Each add refuses a name exprtk rejects or already holds (skipped silently).
    for (auto& [name, value] : host.mNumberVars) st.add_variable(name, value);
    for (auto& [name, value] : host.mTextVars) st.add_stringvar(name, value);
    for (auto& [name, value] : host.mRangeVars) st.add_vector(name, value);
    c->addFunctions();
    st.add_constants();
    c->expression.register_symbol_table(st);
    exprtk::parser<T> parser;
    if (parser.compile(text, c->expression)) return c;
    for (std::size_t i = 0; i < parser.error_count(); ++i) {
      exprtk::parser_error::type e = parser.get_error(i);
      char line[1024];
      std::snprintf(line, sizeof line, "Error(%d): %s\n", static_cast<int32_t>(e.token.position),
                    e.diagnostic.c_str());
      host.mErrors += line;
    }
  } catch (const std::exception& e) {
    host.mErrors += std::string("Error(0): ") + e.what() + "\n";
  }
  return nullptr;
}

double evaluateExprtk(CompiledExprtk& compiled) { return compiled.expression.value(); }

bool compileAndRunExprtk(ExprtkHost& host, const std::string& text) {
  CompiledExprtkPtr c = compileExprtk(host, text);
  if (!c) return false;
  host.mResult = evaluateExprtk(*c);
  return true;
}

bool exprtkValidSymbol(const std::string& name) {
  if (name.empty() || !exprtk::details::is_letter(name[0])) return false;
  for (size_t i = 1; i < name.size(); ++i) {
    char ch = name[i];
    if (exprtk::details::is_letter_or_digit(ch) || ch == '_' || ch == ':') continue;
    if (ch == '.' && i + 1 < name.size()) continue;
    return false;
  }
  return !exprtk::details::is_reserved_symbol(name);
}

bool exprtkHostName(const std::string& name) {
  auto same = [&](std::string_view other) {
    if (other.size() != name.size()) return false;
    for (size_t i = 0; i < name.size(); ++i)
      if (foldAscii(name[i]) != foldAscii(other[i])) return false;
    return true;
  };
  for (const char* f : kFunctionNames)
    if (same(f)) return true;
  return same("pi") || same("epsilon") || same("inf");
}
