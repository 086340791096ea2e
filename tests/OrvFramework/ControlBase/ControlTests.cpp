// The control base: conditions and their notifications, pointer input, capture, the tree.
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
    void TearDown() override {
        listener->ReleaseInternalReferences();
    }
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

TEST_F(ControlTree, FindChildSearchesDirectChildrenLastFirst) {
    EXPECT_EQ(root->FindChild(W("a")).Get(), second.Get());
    EXPECT_EQ(root->FindChild(W("b")).Get(), b.Get());
    EXPECT_FALSE(root->FindChild(W("deep")));  // grandchildren are not searched
    EXPECT_FALSE(root->FindChild(W("A")));     // case-sensitive
    EXPECT_EQ(b->FindChild(W("deep")).Get(), grandchild.Get());
}

TEST_F(ControlTree, HoverAndCaptureInOneUpdateNotifyInOrder) {
    listener->Listen(first.Get(), {u"NID_CONDITION_CHANGE", u"NID_HOVER_CONDITION_CHANGE",
                                   u"NID_CAPTURE_CONDITION_CHANGE", u"NID_LEFT_DRAG_CONDITION_CHANGE"});
    {
        LControl::ConditionBatch batch(*first);
        first->OnPointerEnter(nullptr);
        EXPECT_EQ(first->BeginCapture({1, 1}), S_OK);
        EXPECT_TRUE(listener->ids.empty());
    }
    EXPECT_EQ(listener->ids, (std::vector<std::string>{"NID_CONDITION_CHANGE", "NID_HOVER_CONDITION_CHANGE",
                                                       "NID_CAPTURE_CONDITION_CHANGE"}));
    ASSERT_EQ(listener->conditions.size(), 3u);
    EXPECT_EQ(listener->conditions[0].m_previous, Condition::Enabled | Condition::Visible);
    EXPECT_EQ(listener->conditions[0].m_current, Condition::Enabled | Condition::Visible | Condition::PointerOver |
                                                     Condition::Hover | Condition::Capture);
    EXPECT_EQ(first->GetConditionsParam().m_current, first->GetConditions());
}

TEST_F(ControlTree, ConditionOrderFollowsTheBitTable) {
    listener->Listen(first.Get(), {u"NID_CONDITION_CHANGE", u"NID_HOVER_CONDITION_CHANGE",
                                   u"NID_CAPTURE_CONDITION_CHANGE", u"NID_LEFT_DRAG_CONDITION_CHANGE",
                                   u"NID_ENABLED_CONDITION_CHANGE", u"NID_VISIBLITY_CONDITION_CHANGE",
                                   u"NID_HAS_FOCUS_CONDITION_CHANGE", u"NID_CONTAINS_FOCUS_CONDITION_CHANGE"});
    // Hovered, captured and left-pressed in one update (pointer already over, then a press).
    first->OnPointerEnter(nullptr);
    listener->ids.clear();
    listener->conditions.clear();
    ASSERT_EQ(first->OnButtonDown(Button(kLeftButton).Get()), S_OK);
    EXPECT_EQ(listener->ids, (std::vector<std::string>{"NID_CONDITION_CHANGE", "NID_CAPTURE_CONDITION_CHANGE",
                                                       "NID_LEFT_DRAG_CONDITION_CHANGE"}));
    ASSERT_FALSE(listener->conditions.empty());
    const LConditionsParam& c = listener->conditions.front();
    EXPECT_EQ(c.m_previous ^ c.m_current, Condition::Capture | Condition::LeftPressed);

    first->EndCapture();
    listener->ids.clear();
    first->SetFocus(true);
    EXPECT_EQ(listener->ids, (std::vector<std::string>{"NID_CONDITION_CHANGE", "NID_HAS_FOCUS_CONDITION_CHANGE",
                                                       "NID_CONTAINS_FOCUS_CONDITION_CHANGE"}));
    listener->ids.clear();
    // Visibility of the ancestor reaches the child's bits; hidden, the child gives up its focus in
    // the same change.
    root->SetVisible(false);
    EXPECT_EQ(listener->ids, (std::vector<std::string>{"NID_CONDITION_CHANGE", "NID_HAS_FOCUS_CONDITION_CHANGE",
                                                       "NID_CONTAINS_FOCUS_CONDITION_CHANGE",
                                                       "NID_VISIBLITY_CONDITION_CHANGE"}));
    EXPECT_FALSE(first->GetConditions() & Condition::HasFocus);
    EXPECT_EQ(first->GetConditions() & Condition::Visible, 0u);
    listener->ids.clear();
    first->UpdateConditions();  // nothing changed: nothing is sent
    EXPECT_TRUE(listener->ids.empty());
}

TEST_F(ControlTree, ParentEnabledAndVisibleFlagsReachDescendants) {
    EXPECT_TRUE(grandchild->GetConditions() & Condition::Enabled);
    EXPECT_TRUE(grandchild->GetConditions() & Condition::Visible);
    listener->Listen(grandchild.Get(), {u"NID_ENABLED_CONDITION_CHANGE"});
    EXPECT_EQ(b->SetEnabled(false), S_OK);
    EXPECT_EQ(b->SetEnabled(false), S_FALSE);
    EXPECT_EQ(listener->ids, std::vector<std::string>{"NID_ENABLED_CONDITION_CHANGE"});
    EXPECT_FALSE(grandchild->GetConditions() & Condition::Enabled);
    EXPECT_TRUE(grandchild->IsEnabledFlag());
    // A disabled subtree takes no press and no capture.
    EXPECT_EQ(grandchild->OnButtonDown(Button(kLeftButton).Get()), S_FALSE);
    EXPECT_EQ(grandchild->BeginCapture({0, 0}), S_FALSE);
    b->SetEnabled(true);
    b->SetVisible(false);
    EXPECT_EQ(grandchild->BeginCapture({0, 0}), S_FALSE);
    EXPECT_FALSE(grandchild->GetConditions() & Condition::Visible);
}

