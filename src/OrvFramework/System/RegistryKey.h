#pragma once
// Registry keys over the platform's registry store (Platform/RegistryStore.h). A value is
// replaced atomically, so a crash or a full disk never leaves a half-written value.
#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

#include "OrvFramework/ObjectBase/RCPtr.h"
#include "OrvFramework/Platform/RegistryStore.h"
#include "OrvFramework/Utilities/Storage/String.h"

namespace Orv {

enum RegistryRoot : int {
    kClassesRoot = 0,
    kCurrentUser = 1,
    kLocalMachine = 2,
    kUsers = 3,
};

// The value kinds that a registry value carries, with the framework's variant numbering:
// 1 boolean, 2 32-bit integer, 3 64-bit integer, 4 float, 5 double, 6/7/8/10 byte blocks, 9 text.
class RegistryVariant {
public:
    static RegistryVariant FromBool(bool value);
    static RegistryVariant FromInt32(std::int32_t value);
    static RegistryVariant FromInt64(std::int64_t value);
    static RegistryVariant FromFloat(float value);
    static RegistryVariant FromDouble(double value);
    static RegistryVariant FromText(const String& text);
    static RegistryVariant FromBlock(std::uint32_t kind, std::vector<std::uint8_t> bytes);

    std::uint32_t GetKind() const { return m_kind; }
    const std::vector<std::uint8_t>& GetBytes() const { return m_bytes; }
    const String& GetText() const { return m_text; }

    // The binary form: 32-bit little-endian total length (12 + n), a 32-bit zero, the kind, then
    // the n raw bytes. False (and nothing) for a block of kind 6 or 7 without bytes.
    bool Serialize(std::vector<std::uint8_t>& out) const;
    // False for anything that is not exactly such a form.
    static bool Deserialize(const std::vector<std::uint8_t>& in, RegistryVariant& out);

    bool ToNumber(double& out) const;
    String ToText() const;

private:
    std::uint32_t m_kind = 0;
    std::vector<std::uint8_t> m_bytes;
    String m_text;
};

class LRegistryKey : public LRefCountedObject {
public:
    // Value types as the store records them.
    static constexpr std::uint32_t kTypeString = Platform::kRegistryTypeString;
    static constexpr std::uint32_t kTypeBinary = Platform::kRegistryTypeBinary;

    LRegistryKey(int root, String subKey, bool use64BitView = false);
    ~LRegistryKey() override;

    // 1 when open already, 0 when opened, 0x80004005 when the key does not exist (reading) or
    // cannot be created (writing).
    ORVRESULT OpenForReading();
    ORVRESULT OpenForWriting();
    ORVRESULT Close();
    bool IsOpen() const;

    // A text is stored as a string value (UTF-16 with its terminating zero); anything else as a
    // binary value holding the serialised form. The key is opened for writing (and closed again)
    // when it is not open. 0 on success, 0x80004005 on any failure (the old value is then intact).
    ORVRESULT SetValue(const String& name, const RegistryVariant& value);
    ORVRESULT GetValue(const String& name, String& text);
    // A text value is read as a decimal floating-point number.
    ORVRESULT GetValue(const String& name, double& number);
    ORVRESULT GetRawValue(const String& name, std::uint32_t& type, std::vector<std::uint8_t>& bytes);
    ORVRESULT DeleteValue(const String& name);

private:
    ORVRESULT Open(bool forWriting);

    std::unique_ptr<Platform::IRegistryStoreKey> m_key;  // while open
    int m_root;
    String m_subKey;
    // Chooses the registry view where the store keeps two.
    bool m_use64BitView;
    mutable std::recursive_mutex m_lock;
    int m_useCount = 0;
};

}  // namespace Orv
