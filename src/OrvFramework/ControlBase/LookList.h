#pragma once
// The looks of one control, indexed by the control's state. Its length is fixed when read; an
// entry may be empty.
#include <cstddef>
#include <vector>

#include "OrvFramework/ControlBase/LookDescriptor.h"

namespace Orv {

class LLookList : public LRefCountedObject {
public:
    explicit LLookList(std::size_t count = 0) : looks(count) {}

    std::size_t GetCount() const { return looks.size(); }
    // The look of a state, or none when the entry is empty or the index lies outside the list.
    ConstRCPtr<LLookDescriptor> GetLook(std::ptrdiff_t index) const {
        if (index < 0 || static_cast<std::size_t>(index) >= looks.size()) return nullptr;
        return looks[static_cast<std::size_t>(index)];
    }

    std::vector<ConstRCPtr<LLookDescriptor>> looks;
};

}  // namespace Orv