TEST_F(ControlTree, ClickNeedsPressOverTheControlAndEndsCapture) {
    listener->Listen(first.Get(), {u"NID_MOUSE_DOWN", u"NID_MOUSE_UP", u"NID_LEFT_CLICK", u"NID_RIGHT_CLICK",
                                   u"NID_MIDDLE_CLICK"});
    first->OnPointerEnter(nullptr);
    ASSERT_EQ(first->OnButtonDown(Button(kLeftButton).Get()), S_OK);
    EXPECT_TRUE(first->HasCapture());
    EXPECT_EQ(host.captured, first.Get());
    ASSERT_EQ(first->OnButtonUp(Button(kLeftButton).Get()), S_OK);
    EXPECT_EQ(listener->ids, (std::vector<std::string>{"NID_MOUSE_DOWN", "NID_MOUSE_UP", "NID_LEFT_CLICK"}));
    EXPECT_FALSE(first->HasCapture());
    EXPECT_EQ(host.captured, nullptr);

    // Released away from the control: no click.
    listener->ids.clear();
    first->OnButtonDown(Button(kRightButton).Get());
    first->OnPointerLeave(nullptr);
    first->OnButtonUp(Button(kRightButton).Get());
    EXPECT_EQ(listener->ids, (std::vector<std::string>{"NID_MOUSE_DOWN", "NID_MOUSE_UP"}));

    // A release without a press on this control: no click either.
    listener->ids.clear();
    first->OnPointerEnter(nullptr);
    first->OnButtonUp(Button(kMiddleButton).Get());
    EXPECT_EQ(listener->ids, std::vector<std::string>{"NID_MOUSE_UP"});

}

TEST_F(ControlTree, BadButtonValuesAreRejectedAndSendNothing) {
    listener->Listen(first.Get(), {u"NID_MOUSE_DOWN", u"NID_MOUSE_UP", u"NID_CONDITION_CHANGE"});
    first->OnPointerEnter(nullptr);
    listener->ids.clear();
    EXPECT_EQ(first->OnButtonUp(Button(3).Get()), E_INVALIDARG);
    EXPECT_EQ(first->OnButtonDown(Button(0).Get()), E_INVALIDARG);
    EXPECT_EQ(first->OnButtonUp(nullptr), E_INVALIDARG);
    EXPECT_EQ(first->Click(Button(8).Get()), E_INVALIDARG);
    EXPECT_EQ(first->LeftClick(nullptr), E_INVALIDARG);
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
    EXPECT_FALSE(first->HasCapture());
    host.refuseCapture = false;
    EXPECT_EQ(first->BeginCapture({0, 0}), S_OK);
    EXPECT_EQ(first->BeginCapture({0, 0}), S_FALSE);
    EXPECT_EQ(host.releases, 0);
    EXPECT_EQ(first->EndCapture(), S_OK);
    EXPECT_EQ(host.releases, 1);
}

TEST_F(ControlTree, DragBeginsWhenThePressedPointerMoves) {
    listener->Listen(first.Get(), {u"NID_LEFT_DRAG_CONDITION_CHANGE", u"NID_MOUSE_MOVE"});
    first->OnPointerEnter(nullptr);
    first->OnButtonDown(Button(kLeftButton).Get());
    listener->ids.clear();
    first->OnPointerMove(MakeRC<LPointWithModifiersParam>(6.0, 5.0).Get());  // within the jitter
    EXPECT_EQ(listener->ids, std::vector<std::string>{"NID_MOUSE_MOVE"});
    first->OnPointerMove(MakeRC<LPointWithModifiersParam>(20.0, 5.0).Get());
    EXPECT_EQ(listener->ids, (std::vector<std::string>{"NID_MOUSE_MOVE", "NID_LEFT_DRAG_CONDITION_CHANGE",
                                                       "NID_MOUSE_MOVE"}));
    EXPECT_TRUE(first->GetConditions() & Condition::LeftDragging);
    EXPECT_EQ(first->OnPointerMove(nullptr), E_INVALIDARG);
}

TEST_F(ControlTree, HoverOfADescendantHoversItsAncestors) {
    grandchild->OnPointerEnter(nullptr);
    EXPECT_TRUE(grandchild->GetConditions() & Condition::PointerOver);
    EXPECT_TRUE(b->GetConditions() & Condition::Hover);
    EXPECT_FALSE(b->GetConditions() & Condition::PointerOver);
    EXPECT_TRUE(root->GetConditions() & Condition::Hover);
    grandchild->OnPointerLeave(nullptr);
    EXPECT_FALSE(root->GetConditions() & Condition::Hover);
}

TEST(ControlLifetime, ATreeIsFreedWhenNothingOutsideHoldsIt) {
    struct Probe : LControl {
        Probe(LControl* parent, String name, int* alive) : LControl(parent, std::move(name)), alive(alive) {
            ++*alive;
        }
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
