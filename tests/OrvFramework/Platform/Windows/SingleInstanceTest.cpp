#include "OrvFramework/Platform/SingleInstance.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>
#include <utility>
#include <vector>

#include "OrvFramework/Platform/Clock.h"
#include "OrvFramework/Platform/Windows/CopyData.h"

using namespace Orv::Platform;

namespace {

// Unique per process, so that parallel test runs do not meet.
const std::string kName = "{D91E3B79-2666-44d2-BA56-6251BEEDAFBB}_Test" + std::to_string(GetCurrentProcessId());

// What the host window does with WM_COPYDATA, in a plain Win32 window of the instance's class on
// a thread of its own, as the first instance's user-interface thread would have it.
class HandOverWindow {
public:
    HandOverWindow() : m_thread([this] { Run(); }) {
        std::unique_lock lock(m_lock);
        GetRealClock().WaitFor(m_cv, lock, std::chrono::seconds(10), [this] { return m_ready; });
    }
    ~HandOverWindow() {
        if (m_window) PostMessageW(m_window, WM_CLOSE, 0, 0);
        m_thread.join();
    }
    HWND Handle() const { return m_window; }

private:
    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        if (message == WM_COPYDATA) {
            const auto* record = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
            return ReceiveCopyData(record->dwData, record->lpData, record->cbData) ? TRUE : FALSE;
        }
        if (message == WM_DESTROY) PostQuitMessage(0);
        return DefWindowProcW(window, message, wParam, lParam);
    }
    void Run() {
        const std::wstring className(kName.begin(), kName.end());
        WNDCLASSW windowClass{};
        windowClass.lpfnWndProc = Procedure;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.lpszClassName = className.c_str();
        RegisterClassW(&windowClass);
        HWND window = CreateWindowExW(0, className.c_str(), L"hand-over", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr,
                                      nullptr, windowClass.hInstance, nullptr);
        {
            std::lock_guard lock(m_lock);
            m_window = window;
            m_ready = true;
        }
        m_cv.notify_all();
        MSG message;
        while (window && GetMessageW(&message, nullptr, 0, 0) > 0) DispatchMessageW(&message);
        UnregisterClassW(className.c_str(), windowClass.hInstance);
    }

    std::mutex m_lock;
    std::condition_variable m_cv;
    bool m_ready = false;
    HWND m_window = nullptr;
    std::thread m_thread;
};

class WindowsSingleInstance : public ::testing::Test {
protected:
    // Stands in for the user-interface thread's queue: hand-overs wait here until the test runs them.
    SingleInstance::Poster QueuePoster() {
        return [this](std::function<void()> fn) {
            std::lock_guard lock(m_queueLock);
            m_queue.push_back(std::move(fn));
        };
    }
    void RunQueued() {
        std::unique_lock lock(m_queueLock);
        auto batch = std::exchange(m_queue, {});
        lock.unlock();
        for (auto& fn : batch) fn();
    }
    SingleInstance::Handlers Recording() {
        return {[this] { ++m_activations; }, [this](const std::string& s) { m_lines.push_back(s); }};
    }
    // A raw WM_COPYDATA as any program could send it; true when the window took it.
    static bool SendRaw(HWND window, ULONG_PTR identifier, const std::string& bytes) {
        COPYDATASTRUCT record{identifier, static_cast<DWORD>(bytes.size()), const_cast<char*>(bytes.data())};
        return SendMessageW(window, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&record)) == TRUE;
    }

    std::mutex m_queueLock;
    std::deque<std::function<void()>> m_queue;
    int m_activations = 0;
    std::vector<std::string> m_lines;
};

}  // namespace

TEST_F(WindowsSingleInstance, TheSessionMutexLetsOneInstanceBeFirstAndIsFreedWithIt) {
    auto first = std::make_unique<SingleInstance>(kName);
    SingleInstance second(kName);
    EXPECT_EQ(first->LockPath(), "Local\\" + kName + "Prevent");
    ASSERT_TRUE(first->TryBecomeFirst());
    EXPECT_FALSE(second.TryBecomeFirst());
    EXPECT_FALSE(second.IsFirst());
    EXPECT_EQ(second.Error(), "");  // held by another, not broken
    first.reset();
    EXPECT_TRUE(second.TryBecomeFirst());

    // A name the system refuses is a lock that cannot be made, never "first".
    SingleInstance unnamable("bad\\name");
    EXPECT_FALSE(unnamable.TryBecomeFirst());
    EXPECT_NE(unnamable.Error().find("cannot create the mutex"), std::string::npos) << unnamable.Error();
}

TEST_F(WindowsSingleInstance, SecondInstanceHandsItsCommandLineToTheFirstsWindow) {
    SingleInstance first(kName), second(kName);
    ASSERT_TRUE(first.TryBecomeFirst());
    EXPECT_FALSE(second.SendToFirst("updater -SILENT"));  // no window yet
    HandOverWindow window;
    ASSERT_NE(window.Handle(), nullptr);
    EXPECT_FALSE(second.SendToFirst("updater -SILENT"));  // a window, but nobody listens yet

    ASSERT_TRUE(first.StartListening(Recording(), QueuePoster()));
    EXPECT_TRUE(second.SendToFirst("updater -FIRMWARE_VERSION=1.0.2 \xC3\xA9"));
    EXPECT_TRUE(second.SendToFirst(""));  // still asks for the front
    EXPECT_EQ(m_activations, 0);          // nothing runs off the user-interface thread
    RunQueued();
    EXPECT_EQ(m_activations, 2);
    EXPECT_EQ(m_lines, (std::vector<std::string>{"updater -FIRMWARE_VERSION=1.0.2 \xC3\xA9"}));

    // Whatever else reaches the window is refused and queues nothing.
    EXPECT_FALSE(SendRaw(window.Handle(), 0x466, std::string("ab\0", 3)));
    EXPECT_FALSE(SendRaw(window.Handle(), 0x465, "abc"));  // no terminating zero
    EXPECT_FALSE(SendRaw(window.Handle(), 0x465, std::string(kSecondInstanceMaxLength, '\0') + '\0'));
    EXPECT_TRUE(SendRaw(window.Handle(), 0x465, std::string("ab\0cd\0", 6)));  // read up to the first zero
    RunQueued();
    EXPECT_EQ(m_activations, 3);
    EXPECT_EQ(m_lines.back(), "ab");

    first.StopListening();
    EXPECT_FALSE(second.SendToFirst("late"));
    RunQueued();
    EXPECT_EQ(m_activations, 3);
}
