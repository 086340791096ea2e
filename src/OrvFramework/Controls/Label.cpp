#include "OrvFramework/Controls/Label.h"

namespace Orv {

ORVRESULT LLabel::ResetDisplay() {
    Relayout();
    Redraw();
    return S_OK;
}

String LLabel::GetToolTipText() const {
    // Measuring needs the window's text measurer; the host is reached through the tree.
    auto* self = const_cast<LLabel*>(this);
    if (IControlHost* host = self->GetHost()) {
        if (ITextMeasurer* measurer = host->GetTextMeasurer(); measurer != nullptr && !GetText().empty()) {
            const LSize laidOut = measurer->MeasureText(*this, GetText(), 0.0);
            if (GetClientRect().width < laidOut.width) return GetText();
        }
    }
    return LControl::GetToolTipText();
}

}  // namespace Orv
