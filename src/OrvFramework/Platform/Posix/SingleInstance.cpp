#include "OrvFramework/Platform/SingleInstance.h"
#include "OrvFramework/Platform/Posix/RuntimeFolder.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <thread>
#include <vector>

namespace Orv::Platform {

namespace {

struct HandOverHeader {
    std::uint32_t magic;
    std::uint32_t identifier;
    std::uint32_t length;
};

// A client that connects and then stalls must not hold the listener up for long.
constexpr int kServeTimeoutMs = 2000;

bool FillAddress(const std::string& path, sockaddr_un& addr) {
    std::memset(&addr, 0, sizeof addr);
    addr.sun_family = AF_UNIX;
    if (path.size() >= sizeof addr.sun_path) return false;
    std::memcpy(addr.sun_path, path.c_str(), path.size() + 1);
    return true;
}

// Reads or writes exactly n bytes, each step bounded by poll.
bool TransferAll(int fd, void* data, std::size_t n, bool reading, int timeoutMs) {
    auto* p = static_cast<char*>(data);
    while (n > 0) {
        pollfd pfd{fd, static_cast<short>(reading ? POLLIN : POLLOUT), 0};
        const int ready = poll(&pfd, 1, timeoutMs);
        if (ready < 0 && errno == EINTR) continue;
        if (ready <= 0) return false;
        const ssize_t done = reading ? recv(fd, p, n, 0) : send(fd, p, n, MSG_NOSIGNAL);
        if (done < 0 && (errno == EINTR || errno == EAGAIN)) continue;
        if (done <= 0) return false;
        p += done;
        n -= static_cast<std::size_t>(done);
    }
    return true;
}

}  // namespace

struct SingleInstance::Backend {
    int lockFd = -1;
    int listenFd = -1;
    int wakeFds[2] = {-1, -1};
    std::thread listener;
    Handlers handlers;
    Poster poster;

    void ListenLoop();
    void ServeConnection(int fd);
};

namespace {

// Why `path` is not a private folder of this user; empty when it is. lstat: a link is never taken,
// whatever it points at.
std::string WhyNotPrivate(const std::string& path) {
    struct stat st {};
    if (lstat(path.c_str(), &st) != 0) return path + ": " + std::strerror(errno);
    if (S_ISLNK(st.st_mode)) return path + " is a symbolic link";
    if (!S_ISDIR(st.st_mode)) return path + " is not a folder";
    if (st.st_uid != getuid()) return path + " belongs to another user";
    if ((st.st_mode & 077) != 0 || (st.st_mode & 0700) != 0700)
        return path + " is not private (mode " + std::to_string((st.st_mode >> 6) & 7) +
               std::to_string((st.st_mode >> 3) & 7) + std::to_string(st.st_mode & 7) + ", not 700)";
    return {};
}

}  // namespace

std::string ChoosePrivateRuntimeFolder(const char* xdgRuntimeDir, const std::string& fallbackParent,
                                       std::string* error) {
    if (xdgRuntimeDir && *xdgRuntimeDir && WhyNotPrivate(xdgRuntimeDir).empty()) return xdgRuntimeDir;
    const std::string own = fallbackParent + "/varnet-updater-" + std::to_string(getuid());
    // An existing entry is checked like a new one: whoever made it first must have been us.
    if (mkdir(own.c_str(), 0700) != 0 && errno != EEXIST) {
        if (error) *error = "cannot create " + own + ": " + std::strerror(errno);
        return {};
    }
    std::string why = WhyNotPrivate(own);
    if (why.empty()) return own;
    if (error) *error = std::move(why);
    return {};
}

std::string SingleInstanceRuntimeFolder(std::string* error) {
    return ChoosePrivateRuntimeFolder(std::getenv("XDG_RUNTIME_DIR"), "/tmp", error);
}

SingleInstance::SingleInstance(std::string instanceName, std::string runtimeFolder)
    : m_backend(std::make_unique<Backend>()) {
    if (runtimeFolder.empty()) runtimeFolder = SingleInstanceRuntimeFolder(&m_error);
    if (runtimeFolder.empty()) return;
    const std::string stem = runtimeFolder + "/" + instanceName;
    m_lockPath = stem + ".lock";
    m_socketPath = stem + ".sock";
}

SingleInstance::~SingleInstance() {
    StopListening();
    if (m_backend->lockFd >= 0) close(m_backend->lockFd);
}

bool SingleInstance::IsFirst() const { return m_backend->lockFd >= 0; }

bool SingleInstance::TryBecomeFirst() {
    if (m_backend->lockFd >= 0) return true;
    if (m_lockPath.empty()) return false;  // no private folder: m_error says why
    const int fd = open(m_lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0) {
        m_error = "cannot open " + m_lockPath + ": " + std::strerror(errno);
        return false;
    }
    // The lock goes with the process: a crashed first instance leaves the file but not the lock.
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        close(fd);
        return false;
    }
    m_backend->lockFd = fd;
    return true;
}

