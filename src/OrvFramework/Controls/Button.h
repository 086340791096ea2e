#pragma once
// LButton: a push, toggle or radio button. For now it adds nothing to the control base.
#include "OrvFramework/ControlBase/Control.h"

namespace Orv {

class LButton : public LControl {
public:
    using LControl::LControl;
};

}  // namespace Orv
