#pragma once
// Placement rules of one control as read from the skin: anchors, positions and sizes relative to
// the parent, the control itself or a named control, size limits, and text overflow.
#include "OrvFramework/ObjectBase/RCPtr.h"
#include "OrvFramework/Utilities/Storage/String.h"

namespace Orv {

// What a position is measured from.
enum class PositionReference : int { Parent = 0, Client = 1, Control = 2 };
// What a size is relative to.
enum class SizeReference : int { Parent = 0, Client = 1, Self = 2, Control = 3 };
// What a minimum or maximum size is relative to.
enum class LimitReference : int { Self = 0, Control = 1 };

enum class TextOverflowX : int { Clip = 0, Expand = 1, Wrap = 2 };
enum class TextOverflowY : int { Clip = 0, Expand = 1 };

struct LSizeLimit {
    LimitReference reference = LimitReference::Self;
    String controlName;
    float relative = 0.0f;
    double absolute = 0.0;
    bool operator==(const LSizeLimit&) const = default;
};

// The rules of one axis.
struct LAxisLayout {
    bool docked = false;
    float placementAnchor = 0.0f;

    PositionReference positionReference = PositionReference::Client;
    String positionControlName;
    float positionRelative = 0.0f;
    double positionAbsolute = 0.0;

    SizeReference sizeReference = SizeReference::Self;
    String sizeControlName;
    float sizeRelative = 0.0f;
    double sizeAbsolute = 0.0;

    LSizeLimit minimumSize;
    LSizeLimit maximumSize;
    bool operator==(const LAxisLayout&) const = default;
};

class LLayoutDescriptor : public LRefCountedObject {
public:
    LLayoutDescriptor() {
        x.sizeAbsolute = 16.0;
        y.sizeAbsolute = 40.0;
    }

    bool clipToParent = true;
    int zOrder = 0;
    int tabStop = 0;
    bool visible = true;
    bool enabled = true;  // not read from the skin
    LAxisLayout x;
    LAxisLayout y;
    String textDecoration;
    TextOverflowX textOverflowX = TextOverflowX::Clip;
    TextOverflowY textOverflowY = TextOverflowY::Clip;
    int layoutOrder = 0;
};

}  // namespace Orv
