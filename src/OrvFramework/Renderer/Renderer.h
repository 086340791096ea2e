#pragma once
// The one drawing interface of the framework. Controls and looks draw only through it; the
// renderer keeps a stack of render states (origin, clip, opacity, a flag, a clip region) so that
// nested controls translate and clip without undoing each other's work.
//
// Contract for a drawing backend (one folder under Renderer/, chosen by the build):
// - it implements the pure virtual members below, plus LRenderer::Create and CreateForPlatform, and
//   the PNG decoding of Utilities/Graphics/ImageDecoder.h;
// - a renderer is used by one thread at a time (the user-interface thread for a window's);
// - BeginPaint takes a paint target (Platform/PaintTarget.h) owned by the caller, which stays
//   valid until the matching EndPaint; everything drawn in between must be in its pixels when
//   EndPaint returns. An invalid target raises the null-pointer error, a second BeginPaint before
//   EndPaint a logic error; drawing outside a paint raises the null-pointer error;
// - measuring works at any time, inside a paint or not;
// - bitmaps hold straight (not premultiplied) pixels; a backend converts them when it draws or
//   caches them.
#include <cstdint>
#include <vector>

#include "OrvFramework/ObjectBase/RCPtr.h"
#include "OrvFramework/Platform/Clock.h"
#include "OrvFramework/Platform/PaintTarget.h"
#include "OrvFramework/Utilities/Graphics/Bitmap.h"
#include "OrvFramework/Utilities/Graphics/Geometry.h"
#include "OrvFramework/Utilities/Storage/String.h"

namespace Orv {

enum ResizeType : int { ResizeStretch = 0, ResizeTile = 1, ResizeCenter = 2 };

// Style bits of a font; -1 (not given) reads as regular.
enum FontStyle : int {
    FontStyleRegular = 0,
    FontStyleBold = 1,
    FontStyleItalic = 2,
    FontStyleUnderline = 4,
    FontStyleStrikeout = 8,
};

struct LFontDescription {
    String name = String(u"Arial");  // family name; empty means the framework's default, Arial
    double size = 8.25;              // points, at 96 pixels per inch
    int style = -1;
};

// Pixels.
struct LFontMetrics {
    double size = 0.0;  // the em size in pixels
    double ascent = 0.0;
    double descent = 0.0;
    double emHeight = 0.0;
    double lineHeight = 0.0;  // distance between the baselines of two lines
};

// A run of characters, counted in UTF-16 code units like the framework's strings.
struct LTextRange {
    std::int32_t start = 0;
    std::int32_t length = 0;
};

struct LTextMeasurement {
    LSize size;  // the logical size of the laid-out text
    std::int32_t lineCount = 0;
    std::vector<LRect> rangeBounds;  // one per requested range, relative to the text's top-left
    std::int32_t unknownGlyphs = 0;  // characters no installed font can draw (shown as boxes)
};

// How a text is laid out in a box: wrapped at the box width (at the language's line-break
// opportunities) or kept on its lines, and placed by fractions 0 (left/top) .. 1 (right/bottom).
struct LTextFormat {
    bool wrap = false;
    double hAlign = 0.0;
    double vAlign = 0.0;
};

class LMeasurementRenderer : public LRefCountedObject {
public:
    virtual LFontMetrics GetFontMetrics(const LFontDescription& font) = 0;
    // wrapWidth <= 0 keeps the text on its own lines (line feeds still break).
    virtual LTextMeasurement MeasureText(const LFontDescription& font, const String& text,
                                         const std::vector<LTextRange>& ranges = {}, double wrapWidth = 0.0) = 0;
    // The inked bounds of a text laid out as MeasureText does, relative to its top-left.
    virtual LRect GetTextBounds(const LFontDescription& font, const String& text, double wrapWidth = 0.0) = 0;
};

struct RenderState {
    LPoint origin;
    LRect clip;
    float opacity = 1.0f;
    bool flag = false;
    ConstRCPtr<LRegion> clipRegion;
};

class LRenderer : public LMeasurementRenderer {
public:
    static constexpr int TypeGdiPlus = 0;
    static constexpr int TypeCairo = 1;
    static constexpr int TypeDirect3D9 = 2;

