#pragma once
// The renderer of Windows (renderer type 0): draws with GDI+ onto the paint target's pixels (the
// window's, or an offscreen buffer), wrapped in a GDI+ bitmap; text with GDI+. Shapes are drawn
// without anti-aliasing, like the crisp pixel art of the skin; bitmaps are stretched, tiled or
// centred once per size and kept in a bitmap cache.
#include <memory>

#include "OrvFramework/Platform/Clock.h"
#include "OrvFramework/Renderer/GdiPlus/BitmapCache.h"
#include "OrvFramework/Renderer/GdiPlus/GdiPlus.h"
#include "OrvFramework/Renderer/Renderer.h"

namespace Orv {

class LGDIRenderer : public LRenderer {
public:
    explicit LGDIRenderer(Platform::IClock& clock = Platform::GetRealClock());
    ~LGDIRenderer() override;

    LFontMetrics GetFontMetrics(const LFontDescription& font) override;
    LTextMeasurement MeasureText(const LFontDescription& font, const String& text,
                                 const std::vector<LTextRange>& ranges = {}, double wrapWidth = 0.0) override;
    LRect GetTextBounds(const LFontDescription& font, const String& text, double wrapWidth = 0.0) override;

    void BeginPaint(const Platform::PaintTarget& target) override;
    void EndPaint(const Platform::PaintTarget& target) override;

    using LRenderer::DrawText;
    void DrawText(const String& text, const LFontDescription& font, const LColor& color, LPoint position) override;
    void DrawText(const String& text, const LFontDescription& font, const LColor& color, const LRect& box,
                  const LTextFormat& format) override;
    void DrawRect(const LRect& rect, const LColor& color) override;
    void FillRect(const LRect& rect, const LColor& color) override;
    void DrawLine(LPoint from, LPoint to, const LColor& color) override;
    void DrawLines(const std::vector<LPoint>& points, const LColor& color, LPoint scale = {1.0, 1.0}) override;
    void DrawPolyline(const std::vector<LPoint>& points, const LColor& color, LPoint scale = {1.0, 1.0}) override;
    void DrawPolygon(const std::vector<LPoint>& points, const LColor& color, LPoint scale = {1.0, 1.0}) override;
    void FillPolygon(const std::vector<LPoint>& points, const LColor& color, LPoint scale = {1.0, 1.0}) override;
    void DrawBitmap(const ConstRCPtr<LBitmap>& bitmap, const LRect& destination, int resizeType) override;

    const LBitmapCache& GetBitmapCache() const { return m_bitmapCache; }
    // The GDI+ graphics of the paint in progress; null outside a paint.
    Gdiplus::Graphics* GetGraphics() const { return m_graphics.get(); }

protected:
    void ApplyState() override;

private:
    // The paint's graphics; raises the null-pointer error outside a paint.
    Gdiplus::Graphics& RequireGraphics(const char* function, int line) const;
    void DrawPath(const std::vector<LPoint>& points, const LColor& color, LPoint scale, bool segments, bool close,
                  bool fill);

    LBitmapCache m_bitmapCache;
    std::unique_ptr<Gdiplus::Bitmap> m_target;  // over the paint target's pixels, during a paint
    std::unique_ptr<Gdiplus::Graphics> m_graphics;
    // Text is measured on a small offscreen graphics, so measuring works outside a paint.
    std::unique_ptr<Gdiplus::Bitmap> m_measureBitmap;
    std::unique_ptr<Gdiplus::Graphics> m_measureGraphics;
};

}  // namespace Orv
