#include "OrvFramework/Platform/Cursors.h"

#include <array>
#include <mutex>
#include <utility>

#include "OrvFramework/Utilities/Storage/String.h"

namespace Orv::Platform {

namespace {

struct CursorEntry {
    std::string_view name;
    SDL_SystemCursor cursor;
};

constexpr std::array<CursorEntry, 22> kCursors{{
    {"UI_CURSOR_APP_STARTING", SDL_SYSTEM_CURSOR_WAITARROW},
    {"UI_CURSOR_ARROW", SDL_SYSTEM_CURSOR_ARROW},
    {"UI_CURSOR_IBEAM", SDL_SYSTEM_CURSOR_IBEAM},
    {"UI_CURSOR_WAIT", SDL_SYSTEM_CURSOR_WAIT},
    {"UI_CURSOR_CROSS", SDL_SYSTEM_CURSOR_CROSSHAIR},
    {"UI_CURSOR_UP_ARROW", SDL_SYSTEM_CURSOR_ARROW},
    {"UI_CURSOR_SIZE_ALL", SDL_SYSTEM_CURSOR_SIZEALL},
    {"UI_CURSOR_SIZE_NWSE", SDL_SYSTEM_CURSOR_SIZENWSE},
    {"UI_CURSOR_SIZE_NESW", SDL_SYSTEM_CURSOR_SIZENESW},
    {"UI_CURSOR_SIZE_WE", SDL_SYSTEM_CURSOR_SIZEWE},
    {"UI_CURSOR_SIZE_NS", SDL_SYSTEM_CURSOR_SIZENS},
    {"UI_CURSOR_HAND", SDL_SYSTEM_CURSOR_HAND},
    {"UI_CURSOR_HELP", SDL_SYSTEM_CURSOR_ARROW},
    {"UI_CURSOR_NO_DROP", SDL_SYSTEM_CURSOR_NO},
    {"UI_CURSOR_DROP_MOVE", SDL_SYSTEM_CURSOR_ARROW},
    {"UI_CURSOR_DROP_COPY", SDL_SYSTEM_CURSOR_ARROW},
    // A vertical splitter bar is dragged sideways, a horizontal one up and down.
    {"UI_CURSOR_SPLIT_V", SDL_SYSTEM_CURSOR_SIZEWE},
    {"UI_CURSOR_SPLIT_H", SDL_SYSTEM_CURSOR_SIZENS},
    {"UI_CURSOR_ROTATE", SDL_SYSTEM_CURSOR_CROSSHAIR},
    {"UI_CURSOR_MAG", SDL_SYSTEM_CURSOR_CROSSHAIR},
    {"UI_CURSOR_MAG_PLUS", SDL_SYSTEM_CURSOR_CROSSHAIR},
    {"UI_CURSOR_MAG_MINUS", SDL_SYSTEM_CURSOR_CROSSHAIR},
}};

}  // namespace

std::optional<SDL_SystemCursor> SystemCursorForName(std::string_view name) {
    for (const auto& entry : kCursors) {
        if (entry.name == name) return entry.cursor;
    }
    return std::nullopt;
}

std::optional<SDL_SystemCursor> SystemCursorForName(std::u16string_view name) {
    return SystemCursorForName(std::string_view(Utf16ToUtf8(name)));
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
    const auto cursor = SystemCursorForName(name);
    if (!cursor || !SDL_WasInit(SDL_INIT_VIDEO)) return false;
    // SDL cursors live as long as the display connection; created on first use, never freed.
    static std::mutex lock;
    static std::array<SDL_Cursor*, SDL_NUM_SYSTEM_CURSORS> created{};
    std::lock_guard guard(lock);
    SDL_Cursor*& slot = created[static_cast<std::size_t>(*cursor)];
    if (!slot) slot = SDL_CreateSystemCursor(*cursor);
    if (!slot) return false;
    SDL_SetCursor(slot);
    return true;
}

}  // namespace Orv::Platform
