#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <filesystem>

#include "OrvFramework/Utilities/Storage/File.h"
#include "OrvFramework/Utilities/Storage/PathServices.h"

namespace Orv {
namespace {

class FileTest : public ::testing::Test {
protected:
    void SetUp() override {
        char tmpl[] = "/tmp/orvfile-XXXXXX";
        ASSERT_NE(::mkdtemp(tmpl), nullptr);
        m_dir = tmpl;
        m_folder = String(Utf8ToUtf16(m_dir));
    }
    void TearDown() override { std::filesystem::remove_all(m_dir); }

    static std::string ErrorOf(const std::function<void()>& f) {
        try {
            f();
        } catch (const std::runtime_error& e) {
            return e.what();
        }
        return "no error";
    }

    std::string m_dir;
    String m_folder;
};

TEST_F(FileTest, CreateWriteReadAndFlagErrors) {
    OrvFile f;
    EXPECT_NE(ErrorOf([&] { f.Open(m_folder, W("missing.bin"), 0); }).find("Runtime Error : open : Orv::OrvFile::Open"),
              std::string::npos);
    EXPECT_NE(ErrorOf([&] { f.Open(String(), String(), 0); }).find("Runtime Error : invalid pathname"),
              std::string::npos);
    ASSERT_EQ(f.Open(m_folder, W("a.bin"), OrvFile::kCreate | OrvFile::kReadWrite), S_OK);
    EXPECT_EQ(f.GetPath(), String(Utf8ToUtf16(m_dir + "/a.bin")));
    EXPECT_EQ(f.Write("hello world", 11), 11);
    EXPECT_EQ(f.Write("W", 1, 6), 1);
    EXPECT_EQ(f.GetLength(), 11);
    char buf[16] = {};
    EXPECT_EQ(f.Read(buf, sizeof buf, 0), 11);
    EXPECT_EQ(std::string(buf, 11), "hello World");
    // Opening an open file keeps the first one.
    EXPECT_EQ(f.Open(m_folder, W("other.bin"), OrvFile::kCreate), S_FALSE);
    EXPECT_FALSE(PathServices::FileExists(m_folder + W("/other.bin")));
    f.Close();

    OrvFile readOnly;
    ASSERT_EQ(readOnly.Open(m_folder + W("/a.bin"), String(), 0), S_OK);  // the folder alone is the path
    // The read-only check comes before any seek, even to an impossible position.
    const std::string err = ErrorOf([&] { readOnly.Write("x", 1, -5); });
    EXPECT_EQ(err.rfind("Runtime Error : file is read only : Orv::OrvFile::Write", 0), 0u) << err;
    EXPECT_NE(ErrorOf([&] { readOnly.Read(buf, 1, -5); }).find("Runtime Error : lseek"), std::string::npos);

    OrvFile exclusive;
    EXPECT_NE(ErrorOf([&] {
                  exclusive.Open(m_folder, W("a.bin"), OrvFile::kCreate | OrvFile::kExclusive | OrvFile::kReadWrite);
              }).find("Runtime Error : open"),
              std::string::npos);
    EXPECT_FALSE(exclusive.IsOpen());
}

TEST_F(FileTest, CopiesShareTheDescriptorAndTheLastCloseDeletes) {
    OrvFile f;
    ASSERT_EQ(f.Open(m_folder, W("t.tmp"), OrvFile::kCreate | OrvFile::kReadWrite | OrvFile::kDeleteOnClose), S_OK);
    f.Write("abc", 3);
    OrvFile copy = f;
    EXPECT_EQ(f.Close(), S_OK);
    EXPECT_TRUE(PathServices::FileExists(m_folder + W("/t.tmp")));
    char buf[3];
    EXPECT_EQ(copy.Read(buf, 3, 0), 3);  // still open for the other holder
    EXPECT_EQ(std::string(buf, 3), "abc");
    copy.Close();
    EXPECT_FALSE(PathServices::FileExists(m_folder + W("/t.tmp")));
}

TEST_F(FileTest, PathServices) {
    EXPECT_EQ(PathServices::CleanFileName(W("Korvo/Audio: Drivers")), W("Korvo_Audio_ Drivers"));
    EXPECT_EQ(PathServices::CleanFileName(W("\\/:*?\"<>|&;,^()ok")), W("_______________ok"));
    const String deep = m_folder + W("/one/two/three");
    EXPECT_TRUE(PathServices::CreateFolder(deep));
    EXPECT_TRUE(PathServices::FolderExists(deep));
    EXPECT_FALSE(PathServices::FileExists(deep));  // a directory is not a file
    OrvFile f;
    f.Open(deep, W("x.txt"), OrvFile::kCreate);
    f.Close();
    EXPECT_TRUE(PathServices::FileExists(deep + W("/x.txt")));
    EXPECT_EQ(PathServices::GetLongPath(m_folder + W("/one/./two/../two/three/x.txt")),
              String(Utf8ToUtf16(std::filesystem::canonical(m_dir).string() + "/one/two/three/x.txt")));
    EXPECT_EQ(PathServices::ListFolder(m_folder + W("/one/two")), (std::vector<String>{W("three")}));
    PathServices::DirectoryListing listing;
    String name;
    EXPECT_EQ(listing.First(deep, name), S_OK);
    EXPECT_EQ(name, W("x.txt"));
    EXPECT_EQ(listing.Next(name), PathServices::E_NO_MORE_FILES);
    EXPECT_EQ(listing.First(m_folder + W("/nope"), name), E_FAIL);
}

}  // namespace
}  // namespace Orv
