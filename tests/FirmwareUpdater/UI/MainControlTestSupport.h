#pragma once
// The updater's main control created from the shipped definitions, with a processor the test sets.
#include <gtest/gtest.h>

#include "../../OrvFramework/ControlBase/ControlTestSupport.h"
#include "FirmwareUpdater/UI/MainControl.h"
#include "OrvFramework/ControlBase/ControlFactory.h"
#include "OrvFramework/Controls/FrameworkControls.h"
#include "OrvFramework/Notification/NotificationCenterManager.h"

namespace Orv::ControlTest {

// A small processor standing where the application's LUpdateProcessor stands.
class TestProcessor : public IMainControlProcessor {
public:
    ProcessorState GetState() const override { return state; }
    ORVRESULT StartUpdate() override {
        ++startCount;
        return S_OK;
    }
    bool GetFirmwareUpdateVersion(String& out) const override {
        out = W("1.0.2");
        return versionFails;
    }
    ProcessorState state = DeviceReady;
    bool versionFails = false;
    int startCount = 0;
};

template <class Base = ::testing::Test>
class MainControlFixture : public Base {
protected:
    void SetUp() override { SetMainControlProcessor(&processor); }
    void TearDown() override {
        SetMainControlProcessor(nullptr);
        if (main) main->ReleaseInternalReferences();
        // Nothing of one test may reach the next.
        GetApplicationNotificationCenter()->ProcessQueue(false);
    }
    void MakeFactory() {
        factory = MakeRC<LControlFactory>(W("Varnet Firmware Updater"));
        ASSERT_EQ(factory->LoadDefinitions(W("::"), language), S_OK) << factory->GetLastParseError();
        ASSERT_EQ(RegisterFrameworkControlClasses(*factory), S_OK);
        ASSERT_EQ(RegisterMainControlClass(*factory), S_OK);
    }
    // A main control for the processor's state, in place of the one before.
    void Create() {
        if (main) main->ReleaseInternalReferences();
        MakeFactory();
        main = RCPtr<LMainControl>(dynamic_cast<LMainControl*>(factory->CreateControl(W("mainControl"), &host).Get()));
        ASSERT_TRUE(main);
    }

    std::uint32_t language = 0x0409;
    TestProcessor processor;
    TestHost host;
    RCPtr<LControlFactory> factory;
    RCPtr<LMainControl> main;
};

}  // namespace Orv::ControlTest
