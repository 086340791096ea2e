#pragma once
// The store behind registry keys (LRegistryKey): keys under four roots, each key holding named
// values of exact bytes with a type.
//
// Contract:
// - Roots are numbered 0 classes root, 1 current user, 2 local machine, 3 users (RegistryRoot). A
//   sub-key is a path whose levels are separated by '\' or '/'; empty levels are skipped.
// - Called from any thread; one key object is used by one thread at a time (LRegistryKey locks),
//   but several objects, in this process or another, may work on the same key at once: a backend
//   serialises them so that a reader never sees half a value.
// - Failures answer null or false and never throw: an unknown root, a key that does not exist
//   (reading) or cannot be created (writing), a value that cannot be read or written.
// - WriteValue replaces a value as a whole or not at all: after a crash or a full disk the old value
//   is intact. A value has one type at a time: writing it with another type replaces it.
// - Names are any text: a backend maps them so that no name can reach outside its key.
// - The caller owns the key objects; the store itself lives for the whole process.
// A new backend implements IRegistryStore and IRegistryStoreKey over its platform's registry and
// answers them from GetRegistryStore(). The Linux backend (Linux/FileRegistryStore.cpp) keeps one
// folder per key and one file per value holding the value's exact bytes.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace Orv::Platform {

// Value types as the store records them.
inline constexpr std::uint32_t kRegistryTypeString = 1;
inline constexpr std::uint32_t kRegistryTypeBinary = 3;

// An open key.
class IRegistryStoreKey {
public:
    virtual ~IRegistryStoreKey() = default;
    // Replaces the value atomically; false when it could not (the old value is then intact).
    virtual bool WriteValue(const std::u16string& name, std::uint32_t type, const std::vector<std::uint8_t>& bytes) = 0;
    // False when there is no such value or it cannot be read.
    virtual bool ReadValue(const std::u16string& name, std::uint32_t& type, std::vector<std::uint8_t>& bytes) = 0;
    // True when a value was there and is gone.
    virtual bool DeleteValue(const std::u16string& name) = 0;
};

class IRegistryStore {
public:
    virtual ~IRegistryStore() = default;
    // Opens a key; forWriting creates it (and the levels above it) when missing and refuses a key
    // this user may not change. use64BitView chooses the 64-bit view where a platform keeps two
    // (a store with one view ignores it). Null on failure.
    virtual std::unique_ptr<IRegistryStoreKey> OpenKey(int root, const std::u16string& subKey, bool forWriting,
                                                       bool use64BitView) = 0;
};

// The platform's store.
IRegistryStore& GetRegistryStore();

}  // namespace Orv::Platform
