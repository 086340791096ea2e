#pragma once
// The runtime form of a look for one control: its parts laid out against the control's edges for
// the current size, the text box, the region the parts cover, drawing and hit testing.
#include <cstdint>
#include <map>
#include <utility>
#include <vector>

#include "OrvFramework/ControlBase/FontText.h"
#include "OrvFramework/ControlBase/LookDescriptor.h"
#include "OrvFramework/ControlBase/VisualPart.h"

namespace Orv {

class LControl;

// Docks one part in a look of width x height (whole pixels, offsets from the edges they name).
LRect LayoutDockedPart(const LDockedPart& docked, std::int32_t width, std::int32_t height);

class LLook : public LRefCountedObject {
public:
    explicit LLook(ConstRCPtr<LLookDescriptor> descriptor);

    ConstRCPtr<LLookDescriptor> GetDescriptor() const { return m_descriptor; }
    // Lays the parts and the text box out for a new size; does nothing for the same size.
    bool SetSize(std::int32_t width, std::int32_t height);
    std::int32_t GetWidth() const { return m_width; }
    std::int32_t GetHeight() const { return m_height; }

    // The client part first (when the look has one), then the non-client parts in skin order.
    std::size_t GetPartCount() const { return m_parts.size(); }
    const LVisualPart& GetPart(std::size_t index) const { return *m_parts.at(index).part; }
    LRect GetPartRect(std::size_t index) const { return m_parts.at(index).rect; }
    bool IsClientPart(std::size_t index) const { return m_parts.at(index).client; }

    bool HasTextBox() const { return m_hasTextBox; }
    LRect GetTextBox() const { return m_textBox; }
    ConstRCPtr<LVisualPart> GetTextForegroundPart() const { return m_textForeground; }
    // The part rectangles clipped to the look, for hit testing and update regions.
    const ConstRCPtr<LRegion>& GetBoundsRegion() const { return m_bounds; }

    // Draws the client part, then (second operation) the non-client parts over it, each only
    // where it meets the update region (window coordinates). True when a part drew something.
    virtual bool Draw(LRenderer& renderer, const LRegion& updateRegion);
    virtual bool DrawNonClient(LRenderer& renderer, const LRegion& updateRegion);
    // The text in the text box, in the solid colour of the text foreground part; nothing without
    // a text layout or text box. Bitmap and gradient foregrounds raise a domain error.
    void DrawLabelText(LRenderer& renderer, const LRegion& updateRegion, LFontText* textLayout);

    // The colour of the topmost part with some opacity at point (look coordinates);
    // 0x00FFFFFF where no part shows.
    std::uint32_t GetColorAtPoint(LPoint point) const;

private:
    struct PlacedPart {
        LDockedPart docked;
        ConstRCPtr<LVisualPart> part;
        LRect rect;
        bool client = false;
    };
    bool DrawParts(LRenderer& renderer, const LRegion& updateRegion, bool client);

    ConstRCPtr<LLookDescriptor> m_descriptor;
    std::vector<PlacedPart> m_parts;
    std::int32_t m_width = -1;
    std::int32_t m_height = -1;
    bool m_hasTextBox = false;
    LRect m_textBox;
    ConstRCPtr<LVisualPart> m_textForeground;
    ConstRCPtr<LRegion> m_bounds = MakeRC<LRegion>();
};

// Paints control trees, keeping the runtime looks (and their colorized bitmaps) from one paint to
// the next so that the renderer's bitmap cache keeps hitting. A window holds one.
class LControlTreePainter {
public:
    void Paint(LRenderer& renderer, LControl& control, const LRegion& updateRegion);
    // The runtime look of a descriptor, laid out for width x height.
    LLook& GetLook(const ConstRCPtr<LLookDescriptor>& descriptor, std::int32_t width, std::int32_t height);
    std::size_t GetCachedLookCount() const { return m_looks.size(); }
    void Clear() { m_looks.clear(); }

private:
    void PaintControl(LRenderer& renderer, LControl& control, const LRegion& updateRegion);
    std::map<const LLookDescriptor*, std::pair<ConstRCPtr<LLookDescriptor>, RCPtr<LLook>>> m_looks;
};

// Paints a control and its visible descendants (children in Z order, later over earlier): each
// translated to its rectangle and clipped to it, its current look (by look index) and its label
// text. The renderer must be painting; its current origin is the control's parent's top-left.
void PaintControlTree(LRenderer& renderer, LControl& control);
// The same limited to updateRegion (window coordinates).
void PaintControlTree(LRenderer& renderer, LControl& control, const LRegion& updateRegion);

}  // namespace Orv
