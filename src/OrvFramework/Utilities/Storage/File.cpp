#include "OrvFramework/Utilities/Storage/File.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace Orv {

LFileDescriptorHolder::~LFileDescriptorHolder() {
    ::close(m_fd);
    if (m_deleteOnClose) ::unlink(m_path.c_str());
}

OrvFile::~OrvFile() { Close(); }

int OrvFile::Descriptor() const { return m_holder ? m_holder->GetDescriptor() : -1; }

ORVRESULT OrvFile::Open(const String& folder, const String& name, std::uint32_t flags) {
    if (IsOpen()) return S_FALSE;
    String path = folder;
    if (!name.empty()) {
        path += u'/';
        path += name;
    } else if (folder.empty()) {
        ORV_THROW(Runtime, "invalid pathname", "Orv::OrvFile::Open", 161);
    }
    int oflags = O_CLOEXEC | ((flags & kReadWrite) ? O_RDWR : O_RDONLY);
    if (flags & kCreate) {
        oflags |= O_CREAT;
        if (flags & kExclusive) oflags |= O_EXCL;
    }
    const std::string native = Utf16ToUtf8(path);
    int fd;
    do {
        fd = ::open(native.c_str(), oflags, 0666);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) ORV_THROW(Runtime, "open", "Orv::OrvFile::Open", 254);
    m_holder = MakeRC<LFileDescriptorHolder>(fd, native, (flags & kDeleteOnClose) != 0);
    m_folder = folder;
    m_path = path;
    m_flags = flags;
    return S_OK;
}

std::int64_t OrvFile::GetLength() const {
    struct stat st {};
    if (::fstat(Descriptor(), &st) != 0) ORV_THROW(Runtime, "fstat", "Orv::OrvFile::GetLength", 99);
    return static_cast<std::int64_t>(st.st_size);
}

std::int64_t OrvFile::Read(void* buffer, std::size_t count, std::int64_t position) {
    const int fd = Descriptor();
    if (position != -1 && ::lseek(fd, static_cast<off_t>(position), SEEK_SET) != position)
        ORV_THROW(Runtime, "lseek", "Orv::OrvFile::Read", 297);
    std::size_t done = 0;
    while (done < count) {
        const ssize_t n = ::read(fd, static_cast<char*>(buffer) + done, count - done);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) ORV_THROW(Runtime, "read", "Orv::OrvFile::Read", 304);
        if (n == 0) break;
        done += static_cast<std::size_t>(n);
    }
    return static_cast<std::int64_t>(done);
}

std::int64_t OrvFile::Write(const void* buffer, std::size_t count, std::int64_t position) {
    if (!(m_flags & kReadWrite)) ORV_THROW(Runtime, "file is read only", "Orv::OrvFile::Write", 344);
    const int fd = Descriptor();
    if (position != -1 && ::lseek(fd, static_cast<off_t>(position), SEEK_SET) != position)
        ORV_THROW(Runtime, "lseek", "Orv::OrvFile::Write", 361);
    std::size_t done = 0;
    while (done < count) {
        const ssize_t n = ::write(fd, static_cast<const char*>(buffer) + done, count - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) ORV_THROW(Runtime, "write", "Orv::OrvFile::Write", 366);
        done += static_cast<std::size_t>(n);
    }
    return static_cast<std::int64_t>(done);
}

ORVRESULT OrvFile::Close() {
    // The holder closes the descriptor (and deletes the file when asked) when its last copy goes.
    m_holder = nullptr;
    return S_OK;
}

}  // namespace Orv
