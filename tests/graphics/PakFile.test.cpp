#include "graphics/PakFile.h"

#include "graphics/PakInterface.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

namespace {

namespace fs = std::filesystem;

// Records which operations reach it and answers with recognisable values.
class RecordingPak : public PakInterfaceBase {
public:
    RecordingPak() { EXPECT_TRUE(RegisterPakInterface(this)); }
    ~RecordingPak() override { UnregisterPakInterface(this); }

    PakFileHandle* FOpen2(const char*, const char*) override { return nullptr; }
    PakFileHandle* FOpen(const char* name, const char*) override
    {
        calls += "open(" + std::string(name) + ")";
        return &handle;
    }
    int FClose(PakFileHandle*) override { return calls += "close", 11; }
    int FSeek(PakFileHandle*, long offset, int origin) override
    {
        calls += "seek" + std::to_string(offset) + "/" + std::to_string(origin);
        return 12;
    }
    long FTell(PakFileHandle*) override { return calls += "tell", 13; }
    size_t FRead(void*, size_t, size_t count, PakFileHandle*) override { return calls += "read", count; }
    int FGetC(PakFileHandle*) override { return calls += "getc", 'g'; }
    uint16_t FGetWC(PakFileHandle*) override { return calls += "getwc", 0x263A; }
    int UnGetC(int c, PakFileHandle*) override { return calls += "ungetc", c; }
    wchar_t* FGetWS(wchar_t*, int, PakFileHandle*) override { return nullptr; }
    char* FGetS(char*, int, PakFileHandle*) override { return nullptr; }
    int FEof(PakFileHandle*) override { return calls += "eof", 14; }
    PakFindHandle FindFirstFile(const char*, PakFindData*) override { return nullptr; }
    bool FindNextFile(PakFindHandle, PakFindData*) override { return false; }
    int FindClose(PakFindHandle) override { return 1; }

    std::string calls;
    PakFileHandle handle;
};

TEST(PakFile, WithoutAnInterfaceReadsTheDisk)
{
    ASSERT_EQ(GetPakInterface(), nullptr);
    const fs::path folder = fs::temp_directory_path() / ("ilvane-pakfile-" + std::to_string(getpid()));
    fs::create_directories(folder / "Properties");
    // UTF-16LE "A", CR, LF.
    std::ofstream(folder / "Properties" / "Resources.XML", std::ios::binary) << std::string("A\0\r\0\n\0", 6);

    EXPECT_EQ(PakFOpen((folder / "properties\\missing.xml").c_str(), "r"), nullptr);
    const std::string name = folder.string() + "\\properties\\resources.xml";
    PakFileHandle* handle = PakFOpen(name.c_str(), "rb");
    ASSERT_NE(handle, nullptr);
    EXPECT_EQ(handle->record, nullptr);
    EXPECT_NE(handle->file, nullptr);
    EXPECT_EQ(PakFGetWC(handle), u'A');
    EXPECT_EQ(PakFGetWC(handle), u'\n');
    EXPECT_EQ(PakFGetWC(handle), 0xFFFF);
    EXPECT_NE(PakFEof(handle), 0);
    EXPECT_EQ(PakFSeek(handle, 1, kPakSeekSet), 0);
    EXPECT_EQ(PakFTell(handle), 1);
    EXPECT_EQ(PakFGetC(handle), 0);
    EXPECT_EQ(PakUnGetC('q', handle), 'q');
    char buffer[8] = {};
    EXPECT_EQ(PakFRead(buffer, 1, sizeof(buffer), handle), 5u);
    EXPECT_EQ(buffer[0], 'q');
    EXPECT_EQ(PakFClose(handle), 0);

    std::error_code ignored;
    fs::remove_all(folder, ignored);
}

TEST(PakFile, WithAnInterfaceEveryCallReachesIt)
{
    RecordingPak pak;
    ASSERT_EQ(GetPakInterface(), &pak);
    // Also names that exist only on disk: the interface decides.
    PakFileHandle* handle = PakFOpen("/etc/hostname", "rb");
    EXPECT_EQ(handle, &pak.handle);
    char buffer[4];
    EXPECT_EQ(PakFSeek(handle, 3, kPakSeekEnd), 12);
    EXPECT_EQ(PakFTell(handle), 13);
    EXPECT_EQ(PakFRead(buffer, 1, 4, handle), 4u);
    EXPECT_EQ(PakFGetC(handle), 'g');
    EXPECT_EQ(PakFGetWC(handle), 0x263A);
    EXPECT_EQ(PakUnGetC('u', handle), 'u');
    EXPECT_EQ(PakFEof(handle), 14);
    EXPECT_EQ(PakFClose(handle), 11);
    EXPECT_EQ(pak.calls, "open(/etc/hostname)seek3/2tellreadgetcgetwcungetceofclose");
}

} // namespace
