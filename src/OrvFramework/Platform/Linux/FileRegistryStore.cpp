#include "OrvFramework/Platform/Linux/FileRegistryStore.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdlib>

#include "OrvFramework/Utilities/Storage/PathServices.h"
#include "OrvFramework/Utilities/Storage/String.h"

namespace Orv::Platform {
namespace {

// Names become file names: "%", "/", "\" and a leading "." are escaped, so that a value or key name
// can never reach outside its directory or collide with a temporary file.
std::string EscapeName(const std::u16string& name) {
    const std::string utf8 = Utf16ToUtf8(name);
    if (utf8.empty()) return "@";
    std::string out;
    for (std::size_t i = 0; i < utf8.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(utf8[i]);
        if (c == '%' || c == '/' || c == '\\' || c == '@' || c < 0x20 || (i == 0 && c == '.')) {
            static const char* hex = "0123456789ABCDEF";
            out += '%';
            out += hex[c >> 4];
            out += hex[c & 15];
        } else {
            out += static_cast<char>(c);
        }
    }
    return out;
}

const char* RootName(int root) {
    switch (root) {
    case 0:
        return "HKEY_CLASSES_ROOT";
    case 1:
        return "HKEY_CURRENT_USER";
    case 2:
        return "HKEY_LOCAL_MACHINE";
    case 3:
        return "HKEY_USERS";
    default:
        return nullptr;
    }
}

constexpr int kCurrentUserRoot = 1;

std::string UserBase() {
    const char* xdg = std::getenv("XDG_DATA_HOME");
    std::string base;
    if (xdg && *xdg) {
        base = xdg;
    } else {
        const char* home = std::getenv("HOME");
        base = std::string(home && *home ? home : "/tmp") + "/.local/share";
    }
    return base + "/varnet-updater/registry";
}

bool WriteAll(int fd, const std::uint8_t* data, std::size_t size) {
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        data += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

bool ReadAll(int dirFd, const std::string& fileName, std::vector<std::uint8_t>& bytes) {
    const int fd = ::openat(dirFd, fileName.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    bytes.clear();
    std::uint8_t buf[4096];
    for (;;) {
        const ssize_t n = ::read(fd, buf, sizeof buf);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            ::close(fd);
            return false;
        }
        if (n == 0) break;
        bytes.insert(bytes.end(), buf, buf + n);
    }
    ::close(fd);
    return true;
}

// Serialises writers and readers of one key across objects and processes.
struct DirLock {
    DirLock(int fd, int op) : m_fd(fd) {
        while (::flock(m_fd, op) != 0 && errno == EINTR) {
        }
    }
    ~DirLock() { ::flock(m_fd, LOCK_UN); }
    int m_fd;
};

class FileRegistryKey final : public IRegistryStoreKey {
public:
    explicit FileRegistryKey(int dirFd) : m_dirFd(dirFd) {}
    ~FileRegistryKey() override { ::close(m_dirFd); }
    FileRegistryKey(const FileRegistryKey&) = delete;
    FileRegistryKey& operator=(const FileRegistryKey&) = delete;

    bool WriteValue(const std::u16string& name, std::uint32_t type, const std::vector<std::uint8_t>& bytes) override {
        DirLock dirLock(m_dirFd, LOCK_EX);
        static std::atomic<unsigned> counter{0};
        const std::string base = EscapeName(name);
        const bool isString = type == kRegistryTypeString;
        const std::string target = base + (isString ? ".sz" : ".bin");
        const std::string other = base + (isString ? ".bin" : ".sz");
        const std::string temp = ".tmp-" + base + "-" + std::to_string(::getpid()) + "-" + std::to_string(counter++);
        const int fd = ::openat(m_dirFd, temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
        if (fd < 0) return false;
        bool ok = WriteAll(fd, bytes.data(), bytes.size()) && ::fsync(fd) == 0;
        ok = (::close(fd) == 0) && ok;
        if (ok && ::renameat(m_dirFd, temp.c_str(), m_dirFd, target.c_str()) == 0) {
            ::unlinkat(m_dirFd, other.c_str(), 0);
            ::fsync(m_dirFd);  // the rename itself is durable
            return true;
        }
        ::unlinkat(m_dirFd, temp.c_str(), 0);
        return false;
    }

    bool ReadValue(const std::u16string& name, std::uint32_t& type, std::vector<std::uint8_t>& bytes) override {
        DirLock dirLock(m_dirFd, LOCK_SH);
        const std::string base = EscapeName(name);
        type = kRegistryTypeString;
        if (ReadAll(m_dirFd, base + ".sz", bytes)) return true;
        type = kRegistryTypeBinary;
        return ReadAll(m_dirFd, base + ".bin", bytes);
    }

    bool DeleteValue(const std::u16string& name) override {
        DirLock dirLock(m_dirFd, LOCK_EX);
        const std::string base = EscapeName(name);
        const bool a = ::unlinkat(m_dirFd, (base + ".sz").c_str(), 0) == 0;
        const bool b = ::unlinkat(m_dirFd, (base + ".bin").c_str(), 0) == 0;
        return a || b;
    }

private:
    int m_dirFd;
};

class FileRegistryStore final : public IRegistryStore {
public:
    // One view only: the 64-bit choice does not apply.
    std::unique_ptr<IRegistryStoreKey> OpenKey(int root, const std::u16string& subKey, bool forWriting,
                                               bool /*use64BitView*/) override {
        const std::string dir = RegistryKeyDirectory(root, subKey);
        if (dir.empty()) return nullptr;
        if (forWriting && !PathServices::CreateFolder(String(Utf8ToUtf16(dir)))) return nullptr;
        const int fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (fd < 0) return nullptr;
        if (forWriting && ::faccessat(fd, ".", W_OK, 0) != 0) {
            ::close(fd);
            return nullptr;
        }
        return std::make_unique<FileRegistryKey>(fd);
    }
};

}  // namespace

std::string RegistryRootDirectory(int root) {
    const char* name = RootName(root);
    if (name == nullptr) return {};
    const char* over = std::getenv("VARNET_REGISTRY_DIR");
    if (over && *over) return std::string(over) + "/" + name;
    if (root != kCurrentUserRoot) {
        static const std::string kMachineBase = "/var/lib/varnet-updater/registry";
        if (PathServices::CreateFolder(String(Utf8ToUtf16(kMachineBase))) && ::access(kMachineBase.c_str(), W_OK) == 0)
            return kMachineBase + "/" + name;
    }
    return UserBase() + "/" + name;
}

std::string RegistryKeyDirectory(int root, const std::u16string& subKey) {
    std::string dir = RegistryRootDirectory(root);
    if (dir.empty()) return dir;
    std::size_t start = 0;
    while (start <= subKey.size()) {
        std::size_t end = subKey.find_first_of(u"\\/", start);
        if (end == std::u16string::npos) end = subKey.size();
        if (end > start) dir += "/" + EscapeName(subKey.substr(start, end - start));
        start = end + 1;
    }
    return dir;
}

IRegistryStore& GetRegistryStore() {
    static FileRegistryStore store;
    return store;
}

}  // namespace Orv::Platform
