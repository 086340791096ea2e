#pragma once
// The create function every registered control class shares; the classes differ only in the
// object constructed.
#include "OrvFramework/ControlBase/Control.h"

namespace Orv {

template <class T>
RCPtr<LControl> CreateControlOf(const RCPtr<LControl>& parent, ConstRCPtr<LControlDescriptor> descriptor) {
    if (!descriptor) return nullptr;
    RCPtr<LControl> control(MakeRC<T>(parent.Get(), descriptor->controlName));
    control->ApplyDescriptor(descriptor);
    control->CreateChildren();
    control->Initialize();
    control->OnCreated();
    control->MarkCreated();
    return control;
}

}  // namespace Orv
