#include "game/TMPref.h"

#include "engine/TMEngine.h"
#include "engine/TMLocTable.h"
#include "engine/TMMusicPlayer.h"
#include "engine/TMSoundManager.h"
#include "engine/XmlConfig.h"
#include "platform/files/FileSystem.h"
#include "platform/log/Log.h"
#include "shell/PyxoAppBase.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <system_error>

namespace {

constexpr const char* kLogArea = "pref";
constexpr size_t kTablesOffset = PrefHeader::kFileSize;
constexpr size_t kTableBytes = TMPref::kTableSize * HiScoreRecord::kFileSize;
static_assert(kTablesOffset + 2 * kTableBytes == TMPref::kProfilesOffset);

// ---- Little-endian fields ----------------------------------------------------------------------------------------

void PutInt32(uint8_t* at, int32_t value)
{
    const auto bits = uint32_t(value);
    for (int i = 0; i < 4; ++i)
        at[i] = uint8_t(bits >> (8 * i));
}

int32_t GetInt32(const uint8_t* at)
{
    return int32_t(uint32_t(at[0]) | uint32_t(at[1]) << 8 | uint32_t(at[2]) << 16 | uint32_t(at[3]) << 24);
}

// Names are UTF-16LE, two bytes per unit, whatever the size of wchar_t.
void PutName(uint8_t* at, const std::array<wchar_t, ProfileRecord::kNameUnits>& name)
{
    for (size_t i = 0; i < name.size(); ++i) {
        const auto unit = uint16_t(name[i]);
        at[2 * i] = uint8_t(unit);
        at[2 * i + 1] = uint8_t(unit >> 8);
    }
}

void GetName(const uint8_t* at, std::array<wchar_t, ProfileRecord::kNameUnits>& name)
{
    for (size_t i = 0; i < name.size(); ++i)
        name[i] = wchar_t(uint16_t(at[2 * i] | at[2 * i + 1] << 8));
    name.back() = 0; // a stored name without its terminator ends here
}

std::wstring NameText(const std::array<wchar_t, ProfileRecord::kNameUnits>& name)
{
    const auto end = std::find(name.begin(), name.end(), wchar_t(0));
    return std::wstring(name.begin(), end);
}

void SetNameText(std::array<wchar_t, ProfileRecord::kNameUnits>& name, const std::wstring& text)
{
    name.fill(0);
    const size_t units = std::min(text.size(), name.size() - 1);
    for (size_t i = 0; i < units; ++i)
        name[i] = wchar_t(uint16_t(text[i])); // one UTF-16 unit per wchar_t
}

template <size_t N>
void PutBytes(uint8_t* at, const std::array<uint8_t, N>& bytes)
{
    std::memcpy(at, bytes.data(), N);
}

template <size_t N>
void GetBytes(const uint8_t* at, std::array<uint8_t, N>& bytes)
{
    std::memcpy(bytes.data(), at, N);
}

template <size_t N>
void PutInts(uint8_t* at, const std::array<int32_t, N>& values)
{
    for (size_t i = 0; i < N; ++i)
        PutInt32(at + 4 * i, values[i]);
}

template <size_t N>
void GetInts(const uint8_t* at, std::array<int32_t, N>& values)
{
    for (size_t i = 0; i < N; ++i)
        values[i] = GetInt32(at + 4 * i);
}

// ---- Records -----------------------------------------------------------------------------------------------------

void EncodeHeader(uint8_t* at, const PrefHeader& header)
{
    PutBytes(at, header.signature);
    PutInt32(at + 16, header.version);
    PutInt32(at + 20, header.musicVolume);
    PutInt32(at + 24, header.effectsVolume);
    at[28] = header.windowed;
    at[29] = header.muted;
    at[30] = 0;
    at[31] = 0;
    PutInt32(at + 32, header.currentProfile);
    PutInt32(at + 36, 0);
}

void DecodeHeader(const uint8_t* at, PrefHeader& header)
{
    GetBytes(at, header.signature);
    header.version = GetInt32(at + 16);
    // Volumes outside their range would reach the sound registry as they stand.
    header.musicVolume = std::clamp(GetInt32(at + 20), 0, 100);
    header.effectsVolume = std::clamp(GetInt32(at + 24), 0, 100);
    header.windowed = at[28];
    header.muted = at[29];
    header.currentProfile = GetInt32(at + 32);
    header.reserved = GetInt32(at + 36);
}

void PutTable(uint8_t* at, const TMPref::HiScoreTable& table)
{
    for (const HiScoreRecord& record : table) {
        PutName(at, record.name);
        PutInt32(at + 256, record.score);
        at += HiScoreRecord::kFileSize;
    }
}

void GetTable(const uint8_t* at, TMPref::HiScoreTable& table)
{
    for (HiScoreRecord& record : table) {
        GetName(at, record.name);
        record.score = GetInt32(at + 256);
        at += HiScoreRecord::kFileSize;
    }
}

void EncodeProfile(uint8_t* at, const ProfileRecord& profile)
{
    PutName(at, profile.name);
    PutInt32(at + 256, profile.reserved);
    PutBytes(at + 260, profile.upgrades);
    PutBytes(at + 289, profile.upgradePadding);
    PutInt32(at + 292, profile.furthestLevel);
    PutInts(at + 296, profile.bestMoney);
    PutInts(at + 536, profile.levelCounters);
    PutBytes(at + 552, profile.expert);
    PutBytes(at + 612, profile.achievements);
}

void DecodeProfile(const uint8_t* at, ProfileRecord& profile)
{
    GetName(at, profile.name);
    profile.reserved = GetInt32(at + 256);
    GetBytes(at + 260, profile.upgrades);
    GetBytes(at + 289, profile.upgradePadding);
    profile.furthestLevel = GetInt32(at + 292);
    GetInts(at + 296, profile.bestMoney);
    GetInts(at + 536, profile.levelCounters);
    GetBytes(at + 552, profile.expert);
    GetBytes(at + 612, profile.achievements);
}

size_t ProfileCount(const std::vector<uint8_t>& file)
{
    return file.size() > TMPref::kProfilesOffset ? (file.size() - TMPref::kProfilesOffset) / ProfileRecord::kFileSize
                                                 : 0;
}

} // namespace

