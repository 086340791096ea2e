// Creating control trees from skins: the shipped window, class registration, deferred children.
#include <gtest/gtest.h>

#include <string>
#include <typeinfo>

#include "ControlTestSupport.h"
#include "OrvFramework/ControlBase/ControlFactory.h"
#include "OrvFramework/ControlBase/CreateControl.h"
#include "OrvFramework/Controls/Button.h"
#include "OrvFramework/Controls/FrameworkControls.h"
#include "OrvFramework/Controls/Label.h"
#include "OrvFramework/Controls/Panel.h"
#include "OrvFramework/Controls/ProgressBar.h"
#include "OrvFramework/Controls/StandInControls.h"
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

struct Expected {
    const char* name;
    const std::type_info& type;
    bool visible;
    LRect rect;
};

TEST(ShippedWindow, MainControlAndEveryChildArePlacedByTheSkin) {
    auto factory = ShippedFactory();
    ControlTest::TestHost host;
    RCPtr<LControl> main = factory->CreateControl(W("mainControl"), &host);
    ASSERT_TRUE(main);
    EXPECT_EQ(main->GetName(), W("mainControl"));
    EXPECT_EQ(main->GetRect(), (LRect{0, 0, 432, 295}));
    EXPECT_TRUE(main->IsVisibleFlag());
    EXPECT_TRUE(main->IsCreated());
    ASSERT_EQ(host.attached.size(), 1u);
    EXPECT_EQ(host.attached[0], main.Get());
    EXPECT_EQ(main->GetHost(), &host);

    // Children in layout order; labels that size to their text have no measurer here.
    const Expected children[] = {
        {"buttonExit", typeid(LButton), true, {347, 275, 80, 15}},
        {"labelDeviceReady", typeid(LLabel), true, {5, 175, 417, 0}},
        {"labelRelaunchInstructionsWin", typeid(LLabel), false, {16, 280, 360, 0}},
        {"labelDevicePicture", typeid(LLabel), true, {84, 55, 275, 103}},
        {"progressBar", typeid(LProgressBar), true, {5, 258, 422, 32}},
        {"labelUpdateInProcess", typeid(LLabel), false, {6, 200, 420, 0}},
        {"labelRelaunchInstructionsMac", typeid(LLabel), false, {16, 280, 360, 0}},
        {"buttonNext", typeid(LButton), true, {257, 275, 80, 15}},
        {"labelFirmwareFileMissingOrCorrupt", typeid(LLabel), false, {36, 196, 360, 0}},
        {"labelFirmwareUpdateFailed", typeid(LLabel), false, {36, 193, 360, 0}},
        {"labelFirmwareUpdateSucceed", typeid(LLabel), false, {36, 203, 360, 0}},
        {"labelDeviceNotFound", typeid(LLabel), false, {36, 188, 360, 0}},
        {"labelUpdateNotNeeded", typeid(LLabel), false, {36, 198, 360, 0}},
        {"labelFirmwareImageUploadComplete", typeid(LLabel), false, {46, 199, 340, 0}},
        {"labelDriverIsTooOld", typeid(LLabel), false, {46, 187, 340, 64}},
        {"labelNoCommandLineParams", typeid(LLabel), false, {46, 181, 340, 64}},
        {"labelWaitingForDeviceArrivalPostInstall", typeid(LLabel), true, {16, 16, 64, 64}},
        {"labelWaitingForDevicePrep", typeid(LLabel), false, {5, 213, 417, 64}},
    };
    ASSERT_EQ(main->GetChildren().GetCount(), std::size(children));
    for (std::size_t i = 0; i < std::size(children); ++i) {
        const Expected& e = children[i];
        SCOPED_TRACE(e.name);
        const RCPtr<LControl>& c = main->GetChildren().GetAt(i);
        EXPECT_EQ(c->GetName(), W(e.name));
        EXPECT_EQ(typeid(*c), e.type);
        EXPECT_EQ(c->IsVisibleFlag(), e.visible);
        EXPECT_EQ(c->GetRect(), e.rect);
        EXPECT_EQ(c->GetParent(), main.Get());
        EXPECT_TRUE(c->IsCreated());
        EXPECT_EQ(main->FindChild(W(e.name)).Get(), c.Get());
    }

    const RCPtr<LControl>& bar = main->FindChild(W("progressBar"));
    const Expected inBar[] = {
        {"activeOverlay", typeid(LPanel), true, {1, 1, 420, 14}},
        {"percentCompleteLabel", typeid(LLabel), true, {370, 16, 0, 0}},
        {"timeRemainingLabel", typeid(LLabel), true, {16, 16, 0, 0}},
        {"labelPercentComplete", typeid(LLabel), true, {370, 16, 64, 64}},
    };
    ASSERT_EQ(bar->GetChildren().GetCount(), std::size(inBar));
    for (std::size_t i = 0; i < std::size(inBar); ++i) {
        SCOPED_TRACE(inBar[i].name);
        const RCPtr<LControl>& c = bar->GetChildren().GetAt(i);
        EXPECT_EQ(c->GetName(), W(inBar[i].name));
        EXPECT_EQ(typeid(*c), inBar[i].type);
        EXPECT_EQ(c->IsVisibleFlag(), inBar[i].visible);
        EXPECT_EQ(c->GetRect(), inBar[i].rect);
    }

    // Hidden labels carry no visible bit; the shown button does, and its caption comes from the
    // string tables.
    EXPECT_FALSE(main->FindChild(W("labelDeviceNotFound"))->GetConditions() & Condition::Visible);
    const RCPtr<LControl>& exitButton = main->FindChild(W("buttonExit"));
    EXPECT_TRUE(exitButton->GetConditions() & Condition::Visible);
    EXPECT_TRUE(exitButton->GetStringTable());
    EXPECT_FALSE(exitButton->GetText().empty());
}

