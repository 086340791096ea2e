#include "OrvFramework/Platform/Signals.h"

#include <pthread.h>
#include <signal.h>

#include <atomic>
#include <mutex>
#include <thread>

namespace Orv::Platform {

namespace {

constexpr int kSignals[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGUSR1, SIGPIPE};

struct State {
    std::mutex lock;
    ISignalPolicy* policy = nullptr;
    sigset_t set;
    sigset_t ignoredAtStart;
    std::atomic<bool> started{false};
};

// Never destroyed: the signal thread may still wait on it while the process ends.
State& TheState() {
    static State* state = new State();
    return *state;
}

void DefaultAction(int signal) {
    struct sigaction action {};
    action.sa_handler = SIG_DFL;
    sigemptyset(&action.sa_mask);
    sigaction(signal, &action, nullptr);
    sigset_t one;
    sigemptyset(&one);
    sigaddset(&one, signal);
    // Raised on this thread with the signal unblocked here: the default action ends the process.
    pthread_sigmask(SIG_UNBLOCK, &one, nullptr);
    raise(signal);
    pthread_sigmask(SIG_BLOCK, &one, nullptr);
}

// Takes whatever else arrived meanwhile without waiting; those signals are covered by the hold.
void DrainPending(const sigset_t& set) {
    const timespec now{0, 0};
    while (sigtimedwait(&set, nullptr, &now) > 0) {
    }
}

void Loop(IClock* clock, int pollMs) {
    State& state = TheState();
    for (;;) {
        int signal = 0;
        if (sigwait(&state.set, &signal) != 0) continue;
        if (sigismember(&state.ignoredAtStart, signal)) continue;
        std::unique_lock guard(state.lock);
        if (!state.policy) {
            guard.unlock();
            DefaultAction(signal);
            continue;
        }
        if (!state.policy->IsBusy()) {
            if (!state.policy->OnSignal(signal)) {
                guard.unlock();
                DefaultAction(signal);
            }
            continue;
        }
        state.policy->OnHeld(signal);
        // Held until the upload is over; the wait is as long as the upload, which bounds itself.
        for (;;) {
            guard.unlock();
            clock->SleepMs(pollMs);
            DrainPending(state.set);
            guard.lock();
            if (!state.policy) break;  // the program is ending on its own
            if (!state.policy->IsBusy()) {
                state.policy->OnHeldSignalDue(signal);
                break;
            }
        }
    }
}

}  // namespace

void SignalThread::BlockInThisThread() {
    State& state = TheState();
    sigemptyset(&state.set);
    sigemptyset(&state.ignoredAtStart);
    for (int signal : kSignals) {
        sigaddset(&state.set, signal);
        struct sigaction current {};
        if (sigaction(signal, nullptr, &current) == 0 && current.sa_handler == SIG_IGN)
            sigaddset(&state.ignoredAtStart, signal);
    }
    pthread_sigmask(SIG_BLOCK, &state.set, nullptr);
}

void SignalThread::Start(IClock& clock, int pollMs) {
    State& state = TheState();
    if (state.started.exchange(true)) return;
    std::thread(Loop, &clock, pollMs).detach();
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
        return "SIGINT";
    case SIGTERM:
        return "SIGTERM";
    case SIGHUP:
        return "SIGHUP";
    case SIGQUIT:
        return "SIGQUIT";
    case SIGUSR1:
        return "SIGUSR1";
    case SIGPIPE:
        return "SIGPIPE";
    default:
        return "a signal";
    }
}

}  // namespace Orv::Platform
