// The module `Morvel`: each function parses its arguments, calls the slot of the running
// record and builds its result. Arguments that do not parse leave PyArg_ParseTuple's
// exception (a TypeError for a wrong count or type) to the script. After open_file has
// ended the run, every call raises the end-of-run exception again.
#include "script/PythonModule.h"

#include <cmath>
#include <string>

#include "platform/CodePage.h"
#include "platform/user/Kernel.h"
#include "script/PythonRun.h"

namespace {

PyObject* gRunEnded = nullptr;  // the end-of-run exception type, made once

PythonHost& host() { return *gPythonHost; }

// False (with the end-of-run exception set) once open_file has ended the run.
bool live() {
  if (!host().mEnded) return true;
  PyErr_SetNone(gRunEnded);
  return false;
}

PyObject* one() { return Py_BuildValue("i", 1); }
// A text from the host's UTF-8 bytes; bytes that are not UTF-8 become U+FFFD.
PyObject* text(const std::string& s) { return PyUnicode_DecodeUTF8(s.data(), Py_ssize_t(s.size()), "replace"); }

PyObject* get(PyObject*, PyObject* args) {
  int row, col;
  if (!PyArg_ParseTuple(args, "ii", &row, &col) || !live()) return nullptr;
  return Py_BuildValue("d", host().getCell(row, col));
}
PyObject* set(PyObject*, PyObject* args) {
  int row, col;
  double value;
  if (!PyArg_ParseTuple(args, "iid", &row, &col, &value) || !live()) return nullptr;
  host().setCell(row, col, value);
  return one();
}
PyObject* get_(PyObject*, PyObject* args) {
  int row, col;
  if (!PyArg_ParseTuple(args, "ii", &row, &col) || !live()) return nullptr;
  return text(host().getCellText(row, col));
}
PyObject* set_(PyObject*, PyObject* args) {
  int row, col;
  const char* s;
  if (!PyArg_ParseTuple(args, "iis", &row, &col, &s) || !live()) return nullptr;
  host().setCellText(row, col, s);
  return one();
}
PyObject* get1(PyObject*, PyObject* args) {
  const char* table;
  int row, col;
  if (!PyArg_ParseTuple(args, "sii", &table, &row, &col) || !live()) return nullptr;
  return Py_BuildValue("d", host().getTableCell(table, row, col));
}
PyObject* set1(PyObject*, PyObject* args) {
  const char* table;
  int row, col;
  double value;
  if (!PyArg_ParseTuple(args, "siid", &table, &row, &col, &value) || !live()) return nullptr;
  host().setTableCell(table, row, col, value);
  return one();
}
PyObject* get1_(PyObject*, PyObject* args) {
  const char* table;
  int row, col;
  if (!PyArg_ParseTuple(args, "sii", &table, &row, &col) || !live()) return nullptr;
  return text(host().getTableCellText(table, row, col));
}
PyObject* set1_(PyObject*, PyObject* args) {
  const char* table;
  int row, col;
  const char* s;
  if (!PyArg_ParseTuple(args, "siis", &table, &row, &col, &s) || !live()) return nullptr;
  host().setTableCellText(table, row, col, s);
  return one();
}
// Any arguments are ignored.
PyObject* save(PyObject*, PyObject*) {
  if (!live()) return nullptr;
  return Py_BuildValue("i", host().saveDocument());
}
PyObject* set_progress(PyObject*, PyObject* args) {
  int percent;
  if (!PyArg_ParseTuple(args, "i", &percent) || !live()) return nullptr;
  host().showProgress(percent);
  return one();
}
PyObject* save_as(PyObject*, PyObject* args) {
  const char* path;
  if (!PyArg_ParseTuple(args, "s", &path) || !live()) return nullptr;
  return Py_BuildValue("i", host().saveDocumentAs(path));
}
template <IntFn PythonHost::*slot>
PyObject* count(PyObject*, PyObject*) {
  if (!live()) return nullptr;
  return Py_BuildValue("i", (host().*slot)());
}
template <PairFn PythonHost::*slot>
PyObject* pair(PyObject*, PyObject* args) {
  int a, b;
  if (!PyArg_ParseTuple(args, "ii", &a, &b) || !live()) return nullptr;
  (host().*slot)(a, b);
  return one();
}
// Unsigned, as the other engines hand it out: never negative, also past 2^31 ms.
PyObject* get_tick_count(PyObject*, PyObject*) {
  return Py_BuildValue("k", static_cast<unsigned long>(GetTickCount()));
}
// Replaces the document's content with the file and ends the run.
PyObject* open_file(PyObject*, PyObject* args) {
  const char* path;
  if (!PyArg_ParseTuple(args, "s", &path) || !live()) return nullptr;
  host().mEnded = true;
  host().openFile(utf8ToWide(path));
  PyErr_SetNone(gRunEnded);
  return nullptr;
}
// The save's own result: 0 for a title that no tab has or a failed save.
PyObject* saveAs1(PyObject*, PyObject* args) {
  const char* table;
  const char* path;
  if (!PyArg_ParseTuple(args, "ss", &table, &path) || !live()) return nullptr;
  return Py_BuildValue("i", host().saveTableAs(table, path));
}
PyObject* resize1(PyObject*, PyObject* args) {
  const char* table;
  int rows, cols;
  if (!PyArg_ParseTuple(args, "sii", &table, &rows, &cols) || !live()) return nullptr;
  host().resizeTable(table, rows, cols);
  return one();
}
PyObject* newFile(PyObject*, PyObject* args) {
  const char* path;
  if (!PyArg_ParseTuple(args, "s", &path) || !live()) return nullptr;
  return Py_BuildValue("i", host().createFile(path));
}
template <AreaFn PythonHost::*slot>
PyObject* area(PyObject*, PyObject* args) {
  const char* number;
  if (!PyArg_ParseTuple(args, "s", &number) || !live()) return nullptr;
  return text((host().*slot)(number));
}
// The code truncated toward zero; codes beyond the int range are clamped to it.
PyObject* PostCodeArea(PyObject*, PyObject* args) {
  double code;
  if (!PyArg_ParseTuple(args, "d", &code) || !live()) return nullptr;
  double t = std::trunc(code);
  int32_t c = std::isnan(t) ? 0 : t <= -2147483648.0 ? INT32_MIN : t >= 2147483647.0 ? INT32_MAX : int32_t(t);
  return text(host().postCodeArea(c));
}

PyMethodDef kMethods[] = {
    {"get", get, METH_VARARGS, "Morvel command:get."},
    {"set", set, METH_VARARGS, "Morvel command:set."},
    {"get_", get_, METH_VARARGS, "Morvel command:get_."},
    {"set_", set_, METH_VARARGS, "Morvel command:set_."},
    {"get1", get1, METH_VARARGS, "Morvel command:get."},
    {"set1", set1, METH_VARARGS, "Morvel command:set."},
    {"get1_", get1_, METH_VARARGS, "Morvel command:get_."},
    {"set1_", set1_, METH_VARARGS, "Morvel command:set_."},
    {"save", save, METH_VARARGS, "Morvel command:save."},
    {"set_progress", set_progress, METH_VARARGS, "Morvel command:set_progress."},
    {"save_as", save_as, METH_VARARGS, "Morvel command:save_as."},
    {"get_row_count", count<&PythonHost::rowCount>, METH_VARARGS, "Morvel command:get_row_count."},
    {"get_col_count", count<&PythonHost::colCount>, METH_VARARGS, "Morvel command:get_col_count."},
    {"get_selected_row", count<&PythonHost::selectedRow>, METH_VARARGS, "Morvel command:get_selected_row."},
    {"get_selected_col", count<&PythonHost::selectedCol>, METH_VARARGS, "Morvel command:get_selected_col."},
    {"resize", pair<&PythonHost::resizeSheet>, METH_VARARGS, "Morvel command:resize."},
    {"get_tick_count", get_tick_count, METH_VARARGS, "Morvel command:get_tick_count."},
    {"insert_col", pair<&PythonHost::insertCols>, METH_VARARGS, "Morvel command:insert_col."},
    {"insert_row", pair<&PythonHost::insertRows>, METH_VARARGS, "Morvel command:insert_row."},
    {"open_file", open_file, METH_VARARGS, "Morvel command:open_file."},
    {"sort", pair<&PythonHost::sortSelection>, METH_VARARGS, "Morvel command:sort."},
    {"saveAs1", saveAs1, METH_VARARGS, "Morvel command:saveAs1."},
    {"resize1", resize1, METH_VARARGS, "Morvel command:resize1."},
    {"newFile", newFile, METH_VARARGS, "Morvel command:newFile."},
    {"PhoneArea", area<&PythonHost::phoneArea>, METH_VARARGS, "Morvel command:PhoneArea."},
    {"IdCardArea", area<&PythonHost::idCardArea>, METH_VARARGS, "Morvel command:IdCardArea."},
    {"PostCodeArea", PostCodeArea, METH_VARARGS, "Morvel command:PostCodeArea."},
    {nullptr, nullptr, 0, nullptr},
};
static_assert(sizeof kMethods / sizeof kMethods[0] == 28);

PyModuleDef kModule = {
    PyModuleDef_HEAD_INIT, "Morvel", "Morvel module doc string", -1, kMethods, nullptr, nullptr, nullptr, nullptr,
};

}  // namespace

PyObject* pythonRunEndedError() { return gRunEnded; }

extern "C" PyObject* PyInit_Math() {
  if (!gRunEnded) gRunEnded = PyErr_NewException("Morvel.RunEnded", PyExc_BaseException, nullptr);
  if (!gRunEnded) return nullptr;
  return PyModule_Create2(&kModule, 1013);
}
