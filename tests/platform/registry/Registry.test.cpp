#include "platform/registry/Registry.h"

#include "platform/log/Log.h"
#include "platform/registry/RegistryStorage.h"
#include "tests/UnreadableFileScope.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>

namespace fs = std::filesystem;
using namespace Platform;

namespace {

constexpr const char* kAppKey = "SOFTWARE\\Ostrel Games\\Ilvane Cafe";

// Installs a storage for one test and puts the previous one back.
class StorageScope {
public:
    explicit StorageScope(RegistryStorage* storage) : mPrevious(SetRegistryStorage(storage)) {}
    ~StorageScope() { SetRegistryStorage(mPrevious); }

private:
    RegistryStorage* mPrevious;
};

// The shell's way of writing one value: open for writing, else create.
LONG Write(const std::string& path, const char* name, DWORD type, const void* data, DWORD size)
{
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_WRITE, &key) != ERROR_SUCCESS) {
        const LONG created = RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, "Key", REG_OPTION_NON_VOLATILE,
                                             KEY_ALL_ACCESS, nullptr, &key, nullptr);
        if (created != ERROR_SUCCESS) {
            return created;
        }
    }
    const LONG result = RegSetValueExA(key, name, 0, type, static_cast<const BYTE*>(data), size);
    EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);
    return result;
}

LONG WriteDword(const std::string& path, const char* name, uint32_t value)
{
    return Write(path, name, REG_DWORD, &value, 4);
}

std::optional<uint32_t> ReadDword(const std::string& path, const char* name)
{
    uint32_t value = 0;
    DWORD size = sizeof value;
    if (RegGetValueA(HKEY_CURRENT_USER, path.c_str(), name, RRF_RT_REG_DWORD, nullptr, &value, &size) !=
        ERROR_SUCCESS) {
        return std::nullopt;
    }
    return value;
}

class RegistryTest : public ::testing::Test {
protected:
    MemoryRegistryStorage mStorage;
    StorageScope mScope{&mStorage};
};

TEST_F(RegistryTest, EachTypeRoundTrips)
{
    ASSERT_EQ(WriteDword(kAppKey, "MusicVolume", 85), ERROR_SUCCESS);
    ASSERT_EQ(WriteDword(kAppKey, "PreferredX", uint32_t(-1)), ERROR_SUCCESS);
    const char text[] = "Clear: DDERR_GENERIC";
    ASSERT_EQ(Write(kAppKey, "Name", REG_SZ, text, DWORD(std::strlen(text))), ERROR_SUCCESS) << "length without zero";
    const uint8_t blob[] = {0, 1, 0xFF, 0x7F};
    ASSERT_EQ(Write(kAppKey, "Blob", REG_BINARY, blob, sizeof blob), ERROR_SUCCESS);

    EXPECT_EQ(ReadDword(kAppKey, "MUSICVOLUME"), 85u) << "names are found without regard to case";
    EXPECT_EQ(ReadDword(kAppKey, "PreferredX"), 0xFFFFFFFFu);

    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "software\\OSTREL GAMES\\ilvane cafe", 0, KEY_READ, &key),
              ERROR_SUCCESS);
    DWORD type = 0;
    DWORD size = 0;
    ASSERT_EQ(RegQueryValueExA(key, "Name", nullptr, &type, nullptr, &size), ERROR_SUCCESS);
    EXPECT_EQ(type, REG_SZ);
    EXPECT_EQ(size, sizeof text) << "a text comes back with its terminating zero";
    char small[4] = {'x', 'x', 'x', 'x'};
    size = sizeof small;
    EXPECT_EQ(RegQueryValueExA(key, "Name", nullptr, &type, reinterpret_cast<BYTE*>(small), &size), ERROR_MORE_DATA);
    EXPECT_EQ(size, sizeof text);
    EXPECT_EQ(small[0], 'x') << "a short buffer is left untouched";
    char full[64] = {};
    size = sizeof full;
    ASSERT_EQ(RegQueryValueExA(key, "Name", nullptr, &type, reinterpret_cast<BYTE*>(full), &size), ERROR_SUCCESS);
    EXPECT_STREQ(full, text);

    uint8_t back[8] = {};
    size = sizeof back;
    ASSERT_EQ(RegQueryValueExA(key, "Blob", nullptr, &type, back, &size), ERROR_SUCCESS);
    EXPECT_EQ(type, REG_BINARY);
    ASSERT_EQ(size, sizeof blob);
    EXPECT_EQ(std::memcmp(back, blob, sizeof blob), 0);
    EXPECT_EQ(RegQueryValueExA(key, "Missing", nullptr, &type, back, &size), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);
    EXPECT_EQ(RegCloseKey(key), ERROR_INVALID_HANDLE) << "closing twice is caught";
}

