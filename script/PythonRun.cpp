#include "script/PythonRun.h"

#include <cstdlib>
#include <string>
#include <vector>

#include "platform/user/Shell.h"
#include "script/PythonModule.h"
#include "script/ScriptEngines.h"

PythonHost* gPythonHost = nullptr;

namespace {

enum class Interpreter { NotStarted, Running, Failed };
Interpreter gInterpreter = Interpreter::NotStarted;

// A UTF-16 text as the interpreter's wide characters (one code point each).
std::wstring toPythonWide(const char16_t* s) {
  std::wstring out;
  for (; *s; ++s) {
    char32_t c = *s;
    if (c >= 0xD800 && c < 0xDC00 && s[1] >= 0xDC00 && s[1] < 0xE000) {
      c = 0x10000 + ((c - 0xD800) << 10) + (s[1] - 0xDC00);
      ++s;
    }
    out += static_cast<wchar_t>(c);
  }
  return out;
}

void stopInterpreter() {
  if (gInterpreter == Interpreter::Running) Py_FinalizeEx();
  gInterpreter = Interpreter::NotStarted;
}

// Starts the interpreter once per process: the module joins the built-in table, the
// program's command line becomes sys.argv, no signal handlers, UTF-8 mode (the C
// locale stays as it is). False when the interpreter cannot start.
bool startInterpreter() {
  if (gInterpreter != Interpreter::NotStarted) return gInterpreter == Interpreter::Running;
  gInterpreter = Interpreter::Failed;
  PyImport_AppendInittab("Morvel", PyInit_Math);

  PyPreConfig pre;
  PyPreConfig_InitPythonConfig(&pre);
  pre.configure_locale = 0;
  pre.utf8_mode = 1;
  if (PyStatus_Exception(Py_PreInitialize(&pre))) return false;

  PyConfig config;
  PyConfig_InitPythonConfig(&config);
  config.install_signal_handlers = 0;
  config.parse_argv = 0;
  int argc = 0;
  LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  std::vector<std::wstring> args;
  for (int i = 0; i < argc; ++i) args.push_back(toPythonWide(argv[i]));
  if (argv) LocalFree(argv);
  std::vector<wchar_t*> pointers;
  for (auto& a : args) pointers.push_back(a.data());
  PyStatus status = PyConfig_SetArgv(&config, Py_ssize_t(pointers.size()), pointers.data());
  if (!PyStatus_Exception(status)) status = Py_InitializeFromConfig(&config);
  PyConfig_Clear(&config);
  if (PyStatus_Exception(status)) return false;
  gInterpreter = Interpreter::Running;
  std::atexit(stopInterpreter);
  return true;
}

// A globals dictionary as __main__'s is made (its name, the built-ins), with the
// module imported. Null with an exception set on failure.
PyObject* freshGlobals() {
  PyObject* globals = PyDict_New();
  if (!globals) return nullptr;
  PyObject* name = PyUnicode_FromString("__main__");
  PyObject* builtins = PyImport_ImportModule("builtins");
  PyObject* module = PyImport_ImportModule("Morvel");
  bool ok = name && builtins && module && PyDict_SetItemString(globals, "__name__", name) == 0 &&
            PyDict_SetItemString(globals, "__builtins__", builtins) == 0 &&
            PyDict_SetItemString(globals, "Morvel", module) == 0;
  Py_XDECREF(name);
  Py_XDECREF(builtins);
  Py_XDECREF(module);
  if (!ok) Py_CLEAR(globals);
  return globals;
}

// The line of the traceback's first entry (the script's top-level statement), or -1.
long tracebackLine(PyObject* traceback) {
  PyObject* line = PyObject_GetAttrString(traceback, "tb_lineno");
  long n = line ? PyLong_AsLong(line) : -1;
  Py_XDECREF(line);
  PyErr_Clear();
  return n;
}

// Turns the pending exception into the error text; nothing for the end of the run that
// open_file asked for. True when the exception was that end.
bool reportException(PythonHost& host) {
  PyObject *type = nullptr, *value = nullptr, *traceback = nullptr;
  PyErr_Fetch(&type, &value, &traceback);
  PyErr_NormalizeException(&type, &value, &traceback);
  const bool ended = host.mEnded || (type && PyErr_GivenExceptionMatches(type, pythonRunEndedError()));
  if (!ended) {
    PyObject* repr = value ? PyObject_Repr(value) : nullptr;
    if (!repr) PyErr_Clear();
    PyObject* bytes = repr ? PyUnicode_AsEncodedString(repr, "utf-8", "Error ~") : nullptr;
    if (!bytes) PyErr_Clear();
    if (traceback) host.mErrors += "Line " + std::to_string(tracebackLine(traceback)) + ":";
    if (bytes) host.mErrors.append(PyBytes_AS_STRING(bytes), size_t(PyBytes_GET_SIZE(bytes)));
    Py_XDECREF(bytes);
    Py_XDECREF(repr);
  }
  Py_XDECREF(type);
  Py_XDECREF(value);
  Py_XDECREF(traceback);
  return ended;
}

}  // namespace

bool runPython(PythonHost& host, const std::string& script) {
  gPythonHost = &host;
  if (!startInterpreter()) {
    host.mErrors += "Python could not start.";
    return false;
  }
  PyObject* globals = freshGlobals();
  if (!globals) return reportException(host);
  PyObject* result = PyRun_StringFlags(script.c_str(), Py_file_input, globals, globals, nullptr);
  const bool ok = result != nullptr || reportException(host);
  Py_XDECREF(result);
  // The script's functions and classes refer to the dictionary: clearing it breaks those
  // cycles, so the script's objects go now rather than at a later collection.
  PyDict_Clear(globals);
  Py_DECREF(globals);
  return ok;
}

void installPythonEngine() {
  scriptEngines().runPython = [](PythonHost& host, const std::string& text) { runPython(host, text); };
}
