#include "OrvFramework/System/RegistryKey.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string>

#include "OrvFramework/Platform/RegistryStore.h"

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

}  // namespace

RegistryVariant RegistryVariant::FromBool(bool value) {
    return FromBlock(1, {static_cast<std::uint8_t>(value ? 1 : 0)});
}
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
    case 1:
        out = m_bytes[0] != 0 ? 1 : 0;
        return true;
    case 2:
        out = FromBytes<std::int32_t>(m_bytes);
        return true;
    case 3:
        out = static_cast<double>(FromBytes<std::int64_t>(m_bytes));
        return true;
    case 4:
        out = FromBytes<float>(m_bytes);
        return true;
    case 5:
        out = FromBytes<double>(m_bytes);
        return true;
    case 9: {
        const std::string utf8 = Utf16ToUtf8(m_text);
        char* end = nullptr;
        errno = 0;
        const double v = std::strtod(utf8.c_str(), &end);
        if (utf8.empty() || end == utf8.c_str() || *end != '\0' || errno == ERANGE) return false;
        out = v;
        return true;
    }
    default:
        return false;
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

LRegistryKey::~LRegistryKey() = default;

bool LRegistryKey::IsOpen() const {
    std::lock_guard<std::recursive_mutex> guard(m_lock);
    return m_key != nullptr;
}

ORVRESULT LRegistryKey::OpenForReading() { return Open(false); }
ORVRESULT LRegistryKey::OpenForWriting() { return Open(true); }

ORVRESULT LRegistryKey::Open(bool forWriting) {
    std::lock_guard<std::recursive_mutex> guard(m_lock);
    if (m_key) return S_FALSE;
    m_key = Platform::GetRegistryStore().OpenKey(m_root, m_subKey, forWriting, m_use64BitView);
    return m_key ? S_OK : E_FAIL;
}

ORVRESULT LRegistryKey::Close() {
    std::lock_guard<std::recursive_mutex> guard(m_lock);
    if (m_useCount == 0) m_key.reset();
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
    const bool openedHere = !m_key;
    if (openedHere && Failed(Open(true))) return E_FAIL;
    ++m_useCount;
    const bool written = m_key->WriteValue(name, type, bytes);
    --m_useCount;
    if (openedHere) Close();
    return written ? S_OK : E_FAIL;
}

ORVRESULT LRegistryKey::GetRawValue(const String& name, std::uint32_t& type, std::vector<std::uint8_t>& bytes) {
    std::lock_guard<std::recursive_mutex> guard(m_lock);
    const bool openedHere = !m_key;
    if (openedHere && Failed(Open(false))) return E_FAIL;
    ++m_useCount;
    const bool read = m_key->ReadValue(name, type, bytes);
    --m_useCount;
    if (openedHere) Close();
    return read ? S_OK : E_FAIL;
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
    const bool openedHere = !m_key;
    if (openedHere && Failed(Open(false))) return E_FAIL;
    const bool deleted = m_key->DeleteValue(name);
    if (openedHere) Close();
    return deleted ? S_OK : S_FALSE;
}

}  // namespace Orv