TEST_F(RegistryTest, WrongTypeReadFails)
{
    ASSERT_EQ(Write(kAppKey, "MusicVolume", REG_SZ, "85", 2), ERROR_SUCCESS);
    uint32_t value = 7;
    DWORD size = sizeof value;
    EXPECT_EQ(RegGetValueA(HKEY_CURRENT_USER, kAppKey, "MusicVolume", RRF_RT_REG_DWORD, nullptr, &value, &size),
              ERROR_UNSUPPORTED_TYPE);
    EXPECT_EQ(value, 7u);
    EXPECT_EQ(RegGetValueA(HKEY_CURRENT_USER, kAppKey, "MusicVolume", RRF_RT_REG_SZ, nullptr, nullptr, &size),
              ERROR_SUCCESS);
    EXPECT_EQ(size, 3u);
}

TEST_F(RegistryTest, RefusesWhatItCannotKeep)
{
    uint32_t value = 1;
    EXPECT_EQ(Write(kAppKey, "Short", REG_DWORD, &value, 2), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(Write(kAppKey, "Multi", 7, "a\0b\0", 4), ERROR_INVALID_PARAMETER);

    HKEY key = nullptr;
    EXPECT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, kAppKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
              ERROR_ACCESS_DENIED);
    EXPECT_EQ(
        RegCreateKeyExA(HKEY_CURRENT_USER, "SOFTWARE\\..\\x", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
        ERROR_INVALID_PARAMETER)
        << "stored key names become folder names";
    EXPECT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "SOFTWARE\\Nobody\\Nothing", 0, KEY_READ, &key), ERROR_FILE_NOT_FOUND);

    ASSERT_EQ(WriteDword(kAppKey, "Muted", 1), ERROR_SUCCESS);
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, kAppKey, 0, KEY_READ, &key), ERROR_SUCCESS);
    EXPECT_EQ(RegSetValueExA(key, "Muted", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), 4), ERROR_ACCESS_DENIED)
        << "a key opened for reading is not written";
    RegCloseKey(key);

    mStorage.SetFailSaves(true);
    EXPECT_EQ(WriteDword(kAppKey, "Muted", 0), ERROR_CANTWRITE) << "a failed save is not reported as success";
    mStorage.SetFailSaves(false);
    EXPECT_EQ(ReadDword(kAppKey, "Muted"), 1u);
}

