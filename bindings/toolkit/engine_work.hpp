// The span of one engine call: the interpreter lock released around it when
// its declaration says so, and pending signals handled while it runs.
//
// Arguments are converted before the work starts and results after it ends,
// both with the lock held; in between the engine works on C++ copies and on
// values borrowed from immutable instances that the call keeps alive, and
// touches no Python object. Other threads run Python code meanwhile.
//
// An interruptible call hands the engine an Interrupt whose poll takes the
// lock back (when it was released), runs the interpreter's pending signal
// handlers and releases it again; a handler that raises (KeyboardInterrupt
// for Ctrl-C) stops the work, and its exception is the call's. Only the main
// thread runs signal handlers: the first poll asks which thread the work
// runs on, and elsewhere polls from then on answer at once, without the
// lock. Work shorter than the poll interval never asks.
//
// A daemon thread whose interpreter shuts down while it works cannot take
// the lock back; it waits there, running nothing more, for the process to end.
#pragma once

#include "toolkit/python.hpp"

#include "engine/interrupt.hpp"

namespace kolvar::bind {

class EngineWork {
public:
    // Called with the lock held; releases it when `release` is set.
    EngineWork(bool release, bool interruptible);
    // Takes the lock back, also when an exception leaves the work.
    ~EngineWork();
    EngineWork(const EngineWork&) = delete;
    EngineWork& operator=(const EngineWork&) = delete;

    // The engine's view of this call's interruption (valid while it lasts).
    engine::Interrupt interrupt();

private:
    static bool poll(void* context);

    enum class Thread { Unknown, Main, Other };

    PyThreadState* saved_ = nullptr;  // non-null while the lock is released
    bool polled_ = false;
    Thread thread_ = Thread::Unknown;
};

}  // namespace kolvar::bind
