// The one place that includes Python.h: the module is built on the limited
// (stable) API of CPython 3.9 and later.
#pragma once

#ifndef Py_LIMITED_API
#define Py_LIMITED_API 0x03090000
#endif
#define PY_SSIZE_T_CLEAN
#include <Python.h>