TEST_F(RegistryTest, SubKeysAndDeletion)
{
    // A value name with backslashes addresses sub-keys; both levels are created.
    ASSERT_EQ(WriteDword(std::string(kAppKey) + "\\Test3D\\Deeper", "Level", 2), ERROR_SUCCESS);
    ASSERT_EQ(WriteDword(kAppKey, "Level", 0), ERROR_SUCCESS);
    EXPECT_EQ(ReadDword(std::string(kAppKey) + "\\test3d\\DEEPER", "Level"), 2u);
    EXPECT_EQ(ReadDword(std::string(kAppKey) + "\\Test3D", "Level"), std::nullopt);
    EXPECT_EQ(ReadDword(kAppKey, "Level"), 0u);

    HKEY app = nullptr;
    HKEY sub = nullptr;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, kAppKey, 0, KEY_ALL_ACCESS, &app), ERROR_SUCCESS);
    ASSERT_EQ(RegOpenKeyExA(app, "Test3D\\Deeper", 0, KEY_ALL_ACCESS, &sub), ERROR_SUCCESS) << "relative to a key";
    DWORD disposition = 0;
    HKEY again = nullptr;
    ASSERT_EQ(RegCreateKeyExA(app, "TEST3D", 0, nullptr, 0, KEY_READ, nullptr, &again, &disposition), ERROR_SUCCESS);
    EXPECT_EQ(disposition, REG_OPENED_EXISTING_KEY);
    RegCloseKey(again);

    const int saves = mStorage.SaveCount();
    EXPECT_EQ(RegDeleteValueA(sub, "level"), ERROR_SUCCESS);
    EXPECT_EQ(RegDeleteValueA(sub, "Level"), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(mStorage.SaveCount(), saves + 1) << "deleting nothing writes nothing";
    EXPECT_EQ(ReadDword(std::string(kAppKey) + "\\Test3D\\Deeper", "Level"), std::nullopt);
    EXPECT_EQ(ReadDword(kAppKey, "Level"), 0u);
    RegCloseKey(sub);
    RegCloseKey(app);

    // Another product is kept apart.
    EXPECT_EQ(ReadDword("SOFTWARE\\Ostrel Games\\Nimbar1", "Level"), std::nullopt);
}

TEST(RegistryKeyNode, TextFormRoundTripsAndRejectsDamage)
{
    RegistryKeyNode key;
    key.values["MusicVolume"] = {REG_DWORD, {85, 0, 0, 0}};
    key.values["Odd \"name\"\\"] = {REG_SZ, {'a', '\n', 0xC3, 0xA9}};
    key.values["Empty"] = {REG_BINARY, {}};
    key.SubKey("Test3D").values["Blob"] = {REG_BINARY, {0, 0xFF}};
    key.SubKey("Test3D").SubKey("Empty key");
    const std::string text = SerializeRegistryKey(key);
    ASSERT_EQ(ParseRegistryKey(text), key) << text;

    // Keys in any order, or listed twice (the later values win), give the same tree.
    const std::string shuffled = "REGISTRY 1\n"
                                 "key \"Test3D\" \"Empty key\"\n"
                                 "key \"Test3D\"\n"
                                 "value \"Blob\" binary 01\n"
                                 "key\n"
                                 "value \"Empty\" binary -\n"
                                 "value \"MusicVolume\" dword 85\n"
                                 "key \"test3d\"\n"
                                 "value \"blob\" binary 00ff\n"
                                 "key\n"
                                 "value \"Odd \\x22name\\x22\\x5c\" sz \"a\\x0a\\xc3\\xa9\"\n"
                                 "end\n";
    EXPECT_EQ(ParseRegistryKey(shuffled), key) << shuffled;

    const std::string kDamaged[] = {
        "",
        text.substr(0, text.size() - 4),                        // truncated: no "end"
        "REGISTRY 2\nkey\nend\n",                               // unknown version
        "REGISTRY 1\nvalue \"a\" dword 1\nkey\nend\n",          // value before any key
        "REGISTRY 1\nkey\nvalue \"a\" dword 4294967296\nend\n", // out of range
        "REGISTRY 1\nkey\nvalue \"a\" qword 1\nend\n",          // unknown type
        "REGISTRY 1\nkey\nvalue \"a\" sz \"open\nend\n",        // unterminated text
        "REGISTRY 1\nkey\nvalue \"a\" binary 0g\nend\n",        // bad hex
        "REGISTRY 1\nkey \"\"\nend\n",                          // empty key name
        "REGISTRY 1\nkey\nend\nkey\n",                          // data after the end
        std::string("REGISTRY 1\nkey\nvalue \"a\0\" dword 1\nend\n", 38),
    };
    for (const auto& damaged : kDamaged) {
        SCOPED_TRACE(damaged);
        EXPECT_EQ(ParseRegistryKey(damaged), std::nullopt);
    }
}

class FileRegistryTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        mFolder =
            fs::path(std::getenv("XDG_CONFIG_HOME")) / ::testing::UnitTest::GetInstance()->current_test_info()->name();
        fs::remove_all(mFolder);
    }
    fs::path File() const { return mFolder / "Ostrel Games" / "Ilvane Cafe" / "registry.txt"; }
    static std::string Contents(const fs::path& file)
    {
        std::ifstream in(file, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }

    fs::path mFolder;
};

