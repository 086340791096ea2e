#include "OrvFramework/Renderer/GdiPlus/GdiPlusRenderer.h"

#include <algorithm>

#include "OrvFramework/Renderer/GdiPlus/GdiPlusImages.h"
#include "OrvFramework/Renderer/GdiPlus/GdiPlusTextLayout.h"

namespace Orv {

RCPtr<LRenderer> LRenderer::Create(int type, const LRect&, void*) {
    if (type == TypeGdiPlus) return MakeRC<LGDIRenderer>(Platform::GetRealClock());
    ORV_THROW_NO_TEXT(Domain, "Orv::LRenderer::Create", 62);
}

RCPtr<LRenderer> LRenderer::CreateForPlatform(Platform::IClock& clock) { return MakeRC<LGDIRenderer>(clock); }

namespace {

// Crisp pixel art: no smoothing of shapes, pixel centres on whole coordinates, source-over
// compositing; text smoothed in grey (a transparent target has no colour to fit subpixels to).
void SetModes(Gdiplus::Graphics& graphics) {
    graphics.SetSmoothingMode(Gdiplus::SmoothingModeHighSpeed);
    graphics.SetInterpolationMode(Gdiplus::InterpolationModeNearestNeighbor);
    graphics.SetPixelOffsetMode(Gdiplus::PixelOffsetModeHighSpeed);
    graphics.SetCompositingMode(Gdiplus::CompositingModeSourceOver);
    graphics.SetTextRenderingHint(Gdiplus::TextRenderingHintAntiAliasGridFit);
    graphics.SetPageUnit(Gdiplus::UnitPixel);
}

Gdiplus::RectF ToRectF(const LRect& r) {
    return {Gdiplus::REAL(r.x), Gdiplus::REAL(r.y), Gdiplus::REAL(std::max(r.width, 0.0)),
            Gdiplus::REAL(std::max(r.height, 0.0))};
}

}  // namespace

LGDIRenderer::LGDIRenderer(Platform::IClock& clock) : m_bitmapCache(clock) {
    if (!EnsureGdiPlus()) ORV_THROW(Runtime, "GDI+ could not be started.", "Orv::LGDIRenderer::LGDIRenderer", 0);
    m_measureBitmap = std::make_unique<Gdiplus::Bitmap>(1, 1, PixelFormat32bppPARGB);
    m_measureGraphics = std::make_unique<Gdiplus::Graphics>(m_measureBitmap.get());
    SetModes(*m_measureGraphics);
}

LGDIRenderer::~LGDIRenderer() {
    m_graphics.reset();
    m_target.reset();
    m_bitmapCache.Clear();
}

Gdiplus::Graphics& LGDIRenderer::RequireGraphics(const char* function, int line) const {
    if (!m_graphics) ORV_THROW(NullPointer, "", function, line);
    return *m_graphics;
}

// ---- text ----

LFontMetrics LGDIRenderer::GetFontMetrics(const LFontDescription& font) {
    return LGdiPlusTextLayout::GetFontMetrics(font);
}

LTextMeasurement LGDIRenderer::MeasureText(const LFontDescription& font, const String& text,
                                           const std::vector<LTextRange>& ranges, double wrapWidth) {
    LGdiPlusTextLayout layout(*m_measureGraphics, font, text, wrapWidth);
    LTextMeasurement result;
    result.size = layout.GetSize();
    result.lineCount = layout.GetLineCount();
    result.rangeBounds = layout.GetRangeBounds(ranges);
    result.unknownGlyphs = layout.GetUnknownGlyphCount();
    return result;
}

LRect LGDIRenderer::GetTextBounds(const LFontDescription& font, const String& text, double wrapWidth) {
    return LGdiPlusTextLayout(*m_measureGraphics, font, text, wrapWidth).GetInkBounds();
}

void LGDIRenderer::DrawText(const String& text, const LFontDescription& font, const LColor& color, LPoint position) {
    Gdiplus::Graphics& graphics = RequireGraphics("Orv::LGDIRenderContextInfo::GetGraphics", 57);
    LGdiPlusTextLayout layout(*m_measureGraphics, font, text);
    const Gdiplus::SolidBrush brush(ToGdiPlus(color, GetOpacity()));
    layout.Draw(graphics, position, 0.0, 0.0, brush);
}

void LGDIRenderer::DrawText(const String& text, const LFontDescription& font, const LColor& color, const LRect& box,
                            const LTextFormat& format) {
    Gdiplus::Graphics& graphics = RequireGraphics("Orv::LGDIRenderContextInfo::GetGraphics", 57);
    LGdiPlusTextLayout layout(*m_measureGraphics, font, text, format.wrap ? box.width : 0.0);
    const LSize size = layout.GetSize();
    const Gdiplus::SolidBrush brush(ToGdiPlus(color, GetOpacity()));
    layout.Draw(graphics, {box.x, box.y + (box.height - size.height) * format.vAlign}, box.width, format.hAlign, brush);
}

// ---- paint ----

void LGDIRenderer::BeginPaint(const Platform::PaintTarget& target) {
    if (!target.IsValid()) ORV_THROW(NullPointer, "", "Orv::LGDIRenderer::BeginPaint", 57);
    if (m_graphics) ORV_THROW(Logic, "BeginPaint during a paint.", "Orv::LGDIRenderer::BeginPaint", 0);
    // GDI+'s premultiplied ARGB is the paint target's layout: the target's pixels are drawn in place.
    auto bitmap =
        std::make_unique<Gdiplus::Bitmap>(target.width, target.height, target.stride,
                                          target.opaque ? PixelFormat32bppRGB : PixelFormat32bppPARGB, target.pixels);
    if (bitmap->GetLastStatus() != Gdiplus::Ok) ORV_THROW(NullPointer, "", "Orv::LGDIRenderer::BeginPaint", 57);
    auto graphics = std::make_unique<Gdiplus::Graphics>(bitmap.get());
    if (graphics->GetLastStatus() != Gdiplus::Ok) ORV_THROW(NullPointer, "", "Orv::LGDIRenderer::BeginPaint", 57);
    SetModes(*graphics);
    m_target = std::move(bitmap);
    m_graphics = std::move(graphics);
    StartStates({0.0, 0.0, double(target.width), double(target.height)});
}

void LGDIRenderer::EndPaint(const Platform::PaintTarget&) {
    if (!m_graphics) return;
    m_graphics->Flush(Gdiplus::FlushIntentionSync);
    m_graphics.reset();
    m_target.reset();
    EndStates();
    m_bitmapCache.PurgeIfDue();
}

void LGDIRenderer::ApplyState() {
    if (!m_graphics) return;
    const LPoint origin = GetOrigin();
    const LRect clip = GetClipRect();
    m_graphics->ResetTransform();
    m_graphics->SetClip(ToRectF({clip.x + origin.x, clip.y + origin.y, clip.width, clip.height}));
    if (const ConstRCPtr<LRegion> region = GetClipRegion()) {
        // The region's rectangles, in the same coordinates as the clip rectangle, narrow it further.
        Gdiplus::Region allowed;
        allowed.MakeEmpty();
        for (const LRect& r : region->GetRects())
            allowed.Union(ToRectF({r.x + origin.x, r.y + origin.y, r.width, r.height}));
        m_graphics->SetClip(&allowed, Gdiplus::CombineModeIntersect);
    }
    m_graphics->TranslateTransform(Gdiplus::REAL(origin.x), Gdiplus::REAL(origin.y));
}

// ---- shapes ----

void LGDIRenderer::FillRect(const LRect& rect, const LColor& color) {
    Gdiplus::Graphics& graphics = RequireGraphics("Orv::LGDIRenderContextInfo::GetGraphics", 57);
    if (rect.IsEmpty()) return;
    const Gdiplus::SolidBrush brush(ToGdiPlus(color, GetOpacity()));
    graphics.FillRectangle(&brush, ToRectF(rect));
}

void LGDIRenderer::DrawRect(const LRect& rect, const LColor& color) {
    Gdiplus::Graphics& graphics = RequireGraphics("Orv::LGDIRenderContextInfo::GetGraphics", 57);
    const Gdiplus::Pen pen(ToGdiPlus(color, GetOpacity()), 1.0f);
    graphics.DrawRectangle(&pen, ToRectF(rect));
}

void LGDIRenderer::DrawLine(LPoint from, LPoint to, const LColor& color) {
    DrawPath({from, to}, color, {1.0, 1.0}, true, false, false);
}

void LGDIRenderer::DrawLines(const std::vector<LPoint>& points, const LColor& color, LPoint scale) {
    DrawPath(points, color, scale, true, false, false);
}

void LGDIRenderer::DrawPolyline(const std::vector<LPoint>& points, const LColor& color, LPoint scale) {
    DrawPath(points, color, scale, false, false, false);
}

void LGDIRenderer::DrawPolygon(const std::vector<LPoint>& points, const LColor& color, LPoint scale) {
    DrawPath(points, color, scale, false, true, false);
}

void LGDIRenderer::FillPolygon(const std::vector<LPoint>& points, const LColor& color, LPoint scale) {
    DrawPath(points, color, scale, false, true, true);
}

void LGDIRenderer::DrawPath(const std::vector<LPoint>& points, const LColor& color, LPoint scale, bool segments,
                            bool close, bool fill) {
    Gdiplus::Graphics& graphics = RequireGraphics("Orv::LGDIRenderContextInfo::GetGraphics", 57);
    // The points are scaled, not the pen: lines stay one pixel wide at any scale.
    std::vector<Gdiplus::PointF> scaled;
    scaled.reserve(points.size());
    for (const LPoint& p : points) scaled.emplace_back(Gdiplus::REAL(p.x * scale.x), Gdiplus::REAL(p.y * scale.y));
    Gdiplus::GraphicsPath path;
    if (segments) {
        for (std::size_t i = 0; i + 1 < scaled.size(); i += 2) {  // a lone last point is no segment
            path.StartFigure();
            path.AddLine(scaled[i], scaled[i + 1]);
        }
    } else if (scaled.size() >= 2) {
        path.AddLines(scaled.data(), INT(scaled.size()));
        if (close) path.CloseFigure();
    }
    if (path.GetPointCount() == 0) return;
    if (fill) {
        const Gdiplus::SolidBrush brush(ToGdiPlus(color, GetOpacity()));
        graphics.FillPath(&brush, &path);
    } else {
        const Gdiplus::Pen pen(ToGdiPlus(color, GetOpacity()), 1.0f);
        graphics.DrawPath(&pen, &path);
    }
}

// ---- bitmaps ----

void LGDIRenderer::DrawBitmap(const ConstRCPtr<LBitmap>& bitmap, const LRect& destination, int resizeType) {
    if (!m_graphics) ORV_THROW_NO_TEXT(Runtime, "Orv::LGDIRenderer::DrawBitmap", 604);
    if (resizeType != ResizeStretch && resizeType != ResizeTile && resizeType != ResizeCenter)
        ORV_THROW(InvalidArgument, "Invalid ResizeType passed to DrawBitmap.", "Orv::LGDIRenderer::DrawBitmap", 595);
    if (!bitmap || !bitmap->HasImage()) return;
    const std::int32_t width = RoundToInt(destination.width);
    const std::int32_t height = RoundToInt(destination.height);
    if (width <= 0 || height <= 0) return;

    const ConstRCPtr<LBitmapData> data = bitmap->GetData();
    const LBitmapCacheKey key{data.Get(),         data->GetGeneration(), bitmap->GetX(), bitmap->GetY(),
                              bitmap->GetWidth(), bitmap->GetHeight(),   width,          height,
                              resizeType};
    Gdiplus::Bitmap* scaled = m_bitmapCache.Find(key);
    if (!scaled) {
        std::unique_ptr<Gdiplus::Bitmap> made = CreateScaledBitmap(*bitmap, width, height, resizeType);
        if (!made) return;
        scaled = m_bitmapCache.Insert(key, data, std::move(made));
    }
    const Gdiplus::Rect at(RoundToInt(destination.x), RoundToInt(destination.y), width, height);
    const float opacity = std::clamp(GetOpacity(), 0.0f, 1.0f);
    if (opacity >= 1.0f) {
        m_graphics->DrawImage(scaled, at, 0, 0, width, height, Gdiplus::UnitPixel);
        return;
    }
    Gdiplus::ColorMatrix fade = {
        {{1, 0, 0, 0, 0}, {0, 1, 0, 0, 0}, {0, 0, 1, 0, 0}, {0, 0, 0, opacity, 0}, {0, 0, 0, 0, 1}}};
    Gdiplus::ImageAttributes attributes;
    attributes.SetColorMatrix(&fade);
    m_graphics->DrawImage(scaled, at, 0, 0, width, height, Gdiplus::UnitPixel, &attributes);
}

}  // namespace Orv
