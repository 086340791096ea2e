#include "OrvFramework/Renderer/Cairo/PangoTextLayout.h"

#include <pango/pangocairo.h>

#include <algorithm>

namespace Orv {

namespace {

constexpr double kDpi = 96.0;

double FromPango(int units) { return double(units) / PANGO_SCALE; }

// Byte offset in the UTF-8 form of the text of a UTF-16 index.
int ByteIndex(const String& text, std::int32_t index) {
    index = std::clamp<std::int32_t>(index, 0, text.GetLength());
    return static_cast<int>(Utf16ToUtf8(std::u16string_view(text).substr(0, std::size_t(index))).size());
}

PangoContext* CreateContext(cairo_t* cr) {
    PangoContext* context = pango_cairo_create_context(cr);
    // Sizes are points at 96 pixels per inch, whatever the screen says.
    pango_cairo_context_set_resolution(context, kDpi);
    return context;
}

}  // namespace

PangoFontDescription* LPangoTextLayout::CreateFontDescription(const LFontDescription& font) {
    PangoFontDescription* desc = pango_font_description_new();
    const std::string family = font.name.empty() ? std::string("Arial") : font.name.ToUtf8();
    pango_font_description_set_family(desc, family.c_str());
    const double size = font.size > 0.0 ? font.size : 8.25;
    pango_font_description_set_size(desc, static_cast<int>(size * PANGO_SCALE + 0.5));
    const int style = font.style < 0 ? 0 : font.style;
    pango_font_description_set_weight(desc, (style & FontStyleBold) ? PANGO_WEIGHT_BOLD : PANGO_WEIGHT_NORMAL);
    pango_font_description_set_style(desc, (style & FontStyleItalic) ? PANGO_STYLE_ITALIC : PANGO_STYLE_NORMAL);
    return desc;
}

LPangoTextLayout::LPangoTextLayout(cairo_t* cr, const LFontDescription& font, const String& text, double wrapWidth)
    : m_text(text) {
    PangoContext* context = CreateContext(cr);
    m_layout = pango_layout_new(context);
    g_object_unref(context);

    PangoFontDescription* desc = CreateFontDescription(font);
    pango_layout_set_font_description(m_layout, desc);
    pango_font_description_free(desc);

    const int style = font.style < 0 ? 0 : font.style;
    PangoAttrList* attrs = pango_attr_list_new();
    if (style & FontStyleUnderline) pango_attr_list_insert(attrs, pango_attr_underline_new(PANGO_UNDERLINE_SINGLE));
    if (style & FontStyleStrikeout) pango_attr_list_insert(attrs, pango_attr_strikethrough_new(TRUE));
    // A line broken where a word meets a Korean particle ("Varnet의") or inside a word too long
    // for the line is not a hyphenation point: no hyphen is drawn there.
    pango_attr_list_insert(attrs, pango_attr_insert_hyphens_new(FALSE));
    pango_layout_set_attributes(m_layout, attrs);
    pango_attr_list_unref(attrs);
    const std::string utf8 = text.ToUtf8();
    pango_layout_set_text(m_layout, utf8.c_str(), static_cast<int>(utf8.size()));
    if (wrapWidth > 0.0) {
        pango_layout_set_width(m_layout, static_cast<int>(wrapWidth * PANGO_SCALE));
        // Words first; a word longer than the line is broken between characters.
        pango_layout_set_wrap(m_layout, PANGO_WRAP_WORD_CHAR);
    }
}

LPangoTextLayout::~LPangoTextLayout() {
    if (m_layout) g_object_unref(m_layout);
}

LSize LPangoTextLayout::GetSize() const {
    PangoRectangle logical;
    pango_layout_get_extents(m_layout, nullptr, &logical);
    return {FromPango(logical.width), FromPango(logical.height)};
}

std::int32_t LPangoTextLayout::GetLineCount() const { return pango_layout_get_line_count(m_layout); }

std::int32_t LPangoTextLayout::GetUnknownGlyphCount() const { return pango_layout_get_unknown_glyphs_count(m_layout); }

LRect LPangoTextLayout::GetInkBounds() const {
    PangoRectangle ink;
    pango_layout_get_extents(m_layout, &ink, nullptr);
    return {FromPango(ink.x), FromPango(ink.y), FromPango(ink.width), FromPango(ink.height)};
}

std::vector<LRect> LPangoTextLayout::GetRangeBounds(const std::vector<LTextRange>& ranges) const {
    std::vector<LRect> result;
    result.reserve(ranges.size());
    for (const LTextRange& range : ranges) {
        LRect bounds;
        bool any = false;
        if (range.length > 0 && range.start >= 0 && range.start < m_text.GetLength()) {
            const int first = ByteIndex(m_text, range.start);
            const int last = ByteIndex(m_text, range.start + range.length);
            const char* utf8 = pango_layout_get_text(m_layout);
            for (int i = first; i < last; i = static_cast<int>(g_utf8_next_char(utf8 + i) - utf8)) {
                PangoRectangle pos;
                pango_layout_index_to_pos(m_layout, i, &pos);
                // Right-to-left runs report a negative width.
                LRect r{FromPango(std::min(pos.x, pos.x + pos.width)), FromPango(pos.y), FromPango(std::abs(pos.width)),
                        FromPango(pos.height)};
                if (!any) {
                    bounds = r;
                    any = true;
                } else {
                    const double right = std::max(bounds.Right(), r.Right());
                    const double bottom = std::max(bounds.Bottom(), r.Bottom());
                    bounds.x = std::min(bounds.x, r.x);
                    bounds.y = std::min(bounds.y, r.y);
                    bounds.width = right - bounds.x;
                    bounds.height = bottom - bounds.y;
                }
            }
        }
        result.push_back(bounds);
    }
    return result;
}

void LPangoTextLayout::Draw(cairo_t* cr, LPoint topLeft, double boxWidth, double hAlign) const {
    // The layout was made on another context (the measuring one): bring its fonts up to date.
    pango_cairo_update_layout(cr, m_layout);
    PangoLayoutIter* iter = pango_layout_get_iter(m_layout);
    do {
        PangoLayoutLine* line = pango_layout_iter_get_line_readonly(iter);
        PangoRectangle logical;
        pango_layout_iter_get_line_extents(iter, nullptr, &logical);
        const double lineWidth = FromPango(logical.width);
        const double x = topLeft.x + (boxWidth - lineWidth) * hAlign;
        const double baseline = topLeft.y + FromPango(pango_layout_iter_get_baseline(iter));
        cairo_move_to(cr, x, baseline);
        pango_cairo_show_layout_line(cr, line);
    } while (pango_layout_iter_next_line(iter));
    pango_layout_iter_free(iter);
}

LFontMetrics LPangoTextLayout::GetFontMetrics(cairo_t* cr, const LFontDescription& font) {
    PangoContext* context = CreateContext(cr);
    PangoFontDescription* desc = CreateFontDescription(font);
    PangoFontMetrics* metrics = pango_context_get_metrics(context, desc, nullptr);
    LFontMetrics result;
    result.ascent = FromPango(pango_font_metrics_get_ascent(metrics));
    result.descent = FromPango(pango_font_metrics_get_descent(metrics));
    result.emHeight = (font.size > 0.0 ? font.size : 8.25) * kDpi / 72.0;
    result.size = result.emHeight;
    const int height = pango_font_metrics_get_height(metrics);
    result.lineHeight = height > 0 ? FromPango(height) : result.ascent + result.descent;
    pango_font_metrics_unref(metrics);
    pango_font_description_free(desc);
    g_object_unref(context);
    return result;
}

}  // namespace Orv