bool SingleInstance::StartListening(Handlers handlers, Poster poster) {
    Backend& b = *m_backend;
    if (b.listenFd >= 0) return true;
    if (b.lockFd < 0) return false;  // only the lock holder may replace the socket
    sockaddr_un addr;
    if (!FillAddress(m_socketPath, addr)) return false;
    const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return false;
    // Holding the lock, any socket file there is a leftover of a crashed instance.
    unlink(m_socketPath.c_str());
    if (bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 || listen(fd, 4) != 0 ||
        pipe2(b.wakeFds, O_CLOEXEC) != 0) {
        close(fd);
        return false;
    }
    chmod(m_socketPath.c_str(), 0600);
    b.listenFd = fd;
    b.handlers = std::move(handlers);
    b.poster = poster ? std::move(poster) : Poster([](std::function<void()> fn) { fn(); });
    b.listener = std::thread([&b] { b.ListenLoop(); });
    return true;
}

void SingleInstance::StopListening() {
    Backend& b = *m_backend;
    if (b.listenFd < 0) return;
    const char stop = 1;
    (void)!write(b.wakeFds[1], &stop, 1);
    if (b.listener.joinable()) b.listener.join();
    close(b.listenFd);
    close(b.wakeFds[0]);
    close(b.wakeFds[1]);
    b.listenFd = -1;
    b.wakeFds[0] = b.wakeFds[1] = -1;
    unlink(m_socketPath.c_str());
}

void SingleInstance::Backend::ListenLoop() {
    for (;;) {
        pollfd fds[2] = {{listenFd, POLLIN, 0}, {wakeFds[0], POLLIN, 0}};
        const int ready = poll(fds, 2, -1);
        if (ready < 0 && errno == EINTR) continue;
        if (ready < 0 || (fds[1].revents & POLLIN)) return;
        if (!(fds[0].revents & POLLIN)) continue;
        const int client = accept4(listenFd, nullptr, nullptr, SOCK_CLOEXEC);
        if (client < 0) continue;
        ServeConnection(client);
        close(client);
    }
}

void SingleInstance::Backend::ServeConnection(int fd) {
    HandOverHeader header{};
    if (!TransferAll(fd, &header, sizeof header, true, kServeTimeoutMs)) return;
    // Anything that is not a well-formed hand-over is dropped without an answer.
    if (header.magic != kSecondInstanceMagic || header.identifier != kSecondInstanceCopyDataId ||
        header.length > kSecondInstanceMaxLength)
        return;
    std::string text;
    if (header.length > 0) {
        std::vector<char> data(header.length);
        if (!TransferAll(fd, data.data(), data.size(), true, kServeTimeoutMs)) return;
        if (data.back() != '\0') return;
        text.assign(data.data());  // up to the first zero, as a C string is read
    }
    Handlers copy = handlers;
    poster([copy, text] {
        if (copy.activate) copy.activate();
        if (!text.empty() && copy.commandLine) copy.commandLine(text);
    });
    // The answer comes after the hand-over is queued, so the sender knows it will be handled.
    char ack = 1;
    TransferAll(fd, &ack, 1, false, kServeTimeoutMs);
}

bool SingleInstance::SendToFirst(const std::string& commandLine, int timeoutMs) const {
    sockaddr_un addr;
    if (!FillAddress(m_socketPath, addr)) return false;
    if (commandLine.size() + 1 > kSecondInstanceMaxLength) return false;
    const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return false;
    bool ok = connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0;
    if (ok) {
        // A zero-length record still asks the first instance to come to the front.
        const std::uint32_t length = commandLine.empty() ? 0 : static_cast<std::uint32_t>(commandLine.size() + 1);
        HandOverHeader header{kSecondInstanceMagic, kSecondInstanceCopyDataId, length};
        std::string record(reinterpret_cast<const char*>(&header), sizeof header);
        if (length) record.append(commandLine.c_str(), length);
        char ack = 0;
        ok = TransferAll(fd, record.data(), record.size(), false, timeoutMs) &&
             TransferAll(fd, &ack, 1, true, timeoutMs) && ack == 1;
    }
    close(fd);
    return ok;
}

}  // namespace Orv::Platform
