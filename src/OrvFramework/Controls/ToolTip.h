#pragma once
// LToolTip: the delayed, self-hiding hint window of a root window. For now it adds nothing to the control base.
#include "OrvFramework/ControlBase/Control.h"

namespace Orv {

class LToolTip : public LControl {
public:
    using LControl::LControl;
};

}  // namespace Orv
