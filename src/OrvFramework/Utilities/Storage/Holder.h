#pragma once
// One value of type T as a shared object (LHolder<int>, LHolder<bool>).
#include <utility>

#include "OrvFramework/ObjectBase/RCPtr.h"
#include "OrvFramework/ObjectBase/RefCountedObject.h"

namespace Orv {

template <class T>
class LHolder : public LRefCountedObject {
public:
    LHolder() = default;
    explicit LHolder(T value) : m_value(std::move(value)) {}

    const T& Get() const { return m_value; }
    T& Get() { return m_value; }
    void Set(T value) { m_value = std::move(value); }

    RCPtr<LRefCountedObject> CreateCopy() const override { return RCPtr<LRefCountedObject>(new LHolder(*this)); }

private:
    T m_value{};
};

}  // namespace Orv