std::wstring ProfileRecord::Name() const
{
    return NameText(name);
}

void ProfileRecord::SetName(const std::wstring& text)
{
    SetNameText(name, text);
}

std::wstring HiScoreRecord::Name() const
{
    return NameText(name);
}

void HiScoreRecord::SetName(const std::wstring& text)
{
    SetNameText(name, text);
}

TMPref::TMPref(Pyxo::PyxoAppBase* app) : mApp(app)
{
    const std::filesystem::path folder = Platform::AppDataFolder() / "Ostrel Games" / "Ilvane";
    mPath = folder / "pref.dat";
    if (!Platform::CreateFolders(folder.string()))
        PLATFORM_LOG_WARNING(kLogArea, "cannot create %s; the player file will not be saved", folder.c_str());
}

TMPref::~TMPref() = default;

std::optional<std::vector<uint8_t>> TMPref::ReadFileBytes() const
{
    std::vector<uint8_t> bytes;
    switch (Platform::ReadFileIfPresent(mPath.string(), bytes)) {
    case Platform::ReadOutcome::Read:
        return bytes;
    case Platform::ReadOutcome::Missing:
        return std::vector<uint8_t>();
    case Platform::ReadOutcome::Failed:
        break;
    }
    PLATFORM_LOG_WARNING(kLogArea, "cannot read %s: %s; it is left as it is and not saved", mPath.c_str(),
                         std::strerror(errno));
    return std::nullopt;
}

bool TMPref::ReadProfileAt(const std::vector<uint8_t>& file, int index, ProfileRecord& out)
{
    if (index < 0 || size_t(index) >= ProfileCount(file))
        return false;
    DecodeProfile(file.data() + kProfilesOffset + size_t(index) * ProfileRecord::kFileSize, out);
    return true;
}

bool TMPref::KeepDamagedFile(const char* damage) const
{
    // A copy, not a move: the file stays in place should the save that replaces it fail. The copy of an earlier
    // damage is kept; this one takes the first free number.
    constexpr int kMaxCopies = 100;
    for (int n = 1; n <= kMaxCopies; ++n) {
        std::filesystem::path bad = mPath;
        bad += n == 1 ? std::string(".bad") : ".bad." + std::to_string(n);
        std::error_code error;
        if (std::filesystem::copy_file(mPath, bad, std::filesystem::copy_options::none, error)) {
            PLATFORM_LOG_WARNING(kLogArea, "%s %s; kept as %s", mPath.c_str(), damage, bad.c_str());
            return true;
        }
        if (error != std::errc::file_exists) {
            PLATFORM_LOG_WARNING(kLogArea, "%s %s; cannot keep a copy (%s), so it is left as it is", mPath.c_str(),
                                 damage, error.message().c_str());
            return false;
        }
    }
    PLATFORM_LOG_WARNING(kLogArea,
                         "%s %s; cannot keep a copy (%d copies of earlier damage are there), so it is left "
                         "as it is",
                         mPath.c_str(), damage, kMaxCopies);
    return false;
}

