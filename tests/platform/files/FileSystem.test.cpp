#include "platform/files/FileSystem.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <fstream>
#include <string>

namespace fs = std::filesystem;

namespace {

std::span<const uint8_t> Bytes(const std::string& text)
{
    return {reinterpret_cast<const uint8_t*>(text.data()), text.size()};
}

std::string ReadText(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

void WriteText(const fs::path& path, const std::string& text)
{
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << text;
}

// A fresh folder per test below the per-process scratch folder.
class FileSystemTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        mRoot = fs::path(std::getenv("XDG_RUNTIME_DIR")) / "fs" / info->name();
        fs::remove_all(mRoot);
        fs::create_directories(mRoot);
    }
    std::string Root() const { return mRoot.string(); }
    fs::path mRoot;
};

TEST_F(FileSystemTest, ResolvesEveryComponentWithoutRegardToCase)
{
    WriteText(mRoot / "Data" / "Images" / "Board.PNG", "png");

    EXPECT_EQ(Platform::ResolvePath(Root() + "/data/IMAGES/board.png"), mRoot / "Data" / "Images" / "Board.PNG");
    EXPECT_EQ(Platform::ResolvePath(Root() + "\\DATA\\images\\BOARD.png"), mRoot / "Data" / "Images" / "Board.PNG");
    // A missing name keeps its spelling, below the folders that do exist.
    EXPECT_EQ(Platform::ResolvePath(Root() + "/data/images/New/File.txt"),
              mRoot / "Data" / "Images" / "New" / "File.txt");
    EXPECT_EQ(Platform::ResolvePath(Root() + "/data/missing/../images//./board.png"),
              mRoot / "Data" / "Images" / "Board.PNG");

    EXPECT_TRUE(Platform::FileExists(Root() + "\\data\\images\\board.png"));
    EXPECT_FALSE(Platform::FileExists(Root() + "\\data\\images"));
    EXPECT_TRUE(Platform::FolderExists(Root() + "\\DATA\\Images"));
    EXPECT_EQ(Platform::FileSize(Root() + "/DATA/IMAGES/BOARD.PNG"), 3u);
    EXPECT_EQ(Platform::FileSize(Root() + "/DATA/IMAGES"), std::nullopt);

    std::vector<uint8_t> data;
    ASSERT_TRUE(Platform::ReadWholeFile(Root() + "/data/images/board.png", data));
    EXPECT_EQ(std::string(data.begin(), data.end()), "png");
    EXPECT_FALSE(Platform::ReadWholeFile(Root() + "/data/images", data)) << "a folder is not a file";
    ASSERT_EQ(::mkfifo((mRoot / "pipe").c_str(), 0600), 0);
    EXPECT_FALSE(Platform::ReadWholeFile(Root() + "/pipe", data)) << "a FIFO neither hangs nor reads";
}

TEST_F(FileSystemTest, ExactNameWinsAndFoldersLeadFurther)
{
    WriteText(mRoot / "save" / "a.txt", "lower");
    WriteText(mRoot / "SAVE", "a file named like the folder");
    WriteText(mRoot / "Cfg.xml", "upper");
    WriteText(mRoot / "cfg.xml", "lower");

    EXPECT_EQ(Platform::ResolvePath(Root() + "/Save/A.TXT"), mRoot / "save" / "a.txt");
    EXPECT_EQ(Platform::ResolvePath(Root() + "/cfg.xml"), mRoot / "cfg.xml");
    EXPECT_EQ(Platform::ResolvePath(Root() + "/Cfg.xml"), mRoot / "Cfg.xml");
    EXPECT_EQ(Platform::ResolvePath(Root() + "/CFG.XML"), mRoot / "Cfg.xml") << "stable choice among case twins";
}

