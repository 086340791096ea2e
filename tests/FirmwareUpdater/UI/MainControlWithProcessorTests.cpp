// The main control driven by the real update processor over the simulated device: Next uploads
// the image on the worker and the delivered notifications end on the success page.
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>

#include "../../OrvFramework/ControlBase/ControlTestSupport.h"
#include "../Engine/EngineTestSupport.h"
#include "FirmwareUpdater/UI/MainControl.h"
#include "FirmwareUpdater/UI/UpdateProcessorAdapter.h"
#include "OrvFramework/ControlBase/ControlFactory.h"
#include "OrvFramework/Controls/FrameworkControls.h"

namespace Orv {
namespace {

constexpr auto kRunTimeout = std::chrono::seconds(600);  // virtual time

struct Rig {
    Rig()
        : device(std::make_shared<Varnet::SimulatedHidPlatform>(VarnetTest::QuickConfig(), clock)),
          processor(MakeRC<LUpdateProcessor>(UpdateEnvironment{device, &clock, W(VARNET_SOURCE_DIR "/resources")})),
          adapter(processor) {
        SetMainControlProcessor(&adapter);
    }
    ~Rig() {
        processor->WaitForRun(kRunTimeout);
        SetMainControlProcessor(nullptr);
        if (main) main->ReleaseInternalReferences();
        GetApplicationNotificationCenter()->ProcessQueue(false);
    }
    bool Create() {
        factory = MakeRC<LControlFactory>(W("Varnet Firmware Updater"));
        if (factory->LoadDefinitions(W("::"), 0x0409) != S_OK) return false;
        RegisterFrameworkControlClasses(*factory);
        RegisterMainControlClass(*factory);
        main = factory->CreateControl(W("mainControl"), &host);
        return main && dynamic_cast<LMainControl*>(main.Get()) != nullptr;
    }
    bool Shown(const char* name) { return main->FindChild(Utf8ToUtf16(name))->IsVisibleFlag(); }

    VarnetTest::RegistrySandbox registry;
    Platform::VirtualClock clock;
    std::shared_ptr<Varnet::SimulatedHidPlatform> device;
    RCPtr<LUpdateProcessor> processor;
    LUpdateProcessorAdapter adapter;
    ControlTest::TestHost host;
    RCPtr<LControlFactory> factory;
    RCPtr<LControl> main;
};

TEST(MainControlWithProcessor, NextUploadsAndTheDoubleCompletionEndsOnSuccess) {
    VarnetTest::TestImage image(8);
    Rig rig;
    ASSERT_EQ(rig.processor->Initialize(W("updater " + image.Option())), S_OK);
    ASSERT_TRUE(rig.Create());
    EXPECT_TRUE(rig.Shown("buttonNext"));
    EXPECT_NE(Utf16ToUtf8(rig.main->FindChild(W("labelDeviceReady"))->GetText()).find("version 1.0.2."),
              std::string::npos);

    auto recorder = VarnetTest::NotificationRecorder::Create();
    rig.main->FindChild(W("buttonNext"))->Send(u"NID_LEFT_CLICK");
    EXPECT_TRUE(rig.Shown("labelWaitingForDevicePrep"));
    EXPECT_FALSE(rig.Shown("buttonNext"));
    EXPECT_FALSE(rig.Shown("buttonExit"));
    ASSERT_TRUE(rig.processor->WaitForRun(kRunTimeout));
    EXPECT_EQ(rig.device->GetFlash(), image.rows);

    // Delivery on this (the user-interface) thread: progress, then the two completions.
    const auto progress = recorder->Progress();
    EXPECT_EQ(recorder->Outcomes(),
              (std::vector<std::u16string>{NID_FIRMWARE_UPDATE_COMPLETE, NID_FIRMWARE_UPDATE_COMPLETE}));
    recorder->Detach();
    EXPECT_TRUE(rig.Shown("labelFirmwareUpdateSucceed"));
    EXPECT_TRUE(rig.Shown("buttonExit"));
    EXPECT_FALSE(rig.Shown("progressBar"));
    auto* bar = dynamic_cast<LProgressBar*>(rig.main->FindChild(W("progressBar")).Get());
    ASSERT_NE(bar, nullptr);
    // The bar shows the last progress the engine reported.
    ASSERT_FALSE(progress.empty());
    EXPECT_EQ(bar->GetPercentCompleteLabel()->GetText(),
              Utf8ToUtf16(std::to_string(std::lround(progress.back().fraction * 100.0))));
}

TEST(MainControlWithProcessor, AbsentDeviceShowsNotFound) {
    auto config = VarnetTest::QuickConfig();
    config.startState = Varnet::SimulatedState::Absent;
    Rig rig;
    rig.device = std::make_shared<Varnet::SimulatedHidPlatform>(config, rig.clock);
    rig.processor = MakeRC<LUpdateProcessor>(UpdateEnvironment{rig.device, &rig.clock, W(VARNET_SOURCE_DIR "/resources")});
    rig.adapter = LUpdateProcessorAdapter(rig.processor);
    ASSERT_EQ(rig.processor->Initialize(W("updater")), S_OK);
    ASSERT_TRUE(rig.Create());
    EXPECT_TRUE(rig.Shown("labelDeviceNotFound"));
    EXPECT_TRUE(rig.Shown("buttonExit"));
    EXPECT_FALSE(rig.Shown("buttonNext"));
}

}  // namespace
}  // namespace Orv
