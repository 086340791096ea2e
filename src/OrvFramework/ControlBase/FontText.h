#pragma once
// The text layout of a look: a control's text in the font of its skin, broken into lines at the
// text box width when it wraps, and placed in the box by the look's alignment. It measures and
// draws only through the renderer, so the same layout serves every renderer.
#include <optional>

#include "OrvFramework/ControlBase/Layout.h"
#include "OrvFramework/ControlBase/SkinDescriptor.h"
#include "OrvFramework/Renderer/Renderer.h"

namespace Orv {

class LControl;

class LFontText : public LRefCountedObject {
public:
    LFontText(String text, LFontDescription font, bool wrap, double hAlign = 0.0, double vAlign = 0.0);

    // The font of a control: its skin's font, where the name is empty, the skin inherits, or the
    // size is relative, completed from the parent's font and, at the top, the factory's default.
    static LFontDescription ResolveFont(const LControl& control);
    // The layout of a control's text for a look with text properties ("Wrap" overflow wraps).
    static RCPtr<LFontText> ForControl(const LControl& control, double hAlign, double vAlign);

    const String& GetText() const { return m_text; }
    const LFontDescription& GetFont() const { return m_font; }
    bool IsWrapping() const { return m_wrap; }
    double GetHAlign() const { return m_hAlign; }
    double GetVAlign() const { return m_vAlign; }

    // A new box size makes the text reflow (at the next measurement); true when it changed.
    bool SetBoxSize(LSize size);
    LSize GetBoxSize() const { return m_box; }
    // The size of the laid-out text, measured through the renderer and kept until a reflow.
    LSize GetLayoutSize(LMeasurementRenderer& renderer);
    std::int32_t GetLineCount(LMeasurementRenderer& renderer);
    // Draws the text placed inside box in color; nothing for an empty text.
    void Draw(LRenderer& renderer, const LRect& box, const LColor& color);

private:
    double WrapWidth() const { return m_wrap ? m_box.width : 0.0; }

    String m_text;
    LFontDescription m_font;
    bool m_wrap = false;
    double m_hAlign = 0.0;
    double m_vAlign = 0.0;
    LSize m_box;
    std::optional<LTextMeasurement> m_measured;
};

// Lets layout size controls to their text: measures as LFontText would lay the text out in the
// control's font, through a renderer.
class LFontTextMeasurer : public ITextMeasurer {
public:
    explicit LFontTextMeasurer(LMeasurementRenderer& renderer) : m_renderer(renderer) {}
    LSize MeasureText(const LControl& control, const String& text, double wrapWidth) override;

private:
    LMeasurementRenderer& m_renderer;
};

}  // namespace Orv
