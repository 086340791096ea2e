#pragma once
// A file over the platform's file handle. Copies share the handle; only the last holder closes it.
#include <cstddef>
#include <cstdint>

#include "OrvFramework/ObjectBase/RCPtr.h"
#include "OrvFramework/Platform/Files.h"
#include "OrvFramework/Utilities/Storage/String.h"

namespace Orv {

// The shared descriptor: closes it (and deletes the file when asked) when its last holder goes.
class LFileDescriptorHolder : public LRefCountedObject {
public:
    LFileDescriptorHolder(Platform::FileHandle fd, std::string path, bool deleteOnClose)
        : m_fd(fd), m_path(std::move(path)), m_deleteOnClose(deleteOnClose) {}
    ~LFileDescriptorHolder() override;
    Platform::FileHandle GetDescriptor() const { return m_fd; }

private:
    Platform::FileHandle m_fd;
    std::string m_path;
    bool m_deleteOnClose;
};

class OrvFile {
public:
    // Open flags.
    static constexpr std::uint32_t kReadWrite = 0x20000;
    static constexpr std::uint32_t kExclusive = 0x40000;  // only with kCreate: fail when it exists
    static constexpr std::uint32_t kCreate = 0x80000;
    static constexpr std::uint32_t kDeleteOnClose = 0x100000;

    OrvFile() = default;
    ~OrvFile();
    OrvFile(const OrvFile&) = default;
    OrvFile& operator=(const OrvFile&) = default;

    // The path is folder + "/" + name, or the folder alone when name is empty. Answers 1 when the
    // file is open already (nothing changes), 0 when it opened; throws "Runtime Error : invalid
    // pathname" for an empty path and "Runtime Error : open" when the open fails.
    ORVRESULT Open(const String& folder, const String& name, std::uint32_t flags);
    std::int64_t GetLength() const;
    // position -1: from the current position. Answers the bytes read (fewer only at the end).
    std::int64_t Read(void* buffer, std::size_t count, std::int64_t position = -1);
    std::int64_t Write(const void* buffer, std::size_t count, std::int64_t position = -1);
    // Closes the descriptor when this is its last holder; a copy that shares it keeps it open.
    ORVRESULT Close();

    bool IsOpen() const { return !m_holder.IsNull(); }
    const String& GetFolder() const { return m_folder; }
    const String& GetPath() const { return m_path; }
    std::uint32_t GetFlags() const { return m_flags; }

private:
    Platform::FileHandle Descriptor() const;

    RCPtr<LFileDescriptorHolder> m_holder;
    String m_folder;
    String m_path;
    std::uint32_t m_flags = 0;
};

}  // namespace Orv
