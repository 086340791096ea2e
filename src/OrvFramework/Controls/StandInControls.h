#pragma once
// Control classes whose names the framework registers but which the updater's skin never uses.
// They behave as plain controls until they are given behaviour of their own.
#include "OrvFramework/ControlBase/Control.h"

namespace Orv {

#define ORV_STAND_IN_CONTROL(Name, Base) \
    class Name : public Base {           \
    public:                              \
        using Base::Base;                \
    };

ORV_STAND_IN_CONTROL(LListBoxItem, LControl)
ORV_STAND_IN_CONTROL(LCheckedListBoxItem, LListBoxItem)
ORV_STAND_IN_CONTROL(LMenuListBoxItem, LListBoxItem)
ORV_STAND_IN_CONTROL(LListBox, LControl)
ORV_STAND_IN_CONTROL(LCheckedListBox, LListBox)
ORV_STAND_IN_CONTROL(LMultiColumnListBox, LListBox)
ORV_STAND_IN_CONTROL(LScrollbar, LControl)
ORV_STAND_IN_CONTROL(LComboBox, LControl)
ORV_STAND_IN_CONTROL(LCheckedComboBox, LComboBox)
ORV_STAND_IN_CONTROL(LComboSlider, LControl)
ORV_STAND_IN_CONTROL(LSlider, LControl)
ORV_STAND_IN_CONTROL(LKnob, LControl)
ORV_STAND_IN_CONTROL(LTabControl, LControl)
ORV_STAND_IN_CONTROL(LTextBox, LControl)
ORV_STAND_IN_CONTROL(LNumericUpDown, LControl)
ORV_STAND_IN_CONTROL(LPopupMenu, LControl)
ORV_STAND_IN_CONTROL(LComboMenu, LControl)
ORV_STAND_IN_CONTROL(LMainMenu, LControl)
ORV_STAND_IN_CONTROL(LFileDropper, LControl)
ORV_STAND_IN_CONTROL(LStatusBar, LControl)
ORV_STAND_IN_CONTROL(LSplitterH, LControl)
ORV_STAND_IN_CONTROL(LSplitterV, LControl)
ORV_STAND_IN_CONTROL(LLevelMeter, LControl)

#undef ORV_STAND_IN_CONTROL

}  // namespace Orv
