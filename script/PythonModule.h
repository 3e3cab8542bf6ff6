// The program's Python module `Morvel`: 27 functions reaching the running document
// through gPythonHost (script/PythonRun.h), texts in UTF-8.
#pragma once
#include <Python.h>

// The module's init function, under the name the built-in table knows it by.
extern "C" PyObject* PyInit_Math();

// The exception open_file raises to end the run; the runner does not report it. Made at
// the module's first initialisation.
PyObject* pythonRunEndedError();
