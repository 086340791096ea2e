#pragma once
// LLabel: shows a text or a picture through its look. For now it adds nothing to the control base.
#include "OrvFramework/ControlBase/Control.h"

namespace Orv {

class LLabel : public LControl {
public:
    using LControl::LControl;
};

}  // namespace Orv
