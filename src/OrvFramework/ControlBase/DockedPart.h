#pragma once
// A part of a look placed against the edges of the control: each given offset docks one edge.
#include <cstdint>

#include "OrvFramework/ControlBase/VisualPartDescriptor.h"

namespace Orv {

struct LDockedPart {
    enum DockFlags : std::uint32_t {
        DockLeft = 1u << 0,
        DockTop = 1u << 1,
        DockRight = 1u << 2,
        DockBottom = 1u << 3,
        DockAll = DockLeft | DockTop | DockRight | DockBottom,
    };

    std::uint32_t dockFlags = 0;
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    bool hasWidth = false;
    int width = 0;
    bool hasHeight = false;
    int height = 0;
    ConstRCPtr<LVisualPartDescriptor> part;
};

}  // namespace Orv
