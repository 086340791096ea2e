#include "OrvFramework/Platform/Files.h"

#include <cerrno>
#include <cstdlib>
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
        reason =
            error == ENOENT ? "the file does not exist" : std::string("cannot open the file: ") + std::strerror(error);
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

bool ReplaceFileContents(const std::string& path, std::string_view contents) {
    std::string temp = path + ".tmp-XXXXXX";
    const int fd = ::mkostemp(temp.data(), O_CLOEXEC);
    if (fd < 0) return false;
    (void)::fchmod(fd, 0644);
    bool ok = true;
    for (std::size_t done = 0; ok && done < contents.size();) {
        const ssize_t n = ::write(fd, contents.data() + done, contents.size() - done);
        if (n < 0 && errno == EINTR) continue;
        ok = n > 0;
        if (ok) done += static_cast<std::size_t>(n);
    }
    ok = ok && ::fsync(fd) == 0;
    ok = (::close(fd) == 0) && ok;
    if (ok && ::rename(temp.c_str(), path.c_str()) == 0) return true;
    ::unlink(temp.c_str());
    return false;
}

FileHandle FileOpen(const std::string& path, FileOpenMode mode) {
    int flags = O_CLOEXEC | (mode.readWrite ? O_RDWR : O_RDONLY);
    if (mode.create) {
        flags |= O_CREAT;
        if (mode.exclusive) flags |= O_EXCL;
    }
    int fd;
    do {
        fd = ::open(path.c_str(), flags, 0666);
    } while (fd < 0 && errno == EINTR);
    return fd < 0 ? kNoFile : fd;
}

void FileClose(FileHandle file) {
    if (file != kNoFile) ::close(static_cast<int>(file));
}

bool FileRemove(const std::string& path) { return ::unlink(path.c_str()) == 0; }

std::int64_t FileLength(FileHandle file) {
    struct stat st {};
    if (::fstat(static_cast<int>(file), &st) != 0) return -1;
    return static_cast<std::int64_t>(st.st_size);
}

bool FileSeek(FileHandle file, std::int64_t position) {
    return ::lseek(static_cast<int>(file), static_cast<off_t>(position), SEEK_SET) == position;
}

std::int64_t FileRead(FileHandle file, void* buffer, std::size_t count) {
    std::size_t done = 0;
    while (done < count) {
        const ssize_t n = ::read(static_cast<int>(file), static_cast<char*>(buffer) + done, count - done);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return -1;
        if (n == 0) break;
        done += static_cast<std::size_t>(n);
    }
    return static_cast<std::int64_t>(done);
}

std::int64_t FileWrite(FileHandle file, const void* buffer, std::size_t count) {
    std::size_t done = 0;
    while (done < count) {
        const ssize_t n = ::write(static_cast<int>(file), static_cast<const char*>(buffer) + done, count - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return -1;
        done += static_cast<std::size_t>(n);
    }
    return static_cast<std::int64_t>(done);
}

bool StandardErrorIsTerminal() { return ::isatty(STDERR_FILENO) == 1; }

}  // namespace Orv::Platform
