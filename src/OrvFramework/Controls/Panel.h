#pragma once
// LPanel: a container of other controls. Keys it does not use go up the tree.
#include "OrvFramework/ControlBase/Control.h"

namespace Orv {

class LPanel : public LControl {
public:
    using LControl::LControl;

    ORVRESULT OnKeyDown(const LKeyParam* param) override;
    ORVRESULT OnKeyUp(const LKeyParam* param) override;
};

}  // namespace Orv
