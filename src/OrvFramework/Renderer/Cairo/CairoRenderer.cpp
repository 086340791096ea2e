#include "OrvFramework/Renderer/Cairo/CairoRenderer.h"

#include <cairo.h>

#include "OrvFramework/Renderer/Cairo/PangoTextLayout.h"

namespace Orv {

RCPtr<LRenderer> LRenderer::Create(int type, const LRect&, void*) {
    if (type == TypeCairo) return MakeRC<LCairoRenderer>(Platform::GetRealClock());
    ORV_THROW_NO_TEXT(Domain, "Orv::LRenderer::Create", 62);
}

RCPtr<LRenderer> LRenderer::CreateForPlatform(Platform::IClock& clock) { return MakeRC<LCairoRenderer>(clock); }

LCairoRenderer::LCairoRenderer(Platform::IClock& clock) : m_bitmapCache(clock) {
    m_measureSurface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 1, 1);
    m_measureContext = cairo_create(m_measureSurface);
}

LCairoRenderer::~LCairoRenderer() {
    if (m_context) cairo_destroy(m_context);
    if (m_target) cairo_surface_destroy(m_target);
    cairo_destroy(m_measureContext);
    cairo_surface_destroy(m_measureSurface);
}

cairo_t* LCairoRenderer::RequireContext(const char* function, int line) const {
    if (!m_context) ORV_THROW(NullPointer, "", function, line);
    return m_context;
}

// ---- text ----

LFontMetrics LCairoRenderer::GetFontMetrics(const LFontDescription& font) {
    return LPangoTextLayout::GetFontMetrics(m_measureContext, font);
}

LTextMeasurement LCairoRenderer::MeasureText(const LFontDescription& font, const String& text,
                                             const std::vector<LTextRange>& ranges, double wrapWidth) {
    LPangoTextLayout layout(m_measureContext, font, text, wrapWidth);
    LTextMeasurement result;
    result.size = layout.GetSize();
    result.lineCount = layout.GetLineCount();
    result.rangeBounds = layout.GetRangeBounds(ranges);
    result.unknownGlyphs = layout.GetUnknownGlyphCount();
    return result;
}

LRect LCairoRenderer::GetTextBounds(const LFontDescription& font, const String& text, double wrapWidth) {
    return LPangoTextLayout(m_measureContext, font, text, wrapWidth).GetInkBounds();
}

void LCairoRenderer::DrawText(const String& text, const LFontDescription& font, const LColor& color, LPoint position) {
    cairo_t* cr = RequireContext("Orv::LCairoRenderer::DrawText", 57);
    LPangoTextLayout layout(m_measureContext, font, text);
    SetSource(cr, color);
    layout.Draw(cr, position, layout.GetSize().width, 0.0);
}

void LCairoRenderer::DrawText(const String& text, const LFontDescription& font, const LColor& color, const LRect& box,
                              const LTextFormat& format) {
    cairo_t* cr = RequireContext("Orv::LCairoRenderer::DrawText", 57);
    LPangoTextLayout layout(m_measureContext, font, text, format.wrap ? box.width : 0.0);
    const LSize size = layout.GetSize();
    SetSource(cr, color);
    layout.Draw(cr, {box.x, box.y + (box.height - size.height) * format.vAlign}, box.width, format.hAlign);
}

// ---- paint ----

void LCairoRenderer::BeginPaint(const Platform::PaintTarget& target) {
    if (!target.IsValid()) ORV_THROW(NullPointer, "", "Orv::LCairoRenderer::BeginPaint", 57);
    if (m_context) ORV_THROW(Logic, "BeginPaint during a paint.", "Orv::LCairoRenderer::BeginPaint", 0);
    // Cairo's ARGB32 and RGB24 are the paint target's layout: the target's pixels are drawn in place.
    const cairo_format_t format = target.opaque ? CAIRO_FORMAT_RGB24 : CAIRO_FORMAT_ARGB32;
    m_target = cairo_image_surface_create_for_data(target.pixels, format, target.width, target.height, target.stride);
    if (cairo_surface_status(m_target) != CAIRO_STATUS_SUCCESS) {
        cairo_surface_destroy(m_target);
        m_target = nullptr;
        ORV_THROW(NullPointer, "", "Orv::LCairoRenderer::BeginPaint", 57);
    }
    m_context = cairo_create(m_target);
    // Crisp pixel art: no smoothing of shapes, source-over compositing.
    cairo_set_antialias(m_context, CAIRO_ANTIALIAS_NONE);
    cairo_set_operator(m_context, CAIRO_OPERATOR_OVER);
    cairo_set_line_width(m_context, 1.0);
    StartStates({0.0, 0.0, double(target.width), double(target.height)});
}

