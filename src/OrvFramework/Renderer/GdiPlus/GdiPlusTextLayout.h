#pragma once
// One text laid out for a font description: optionally wrapped at a width, measured, and drawn
// with GDI+ line by line, each line placed by a horizontal alignment. Lines are broken here, not by
// GDI+, so that every system breaks them alike: after spaces, between East Asian characters (not
// before closing punctuation or small kana, not after opening brackets), after a hyphen, and inside
// a word only when the word alone is wider than the line. The text is written in the font asked
// for when that font has every character; otherwise in an installed font that has them (a font
// for the text's script first), so Japanese, Korean and Chinese show in their own letters and only
// characters no font has are counted as unknown (drawn as boxes).
#include <memory>
#include <string>
#include <vector>

#include "OrvFramework/Renderer/GdiPlus/GdiPlus.h"
#include "OrvFramework/Renderer/Renderer.h"

namespace Orv {

class LGdiPlusTextLayout {
public:
    // measure is the graphics text is measured on; wrapWidth <= 0 keeps the text's own lines.
    LGdiPlusTextLayout(Gdiplus::Graphics& measure, const LFontDescription& font, const String& text,
                       double wrapWidth = 0.0);
    ~LGdiPlusTextLayout();
    LGdiPlusTextLayout(const LGdiPlusTextLayout&) = delete;
    LGdiPlusTextLayout& operator=(const LGdiPlusTextLayout&) = delete;

    // The logical size in pixels (width of the widest line, height of all lines).
    LSize GetSize() const { return m_size; }
    std::int32_t GetLineCount() const { return m_lineCount; }
    std::int32_t GetUnknownGlyphCount() const { return m_unknownGlyphs; }
    // The pixels the text inks, relative to its top-left.
    LRect GetInkBounds() const;
    // Bounds of UTF-16 ranges, relative to the layout's top-left; a range spanning lines gives the
    // union of its pieces; an empty or out-of-range range gives an empty rect.
    std::vector<LRect> GetRangeBounds(const std::vector<LTextRange>& ranges) const;
    // The lines with their top-left at topLeft, each moved right by (boxWidth - line width) * hAlign.
    void Draw(Gdiplus::Graphics& graphics, LPoint topLeft, double boxWidth, double hAlign,
              const Gdiplus::Brush& brush) const;

    static LFontMetrics GetFontMetrics(const LFontDescription& font);

private:
    struct Line {
        std::size_t start = 0, length = 0;  // in UTF-16 units of the text
        double width = 0.0;
    };
    double Width(std::size_t start, std::size_t length) const;
    void BreakParagraph(std::size_t start, std::size_t end);

    Gdiplus::Graphics& m_measure;
    std::wstring m_text;
    double m_wrapWidth = 0.0;
    std::unique_ptr<Gdiplus::StringFormat> m_format;
    std::vector<Line> m_lines;
    double m_lineHeight = 0.0;
    std::unique_ptr<Gdiplus::FontFamily> m_family;
    std::unique_ptr<Gdiplus::Font> m_font;
    LSize m_size;
    std::int32_t m_lineCount = 0;
    std::int32_t m_unknownGlyphs = 0;
};

}  // namespace Orv
