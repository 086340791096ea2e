#include "OrvFramework/ControlBase/Look.h"

#include <algorithm>

#include "OrvFramework/ControlBase/Control.h"
#include "OrvFramework/ObjectBase/Exception.h"

namespace Orv {

LRect LayoutDockedPart(const LDockedPart& docked, std::int32_t width, std::int32_t height) {
    const std::uint32_t flags = docked.dockFlags;
    const bool left = flags & LDockedPart::DockLeft;
    const bool top = flags & LDockedPart::DockTop;
    const bool right = flags & LDockedPart::DockRight;
    const bool bottom = flags & LDockedPart::DockBottom;
    const std::int64_t pw = docked.hasWidth ? docked.width : (docked.part ? docked.part->width : 0);
    const std::int64_t ph = docked.hasHeight ? docked.height : (docked.part ? docked.part->height : 0);
    // 64-bit so that extreme offsets cannot overflow before the result is clamped.
    std::int64_t l = left ? docked.left : 0;
    std::int64_t t = top ? docked.top : 0;
    std::int64_t r = right ? std::int64_t{width} + docked.right : width;
    std::int64_t b = bottom ? std::int64_t{height} + docked.bottom : height;
    if (!left) l = r - pw;
    if (!top) t = b - ph;
    if (!right) r = l + pw;
    if (!bottom) b = t + ph;
    if (!left && !right) {
        l = (std::int64_t{width} - pw) / 2;
        r = l + pw;
    }
    if (!top && !bottom) {
        t = (std::int64_t{height} - ph) / 2;
        b = t + ph;
    }
    auto clamp = [](std::int64_t v) { return static_cast<double>(RoundToInt(static_cast<double>(v))); };
    return {clamp(l), clamp(t), clamp(r - l), clamp(b - t)};
}

LLook::LLook(ConstRCPtr<LLookDescriptor> descriptor) : m_descriptor(std::move(descriptor)) {
    if (!m_descriptor) ORV_THROW(InvalidArgument, "A look needs a descriptor.", "Orv::LLook::LLook", 40);
    auto add = [this](const LDockedPart& docked, bool client) {
        if (!docked.part) return;
        m_parts.push_back({docked, MakeRC<LVisualPart>(*docked.part), {}, client});
    };
    if (m_descriptor->clientPart) add(*m_descriptor->clientPart, true);
    for (const LDockedPart& docked : m_descriptor->nonClientParts) add(docked, false);
    m_hasTextBox = m_descriptor->hasTextProperties;
    if (m_descriptor->textForegroundPart) m_textForeground = MakeRC<LVisualPart>(*m_descriptor->textForegroundPart);
}

bool LLook::SetSize(std::int32_t width, std::int32_t height) {
    if (width == m_width && height == m_height) return true;
    m_width = width;
    m_height = height;
    std::vector<LRect> bounds;
    const LRect whole{0.0, 0.0, static_cast<double>(width), static_cast<double>(height)};
    for (PlacedPart& placed : m_parts) {
        placed.rect = LayoutDockedPart(placed.docked, width, height);
        const LRect clipped = placed.rect.Intersect(whole);
        if (clipped.width >= 1.0 && clipped.height >= 1.0) bounds.push_back(clipped);
    }
    m_bounds = MakeRC<LRegion>(std::move(bounds));
    if (m_hasTextBox) {
        const LLookDescriptor& d = *m_descriptor;
        const double left = d.textLeftRel * width + d.textLeftAbs;
        const double right = d.textRightRel * width + d.textRightAbs;
        const double top = d.textTopRel * height + d.textTopAbs;
        const double bottom = d.textBottomRel * height + d.textBottomAbs;
        m_textBox = {static_cast<double>(RoundToInt(left)), static_cast<double>(RoundToInt(top)),
                     static_cast<double>(RoundToInt(right - left)), static_cast<double>(RoundToInt(bottom - top))};
    }
    return true;
}

bool LLook::DrawParts(LRenderer& renderer, const LRegion& updateRegion, bool client) {
    bool drew = false;
    const LPoint origin = renderer.GetOrigin();
    for (const PlacedPart& placed : m_parts) {
        if (placed.client != client) continue;
        for (const LRect& update : updateRegion.GetRects()) {
            const LRect local{update.x - origin.x, update.y - origin.y, update.width, update.height};
            const LRect area = local.Intersect(placed.rect);
            if (area.IsEmpty() || area.Intersect(renderer.GetClipRect()).IsEmpty()) continue;
            renderer.PushClip(area);
            renderer.PushTranslation(
                {static_cast<double>(RoundToInt(placed.rect.x)), static_cast<double>(RoundToInt(placed.rect.y))});
            try {
                drew |= placed.part->Draw(renderer, {placed.rect.width, placed.rect.height});
            } catch (...) {
                renderer.PopState();
                renderer.PopState();
                throw;
            }
            renderer.PopState();
            renderer.PopState();
        }
    }
    return drew;
}

bool LLook::Draw(LRenderer& renderer, const LRegion& updateRegion) { return DrawParts(renderer, updateRegion, true); }

bool LLook::DrawNonClient(LRenderer& renderer, const LRegion& updateRegion) {
    return DrawParts(renderer, updateRegion, false);
}

void LLook::DrawLabelText(LRenderer& renderer, const LRegion& updateRegion, LFontText* textLayout) {
    if (!textLayout || !m_hasTextBox || !m_textForeground) return;
    textLayout->SetBoxSize({m_textBox.width, m_textBox.height});
    const LPoint origin = renderer.GetOrigin();
    for (const LRect& update : updateRegion.GetRects()) {
        const LRect local{update.x - origin.x, update.y - origin.y, update.width, update.height};
        const LRect area = local.Intersect(m_textBox);
        if (area.IsEmpty()) continue;
        if (m_textForeground->GetBitmap())
            ORV_THROW(Domain, "Bitmap fill for text foreground part not yet implemented.", "Orv::LLook::DrawLabelText",
                      286);
        const ConstRCPtr<LColorizer>& colorizer = m_textForeground->GetColorizer();
        if (!colorizer) return;
        if (colorizer->type != LColorizer::Solid)
            ORV_THROW(Domain, "Gradient fill for text foreground part not yet implemented.",
                      "Orv::LLook::DrawLabelText", 295);
        LColor color = colorizer->color;
        color.alpha = static_cast<float>(color.alpha * m_textForeground->GetAlphaModulation());
        renderer.PushClip(area);
        try {
            textLayout->Draw(renderer, m_textBox, color);
        } catch (...) {
            renderer.PopState();
            throw;
        }
        renderer.PopState();
    }
}

std::uint32_t LLook::GetColorAtPoint(LPoint point) const {
    for (auto it = m_parts.rbegin(); it != m_parts.rend(); ++it) {
        const LRect& r = it->rect;
        if (point.x < r.x || point.y < r.y || point.x >= r.Right() || point.y >= r.Bottom()) continue;
        const std::uint32_t color = it->part->GetColorAtPoint({point.x - r.x, point.y - r.y}, {r.width, r.height});
        if ((color >> 24) != 0) return color;
    }
    return 0x00FFFFFFu;
}

LLook& LControlTreePainter::GetLook(const ConstRCPtr<LLookDescriptor>& descriptor, std::int32_t width,
                                    std::int32_t height) {
    auto& entry = m_looks[descriptor.Get()];
    if (!entry.second) entry = {descriptor, MakeRC<LLook>(descriptor)};
    entry.second->SetSize(width, height);
    return *entry.second;
}

void LControlTreePainter::PaintControl(LRenderer& renderer, LControl& control, const LRegion& updateRegion) {
    if (!control.IsVisibleFlag()) return;
    const LRect& rect = control.GetRect();
    renderer.PushTranslation({rect.x, rect.y});
    const bool clip = control.GetLayout().clipToParent;
    if (clip) renderer.PushClip({0.0, 0.0, rect.width, rect.height});
    try {
        const auto descriptor = control.GetDescriptor();
        ConstRCPtr<LLookDescriptor> lookDescriptor;
        if (descriptor && descriptor->skin && descriptor->skin->lookList)
            lookDescriptor = descriptor->skin->lookList->GetLook(control.GetLookIndex());
        if (lookDescriptor && !renderer.GetClipRect().IsEmpty()) {
            LLook& look = GetLook(lookDescriptor, RoundToInt(rect.width), RoundToInt(rect.height));
            look.Draw(renderer, updateRegion);
            look.DrawNonClient(renderer, updateRegion);
            if (look.HasTextBox() && !control.GetText().empty()) {
                const RCPtr<LFontText> text =
                    LFontText::ForControl(control, lookDescriptor->textHAlign, lookDescriptor->textVAlign);
                look.DrawLabelText(renderer, updateRegion, text.Get());
            }
        }
        std::vector<LControl*> children;
        for (const auto& child : control.GetChildren()) children.push_back(child.Get());
        std::stable_sort(children.begin(), children.end(),
                         [](LControl* a, LControl* b) { return a->GetLayout().zOrder < b->GetLayout().zOrder; });
        for (LControl* child : children) PaintControl(renderer, *child, updateRegion);
    } catch (...) {
        if (clip) renderer.PopState();
        renderer.PopState();
        throw;
    }
    if (clip) renderer.PopState();
    renderer.PopState();
}

void LControlTreePainter::Paint(LRenderer& renderer, LControl& control, const LRegion& updateRegion) {
    PaintControl(renderer, control, updateRegion);
}

void PaintControlTree(LRenderer& renderer, LControl& control, const LRegion& updateRegion) {
    LControlTreePainter painter;
    painter.Paint(renderer, control, updateRegion);
}

void PaintControlTree(LRenderer& renderer, LControl& control) {
    // Everything the renderer may paint, in window coordinates.
    const LRect clip = renderer.GetClipRect();
    const LPoint origin = renderer.GetOrigin();
    const LRegion all({{clip.x + origin.x, clip.y + origin.y, clip.width, clip.height}});
    PaintControlTree(renderer, control, all);
}

}  // namespace Orv
