#include "graphics/PakInterface.h"

#include "graphics/PakFile.h"
#include "platform/log/Log.h"
#include "tests/TestHelpers.h"
#include "tools/pak/PakWriter.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using TestHelpers::QuietLog;

std::vector<uint8_t> Bytes(const std::string& text)
{
    return std::vector<uint8_t>(text.begin(), text.end());
}

std::vector<uint8_t> Pack(const std::vector<PakTool::PakEntry>& entries)
{
    std::vector<uint8_t> out;
    std::string error;
    EXPECT_TRUE(PakTool::BuildPak(entries, out, error)) << error;
    return out;
}

// A scratch folder that is also the working directory, so relative names reach it.
class PakFolder : public TestHelpers::ScratchFolder {
public:
    PakFolder() : ScratchFolder("pak"), mHere(Path()) {}

private:
    TestHelpers::WorkingFolder mHere;
};

std::string ReadAll(PakInterfaceBase& pak, PakFileHandle* handle)
{
    std::string text;
    char buffer[7];
    size_t got = 0;
    while ((got = pak.FRead(buffer, 1, sizeof(buffer), handle)) > 0) {
        text.append(buffer, got);
    }
    return text;
}

TEST(PakInterface, RoundTripsNamesSizesTimesAndContents)
{
    const std::vector<PakTool::PakEntry> entries = {
        {"cfg\\ui.xml", Bytes("<ui/>"), 0x01D2'3456'789A'BCDEull},
        {"data\\Pic.png", Bytes(std::string("\x00\xA9\xFF\x56", 4)), 42},
        {"empty.txt", {}, 7},
    };
    const std::vector<uint8_t> archive = Pack(entries);

    // Every stored byte, header included, is XOR-ed with the key.
    ASSERT_GE(archive.size(), 8u);
    EXPECT_EQ(archive[0], uint8_t(0xC0 ^ kPakKey));
    EXPECT_EQ(archive[3], uint8_t(0xBA ^ kPakKey));
    EXPECT_EQ(archive[4], kPakKey);

    PakInterface pak;
    ASSERT_TRUE(pak.AddPakBytes("test.pak", archive));
    for (const auto& entry : entries) {
        SCOPED_TRACE(entry.name);
        const PakRecord* record = pak.FindRecord(entry.name);
        ASSERT_NE(record, nullptr);
        EXPECT_EQ(record->name, entry.name);
        EXPECT_EQ(record->size, entry.data.size());
        EXPECT_EQ(record->fileTime, entry.fileTime);
        PakFileHandle* handle = pak.FOpen(entry.name.c_str(), "rb");
        ASSERT_NE(handle, nullptr);
        EXPECT_EQ(handle->file, nullptr);
        EXPECT_EQ(ReadAll(pak, handle), std::string(entry.data.begin(), entry.data.end()));
        EXPECT_TRUE(pak.FEof(handle));
        EXPECT_EQ(pak.FClose(handle), 0);
    }
}

TEST(PakInterface, BuilderPacksAFolderWithNamesAndTimes)
{
    PakFolder folder;
    folder.Write("content/Sub/b.txt", "bee");
    folder.Write("content/a.txt", "ay");
    // 2020-01-01 00:00:00 UTC, as a FILETIME: 100 ns units since 1601.
    const auto when = std::chrono::sys_seconds(std::chrono::seconds(1577836800));
    fs::last_write_time(folder.Path() / "content/Sub/b.txt", std::chrono::file_clock::from_sys(when));

    std::vector<PakTool::PakEntry> entries;
    std::string error;
    ASSERT_TRUE(PakTool::CollectFolder(folder.Path() / "content", entries, error)) << error;
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].name, "Sub\\b.txt");
    EXPECT_EQ(entries[1].name, "a.txt");
    EXPECT_EQ(entries[0].fileTime, 132223104000000000ull);

    PakInterface pak;
    ASSERT_TRUE(pak.AddPakBytes("content.pak", Pack(entries)));
    const PakRecord* record = pak.FindRecord("sub/B.TXT");
    ASSERT_NE(record, nullptr);
    EXPECT_EQ(record->size, 3u);
    EXPECT_EQ(record->fileTime, 132223104000000000ull);

    EXPECT_FALSE(PakTool::CollectFolder(folder.Path() / "missing", entries, error));
    std::vector<uint8_t> out;
    EXPECT_FALSE(PakTool::BuildPak({{std::string(256, 'n'), {}, 0}}, out, error));
}