TEST(ShippedWindow, ToolTipIsCreatedVisible) {
    auto factory = ShippedFactory();
    RCPtr<LControl> tip = factory->CreateControl(W("toolTip"), nullptr);
    ASSERT_TRUE(tip);
    EXPECT_EQ(typeid(*tip), typeid(LToolTip));
    EXPECT_EQ(tip->GetName(), W("toolTip"));
    EXPECT_TRUE(tip->IsVisibleFlag());
    EXPECT_EQ(tip->GetRect(), (LRect{16, 16, 0, 22}));
    EXPECT_FALSE(factory->CreateControl(W("noSuchControl"), nullptr));
}

TEST(ShippedWindow, ExitButtonMovesTheNextButtonWithIt) {
    auto factory = ShippedFactory();
    RCPtr<LControl> main = factory->CreateControl(W("mainControl"), nullptr);
    ASSERT_TRUE(main);
    const RCPtr<LControl>& exitButton = main->FindChild(W("buttonExit"));
    LLayoutDescriptor rules = exitButton->GetLayout();
    rules.x.positionAbsolute = -25;
    exitButton->SetLayout(rules);
    EXPECT_EQ(exitButton->GetLayoutChangeCount(), 1u);
    exitButton->SetLayout(rules);  // the same rules again: no change
    EXPECT_EQ(exitButton->GetLayoutChangeCount(), 1u);
    EXPECT_EQ(exitButton->GetRect(), (LRect{327, 275, 80, 15}));
    EXPECT_EQ(main->FindChild(W("buttonNext"))->GetRect(), (LRect{237, 275, 80, 15}));
}

TEST(FactoryClasses, FirstRegistrationWinsAndUnknownClassesRaise) {
    auto factory = MakeRC<LControlFactory>();
    EXPECT_EQ(factory->RegisterControlClass(W("Framework.Button"), &CreateControlOf<LButton>), S_OK);
    EXPECT_EQ(factory->RegisterControlClass(W("Framework.Button"), &CreateControlOf<LPanel>), S_OK);
    ControlCreateFunction f = nullptr;
    EXPECT_EQ(factory->GetControlCreateFunction(W("Framework.Button"), f), S_OK);
    EXPECT_EQ(f, &CreateControlOf<LButton>);
    try {
        factory->GetControlCreateFunction(W("framework.button"), f);
        FAIL() << "no error";
    } catch (const std::exception& e) {
        const std::string text = e.what();
        EXPECT_EQ(text.rfind("Runtime Error : Orv::LControlFactory::GetControlCreateFunction", 0), 0u) << text;
        EXPECT_NE(text.find("Line 50"), std::string::npos) << text;
    }
}