void LCairoRenderer::EndPaint(const Platform::PaintTarget&) {
    if (!m_context) return;
    cairo_destroy(m_context);
    m_context = nullptr;
    cairo_surface_flush(m_target);
    cairo_surface_destroy(m_target);
    m_target = nullptr;
    EndStates();
    m_bitmapCache.PurgeIfDue();
}

void LCairoRenderer::ApplyState() {
    if (!m_context) return;
    const LPoint origin = GetOrigin();
    const LRect clip = GetClipRect();
    cairo_reset_clip(m_context);
    cairo_identity_matrix(m_context);
    cairo_new_path(m_context);
    cairo_rectangle(m_context, clip.x + origin.x, clip.y + origin.y, std::max(clip.width, 0.0),
                    std::max(clip.height, 0.0));
    cairo_clip(m_context);
    cairo_translate(m_context, origin.x, origin.y);
}

void LCairoRenderer::SetSource(cairo_t* cr, const LColor& color) const {
    cairo_set_source_rgba(cr, color.red, color.green, color.blue, double(color.alpha) * GetOpacity());
}

// ---- shapes ----

void LCairoRenderer::FillRect(const LRect& rect, const LColor& color) {
    cairo_t* cr = RequireContext("Orv::LCairoRenderer::FillRect", 57);
    if (rect.IsEmpty()) return;
    SetSource(cr, color);
    cairo_new_path(cr);
    cairo_rectangle(cr, rect.x, rect.y, rect.width, rect.height);
    cairo_fill(cr);
}

void LCairoRenderer::DrawRect(const LRect& rect, const LColor& color) {
    cairo_t* cr = RequireContext("Orv::LCairoRenderer::DrawRect", 57);
    SetSource(cr, color);
    cairo_new_path(cr);
    // Through pixel centres, so the one-pixel pen covers whole pixels.
    cairo_rectangle(cr, rect.x + 0.5, rect.y + 0.5, rect.width, rect.height);
    cairo_stroke(cr);
}

void LCairoRenderer::DrawLine(LPoint from, LPoint to, const LColor& color) {
    StrokePath({from, to}, color, {1.0, 1.0}, true, false, false);
}

void LCairoRenderer::DrawLines(const std::vector<LPoint>& points, const LColor& color, LPoint scale) {
    StrokePath(points, color, scale, true, false, false);
}

void LCairoRenderer::DrawPolyline(const std::vector<LPoint>& points, const LColor& color, LPoint scale) {
    StrokePath(points, color, scale, false, false, false);
}

void LCairoRenderer::DrawPolygon(const std::vector<LPoint>& points, const LColor& color, LPoint scale) {
    StrokePath(points, color, scale, false, true, false);
}

void LCairoRenderer::FillPolygon(const std::vector<LPoint>& points, const LColor& color, LPoint scale) {
    StrokePath(points, color, scale, false, true, true);
}

void LCairoRenderer::StrokePath(const std::vector<LPoint>& points, const LColor& color, LPoint scale, bool segments,
                                bool close, bool fill) {
    cairo_t* cr = RequireContext("Orv::LCairoRenderer::DrawPath", 57);
    cairo_new_path(cr);
    // Strokes run through pixel centres; fills cover the pixels whose centres lie inside.
    const double offset = fill ? 0.0 : 0.5;
    for (std::size_t i = 0; i < points.size(); ++i) {
        const double x = points[i].x * scale.x + offset;
        const double y = points[i].y * scale.y + offset;
        const bool newFigure = i == 0 || (segments && i % 2 == 0);
        if (newFigure) {
            if (segments && i + 1 >= points.size()) break;  // a lone last point is no segment
            cairo_move_to(cr, x, y);
        } else {
            cairo_line_to(cr, x, y);
        }
    }
    if (close) cairo_close_path(cr);
    SetSource(cr, color);
    if (fill)
        cairo_fill(cr);
    else
        cairo_stroke(cr);
}

