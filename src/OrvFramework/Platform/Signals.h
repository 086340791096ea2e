#pragma once
// The requests from outside to end the program (on Linux the signals SIGINT, SIGTERM, SIGHUP,
// SIGQUIT, SIGUSR1 and SIGPIPE) are taken by one thread of their own instead of interrupting
// whatever runs. What happens with each is up to the program's policy: while the policy says an
// upload runs they are held, and the program ends as asked once it is over; otherwise the policy
// acts on them or they take their default action as if nothing were here.
//
// Contract: main calls BlockInThisThread first, before any thread exists, then Start once; the
// policy is set and changed from any thread. The policy is called only on the backend's own thread
// and only under the policy lock. Requests the process was started with ignored stay ignored. A
// held request is looked at again every pollMs through the clock, never by sleeping. A new backend
// maps its platform's end requests (console control events, session end) onto the same calls and
// names them through Name(); the numbers are the backend's own and only compared, never computed.
// The Linux backend is Posix/Signals.cpp (blocked signal mask, sigwait).
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
