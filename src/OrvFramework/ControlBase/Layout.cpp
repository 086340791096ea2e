#include "OrvFramework/ControlBase/Layout.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "OrvFramework/ControlBase/Control.h"
#include "OrvFramework/Utilities/Storage/Rounding.h"

namespace Orv {
namespace Layout {

double RoundPixel(double value) { return static_cast<double>(Round64(value)); }

AxisResult ComputeAxis(const LAxisLayout& rules, const Reference& positionRef, const Reference& sizeRef, bool selfSize,
                       double parentScroll) {
    AxisResult r;
    double p = positionRef.origin + RoundPixel(static_cast<double>(rules.positionRelative) * positionRef.extent) +
               rules.positionAbsolute;
    double s = 0.0;
    const double a = static_cast<double>(rules.placementAnchor);
    if (selfSize) {
        s = rules.sizeAbsolute < 0.0 ? 0.0 : rules.sizeAbsolute;
    } else {
        const double e =
            sizeRef.origin + RoundPixel(static_cast<double>(rules.sizeRelative) * sizeRef.extent) + rules.sizeAbsolute;
        const double d = e - p;
        // The size puts the edge opposite the anchor on e once the anchor shift is made.
        if (d > 0.0 && a >= 0.0 && a < 1.0)
            s = d / (1.0 - a);
        else if (d < 0.0 && a > 0.0 && a <= 1.0)
            s = -d / a;
        else
            s = 0.0;
    }
    p -= a * s;
    // A docked control stays put when the parent's content scrolls.
    if (rules.docked) p += parentScroll;
    r.position = p;
    r.size = s;
    return r;
}

LRect Snap(const LRect& rect) {
    const double right = RoundPixel(rect.x + rect.width);
    const double bottom = RoundPixel(rect.y + rect.height);
    const double x = RoundPixel(rect.x);
    const double y = RoundPixel(rect.y);
    return {x, y, right - x, bottom - y};
}

namespace {

enum class Axis { X, Y };

double Along(const LRect& r, Axis axis) { return axis == Axis::X ? r.x : r.y; }
double Extent(const LRect& r, Axis axis) { return axis == Axis::X ? r.width : r.height; }
double Along(const LPoint& p, Axis axis) { return axis == Axis::X ? p.x : p.y; }
const LAxisLayout& Rules(const LLayoutDescriptor& d, Axis axis) { return axis == Axis::X ? d.x : d.y; }

Reference Frame(const LControl& control, Axis axis) {
    if (const LControl* parent = control.GetParent())
        return {-Along(parent->GetClientArea(), axis), Extent(parent->GetRect(), axis)};
    IControlHost* host = const_cast<LControl&>(control).GetHost();
    const LRect screen = host ? host->GetScreenArea() : LRect{};
    return {Along(screen, axis), Extent(screen, axis)};
}

Reference Client(const LControl& control, Axis axis) {
    if (const LControl* parent = control.GetParent()) return {0.0, Extent(parent->GetClientArea(), axis)};
    IControlHost* host = const_cast<LControl&>(control).GetHost();
    const LRect window = host ? host->GetActiveWindowArea() : LRect{};
    return {0.0, Extent(window, axis)};
}

Reference Sibling(const LControl& control, const String& name, Axis axis) {
    const LControl* parent = control.GetParent();
    if (parent == nullptr) return {};
    const RCPtr<LControl>& sibling = parent->FindChild(name);
    if (!sibling) return {};
    double origin = Along(sibling->GetRect(), axis);
    if (Rules(sibling->GetLayout(), axis).docked) origin -= Along(parent->GetScrollOffset(), axis);
    return {origin, Extent(sibling->GetRect(), axis)};
}

Reference PositionReferenceOf(const LControl& control, const LAxisLayout& rules, Axis axis) {
    switch (rules.positionReference) {
    case PositionReference::Parent:
        return Frame(control, axis);
    case PositionReference::Client:
        return Client(control, axis);
    case PositionReference::Control:
        return Sibling(control, rules.positionControlName, axis);
    }
    return {};
}

Reference SizeReferenceOf(const LControl& control, const LAxisLayout& rules, Axis axis) {
    switch (rules.sizeReference) {
    case SizeReference::Parent:
        return Frame(control, axis);
    case SizeReference::Client:
        return Client(control, axis);
    case SizeReference::Self:
        return {};
    case SizeReference::Control:
        return Sibling(control, rules.sizeControlName, axis);
    }
    return {};
}

// The extent a size limit measures against: the control's own size, the bounding box of its
// children ("Children"), or one of its own children by name.
double LimitExtent(const LControl& control, const LSizeLimit& limit, double ownSize, Axis axis) {
    if (limit.reference == LimitReference::Self) return ownSize;
    if (limit.controlName == W("Children")) {
        double low = std::numeric_limits<double>::infinity();
        double high = -std::numeric_limits<double>::infinity();
        for (const auto& child : control.GetChildren()) {
            const LLayoutDescriptor& l = child->GetLayout();
            if (l.x.docked && l.y.docked) continue;  // docked on both axes: it follows the parent
            low = std::min(low, Along(child->GetRect(), axis));
            high = std::max(high, Along(child->GetRect(), axis) + Extent(child->GetRect(), axis));
        }
        return high > low ? high - low : 0.0;
    }
    const RCPtr<LControl>& child = control.FindChild(limit.controlName);
    return child ? Extent(child->GetRect(), axis) : 0.0;
}

double LimitValue(const LControl& control, const LSizeLimit& limit, double ownSize, Axis axis) {
    return RoundPixel(static_cast<double>(limit.relative) * LimitExtent(control, limit, ownSize, axis)) +
           limit.absolute;
}

// Content fitting, then the minimum, then the maximum; a positive limit value is a limit.
double LimitedSize(const LControl& control, const LAxisLayout& rules, double size, Axis axis) {
    const double minimum = LimitValue(control, rules.minimumSize, size, axis);
    if (minimum > 0.0 && size < minimum) size = minimum;
    const double maximum = LimitValue(control, rules.maximumSize, size, axis);
    if (maximum > 0.0 && size > maximum) size = maximum;
    return RoundPixel(size);
}

}  // namespace

LRect ComputeRect(const LControl& control, ITextMeasurer* measurer) {
    const LLayoutDescriptor& layout = control.GetLayout();
    const LPoint scroll = control.GetParent() ? control.GetParent()->GetScrollOffset() : LPoint{};
    const AxisResult x = ComputeAxis(layout.x, PositionReferenceOf(control, layout.x, Axis::X),
                                     SizeReferenceOf(control, layout.x, Axis::X),
                                     layout.x.sizeReference == SizeReference::Self, scroll.x);
    const AxisResult y = ComputeAxis(layout.y, PositionReferenceOf(control, layout.y, Axis::Y),
                                     SizeReferenceOf(control, layout.y, Axis::Y),
                                     layout.y.sizeReference == SizeReference::Self, scroll.y);
    LRect rect = Snap({x.position, y.position, x.size, y.size});

    double width = rect.width;
    double height = rect.height;
    const bool fitX = layout.textOverflowX == TextOverflowX::Expand;
    const bool fitY = layout.textOverflowY == TextOverflowY::Expand;
    if (measurer != nullptr && (fitX || fitY)) {
        LSize content;
        const double wrap = layout.textOverflowX == TextOverflowX::Wrap ? width : 0.0;
        if (control.GetContentSize(measurer, wrap, content)) {
            if (fitX) width = std::ceil(content.width);
            if (fitY) height = std::ceil(content.height);
        }
    }
    width = LimitedSize(control, layout.x, width, Axis::X);
    height = LimitedSize(control, layout.y, height, Axis::Y);
    // A size changed after the snap keeps the anchor point where the rules put it.
    if (width != rect.width)
        rect.x = RoundPixel(rect.x + static_cast<double>(layout.x.placementAnchor) * (rect.width - width));
    if (height != rect.height)
        rect.y = RoundPixel(rect.y + static_cast<double>(layout.y.placementAnchor) * (rect.height - height));
    rect.width = width;
    rect.height = height;
    return rect;
}

bool SameRules(const LLayoutDescriptor& a, const LLayoutDescriptor& b) {
    return a.x == b.x && a.y == b.y && a.visible == b.visible && a.enabled == b.enabled &&
           a.clipToParent == b.clipToParent && a.zOrder == b.zOrder && a.tabStop == b.tabStop &&
           a.textDecoration == b.textDecoration && a.textOverflowX == b.textOverflowX &&
           a.textOverflowY == b.textOverflowY && a.layoutOrder == b.layoutOrder;
}

}  // namespace Layout
}  // namespace Orv