TEST(FactoryClasses, TheFrameworkRegistersItsThirtyFiveNamesInOrder) {
    std::size_t count = 0;
    const FrameworkControlClass* classes = GetFrameworkControlClasses(count);
    ASSERT_EQ(count, 35u);
    EXPECT_STREQ(classes[0].name, "Framework.Button");
    EXPECT_STREQ(classes[20].name, "Framework.Label");
    EXPECT_STREQ(classes[34].name, "Framework.ProgressBar");
    auto factory = MakeRC<LControlFactory>();
    ASSERT_EQ(RegisterFrameworkControlClasses(*factory), S_OK);
    for (std::size_t i = 0; i < count; ++i)
        EXPECT_TRUE(factory->IsControlClassRegistered(Utf8ToUtf16(classes[i].name))) << classes[i].name;

    // The overlay button is a list box item, not a button.
    const std::string text = "<Other><Skins><Skin Name=\"S\">"
                             "<SubControl Class=\"Framework.OverlayButton\" Name=\"overlay\"/>"
                             "<SubControl Class=\"Framework.ListBoxWithIcons\" Name=\"icons\"/>"
                             "</Skin></Skins></Other>";
    ASSERT_EQ(factory->ParseXML(text.data(), text.size()), S_OK);
    RCPtr<LControl> overlay = factory->CreateControl(W("overlay"), nullptr);
    ASSERT_TRUE(overlay);
    EXPECT_EQ(typeid(*overlay), typeid(LListBoxItem));
    RCPtr<LControl> icons = factory->CreateControl(W("icons"), nullptr);
    ASSERT_TRUE(icons);
    EXPECT_EQ(typeid(*icons), typeid(LCheckedListBox));
}

class SmallSkin : public ::testing::Test {
protected:
    void SetUp() override {
        factory->RegisterControlClass(W("K"), &CreateControlOf<LPanel>);
    }
    ORVRESULT Parse(const std::string& inner) {
        const std::string text = "<Other><Skins><Skin Name=\"S\" FontName=\"Arial\" FontSize=\"8.25\">" + inner +
                                 "</Skin></Skins></Other>";
        return factory->ParseXML(text.data(), text.size());
    }
    static std::string Deferred(const char* name, const char* value) {
        return std::string("<SubControl Class=\"K\" Name=\"") + name +
               "\"><CreateParamList><CreateParam ID=\"DEFER_CREATE\">" + value +
               "</CreateParam></CreateParamList></SubControl>";
    }
    RCPtr<LControlFactory> factory = MakeRC<LControlFactory>();
};

TEST_F(SmallSkin, DeferredChildrenAreNotCreatedWithTheirParent) {
    ASSERT_EQ(Parse("<SubControl Class=\"K\" Name=\"top\">" + Deferred("later", "true") + Deferred("now", "false") +
                    Deferred("blank", " TRUE ") + "</SubControl>"),
              S_OK);
    RCPtr<LControl> top = factory->CreateControl(W("top"), nullptr);
    ASSERT_TRUE(top);
    EXPECT_FALSE(top->FindChild(W("later")));
    EXPECT_FALSE(top->FindChild(W("blank")));
    ASSERT_TRUE(top->FindChild(W("now")));
    EXPECT_EQ(top->GetChildren().GetCount(), 1u);

    // Created on demand from its descriptor, a deferred child knows it was deferred.
    const auto descriptor = factory->FindControlDescriptor(W("top"));
    RCPtr<LControl> later = factory->CreateControl(ConstRCPtr<LControlDescriptor>(descriptor->children[0]), top.Get());
    ASSERT_TRUE(later);
    EXPECT_TRUE(later->IsCreationDeferred());
    EXPECT_EQ(later->GetParent(), top.Get());
}

TEST_F(SmallSkin, UnregisteredChildClassFailsTheWholeTree) {
    ASSERT_EQ(Parse("<SubControl Class=\"K\" Name=\"top\"><SubControl Class=\"Nope\" Name=\"x\"/></SubControl>"),
              S_OK);
    EXPECT_THROW(factory->CreateControl(W("top"), nullptr), std::exception);
}

