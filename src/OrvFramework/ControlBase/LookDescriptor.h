#pragma once
// How a control looks in one state: a client part, parts docked to the edges, and where the text
// goes and with which foreground.
#include <optional>
#include <vector>

#include "OrvFramework/ControlBase/DockedPart.h"

namespace Orv {

class LLookDescriptor : public LRefCountedObject {
public:
    String name;
    // Docked on all four edges, never with a width or height of its own.
    std::optional<LDockedPart> clientPart;
    std::vector<LDockedPart> nonClientParts;  // in document order

    bool hasTextProperties = false;
    double textLeftRel = 0.0;
    int textLeftAbs = 0;
    double textRightRel = 0.0;
    int textRightAbs = 0;
    double textHAlign = 0.0;
    double textTopRel = 0.0;
    int textTopAbs = 0;
    double textBottomRel = 0.0;
    int textBottomAbs = 0;
    double textVAlign = 0.0;
    ConstRCPtr<LVisualPartDescriptor> textForegroundPart;
};

}  // namespace Orv
