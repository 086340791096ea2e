// The progress bar of the shipped skin: fill width, percentage and the worded time left.
#include <gtest/gtest.h>

#include "../ControlBase/ControlTestSupport.h"
#include "OrvFramework/ControlBase/ControlFactory.h"
#include "OrvFramework/ControlBase/CreateControl.h"
#include "OrvFramework/Controls/FrameworkControls.h"
#include "OrvFramework/Controls/Label.h"
#include "OrvFramework/Controls/Panel.h"
#include "OrvFramework/Controls/ProgressBar.h"

namespace Orv {
namespace {

class ShippedProgressBar : public ::testing::Test {
protected:
    virtual std::uint32_t Language() const { return 0x0409; }
    void SetUp() override {
        factory = MakeRC<LControlFactory>(W("Varnet Firmware Updater"));
        ASSERT_EQ(factory->LoadDefinitions(W("::"), Language()), S_OK) << factory->GetLastParseError();
        ASSERT_EQ(RegisterFrameworkControlClasses(*factory), S_OK);
        factory->RegisterControlClass(W("FirmwareUpdater.MainControl"), &CreateControlOf<LPanel>);
        main = factory->CreateControl(W("mainControl"), &host);
        ASSERT_TRUE(main);
        bar = dynamic_cast<LProgressBar*>(main->FindChild(W("progressBar")).Get());
        ASSERT_NE(bar, nullptr);
        ASSERT_TRUE(bar->GetActiveOverlay() && bar->GetPercentCompleteLabel() && bar->GetTimeRemainingLabel());
    }
    void TearDown() override {
        if (main) main->ReleaseInternalReferences();
    }
    ControlTest::TestHost host;
    RCPtr<LControlFactory> factory;
    RCPtr<LControl> main;
    LProgressBar* bar = nullptr;
};

// The fill is the value's share of the 422-pixel groove, rounded half up; under half a pixel it is hidden.
TEST_F(ShippedProgressBar, FillWidthAndPercentage) {
    ASSERT_EQ(bar->GetRect().width, 422.0);
    struct Case {
        double value;
        double width;  // 0: hidden
        const char* percent;
    };
    const Case cases[] = {{0.25, 106, "25"}, {0.001, 0, "0"}, {0.0012, 1, "0"}, {7.0, 422, "100"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.value);
        EXPECT_EQ(bar->SetValue(c.value), S_OK);
        EXPECT_EQ(bar->GetActiveOverlay()->IsVisibleFlag(), c.width > 0);
        if (c.width > 0) {
            EXPECT_EQ(bar->GetActiveOverlay()->GetRect(), (LRect{1, 1, c.width, 14}));
        }
        EXPECT_EQ(bar->GetPercentCompleteLabel()->GetText(), W(c.percent));
    }
    EXPECT_EQ(bar->SetValue(std::nan("")), E_INVALIDARG);
    EXPECT_EQ(bar->GetValue(), 1.0);
}

TEST_F(ShippedProgressBar, DisplayValueDoesNotStore) {
    bar->SetValue(0.25);
    bar->DisplayValue(0.75);
    EXPECT_EQ(bar->GetValue(), 0.25);
    EXPECT_EQ(bar->GetPercentCompleteLabel()->GetText(), W("75"));
    bar->DisplayValue(std::nan(""));
    EXPECT_FALSE(bar->GetActiveOverlay()->IsVisibleFlag());
}

TEST_F(ShippedProgressBar, TimeRemainingInEnglishWords) {
    bar->GetTimeRemainingLabel()->SetVisible(false);  // setting a time shows it
    // One second more and less than the units' edges; negative times are none.
    const std::pair<std::int32_t, const char*> cases[] = {
        {59, "59 Seconds Remaining"},
        {60, "1 Minute 0 Seconds Remaining"},
        {61, "1 Minute 1 Second Remaining"},
        {3600, "1 Hour 0 Minutes 0 Seconds Remaining"},
        {7322, "2 Hours 2 Minutes 2 Seconds Remaining"},
        {INT32_MIN, "0 Seconds Remaining"},
    };
    for (const auto& [seconds, text] : cases) {
        bar->SetTimeRemaining(seconds);
        EXPECT_EQ(Utf16ToUtf8(bar->GetTimeRemainingLabel()->GetText()), text);
        EXPECT_TRUE(bar->GetTimeRemainingLabel()->IsVisibleFlag());
    }
}

// The time left as each language says it: the duration stands where the language puts it, and
// "remaining" agrees with one second where the language inflects it.
struct TimeWording {
    std::uint32_t language;
    const char* fourSeconds;
    const char* oneSecond;
    const char* oneHourOneMinuteTwoSeconds;
};

class ProgressBarLanguage : public ShippedProgressBar, public ::testing::WithParamInterface<TimeWording> {
protected:
    std::uint32_t Language() const override { return GetParam().language; }
};

TEST_P(ProgressBarLanguage, TimeLeftReadsAsASentence) {
    const TimeWording& w = GetParam();
    auto text = [&](std::int32_t seconds) {
        bar->SetTimeRemaining(seconds);
        return Utf16ToUtf8(bar->GetTimeRemainingLabel()->GetText());
    };
    EXPECT_EQ(text(4), w.fourSeconds);
    EXPECT_EQ(text(1), w.oneSecond);
    EXPECT_EQ(text(3662), w.oneHourOneMinuteTwoSeconds);
}

INSTANTIATE_TEST_SUITE_P(ShippedTables, ProgressBarLanguage,
                         ::testing::Values(TimeWording{0x0409, "4 Seconds Remaining", "1 Second Remaining",
                                                       "1 Hour 1 Minute 2 Seconds Remaining"},
                                           TimeWording{0x0C0A, "4 segundos restantes", "1 segundo restante",
                                                       "1 hora 1 minuto 2 segundos restantes"},
                                           TimeWording{0x0407, "Noch 4 Sekunden", "Noch 1 Sekunde",
                                                       "Noch 1 Stunde 1 Minute 2 Sekunden"},
                                           TimeWording{0x0411, "残り 4 秒", "残り 1 秒", "残り 1 時間 1 分 2 秒"},
                                           TimeWording{0x0404, "剩餘 4 秒", "剩餘 1 秒", "剩餘 1 小時 1 分鐘 2 秒"},
                                           TimeWording{0x0804, "剩余 4 秒", "剩余 1 秒", "剩余 1 小时 1 分钟 2 秒"}));

}  // namespace
}  // namespace Orv
