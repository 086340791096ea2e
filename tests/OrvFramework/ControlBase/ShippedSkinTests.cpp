// The shipped skin and string tables, loaded from the program's resources, against the design
// tables they were written from.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "OrvFramework/ControlBase/ControlFactory.h"

namespace Orv {
namespace {

constexpr float kByte = 0.003921568859368563f;

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

    static RCPtr<LControlDescriptor> Main() { return factory->FindControlDescriptor(W("mainControl")); }
    static RCPtr<LControlDescriptor> Child(const RCPtr<LControlDescriptor>& parent, const char* name) {
        for (const auto& c : parent->children)
            if (c->controlName == W(name)) return c;
        return nullptr;
    }
};

TEST_F(ShippedSkin, LoadsFromResources) {
    ASSERT_EQ(result, S_OK) << factory->GetLastParseError();
    EXPECT_EQ(factory->GetApplicationName(), W("Sluice"));
    EXPECT_EQ(factory->GetBasePath(), W("::"));
    ASSERT_EQ(factory->GetRootCount(), 1u);
    const auto root = factory->GetRoot(0);
    EXPECT_EQ(root->className, W("Application"));
    EXPECT_EQ(root->controlName, W("Sluice"));
    EXPECT_EQ(root->skin->name, W("Skin1"));
    EXPECT_EQ(root->skin->fontName, W("Arial"));
    EXPECT_FLOAT_EQ(root->skin->fontSize, 8.25f);
    EXPECT_EQ(root->skin->fontStyle, 0);
    ASSERT_EQ(root->children.size(), 2u);
    EXPECT_EQ(root->children[0]->controlName, W("mainControl"));
    EXPECT_EQ(root->children[1]->controlName, W("toolTip"));
}

TEST_F(ShippedSkin, Colorizers) {
    struct Row { const char* name; unsigned argb; };
    for (const Row& row : {Row{"Tessel.V.Background", 0xFF303030}, Row{"Tessel.Text.White", 0xFFD9D9D9},
                           Row{"Tessel.FocusRectangle.t,b,l,r", 0xFFDB9A20},
                           Row{"ActiveBorder", 0xFFD4D0C8}, Row{"Tessel.Text.Orange", 0xFFDB9A20}}) {
        SCOPED_TRACE(row.name);
        const auto c = factory->FindColorizer(W(row.name));
        ASSERT_TRUE(c);
        EXPECT_EQ(c->type, LColorizer::Solid);
        EXPECT_FLOAT_EQ(c->color.alpha, static_cast<float>((row.argb >> 24) & 0xFF) * kByte);
        EXPECT_FLOAT_EQ(c->color.red, static_cast<float>((row.argb >> 16) & 0xFF) * kByte);
        EXPECT_FLOAT_EQ(c->color.green, static_cast<float>((row.argb >> 8) & 0xFF) * kByte);
        EXPECT_FLOAT_EQ(c->color.blue, static_cast<float>(row.argb & 0xFF) * kByte);
    }
}

TEST_F(ShippedSkin, Parts) {
    struct ColorRow { const char* name; const char* colorizer; float alpha; };
    for (const ColorRow& row : {ColorRow{"Tessel.V.Background", "Tessel.V.Background", 1.0f},
                                ColorRow{"Tessel.Text.White", "Tessel.Text.White", 1.0f},
                                ColorRow{"Tessel.Text.White.Disabled", "Tessel.Text.White", 0.3f},
                                ColorRow{"Tessel.Text.Orange", "Tessel.Text.Orange", 1.0f},
                                ColorRow{"Tessel.FocusRectangle.t,b,l,r", "Tessel.FocusRectangle.t,b,l,r", 1.0f},
                                ColorRow{"Tessel.TextLabel", "ActiveBorder", 0.0f},
                                ColorRow{"TransparentComplete", "ActiveBorder", 0.0f}}) {
        SCOPED_TRACE(row.name);
        const auto p = factory->FindPart(W(row.name));
        ASSERT_TRUE(p);
        EXPECT_EQ(p->width, 64);
        EXPECT_EQ(p->height, 64);
        EXPECT_EQ(p->resizeType, LVisualPartDescriptor::Tile);
        EXPECT_FALSE(p->image);
        EXPECT_FALSE(p->mask);
        ASSERT_TRUE(p->colorizer);
        EXPECT_EQ(p->colorizer.Get(), factory->FindColorizer(W(row.colorizer)).Get());
        EXPECT_FLOAT_EQ(p->colorizerAlphaMod, row.alpha);
    }
    struct ImageRow { const char* name; int w, h, x, y, resize; };
    const int T = LVisualPartDescriptor::Tile;
    for (const ImageRow& row : {
             ImageRow{"Tessel.ButtonTuner.0.l", 4, 15, 485, 31, T}, ImageRow{"Tessel.ButtonTuner.0.c", 20, 15, 489, 31, T},
             ImageRow{"Tessel.ButtonTuner.0.r", 3, 15, 509, 31, T}, ImageRow{"Tessel.ButtonTuner.6.l", 4, 15, 498, 61, T},
             ImageRow{"Tessel.ButtonTuner.6.c", 7, 15, 502, 61, T}, ImageRow{"Tessel.ButtonTuner.6.r", 3, 15, 509, 61, T},
             ImageRow{"Tessel.ButtonTuner.7.l", 4, 15, 485, 46, T}, ImageRow{"Tessel.ButtonTuner.7.c", 20, 15, 489, 46, T},
             ImageRow{"Tessel.ButtonTuner.7.r", 3, 15, 509, 46, T}, ImageRow{"Tessel.FocusRectangle.tl", 3, 3, 12, 3, T},
             ImageRow{"Tessel.FocusRectangle.tr", 3, 3, 15, 3, T}, ImageRow{"Tessel.FocusRectangle.bl", 3, 3, 12, 6, T},
             ImageRow{"Tessel.FocusRectangle.br", 3, 3, 15, 6, T}, ImageRow{"ProgressBar.Background", 422, 16, 0, 264, T},
             ImageRow{"ProgressBar.ActiveOverlay", 420, 14, 0, 280, T},
             ImageRow{"Pelnet.DevicePicture", 275, 103, 0, 407, LVisualPartDescriptor::Center},
             ImageRow{"Tessel.ToolTip.l", 11, 22, 62, 0, T}, ImageRow{"Tessel.ToolTip.c", 32, 22, 73, 0, T},
             ImageRow{"Tessel.ToolTip.r", 11, 22, 105, 0, T}}) {
        SCOPED_TRACE(row.name);
        const auto p = factory->FindPart(W(row.name));
        ASSERT_TRUE(p);
        EXPECT_EQ(p->resizeType, row.resize);
        EXPECT_FALSE(p->colorizer);
        ASSERT_TRUE(p->image);
        EXPECT_EQ(*p->image, (LImageReference{W("::VarnetUpdater.png"), row.x, row.y, row.w, row.h}));
        EXPECT_EQ(p->width, row.w);
        EXPECT_EQ(p->height, row.h);
    }
}

struct Dock {
    const char* part;
    unsigned flags;
    int l, t, r, b;
    int width = 0, height = 0;
};

void ExpectParts(const LLookDescriptor& look, const std::vector<Dock>& expected) {
    ASSERT_EQ(look.nonClientParts.size(), expected.size()) << Utf16ToUtf8(look.name);
    for (std::size_t i = 0; i < expected.size(); ++i) {
        const LDockedPart& d = look.nonClientParts[i];
        SCOPED_TRACE(Utf16ToUtf8(look.name) + " part " + std::to_string(i));
        EXPECT_EQ(d.part->name, W(expected[i].part));
        EXPECT_EQ(d.dockFlags, expected[i].flags);
        EXPECT_EQ(d.left, expected[i].l);
        EXPECT_EQ(d.top, expected[i].t);
        EXPECT_EQ(d.right, expected[i].r);
        EXPECT_EQ(d.bottom, expected[i].b);
        EXPECT_EQ(d.hasWidth, expected[i].width > 0);
        EXPECT_EQ(d.hasHeight, expected[i].height > 0);
        if (expected[i].width) {
            EXPECT_EQ(d.width, expected[i].width);
        }
        if (expected[i].height) {
            EXPECT_EQ(d.height, expected[i].height);
        }
    }
}

void ExpectClient(const LLookDescriptor& look, const char* part, int l, int t, int r, int b) {
    ASSERT_TRUE(look.clientPart) << Utf16ToUtf8(look.name);
    EXPECT_EQ(look.clientPart->part->name, W(part));
    EXPECT_EQ(look.clientPart->dockFlags, LDockedPart::DockAll);
    EXPECT_EQ(look.clientPart->left, l);
    EXPECT_EQ(look.clientPart->top, t);
    EXPECT_EQ(look.clientPart->right, r);
    EXPECT_EQ(look.clientPart->bottom, b);
    EXPECT_FALSE(look.clientPart->hasWidth);
    EXPECT_FALSE(look.clientPart->hasHeight);
}

void ExpectText(const LLookDescriptor& look, const char* foreground, double hAlign, double vAlign,
                int leftAbs = 0, int rightAbs = 0) {
    ASSERT_TRUE(look.hasTextProperties) << Utf16ToUtf8(look.name);
    EXPECT_EQ(look.textLeftRel, 0.0);
    EXPECT_EQ(look.textLeftAbs, leftAbs);
    EXPECT_EQ(look.textRightRel, 1.0);
    EXPECT_EQ(look.textRightAbs, rightAbs);
    EXPECT_EQ(look.textTopRel, 0.0);
    EXPECT_EQ(look.textTopAbs, 0);
    EXPECT_EQ(look.textBottomRel, 1.0);
    EXPECT_EQ(look.textBottomAbs, 0);
    EXPECT_DOUBLE_EQ(look.textHAlign, hAlign);
    EXPECT_DOUBLE_EQ(look.textVAlign, vAlign);
    EXPECT_EQ(look.textForegroundPart->name, W(foreground));
}

constexpr unsigned L = LDockedPart::DockLeft, Tp = LDockedPart::DockTop, R = LDockedPart::DockRight,
                   B = LDockedPart::DockBottom;

TEST_F(ShippedSkin, Looks) {
    auto look = [](const char* name) {
        const auto l = factory->FindLook(W(name));
        EXPECT_TRUE(l) << name;
        return l;
    };
    for (const char* plain : {"Tessel.V.Background", "TransparentComplete", "ProgressBar.ActiveOverlay",
                              "Pelnet.DevicePicture"}) {
        const auto l = look(plain);
        ASSERT_TRUE(l);
        ExpectClient(*l, plain, 0, 0, 0, 0);
        EXPECT_TRUE(l->nonClientParts.empty());
        EXPECT_FALSE(l->hasTextProperties);
    }
    const std::vector<Dock> frameTlBlTrBr = {
        {"Tessel.FocusRectangle.tl", L | Tp, 0, 0, 0, 0}, {"Tessel.FocusRectangle.bl", L | B, 0, 0, 0, 0},
        {"Tessel.FocusRectangle.tr", Tp | R, 0, 0, 0, 0}, {"Tessel.FocusRectangle.br", R | B, 0, 0, 0, 0}};
    const std::vector<Dock> frameTlTrBlBr = {frameTlBlTrBr[0], frameTlBlTrBr[2], frameTlBlTrBr[1], frameTlBlTrBr[3]};
    const char* edge = "Tessel.FocusRectangle.t,b,l,r";
    const std::vector<Dock> edges = {{edge, L | Tp | R, 3, 0, -3, 0, 0, 1}, {edge, L | R | B, 3, 0, -3, 0, 0, 1},
                                     {edge, L | Tp | B, 0, 3, 0, -3, 1, 0}, {edge, Tp | R | B, 0, 3, 0, -3, 1, 0}};
    auto button = [&](const char* name, const char* set, const std::vector<Dock>& frame, const char* fg) {
        const auto l = look(name);
        ASSERT_TRUE(l);
        const std::string prefix = std::string("Tessel.ButtonTuner.") + set;
        ExpectClient(*l, (prefix + ".c").c_str(), 4, 0, -3, 0);
        std::vector<Dock> parts = {{nullptr, L | Tp | B, 0, 0, 0, 0}, {nullptr, Tp | R | B, 0, 0, 0, 0}};
        const std::string left = prefix + ".l", right = prefix + ".r";
        parts[0].part = left.c_str();
        parts[1].part = right.c_str();
        if (!frame.empty()) {
            parts.insert(parts.end(), frame.begin(), frame.end());
            parts.insert(parts.end(), edges.begin(), edges.end());
        }
        ExpectParts(*l, parts);
        ExpectText(*l, fg, 0.5, 0.5);
    };
    button("Tessel.ButtonTuner.0", "0", {}, "Tessel.Text.White");
    button("Tessel.ButtonTuner.3,4,5", "0", frameTlBlTrBr, "Tessel.Text.White");
    button("Tessel.ButtonTuner.6", "6", {}, "Tessel.Text.White.Disabled");
    button("Tessel.ButtonTuner.7", "7", {}, "Tessel.Text.White");
    button("Tessel.ButtonTuner.10,11,12", "7", frameTlTrBlBr, "Tessel.Text.White");

    const auto label = look("Tessel.TextLabel");
    ASSERT_TRUE(label);
    ExpectClient(*label, "Tessel.TextLabel", 0, 0, 0, 0);
    ExpectText(*label, "Tessel.Text.White", 0.0, 0.0);

    const auto progress = look("ProgressBar.Background");
    ASSERT_TRUE(progress);
    ExpectClient(*progress, "TransparentComplete", 0, 0, 0, 0);
    ExpectParts(*progress, {{"ProgressBar.Background", L | Tp, 0, 0, 0, 0}});
    EXPECT_FALSE(progress->hasTextProperties);

    const auto tip = look("Tessel.ToolTip");
    ASSERT_TRUE(tip);
    ExpectClient(*tip, "Tessel.ToolTip.c", 11, 0, -11, 0);
    ExpectParts(*tip, {{"Tessel.ToolTip.l", L | Tp | B, 0, 0, 0, 0}, {"Tessel.ToolTip.r", Tp | R | B, 0, 0, 0, 0}});
    ExpectText(*tip, "Tessel.Text.Orange", 0.5, 0.5, 11, -11);
}

TEST_F(ShippedSkin, LookLists) {
    const auto buttons = factory->FindLookList(W("Tessel.ButtonTuner"));
    ASSERT_TRUE(buttons);
    const char* expected[14] = {"0", "0", "0", "3,4,5", "3,4,5", "3,4,5", "6",
                                "7", "7", "7", "10,11,12", "10,11,12", "10,11,12", "6"};
    ASSERT_EQ(buttons->GetCount(), 14u);
    for (int i = 0; i < 14; ++i) {
        ASSERT_TRUE(buttons->GetLook(i)) << i;
        EXPECT_EQ(buttons->GetLook(i)->name, W(std::string("Tessel.ButtonTuner.") + expected[i])) << i;
    }
    EXPECT_FALSE(buttons->GetLook(14));
    for (const char* name : {"ProgressBar.Background", "ProgressBar.ActiveOverlay"}) {
        const auto list = factory->FindLookList(W(name));
        ASSERT_TRUE(list);
        ASSERT_EQ(list->GetCount(), 3u);
        for (int i = 0; i < 3; ++i) EXPECT_EQ(list->GetLook(i).Get(), factory->FindLook(W(name)).Get());
    }
    for (const char* name : {"Tessel.V.Background", "Tessel.TextLabel", "TransparentComplete",
                             "Pelnet.DevicePicture", "Tessel.ToolTip"}) {
        const auto list = factory->FindLookList(W(name));
        ASSERT_TRUE(list) << name;
        ASSERT_EQ(list->GetCount(), 1u);
        EXPECT_EQ(list->GetLook(0).Get(), factory->FindLook(W(name)).Get());
    }
}

// One row of the control table: what differs from the defaults that every SubControl writes.
struct ControlRow {
    const char* name;
    const char* className;
    const char* parent;
    int order, tab;
    bool visible;
    float anchorX, anchorY;
    const char* xRef; float xRel; double xAbs;
    const char* yRef; float yRel; double yAbs;
    const char* xSizeRef; float xSizeRel; double xSizeAbs;
    double ySizeAbs;
    TextOverflowX overflowX;
    TextOverflowY overflowY;
    const char* lookList;
    const char* skinName;  // nullptr: the look list's name
};

constexpr auto C = TextOverflowX::Clip, EX = TextOverflowX::Expand, WR = TextOverflowX::Wrap;
constexpr auto CY = TextOverflowY::Clip, EY = TextOverflowY::Expand;
const char* const M = "mainControl";
const char* const P = "progressBar";
const char* const DP = "labelDevicePicture";

const ControlRow kControls[] = {
    {"buttonExit", "Framework.Button", M, 2, 2, true, 1, 1, "Client", 1, -5, "Client", 1, -5, "Self", 0, 80, 15, C, CY, "Tessel.ButtonTuner", nullptr},
    {"labelDeviceReady", "Framework.Label", M, 3, -2, true, 0, 0, "Client", 0, 5, "Client", 0, 175, "Client", 1, -10, 0, WR, EY, "Tessel.TextLabel", nullptr},
    {"labelRelaunchInstructionsWin", "Framework.Label", M, 4, -6, false, 0, 0, "Client", 0, 16, "Client", 0, 280, "Self", 0, 360, 0, WR, EY, "TransparentComplete", nullptr},
    {"labelDevicePicture", "Framework.Label", M, 5, -10, true, 0.5f, 0, "Client", 0.5f, 5, "Client", 0, 55, "Self", 0, 275, 103, C, CY, "Pelnet.DevicePicture", "Quillon.DevicePicture"},
    {"progressBar", "Framework.ProgressBar", M, 6, 0, true, 0, 1, "Client", 0, 5, "Client", 1, -5, "Self", 0, 422, 32, C, CY, "ProgressBar.Background", nullptr},
    {"labelUpdateInProcess", "Framework.Label", M, 7, -7, false, 0.5f, 0, "Client", 0.5f, 0, DP, 1, 42, "Self", 0, 420, 0, WR, EY, "Tessel.TextLabel", nullptr},
    {"labelRelaunchInstructionsMac", "Framework.Label", M, 8, -9, false, 0, 0, "Client", 0, 16, "Client", 0, 280, "Self", 0, 360, 0, WR, EY, "TransparentComplete", nullptr},
    {"buttonNext", "Framework.Button", M, 10, 1, true, 1, 0, "buttonExit", 0, -10, "buttonExit", 0, 0, "Self", 0, 80, 15, C, CY, "Tessel.ButtonTuner", nullptr},
    {"labelFirmwareFileMissingOrCorrupt", "Framework.Label", M, 11, -3, false, 0.5f, 0, "Client", 0.5f, 0, DP, 1, 38, "Self", 0, 360, 0, WR, EY, "Tessel.TextLabel", nullptr},
    {"labelFirmwareUpdateFailed", "Framework.Label", M, 12, -4, false, 0.5f, 0, "Client", 0.5f, 0, DP, 1, 35, "Self", 0, 360, 0, WR, EY, "Tessel.TextLabel", nullptr},
    {"labelFirmwareUpdateSucceed", "Framework.Label", M, 13, -5, false, 0.5f, 0, "Client", 0.5f, 0, DP, 1, 45, "Self", 0, 360, 0, WR, EY, "Tessel.TextLabel", nullptr},
    {"labelDeviceNotFound", "Framework.Label", M, 14, -1, false, 0.5f, 0, "Client", 0.5f, 0, DP, 1, 30, "Self", 0, 360, 0, WR, EY, "Tessel.TextLabel", nullptr},
    {"labelUpdateNotNeeded", "Framework.Label", M, 15, -8, false, 0.5f, 0, "Client", 0.5f, 0, DP, 1, 40, "Self", 0, 360, 0, WR, EY, "Tessel.TextLabel", nullptr},
    {"labelFirmwareImageUploadComplete", "Framework.Label", M, 16, -11, false, 0.5f, 0, "Client", 0.5f, 0, DP, 1, 41, "Self", 0, 340, 0, WR, EY, "Tessel.TextLabel", nullptr},
    {"labelDriverIsTooOld", "Framework.Label", M, 17, -12, false, 0.5f, 0, "Client", 0.5f, 0, DP, 1, 29, "Self", 0, 340, 64, WR, EY, "Tessel.TextLabel", nullptr},
    {"labelNoCommandLineParams", "Framework.Label", M, 18, -13, false, 0.5f, 0, "Client", 0.5f, 0, DP, 1, 23, "Self", 0, 340, 64, WR, EY, "Tessel.TextLabel", nullptr},
    {"labelWaitingForDeviceArrivalPostInstall", "Framework.Label", M, 19, -14, true, 0, 0, "Client", 0, 16, "Client", 0, 16, "Self", 0, 64, 64, C, CY, "TransparentComplete", nullptr},
    {"labelWaitingForDevicePrep", "Framework.Label", M, 20, -15, false, 0, 0, "Client", 0, 5, DP, 1, 55, "Client", 1, -10, 64, WR, EY, "Tessel.TextLabel", nullptr},
    {"activeOverlay", "Framework.Panel", P, 0, 0, true, 0, 0, "Client", 0, 1, "Client", 0, 1, "Self", 0, 420, 14, C, CY, "ProgressBar.ActiveOverlay", nullptr},
    {"percentCompleteLabel", "Framework.Label", P, 1, -1, true, 0, 0, "Client", 0, 370, "Client", 0, 16, "Self", 0, 0, 0, EX, EY, "Tessel.TextLabel", nullptr},
    {"timeRemainingLabel", "Framework.Label", P, 2, -2, true, 0, 0, "Client", 0, 16, "Client", 0, 16, "Self", 0, 0, 0, EX, EY, "Tessel.TextLabel", nullptr},
    {"labelPercentComplete", "Framework.Label", P, 3, -3, true, 0, 0, "percentCompleteLabel", 1, 0, "percentCompleteLabel", 0, 0, "Self", 0, 64, 64, C, CY, "Tessel.TextLabel", nullptr},
};

void ExpectPosition(const LAxisLayout& axis, const char* ref, float rel, double abs) {
    const std::u16string r = W(ref);
    if (r == u"Client") {
        EXPECT_EQ(axis.positionReference, PositionReference::Client);
    } else {
        EXPECT_EQ(axis.positionReference, PositionReference::Control);
        EXPECT_EQ(axis.positionControlName, r);
    }
    EXPECT_FLOAT_EQ(axis.positionRelative, rel);
    EXPECT_EQ(axis.positionAbsolute, abs);
}

void ExpectSelfLimits(const LAxisLayout& axis, double abs) {
    for (const LSizeLimit* limit : {&axis.minimumSize, &axis.maximumSize}) {
        EXPECT_EQ(limit->reference, LimitReference::Self);
        EXPECT_EQ(limit->relative, 0.0f);
        EXPECT_EQ(limit->absolute, abs);
    }
}

TEST_F(ShippedSkin, ControlTreeInLayoutOrder) {
    const auto main = Main();
    ASSERT_TRUE(main);
    std::vector<std::u16string> names;
    for (const auto& c : main->children) names.push_back(c->controlName);
    std::vector<std::u16string> expected;
    for (const ControlRow& row : kControls)
        if (row.parent == M) expected.push_back(W(row.name));
    EXPECT_EQ(names, expected);
    const auto progress = Child(main, "progressBar");
    ASSERT_TRUE(progress);
    ASSERT_EQ(progress->children.size(), 4u);
    for (const auto& c : progress->children) EXPECT_EQ(c->GetParent(), progress.Get());
}

TEST_F(ShippedSkin, EveryControlsLayoutAndSkin) {
    for (const ControlRow& row : kControls) {
        SCOPED_TRACE(row.name);
        const auto parent = row.parent == M ? Main() : Child(Main(), row.parent);
        ASSERT_TRUE(parent);
        const auto control = Child(parent, row.name);
        ASSERT_TRUE(control);
        EXPECT_EQ(control->className, W(row.className));
        EXPECT_EQ(control->GetParent(), parent.Get());
        const LLayoutDescriptor& l = *control->layout;
        EXPECT_EQ(l.layoutOrder, row.order);
        EXPECT_EQ(l.tabStop, row.tab);
        EXPECT_EQ(l.visible, row.visible);
        EXPECT_TRUE(l.clipToParent);
        EXPECT_EQ(l.zOrder, 0);
        EXPECT_FALSE(l.x.docked);
        EXPECT_FALSE(l.y.docked);
        EXPECT_FLOAT_EQ(l.x.placementAnchor, row.anchorX);
        EXPECT_FLOAT_EQ(l.y.placementAnchor, row.anchorY);
        ExpectPosition(l.x, row.xRef, row.xRel, row.xAbs);
        ExpectPosition(l.y, row.yRef, row.yRel, row.yAbs);
        EXPECT_EQ(l.x.sizeReference,
                  W(row.xSizeRef) == u"Client" ? SizeReference::Client : SizeReference::Self);
        EXPECT_FLOAT_EQ(l.x.sizeRelative, row.xSizeRel);
        EXPECT_EQ(l.x.sizeAbsolute, row.xSizeAbs);
        EXPECT_EQ(l.y.sizeReference, SizeReference::Self);
        EXPECT_EQ(l.y.sizeRelative, 0.0f);
        EXPECT_EQ(l.y.sizeAbsolute, row.ySizeAbs);
        ExpectSelfLimits(l.x, 0);
        ExpectSelfLimits(l.y, 0);
        EXPECT_EQ(l.textOverflowX, row.overflowX);
        EXPECT_EQ(l.textOverflowY, row.overflowY);
        ASSERT_TRUE(control->skin);
        EXPECT_EQ(control->skin->name, W(row.skinName ? row.skinName : row.lookList));
        EXPECT_EQ(control->skin->lookList.Get(), factory->FindLookList(W(row.lookList)).Get());
        EXPECT_EQ(control->skin->fontStyle, -1);
        EXPECT_FALSE(control->createParameters);
    }
}

TEST_F(ShippedSkin, TopLevelControls) {
    const auto main = Main();
    ASSERT_TRUE(main);
    EXPECT_EQ(main->className, W("FirmwareUpdater.MainControl"));
    const LLayoutDescriptor& m = *main->layout;
    EXPECT_EQ(m.layoutOrder, 0);
    EXPECT_EQ(m.x.positionReference, PositionReference::Parent);  // "Screen"
    EXPECT_EQ(m.y.positionReference, PositionReference::Parent);
    EXPECT_EQ(m.x.sizeAbsolute, 432.0);
    EXPECT_EQ(m.y.sizeAbsolute, 295.0);
    ExpectSelfLimits(m.x, 432.0);
    ExpectSelfLimits(m.y, 295.0);
    EXPECT_EQ(main->skin->name, W("Tessel.Background"));
    EXPECT_EQ(main->skin->lookList.Get(), factory->FindLookList(W("Tessel.V.Background")).Get());

    const auto tip = factory->FindControlDescriptor(W("toolTip"));
    ASSERT_TRUE(tip);
    EXPECT_EQ(tip->className, W("Framework.ToolTip"));
    const LLayoutDescriptor& t = *tip->layout;
    EXPECT_EQ(t.layoutOrder, 1);
    EXPECT_EQ(t.tabStop, 0);  // the file says -1: ignored under the root
    EXPECT_TRUE(t.visible);
    EXPECT_FALSE(t.clipToParent);
    EXPECT_EQ(t.zOrder, 9999);
    EXPECT_EQ(t.x.positionReference, PositionReference::Client);  // "Active Window"
    EXPECT_EQ(t.x.positionAbsolute, 16.0);
    EXPECT_EQ(t.y.positionAbsolute, 16.0);
    EXPECT_EQ(t.x.sizeAbsolute, 0.0);
    EXPECT_EQ(t.y.sizeAbsolute, 22.0);
    EXPECT_EQ(t.textOverflowX, TextOverflowX::Expand);
    EXPECT_EQ(t.textOverflowY, TextOverflowY::Expand);
    EXPECT_EQ(tip->skin->lookList.Get(), factory->FindLookList(W("Tessel.ToolTip")).Get());
}

TEST_F(ShippedSkin, EnglishStrings) {
    String text;
    const auto app = factory->GetApplicationStringTable();
    ASSERT_TRUE(app);
    ASSERT_TRUE(app->GetString(W("UPDATE_FIRMWARE_TO_VERSION"), text));
    EXPECT_EQ(text, W("Welcome to the Varnet Firmware Updater. This application will update your Varnet to "
                      "firmware version"));
    const auto main = Main();
    auto label = [&](const LControlDescriptor* parent, const char* name) {
        String value;
        const auto table = factory->GetStringTable(parent, W(name));
        EXPECT_TRUE(table) << name;
        if (table) {
            EXPECT_TRUE(table->GetString(W("LABEL"), value)) << name;
        }
        return value;
    };
    EXPECT_EQ(label(nullptr, "mainControl"), W("Varnet Firmware Updater"));
    EXPECT_EQ(label(nullptr, "toolTip"), W("Tool Tip Test Text"));
    EXPECT_EQ(label(main.Get(), "buttonExit"), W("Exit"));
    EXPECT_EQ(label(main.Get(), "buttonNext"), W("Next"));
    EXPECT_EQ(label(main.Get(), "labelUpdateInProcess"),
              W("Uploading new firmware: Please do not unplug or detach your Varnet. "));
    EXPECT_EQ(label(main.Get(), "labelRelaunchInstructionsWin"),
              W("To launch this application at a later time, please launch \"Varnet\" from Korvo > "
                "Firmware Updater in the Windows Start Menu."));
    const auto progress = Child(main, "progressBar");
    EXPECT_EQ(label(progress.Get(), "percentCompleteLabel"), W("0%"));
    EXPECT_EQ(label(progress.Get(), "timeRemainingLabel"), W("0sec"));
    EXPECT_EQ(label(progress.Get(), "labelPercentComplete"), W("%"));
    EXPECT_FALSE(factory->GetStringTable(main.Get(), W("labelWaitingForDeviceArrivalPostInstall")));

    const auto framework = factory->GetFrameworkStringTable();
    ASSERT_TRUE(framework);
    EXPECT_EQ(framework->GetCount(), 37u);
    ASSERT_TRUE(framework->GetString(W("GL_ERROR_MESSAGE_GET_PROC_ADDRESS"), text));
    EXPECT_EQ(text, W("wglGetProcAddress(\\\"wglGetExtensionsStringARB\\\") failed with error %d: %s."));
    ASSERT_TRUE(framework->GetString(W("EXCEPTION_ID"), text));
    EXPECT_EQ(text, W("The application has encountered Error ID %d.  Please contact Orvane Technical Support."));
}

}  // namespace
}  // namespace Orv