TEST(PakInterface, BuilderRefusesAFileItCannotReadAndLeavesItsOwnOutputOut)
{
    PakFolder folder;
    folder.Write("content/a.txt", "ay");
    folder.Write("content/data.pak", "the previous archive");
    std::vector<PakTool::PakEntry> entries;
    std::string error;
    ASSERT_TRUE(PakTool::CollectFolder(folder.Path() / "content", entries, error,
                                       folder.Path() / "content" / "sub" / ".." / "data.pak"))
        << error;
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].name, "a.txt");

    // A regular file whose bytes cannot be read, whoever runs the test: this process's memory at address 0.
    fs::create_symlink("/proc/self/mem", folder.Path() / "content" / "unreadable");
    EXPECT_FALSE(PakTool::CollectFolder(folder.Path() / "content", entries, error));
    EXPECT_EQ(error, "cannot read " + (folder.Path() / "content" / "unreadable").string());
    fs::remove(folder.Path() / "content" / "unreadable");

    // A file without read permission, where permissions hold (not for the superuser).
    folder.Write("content/locked.txt", "secret");
    fs::permissions(folder.Path() / "content" / "locked.txt", fs::perms::none);
    if (geteuid() != 0) {
        EXPECT_FALSE(PakTool::CollectFolder(folder.Path() / "content", entries, error));
        EXPECT_EQ(error, "cannot read " + (folder.Path() / "content" / "locked.txt").string());
    }
    fs::permissions(folder.Path() / "content" / "locked.txt", fs::perms::owner_all);
}

