#pragma once
// Placement of a control from its rules: for each axis an anchor point measured from the parent,
// its client area or a named sibling, a far edge or a size, and the point of the control that is
// the anchor. Coordinates are doubles; the result is snapped to whole pixels.
#include "OrvFramework/ControlBase/LayoutDescriptor.h"
#include "OrvFramework/Utilities/Graphics/Geometry.h"

namespace Orv {

class LControl;

// Measures the text a control would show; the renderer implements it.
class ITextMeasurer {
public:
    virtual ~ITextMeasurer() = default;
    // The extent of text as control would lay it out; wrapWidth 0 means one unbroken line.
    virtual LSize MeasureText(const LControl& control, const String& text, double wrapWidth) = 0;
};

namespace Layout {

// Half away from zero, as every pixel snap of the framework.
double RoundPixel(double value);

// Origin and extent of a reference along one axis.
struct Reference {
    double origin = 0.0;
    double extent = 0.0;
};

// The computation of one axis from its references (kinds already resolved): position and size
// before snapping. selfSize marks the size kind "self".
struct AxisResult {
    double position = 0.0;
    double size = 0.0;
};
AxisResult ComputeAxis(const LAxisLayout& rules, const Reference& positionRef, const Reference& sizeRef, bool selfSize,
                       double parentScroll);

// Snaps (x, y, w, h): right and bottom are rounded, then the position, and the size follows.
LRect Snap(const LRect& rect);

// The rectangle the rules give the control now (siblings resolved through its parent), with size
// limits and content fitting applied. The control itself is not changed.
LRect ComputeRect(const LControl& control, ITextMeasurer* measurer);

bool SameRules(const LLayoutDescriptor& a, const LLayoutDescriptor& b);

}  // namespace Layout
}  // namespace Orv