TEST_F(SmallSkin, CreateFunctionIsLookedUpOncePerDescriptor) {
    ASSERT_EQ(Parse("<SubControl Class=\"K\" Name=\"top\" IsVisible=\"False\"/>"), S_OK);
    const auto descriptor = factory->FindControlDescriptor(W("top"));
    EXPECT_EQ(descriptor->createFunction, nullptr);
    ASSERT_TRUE(factory->CreateControl(W("top"), nullptr));
    EXPECT_EQ(descriptor->createFunction, &CreateControlOf<LPanel>);
    // A cached function is used as it is, even when the class map would say otherwise now.
    descriptor->createFunction = &CreateControlOf<LLabel>;
    RCPtr<LControl> again = factory->CreateControl(W("top"), nullptr);
    EXPECT_EQ(typeid(*again), typeid(LLabel));
}

TEST_F(SmallSkin, ReapplyDescriptorAndDefaultFont) {
    ASSERT_EQ(Parse("<SubControl Class=\"K\" Name=\"top\" XSizeAbs=\"50\"/>"), S_OK);
    RCPtr<LControl> top = factory->CreateControl(W("top"), nullptr);
    ASSERT_TRUE(top);
    EXPECT_EQ(top->GetRect().width, 50.0);
    LLayoutDescriptor rules = top->GetLayout();
    rules.x.sizeAbsolute = 10;
    top->SetLayout(rules);
    EXPECT_EQ(top->GetRect().width, 10.0);
    EXPECT_EQ(factory->ReapplyDescriptor(top.Get()), S_OK);
    EXPECT_EQ(top->GetRect().width, 50.0);
    EXPECT_EQ(factory->ReapplyDescriptor(nullptr), E_FAIL);
    RCPtr<LControl> stray(MakeRC<LControl>(nullptr, W("stray")));
    EXPECT_EQ(factory->ReapplyDescriptor(stray.Get()), E_FAIL);

    String name;
    float size = 0;
    int style = 7;
    EXPECT_EQ(factory->GetDefaultFont(name, size, style), S_OK);
    EXPECT_EQ(name, W("Arial"));
    EXPECT_FLOAT_EQ(size, 8.25f);
    EXPECT_EQ(style, 7);  // the skin gives no style: left alone
    auto empty = MakeRC<LControlFactory>();
    EXPECT_EQ(empty->GetDefaultFont(name, size, style), S_FALSE);
}


TEST_F(SmallSkin, CreationParametersAndTheSiblingKeyRegistration) {
    ASSERT_EQ(Parse("<SubControl Class=\"K\" Name=\"top\"><SubControl Class=\"K\" Name=\"child\"><CreateParamList>"
                    "<CreateParam ID=\"INITIAL_VALUE\">0.25</CreateParam>"
                    "<CreateParam ID=\"NOT_FOCUSABLE\">true</CreateParam>"
                    "<CreateParam ID=\"USE_PARENT_TOOLTIP\">True</CreateParam>"
                    "<CreateParam ID=\"WANTS_TAB\">true</CreateParam>"
                    "</CreateParamList></SubControl>"
                    "<SubControl Class=\"K\" Name=\"bad\"><CreateParamList>"
                    "<CreateParam ID=\"INITIAL_VALUE\">abc</CreateParam></CreateParamList></SubControl>"
                    "</SubControl>"),
              S_OK);
    RCPtr<LControl> top = factory->CreateControl(W("top"), nullptr);
    ASSERT_TRUE(top);
    const RCPtr<LControl>& child = top->FindChild(W("child"));
    ASSERT_TRUE(child);
    EXPECT_EQ(child->GetValue(), 0.25);
    EXPECT_FALSE(child->IsFocusable());
    EXPECT_FALSE(child->UsesParentToolTip());  // only "true" counts
    EXPECT_TRUE(child->WantsTab());
    EXPECT_EQ(top->FindChild(W("bad"))->GetValue(), 0.0);
    EXPECT_EQ(child->SetFocus(true), S_FALSE);  // not focusable
    // Each child listens to its parent's sibling keys; the top-level control to nobody.
    const NotificationID key = InternNotificationID(u"NID_SIBLING_KEY");
    EXPECT_EQ(top->GetRegistrationCount(key), 2u);
    EXPECT_EQ(child->GetRegistrationCount(), 1);
    EXPECT_EQ(top->GetRegistrationCount(), 0);
}

}  // namespace
}  // namespace Orv
