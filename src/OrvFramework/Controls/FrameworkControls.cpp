#include "OrvFramework/Controls/FrameworkControls.h"

#include "OrvFramework/ControlBase/CreateControl.h"
#include "OrvFramework/Controls/Button.h"
#include "OrvFramework/Controls/Label.h"
#include "OrvFramework/Controls/Panel.h"
#include "OrvFramework/Controls/ProgressBar.h"
#include "OrvFramework/Controls/StandInControls.h"
#include "OrvFramework/Controls/ToolTip.h"

namespace Orv {

namespace {

// Several names share one class: the list box names, and the overlay button is a list box item.
const FrameworkControlClass kClasses[] = {
    {"Framework.Button", &CreateControlOf<LButton>},
    {"Framework.OverlayButton", &CreateControlOf<LListBoxItem>},
    {"Framework.ListBox", &CreateControlOf<LListBox>},
    {"Framework.listboxNoScroll", &CreateControlOf<LListBox>},
    {"Framework.ListBoxItem", &CreateControlOf<LListBoxItem>},
    {"Framework.CheckedListBox", &CreateControlOf<LCheckedListBox>},
    {"Framework.CheckedListBoxItem", &CreateControlOf<LCheckedListBoxItem>},
    {"Framework.ListBoxWithIcons", &CreateControlOf<LCheckedListBox>},
    {"Framework.listbox2ColumnSortable", &CreateControlOf<LMultiColumnListBox>},
    {"Framework.ScrollBar", &CreateControlOf<LScrollbar>},
    {"Framework.ScrollChannel", &CreateControlOf<LPanel>},
    {"Framework.ComboBox", &CreateControlOf<LComboBox>},
    {"Framework.ComboTextBox", &CreateControlOf<LComboBox>},
    {"Framework.CheckedComboBox", &CreateControlOf<LCheckedComboBox>},
    {"Framework.ComboBoxWithIcons", &CreateControlOf<LCheckedComboBox>},
    {"Framework.ComboSlider", &CreateControlOf<LComboSlider>},
    {"Framework.ComboSlider.DropDownPanel", &CreateControlOf<LPanel>},
    {"Framework.Slider", &CreateControlOf<LSlider>},
    {"Framework.Knob", &CreateControlOf<LKnob>},
    {"Framework.TabControl", &CreateControlOf<LTabControl>},
    {"Framework.Label", &CreateControlOf<LLabel>},
    {"Framework.TextBox", &CreateControlOf<LTextBox>},
    {"Framework.NumericUpDown", &CreateControlOf<LNumericUpDown>},
    {"Framework.Panel", &CreateControlOf<LPanel>},
    {"Framework.ToolTip", &CreateControlOf<LToolTip>},
    {"Framework.PopupMenu", &CreateControlOf<LPopupMenu>},
    {"Framework.MenuItem", &CreateControlOf<LMenuListBoxItem>},
    {"Framework.ComboMenu", &CreateControlOf<LComboMenu>},
    {"Framework.MainMenu", &CreateControlOf<LMainMenu>},
    {"Framework.FileDropper", &CreateControlOf<LFileDropper>},
    {"Framework.StatusBar", &CreateControlOf<LStatusBar>},
    {"Framework.SplitterH", &CreateControlOf<LSplitterH>},
    {"Framework.SplitterV", &CreateControlOf<LSplitterV>},
    {"Framework.LevelMeter", &CreateControlOf<LLevelMeter>},
    {"Framework.ProgressBar", &CreateControlOf<LProgressBar>},
};

}  // namespace

const FrameworkControlClass* GetFrameworkControlClasses(std::size_t& count) {
    count = sizeof(kClasses) / sizeof(kClasses[0]);
    return kClasses;
}

ORVRESULT RegisterFrameworkControlClasses(LControlFactory& factory, std::size_t* failedIndex) {
    std::size_t count = 0;
    const FrameworkControlClass* classes = GetFrameworkControlClasses(count);
    for (std::size_t i = 0; i < count; ++i) {
        const ORVRESULT r = factory.RegisterControlClass(Utf8ToUtf16(classes[i].name), classes[i].create);
        if (Failed(r)) {
            if (failedIndex != nullptr) *failedIndex = i;
            return r;
        }
    }
    return S_OK;
}

}  // namespace Orv
