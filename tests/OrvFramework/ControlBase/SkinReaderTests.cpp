// The skin reader on small documents: the top-level rules and bad documents. (The values of the shipped
// skin: the painted pages.)
#include <gtest/gtest.h>

#include <string>
#include <tuple>

#include "OrvFramework/ControlBase/ControlFactory.h"

namespace Orv {
namespace {

std::string Doc(const std::string& body) { return "<Other>" + body + "</Other>"; }

// A control inside a top-level skin, written with the given attributes.
std::string Tree(const std::string& inner) { return Doc("<Skins><Skin Name=\"S\">" + inner + "</Skin></Skins>"); }

class SkinReader : public ::testing::Test {
protected:
    ORVRESULT Parse(const std::string& text) { return factory->ParseXML(text.data(), text.size()); }
    RCPtr<LControlDescriptor> Find(const RCPtr<LControlDescriptor>& parent, const char* name) {
        for (const auto& c : parent->children)
            if (c->controlName == W(name)) return c;
        return nullptr;
    }
    RCPtr<LControlFactory> factory = MakeRC<LControlFactory>();
};

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

TEST_F(SkinReader, MissingDocuments) {
    EXPECT_EQ(factory->LoadSkins(W("::NO_SUCH_RESOURCE")), E_FAIL);
    EXPECT_EQ(factory->LoadSkins(W("/nonexistent/Skins.xml")), E_FAIL);
    // The resource name takes underscores for dots and ignores case.
    EXPECT_EQ(factory->LoadSkins(W("::app.skins")), S_OK) << factory->GetLastParseError();
    EXPECT_TRUE(factory->FindControlDescriptor(W("mainControl")));
}

}  // namespace
}  // namespace Orv
