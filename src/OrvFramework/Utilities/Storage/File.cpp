#include "OrvFramework/Utilities/Storage/File.h"

#include "OrvFramework/Platform/Files.h"

namespace Orv {

LFileDescriptorHolder::~LFileDescriptorHolder() {
    Platform::FileClose(m_fd);
    if (m_deleteOnClose) Platform::FileRemove(m_path);
}

OrvFile::~OrvFile() { Close(); }

Platform::FileHandle OrvFile::Descriptor() const { return m_holder ? m_holder->GetDescriptor() : Platform::kNoFile; }

ORVRESULT OrvFile::Open(const String& folder, const String& name, std::uint32_t flags) {
    if (IsOpen()) return S_FALSE;
    String path = folder;
    if (!name.empty()) {
        path += u'/';
        path += name;
    } else if (folder.empty()) {
        ORV_THROW(Runtime, "invalid pathname", "Orv::OrvFile::Open", 161);
    }
    Platform::FileOpenMode mode;
    mode.readWrite = (flags & kReadWrite) != 0;
    mode.create = (flags & kCreate) != 0;
    mode.exclusive = (flags & kExclusive) != 0;
    const std::string native = Utf16ToUtf8(path);
    const Platform::FileHandle fd = Platform::FileOpen(native, mode);
    if (fd == Platform::kNoFile) ORV_THROW(Runtime, "open", "Orv::OrvFile::Open", 254);
    m_holder = MakeRC<LFileDescriptorHolder>(fd, native, (flags & kDeleteOnClose) != 0);
    m_folder = folder;
    m_path = path;
    m_flags = flags;
    return S_OK;
}

std::int64_t OrvFile::GetLength() const {
    const std::int64_t length = Platform::FileLength(Descriptor());
    if (length < 0) ORV_THROW(Runtime, "fstat", "Orv::OrvFile::GetLength", 99);
    return length;
}

std::int64_t OrvFile::Read(void* buffer, std::size_t count, std::int64_t position) {
    const Platform::FileHandle fd = Descriptor();
    if (position != -1 && !Platform::FileSeek(fd, position)) ORV_THROW(Runtime, "lseek", "Orv::OrvFile::Read", 297);
    const std::int64_t done = Platform::FileRead(fd, buffer, count);
    if (done < 0) ORV_THROW(Runtime, "read", "Orv::OrvFile::Read", 304);
    return done;
}

std::int64_t OrvFile::Write(const void* buffer, std::size_t count, std::int64_t position) {
    if (!(m_flags & kReadWrite)) ORV_THROW(Runtime, "file is read only", "Orv::OrvFile::Write", 344);
    const Platform::FileHandle fd = Descriptor();
    if (position != -1 && !Platform::FileSeek(fd, position)) ORV_THROW(Runtime, "lseek", "Orv::OrvFile::Write", 361);
    const std::int64_t done = Platform::FileWrite(fd, buffer, count);
    if (done < 0) ORV_THROW(Runtime, "write", "Orv::OrvFile::Write", 366);
    return done;
}

ORVRESULT OrvFile::Close() {
    // The holder closes the descriptor (and deletes the file when asked) when its last copy goes.
    m_holder = nullptr;
    return S_OK;
}

}  // namespace Orv
