#pragma once
// The renderer of this platform (renderer type 1): draws with Cairo onto the paint target's pixels
// (the window's, or an offscreen buffer), wrapped in a Cairo image surface; text with Pango. Shapes are drawn without
// anti-aliasing, like the crisp pixel art of the skin; bitmaps are stretched, tiled or centred
// once per size and kept in a bitmap cache.
#include "OrvFramework/Platform/Clock.h"
#include "OrvFramework/Renderer/Cairo/BitmapCache.h"
#include "OrvFramework/Renderer/Cairo/CairoImages.h"
#include "OrvFramework/Renderer/Renderer.h"

typedef struct _cairo cairo_t;

namespace Orv {

class LCairoRenderer : public LRenderer {
public:
    explicit LCairoRenderer(Platform::IClock& clock = Platform::GetRealClock());
    ~LCairoRenderer() override;

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
    // The Cairo context of the paint in progress; null outside a paint.
    cairo_t* GetContext() const { return m_context; }

protected:
    void ApplyState() override;

private:
    // The paint context; raises the null-pointer error outside a paint.
    cairo_t* RequireContext(const char* function, int line) const;
    void SetSource(cairo_t* cr, const LColor& color) const;
    void StrokePath(const std::vector<LPoint>& points, const LColor& color, LPoint scale, bool segments, bool close,
                    bool fill);
    cairo_surface_t* BuildScaled(const LBitmap& bitmap, std::int32_t width, std::int32_t height, int resizeType) const;

    LBitmapCache m_bitmapCache;
    cairo_t* m_context = nullptr;
    cairo_surface_t* m_target = nullptr;  // the paint target's pixels, during a paint
    // Text is measured on a small offscreen context, so measuring works outside a paint.
    cairo_surface_t* m_measureSurface = nullptr;
    cairo_t* m_measureContext = nullptr;
};

}  // namespace Orv
