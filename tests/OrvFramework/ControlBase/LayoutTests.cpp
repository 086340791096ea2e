// Layout rules: one axis at a time, snapping, siblings, limits and content fitting.
#include <gtest/gtest.h>

#include "ControlTestSupport.h"
#include "OrvFramework/ControlBase/Layout.h"

namespace Orv {
namespace {

LAxisLayout Axis(float anchor, PositionReference pos, float posRel, double posAbs, SizeReference size, float sizeRel,
                 double sizeAbs) {
    LAxisLayout a;
    a.placementAnchor = anchor;
    a.positionReference = pos;
    a.positionRelative = posRel;
    a.positionAbsolute = posAbs;
    a.sizeReference = size;
    a.sizeRelative = sizeRel;
    a.sizeAbsolute = sizeAbs;
    return a;
}

TEST(LayoutAxis, WorkedExamples) {
    const Layout::Reference window{0, 432}, small{0, 100}, none{};
    struct Case {
        const char* what;
        LAxisLayout axis;
        Layout::Reference position, size;
        bool selfSize;
        double expectedPosition, expectedSize;
    };
    const Case cases[] = {
        {"exit button: right edge 5 in from the right",
         Axis(1, PositionReference::Client, 1, -5, SizeReference::Self, 0, 80), window, none, true, 347, 80},
        {"label spanning the window less 5 each side",
         Axis(0, PositionReference::Client, 0, 5, SizeReference::Client, 1, -5), window, window, false, 5, 422},
        {"centred picture, before the snap",
         Axis(0.5f, PositionReference::Client, 0.5f, 5, SizeReference::Self, 0, 275), window, none, true, 83.5, 275},
        {"a missing sibling: the far edge is the absolute part alone",
         Axis(0, PositionReference::Client, 0, 10, SizeReference::Control, 1, 30), small, none, false, 10, 20},
        {"anchor 1, far edge before the position: spans from the edge to it",
         Axis(1, PositionReference::Client, 0, 60, SizeReference::Client, 0, 20), small, small, false, 20, 40},
        {"anchor 0.5, far edge after: the right edge lands on it after the shift",
         Axis(0.5f, PositionReference::Client, 0, 50, SizeReference::Client, 0, 70), small, small, false, 30, 40},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const auto r = Layout::ComputeAxis(c.axis, c.position, c.size, c.selfSize, 0);
        EXPECT_EQ(r.position, c.expectedPosition);
        EXPECT_EQ(r.size, c.expectedSize);
    }
}

TEST(LayoutSnap, HalvesRoundAwayFromZero) {
    EXPECT_EQ(Layout::Snap({83.5, 0, 275, 10}), (LRect{84, 0, 275, 10}));  // the centred picture
    EXPECT_EQ(Layout::Snap({83.5, -0.5, 275, 10}), (LRect{84, -1, 275, 11}));
    EXPECT_EQ(Layout::Snap({-1.5, 2.4, 3.0, 0.2}), (LRect{-2, 2, 4, 1}));
    EXPECT_EQ(Layout::RoundPixel(-0.5), -1);
    EXPECT_EQ(Layout::RoundPixel(0.49999999999999994), 0);
}

class LayoutTree : public ::testing::Test {
protected:
    void SetUp() override {
        parent = MakeRC<LControl>(nullptr, W("parent"));
        parent->SetHostWindow(&host);
        LLayoutDescriptor p;
        p.x = Axis(0, PositionReference::Parent, 0, 0, SizeReference::Self, 0, 300);
        p.y = Axis(0, PositionReference::Parent, 0, 0, SizeReference::Self, 0, 200);
        parent->SetLayout(p);
    }
    RCPtr<LControl> Child(const char* name, const LLayoutDescriptor& rules) {
        RCPtr<LControl> c(MakeRC<LControl>(parent.Get(), W(name)));
        parent->AddChild(c);
        c->SetLayout(rules);
        return c;
    }
    static LLayoutDescriptor Fixed(double x, double y, double w, double h) {
        LLayoutDescriptor d;
        d.x = Axis(0, PositionReference::Client, 0, x, SizeReference::Self, 0, w);
        d.y = Axis(0, PositionReference::Client, 0, y, SizeReference::Self, 0, h);
        return d;
    }
    ControlTest::TestHost host;
    RCPtr<LControl> parent;
};

TEST_F(LayoutTree, SiblingsAreFollowedWhenTheyMove) {
    auto anchor = Child("anchor", Fixed(10, 20, 50, 30));
    LLayoutDescriptor right;
    right.x = Axis(0, PositionReference::Control, 1, 5, SizeReference::Self, 0, 40);
    right.x.positionControlName = W("anchor");
    right.y = Axis(0, PositionReference::Control, 0, 0, SizeReference::Control, 1, 0);
    right.y.positionControlName = W("anchor");
    right.y.sizeControlName = W("anchor");
    auto follower = Child("follower", right);
    EXPECT_EQ(follower->GetRect(), (LRect{65, 20, 40, 30}));

    anchor->SetLayout(Fixed(100, 50, 20, 60));
    EXPECT_EQ(follower->GetRect(), (LRect{125, 50, 40, 60}));

    // A reference to a sibling that is not there measures from 0 with no extent.
    LLayoutDescriptor lost = right;
    lost.x.positionControlName = W("ghost");
    lost.y.positionControlName = W("ghost");
    lost.y.sizeControlName = W("ghost");
    lost.y.sizeAbsolute = 7;
    auto orphan = Child("orphan", lost);
    EXPECT_EQ(orphan->GetRect(), (LRect{5, 0, 40, 7}));
}

TEST_F(LayoutTree, ChildrenFollowTheParentsRectangleWithinTheirLimits) {
    LLayoutDescriptor fill;
    fill.x = Axis(0, PositionReference::Client, 0, 5, SizeReference::Client, 1, -5);
    fill.y = Axis(1, PositionReference::Client, 1, -5, SizeReference::Self, 0, 15);
    auto child = Child("fill", fill);
    EXPECT_EQ(child->GetRect(), (LRect{5, 180, 290, 15}));
    LLayoutDescriptor bigger = parent->GetLayout();
    bigger.x.sizeAbsolute = 400;
    bigger.y.sizeAbsolute = 100;
    parent->SetLayout(bigger);
    EXPECT_EQ(child->GetRect(), (LRect{5, 80, 390, 15}));
    // Size limits hold over the rules.
    LLayoutDescriptor rules = Fixed(0, 0, 10, 10);
    rules.x.minimumSize.absolute = 30;
    rules.y.maximumSize.absolute = 4;
    EXPECT_EQ(Child("limited", rules)->GetRect(), (LRect{0, 0, 30, 4}));
}

class FixedMeasurer : public ITextMeasurer {
public:
    LSize MeasureText(const LControl&, const String& text, double wrapWidth) override {
        lastWrap = wrapWidth;
        return {7.0 * static_cast<double>(text.size()), 12.0};
    }
    double lastWrap = -1;
};

TEST_F(LayoutTree, ExpandingTextFitsTheControlToItsContent) {
    FixedMeasurer measurer;
    host.measurer = &measurer;
    LLayoutDescriptor rules = Fixed(0, 0, 10, 10);
    rules.x.placementAnchor = 1;
    rules.x.positionAbsolute = 100;
    rules.textOverflowX = TextOverflowX::Expand;
    rules.textOverflowY = TextOverflowY::Expand;
    auto label = Child("label", rules);
    EXPECT_EQ(label->GetRect(), (LRect{90, 0, 10, 10}));  // no text: the rules alone
    label->SetText(W("abcd"));
    // 28 wide, still ending at its right-edge anchor; one line high.
    EXPECT_EQ(label->GetRect(), (LRect{72, 0, 28, 12}));
    EXPECT_EQ(measurer.lastWrap, 0);

    rules.textOverflowX = TextOverflowX::Wrap;
    label->SetLayout(rules);
    EXPECT_EQ(measurer.lastWrap, 10);
    EXPECT_EQ(label->GetRect().height, 12);
}

}  // namespace
}  // namespace Orv
