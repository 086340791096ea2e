#pragma once
// A list of entries looked up by key. The key's hash picks one of 2^bits buckets (8 bits in use,
// taken by GetBits); a bucket is a short vector searched in order, so the first entry added with
// a key is the one found.
#include <array>
#include <climits>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <type_traits>
#include <vector>

#include "OrvFramework/Utilities/Storage/String.h"

namespace Orv {

// Bits shift .. shift + bits - 1 of a value.
template <int Bits, int Shift>
constexpr std::uint32_t GetBits(std::uint64_t value) {
    static_assert(Bits > 0 && Bits < 32 && Shift >= 0 && Shift + Bits <= 64);
    return static_cast<std::uint32_t>((value >> Shift) & ((std::uint64_t{1} << Bits) - 1));
}

// The default bucket of a key: the standard hash folded down to the low bits.
template <class K, int Bits>
std::uint32_t DefaultKeyHash(const K& key) {
    std::uint64_t h = std::hash<K>()(key);
    h ^= h >> 32;
    h ^= h >> 16;
    return GetBits<Bits, 0>(h ^ (h >> 8));
}

// A key written out for messages.
inline String KeyToString(const String& key) { return key; }
inline String KeyToString(const StringA& key) { return String(key); }
template <class K>
requires std::is_arithmetic_v<K> String KeyToString(K key) { return W(std::to_string(key)); }

template <class T, class K, K (*GetKey)(const T&), int Bits = 8,
          std::uint32_t (*Hash)(const K&) = DefaultKeyHash<K, Bits>>
class HashedList {
    static_assert(Bits > 0 && Bits <= 16, "bucket tables stay small");

public:
    static constexpr std::size_t kBuckets = std::size_t{1} << Bits;

    // Adds the entry; returns false (and adds nothing) when an entry with its key is present.
    bool Add(const T& item) {
        const K key = GetKey(item);
        auto& bucket = m_buckets[Bucket(key)];
        for (const T& existing : bucket)
            if (GetKey(existing) == key) return false;
        bucket.push_back(item);
        ++m_count;
        return true;
    }

    // The entry with the key, or null.
    const T* Find(const K& key) const {
        for (const T& item : m_buckets[Bucket(key)])
            if (GetKey(item) == key) return &item;
        return nullptr;
    }
    T* Find(const K& key) { return const_cast<T*>(static_cast<const HashedList*>(this)->Find(key)); }
    bool Contains(const K& key) const { return Find(key) != nullptr; }

    bool Remove(const K& key) {
        auto& bucket = m_buckets[Bucket(key)];
        for (auto it = bucket.begin(); it != bucket.end(); ++it) {
            if (GetKey(*it) == key) {
                bucket.erase(it);
                --m_count;
                return true;
            }
        }
        return false;
    }

    void RemoveAll() {
        for (auto& bucket : m_buckets) bucket.clear();
        m_count = 0;
    }

    int GetCount() const { return static_cast<int>(m_count); }

    // Visits every entry, bucket by bucket.
    template <class F>
    void ForEach(F&& visit) const {
        for (const auto& bucket : m_buckets)
            for (const T& item : bucket) visit(item);
    }

private:
    static std::size_t Bucket(const K& key) { return Hash(key) & (kBuckets - 1); }

    std::array<std::vector<T>, kBuckets> m_buckets;
    std::size_t m_count = 0;
};

}  // namespace Orv
