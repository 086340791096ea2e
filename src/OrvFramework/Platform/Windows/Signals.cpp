#include "OrvFramework/Platform/Signals.h"

// Windows has no signals to block: the end requests are console control events, which the system
// delivers to a routine on a thread it creates for each event. That routine applies the policy as
// the Linux signal thread does: Ctrl+C is SIGINT, Ctrl+Break SIGBREAK, and the console's close,
// logoff and shutdown are SIGTERM. After the last three the system ends the process as soon as the
// routine returns, so the routine returns only once the program had its chance to end by itself.
// A process started with Ctrl+C ignored is not given the event by the system at all.

#include <csignal>
#include <mutex>

#include "OrvFramework/Platform/Windows/ConsoleControl.h"

namespace Orv::Platform {

namespace {

constexpr int kSignals[] = {SIGINT, SIGBREAK, SIGTERM};
// The longest the system lets a routine run after a shutdown event; after a close it waits less.
constexpr int kEndGraceMs = 20000;

struct State {
    std::mutex lock;  // the policy lock
    ISignalPolicy* policy = nullptr;
    IClock* clock = nullptr;
    int pollMs = 100;
    bool holding = false;  // a held request waits for the upload to end
};

// Never destroyed: a routine may still run while the process ends.
State& TheState() {
    static State* state = new State();
    return *state;
}

int SignalOf(DWORD event) {
    switch (event) {
    case CTRL_C_EVENT:
        return SIGINT;
    case CTRL_BREAK_EVENT:
        return SIGBREAK;
    case CTRL_CLOSE_EVENT:
    case CTRL_LOGOFF_EVENT:
    case CTRL_SHUTDOWN_EVENT:
        return SIGTERM;
    default:
        return 0;
    }
}

// After these events the process ends when the routine returns, whatever it answers.
bool EndsOnReturn(DWORD event) { return SignalOf(event) == SIGTERM; }

// Gives the program the time the system allows to end by itself once it was asked to.
BOOL Taken(DWORD event, IClock& clock, int pollMs) {
    if (EndsOnReturn(event))
        for (std::int64_t waited = 0; waited < kEndGraceMs; waited += pollMs) clock.SleepMs(pollMs);
    return TRUE;
}

}  // namespace

namespace Windows {

BOOL WINAPI ConsoleControlRoutine(DWORD event) {
    State& state = TheState();
    const int signal = SignalOf(event);
    std::unique_lock guard(state.lock);
    if (signal == 0 || !state.clock) return FALSE;
    IClock& clock = *state.clock;
    const int pollMs = state.pollMs;
    if (state.holding) {
        // Covered by the request already held: taken silently, and the process stays until the
        // upload is over.
        while (state.holding) {
            guard.unlock();
            clock.SleepMs(pollMs);
            guard.lock();
        }
        guard.unlock();
        return Taken(event, clock, pollMs);
    }
    if (!state.policy) return FALSE;
    if (!state.policy->IsBusy()) {
        if (!state.policy->OnSignal(signal)) return FALSE;
        guard.unlock();
        return Taken(event, clock, pollMs);
    }
    state.policy->OnHeld(signal);
    state.holding = true;
    // Held until the upload is over; the wait is as long as the upload, which bounds itself.
    for (;;) {
        guard.unlock();
        clock.SleepMs(pollMs);
        guard.lock();
        if (!state.policy) break;  // the program is ending on its own
        if (!state.policy->IsBusy()) {
            state.policy->OnHeldSignalDue(signal);
            break;
        }
    }
    state.holding = false;
    guard.unlock();
    return Taken(event, clock, pollMs);
}

}  // namespace Windows

// Nothing to block: the events reach the routine once Start has installed it, and until then the
// system's own routine ends the process, as a signal's default action would.
void SignalThread::BlockInThisThread() {}

void SignalThread::Start(IClock& clock, int pollMs) {
    State& state = TheState();
    {
        std::lock_guard guard(state.lock);
        if (state.clock) return;
        state.clock = &clock;
        state.pollMs = pollMs > 0 ? pollMs : 1;
    }
    SetConsoleCtrlHandler(Windows::ConsoleControlRoutine, TRUE);
}

void SignalThread::SetPolicy(ISignalPolicy* policy) {
    State& state = TheState();
    std::lock_guard guard(state.lock);
    state.policy = policy;
}

void SignalThread::Update(const std::function<void()>& fn) {
    State& state = TheState();
    std::lock_guard guard(state.lock);
    if (fn) fn();
}

bool SignalThread::IsHandled(int signal) {
    for (int s : kSignals)
        if (s == signal) return true;
    return false;
}

const char* SignalThread::Name(int signal) {
    switch (signal) {
    case SIGINT:
        return "Ctrl+C";
    case SIGBREAK:
        return "Ctrl+Break";
    case SIGTERM:
        return "the console's close, logoff or shutdown";
    default:
        return "a request to end";
    }
}

}  // namespace Orv::Platform