TEST_F(FileSystemTest, WritingCreatesInTheResolvedFolderWithTheNewName)
{
    fs::create_directories(mRoot / "Saves");
    FILE* file = Platform::OpenFile(Root() + "\\SAVES\\Player.DAT", "wb");
    ASSERT_NE(file, nullptr);
    std::fputs("x", file);
    std::fclose(file);
    EXPECT_TRUE(fs::is_regular_file(mRoot / "Saves" / "Player.DAT"));
    EXPECT_FALSE(fs::exists(mRoot / "SAVES"));

    EXPECT_TRUE(Platform::CreateFolders(Root() + "\\saves\\Shots\\Day1"));
    EXPECT_TRUE(fs::is_directory(mRoot / "Saves" / "Shots" / "Day1"));

    EXPECT_TRUE(Platform::RemoveFile(Root() + "/saves/player.dat"));
    EXPECT_FALSE(fs::exists(mRoot / "Saves" / "Player.DAT"));
    EXPECT_FALSE(Platform::RemoveFile(Root() + "/saves/shots")) << "folders are not removed as files";
    EXPECT_EQ(Platform::OpenFile(Root() + "/saves/none.dat", "rb"), nullptr);
}

TEST_F(FileSystemTest, FindsFilesByWildcardWithoutRegardToCase)
{
    WriteText(mRoot / "Levels" / "Day01.xml", "1");
    WriteText(mRoot / "Levels" / "day02.XML", "22");
    WriteText(mRoot / "Levels" / "Day10.xml", "333");
    WriteText(mRoot / "Levels" / "readme", "");
    fs::create_directories(mRoot / "Levels" / "Extra.xml");

    const auto found = Platform::FindFiles(Root() + "\\LEVELS\\day0?.xml");
    ASSERT_EQ(found.size(), 2u);
    EXPECT_EQ(found[0].name, "Day01.xml");
    EXPECT_EQ(found[0].size, 1u);
    EXPECT_EQ(found[1].name, "day02.XML");
    EXPECT_FALSE(found[1].isFolder);

    const auto xml = Platform::FindFiles(Root() + "/levels/*.xml");
    ASSERT_EQ(xml.size(), 4u);
    EXPECT_EQ(xml[3].name, "Extra.xml");
    EXPECT_TRUE(xml[3].isFolder);

    EXPECT_EQ(Platform::FindFiles(Root() + "/levels/*.*").size(), 5u) << "includes the name without extension";
    EXPECT_TRUE(Platform::FindFiles(Root() + "/nowhere/*").empty());
    EXPECT_TRUE(Platform::FindFiles(Root() + "/levels/").empty());
}

TEST(WildcardMatch, Cases)
{
    struct Case {
        const char* pattern;
        const char* name;
        bool match;
    };
    const Case kCases[] = {
        {"*", "anything", true},
        {"*.png", "A.PNG", true},
        {"*.png", "a.png.bak", false},
        {"a?c", "ABC", true},
        {"a?c", "ac", false},
        {"*a*b*c*", "xxAyyBzzC", true},
        {"*.*", "noext", true},
        {"*.", "noext", true},
        {"*.", "has.ext", false},
        {"", "", true},
        {"", "a", false},
        {"**?", "", false},
        {"a*a*a*a*a*a*b", "aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa", false},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(std::string(c.pattern) + " ~ " + c.name);
        EXPECT_EQ(Platform::WildcardMatch(c.pattern, c.name), c.match);
    }
}

TEST_F(FileSystemTest, AtomicWriteReplacesAndCreatesFolders)
{
    ASSERT_TRUE(Platform::WriteFileAtomic(Root() + "\\New\\Deep\\pref.dat", Bytes("first")));
    EXPECT_EQ(ReadText(mRoot / "New" / "Deep" / "pref.dat"), "first");
    ASSERT_TRUE(Platform::WriteFileAtomic(Root() + "/NEW/deep/PREF.DAT", Bytes("second")));
    EXPECT_EQ(ReadText(mRoot / "New" / "Deep" / "pref.dat"), "second") << "replaced under its existing name";
    ASSERT_TRUE(Platform::WriteFileAtomic(Root() + "/new/deep/pref.dat", {}));
    EXPECT_EQ(fs::file_size(mRoot / "New" / "Deep" / "pref.dat"), 0u);

    size_t entries = 0;
    for ([[maybe_unused]] const auto& entry : fs::directory_iterator(mRoot / "New" / "Deep")) {
        ++entries;
    }
    EXPECT_EQ(entries, 1u) << "no temporary file left behind";
}

