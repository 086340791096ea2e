#pragma once
// LProgressBar: shows the progress of a long operation. For now it adds nothing to the control base.
#include "OrvFramework/ControlBase/Control.h"

namespace Orv {

class LProgressBar : public LControl {
public:
    using LControl::LControl;
};

}  // namespace Orv
