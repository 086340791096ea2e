#pragma once
// Ends a host loop that a fault left running (quit code -99), so a broken test fails instead of
// hanging.
#include <condition_variable>
#include <mutex>
#include <thread>

#include "OrvFramework/Platform/Clock.h"
#include "OrvFramework/Platform/HostApp.h"

class LoopWatchdog {
public:
    explicit LoopWatchdog(Orv::Platform::HostApp& app)
        : m_thread([this, &app] {
              std::unique_lock lock(m_lock);
              if (!Orv::Platform::GetRealClock().WaitFor(m_cv, lock, std::chrono::seconds(5),
                                                         [this] { return m_done; }))
                  app.PostQuit(-99);
          }) {}
    ~LoopWatchdog() {
        {
            std::lock_guard lock(m_lock);
            m_done = true;
        }
        m_cv.notify_all();
        m_thread.join();
    }

private:
    std::mutex m_lock;
    std::condition_variable m_cv;
    bool m_done = false;
    std::thread m_thread;
};
