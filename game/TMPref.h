#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace Pyxo {
class PyxoAppBase;
}

/// One player's progress, as pref.dat stores it (912 bytes). Names hold UTF-16 units, one per wchar_t, ending at
/// the first 0 unit.
struct ProfileRecord {
    static constexpr size_t kNameUnits = 128;
    static constexpr size_t kUpgradeCount = 29;
    static constexpr size_t kLevelSlots = 60; // indexed by level number 1 to 59; slot 0 unused
    static constexpr size_t kAchievementsPerLevel = 5;
    static constexpr size_t kFileSize = 912;

    std::array<wchar_t, kNameUnits> name{};
    int32_t reserved = 0; // kept by ResetProfile; 0 for a new profile
    std::array<uint8_t, kUpgradeCount> upgrades{};
    std::array<uint8_t, 3> upgradePadding{};
    int32_t furthestLevel = 1; // the career level the player may play next
    std::array<int32_t, kLevelSlots> bestMoney{};
    std::array<int32_t, 4> levelCounters{};
    std::array<uint8_t, kLevelSlots> expert{};
    /// Five per level at kAchievementsPerLevel x level + k: k = 0 freeze, 1 clean, 2 candy, 3 no-broke, 4 prize.
    std::array<uint8_t, kAchievementsPerLevel * kLevelSlots> achievements{};

    [[nodiscard]] std::wstring Name() const;
    /// Cut to 127 units.
    void SetName(const std::wstring& text);
};

/// One row of a record table (260 bytes in the file).
struct HiScoreRecord {
    static constexpr size_t kFileSize = 260;
    std::array<wchar_t, ProfileRecord::kNameUnits> name{};
    int32_t score = 0;

    [[nodiscard]] std::wstring Name() const;
    void SetName(const std::wstring& text);
};

/// The settings block at the start of pref.dat (40 bytes).
struct PrefHeader {
    static constexpr size_t kFileSize = 40;
    static constexpr int32_t kVersion = 13;
    static constexpr std::array<uint8_t, 16> kSignature = {0xc3, 0x65, 0xc5, 0xbb, 0x90, 0x46, 0xa6, 0x43,
                                                           0xb3, 0xd3, 0xfd, 0xdd, 0xae, 0x48, 0x89, 0xd9};

    std::array<uint8_t, 16> signature = kSignature;
    int32_t version = kVersion;
    int32_t musicVolume = 60;   // 0 to 100
    int32_t effectsVolume = 60; // 0 to 100
    uint8_t windowed = 0;
    uint8_t muted = 0;
    int32_t currentProfile = -1; // -1: none
    int32_t reserved = 0;
};

/// The player file pref.dat under the application-data folder: the sound and screen settings, the survival and
/// career record tables and the player profiles, one of them current. Held by the game's application object,
/// loaded in its Init before the shell starts, saved after every change. Every write replaces the whole file
/// (a temporary file renamed over it), so a crash never leaves it half written. Main thread.
class TMPref {
public:
    static constexpr size_t kTableSize = 10;
    static constexpr size_t kProfilesOffset = 5240;
    /// The place InsertHiScore returns for a score that is not placed.
    static constexpr int kNotPlaced = 10;

    using HiScoreTable = std::array<HiScoreRecord, kTableSize>;
    /// Called by CreateProfile with the new record before it is first saved.
    using ProfileCallback = void (*)(ProfileRecord& record, void* argument);

    /// Builds the file's path and creates its folders (a failure is logged; Save then reports false).
    explicit TMPref(Pyxo::PyxoAppBase* app);
    virtual ~TMPref();
    TMPref(const TMPref&) = delete;
    TMPref& operator=(const TMPref&) = delete;

    /// Reads the whole file before anything is written: settings, tables and the current profile. First removes
    /// the temporary files of saves cut short by a kill. A file with a wrong signature or version, or cut short
    /// of its tables, is copied to "pref.dat.bad" (a later damage to "pref.dat.bad.2", ...) and replaced by the
    /// defaults; one cut inside its profiles is copied aside the same way and keeps its whole profiles. A file
    /// that is there but cannot be read gives the defaults and is left alone (every save fails). Then applies the
    /// settings and saves. True.
    bool Load();
    /// Writes the settings, both tables and the current profile (a new one is appended and gets its index).
    /// False, logged, when the file is there but cannot be read (it is left as it is: the profiles it holds are
    /// not known), or cannot be written.
    bool Save();
    /// Makes the stored profile current: the current one is saved first, the new index is saved after. False,
    /// with nothing changed, for an index outside the file.
    bool ReadProfile(int index);
    /// Saves, then makes a new profile current (its name, or "unknown") and appends it to the file.
    bool CreateProfile(const std::wstring& name, ProfileCallback callback = nullptr, void* argument = nullptr);
    /// Removes the stored profile; the profiles after it move up. Deleting the current one makes the first
    /// remaining profile current, or none when it was the last. False for an index outside the file.
    bool DeleteProfile(int index);
    /// Every stored profile in file order.
    void ReadAllProfiles(std::vector<ProfileRecord>& out) const;
    /// The current profile.
    [[nodiscard]] ProfileRecord* GetProfile() { return &mProfile; }
    [[nodiscard]] HiScoreTable& GetHiScoreTable(bool survival) { return survival ? mSurvival : mCareer; }
    /// Place 0 to 9 in the table, or kNotPlaced. A name keeps one entry: its lower entry makes room; when it
    /// already holds a better one above the place, nothing is placed.
    int InsertHiScore(bool survival, const std::wstring& name, int score);
    /// The volumes (0 when muted) to the sound registry and the music; the screen mode to the shell once its
    /// display exists (before, the shell's own setting stands).
    void ApplySettings();
    /// Header defaults and the localised default record tables.
    void SetDefaults();
    /// Clears the current profile's progress; its name and reserved field stay.
    void ResetProfile();
    void NewProfile(const std::wstring& name);

    [[nodiscard]] PrefHeader& GetHeader() { return mHeader; }
    [[nodiscard]] bool IsProfileLoaded() const { return mProfileLoaded; }
    [[nodiscard]] const std::filesystem::path& GetPath() const { return mPath; }

private:
    /// The file's bytes, empty when it is missing; none, logged, when it is there but cannot be read.
    [[nodiscard]] std::optional<std::vector<uint8_t>> ReadFileBytes() const;
    /// Reads the record at index from the file's bytes; false when it is not stored whole.
    [[nodiscard]] static bool ReadProfileAt(const std::vector<uint8_t>& file, int index, ProfileRecord& out);
    /// Makes the record at index current; with writeBack the replaced profile is saved first.
    bool SwitchProfile(int index, bool writeBack);
    /// Writes header, tables and (when loaded) the current profile over the profiles of `file`, then the whole
    /// file atomically.
    bool WriteImage(std::vector<uint8_t> file);
    void SetDefaultTable(HiScoreTable& table, const char* kind) const;
    /// Copies a damaged file aside, to the first free "pref.dat.bad[.n]", so that no save loses it; logs the damage.
    /// False when no copy could be made.
    bool KeepDamagedFile(const char* damage) const;

    Pyxo::PyxoAppBase* mApp; // borrowed; may be null in tests
    std::filesystem::path mPath;
    PrefHeader mHeader;
    ProfileRecord mProfile;
    bool mProfileLoaded = false;
    HiScoreTable mSurvival{};
    HiScoreTable mCareer{};
};
