#include "shell/PathHelpers.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

namespace fs = std::filesystem;

namespace {

struct PathCase {
    std::string result;
    std::string expected;
};

TEST(PathHelpers, SplitsPathsAtEitherSeparator)
{
    const PathCase cases[] = {
        {Pyxo::GetFileName("a/b.c/d", true), "d"},
        {Pyxo::GetFileName("c:\\dir\\file.txt", true), "file"},
        {Pyxo::GetFileName("c:\\dir\\file.txt", false), "file.txt"},
        {Pyxo::GetFileName("archive.tar.gz", true), "archive.tar"},
        {Pyxo::GetFileName("file", false), "file"},
        {Pyxo::GetFileName("dir/", false), ""},
        {Pyxo::GetFileDir("c:\\dir/file", true), "c:\\dir/"},
        {Pyxo::GetFileDir("c:\\dir/file", false), "c:\\dir"},
        {Pyxo::GetFileDir("file", true), ""},
        {Pyxo::GetFileDir("/file", false), ""},
        {Pyxo::RemoveTrailingSlash("dir\\"), "dir"},
        {Pyxo::RemoveTrailingSlash("dir//"), "dir/"},
        {Pyxo::RemoveTrailingSlash(""), ""},
        {Pyxo::AddTrailingSlash("dir", false), "dir/"},
        {Pyxo::AddTrailingSlash("dir", true), "dir\\"},
        {Pyxo::AddTrailingSlash("dir\\", false), "dir\\"},
        {Pyxo::AddTrailingSlash("", true), ""},
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        EXPECT_EQ(cases[i].result, cases[i].expected) << "case " << i;
    }
}

TEST(PathHelpers, AppDataFolderEndsInASeparatorUnlessEmpty)
{
    const std::string before = Pyxo::GetAppDataFolder();
    Pyxo::SetAppDataFolder("/data/Product");
    EXPECT_EQ(Pyxo::GetAppDataFolder(), "/data/Product\\");
    Pyxo::SetAppDataFolder("/data/Product/");
    EXPECT_EQ(Pyxo::GetAppDataFolder(), "/data/Product/");
    Pyxo::SetAppDataFolder("");
    EXPECT_EQ(Pyxo::GetAppDataFolder(), "") << "an empty folder must not become the root";
    Pyxo::SetAppDataFolder(before);
}

// A scratch folder per test, removed by plain std::filesystem afterwards.
class PathHelpersOnDisk : public ::testing::Test {
protected:
    void SetUp() override
    {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        mRoot = fs::temp_directory_path() / ("pyxo-paths-" + std::to_string(::getpid()) + "-" + info->name());
        fs::remove_all(mRoot);
        fs::create_directories(mRoot);
    }
    void TearDown() override
    {
        std::error_code ignored;
        fs::permissions(mRoot, fs::perms::owner_all, fs::perm_options::add, ignored);
        fs::remove_all(mRoot, ignored);
    }
    static void Touch(const fs::path& file) { std::ofstream(file) << "x"; }

    fs::path mRoot;
};

TEST_F(PathHelpersOnDisk, MkDirCreatesEveryFolderAlongThePath)
{
    Pyxo::MkDir((mRoot / "a").string() + "\\b\\c");
    EXPECT_TRUE(fs::is_directory(mRoot / "a" / "b" / "c"));
    Pyxo::MkDir((mRoot / "a").string() + "/b/c/"); // existing folders are fine
    EXPECT_TRUE(fs::is_directory(mRoot / "a" / "b" / "c"));
}

TEST_F(PathHelpersOnDisk, DeltreeRemovesTheTreeButNeverFollowsALink)
{
    const fs::path outside = mRoot / "outside";
    fs::create_directories(outside / "inner");
    Touch(outside / "keep.txt");
    Touch(outside / "inner" / "keep2.txt");

    const fs::path tree = mRoot / "tree";
    fs::create_directories(tree / "sub" / "deeper");
    Touch(tree / "file.txt");
    Touch(tree / "sub" / "deeper" / "f");
    fs::create_directory_symlink(outside, tree / "sub" / "link-to-outside");
    fs::create_symlink(outside / "keep.txt", tree / "link-to-file");
    fs::create_symlink(mRoot / "missing", tree / "dangling");

    EXPECT_TRUE(Pyxo::Deltree(tree.string()));
    EXPECT_FALSE(fs::exists(fs::symlink_status(tree)));
    EXPECT_TRUE(fs::exists(outside / "keep.txt"));
    EXPECT_TRUE(fs::exists(outside / "inner" / "keep2.txt"));
}

TEST_F(PathHelpersOnDisk, DeltreeOfALinkToAFolderLeavesBothAlone)
{
    const fs::path outside = mRoot / "outside";
    fs::create_directories(outside);
    Touch(outside / "keep.txt");
    fs::create_directory_symlink(outside, mRoot / "link");

    EXPECT_FALSE(Pyxo::Deltree((mRoot / "link").string()));
    EXPECT_TRUE(fs::is_symlink(mRoot / "link"));
    EXPECT_TRUE(fs::exists(outside / "keep.txt"));
}

TEST_F(PathHelpersOnDisk, DeltreeFindsTheFolderWithoutRegardToCaseAndWithBackslashes)
{
    fs::create_directories(mRoot / "Cached" / "Sounds");
    Touch(mRoot / "Cached" / "Sounds" / "a.wav");
    EXPECT_TRUE(Pyxo::Deltree(mRoot.string() + "\\cached\\"));
    EXPECT_FALSE(fs::exists(mRoot / "Cached"));
}

TEST_F(PathHelpersOnDisk, DeltreeFailsOnWhatItCannotList)
{
    EXPECT_FALSE(Pyxo::Deltree((mRoot / "missing").string()));
    EXPECT_FALSE(Pyxo::Deltree("/"));
    EXPECT_FALSE(Pyxo::Deltree(""));
    Touch(mRoot / "plain");
    EXPECT_FALSE(Pyxo::Deltree((mRoot / "plain").string()));
    EXPECT_TRUE(fs::exists(mRoot / "plain"));
}

TEST_F(PathHelpersOnDisk, DeltreeKeepsGoingPastWhatItCannotRemove)
{
    if (::geteuid() == 0) {
        GTEST_SKIP() << "permissions do not stop the superuser";
    }
    const fs::path tree = mRoot / "tree";
    fs::create_directories(tree / "locked");
    Touch(tree / "locked" / "stuck");
    Touch(tree / "zz-removable");
    fs::permissions(tree / "locked", fs::perms::owner_read | fs::perms::owner_exec);

    EXPECT_FALSE(Pyxo::Deltree(tree.string()));
    EXPECT_FALSE(fs::exists(tree / "zz-removable"));
    EXPECT_TRUE(fs::exists(tree / "locked" / "stuck"));
    fs::permissions(tree / "locked", fs::perms::owner_all);
}

} // namespace
