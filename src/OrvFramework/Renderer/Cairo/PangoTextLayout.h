#pragma once
// One text laid out with Pango for a font description: optionally wrapped at a width at the
// language's line-break opportunities (UAX #14, so Japanese and Chinese break between characters),
// measured, and drawn line by line with each line placed by a horizontal alignment fraction.
#include <vector>

#include "OrvFramework/Renderer/Renderer.h"

typedef struct _cairo cairo_t;
typedef struct _PangoLayout PangoLayout;
typedef struct _PangoFontDescription PangoFontDescription;

namespace Orv {

class LPangoTextLayout {
public:
    // cr supplies the font options and target; wrapWidth <= 0 keeps the text's own lines.
    LPangoTextLayout(cairo_t* cr, const LFontDescription& font, const String& text, double wrapWidth = 0.0);
    ~LPangoTextLayout();
    LPangoTextLayout(const LPangoTextLayout&) = delete;
    LPangoTextLayout& operator=(const LPangoTextLayout&) = delete;

    // The logical size in pixels (width of the widest line, height of all lines).
    LSize GetSize() const;
    std::int32_t GetLineCount() const;
    // Characters drawn as a missing-glyph box because no font on the machine has them.
    std::int32_t GetUnknownGlyphCount() const;
    LRect GetInkBounds() const;
    // Bounds of UTF-16 ranges of the text, relative to the layout's top-left; a range spanning
    // lines gives the union of its pieces; an empty or out-of-range range gives an empty rect.
    std::vector<LRect> GetRangeBounds(const std::vector<LTextRange>& ranges) const;
    // The lines in the current source colour, the layout's top-left at topLeft; each line moved
    // right by (boxWidth - line width) * hAlign.
    void Draw(cairo_t* cr, LPoint topLeft, double boxWidth, double hAlign) const;

    static LFontMetrics GetFontMetrics(cairo_t* cr, const LFontDescription& font);
    // The Pango description of a font; the caller frees it with pango_font_description_free.
    static PangoFontDescription* CreateFontDescription(const LFontDescription& font);

private:
    String m_text;
    PangoLayout* m_layout = nullptr;
};

}  // namespace Orv
