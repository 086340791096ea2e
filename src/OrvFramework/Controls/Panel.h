#pragma once
// LPanel: a container of other controls. For now it adds nothing to the control base.
#include "OrvFramework/ControlBase/Control.h"

namespace Orv {

class LPanel : public LControl {
public:
    using LControl::LControl;
};

}  // namespace Orv