TEST_F(FileSystemTest, FailedAtomicWriteLeavesTheOldFile)
{
    WriteText(mRoot / "pref.dat", "old");
    fs::create_directories(mRoot / "Folder");

    EXPECT_FALSE(Platform::WriteFileAtomic(Root() + "/folder", Bytes("new"))) << "a folder is in the way";
    EXPECT_TRUE(fs::is_directory(mRoot / "Folder"));

    {
        // A file-size limit makes the write fail half-way, as a full disk would (and works for root too). The
        // signal of the limit, left at its default, would end the process.
        rlimit saved{};
        ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
        rlimit small = saved;
        small.rlim_cur = 4;
        const auto previousHandler = std::signal(SIGXFSZ, SIG_DFL);
        ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
        const bool written = Platform::WriteFileAtomic(Root() + "/PREF.DAT", Bytes("much longer than four bytes"));
        ::setrlimit(RLIMIT_FSIZE, &saved);
        std::signal(SIGXFSZ, previousHandler);
        EXPECT_FALSE(written);
        EXPECT_EQ(ReadText(mRoot / "pref.dat"), "old");
    }

    size_t entries = 0;
    for ([[maybe_unused]] const auto& entry : fs::directory_iterator(mRoot)) {
        ++entries;
    }
    EXPECT_EQ(entries, 2u) << "the temporary file is removed";

    if (::geteuid() != 0) { // root writes into read-only folders
        fs::create_directories(mRoot / "locked");
        WriteText(mRoot / "locked" / "pref.dat", "old");
        ::chmod((mRoot / "locked").c_str(), 0555);
        const bool written = Platform::WriteFileAtomic(Root() + "/locked/pref.dat", Bytes("new"));
        ::chmod((mRoot / "locked").c_str(), 0755);
        EXPECT_FALSE(written);
        EXPECT_EQ(ReadText(mRoot / "locked" / "pref.dat"), "old");
    }
}

TEST(FileSystem, UserFoldersFollowTheEnvironment)
{
    EXPECT_EQ(Platform::AppDataFolder(), fs::path(std::getenv("XDG_DATA_HOME")));
    EXPECT_EQ(Platform::ConfigFolder(), fs::path(std::getenv("XDG_CONFIG_HOME")));

    // Other tests read these variables: put them back.
    const std::string savedConfig = std::getenv("XDG_CONFIG_HOME");
    const std::string savedData = std::getenv("XDG_DATA_HOME");
    const char* home = std::getenv("HOME");
    const std::string savedHome = home ? home : "";
    ::setenv("XDG_CONFIG_HOME", "relative/ignored", 1);
    ::unsetenv("XDG_DATA_HOME");
    ::setenv("HOME", "/home/tester", 1);
    EXPECT_EQ(Platform::ConfigFolder(), fs::path("/home/tester/.config"));
    EXPECT_EQ(Platform::AppDataFolder(), fs::path("/home/tester/.local/share"));
    ::setenv("XDG_CONFIG_HOME", savedConfig.c_str(), 1);
    ::setenv("XDG_DATA_HOME", savedData.c_str(), 1);
    if (home) {
        ::setenv("HOME", savedHome.c_str(), 1);
    } else {
        ::unsetenv("HOME");
    }

    EXPECT_TRUE(fs::exists(Platform::ExecutableFolder() / fs::path(program_invocation_name).filename()));
}

} // namespace
