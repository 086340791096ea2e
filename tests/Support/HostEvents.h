#pragma once
// For the host toolkit's tests: a watchdog that ends a loop a fault left running, and a window
// handler that writes what it receives as lines.
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "OrvFramework/Platform/Clock.h"
#include "OrvFramework/Platform/HostApp.h"

// Quits the loop with -99 after 5 s, so a broken test fails instead of hanging.
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

struct HostEventLog : Orv::Platform::IHostWindowEvents {
    std::vector<std::string> log;
    void OnHostMouseButton(int button, bool down, bool dbl, int x, int y, unsigned) override {
        log.push_back("button " + std::to_string(button) + (down ? " down" : " up") + (dbl ? " double" : "") + " " +
                      std::to_string(x) + "," + std::to_string(y));
    }
    void OnHostKey(const Orv::Platform::HostKeyEvent& key, bool down) override {
        log.push_back("key " + std::to_string(key.virtualKey) + (down ? " down" : " up") +
                      (key.repeat ? " repeat" : "") + (key.modifiers ? " mods " + std::to_string(key.modifiers) : "") +
                      (key.systemKeyHeld ? " gui" : ""));
    }
    void OnHostMouseWheel(int dx, int dy, unsigned) override {
        log.push_back("wheel " + std::to_string(dx) + "," + std::to_string(dy));
    }
    void OnHostTextInput(std::string_view utf8, unsigned, bool) override { log.push_back("text " + std::string(utf8)); }
    void OnHostClose() override { log.push_back("close"); }
    void OnHostFocus(bool gained) override { log.push_back(gained ? "focus" : "blur"); }
};