bool TMPref::Load()
{
    // Writes cut short by a kill or a stop of the machine left their temporary files.
    Platform::RemoveAbandonedWrites(mPath.string());
    // Everything is read before anything is written, so that nothing stored is overwritten by what has not
    // been read yet.
    // A file that is there but cannot be read is not damaged: the defaults are used and no save replaces it.
    const std::optional<std::vector<uint8_t>> read = ReadFileBytes();
    const std::vector<uint8_t> file = read.value_or(std::vector<uint8_t>());
    const bool exists = read && Platform::FileExists(mPath.string());
    bool valid = false;
    mProfileLoaded = false;
    if (file.size() >= kProfilesOffset) {
        PrefHeader header;
        DecodeHeader(file.data(), header);
        valid = header.signature == PrefHeader::kSignature && header.version == PrefHeader::kVersion;
        if (valid) {
            mHeader = header;
            GetTable(file.data() + kTablesOffset, mSurvival);
            GetTable(file.data() + kTablesOffset + kTableBytes, mCareer);
            mProfileLoaded = ReadProfileAt(file, mHeader.currentProfile, mProfile);
        }
    }
    const bool damaged = exists && !valid;
    bool kept = true;
    if (damaged)
        kept = KeepDamagedFile("is damaged (its header or tables); defaults used");
    else if (valid && (file.size() - kProfilesOffset) % ProfileRecord::kFileSize != 0)
        kept = KeepDamagedFile("is cut inside its profiles; the whole ones are kept");
    if (!valid)
        SetDefaults();
    if (!mProfileLoaded)
        NewProfile(L"unknown"); // in memory only: not written until it is created
    ApplySettings();
    if (!kept)
        return true; // a damaged file that could not be kept aside is not written over here
    if (damaged) {
        // Nothing of the damaged file is kept: the defaults start it again.
        if (mApp)
            mHeader.windowed = mApp->mWindowedRequested ? 1 : 0;
        WriteImage({});
    } else {
        Save();
    }
    return true;
}

bool TMPref::Save()
{
    if (mApp)
        mHeader.windowed = mApp->mWindowedRequested ? 1 : 0;
    std::optional<std::vector<uint8_t>> file = ReadFileBytes();
    return file && WriteImage(std::move(*file));
}

bool TMPref::WriteImage(std::vector<uint8_t> file)
{
    // A stored file keeps its whole profile records; bytes of a record cut short are dropped.
    const size_t count = ProfileCount(file);
    file.resize(kProfilesOffset + count * ProfileRecord::kFileSize);
    if (mProfileLoaded) {
        if (mHeader.currentProfile < 0) {
            mHeader.currentProfile = int32_t(count);
        }
        const size_t at = kProfilesOffset + size_t(mHeader.currentProfile) * ProfileRecord::kFileSize;
        if (file.size() < at + ProfileRecord::kFileSize)
            file.resize(at + ProfileRecord::kFileSize);
        EncodeProfile(file.data() + at, mProfile);
    }
    EncodeHeader(file.data(), mHeader);
    PutTable(file.data() + kTablesOffset, mSurvival);
    PutTable(file.data() + kTablesOffset + kTableBytes, mCareer);
    if (!Platform::WriteFileAtomic(mPath.string(), file)) {
        PLATFORM_LOG_WARNING(kLogArea, "cannot write %s; the game goes on without saving", mPath.c_str());
        return false;
    }
    return true;
}

bool TMPref::SwitchProfile(int index, bool writeBack)
{
    if (writeBack)
        Save();
    ProfileRecord record;
    const std::optional<std::vector<uint8_t>> file = ReadFileBytes();
    if (!file || !ReadProfileAt(*file, index, record))
        return false;
    mProfile = record;
    mHeader.currentProfile = index;
    mProfileLoaded = true;
    return Save();
}

bool TMPref::ReadProfile(int index)
{
    return SwitchProfile(index, true);
}

bool TMPref::CreateProfile(const std::wstring& name, ProfileCallback callback, void* argument)
{
    Save();
    NewProfile(name);
    mHeader.currentProfile = -1;
    mProfileLoaded = true;
    if (callback)
        callback(mProfile, argument);
    return Save();
}

