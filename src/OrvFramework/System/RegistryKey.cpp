#include "OrvFramework/System/RegistryKey.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string>

#include "OrvFramework/Utilities/Storage/PathServices.h"

namespace Orv {
namespace {

void PutU32(std::vector<std::uint8_t>& out, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}

std::uint32_t GetU32(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
           static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

template <class V>
std::vector<std::uint8_t> LittleEndianBytes(V value) {
    std::vector<std::uint8_t> bytes(sizeof(V));
    std::memcpy(bytes.data(), &value, sizeof(V));  // the store's byte order is the host's (x86, ARM: little)
    return bytes;
}

template <class V>
V FromBytes(const std::vector<std::uint8_t>& bytes) {
    V v{};
    if (bytes.size() >= sizeof(V)) std::memcpy(&v, bytes.data(), sizeof(V));
    return v;
}

// Names become file names: "%", "/", "\" and a leading "." are escaped, so that a value or key name
// can never reach outside its directory or collide with a temporary file.
std::string EscapeName(const String& name) {
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
        case kClassesRoot: return "HKEY_CLASSES_ROOT";
        case kCurrentUser: return "HKEY_CURRENT_USER";
        case kLocalMachine: return "HKEY_LOCAL_MACHINE";
        case kUsers: return "HKEY_USERS";
        default: return nullptr;
    }
}

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

// Serialises writers and readers of one key across objects and processes.
struct DirLock {
    DirLock(int fd, int op) : m_fd(fd) { while (::flock(m_fd, op) != 0 && errno == EINTR) {} }
    ~DirLock() { ::flock(m_fd, LOCK_UN); }
    int m_fd;
};

}  // namespace

RegistryVariant RegistryVariant::FromBool(bool value) { return FromBlock(1, {static_cast<std::uint8_t>(value ? 1 : 0)}); }
RegistryVariant RegistryVariant::FromInt32(std::int32_t value) { return FromBlock(2, LittleEndianBytes(value)); }
RegistryVariant RegistryVariant::FromInt64(std::int64_t value) { return FromBlock(3, LittleEndianBytes(value)); }
RegistryVariant RegistryVariant::FromFloat(float value) { return FromBlock(4, LittleEndianBytes(value)); }
RegistryVariant RegistryVariant::FromDouble(double value) { return FromBlock(5, LittleEndianBytes(value)); }

RegistryVariant RegistryVariant::FromText(const String& text) {
    RegistryVariant v;
    v.m_kind = 9;
    v.m_text = text;
    return v;
}

RegistryVariant RegistryVariant::FromBlock(std::uint32_t kind, std::vector<std::uint8_t> bytes) {
    RegistryVariant v;
    v.m_kind = kind;
    v.m_bytes = std::move(bytes);
    return v;
}

bool RegistryVariant::Serialize(std::vector<std::uint8_t>& out) const {
    std::vector<std::uint8_t> raw = m_bytes;
    if (m_kind == 9) {
        for (char16_t c : m_text) {
            raw.push_back(static_cast<std::uint8_t>(c & 0xFF));
            raw.push_back(static_cast<std::uint8_t>(c >> 8));
        }
        raw.push_back(0);
        raw.push_back(0);
    }
    if ((m_kind == 6 || m_kind == 7) && raw.empty()) return false;
    out.clear();
    PutU32(out, static_cast<std::uint32_t>(12 + raw.size()));
    PutU32(out, 0);
    PutU32(out, m_kind);
    out.insert(out.end(), raw.begin(), raw.end());
    return true;
}

bool RegistryVariant::Deserialize(const std::vector<std::uint8_t>& in, RegistryVariant& out) {
    if (in.size() < 12 || GetU32(in.data()) != in.size() || GetU32(in.data() + 4) != 0) return false;
    const std::uint32_t kind = GetU32(in.data() + 8);
    std::vector<std::uint8_t> raw(in.begin() + 12, in.end());
    static constexpr std::size_t kScalarSize[] = {0, 1, 4, 8, 4, 8};
    if (kind >= 1 && kind <= 5 && raw.size() != kScalarSize[kind]) return false;
    if (kind == 9) {
        if (raw.size() < 2 || raw.size() % 2 != 0) return false;
        String text;
        for (std::size_t i = 0; i + 2 < raw.size(); i += 2)
            text.push_back(static_cast<char16_t>(raw[i] | raw[i + 1] << 8));
        out = FromText(text);
        return true;
    }
    if (kind < 1 || kind > 10) return false;
    out = FromBlock(kind, std::move(raw));
    return true;
}

bool RegistryVariant::ToNumber(double& out) const {
    switch (m_kind) {
        case 1: out = m_bytes[0] != 0 ? 1 : 0; return true;
        case 2: out = FromBytes<std::int32_t>(m_bytes); return true;
        case 3: out = static_cast<double>(FromBytes<std::int64_t>(m_bytes)); return true;
        case 4: out = FromBytes<float>(m_bytes); return true;
        case 5: out = FromBytes<double>(m_bytes); return true;
        case 9: {
            const std::string utf8 = Utf16ToUtf8(m_text);
            char* end = nullptr;
            errno = 0;
            const double v = std::strtod(utf8.c_str(), &end);
            if (utf8.empty() || end == utf8.c_str() || *end != '\0' || errno == ERANGE) return false;
            out = v;
            return true;
        }
        default: return false;
    }
}

String RegistryVariant::ToText() const {
    if (m_kind == 9) return m_text;
    double number = 0;
    if (!ToNumber(number)) return String();
    if (m_kind == 2 || m_kind == 3 || m_kind == 1) return W(std::to_string(static_cast<long long>(number)));
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.17g", number);
    return W(buf);
}

LRegistryKey::LRegistryKey(int root, String subKey, bool use64BitView)
    : m_root(root), m_subKey(std::move(subKey)), m_use64BitView(use64BitView) {}

LRegistryKey::~LRegistryKey() { CloseHandle(); }

String LRegistryKey::GetRootDirectory(int root) {
    const char* name = RootName(root);
    if (name == nullptr) return String();
    const char* over = std::getenv("VARNET_REGISTRY_DIR");
    if (over && *over) return W(std::string(over) + "/" + name);
    if (root != kCurrentUser) {
        static const std::string kMachineBase = "/var/lib/varnet-updater/registry";
        if (PathServices::CreateFolder(W(kMachineBase)) && ::access(kMachineBase.c_str(), W_OK) == 0)
            return W(kMachineBase + "/" + name);
    }
    return W(UserBase() + "/" + name);
}

String LRegistryKey::GetKeyDirectory() const {
    String dir = GetRootDirectory(m_root);
    if (dir.empty()) return dir;
    std::size_t start = 0;
    while (start <= m_subKey.size()) {
        std::size_t end = m_subKey.find_first_of(u"\\/", start);
        if (end == String::npos) end = m_subKey.size();
        if (end > start) dir += W("/" + EscapeName(String(m_subKey.substr(start, end - start))));
        start = end + 1;
    }
    return dir;
}

bool LRegistryKey::IsOpen() const {
    std::lock_guard<std::recursive_mutex> guard(m_lock);
    return m_handle >= 0;
}

ORVRESULT LRegistryKey::OpenForReading() { return Open(false); }
ORVRESULT LRegistryKey::OpenForWriting() { return Open(true); }

ORVRESULT LRegistryKey::Open(bool forWriting) {
    std::lock_guard<std::recursive_mutex> guard(m_lock);
    if (m_handle >= 0) return S_FALSE;
    const String dir = GetKeyDirectory();
    if (dir.empty()) return E_FAIL;
    if (forWriting && !PathServices::CreateFolder(dir)) return E_FAIL;
    const int fd = ::open(Utf16ToUtf8(dir).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return E_FAIL;
    if (forWriting && ::faccessat(fd, ".", W_OK, 0) != 0) {
        ::close(fd);
        return E_FAIL;
    }
    m_handle = fd;
    return S_OK;
}

void LRegistryKey::CloseHandle() {
    std::lock_guard<std::recursive_mutex> guard(m_lock);
    if (m_handle >= 0) ::close(m_handle);
    m_handle = -1;
}

ORVRESULT LRegistryKey::Close() {
    std::lock_guard<std::recursive_mutex> guard(m_lock);
    if (m_useCount == 0) CloseHandle();
    return S_OK;
}

ORVRESULT LRegistryKey::SetValue(const String& name, const RegistryVariant& value) {
    std::lock_guard<std::recursive_mutex> guard(m_lock);
    std::vector<std::uint8_t> bytes;
    std::uint32_t type = kTypeBinary;
    if (value.GetKind() == 9) {
        type = kTypeString;
        for (char16_t c : value.GetText()) {
            bytes.push_back(static_cast<std::uint8_t>(c & 0xFF));
            bytes.push_back(static_cast<std::uint8_t>(c >> 8));
        }
        bytes.insert(bytes.end(), {0, 0});
    } else if (!value.Serialize(bytes)) {
        return E_FAIL;
    }
    const bool openedHere = m_handle < 0;
    if (openedHere && Failed(Open(true))) return E_FAIL;
    ++m_useCount;
    ORVRESULT result = E_FAIL;
    {
        DirLock dirLock(m_handle, LOCK_EX);
        static std::atomic<unsigned> counter{0};
        const std::string base = EscapeName(name);
        const std::string target = base + (type == kTypeString ? ".sz" : ".bin");
        const std::string other = base + (type == kTypeString ? ".bin" : ".sz");
        const std::string temp = ".tmp-" + base + "-" + std::to_string(::getpid()) + "-" + std::to_string(counter++);
        const int fd = ::openat(m_handle, temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
        if (fd >= 0) {
            bool ok = WriteAll(fd, bytes.data(), bytes.size()) && ::fsync(fd) == 0;
            ok = (::close(fd) == 0) && ok;
            if (ok && ::renameat(m_handle, temp.c_str(), m_handle, target.c_str()) == 0) {
                ::unlinkat(m_handle, other.c_str(), 0);
                ::fsync(m_handle);  // the rename itself is durable
                result = S_OK;
            } else {
                ::unlinkat(m_handle, temp.c_str(), 0);
            }
        }
    }
    --m_useCount;
    if (openedHere) Close();
    return result;
}

ORVRESULT LRegistryKey::ReadFileAt(const std::string& fileName, std::vector<std::uint8_t>& bytes) const {
    const int fd = ::openat(m_handle, fileName.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return E_FAIL;
    bytes.clear();
    std::uint8_t buf[4096];
    for (;;) {
        const ssize_t n = ::read(fd, buf, sizeof buf);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            ::close(fd);
            return E_FAIL;
        }
        if (n == 0) break;
        bytes.insert(bytes.end(), buf, buf + n);
    }
    ::close(fd);
    return S_OK;
}

ORVRESULT LRegistryKey::GetRawValue(const String& name, std::uint32_t& type, std::vector<std::uint8_t>& bytes) {
    std::lock_guard<std::recursive_mutex> guard(m_lock);
    const bool openedHere = m_handle < 0;
    if (openedHere && Failed(Open(false))) return E_FAIL;
    ++m_useCount;
    ORVRESULT result;
    {
        DirLock dirLock(m_handle, LOCK_SH);
        const std::string base = EscapeName(name);
        result = ReadFileAt(base + ".sz", bytes);
        type = kTypeString;
        if (Failed(result)) {
            result = ReadFileAt(base + ".bin", bytes);
            type = kTypeBinary;
        }
    }
    --m_useCount;
    if (openedHere) Close();
    return result;
}

namespace {

bool DecodeValue(std::uint32_t type, const std::vector<std::uint8_t>& bytes, RegistryVariant& out) {
    if (type == LRegistryKey::kTypeBinary) return RegistryVariant::Deserialize(bytes, out);
    if (bytes.size() % 2 != 0) return false;
    String text;
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
        const char16_t c = static_cast<char16_t>(bytes[i] | bytes[i + 1] << 8);
        if (c == 0) break;
        text.push_back(c);
    }
    out = RegistryVariant::FromText(text);
    return true;
}

}  // namespace

ORVRESULT LRegistryKey::GetValue(const String& name, String& text) {
    std::uint32_t type = 0;
    std::vector<std::uint8_t> bytes;
    RegistryVariant v;
    if (Failed(GetRawValue(name, type, bytes)) || !DecodeValue(type, bytes, v)) return E_FAIL;
    double unused = 0;
    if (v.GetKind() != 9 && !v.ToNumber(unused)) return E_FAIL;  // byte blocks have no text form
    text = v.ToText();
    return S_OK;
}

ORVRESULT LRegistryKey::GetValue(const String& name, double& number) {
    std::uint32_t type = 0;
    std::vector<std::uint8_t> bytes;
    RegistryVariant v;
    if (Failed(GetRawValue(name, type, bytes)) || !DecodeValue(type, bytes, v)) return E_FAIL;
    return v.ToNumber(number) ? S_OK : E_FAIL;
}

ORVRESULT LRegistryKey::DeleteValue(const String& name) {
    std::lock_guard<std::recursive_mutex> guard(m_lock);
    const bool openedHere = m_handle < 0;
    if (openedHere && Failed(Open(false))) return E_FAIL;
    ORVRESULT result;
    {
        DirLock dirLock(m_handle, LOCK_EX);
        const std::string base = EscapeName(name);
        const bool a = ::unlinkat(m_handle, (base + ".sz").c_str(), 0) == 0;
        const bool b = ::unlinkat(m_handle, (base + ".bin").c_str(), 0) == 0;
        result = (a || b) ? S_OK : S_FALSE;
    }
    if (openedHere) Close();
    return result;
}

}  // namespace Orv