TEST(PakInterface, NamesAreNormalised)
{
    struct Case {
        const char* name;
        const char* key;
    };
    const Case cases[] = {
        {"cfg/../cfg//ui.xml", "CFG\\UI.XML"},
        {"cfg\\..\\data\\x.png", "DATA\\X.PNG"},
        {"Data\\\\Sub/x.PNG", "DATA\\SUB\\X.PNG"},
        {"a\\b\\..\\..\\c", "C"},
        {".\\a", ".\\A"},
        {"..\\a", "..\\A"},
        {"..\\..\\a", "..\\..\\A"},
        {"a\\..b", "A\\..B"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(PakInterface::NormalizeName(c.name), c.key);
    }
    // A full path inside the working directory is looked up relative to it.
    const std::string absolute = (fs::current_path() / "cfg" / "ui.xml").string();
    EXPECT_EQ(PakInterface::NormalizeName(absolute), "CFG\\UI.XML");
    EXPECT_EQ(PakInterface::NormalizeName(std::string(300, 'a')), "");

    PakInterface pak;
    ASSERT_TRUE(pak.AddPakBytes("t.pak", Pack({{"cfg\\ui.xml", Bytes("u"), 0}, {"data\\x.png", Bytes("x"), 0}})));
    EXPECT_NE(pak.FindRecord("cfg/../cfg//ui.xml"), nullptr);
    EXPECT_NE(pak.FindRecord("CFG\\..\\DATA\\X.PNG"), nullptr);
}

TEST(PakInterface, LastMountWinsAndFailedMountsChangeNothing)
{
    QuietLog quiet;
    PakInterface pak;
    ASSERT_TRUE(pak.AddPakBytes("loc.pak", Pack({{"a.txt", Bytes("loc"), 0}, {"only-loc.txt", Bytes("L"), 0}})));
    ASSERT_TRUE(pak.AddPakBytes("data.pak", Pack({{"A.TXT", Bytes("data"), 0}})));

    // Damaged archives: a directory that lies about a size, one cut short, a bad magic, a bad version.
    std::vector<uint8_t> lying = Pack({{"a.txt", Bytes("evil"), 0}});
    lying.pop_back();
    std::vector<uint8_t> cutDirectory = Pack({{"a.txt", Bytes("evil"), 0}});
    cutDirectory.resize(12);
    std::vector<uint8_t> badMagic = Pack({{"a.txt", Bytes("evil"), 0}});
    badMagic[0] ^= 1;
    std::vector<uint8_t> badVersion = Pack({{"a.txt", Bytes("evil"), 0}});
    badVersion[4] ^= 1;
    std::vector<uint8_t> noEnd = Pack({});
    noEnd.pop_back();
    for (auto* bad : {&lying, &cutDirectory, &badMagic, &badVersion, &noEnd}) {
        EXPECT_FALSE(pak.AddPakBytes("bad.pak", *bad));
    }
    EXPECT_FALSE(pak.AddPakFile("no-such.pak"));

    PakFileHandle* handle = pak.FOpen("a.txt", "r");
    ASSERT_NE(handle, nullptr);
    EXPECT_EQ(ReadAll(pak, handle), "data");
    pak.FClose(handle);
    EXPECT_NE(pak.FindRecord("only-loc.txt"), nullptr);
}

TEST(PakInterface, AddPakFileMountsFromDisk)
{
    PakFolder folder;
    const std::vector<uint8_t> archive = Pack({{"x\\y.txt", Bytes("hello"), 0}});
    folder.Write("Mod.PAK", std::string(archive.begin(), archive.end()));
    PakInterface pak;
    ASSERT_TRUE(pak.AddPakFile("mod.pak"));
    EXPECT_NE(pak.FindRecord("x/y.txt"), nullptr);
}

// Resident memory of this process, in bytes.
uint64_t ResidentBytes()
{
    uint64_t pages = 0;
    uint64_t resident = 0;
    std::ifstream("/proc/self/statm") >> pages >> resident;
    return resident * uint64_t(sysconf(_SC_PAGESIZE));
}

TEST(PakInterface, ALargeArchiveIsMappedNotRead)
{
    // One record of 300 MB, written as a hole where the file system allows, with "tail" as its last bytes.
    constexpr uint32_t kSize = 300u << 20;
    PakFolder folder;
    std::vector<uint8_t> head;
    const auto put = [&](uint64_t value, int bytes) {
        for (int i = 0; i < bytes; ++i)
            head.push_back(uint8_t(value >> (8 * i)) ^ kPakKey);
    };
    put(kPakMagic, 4);
    put(kPakVersion, 4);
    put(0, 1);
    put(3, 1);
    for (char c : std::string("big"))
        put(uint8_t(c), 1);
    put(kSize, 4);
    put(0, 8);
    put(kPakEndOfDirectory, 1);
    {
        std::ofstream out(folder.Path() / "large.pak", std::ios::binary);
        out.write(reinterpret_cast<const char*>(head.data()), std::streamsize(head.size()));
        out.seekp(std::streamoff(head.size() + kSize - 4));
        for (char c : std::string("tail"))
            out.put(char(uint8_t(c) ^ kPakKey));
    }
    ASSERT_EQ(fs::file_size(folder.Path() / "large.pak"), head.size() + kSize);

    const uint64_t before = ResidentBytes();
    PakInterface pak;
    ASSERT_TRUE(pak.AddPakFile("large.pak"));
    PakFileHandle* handle = pak.FOpen("BIG", "rb");
    ASSERT_NE(handle, nullptr);
    ASSERT_EQ(pak.FSeek(handle, -4, kPakSeekEnd), 0);
    char tail[5] = {};
    EXPECT_EQ(pak.FRead(tail, 1, 4, handle), 4u);
    EXPECT_STREQ(tail, "tail");
    pak.FClose(handle);
    EXPECT_LT(ResidentBytes() - std::min(before, ResidentBytes()), uint64_t(32) << 20)
        << "the archive's size must not show in resident memory";
}

TEST(PakInterface, AnArchiveCutShortAfterMountingFailsItsOpens)
{
    QuietLog quiet;
    PakFolder folder;
    const std::vector<uint8_t> archive = Pack({{"a.txt", Bytes("first"), 0}, {"b.txt", Bytes("second"), 0}});
    folder.Write("data.pak", std::string(archive.begin(), archive.end()));
    PakInterface pak;
    ASSERT_TRUE(pak.AddPakFile("data.pak"));

    // Replaced by a new file (as a build writes it: a new file renamed over the old), the mounted bytes stay.
    folder.Write("new.pak", "not an archive");
    fs::rename(folder.Path() / "new.pak", folder.Path() / "data.pak");
    PakFileHandle* handle = pak.FOpen("b.txt", "rb");
    ASSERT_NE(handle, nullptr);
    EXPECT_EQ(ReadAll(pak, handle), "second");
    pak.FClose(handle);

    // Cut short in place: its records can no longer be read, and opening them says so instead of faulting.
    PakInterface cut;
    folder.Write("cut.pak", std::string(archive.begin(), archive.end()));
    ASSERT_TRUE(cut.AddPakFile("cut.pak"));
    fs::resize_file(folder.Path() / "cut.pak", 10);
    EXPECT_EQ(cut.FOpen("b.txt", "rb"), nullptr);
}

TEST(PakInterface, SeekTellAndRead)
{
    PakInterface pak;
    ASSERT_TRUE(pak.AddPakBytes("t.pak", Pack({{"f", Bytes("0123456789ABCDEFGHIJ"), 0}, {"e", {}, 0}})));
    PakFileHandle* h = pak.FOpen("f", "rb");
    ASSERT_NE(h, nullptr);

    struct SeekCase {
        long offset;
        int origin;
        long expected;
    };
    const SeekCase seeks[] = {
        {0, kPakSeekEnd, 20},  {-10, kPakSeekEnd, 10}, {-3, kPakSeekCur, 7},   {-50, kPakSeekSet, 0},
        {50, kPakSeekSet, 20}, {5, kPakSeekSet, 5},    {100, kPakSeekCur, 20}, {-100, kPakSeekCur, 0},
    };
    for (const SeekCase& s : seeks) {
        SCOPED_TRACE(s.offset);
        EXPECT_EQ(pak.FSeek(h, s.offset, s.origin), 0);
        EXPECT_EQ(pak.FTell(h), s.expected);
    }
    EXPECT_EQ(pak.FSeek(h, 0, 7), -1);

    // Ten bytes left, three elements of four asked: all ten are copied, two whole elements counted.
    char buffer[16] = {};
    ASSERT_EQ(pak.FSeek(h, 10, kPakSeekSet), 0);
    EXPECT_EQ(pak.FRead(buffer, 4, 3, h), 2u);
    EXPECT_EQ(std::string(buffer, 10), "ABCDEFGHIJ");
    EXPECT_EQ(pak.FTell(h), 20);
    EXPECT_EQ(pak.FRead(buffer, 1, 1, h), 0u);
    EXPECT_EQ(pak.FGetC(h), EOF);
    EXPECT_EQ(pak.FRead(buffer, 0, 5, h), 0u);

    EXPECT_EQ(pak.UnGetC('x', h), 'x');
    EXPECT_EQ(pak.FGetC(h), 'J');
    pak.FClose(h);

    PakFileHandle* empty = pak.FOpen("e", "rb");
    ASSERT_NE(empty, nullptr);
    EXPECT_EQ(pak.FSeek(empty, 5, kPakSeekSet), 0);
    EXPECT_EQ(pak.FTell(empty), 0);
    EXPECT_TRUE(pak.FEof(empty));
    EXPECT_EQ(pak.UnGetC('x', empty), 'x');
    EXPECT_EQ(pak.FTell(empty), 0);
    pak.FClose(empty);
}

TEST(PakInterface, LineAndWideReadsSkipCarriageReturns)
{
    // UTF-16LE "h", CR, LF, "i", then a lone byte that is no whole unit.
    const std::string wide("h\0\r\0\n\0i\0Z", 9);
    PakInterface pak;
    ASSERT_TRUE(pak.AddPakBytes("t.pak", Pack({{"lines", Bytes("ab\r\ncd"), 0}, {"wide", Bytes(wide), 0}})));

    PakFileHandle* h = pak.FOpen("lines", "rt");
    ASSERT_NE(h, nullptr);
    char line[16];
    ASSERT_NE(pak.FGetS(line, sizeof(line), h), nullptr);
    EXPECT_STREQ(line, "ab\n");
    ASSERT_NE(pak.FGetS(line, sizeof(line), h), nullptr);
    EXPECT_STREQ(line, "cd");
    EXPECT_EQ(pak.FGetS(line, sizeof(line), h), nullptr);
    pak.FSeek(h, 0, kPakSeekSet);
    ASSERT_NE(pak.FGetS(line, 2, h), nullptr); // room for one character and the terminator
    EXPECT_STREQ(line, "a");
    pak.FClose(h);

    h = pak.FOpen("wide", "rb");
    ASSERT_NE(h, nullptr);
    EXPECT_EQ(pak.FGetWC(h), u'h');
    EXPECT_EQ(pak.FGetWC(h), u'\n');
    EXPECT_EQ(pak.FGetWC(h), u'i');
    EXPECT_EQ(pak.FGetWC(h), 0xFFFF);
    EXPECT_TRUE(pak.FEof(h));
    pak.FSeek(h, 0, kPakSeekSet);
    wchar_t wline[8];
    ASSERT_NE(pak.FGetWS(wline, 8, h), nullptr);
    EXPECT_EQ(std::wstring(wline), L"h\n");
    ASSERT_NE(pak.FGetWS(wline, 8, h), nullptr);
    EXPECT_EQ(std::wstring(wline), L"i");
    EXPECT_EQ(pak.FGetWS(wline, 8, h), nullptr);
    pak.FClose(h);
}

TEST(PakInterface, LooseFilesAndWritingModesReachTheDisk)
{
    PakFolder folder;
    folder.Write("Loose/File.TXT", "on disk");
    folder.Write("packed.txt", "disk copy");
    PakInterface pak;
    ASSERT_TRUE(pak.AddPakBytes("t.pak", Pack({{"packed.txt", Bytes("pack copy"), 0}})));

    PakFileHandle* loose = pak.FOpen("loose\\file.txt", "rb");
    ASSERT_NE(loose, nullptr);
    EXPECT_EQ(loose->record, nullptr);
    EXPECT_NE(loose->file, nullptr);
    EXPECT_EQ(ReadAll(pak, loose), "on disk");
    EXPECT_EQ(pak.FClose(loose), 0);

    EXPECT_EQ(pak.FOpen("missing.txt", "rb"), nullptr);

    // A writing mode never hands out the record, even for a name the pack holds.
    PakFileHandle* written = pak.FOpen("packed.txt", "r+b");
    ASSERT_NE(written, nullptr);
    EXPECT_EQ(written->record, nullptr);
    EXPECT_EQ(ReadAll(pak, written), "disk copy");
    pak.FClose(written);
    PakFileHandle* created = pak.FOpen("new.txt", "wb");
    ASSERT_NE(created, nullptr);
    EXPECT_EQ(created->record, nullptr);
    pak.FClose(created);
    EXPECT_TRUE(fs::exists(folder.Path() / "new.txt"));
}

TEST(PakInterface, FindListsRecordsThenDisk)
{
    PakFolder folder;
    folder.Write("data/disk.png", "d");
    folder.Write("data/sub/deeper.png", "d");
    PakInterface pak;
    ASSERT_TRUE(pak.AddPakBytes("t.pak", Pack({
                                             {"data\\b.png", Bytes("bb"), 5},
                                             {"data\\A.png", Bytes("a"), 6},
                                             {"data\\note.txt", Bytes("n"), 0},
                                             {"other\\c.png", Bytes("c"), 0},
                                         })));
    PakFindData data;
    PakFindHandle find = pak.FindFirstFile("data\\*.png", &data);
    ASSERT_NE(find, nullptr);
    std::vector<std::string> names{data.fileName};
    EXPECT_EQ(data.fileSizeLow, 1u);
    EXPECT_EQ(data.lastWriteTime, 6u);
    EXPECT_EQ(data.attributes, 0u);
    while (pak.FindNextFile(find, &data)) {
        names.push_back(data.fileName);
    }
    EXPECT_EQ(pak.FindClose(find), 1);
    EXPECT_EQ(names, (std::vector<std::string>{"A.png", "b.png", "disk.png"}));

    // ".*" after the star takes everything below the prefix; a trailing '\' in the matched tail marks a folder.
    find = pak.FindFirstFile("DATA\\*.*", &data);
    ASSERT_NE(find, nullptr);
    std::set<std::string> all{data.fileName};
    while (pak.FindNextFile(find, &data)) {
        all.insert(data.fileName);
        if (data.fileName == "sub") {
            EXPECT_EQ(data.attributes, kPakAttributeDirectory);
        }
    }
    pak.FindClose(find);
    EXPECT_EQ(all, (std::set<std::string>{"A.png", "b.png", "note.txt", "disk.png", "sub"}));

    EXPECT_EQ(pak.FindFirstFile("nothing\\*.png", &data), nullptr);
    // Without a star no record matches; the disk still answers, with the file's times.
    // 2020-01-01 00:00:00 UTC, as a FILETIME: 100 ns units since 1601.
    fs::last_write_time(folder.Path() / "data/disk.png",
                        std::chrono::file_clock::from_sys(std::chrono::sys_seconds(std::chrono::seconds(1577836800))));
    find = pak.FindFirstFile("data\\disk.png", &data);
    ASSERT_NE(find, nullptr);
    EXPECT_EQ(data.fileName, "disk.png");
    EXPECT_EQ(data.lastWriteTime, 132223104000000000ull);
    EXPECT_NE(data.lastAccessTime, 0u);
    EXPECT_NE(data.creationTime, 0u);
    EXPECT_FALSE(pak.FindNextFile(find, &data));
    pak.FindClose(find);
}

TEST(PakInterface, OnlyTheFirstInterfaceIsRegisteredUntilItGoes)
{
    ASSERT_EQ(GetPakInterface(), nullptr);
    {
        PakInterface first;
        EXPECT_EQ(GetPakInterface(), &first);
        {
            PakInterface second;
            EXPECT_EQ(GetPakInterface(), &first);
        }
        EXPECT_EQ(GetPakInterface(), &first);
    }
    EXPECT_EQ(GetPakInterface(), nullptr);
    PakInterface later;
    EXPECT_EQ(GetPakInterface(), &later);
}

TEST(PakInterface, ConcurrentReadersKeepTheirOwnPositions)
{
    PakInterface pak;
    ASSERT_TRUE(pak.AddPakBytes("t.pak", Pack({{"f", Bytes("abcdef"), 0}})));
    PakFileHandle* a = pak.FOpen("f", "rb");
    PakFileHandle* b = pak.FOpen("F", "RB");
    ASSERT_NE(a, nullptr);
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(pak.FGetC(a), 'a');
    EXPECT_EQ(pak.FGetC(a), 'b');
    EXPECT_EQ(pak.FGetC(b), 'a');
    pak.FClose(a);
    pak.FClose(b);
}

} // namespace
