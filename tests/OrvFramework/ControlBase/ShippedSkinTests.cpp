// The shipped skin, loaded from the program's resources: everything a control
// names resolves. What the window looks like is checked where it is painted (the page tests).
#include <gtest/gtest.h>

#include <string>

#include "OrvFramework/ControlBase/ControlFactory.h"

namespace Orv {
namespace {

class ShippedSkin : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        factory = new LControlFactory(W("Varnet Firmware Updater"));
        factory->AddRef();
        result = factory->LoadDefinitions(W("::"), 0x0409);
    }
    static void TearDownTestSuite() {
        factory->Release();
        factory = nullptr;
    }
    static inline LControlFactory* factory = nullptr;
    static inline ORVRESULT result = E_FAIL;
};

void ExpectResolved(const LLookDescriptor& look) {
    SCOPED_TRACE(Utf16ToUtf8(look.name));
    ASSERT_TRUE(look.clientPart);
    std::vector<const LDockedPart*> parts = {&*look.clientPart};
    for (const LDockedPart& d : look.nonClientParts) parts.push_back(&d);
    for (const LDockedPart* d : parts) {
        ASSERT_TRUE(d->part);
        EXPECT_TRUE(d->part->image || d->part->colorizer) << Utf16ToUtf8(d->part->name);
    }
    if (look.hasTextProperties) {
        EXPECT_TRUE(look.textForegroundPart);
    }
}

// Every control of the window, at any depth, has a skin whose looks and parts all exist.
void ExpectSkinned(const LControlDescriptor& control, int& count) {
    SCOPED_TRACE(Utf16ToUtf8(control.controlName));
    ++count;
    ASSERT_TRUE(control.layout);
    ASSERT_TRUE(control.skin);
    ASSERT_TRUE(control.skin->lookList);
    EXPECT_GT(control.skin->lookList->GetCount(), 0u);
    for (const auto& look : control.skin->lookList->looks) {
        ASSERT_TRUE(look);
        ExpectResolved(*look);
    }
    for (const auto& child : control.children) {
        EXPECT_EQ(child->GetParent(), &control);
        ExpectSkinned(*child, count);
    }
}

TEST_F(ShippedSkin, EveryControlResolvesItsLooksAndParts) {
    ASSERT_EQ(result, S_OK) << factory->GetLastParseError();
    ASSERT_EQ(factory->GetRootCount(), 1u);
    const auto root = factory->GetRoot(0);
    ASSERT_EQ(root->children.size(), 2u);
    EXPECT_EQ(root->children[0]->controlName, W("mainControl"));
    EXPECT_EQ(root->children[1]->controlName, W("toolTip"));
    int count = 0;
    for (const auto& top : root->children) ExpectSkinned(*top, count);
    EXPECT_EQ(count, 1 + 18 + 4 + 1);  // main, its children, the bar's, the tooltip
}

// The button's states: normal, hover, pressed, focused (three each), disabled, and the toggled
// set; the last entry is the disabled look again.
TEST_F(ShippedSkin, ButtonLooksFollowTheStates) {
    const auto buttons = factory->FindLookList(W("Tessel.ButtonTuner"));
    ASSERT_TRUE(buttons);
    const char* expected[] = {"0", "0", "0", "3,4,5", "3,4,5", "3,4,5", "6",
                              "7", "7", "7", "10,11,12", "10,11,12", "10,11,12", "6"};
    ASSERT_EQ(buttons->GetCount(), std::size(expected));
    for (std::size_t i = 0; i < std::size(expected); ++i) {
        ASSERT_TRUE(buttons->GetLook(static_cast<std::ptrdiff_t>(i))) << i;
        EXPECT_EQ(buttons->GetLook(static_cast<std::ptrdiff_t>(i))->name,
                  W(std::string("Tessel.ButtonTuner.") + expected[i]))
            << i;
    }
    EXPECT_EQ(buttons->GetLook(6)->textForegroundPart->name, W("Tessel.Text.White.Disabled"));
}

}  // namespace
}  // namespace Orv
