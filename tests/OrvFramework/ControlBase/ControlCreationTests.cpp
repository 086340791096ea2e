// Creating control trees from skins: the shipped window, class registration, deferred children.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <typeinfo>

#include "ControlTestSupport.h"
#include "OrvFramework/ControlBase/ControlFactory.h"
#include "OrvFramework/ControlBase/CreateControl.h"
#include "OrvFramework/Controls/FrameworkControls.h"
#include "OrvFramework/Controls/Panel.h"
#include "OrvFramework/Controls/ToolTip.h"

namespace Orv {
namespace {

RCPtr<LControlFactory> ShippedFactory() {
    auto factory = MakeRC<LControlFactory>(W("Varnet Firmware Updater"));
    EXPECT_EQ(factory->LoadDefinitions(W("::"), 0x0409), S_OK) << factory->GetLastParseError();
    EXPECT_EQ(RegisterFrameworkControlClasses(*factory), S_OK);
    // The updater's main control stands in as a panel here; it belongs to the application.
    factory->RegisterControlClass(W("FirmwareUpdater.MainControl"), &CreateControlOf<LPanel>);
    return factory;
}

// Every look a control may show resolves to parts that draw. Each control's class, where it sits and
// which start visible are checked on the painted pages.
TEST(ShippedWindow, EveryControlIsCreatedWithItsClassAndLooks) {
    auto factory = ShippedFactory();
    ControlTest::TestHost host;
    RCPtr<LControl> main = factory->CreateControl(W("mainControl"), &host);
    ASSERT_TRUE(main);
    EXPECT_EQ(main->GetRect(), (LRect{0, 0, 432, 295}));
    ASSERT_EQ(host.attached, std::vector<LControl*>{main.Get()});
    const auto descriptor = factory->FindControlDescriptor(W("mainControl"));
    int skinned = 0;
    const std::function<void(const LControlDescriptor&)> expectLooks = [&](const LControlDescriptor& d) {
        SCOPED_TRACE(Utf16ToUtf8(d.controlName));
        ++skinned;
        ASSERT_TRUE(d.skin && d.skin->lookList);
        EXPECT_GT(d.skin->lookList->GetCount(), 0u);
        for (const auto& look : d.skin->lookList->looks) {
            ASSERT_TRUE(look && look->clientPart);
            std::vector<const LDockedPart*> parts = {&*look->clientPart};
            for (const LDockedPart& p : look->nonClientParts) parts.push_back(&p);
            for (const LDockedPart* p : parts) EXPECT_TRUE(p->part && (p->part->image || p->part->colorizer));
            EXPECT_TRUE(!look->hasTextProperties || look->textForegroundPart);
        }
        for (const auto& child : d.children) expectLooks(*child);
    };
    expectLooks(*descriptor);
    expectLooks(*factory->FindControlDescriptor(W("toolTip")));
    EXPECT_EQ(skinned, 1 + 18 + 4 + 1);  // main, its children, the bar's, the tooltip
    EXPECT_EQ(main->GetChildren().GetCount(), descriptor->children.size());
    EXPECT_EQ(main->FindChild(W("progressBar"))->GetChildren().GetCount(), 4u);

    RCPtr<LControl> tip = factory->CreateControl(W("toolTip"), nullptr);
    ASSERT_TRUE(tip);
    EXPECT_EQ(typeid(*tip), typeid(LToolTip));
    EXPECT_FALSE(factory->CreateControl(W("noSuchControl"), nullptr));
}

class SmallSkin : public ::testing::Test {
protected:
    void SetUp() override { factory->RegisterControlClass(W("K"), &CreateControlOf<LPanel>); }
    ORVRESULT Parse(const std::string& inner) {
        const std::string text =
            "<Other><Skins><Skin Name=\"S\" FontName=\"Arial\" FontSize=\"8.25\">" + inner + "</Skin></Skins></Other>";
        return factory->ParseXML(text.data(), text.size());
    }
    RCPtr<LControlFactory> factory = MakeRC<LControlFactory>();
};

TEST_F(SmallSkin, UnregisteredChildClassFailsTheWholeTree) {
    ASSERT_EQ(Parse("<SubControl Class=\"K\" Name=\"top\"><SubControl Class=\"Nope\" Name=\"x\"/></SubControl>"), S_OK);
    EXPECT_THROW(factory->CreateControl(W("top"), nullptr), std::exception);
}

// Each child listens to its parent's sibling keys; the top-level control to nobody.
TEST_F(SmallSkin, ChildrenRegisterForTheirParentsSiblingKeys) {
    ASSERT_EQ(Parse("<SubControl Class=\"K\" Name=\"top\"><SubControl Class=\"K\" Name=\"a\"/>"
                    "<SubControl Class=\"K\" Name=\"b\"/></SubControl>"),
              S_OK);
    RCPtr<LControl> top = factory->CreateControl(W("top"), nullptr);
    ASSERT_TRUE(top);
    EXPECT_EQ(top->GetRegistrationCount(InternNotificationID(u"NID_SIBLING_KEY")), 2u);
    EXPECT_EQ(top->FindChild(W("a"))->GetRegistrationCount(), 1);
    EXPECT_EQ(top->GetRegistrationCount(), 0);
}

}  // namespace
}  // namespace Orv
