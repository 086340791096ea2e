// The control base: conditions, pointer input, capture, the tree and its lifetime.
#include <gtest/gtest.h>

#include "ControlTestSupport.h"
#include "OrvFramework/ObjectBase/Exception.h"

namespace Orv {
namespace {

using ControlTest::Listener;
using ControlTest::TestHost;

// A small tree built by hand: root with children a, b and a second "a"; a grandchild under b.
class ControlTree : public ::testing::Test {
protected:
    void SetUp() override {
        root = MakeRC<LControl>(nullptr, W("root"));
        root->SetRect({0, 0, 200, 100});
        first = Add(root, "a");
        b = Add(root, "b");
        second = Add(root, "a");
        grandchild = Add(b, "deep");
        root->SetHostWindow(&host);
        listener = MakeRC<Listener>();
    }
    void TearDown() override { listener->ReleaseInternalReferences(); }
    static RCPtr<LControl> Add(const RCPtr<LControl>& parent, const char* name) {
        RCPtr<LControl> c(MakeRC<LControl>(parent.Get(), W(name)));
        EXPECT_EQ(parent->AddChild(c), S_OK);
        c->Initialize();
        return c;
    }
    static RCPtr<LMouseButtonParam> Button(std::int32_t button, std::uint32_t modifiers = 0) {
        return MakeRC<LMouseButtonParam>(5.0, 5.0, modifiers, button);
    }