TEST_F(FileRegistryTest, StoresEachProductKeyInItsOwnFile)
{
    FileRegistryStorage files(mFolder);
    StorageScope scope(&files);
    ASSERT_EQ(WriteDword(kAppKey, "ScreenMode", 1), ERROR_SUCCESS);
    ASSERT_EQ(WriteDword(std::string(kAppKey) + "\\Test3D", "Is3D", 0), ERROR_SUCCESS);
    EXPECT_TRUE(fs::is_regular_file(File()));
    EXPECT_EQ(ReadDword("Software\\OSTREL GAMES\\ILVANE CAFE\\test3d", "is3d"), 0u) << "folders found without case";

    FileRegistryStorage fresh(mFolder);
    StorageScope again(&fresh);
    EXPECT_EQ(ReadDword(kAppKey, "ScreenMode"), 1u) << "read back from the file";
}

TEST_F(FileRegistryTest, DamagedFileReadsEmptyAndSurvivesUntilTheNextWrite)
{
    fs::create_directories(File().parent_path());
    const std::string garbage = "REGISTRY 1\nkey\nvalue \"MusicVolume\" dword 8";
    std::ofstream(File(), std::ios::binary) << garbage;

    FileRegistryStorage files(mFolder);
    StorageScope scope(&files);
    HKEY key = nullptr;
    EXPECT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, kAppKey, 0, KEY_READ, &key), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(ReadDword(kAppKey, "MusicVolume"), std::nullopt);
    EXPECT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "SOFTWARE\\Ostrel Games", 0, KEY_WRITE, &key), ERROR_SUCCESS);
    EXPECT_EQ(RegDeleteValueA(key, "MusicVolume"), ERROR_FILE_NOT_FOUND);
    RegCloseKey(key);
    std::ifstream before(File(), std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(before), {}), garbage) << "reading leaves the file alone";

    ASSERT_EQ(WriteDword(kAppKey, "MusicVolume", 50), ERROR_SUCCESS);
    EXPECT_EQ(ReadDword(kAppKey, "MusicVolume"), 50u);
    EXPECT_EQ(Contents(fs::path(File()) += ".corrupt"), garbage) << "the damaged file is kept aside";
}

TEST_F(FileRegistryTest, ASecondDamageKeepsTheFirstCopyAndWarnsOnce)
{
    fs::create_directories(File().parent_path());
    std::string warnings;
    const LogSink previous = SetLogSink([&](LogLevel level, const char*, const std::string& text) {
        if (level == LogLevel::Warning) {
            warnings += text + "\n";
        }
    });
    for (const std::string garbage : {"first damage", "second damage"}) {
        SCOPED_TRACE(garbage);
        std::ofstream(File(), std::ios::binary) << garbage;
        warnings.clear();
        FileRegistryStorage files(mFolder); // a new run
        StorageScope scope(&files);
        for (int i = 0; i < 5; ++i) {
            EXPECT_EQ(ReadDword(kAppKey, "MusicVolume"), std::nullopt);
        }
        ASSERT_EQ(WriteDword(kAppKey, "MusicVolume", 50), ERROR_SUCCESS);
        EXPECT_EQ(ReadDword(kAppKey, "MusicVolume"), 50u);
        size_t count = 0;
        for (size_t at = warnings.find("damaged"); at != std::string::npos; at = warnings.find("damaged", at + 1)) {
            ++count;
        }
        EXPECT_EQ(count, 1u) << warnings;
    }
    SetLogSink(previous);
    EXPECT_EQ(Contents(fs::path(File()) += ".corrupt"), "first damage");
    EXPECT_EQ(Contents(fs::path(File()) += ".corrupt.2"), "second damage");
}

