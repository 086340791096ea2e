#pragma once
// The signals that may end the program from outside (an interrupt, a terminate, a closed terminal,
// Ctrl+\, a user signal, a broken pipe) are blocked in every thread from the start and taken by one
// thread of their own with sigwait. What happens with each is up to the program's policy: while
// the policy says an upload runs they are held, and the program ends as asked once it is over;
// otherwise the policy acts on them or they take their default action as if nothing were here.
#include <functional>

#include "OrvFramework/Platform/Clock.h"

namespace Orv::Platform {

// Decides what a signal does. Every call is made on the signal thread with the policy lock held, so
// a call never overlaps SignalThread::SetPolicy or SignalThread::Update.
class ISignalPolicy {
public:
    virtual ~ISignalPolicy() = default;
    // Whether ending now would cut an upload; the signal is then held.
    virtual bool IsBusy() = 0;
    // The first signal that is held (later ones during the same upload are taken silently).
    virtual void OnHeld(int signal) = 0;
    // The upload that held `signal` (the first held one) is over: end the program as asked.
    virtual void OnHeldSignalDue(int signal) = 0;
    // A signal while nothing is held. True when the policy took care of it; false gives the
    // signal its default action (the process ends).
    virtual bool OnSignal(int signal) = 0;
};

class SignalThread {
public:
    // Blocks the signals in the calling thread; threads created afterwards inherit the mask, so
    // call it first in main, before any thread exists. Signals the process was started with
    // ignored (a background job's interrupt) stay ignored.
    static void BlockInThisThread();
    // Starts the thread that takes the signals, for the rest of the process. While a signal is
    // held it looks every `pollMs` whether the upload is over, through `clock`.
    static void Start(IClock& clock, int pollMs = 100);
    // Installs the policy (null: every signal takes its default action). Waits for a call in
    // progress, so after SetPolicy(nullptr) the old policy is never called again.
    static void SetPolicy(ISignalPolicy* policy);
    // Runs fn under the policy lock (to change what the policy looks at).
    static void Update(const std::function<void()>& fn);
    // The signals handled here.
    static bool IsHandled(int signal);
    // "SIGINT", "SIGTERM", ...
    static const char* Name(int signal);
};

}  // namespace Orv::Platform