    TestHost host;
    RCPtr<LControl> root, first, b, second, grandchild;
    RCPtr<Listener> listener;
};

// The parent's enabled and visible flags reach the descendants' conditions: a disabled or hidden subtree
// takes no press and no capture.
TEST_F(ControlTree, ParentEnabledAndVisibleFlagsReachDescendants) {
    EXPECT_TRUE(grandchild->GetConditions() & Condition::Enabled);
    EXPECT_EQ(b->SetEnabled(false), S_OK);
    EXPECT_EQ(b->SetEnabled(false), S_FALSE);
    EXPECT_FALSE(grandchild->GetConditions() & Condition::Enabled);
    EXPECT_TRUE(grandchild->IsEnabledFlag());
    EXPECT_EQ(grandchild->OnButtonDown(Button(kLeftButton).Get()), S_FALSE);
    EXPECT_EQ(grandchild->BeginCapture({0, 0}), S_FALSE);
    b->SetEnabled(true);
    b->SetVisible(false);
    EXPECT_FALSE(grandchild->GetConditions() & Condition::Visible);
    EXPECT_EQ(grandchild->BeginCapture({0, 0}), S_FALSE);
}

// A click needs the press and the release over the control; the press captures, the release ends it.
TEST_F(ControlTree, ClickNeedsPressAndReleaseOverTheControl) {
    listener->Listen(first.Get(), {u"NID_LEFT_CLICK"});
    first->OnPointerEnter(nullptr);
    ASSERT_EQ(first->OnButtonDown(Button(kLeftButton).Get()), S_OK);
    EXPECT_EQ(host.captured, first.Get());
    ASSERT_EQ(first->OnButtonUp(Button(kLeftButton).Get()), S_OK);
    EXPECT_EQ(listener->ids, std::vector<std::string>{"NID_LEFT_CLICK"});
    EXPECT_EQ(host.captured, nullptr);
    listener->ids.clear();
    first->OnButtonDown(Button(kLeftButton).Get());
    first->OnPointerLeave(nullptr);  // released away from the control
    first->OnButtonUp(Button(kLeftButton).Get());
    first->OnPointerEnter(nullptr);
    first->OnButtonUp(Button(kLeftButton).Get());  // a release without a press
    EXPECT_TRUE(listener->ids.empty());
    EXPECT_FALSE(first->HasCapture());
}

TEST_F(ControlTree, BadPointerValuesAreRejectedAndSendNothing) {
    listener->Listen(first.Get(), {u"NID_MOUSE_DOWN", u"NID_MOUSE_UP", u"NID_CONDITION_CHANGE"});
    first->OnPointerEnter(nullptr);
    listener->ids.clear();
    EXPECT_EQ(first->OnButtonUp(Button(3).Get()), E_INVALIDARG);
    EXPECT_EQ(first->OnButtonDown(Button(0).Get()), E_INVALIDARG);
    EXPECT_EQ(first->OnButtonUp(nullptr), E_INVALIDARG);
    EXPECT_EQ(first->Click(Button(8).Get()), E_INVALIDARG);
    EXPECT_EQ(first->LeftClick(nullptr), E_INVALIDARG);
    EXPECT_EQ(first->OnPointerMove(nullptr), E_INVALIDARG);
    EXPECT_TRUE(listener->ids.empty());
}

TEST_F(ControlTree, ReleaseOnAHiddenControlIsIgnoredUnlessItHoldsTheCapture) {
    listener->Listen(first.Get(), {u"NID_MOUSE_UP", u"NID_LEFT_CLICK"});
    first->OnPointerEnter(nullptr);
    first->SetVisible(false);
    EXPECT_EQ(first->OnButtonUp(Button(kLeftButton).Get()), S_FALSE);
    EXPECT_TRUE(listener->ids.empty());
    first->SetVisible(true);
    first->OnButtonDown(Button(kLeftButton).Get());
    first->SetEnabled(false);
    // The capture lets the release through; a disabled control completes no click.
    EXPECT_EQ(first->OnButtonUp(Button(kLeftButton).Get()), S_OK);
    EXPECT_EQ(listener->ids, std::vector<std::string>{"NID_MOUSE_UP"});
    EXPECT_FALSE(first->HasCapture());
}

TEST_F(ControlTree, CaptureIsRefusedWhenTheWindowRefusesOrItIsHeld) {
    host.refuseCapture = true;
    EXPECT_EQ(first->BeginCapture({0, 0}), S_FALSE);
    host.refuseCapture = false;
    EXPECT_EQ(first->BeginCapture({0, 0}), S_OK);
    EXPECT_EQ(first->BeginCapture({0, 0}), S_FALSE);
    EXPECT_EQ(host.releases, 0);
    EXPECT_EQ(first->EndCapture(), S_OK);
    EXPECT_EQ(host.releases, 1);
}

TEST(ControlLifetime, ATreeIsFreedWhenNothingOutsideHoldsIt) {
    struct Probe : LControl {
        Probe(LControl* parent, String name, int* alive) : LControl(parent, std::move(name)), alive(alive) { ++*alive; }
        ~Probe() override { --*alive; }
        int* alive;
    };
    int alive = 0;
    {
        RCPtr<LControl> root(MakeRC<Probe>(nullptr, W("root"), &alive));
        root->Initialize();
        for (const char* name : {"x", "y"}) {
            RCPtr<LControl> child(MakeRC<Probe>(root.Get(), W(name), &alive));
            root->AddChild(child);
            child->Initialize();  // registers with the parent: a cycle the release must break
        }
        // The root listens to a child too, as a main control listens to its buttons.
        root->GetNotificationHandler()->AddHandler(nullptr, root->GetChildren().GetAt(0).Get(), u"NID_LEFT_CLICK");
        EXPECT_EQ(alive, 3);
    }
    EXPECT_EQ(alive, 0);
}

TEST(ControlLifetime, AChildMustBeConstructedForItsParent) {
    RCPtr<LControl> root(MakeRC<LControl>(nullptr, W("root")));
    RCPtr<LControl> stray(MakeRC<LControl>(nullptr, W("stray")));
    EXPECT_EQ(root->AddChild(stray), E_INVALIDARG);
    EXPECT_EQ(root->AddChild(nullptr), E_INVALIDARG);
    EXPECT_EQ(root->GetChildren().GetCount(), 0u);
}

}  // namespace
}  // namespace Orv
