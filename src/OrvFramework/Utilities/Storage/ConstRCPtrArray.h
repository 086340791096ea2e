#pragma once
// The read-only twin of RCPtrArray: the same ownership rules over ConstRCPtr elements.
#include "OrvFramework/Utilities/Storage/RCPtrArray.h"

namespace Orv {

template <class T, int GrowBy = 1, int Initial = 0>
class ConstRCPtrArray : public PointerArrayBase<ConstRCPtr<T>, GrowBy, Initial> {
public:
    int RemoveItem(int index, ConstRCPtr<T>& out) {
        return this->RemoveItemImpl(index, out, "ConstRCPtrArray", TypeName<T>(), 218);
    }
};

}  // namespace Orv
