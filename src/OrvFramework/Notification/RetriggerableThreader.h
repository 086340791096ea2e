#pragma once
// One long-lived worker thread that sleeps until it is triggered, runs one unit of work, and can be
// triggered again once that work has finished. Triggers are not queued: a busy threader refuses.
#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>

#include "OrvFramework/Notification/Event.h"
#include "OrvFramework/Notification/ThreadWorker.h"
#include "OrvFramework/Platform/Clock.h"
#include "OrvFramework/Platform/ThreadPriority.h"

namespace Orv {

class RetriggerableThreader {
public:
    // How long destruction waits for a run in progress before it gives up on the thread.
    static constexpr std::chrono::milliseconds kStopTimeout{60000};

    explicit RetriggerableThreader(Platform::IClock& clock = Platform::GetRealClock());
    ~RetriggerableThreader();
    RetriggerableThreader(const RetriggerableThreader&) = delete;
    RetriggerableThreader& operator=(const RetriggerableThreader&) = delete;

    // 0 when the worker will run; 0x80004005 when the threader is stopping or still busy.
    // `priority` is the relative scheduling priority (-2 lowest .. 2 highest, 0 normal), applied as
    // far as the system allows. `completion`, when given, is set once this run has finished.
    ORVRESULT Trigger(const ConstRCPtr<LThreadWorker>& worker, const ConstRCPtr<LRefCountedObject>& parameters,
                      int priority = 0, const ConstRCPtr<LEvent>& completion = nullptr);

    bool IsBusy() const;
    ORVRESULT GetLastResult() const;
    std::thread::id GetThreadId() const { return m_threadId; }

private:
    // Shared with the thread, so that a thread still running after a timed-out stop touches nothing
    // that has gone.
    struct State {
        std::mutex lock;
        std::condition_variable wake;  // auto-reset wake event
        bool wakeSignalled = false;
        std::condition_variable ended;  // the thread has left its loop
        bool threadEnded = false;
        std::atomic<bool> busy{false};
        std::atomic<bool> stopping{false};
        ConstRCPtr<LThreadWorker> worker;
        ConstRCPtr<LRefCountedObject> parameters;
        ConstRCPtr<LEvent> completion;
        std::atomic<ORVRESULT> lastResult{S_OK};
        std::atomic<Platform::NativeThreadId> nativeId{0};
    };
    static void ThreadProc(std::shared_ptr<State> state);

    Platform::IClock& m_clock;
    std::shared_ptr<State> m_state;
    std::thread m_thread;
    std::thread::id m_threadId;
};

}  // namespace Orv
