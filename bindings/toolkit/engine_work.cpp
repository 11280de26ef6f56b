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
// on. When this cannot be told, polling is the safe side.
bool handles_signals()
{
    Ref threading = Ref::steal(PyImport_ImportModule("threading"));
    Ref main = threading ? Ref::steal(PyObject_CallMethod(threading.get(), "main_thread", nullptr)) : Ref();
    Ref ident = main ? Ref::steal(PyObject_GetAttrString(main.get(), "ident")) : Ref();
    const unsigned long main_ident = ident ? PyLong_AsUnsignedLong(ident.get()) : 0;
    if (PyErr_Occurred()) {
        PyErr_Clear();
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
    const bool stop = work->thread_ == Thread::Main && PyErr_CheckSignals() < 0;
    if (work->saved_ != nullptr) work->saved_ = PyEval_SaveThread();
    return stop;
}

}  // namespace kolvar::bind
