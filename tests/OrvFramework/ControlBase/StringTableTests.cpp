// String tables: locale choice with per-document fallback, lookups, and the shipped translations.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "OrvFramework/ControlBase/ControlFactory.h"

namespace Orv {
namespace {

std::string Table(const std::string& id, const std::string& strings) {
    return "<StringTable ID=\"" + id + "\">" + strings + "</StringTable>";
}
std::string Str(const std::string& id, const std::string& locales) {
    return "<String ID=\"" + id + "\">" + locales + "</String>";
}
std::string Loc(const std::string& lcid, const std::string& text) {
    return "<Locale LCID=\"" + lcid + "\">" + text + "</Locale>";
}

class StringTables : public ::testing::Test {
protected:
    void SetUp() override {
        folder = std::filesystem::path(::testing::TempDir()) /
                 ("strings_" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        std::filesystem::create_directories(folder);
    }
    void TearDown() override { std::filesystem::remove_all(folder); }
    String Write(const char* name, const std::string& body) {
        const auto path = folder / name;
        std::ofstream(path, std::ios::binary)
            << "<Orvane_StringTable_Definitions>" << body << "</Orvane_StringTable_Definitions>";
        return String(Utf8ToUtf16(path.string()));
    }
    ORVRESULT Load(const std::string& app, const std::string& framework, std::uint32_t language) {
        return factory->LoadStringTables(Write("app.xml", app), Write("fw.xml", framework), language);
    }
    String Text(const char* table, const char* id) {
        String text = W("<none>");
        if (const auto t = factory->FindStringTable(W(table))) t->GetString(W(id), text);
        return text;
    }
    std::filesystem::path folder;
    RCPtr<LControlFactory> factory = MakeRC<LControlFactory>();
};

// The application document picks the requested language, else its primary language, else
// English, and a string lacking the chosen language has no text; the framework document is read
// with the language the application document settled on, falling back to English on its own.
TEST_F(StringTables, LanguageFallback) {
    struct Case {
        const char* what;
        std::string app, framework;
        std::uint32_t request;
        const char *a, *b, *f;
    };
    const std::string germanAndEnglishFile =
        Table("Framework", Str("F", Loc("0x0007", "Datei") + Loc("0x0009", "File")));
    const Case cases[] = {
        {"primary language",
         Table("T", Str("A", Loc("0x0009", "Yes") + Loc("0x0007", "Ja")) + Str("B", Loc("9", "Only English"))),
         germanAndEnglishFile, 0x0407, "Ja", "<none>", "Datei"},
        {"requested locale",
         Table("T", Str("A", Loc("0x0411", "はい") + Loc("0x0009", "Yes")) + Str("B", Loc("0x0009", "No"))),
         Table("Framework", Str("F", Loc("0x0009", "File") + Loc("0x0011", "ファイル"))), 0x0411, "はい", "<none>",
         "File"},
        {"English carried over", Table("T", Str("A", Loc("0x0009", "Yes"))), germanAndEnglishFile, 0x0407, "Yes",
         "<none>", "File"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        factory = MakeRC<LControlFactory>();
        ASSERT_EQ(Load(c.app, c.framework, c.request), S_OK);
        EXPECT_EQ(Text("T", "A"), W(c.a));
        EXPECT_EQ(Text("T", "B"), W(c.b));
        EXPECT_EQ(Text("Framework", "F"), W(c.f));
    }
}

TEST_F(StringTables, TraditionalChineseFallback) {
    for (std::uint32_t language : {0x0404u, 0x0C04u, 0x1404u}) {
        factory = MakeRC<LControlFactory>();
        ASSERT_EQ(
            Load(Table("T", Str("A", Loc("0x0004", "简") + Loc("0x7c04", "繁") + Loc("0x0009", "E"))), "", language),
            S_OK);
        EXPECT_EQ(Text("T", "A"), W("繁")) << language;
    }
    factory = MakeRC<LControlFactory>();
    ASSERT_EQ(Load(Table("T", Str("A", Loc("0x0004", "简") + Loc("0x7c04", "繁"))), "", 0x0804), S_OK);
    EXPECT_EQ(Text("T", "A"), W("简"));
}

TEST_F(StringTables, MissingOrBrokenDocumentsLeaveTablesMissing) {
    EXPECT_EQ(factory->LoadStringTables(W("/nonexistent/a.xml"), W("::NO_SUCH"), 0x0409), S_OK);
    EXPECT_FALSE(factory->GetFrameworkStringTable());
    EXPECT_EQ(Load(Table("T", Str("A", Loc("0x0009", "kept"))) + "<broken",
                   Table("Framework", Str("F", Loc("0x0009", "also kept"))) + "</wrong>", 0x0409),
              S_OK);
    EXPECT_EQ(Text("T", "A"), W("kept"));
    EXPECT_EQ(Text("Framework", "F"), W("also kept"));
    EXPECT_FALSE(factory->GetLastParseError().empty());
}

// The shipped documents in every language: every label of the main control has its text and none is a
// placeholder; the messages worded per platform have this platform's text.
TEST(ShippedStringTables, EveryLanguageHasEveryText) {
    for (std::uint32_t language : {0x0409u, 0x0C0Au, 0x0407u, 0x0411u, 0x040Cu, 0x0410u, 0x0412u, 0x0404u, 0x0804u}) {
        SCOPED_TRACE(language);
        auto factory = MakeRC<LControlFactory>();
        ASSERT_EQ(factory->LoadDefinitions(W("::"), language), S_OK);
        const auto main = factory->FindControlDescriptor(W("mainControl"));
        ASSERT_TRUE(main);
        String text;
        std::size_t labels = 0, platformTexts = 0;
        for (const auto& child : main->children) {
            const auto table = factory->GetStringTable(main.Get(), child->controlName);
            if (!table) continue;
            ++labels;
            ASSERT_TRUE(table->GetString(W("LABEL"), text));
            EXPECT_FALSE(text.empty());
            EXPECT_EQ(text.find(u"111111"), std::u16string::npos);
            platformTexts += table->HasString(W("LABEL_LINUX"));
        }
        EXPECT_EQ(labels, 15u);  // all but the picture, the progress bar and the post-install label
        EXPECT_EQ(platformTexts, 5u);
        for (const char* id :
             {"UPDATE_FIRMWARE_TO_VERSION", "WAIT_UNTIL_UPDATE_FINISHED", "SEARCHING_FOR_DEVICE", "CANCEL"}) {
            ASSERT_TRUE(factory->GetApplicationStringTable()->GetString(W(id), text)) << id;
            EXPECT_GT(text.size(), 1u) << id;
        }
    }
}

}  // namespace
}  // namespace Orv