// ---- bitmaps ----

cairo_surface_t* LCairoRenderer::BuildScaled(const LBitmap& bitmap, std::int32_t width, std::int32_t height,
                                             int resizeType) const {
    cairo_surface_t* source = CreateCairoSurface(bitmap);
    if (!source) return nullptr;
    cairo_surface_t* out = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height);
    if (cairo_surface_status(out) != CAIRO_STATUS_SUCCESS) {
        // Too large to build: drawing a surface in error would put the paint's context in error too,
        // and everything after it would be lost.
        cairo_surface_destroy(out);
        cairo_surface_destroy(source);
        return nullptr;
    }
    cairo_t* cr = cairo_create(out);
    const int sw = bitmap.GetWidth();
    const int sh = bitmap.GetHeight();
    switch (resizeType) {
    case ResizeStretch: {
        cairo_scale(cr, double(width) / sw, double(height) / sh);
        cairo_set_source_surface(cr, source, 0, 0);
        // Edge pixels are repeated outward, so a stretched cap has no faded border.
        cairo_pattern_set_extend(cairo_get_source(cr), CAIRO_EXTEND_PAD);
        cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_GOOD);
        break;
    }
    case ResizeTile:
        cairo_set_source_surface(cr, source, 0, 0);
        cairo_pattern_set_extend(cairo_get_source(cr), CAIRO_EXTEND_REPEAT);
        cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_NEAREST);
        break;
    default:  // centre, at its own size, the odd pixel to the right and bottom
        cairo_set_source_surface(cr, source, (width - sw) / 2, (height - sh) / 2);
        cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_NEAREST);
        break;
    }
    cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
    cairo_paint(cr);
    cairo_destroy(cr);
    cairo_surface_destroy(source);
    cairo_surface_flush(out);
    return out;
}

void LCairoRenderer::DrawBitmap(const ConstRCPtr<LBitmap>& bitmap, const LRect& destination, int resizeType) {
    if (!m_context) ORV_THROW_NO_TEXT(Runtime, "Orv::LCairoRenderer::DrawBitmap", 604);
    if (resizeType != ResizeStretch && resizeType != ResizeTile && resizeType != ResizeCenter)
        ORV_THROW(InvalidArgument, "Invalid ResizeType passed to DrawBitmap.", "Orv::LCairoRenderer::DrawBitmap", 595);
    if (!bitmap || !bitmap->HasImage()) return;
    const std::int32_t width = RoundToInt(destination.width);
    const std::int32_t height = RoundToInt(destination.height);
    if (width <= 0 || height <= 0) return;

    const ConstRCPtr<LBitmapData> data = bitmap->GetData();
    const LBitmapCacheKey key{data.Get(),         data->GetGeneration(), bitmap->GetX(), bitmap->GetY(),
                              bitmap->GetWidth(), bitmap->GetHeight(),   width,          height,
                              resizeType};
    cairo_surface_t* scaled = m_bitmapCache.Find(key);
    if (!scaled) {
        scaled = BuildScaled(*bitmap, width, height, resizeType);
        if (!scaled) return;
        m_bitmapCache.Insert(key, data, scaled);
    }
    const double x = RoundToInt(destination.x);
    const double y = RoundToInt(destination.y);
    cairo_set_source_surface(m_context, scaled, x, y);
    cairo_new_path(m_context);
    cairo_rectangle(m_context, x, y, width, height);
    cairo_save(m_context);
    cairo_clip(m_context);
    cairo_paint_with_alpha(m_context, GetOpacity());
    cairo_restore(m_context);
}

}  // namespace Orv