    // The renderer of the type the build's drawing backend provides (GDI+ on Windows, Cairo
    // elsewhere); any other type, Direct3D 9 included, raises a domain error.
    static RCPtr<LRenderer> Create(int type, const LRect& clientRect, void* window);
    // The drawing backend's renderer for windows, timing its caches on clock.
    static RCPtr<LRenderer> CreateForPlatform(Platform::IClock& clock);

    virtual void Flush() {}
    virtual void BeginPaint(const Platform::PaintTarget& target) = 0;
    virtual void EndPaint(const Platform::PaintTarget& target) = 0;

    // One line (or the lines split at line feeds) with its top-left at position.
    virtual void DrawText(const String& text, const LFontDescription& font, const LColor& color, LPoint position) = 0;
    // Laid out in a box and placed by the format's alignment; clipped by the current clip only.
    virtual void DrawText(const String& text, const LFontDescription& font, const LColor& color, const LRect& box,
                          const LTextFormat& format) = 0;
    // A one-pixel outline covering the columns x .. x + width and rows y .. y + height.
    virtual void DrawRect(const LRect& rect, const LColor& color) = 0;
    virtual void FillRect(const LRect& rect, const LColor& color) = 0;
    virtual void DrawLine(LPoint from, LPoint to, const LColor& color) = 0;
    // Separate segments: points 0-1, 2-3, ...; every point is multiplied by scale first.
    virtual void DrawLines(const std::vector<LPoint>& points, const LColor& color, LPoint scale = {1.0, 1.0}) = 0;
    virtual void DrawPolyline(const std::vector<LPoint>& points, const LColor& color, LPoint scale = {1.0, 1.0}) = 0;
    virtual void DrawPolygon(const std::vector<LPoint>& points, const LColor& color, LPoint scale = {1.0, 1.0}) = 0;
    virtual void FillPolygon(const std::vector<LPoint>& points, const LColor& color, LPoint scale = {1.0, 1.0}) = 0;
    // The bitmap's rectangle drawn into destination (size rounded to whole pixels) by resize type.
    virtual void DrawBitmap(const ConstRCPtr<LBitmap>& bitmap, const LRect& destination, int resizeType) = 0;

    // The state stack. Pushes and pops outside a paint do nothing.
    void PushTranslation(LPoint offset);
    void PushClip(const LRect& rect);
    void PushState();
    void PopState();
    void SetClipRect(const LRect& rect);
    // Moves the origin; the clip stays where it is on the target.
    void SetOrigin(LPoint origin);
    void SetOpacity(float opacity) { m_state.opacity = opacity; }
    void SetFlag(bool flag) { m_state.flag = flag; }
    void SetClipRegion(ConstRCPtr<LRegion> region) { m_state.clipRegion = std::move(region); }

    LPoint GetOrigin() const { return m_state.origin; }
    LRect GetClipRect() const { return m_state.clip; }
    float GetOpacity() const { return m_state.opacity; }
    bool GetFlag() const { return m_state.flag; }
    ConstRCPtr<LRegion> GetClipRegion() const { return m_state.clipRegion; }
    std::size_t GetStateDepth() const { return m_stack.size(); }
    bool IsPainting() const { return m_painting; }

protected:
    // For BeginPaint: the clip becomes the whole target (in current coordinates), the stack empty.
    void StartStates(const LRect& targetBounds);
    // For EndPaint: an unbalanced stack is unwound so the next paint starts clean.
    void EndStates();
    // The current origin and clip must reach the device.
    virtual void ApplyState() = 0;

private:
    RenderState m_state;
    std::vector<RenderState> m_stack;
    bool m_painting = false;
};

}  // namespace Orv