bool TMPref::DeleteProfile(int index)
{
    std::optional<std::vector<uint8_t>> read = ReadFileBytes();
    if (!read)
        return false;
    std::vector<uint8_t>& file = *read;
    const size_t count = ProfileCount(file);
    if (index < 0 || size_t(index) >= count)
        return false;
    const int current = mProfileLoaded ? mHeader.currentProfile : -1;
    // The current profile, when another one goes, is written back at its place before the records move.
    if (current >= 0 && current != index && size_t(current) < count)
        EncodeProfile(file.data() + kProfilesOffset + size_t(current) * ProfileRecord::kFileSize, mProfile);
    const auto first = file.begin() + std::ptrdiff_t(kProfilesOffset + size_t(index) * ProfileRecord::kFileSize);
    file.erase(first, first + std::ptrdiff_t(ProfileRecord::kFileSize));

    // The deleted profile is never written back: the profile that replaces it is read from what was stored.
    if (current == index || mHeader.currentProfile == index) {
        if (count > 1 && ReadProfileAt(file, 0, mProfile)) {
            mHeader.currentProfile = 0;
            mProfileLoaded = true;
        } else {
            mHeader.currentProfile = -1;
            mProfileLoaded = false;
            NewProfile(L"unknown");
        }
    } else if (mHeader.currentProfile > index) {
        mHeader.currentProfile -= 1;
    }
    if (mApp)
        mHeader.windowed = mApp->mWindowedRequested ? 1 : 0;
    return WriteImage(std::move(file));
}

void TMPref::ReadAllProfiles(std::vector<ProfileRecord>& out) const
{
    const std::vector<uint8_t> file = ReadFileBytes().value_or(std::vector<uint8_t>());
    const size_t count = ProfileCount(file);
    for (size_t i = 0; i < count; ++i) {
        ProfileRecord record;
        DecodeProfile(file.data() + kProfilesOffset + i * ProfileRecord::kFileSize, record);
        out.push_back(record);
    }
}

int TMPref::InsertHiScore(bool survival, const std::wstring& name, int score)
{
    if (score < 1)
        return kNotPlaced;
    HiScoreTable& table = GetHiScoreTable(survival);
    HiScoreRecord entry;
    entry.SetName(name);
    entry.score = score;

    // Equal scores end up below the new one.
    const auto place =
        size_t(std::count_if(table.begin(), table.end(), [&](const HiScoreRecord& r) { return r.score > score; }));
    if (place >= kTableSize)
        return kNotPlaced;

    // The name's lowest entry, searched from the bottom up.
    size_t same = kTableSize;
    for (size_t i = kTableSize; i-- > 0;) {
        if (table[i].Name() == entry.Name()) {
            same = i;
            break;
        }
    }
    if (same < place)
        return kNotPlaced; // the name already holds a better entry; no other player's entry is lost for it
    // The entries from place down move one row; the last row, or the name's old entry, is overwritten.
    const size_t last = same < kTableSize ? same : kTableSize - 1;
    for (size_t i = last; i > place; --i)
        table[i] = table[i - 1];
    table[place] = entry;
    return int(place);
}

void TMPref::ApplySettings()
{
    const bool muted = mHeader.muted != 0;
    if (TMEngine* engine = TMEngine::GetEngine()) {
        if (TMSoundManager* sounds = engine->GetSoundRegistry())
            sounds->SoundSetEffectsVolume(muted ? 0 : mHeader.effectsVolume);
        if (TMMusicPlayer* music = engine->GetMusicPlayer())
            music->SoundSetMusicVolume(muted ? 0 : mHeader.musicVolume);
    }
    // Before the shell has its display, switching the mode would make the main window ahead of the shell's own
    // start-up; the shell's stored mode stands until then.
    const bool windowed = mHeader.windowed != 0;
    if (mApp && mApp->mDisplay && windowed != mApp->mWindowedRequested)
        mApp->SetScreenMode(windowed);
}

void TMPref::SetDefaultTable(HiScoreTable& table, const char* kind) const
{
    const TMEngine* engine = TMEngine::GetEngine();
    const TMLocTable* texts = engine ? engine->GetLocTable() : nullptr;
    for (size_t k = 0; k < kTableSize; ++k) {
        char id[64];
        std::snprintf(id, sizeof id, "record_%s_name_%02zu", kind, k + 1);
        table[k].SetName(texts ? texts->GetText(id) : std::wstring());
        std::snprintf(id, sizeof id, "record_%s_value_%02zu", kind, k + 1);
        std::string value;
        if (texts) {
            for (wchar_t unit : texts->GetText(id))
                value.push_back(unit < 0x80 ? char(unit) : '?');
        }
        table[k].score = ParseInt(value);
    }
}

void TMPref::SetDefaults()
{
    mHeader = PrefHeader{};
    SetDefaultTable(mSurvival, "survival");
    SetDefaultTable(mCareer, "career");
}

void TMPref::ResetProfile()
{
    mProfile.furthestLevel = 1;
    mProfile.bestMoney.fill(0);
    mProfile.levelCounters.fill(0);
    mProfile.expert.fill(0);
    mProfile.achievements.fill(0);
    mProfile.upgrades.fill(0);
    mProfile.upgradePadding.fill(0);
}

void TMPref::NewProfile(const std::wstring& name)
{
    ResetProfile();
    mProfile.reserved = 0;
    mProfile.SetName(name.empty() ? std::wstring(L"unknown") : name);
}
