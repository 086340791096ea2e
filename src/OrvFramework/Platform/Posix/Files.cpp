#include "OrvFramework/Platform/Files.h"

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace Orv::Platform {

namespace {

const char* FileKind(mode_t mode) {
    if (S_ISDIR(mode)) return "a directory";
    if (S_ISFIFO(mode)) return "a FIFO";
    if (S_ISCHR(mode)) return "a character device";
    if (S_ISBLK(mode)) return "a block device";
    if (S_ISSOCK(mode)) return "a socket";
    return nullptr;
}

// Why a file of this type and size is not read; empty when it may be.
std::string Refusal(const struct stat& info, std::uint64_t maxBytes, const char* what) {
    if (!S_ISREG(info.st_mode)) {
        const char* kind = FileKind(info.st_mode);
        return kind ? std::string("not a regular file but ") + kind : std::string("not a regular file");
    }
    if (static_cast<std::uint64_t>(info.st_size) > maxBytes) {
        return "the file is " + std::to_string(info.st_size) + " bytes; " + what + " is at most " +
               std::to_string(maxBytes) + " bytes";
    }
    return {};
}

}  // namespace

std::FILE* OpenRegularFileForReading(const std::string& path, std::uint64_t maxBytes, const char* what,
                                     std::string& reason) {
    reason.clear();
    // Look before opening: opening a device node can have effects of its own (a HID device, a
    // tape), so only what looks like a regular file is opened at all.
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) {
        const int error = errno;
        reason = error == ENOENT ? "the file does not exist" : std::string("cannot open the file: ") + std::strerror(error);
        return nullptr;
    }
    reason = Refusal(info, maxBytes, what);
    if (!reason.empty()) return nullptr;
    // O_NONBLOCK: should a FIFO have been put in its place meanwhile, the open does not wait
    // for a writer; the opened file is then checked again.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        reason = std::string("cannot open the file: ") + std::strerror(errno);
        return nullptr;
    }
    if (::fstat(fd, &info) != 0) {
        reason = std::string("cannot examine the file: ") + std::strerror(errno);
    } else {
        reason = Refusal(info, maxBytes, what);
    }
    if (!reason.empty()) {
        ::close(fd);
        return nullptr;
    }
    // Reads of a regular file do not block; clear the flag all the same so the stream behaves as
    // one opened plainly.
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags >= 0) (void)::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
    std::FILE* file = ::fdopen(fd, "r");
    if (!file) {
        reason = std::string("cannot read the file: ") + std::strerror(errno);
        ::close(fd);
    }
    return file;
}

bool StandardErrorIsTerminal() { return ::isatty(STDERR_FILENO) == 1; }

}  // namespace Orv::Platform
