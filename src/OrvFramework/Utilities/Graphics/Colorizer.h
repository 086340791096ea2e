#pragma once
// A colour fill read from the skin: solid, or the two ends of a linear or radial gradient.
#include "OrvFramework/ObjectBase/RCPtr.h"
#include "OrvFramework/Utilities/Storage/String.h"

namespace Orv {

struct LColor {
    float red = 0.0f;
    float green = 0.0f;
    float blue = 0.0f;
    float alpha = 0.0f;
    bool operator==(const LColor&) const = default;
};

class LColorizer : public LRefCountedObject {
public:
    enum Type : int { Solid = 0, LinearGradient = 1, RadialGradient = 2 };

    String name;
    int type = Solid;
    LColor color;
    LColor gradientEndColor;
    float gradientStartX = 0.0f;
    float gradientStartY = 0.0f;
    float gradientEndX = 0.0f;
    float gradientEndY = 0.0f;
};

}  // namespace Orv
