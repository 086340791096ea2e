#pragma once
// A control's skin: its look list and its font.
#include "OrvFramework/ControlBase/LookList.h"

namespace Orv {

class LSkinDescriptor : public LRefCountedObject {
public:
    String name;
    ConstRCPtr<LLookList> lookList;
    bool fontInheritsFromParent = false;
    bool fontSizeIsRelative = false;
    String fontName;
    float fontSize = 0.0f;  // points
    int fontStyle = -1;     // -1: not given
};

}  // namespace Orv
