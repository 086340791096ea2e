#include <gtest/gtest.h>

#include <filesystem>

#include "OrvFramework/Utilities/Storage/PathServices.h"

namespace Orv {
namespace {

TEST(PathServices, CleanFileNameAndNestedFolders) {
    EXPECT_EQ(PathServices::CleanFileName(W("Korvo/Audio: Drivers")), W("Korvo_Audio_ Drivers"));
    EXPECT_EQ(PathServices::CleanFileName(W("\\/:*?\"<>|&;,^()ok")), W("_______________ok"));
    const std::filesystem::path base = std::filesystem::path(::testing::TempDir()) / "orv-paths";
    std::filesystem::remove_all(base);
    const String deep(Utf8ToUtf16((base / "one/two/three").string()));
    EXPECT_TRUE(PathServices::CreateFolder(deep));
    EXPECT_TRUE(PathServices::CreateFolder(deep));  // already there
    EXPECT_TRUE(PathServices::FolderExists(deep));
    EXPECT_FALSE(PathServices::FileExists(deep));  // a directory is not a file
    std::filesystem::remove_all(base);
}

}  // namespace
}  // namespace Orv
