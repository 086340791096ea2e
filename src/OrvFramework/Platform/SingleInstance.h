#pragma once
// One instance per user and instance name, and the hand-over from a later instance to the first.
//
// Contract (what every backend provides; Posix/SingleInstance.cpp is the one for Linux):
// - Called from the user-interface thread at start-up (TryBecomeFirst, SendToFirst) and at the end
//   (StopListening, the destructor). Handlers run on the user-interface thread through the poster;
//   the backend's own listener thread never calls them directly.
// - The lock belongs to the process and to this user: a crashed first instance leaves nothing that
//   blocks the next start, and no other user can take the names first. Failing to make the lock is
//   not "first": TryBecomeFirst answers false and Error() says why, because two programs must never
//   talk to the device at once.
// - A hand-over carries the narrow (UTF-8) command line; the first instance answers only after it
//   has queued the handlers, so a true SendToFirst means it will be handled. Every wait is bounded.
// - LockPath/SocketPath name the lock and the hand-over channel in the backend's own terms (file
//   paths on Linux, object names elsewhere); they are for messages and tests.
// The Linux backend: an flock on "<instance>.lock" held for the life of the process and, once the
// window exists, the Unix-domain socket "<instance>.sock", both in a folder only this user can enter.
//
// The Linux backend's record of a hand-over (host byte order, it never leaves the machine; the
// magic and identifier below are the ones a copy-data message carries elsewhere):
//   uint32 magic "ORVI", uint32 identifier 0x465, uint32 length, then `length` bytes: the narrow
//   (UTF-8) command line and its terminating zero, so length = string length + 1 (0 when there is
//   no command line, which still asks the first instance to come to the front).
// The first instance answers one byte (1) once it has taken the record.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace Orv::Platform {

inline constexpr std::uint32_t kSecondInstanceMagic = 0x4F525649;  // "ORVI"
inline constexpr std::uint32_t kSecondInstanceCopyDataId = 0x465;
// Longer hand-overs are refused: a command line is never this long.
inline constexpr std::uint32_t kSecondInstanceMaxLength = 64 * 1024;

// The folder for the lock and the hand-over channel for this process and user (Linux:
// $XDG_RUNTIME_DIR when it is private, else a folder of the user's own under /tmp). Empty, with the
// reason in *error, when there is no such folder.
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
    bool IsFirst() const;
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
    // The backend's handles and listener thread.
    struct Backend;

    std::string m_lockPath;
    std::string m_socketPath;
    std::string m_error;
    std::unique_ptr<Backend> m_backend;
};

}  // namespace Orv::Platform
