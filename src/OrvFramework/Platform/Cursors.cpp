#include "OrvFramework/Platform/Cursors.h"

#include <array>

#include "OrvFramework/Utilities/Storage/String.h"

namespace Orv::Platform {

namespace {

struct CursorEntry {
    std::string_view name;
    CursorShape shape;
};

constexpr std::array<CursorEntry, 22> kCursors{{
    {"UI_CURSOR_APP_STARTING", CursorShape::WaitArrow},
    {"UI_CURSOR_ARROW", CursorShape::Arrow},
    {"UI_CURSOR_IBEAM", CursorShape::IBeam},
    {"UI_CURSOR_WAIT", CursorShape::Wait},
    {"UI_CURSOR_CROSS", CursorShape::Crosshair},
    {"UI_CURSOR_UP_ARROW", CursorShape::Arrow},
    {"UI_CURSOR_SIZE_ALL", CursorShape::SizeAll},
    {"UI_CURSOR_SIZE_NWSE", CursorShape::SizeNWSE},
    {"UI_CURSOR_SIZE_NESW", CursorShape::SizeNESW},
    {"UI_CURSOR_SIZE_WE", CursorShape::SizeWE},
    {"UI_CURSOR_SIZE_NS", CursorShape::SizeNS},
    {"UI_CURSOR_HAND", CursorShape::Hand},
    {"UI_CURSOR_HELP", CursorShape::Arrow},
    {"UI_CURSOR_NO_DROP", CursorShape::No},
    {"UI_CURSOR_DROP_MOVE", CursorShape::Arrow},
    {"UI_CURSOR_DROP_COPY", CursorShape::Arrow},
    // A vertical splitter bar is dragged sideways, a horizontal one up and down.
    {"UI_CURSOR_SPLIT_V", CursorShape::SizeWE},
    {"UI_CURSOR_SPLIT_H", CursorShape::SizeNS},
    {"UI_CURSOR_ROTATE", CursorShape::Crosshair},
    {"UI_CURSOR_MAG", CursorShape::Crosshair},
    {"UI_CURSOR_MAG_PLUS", CursorShape::Crosshair},
    {"UI_CURSOR_MAG_MINUS", CursorShape::Crosshair},
}};

}  // namespace

std::optional<CursorShape> CursorShapeForName(std::string_view name) {
    for (const auto& entry : kCursors) {
        if (entry.name == name) return entry.shape;
    }
    return std::nullopt;
}

std::optional<CursorShape> CursorShapeForName(std::u16string_view name) {
    return CursorShapeForName(std::string_view(Utf16ToUtf8(name)));
}

const std::vector<std::string_view>& FrameworkCursorNames() {
    static const std::vector<std::string_view> names = [] {
        std::vector<std::string_view> v;
        for (const auto& entry : kCursors) v.push_back(entry.name);
        return v;
    }();
    return names;
}

bool SetCursorByName(std::string_view name) {
    const auto shape = CursorShapeForName(name);
    return shape && SetSystemCursor(*shape);
}

}  // namespace Orv::Platform
