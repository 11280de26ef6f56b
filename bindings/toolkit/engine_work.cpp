#include "toolkit/engine_work.hpp"

#include "toolkit/ref.hpp"

#include <unistd.h>

namespace kolvar::bind {
namespace {

// Takes the lock back. An interpreter that is shutting down ends a daemon
// thread asking for the lock with pthread_exit, which unwinds the thread's
// stack as if by an exception (the only one that can leave this C call):
// through this layer it would release Python references without the lock,
// and through a noexcept frame it aborts the process. Such a thread instead
// waits, running nothing more, for the process to end.
void retake_lock(PyThreadState* state)
{
    try {
        PyEval_RestoreThread(state);
    } catch (...) {
        for (;;) pause();
    }
}

// Whether the calling thread is the one the interpreter runs signal handlers
// on, by threading's record of the main thread. The record is read from
// dictionaries, never by calling into Python: Python code run here would run
// a pending signal's handler, and its KeyboardInterrupt would be raised where
// nothing can report it. When this cannot be told (threading not imported, a
// record of another shape), polling is the safe side: PyErr_CheckSignals runs
// no handler on another thread. Only the failures of these reads are cleared;
// any other exception is left pending and stops the work.
bool handles_signals()
{
    PyObject* modules = PyImport_GetModuleDict();  // borrowed, as are the items below
    PyObject* threading = modules != nullptr ? PyDict_GetItemString(modules, "threading") : nullptr;
    PyObject* globals = threading != nullptr && PyModule_Check(threading) ? PyModule_GetDict(threading) : nullptr;
    PyObject* main = globals != nullptr ? PyDict_GetItemString(globals, "_main_thread") : nullptr;
    // The instance's own attributes: __dict__ is a slot of its type, read by C.
    Ref attributes = Ref::steal(main != nullptr ? PyObject_GetAttrString(main, "__dict__") : nullptr);
    PyObject* ident = attributes && PyDict_Check(attributes.get()) ? PyDict_GetItemString(attributes.get(), "_ident")
                                                                    : nullptr;
    if (ident == nullptr || !PyLong_Check(ident)) {
        if (PyErr_ExceptionMatches(PyExc_AttributeError)) PyErr_Clear();  // an object without __dict__
        return true;
    }
    const unsigned long main_ident = PyLong_AsUnsignedLong(ident);
    if (PyErr_Occurred()) {
        if (PyErr_ExceptionMatches(PyExc_OverflowError)) PyErr_Clear();  // an ident out of range
        return true;
    }
    return main_ident == PyThread_get_thread_ident();
}

}  // namespace

EngineWork::EngineWork(bool release, bool interruptible) : polled_(interruptible)
{
    if (release) saved_ = PyEval_SaveThread();
}

EngineWork::~EngineWork()
{
    if (saved_ != nullptr) retake_lock(saved_);
}

engine::Interrupt EngineWork::interrupt()
{
    return polled_ ? engine::Interrupt(&EngineWork::poll, this) : engine::Interrupt();
}

bool EngineWork::poll(void* context)
{
    auto* work = static_cast<EngineWork*>(context);
    if (work->thread_ == Thread::Other) return false;
    if (work->saved_ != nullptr) retake_lock(work->saved_);
    // Which thread this is matters only to work that lasts until the first
    // poll, so it is asked then, not at every call.
    if (work->thread_ == Thread::Unknown) work->thread_ = handles_signals() ? Thread::Main : Thread::Other;
    const bool stop = PyErr_Occurred() != nullptr || (work->thread_ == Thread::Main && PyErr_CheckSignals() < 0);
    if (work->saved_ != nullptr) work->saved_ = PyEval_SaveThread();
    return stop;
}

}  // namespace kolvar::bind
