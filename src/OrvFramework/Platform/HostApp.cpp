#include "OrvFramework/Platform/HostApp.h"

#include "OrvFramework/Utilities/Storage/CommandLineOption.h"

// The parts of the application object that are the same for every toolkit; the rest is the
// backend's (Platform/<Toolkit>/).
namespace Orv::Platform {

namespace {
std::string g_commandLine;
}  // namespace

HostApp* HostApp::s_current = nullptr;

HostApp::HostApp() {
    if (!s_current) s_current = this;
}

void HostApp::RunPostedFunctions() {
    std::deque<std::function<void()>> batch;
    {
        std::lock_guard lock(m_postedLock);
        batch.swap(m_posted);
    }
    for (auto& fn : batch) fn();
}

IHostWindowEvents* HostApp::FindWindow(std::uint32_t windowId) const {
    const auto it = m_windows.find(windowId);
    return it == m_windows.end() ? nullptr : it->second;
}

void HostApp::RegisterWindow(std::uint32_t windowId, IHostWindowEvents* handler) {
    if (handler) m_windows[windowId] = handler;
}

void HostApp::UnregisterWindow(std::uint32_t windowId) {
    for (auto& timer : m_timers) {
        if (timer->windowId == windowId) StopWindowTimer(windowId, timer->timerId);
    }
    m_windows.erase(windowId);
}

bool HostApp::IsWindowRegistered(std::uint32_t windowId) const { return m_windows.count(windowId) != 0; }

const std::string& HostCommandLine() { return g_commandLine; }

int RunHostApp(HostApp& app, int argc, char** argv) {
    g_commandLine = JoinCommandLine(argc, argv);
    if (!app.InitApplication()) return 0;
    if (!app.InitInstance()) return 0;
    return app.Run();
}

}  // namespace Orv::Platform
