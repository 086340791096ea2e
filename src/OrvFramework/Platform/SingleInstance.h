#pragma once
// One instance per user and instance name. The first instance holds an flock on
// "<instance>.lock" for the life of the process and, once its window exists, listens on the
// Unix-domain socket "<instance>.sock", both in a folder only this user can enter (see
// SingleInstanceRuntimeFolder), so that no other user can take the names first. A later instance finds the lock taken, connects and hands over its command line; the first
// instance raises its window and receives the command line on its user-interface thread.
//
// Wire format of a hand-over (host byte order, the socket never leaves the machine):
//   uint32 magic "ORVI", uint32 identifier 0x465, uint32 length, then `length` bytes: the narrow
//   (UTF-8) command line and its terminating zero, so length = string length + 1 (0 when there is
//   no command line, which still asks the first instance to come to the front).
// The first instance answers one byte (1) once it has taken the record.
#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <thread>

namespace Orv::Platform {

inline constexpr std::uint32_t kSecondInstanceMagic = 0x4F525649;  // "ORVI"
inline constexpr std::uint32_t kSecondInstanceCopyDataId = 0x465;
// Longer hand-overs are refused: a command line is never this long.
inline constexpr std::uint32_t kSecondInstanceMaxLength = 64 * 1024;

// The folder for the lock and the socket. xdgRuntimeDir when it is a folder (not a link) owned by
// this user and closed to everyone else (no group or other permission bits); otherwise
// fallbackParent + "/varnet-updater-<uid>", created with mode 0700 when missing, and refused when it
// is a link, not a folder, another user's or open to others. Empty, with the reason in *error,
// when there is no such folder.
std::string ChoosePrivateRuntimeFolder(const char* xdgRuntimeDir, const std::string& fallbackParent,
                                       std::string* error = nullptr);
// The same for this process: $XDG_RUNTIME_DIR, else a folder of the user's own under /tmp.
std::string SingleInstanceRuntimeFolder(std::string* error = nullptr);

class SingleInstance {
public:
    // What the first instance does with a hand-over; called through the poster.
    struct Handlers {
        // Always called: bring the main window to the front, restoring it when minimized.
        std::function<void()> activate;
        // Called after activate when the second instance sent a non-empty command line.
        std::function<void(const std::string&)> commandLine;
    };
    // Runs a function on the user-interface thread (HostApp::RunOnUiThread, or a direct call).
    using Poster = std::function<void(std::function<void()>)>;

    // runtimeFolder empty = SingleInstanceRuntimeFolder(); when that gives none, the lock cannot
    // be taken and Error() says why.
    explicit SingleInstance(std::string instanceName, std::string runtimeFolder = {});
    ~SingleInstance();
    SingleInstance(const SingleInstance&) = delete;
    SingleInstance& operator=(const SingleInstance&) = delete;

    // Takes the lock if nobody holds it. True = this is the first instance (the lock is kept until
    // this object ends). False when another instance holds it, or when the lock cannot be made at
    // all (Error() then tells why): two programs must never talk to the device at once.
    bool TryBecomeFirst();
    bool IsFirst() const { return m_lockFd >= 0; }
    // Why the lock could not be made; empty when it could (or another instance holds it).
    const std::string& Error() const { return m_error; }

    // First instance: start accepting hand-overs (call once the main window exists). A socket left
    // behind by a crashed instance is replaced. False when the socket cannot be made.
    bool StartListening(Handlers handlers, Poster poster);
    void StopListening();

    // Later instance: hand the command line to the first one. True when the first instance took
    // it (the caller then ends quietly); false when nobody listens (no window yet, a stale socket),
    // and the caller runs on as the original does when it finds no window.
    bool SendToFirst(const std::string& commandLine, int timeoutMs = 2000) const;

    const std::string& LockPath() const { return m_lockPath; }
    const std::string& SocketPath() const { return m_socketPath; }

private:
    void ListenLoop();
    void ServeConnection(int fd);

    std::string m_lockPath;
    std::string m_socketPath;
    std::string m_error;
    int m_lockFd = -1;

    int m_listenFd = -1;
    int m_wakeFds[2] = {-1, -1};
    std::thread m_listener;
    Handlers m_handlers;
    Poster m_poster;
};

}  // namespace Orv::Platform
