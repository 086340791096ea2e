#pragma once
// Pair<A,B> is a plain value pair; LPair<K,V> is the shared key/value entry that hashed lists hold.
#include <utility>

#include "OrvFramework/ObjectBase/RCPtr.h"
#include "OrvFramework/ObjectBase/RefCountedObject.h"

namespace Orv {

template <class A, class B>
struct Pair : std::pair<A, B> {
    using std::pair<A, B>::pair;
    Pair() = default;
    Pair(const std::pair<A, B>& p) : std::pair<A, B>(p) {}
};

template <class K, class V>
class LPair : public LRefCountedObject {
public:
    using Key = K;
    using Value = V;

    LPair() = default;
    LPair(K key, V value) : m_key(std::move(key)), m_value(std::move(value)) {}

    const K& GetKey() const { return m_key; }
    const V& GetValue() const { return m_value; }
    V& GetValue() { return m_value; }
    void SetValue(V value) { m_value = std::move(value); }

    RCPtr<LRefCountedObject> CreateCopy() const override { return RCPtr<LRefCountedObject>(new LPair(*this)); }

    // The key of an entry held by pointer, for HashedList.
    static K KeyOf(const ConstRCPtr<LPair>& entry) { return entry ? entry->m_key : K(); }

private:
    K m_key{};
    V m_value{};
};

}  // namespace Orv
