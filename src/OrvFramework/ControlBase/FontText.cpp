#include "OrvFramework/ControlBase/FontText.h"

#include "OrvFramework/ControlBase/Control.h"
#include "OrvFramework/ControlBase/ControlFactory.h"

namespace Orv {

LFontText::LFontText(String text, LFontDescription font, bool wrap, double hAlign, double vAlign)
    : m_text(std::move(text)), m_font(std::move(font)), m_wrap(wrap), m_hAlign(hAlign), m_vAlign(vAlign) {}

LFontDescription LFontText::ResolveFont(const LControl& control) {
    LFontDescription base;
    if (const LControl* parent = control.GetParent()) {
        base = ResolveFont(*parent);
    } else if (const LControlFactory* factory = control.GetFactory()) {
        String name = base.name;
        float size = static_cast<float>(base.size);
        int style = base.style;
        factory->GetDefaultFont(name, size, style);
        base = {name, size, style};
    }
    const auto descriptor = control.GetDescriptor();
    if (!descriptor || !descriptor->skin) return base;
    const LSkinDescriptor& skin = *descriptor->skin;
    if (skin.fontInheritsFromParent) return base;
    LFontDescription font = base;
    if (!skin.fontName.empty()) font.name = skin.fontName;
    if (skin.fontSizeIsRelative) {
        font.size = base.size + skin.fontSize;
    } else if (skin.fontSize > 0.0f) {
        font.size = skin.fontSize;
    }
    // A relative size may not shrink the text away.
    if (!(font.size > 1.0)) font.size = base.size;
    if (skin.fontStyle != -1) font.style = skin.fontStyle;
    return font;
}

RCPtr<LFontText> LFontText::ForControl(const LControl& control, double hAlign, double vAlign) {
    const bool wrap = control.GetLayout().textOverflowX == TextOverflowX::Wrap;
    return MakeRC<LFontText>(control.GetText(), ResolveFont(control), wrap, hAlign, vAlign);
}

bool LFontText::SetBoxSize(LSize size) {
    if (size == m_box) return false;
    m_box = size;
    if (m_wrap) m_measured.reset();
    return true;
}

LSize LFontText::GetLayoutSize(LMeasurementRenderer& renderer) {
    if (!m_measured) m_measured = renderer.MeasureText(m_font, m_text, {}, WrapWidth());
    return m_measured->size;
}

std::int32_t LFontText::GetLineCount(LMeasurementRenderer& renderer) {
    GetLayoutSize(renderer);
    return m_measured->lineCount;
}

void LFontText::Draw(LRenderer& renderer, const LRect& box, const LColor& color) {
    if (m_text.empty()) return;
    SetBoxSize({box.width, box.height});
    renderer.DrawText(m_text, m_font, color, box, LTextFormat{m_wrap, m_hAlign, m_vAlign});
}

LSize LFontTextMeasurer::MeasureText(const LControl& control, const String& text, double wrapWidth) {
    const bool wrap = wrapWidth > 0.0;
    LFontText layout(text, LFontText::ResolveFont(control), wrap);
    layout.SetBoxSize({wrap ? wrapWidth : 0.0, 0.0});
    return layout.GetLayoutSize(m_renderer);
}

}  // namespace Orv
