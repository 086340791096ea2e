// The skin reader on small documents: number and colour values, the top-level rules, bad documents.
#include <gtest/gtest.h>

#include <string>
#include <tuple>

#include "OrvFramework/ControlBase/ControlFactory.h"

namespace Orv {
namespace {

constexpr float kByte = 0.003921568859368563f;

std::string Doc(const std::string& body) { return "<Other>" + body + "</Other>"; }

// A control inside a top-level skin, written with the given attributes.
std::string Tree(const std::string& inner) { return Doc("<Skins><Skin Name=\"S\">" + inner + "</Skin></Skins>"); }

class SkinReader : public ::testing::Test {
protected:
    ORVRESULT Parse(const std::string& text) { return factory->ParseXML(text.data(), text.size()); }
    int PartWidth(const std::string& width) {
        auto f = MakeRC<LControlFactory>();
        const std::string text =
            Doc("<Colorizer Name=\"c\" ColorType=\"SolidFill\" Color=\"0xFF000000\"/>"
                "<Part Name=\"p\" Width=\"" +
                width + "\" Height=\"1\" ResizeType=\"Tile\" ColorizerName=\"c\"/>");
        EXPECT_EQ(f->ParseXML(text.data(), text.size()), S_OK);
        const auto part = f->FindPart(W("p"));
        return part ? part->width : -999;
    }
    LColor Color(const std::string& value) {
        auto f = MakeRC<LControlFactory>();
        const std::string text = Doc("<Colorizer Name=\"c\" ColorType=\"SolidFill\" Color=\"" + value + "\"/>");
        EXPECT_EQ(f->ParseXML(text.data(), text.size()), S_OK);
        const auto c = f->FindColorizer(W("c"));
        return c ? c->color : LColor{-1, -1, -1, -1};
    }
    RCPtr<LControlDescriptor> Find(const RCPtr<LControlDescriptor>& parent, const char* name) {
        for (const auto& c : parent->children)
            if (c->controlName == W(name)) return c;
        return nullptr;
    }
    RCPtr<LControlFactory> factory = MakeRC<LControlFactory>();
};

TEST_F(SkinReader, IntegerAndColorSyntax) {
    // Hexadecimal takes at most four digits and only a lower-case x; decimal stops at the first letter.
    const std::pair<const char*, int> widths[] = {{"0x1F", 31}, {"0x12345", 0x1234}, {"0x1g", 1}, {"0X1F", 0},
                                                  {"12px", 12}, {"-7", -7},          {"abc", 0}};
    for (const auto& [text, width] : widths) EXPECT_EQ(PartWidth(text), width) << text;
    // Six digits leave alpha as it was (0), two are alpha alone, three are nothing.
    const std::pair<const char*, LColor> colors[] = {
        {"0xFF8000", {255 * kByte, 128 * kByte, 0, 0}},
        {"80", {0, 0, 0, 128 * kByte}},
        {"0x123", {0, 0, 0, 0}},
        {"0X40102030", {0x10 * kByte, 0x20 * kByte, 0x30 * kByte, 0x40 * kByte}}};
    for (const auto& [text, expected] : colors) {
        const LColor c = Color(text);
        for (auto [got, want] : {std::pair(c.red, expected.red), std::pair(c.green, expected.green),
                                 std::pair(c.blue, expected.blue), std::pair(c.alpha, expected.alpha)})
            EXPECT_FLOAT_EQ(got, want) << text;
    }
}

TEST_F(SkinReader, TopLevelControlsAndChildOrder) {
    ASSERT_EQ(Parse(Tree("<SubControl Class=\"K\" Name=\"top\" TabStop=\"-3\" IsVisible=\"False\" Z_Order=\"4\">"
                         "<SubControl Class=\"K\" Name=\"two\" LayoutOrder=\"2\" TabStop=\"-3\" IsVisible=\"False\"/>"
                         "<SubControl Class=\"K\" Name=\"zero\" LayoutOrder=\"0\"/>"
                         "<SubControl Class=\"K\" Name=\"one\" LayoutOrder=\"0x1\"/></SubControl>")),
              S_OK);
    const auto top = factory->FindControlDescriptor(W("top"));
    ASSERT_TRUE(top);
    EXPECT_EQ(std::tuple(top->layout->tabStop, top->layout->visible, top->layout->zOrder), std::tuple(0, true, 4));
    const auto two = Find(top, "two");
    EXPECT_EQ(std::tuple(two->layout->tabStop, two->layout->visible), std::tuple(-3, false));
    std::vector<String> names;
    for (const auto& child : top->children) names.push_back(child->controlName);
    EXPECT_EQ(names, (std::vector<String>{W("zero"), W("one"), W("two")}));
}

TEST_F(SkinReader, BadSubControlEndsTheParseAndKeepsWhatWasRead) {
    const std::string text =
        Doc("<Colorizer Name=\"c\" ColorType=\"SolidFill\" Color=\"FF\"/>\n"
            "<Skins><Skin><SubControl Class=\"K\" Name=\"ok\"/>\n"
            "<SubControl Class=\"K\"/></Skin></Skins>"
            "<Colorizer Name=\"after\" ColorType=\"SolidFill\" Color=\"FF\"/>");
    EXPECT_EQ(factory->ParseXML(text.data(), text.size()), E_FAIL);
    EXPECT_NE(factory->GetLastParseError().find("Runtime Error : Bad Subcontrol Element : "
                                                "Orv::LControlFactory::XMLStartElement"),
              std::string::npos)
        << factory->GetLastParseError();
    EXPECT_EQ(factory->GetLastParseErrorLine(), 3);
    EXPECT_TRUE(factory->FindColorizer(W("c")));
    EXPECT_FALSE(factory->FindColorizer(W("after")));
    EXPECT_TRUE(factory->FindControlDescriptor(W("ok")));
}

TEST_F(SkinReader, MalformedDocumentsFailCleanly) {
    const std::string broken = "<a>\n<Colorizer Name=\"c\" ColorType=\"SolidFill\" Color=\"FF\"/>\n<b></a>";
    EXPECT_EQ(Parse(broken), E_FAIL);
    EXPECT_EQ(factory->GetLastParseError(), "mismatched tag");
    EXPECT_EQ(factory->GetLastParseErrorLine(), 3);
    EXPECT_TRUE(factory->FindColorizer(W("c")));

    for (const char* bad : {"", "<", "<a", "no xml", "<a><b>", "<?xml version=\"1.0\" encoding=\"bogus\"?><a/>",
                            "<a x=\"1\" x=\"2\"/>", "<a>&undefined;</a>"}) {
        auto f = MakeRC<LControlFactory>();
        EXPECT_EQ(f->ParseXML(bad, std::char_traits<char>::length(bad) ? std::char_traits<char>::length(bad) : 1),
                  E_FAIL)
            << bad;
        EXPECT_FALSE(f->GetLastParseError().empty()) << bad;
    }
    // Elements outside their place never crash: parts before any look, entries without a list,
    // skins and controls closed out of order.
    EXPECT_EQ(Parse(Doc("<ClientPart Name=\"p\" OffsetLeft=\"0\" OffsetTop=\"0\" OffsetRight=\"0\" OffsetBottom=\"0\"/>"
                        "<NonClientPart Name=\"p\"/><TextProperties/><Look Name=\"x\" Index=\"0\"/>"
                        "<LookLists><SubControl Class=\"K\" Name=\"orphan\"><SubControl Class=\"K\" Name=\"kid\"/>"
                        "<Skin LookList=\"none\"/><LookList Name=\"n\" NumLooks=\"1\"/></SubControl></LookLists>"
                        "<CreateParam ID=\"x\">y</CreateParam><CreateParamList/>")),
              S_OK);
    EXPECT_EQ(factory->GetRootCount(), 0u);
}

TEST_F(SkinReader, ZeroLengthMeansZeroTerminatedAndUtf16IsRead) {
    EXPECT_EQ(factory->ParseXML("<r><Application Name=\"Z\"/></r>", 0), S_OK);
    EXPECT_EQ(factory->GetApplicationName(), W("Z"));

    const std::u16string text = u"\uFEFF<r><Application Name=\"\u00DCber\"/></r>";
    auto f = MakeRC<LControlFactory>();
    EXPECT_EQ(f->ParseXML(reinterpret_cast<const char*>(text.data()), text.size() * 2), S_OK) << f->GetLastParseError();
    EXPECT_EQ(f->GetApplicationName(), u"\u00DCber");
}

TEST_F(SkinReader, SeveralRootsAndTheCurrentOne) {
    ASSERT_EQ(Parse(Tree("<SubControl Class=\"K\" Name=\"x\" LayoutOrder=\"1\"/>"
                         "<SubControl Class=\"K2\" Name=\"x\" LayoutOrder=\"2\"/>")),
              S_OK);
    ASSERT_EQ(Parse(Tree("<SubControl Class=\"Second\" Name=\"x\"/>")), S_OK);
    ASSERT_EQ(factory->GetRootCount(), 2u);
    EXPECT_EQ(factory->FindControlDescriptor(W("x"))->className, W("K2"));  // the last one wins
    EXPECT_EQ(factory->SetCurrentRootIndex(1), S_OK);
    EXPECT_EQ(factory->FindControlDescriptor(W("x"))->className, W("Second"));
    EXPECT_EQ(factory->SetCurrentRootIndex(2), E_INVALIDARG);
    EXPECT_FALSE(factory->FindControlDescriptor(W("missing")));
}

TEST_F(SkinReader, MissingDocuments) {
    EXPECT_EQ(factory->LoadSkins(W("::NO_SUCH_RESOURCE")), E_FAIL);
    EXPECT_EQ(factory->LoadSkins(W("/nonexistent/Skins.xml")), E_FAIL);
    // The resource name takes underscores for dots and ignores case.
    EXPECT_EQ(factory->LoadSkins(W("::app.skins")), S_OK) << factory->GetLastParseError();
    EXPECT_TRUE(factory->FindControlDescriptor(W("mainControl")));
}

}  // namespace
}  // namespace Orv
