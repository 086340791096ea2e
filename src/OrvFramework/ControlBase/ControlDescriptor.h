#pragma once
// One control of a skin tree: its class, name, skin, layout, creation parameters and children.
#include <map>
#include <optional>
#include <vector>

#include "OrvFramework/ControlBase/LayoutDescriptor.h"
#include "OrvFramework/ControlBase/SkinDescriptor.h"

namespace Orv {

class LControl;
class LControlDescriptor;

// Builds the control of a descriptor under a parent control (none for a top-level control).
using ControlCreateFunction = RCPtr<LControl> (*)(const RCPtr<LControl>& parent,
                                                  ConstRCPtr<LControlDescriptor> descriptor);

using CreateParameters = std::map<String, String>;

class LControlDescriptor : public LRefCountedObject {
public:
    LControlDescriptor(String className, String controlName, LControlDescriptor* parent)
        : className(std::move(className)),
          controlName(std::move(controlName)),
          parent(parent),
          layout(MakeRC<LLayoutDescriptor>()) {}

    const LControlDescriptor* GetParent() const { return parent; }
    // The creation parameter of that ID, or none.
    const String* GetCreateParameter(const String& id) const {
        if (!createParameters) return nullptr;
        auto it = createParameters->find(id);
        return it == createParameters->end() ? nullptr : &it->second;
    }

    String className;
    String controlName;
    // The parent holds its children; the way back is not an owning reference.
    LControlDescriptor* parent = nullptr;
    std::vector<RCPtr<LControlDescriptor>> children;  // ascending layout order
    RCPtr<LSkinDescriptor> skin;
    RCPtr<LLayoutDescriptor> layout;
    std::optional<CreateParameters> createParameters;
    // Filled by the factory the first time a control of this descriptor is created.
    mutable ControlCreateFunction createFunction = nullptr;
};

}  // namespace Orv
