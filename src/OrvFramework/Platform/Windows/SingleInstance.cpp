#include "OrvFramework/Platform/SingleInstance.h"

// Windows: the lock is a named mutex of this session, "Local\<instance>Prevent", kept open for the
// life of the process (the system closes it with a crashed process). The hand-over channel is the
// first instance's main window, found by its class (the instance name) and sent a WM_COPYDATA; the
// host window passes the message to ReceiveCopyData on the user-interface thread.

#include <windows.h>

#include <mutex>

#include "OrvFramework/Platform/Windows/CopyData.h"
#include "OrvFramework/Platform/Windows/WideText.h"

namespace Orv::Platform {

namespace {

// Whoever listens for hand-overs in this process: the first instance, from StartListening on.
struct Listener {
    std::mutex lock;
    const void* owner = nullptr;
    SingleInstance::Handlers handlers;
    SingleInstance::Poster poster;
};

Listener& TheListener() {
    static Listener listener;
    return listener;
}

}  // namespace

struct SingleInstance::Backend {
    HANDLE mutex = nullptr;
    bool listening = false;
};

std::string SingleInstanceRuntimeFolder(std::string* error) {
    if (error) *error = "the single-instance lock lives in a named object of the session, not in a folder";
    return {};
}

// Windows names objects, not files: the folder has no part in it.
SingleInstance::SingleInstance(std::string instanceName, std::string /*runtimeFolder*/)
    : m_lockPath("Local\\" + instanceName + "Prevent"),
      m_socketPath(std::move(instanceName)),
      m_backend(std::make_unique<Backend>()) {}

SingleInstance::~SingleInstance() {
    StopListening();
    if (m_backend->mutex) CloseHandle(m_backend->mutex);
}

bool SingleInstance::IsFirst() const { return m_backend->mutex != nullptr; }

bool SingleInstance::TryBecomeFirst() {
    if (m_backend->mutex) return true;
    // Not owned: holding the handle is the lock. A name taken by another kind of object, or by
    // another user who denies us, fails here and is not taken as "first".
    HANDLE mutex = CreateMutexW(nullptr, FALSE, Windows::ToWide(m_lockPath).c_str());
    const DWORD error = GetLastError();
    if (!mutex) {
        m_error = "cannot create the mutex " + m_lockPath + ": " + Windows::SystemErrorText(error);
        return false;
    }
    if (error == ERROR_ALREADY_EXISTS) {
        CloseHandle(mutex);
        return false;
    }
    m_backend->mutex = mutex;
    return true;
}

bool SingleInstance::StartListening(Handlers handlers, Poster poster) {
    if (m_backend->listening) return true;
    if (!m_backend->mutex) return false;  // only the first instance answers
    Listener& listener = TheListener();
    std::lock_guard guard(listener.lock);
    listener.owner = this;
    listener.handlers = std::move(handlers);
    listener.poster = poster ? std::move(poster) : Poster([](std::function<void()> fn) { fn(); });
    m_backend->listening = true;
    return true;
}

void SingleInstance::StopListening() {
    if (!m_backend->listening) return;
    Listener& listener = TheListener();
    std::lock_guard guard(listener.lock);
    if (listener.owner == this) {
        listener.owner = nullptr;
        listener.handlers = {};
        listener.poster = nullptr;
    }
    m_backend->listening = false;
}

bool SingleInstance::SendToFirst(const std::string& commandLine, int timeoutMs) const {
    if (commandLine.size() + 1 > kSecondInstanceMaxLength) return false;
    const HWND window = FindWindowW(Windows::ToWide(m_socketPath).c_str(), nullptr);
    if (!window) return false;
    // The first instance comes to the front itself; only the foreground process may let it.
    DWORD process = 0;
    if (GetWindowThreadProcessId(window, &process) && process != GetCurrentProcessId())
        AllowSetForegroundWindow(process);
    // A zero-length record still asks the first instance to come to the front.
    COPYDATASTRUCT record{};
    record.dwData = kSecondInstanceCopyDataId;
    record.cbData = commandLine.empty() ? 0 : static_cast<DWORD>(commandLine.size() + 1);
    record.lpData = commandLine.empty() ? nullptr : const_cast<char*>(commandLine.c_str());
    DWORD_PTR answer = FALSE;
    const LRESULT sent = SendMessageTimeoutW(window, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&record),
                                             SMTO_ABORTIFHUNG | SMTO_BLOCK, timeoutMs > 0 ? timeoutMs : 0, &answer);
    return sent != 0 && answer == TRUE;
}

bool ReceiveCopyData(std::uintptr_t identifier, const void* data, std::size_t size) {
    // Anything that is not a well-formed hand-over is refused: another program may send this
    // window whatever it likes.
    if (identifier != kSecondInstanceCopyDataId || size > kSecondInstanceMaxLength) return false;
    std::string text;
    if (size > 0) {
        const char* bytes = static_cast<const char*>(data);
        if (!bytes || bytes[size - 1] != '\0') return false;
        text.assign(bytes);  // up to the first zero, as a C string is read
    }
    Listener& listener = TheListener();
    std::unique_lock guard(listener.lock);
    if (!listener.owner) return false;
    SingleInstance::Handlers copy = listener.handlers;
    SingleInstance::Poster poster = listener.poster;
    guard.unlock();
    poster([copy, text] {
        if (copy.activate) copy.activate();
        if (!text.empty() && copy.commandLine) copy.commandLine(text);
    });
    return true;
}

}  // namespace Orv::Platform
