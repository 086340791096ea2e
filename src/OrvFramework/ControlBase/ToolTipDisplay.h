#pragma once
// What a root window needs of its tooltip control: a text to show by the pointer, and hiding it.
// The control base knows only this; the tooltip control itself lives with the concrete controls
// and is chosen by the skin.
#include "OrvFramework/Utilities/Graphics/Geometry.h"
#include "OrvFramework/Utilities/Storage/String.h"

namespace Orv {

class IToolTipDisplay {
public:
    virtual ~IToolTipDisplay() = default;
    // Shows text by pointer (the root window's coordinates), after the control's own delay.
    virtual void Show(const LPoint& pointer, const String& text) = 0;
    virtual void Hide() = 0;
};

}  // namespace Orv