TEST_F(FileRegistryTest, TheFileIsReadOnceAndWrittenOncePerChange)
{
    FileRegistryStorage files(mFolder);
    StorageScope scope(&files);
    ASSERT_EQ(WriteDword(kAppKey, "MusicVolume", 85), ERROR_SUCCESS); // creates the key, then sets the value
    const int written = files.FileWrites();
    for (int i = 0; i < 3; ++i) {
        ASSERT_EQ(WriteDword(kAppKey, "MusicVolume", 85), ERROR_SUCCESS);
        EXPECT_EQ(ReadDword(kAppKey, "MusicVolume"), 85u);
    }
    EXPECT_EQ(files.FileWrites(), written) << "the same value again writes nothing";
    ASSERT_EQ(WriteDword(kAppKey, "MusicVolume", 60), ERROR_SUCCESS);
    ASSERT_EQ(WriteDword(std::string(kAppKey) + "\\Test3D", "Is3D", 1), ERROR_SUCCESS);
    EXPECT_EQ(files.FileWrites(), written + 3) << "a change, a new key, and its value";
    EXPECT_EQ(files.FileReads(), 1);

    FileRegistryStorage next(mFolder); // the next run reads what this one wrote
    StorageScope again(&next);
    EXPECT_EQ(ReadDword(kAppKey, "MusicVolume"), 60u);
    EXPECT_EQ(ReadDword(std::string(kAppKey) + "\\Test3D", "Is3D"), 1u);
    EXPECT_EQ(next.FileReads(), 1);
    EXPECT_EQ(next.FileWrites(), 0);
}

TEST_F(FileRegistryTest, WritesCutShortAreClearedAtTheNextStart)
{
    // A process that is gone, and this one, whose writes may still be going on.
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        _exit(0);
    }
    ASSERT_EQ(waitpid(child, nullptr, 0), child);
    const fs::path folder = File().parent_path();
    fs::create_directories(folder);
    const fs::path abandoned = folder / (".registry.txt.tmp" + std::to_string(child) + "-3");
    const fs::path ours = folder / (".registry.txt.tmp" + std::to_string(getpid()) + "-7");
    const fs::path other = folder / ".registry.txt.tmpnotes";
    for (const auto& file : {abandoned, ours, other}) {
        std::ofstream(file) << "REGISTRY 1\nkey\n";
    }

    FileRegistryStorage files(mFolder);
    StorageScope scope(&files);
    EXPECT_EQ(ReadDword(kAppKey, "MusicVolume"), std::nullopt);
    EXPECT_FALSE(fs::exists(abandoned));
    EXPECT_TRUE(fs::exists(ours));
    EXPECT_TRUE(fs::exists(other)) << "not a name of an atomic write";
}

TEST_F(FileRegistryTest, AFileThatCannotBeReadIsNeverWrittenOver)
{
    {
        FileRegistryStorage files(mFolder);
        StorageScope scope(&files);
        for (const char* name : {"A", "B", "C"}) {
            ASSERT_EQ(WriteDword(kAppKey, name, 1), ERROR_SUCCESS);
        }
    }
    const std::string stored = Contents(File());
    std::string warnings;
    const LogSink previous =
        SetLogSink([&](LogLevel, const char*, const std::string& text) { warnings += text + "\n"; });
    FileRegistryStorage files(mFolder); // the next run
    StorageScope scope(&files);
    {
        TestSupport::UnreadableFileScope unreadable(File());
        EXPECT_EQ(ReadDword(kAppKey, "A"), std::nullopt) << "its values are not known";
        EXPECT_EQ(WriteDword(kAppKey, "D", 1), ERROR_CANTWRITE);
    }
    SetLogSink(previous);
    EXPECT_EQ(Contents(File()), stored) << "byte for byte";
    EXPECT_NE(warnings.find("cannot read"), std::string::npos) << warnings;
    EXPECT_NE(warnings.find(File().string()), std::string::npos) << warnings;
    EXPECT_FALSE(fs::exists(fs::path(File()) += ".corrupt")) << "an unreadable file is not a damaged one";

    // Readable again, it is read again: a change keeps every stored value.
    ASSERT_EQ(WriteDword(kAppKey, "D", 1), ERROR_SUCCESS);
    for (const char* name : {"A", "B", "C", "D"}) {
        EXPECT_EQ(ReadDword(kAppKey, name), 1u) << name;
    }
}

} // namespace
