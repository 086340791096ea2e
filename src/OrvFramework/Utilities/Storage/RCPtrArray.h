#pragma once
// Arrays of reference-counted pointers. Every non-null element holds a reference: storing one
// takes it (an unshareable object is replaced by a private copy, as for any pointer), removing or
// overwriting one releases it. growBy and initial are the growth step and the initial reserve in
// elements.
#include <string>
#include <utility>

#include "OrvFramework/ObjectBase/Exception.h"
#include "OrvFramework/ObjectBase/RCPtr.h"
#include "OrvFramework/ObjectBase/TypeName.h"
#include "OrvFramework/Utilities/Storage/Array.h"

namespace Orv {

// The shared body of RCPtrArray and ConstRCPtrArray; P is the pointer type held.
template <class P, int GrowBy, int Initial>
class PointerArrayBase : public Array<P> {
public:
    PointerArrayBase() { this->Reserve(Initial); }

    int Add(P value) override {
        // Grow in steps of GrowBy elements rather than the vector's own doubling.
        if (this->m_items.size() == this->m_items.capacity() && GrowBy > 1)
            this->m_items.reserve(this->m_items.size() + static_cast<std::size_t>(GrowBy));
        return Array<P>::Add(std::move(value));
    }

protected:
    // Moves the element into out (dropping what out held), removes its slot and returns the new
    // count. An index outside the array throws an Out of Range error from the named function.
    int RemoveItemImpl(int index, P& out, const char* className, const std::string& elementName, int line) {
        if (index < 0 || index >= this->GetCount()) {
            ThrowError(ErrorKind::OutOfRange, std::nullopt,
                       std::string("Orv::") + className + "<" + elementName + "," + std::to_string(GrowBy) + "," +
                           std::to_string(Initial) + ">::RemoveItem",
                       __FILE__, line);
        }
        P taken = std::move(this->m_items[static_cast<std::size_t>(index)]);
        this->m_items.erase(this->m_items.begin() + index);
        out = std::move(taken);
        return this->GetCount();
    }
};

template <class T, int GrowBy = 1, int Initial = 0>
class RCPtrArray : public PointerArrayBase<RCPtr<T>, GrowBy, Initial> {
public:
    int RemoveItem(int index, RCPtr<T>& out) {
        return this->RemoveItemImpl(index, out, "RCPtrArray", TypeName<T>(), 177);
    }
};

}  // namespace Orv
