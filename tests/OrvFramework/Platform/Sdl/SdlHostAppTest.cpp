// What only the SDL backend has: its events translated and routed.
#include <gtest/gtest.h>

#include <cstdlib>

#include "OrvFramework/Platform/Sdl/SdlHostApp.h"
#include "Support/HostEvents.h"

using namespace Orv::Platform;

namespace {

class HeadlessEnv : public ::testing::Environment {
public:
    void SetUp() override { setenv("SDL_VIDEODRIVER", "dummy", 1); }
};
[[maybe_unused]] auto* const g_env = ::testing::AddGlobalTestEnvironment(new HeadlessEnv);

}  // namespace

TEST(HostAppEvents, InputGoesToTheWindowItNames) {
    HostApp app;
    ASSERT_TRUE(app.EnsureEvents());
    HostEventLog window, other;
    app.RegisterWindow(10, &window);
    app.RegisterWindow(11, &other);

    auto dispatch = [&](std::uint32_t type, std::uint32_t id, auto fill) {
        SDL_Event e{};
        e.type = type;
        e.window.windowID = id;  // the same place in every window event
        fill(e);
        DispatchSdlEvent(app, e);
    };
    for (std::uint8_t button : {SDL_BUTTON_RIGHT, SDL_BUTTON_LEFT, SDL_BUTTON_X1}) {  // X1: no framework button
        dispatch(button == SDL_BUTTON_RIGHT ? SDL_MOUSEBUTTONDOWN : SDL_MOUSEBUTTONUP, 10, [&](SDL_Event& e) {
            e.button.button = button;
            e.button.clicks = 2;
            e.button.x = 5;
            e.button.y = 6;
        });
    }
    dispatch(SDL_KEYDOWN, 10, [](SDL_Event& e) {
        e.key.keysym.sym = SDLK_a;
        e.key.keysym.mod = KMOD_LCTRL | KMOD_RSHIFT | KMOD_LALT | KMOD_LGUI;
    });
    dispatch(SDL_WINDOWEVENT, 11, [](SDL_Event& e) { e.window.event = SDL_WINDOWEVENT_CLOSE; });
    dispatch(SDL_WINDOWEVENT, 99, [](SDL_Event& e) { e.window.event = SDL_WINDOWEVENT_CLOSE; });  // nobody's
    dispatch(SDL_WINDOWEVENT, 10, [](SDL_Event& e) { e.window.event = SDL_WINDOWEVENT_FOCUS_LOST; });

    EXPECT_EQ(window.log, (std::vector<std::string>{"button 4 down double 5,6", "button 1 up 5,6",
                                                    "key 65 down mods 73 gui", "blur"}));
    EXPECT_EQ(other.log, (std::vector<std::string>{"close"}));
    // Keys the program answers, one whose left and right forms share a code, an unknown one.
    const std::pair<SDL_Keycode, int> keys[] = {
        {SDLK_RETURN, 0x0D}, {SDLK_ESCAPE, 0x1B}, {SDLK_TAB, 0x09}, {SDLK_RSHIFT, 0x10}, {SDLK_UNKNOWN, 0}};
    for (const auto& [sdl, code] : keys) EXPECT_EQ(VirtualKeyFromSdl(sdl), code) << SDL_GetKeyName(sdl);
}
