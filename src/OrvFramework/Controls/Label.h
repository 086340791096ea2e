#pragma once
// LLabel: shows a text or a picture through its look. When its text does not fit, the text itself
// is the tooltip.
#include "OrvFramework/ControlBase/Control.h"

namespace Orv {

class LLabel : public LControl {
public:
    using LControl::LControl;

    // Lays the label out again and redraws it.
    virtual ORVRESULT ResetDisplay();
    String GetToolTipText() const override;
};

}  // namespace Orv
