#pragma once
// A recording listener and a small host window for the control tests.
#include <string>
#include <vector>

#include "OrvFramework/ControlBase/Control.h"

namespace Orv::ControlTest {

// Records the identifiers of the notifications it receives from the controls it listens to.
class Listener : public LNotificationClient {
public:
    void Listen(LNotificationDistributor* sender, std::initializer_list<const char16_t*> ids) {
        for (const char16_t* id : ids) Register(sender, id);
    }
    ORVRESULT ReceiveNotification(LNotificationDistributor*, LNotification* n) override {
        ids.push_back(Utf16ToUtf8(std::u16string(n->GetID())));
        return S_OK;
    }
    std::vector<std::string> ids;
};

// The window services a control tree asks for, recorded.
class TestHost : public IControlHost {
public:
    bool SetCapture(LControl* control) override {
        if (refuseCapture) return false;
        captured = control;
        return true;
    }
    void ReleaseCapture(LControl* control) override {
        if (captured == control) captured = nullptr;
        ++releases;
    }
    std::uint32_t StartTimer(LControl*, std::uint32_t intervalMs) override {
        running.push_back(++lastTimer);
        intervals.push_back(intervalMs);
        return lastTimer;
    }
    void StopTimer(std::uint32_t id) override { std::erase(running, id); }
    void OnControlAttached(LControl* control) override { attached.push_back(control); }
    LRect GetScreenArea() const override { return screen; }
    LRect GetActiveWindowArea() const override { return window; }
    ITextMeasurer* GetTextMeasurer() override { return measurer; }

    bool refuseCapture = false;
    LControl* captured = nullptr;
    int releases = 0;
    std::uint32_t lastTimer = 0;
    std::vector<std::uint32_t> running;
    std::vector<std::uint32_t> intervals;
    std::vector<LControl*> attached;
    LRect screen{0, 0, 1920, 1080};
    LRect window{0, 0, 800, 600};
    ITextMeasurer* measurer = nullptr;
};

}  // namespace Orv::ControlTest
