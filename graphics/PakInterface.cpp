#include "graphics/PakInterface.h"

#include "graphics/PakFile.h"
#include "platform/files/FileSystem.h"
#include "platform/files/MappedFile.h"
#include "platform/log/Log.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <filesystem>
#include <limits>
#include <memory>
#include <span>

struct PakArchive {
    std::string name;
    std::vector<uint8_t> bytes;                   // an archive mounted from memory
    std::unique_ptr<Platform::MappedFile> mapped; // an archive mounted from disk
    const uint8_t* data = nullptr;                // the whole archive, still XOR-ed: one of the two above
    size_t size = 0;
};

struct PakFindState {
    std::string pattern; // normalised
    std::string lastKey; // key of the record returned last
    bool searchedRecords = false;
    bool onDisk = false;
    std::vector<Platform::FoundFile> disk;
    size_t diskIndex = 0;
};

namespace {

constexpr uint16_t kWideKey = uint16_t(kPakKey) << 8 | kPakKey;

bool IsSeparator(char c)
{
    return c == '\\' || c == '/';
}

char ToUpperAscii(char c)
{
    return c >= 'a' && c <= 'z' ? char(c - 'a' + 'A') : c;
}

// True when `name` begins with `prefix`, letters compared without case and both separators alike.
bool StartsWithPath(std::string_view name, std::string_view prefix)
{
    if (prefix.size() > name.size()) {
        return false;
    }
    for (size_t i = 0; i < prefix.size(); ++i) {
        const char a = name[i];
        const char b = prefix[i];
        if (IsSeparator(a) && IsSeparator(b)) {
            continue;
        }
        if (ToUpperAscii(a) != ToUpperAscii(b)) {
            return false;
        }
    }
    return true;
}

// Reads the archive's little-endian fields, undoing the XOR; every read reports whether the bytes were there.
class ArchiveReader {
public:
    explicit ArchiveReader(std::span<const uint8_t> bytes) : mBytes(bytes) {}

    bool Byte(uint8_t& out)
    {
        if (mPos >= mBytes.size()) {
            return false;
        }
        out = mBytes[mPos++] ^ kPakKey;
        return true;
    }
    bool U32(uint32_t& out)
    {
        uint64_t value = 0;
        if (!Little(4, value)) {
            return false;
        }
        out = uint32_t(value);
        return true;
    }
    bool U64(uint64_t& out) { return Little(8, out); }
    bool Text(size_t length, std::string& out)
    {
        if (mBytes.size() - mPos < length) {
            return false;
        }
        out.resize(length);
        for (size_t i = 0; i < length; ++i) {
            out[i] = char(mBytes[mPos++] ^ kPakKey);
        }
        return true;
    }
    size_t Position() const { return mPos; }

private:
    bool Little(int count, uint64_t& out)
    {
        if (mBytes.size() - mPos < size_t(count)) {
            return false;
        }
        out = 0;
        for (int i = 0; i < count; ++i) {
            out |= uint64_t(mBytes[mPos++] ^ kPakKey) << (8 * i);
        }
        return true;
    }

    std::span<const uint8_t> mBytes;
    size_t mPos = 0;
};

const uint8_t* RecordData(const PakRecord& record)
{
    return record.archive->data + record.start;
}

// The handle's record, its position first brought inside the record (the handle is a plain struct that a caller
// could have changed), so that no read leaves the record's bytes.
const PakRecord& ClampedRecord(PakFileHandle& handle)
{
    const PakRecord& record = *handle.record;
    if (handle.position < 0) {
        handle.position = 0;
    } else if (uint32_t(handle.position) > record.size) {
        handle.position = int(record.size);
    }
    return record;
}

bool IsReadMode(const char* mode)
{
    if (mode == nullptr) {
        return false;
    }
    std::string lower(mode);
    for (char& c : lower) {
        c = char(std::tolower(static_cast<unsigned char>(c)));
    }
    return lower == "r" || lower == "rb" || lower == "rt";
}

void FillFromRecord(const std::string& key, const PakRecord& record, size_t charsAfterStar, PakFindData* data)
{
    if (data == nullptr) {
        return;
    }
    *data = PakFindData{};
    const size_t tail = std::min(charsAfterStar, key.size());
    data->attributes = key.find('\\', key.size() - tail) != std::string::npos ? kPakAttributeDirectory : 0;
    const size_t slash = record.name.find_last_of('\\');
    data->fileName = slash == std::string::npos ? record.name : record.name.substr(slash + 1);
    data->fileSizeLow = record.size;
    data->creationTime = data->lastAccessTime = data->lastWriteTime = record.fileTime;
}

void FillFromDisk(const Platform::FoundFile& found, PakFindData* data)
{
    if (data == nullptr) {
        return;
    }
    *data = PakFindData{};
    data->attributes = found.isFolder ? kPakAttributeDirectory : 0;
    data->fileName = found.name;
    data->fileSizeLow = uint32_t(found.size);
    data->fileSizeHigh = uint32_t(found.size >> 32);
    data->creationTime = found.creationTime;
    data->lastAccessTime = found.lastAccessTime;
    data->lastWriteTime = found.lastWriteTime;
}

} // namespace

uint16_t PakStdioGetWC(FILE* file)
{
    for (;;) {
        const int low = std::fgetc(file);
        const int high = low == EOF ? EOF : std::fgetc(file);
        if (high == EOF) {
            return 0xFFFF;
        }
        const uint16_t unit = uint16_t(low | high << 8);
        if (unit != 13) {
            return unit;
        }
    }
}

PakInterface::PakInterface()
{
    RegisterPakInterface(this);
}

PakInterface::~PakInterface()
{
    UnregisterPakInterface(this);
}

std::string PakInterface::NormalizeName(std::string_view name)
{
    // A full path inside the working directory becomes relative to it, as the records are.
    const bool absolute = (name.size() >= 2 && name[1] == ':') || (!name.empty() && IsSeparator(name[0]));
    if (absolute) {
        std::error_code error;
        const std::string cwd = std::filesystem::current_path(error).string();
        if (!error && !cwd.empty()) {
            std::string prefix = cwd;
            if (!IsSeparator(prefix.back())) {
                prefix += '/';
            }
            if (StartsWithPath(name, prefix)) {
                name.remove_prefix(prefix.size());
            }
        }
    }

    std::string out;
    out.reserve(name.size());
    size_t i = 0;
    while (i < name.size()) {
        const char c = name[i];
        if (IsSeparator(c)) {
            if (out.empty() || out.back() != '\\') {
                out += '\\';
            }
            ++i;
            continue;
        }
        const bool dotDot =
            c == '.' && i + 1 < name.size() && name[i + 1] == '.' && (i + 2 == name.size() || IsSeparator(name[i + 2]));
        if (dotDot && !out.empty() && out.back() == '\\') {
            std::string_view before(out.data(), out.size() - 1);
            const size_t slash = before.find_last_of('\\');
            const std::string_view component = slash == std::string_view::npos ? before : before.substr(slash + 1);
            if (component != "..") {
                out.resize(slash == std::string_view::npos ? 0 : slash + 1);
                i += 2;
                while (i < name.size() && IsSeparator(name[i])) {
                    ++i;
                }
                continue;
            }
        }
        out += ToUpperAscii(c);
        ++i;
    }
    if (out.size() >= kPakMaxPath) {
        return {};
    }
    return out;
}

bool PakInterface::AddPakFile(const std::string& name)
{
    // Mapped, not read: a large archive costs address space, and only the pages read are brought in.
    auto archive = std::make_unique<PakArchive>();
    archive->mapped = Platform::MappedFile::Open(name);
    if (!archive->mapped) {
        return false;
    }
    archive->data = archive->mapped->Data();
    archive->size = archive->mapped->Size();
    archive->name = name;
    return Mount(std::move(archive));
}

bool PakInterface::AddPakBytes(const std::string& name, std::vector<uint8_t> bytes)
{
    auto archive = std::make_unique<PakArchive>();
    archive->bytes = std::move(bytes);
    archive->data = archive->bytes.data();
    archive->size = archive->bytes.size();
    archive->name = name;
    return Mount(std::move(archive));
}

bool PakInterface::Mount(std::unique_ptr<PakArchive> archive)
{
    const std::string& name = archive->name;
    const std::span<const uint8_t> bytes(archive->data, archive->size);
    if (bytes.size() > std::numeric_limits<uint32_t>::max()) {
        Platform::Log(Platform::LogLevel::Warning, "pak", "%s: archive too large", name.c_str());
        return false;
    }
    ArchiveReader reader(bytes);
    uint32_t magic = 0;
    uint32_t version = 0;
    if (!reader.U32(magic) || !reader.U32(version) || magic != kPakMagic || version != kPakVersion) {
        Platform::Log(Platform::LogLevel::Warning, "pak", "%s: not a pack archive", name.c_str());
        return false;
    }

    std::vector<PakRecord> entries;
    uint64_t dataSize = 0;
    for (;;) {
        uint8_t flags = 0;
        uint8_t length = 0;
        PakRecord record;
        if (!reader.Byte(flags)) {
            Platform::Log(Platform::LogLevel::Warning, "pak", "%s: directory is truncated", name.c_str());
            return false;
        }
        if (flags & kPakEndOfDirectory) {
            break;
        }
        if (!reader.Byte(length) || !reader.Text(length, record.name) || !reader.U32(record.size) ||
            !reader.U64(record.fileTime)) {
            Platform::Log(Platform::LogLevel::Warning, "pak", "%s: directory is truncated", name.c_str());
            return false;
        }
        if (record.size > uint32_t(std::numeric_limits<int>::max())) {
            // Handles count positions in an int.
            Platform::Log(Platform::LogLevel::Warning, "pak", "%s: record too large", name.c_str());
            return false;
        }
        record.archive = archive.get();
        record.start = uint32_t(dataSize); // relative to the data start until the directory is read
        dataSize += record.size;
        entries.push_back(std::move(record));
        if (dataSize > bytes.size()) {
            break; // already more than the file holds; reported below
        }
    }

    // A directory that claims more data than the file holds would make reads leave the archive.
    const uint64_t dataStart = reader.Position();
    if (dataStart + dataSize > bytes.size()) {
        Platform::Log(Platform::LogLevel::Warning, "pak",
                      "%s: truncated or damaged (%llu bytes of data listed, %llu present)", name.c_str(),
                      static_cast<unsigned long long>(dataSize),
                      static_cast<unsigned long long>(bytes.size() - std::min<uint64_t>(dataStart, bytes.size())));
        return false;
    }

    for (PakRecord& record : entries) {
        record.start += uint32_t(dataStart);
        std::string key = record.name;
        for (char& c : key) {
            c = ToUpperAscii(c);
        }
        mRecords.insert_or_assign(std::move(key), std::move(record));
    }
    mArchives.push_back(std::move(archive));
    return true;
}

const PakRecord* PakInterface::FindRecord(std::string_view name) const
{
    const std::string key = NormalizeName(name);
    if (key.empty()) {
        return nullptr;
    }
    const auto it = mRecords.find(key);
    return it == mRecords.end() ? nullptr : &it->second;
}

PakFileHandle* PakInterface::FOpen2(const char*, const char*)
{
    return nullptr;
}

PakFileHandle* PakInterface::FOpen(const char* name, const char* mode)
{
    if (name == nullptr || mode == nullptr) {
        return nullptr;
    }
    // Writing modes always reach the disk, so that a pack never shadows a file being written.
    if (IsReadMode(mode)) {
        if (const PakRecord* record = FindRecord(name)) {
            // Reads of an archive file cut short since it was mounted would fault; such a file fails its opens.
            const PakArchive& archive = *record->archive;
            if (archive.mapped && !archive.mapped->StillWhole()) {
                Platform::Log(Platform::LogLevel::Error, "pak", "%s: changed on disk since it was mounted",
                              archive.name.c_str());
                return nullptr;
            }
            return new PakFileHandle{record, 0, nullptr};
        }
    }
    FILE* file = Platform::OpenFile(name, mode);
    if (file == nullptr) {
        return nullptr;
    }
    return new PakFileHandle{nullptr, 0, file};
}

int PakInterface::FClose(PakFileHandle* handle)
{
    if (handle == nullptr) {
        return EOF;
    }
    if (handle->file != nullptr) {
        std::fclose(handle->file);
    }
    delete handle;
    return 0;
}

int PakInterface::FSeek(PakFileHandle* handle, long offset, int origin)
{
    if (handle == nullptr) {
        return -1;
    }
    if (handle->record == nullptr) {
        return handle->file != nullptr ? std::fseek(handle->file, offset, origin) : -1;
    }
    const int64_t size = handle->record->size;
    int64_t position = 0;
    switch (origin) {
    case kPakSeekSet:
        position = offset;
        break;
    case kPakSeekCur:
        position = int64_t(handle->position) + offset;
        break;
    case kPakSeekEnd:
        position = size + offset;
        break;
    default:
        return -1;
    }
    if (position < 1 || size < 1) {
        position = 0;
    } else if (position >= size) {
        position = size;
    }
    handle->position = int(position);
    return 0;
}

long PakInterface::FTell(PakFileHandle* handle)
{
    if (handle == nullptr) {
        return -1;
    }
    if (handle->record == nullptr) {
        return handle->file != nullptr ? std::ftell(handle->file) : -1;
    }
    return handle->position;
}

size_t PakInterface::FRead(void* buffer, size_t elementSize, size_t count, PakFileHandle* handle)
{
    if (handle == nullptr) {
        return 0;
    }
    if (handle->record == nullptr) {
        return handle->file != nullptr ? std::fread(buffer, elementSize, count, handle->file) : 0;
    }
    if (elementSize == 0 || count == 0) {
        return 0;
    }
    const PakRecord& record = ClampedRecord(*handle);
    const size_t wanted = count > std::numeric_limits<size_t>::max() / elementSize ? std::numeric_limits<size_t>::max()
                                                                                   : elementSize * count;
    const size_t left = record.size - size_t(handle->position);
    const size_t n = std::min(wanted, left);
    const uint8_t* source = RecordData(record) + handle->position;
    auto* target = static_cast<uint8_t*>(buffer);
    for (size_t i = 0; i < n; ++i) {
        target[i] = source[i] ^ kPakKey;
    }
    handle->position += int(n);
    // Like fread: a trailing part-element is copied but not counted.
    return n / elementSize;
}

int PakInterface::FGetC(PakFileHandle* handle)
{
    if (handle == nullptr) {
        return EOF;
    }
    if (handle->record == nullptr) {
        return handle->file != nullptr ? std::fgetc(handle->file) : EOF;
    }
    const PakRecord& record = ClampedRecord(*handle);
    while (uint32_t(handle->position) < record.size) {
        const uint8_t c = RecordData(record)[handle->position++] ^ kPakKey;
        if (c != 13) {
            return c;
        }
    }
    return EOF;
}

uint16_t PakInterface::FGetWC(PakFileHandle* handle)
{
    if (handle == nullptr) {
        return 0xFFFF;
    }
    if (handle->record == nullptr) {
        return handle->file != nullptr ? PakStdioGetWC(handle->file) : 0xFFFF;
    }
    const PakRecord& record = ClampedRecord(*handle);
    while (uint32_t(handle->position) + 2 <= record.size) {
        const uint8_t* p = RecordData(record) + handle->position;
        handle->position += 2;
        const uint16_t unit = uint16_t(p[0] | p[1] << 8) ^ kWideKey;
        if (unit != 13) {
            return unit;
        }
    }
    // A lone last byte is no whole unit: it ends the file.
    handle->position = int(record.size);
    return 0xFFFF;
}

int PakInterface::UnGetC(int character, PakFileHandle* handle)
{
    if (handle == nullptr) {
        return EOF;
    }
    if (handle->record == nullptr) {
        return handle->file != nullptr ? std::ungetc(character, handle->file) : EOF;
    }
    if (handle->position > 0) {
        --handle->position;
    }
    return character;
}

wchar_t* PakInterface::FGetWS(wchar_t* buffer, int count, PakFileHandle* handle)
{
    if (handle == nullptr || buffer == nullptr || count < 1) {
        return nullptr;
    }
    int stored = 0;
    bool ended = false;
    while (stored < count - 1) {
        const uint16_t unit = FGetWC(handle); // skips carriage returns
        if (unit == 0xFFFF) {
            ended = true;
            break;
        }
        buffer[stored++] = wchar_t(unit);
        if (unit == 10) {
            break;
        }
    }
    buffer[stored] = 0;
    return ended && stored == 0 ? nullptr : buffer;
}

char* PakInterface::FGetS(char* buffer, int count, PakFileHandle* handle)
{
    if (handle == nullptr || buffer == nullptr || count < 1) {
        return nullptr;
    }
    if (handle->record == nullptr) {
        return handle->file != nullptr ? std::fgets(buffer, count, handle->file) : nullptr;
    }
    int stored = 0;
    bool ended = false;
    while (stored < count - 1) {
        const int c = FGetC(handle); // skips carriage returns
        if (c == EOF) {
            ended = true;
            break;
        }
        buffer[stored++] = char(c);
        if (c == 10) {
            break;
        }
    }
    buffer[stored] = 0;
    return ended && stored == 0 ? nullptr : buffer;
}

int PakInterface::FEof(PakFileHandle* handle)
{
    if (handle == nullptr) {
        return 1;
    }
    if (handle->record == nullptr) {
        return handle->file != nullptr ? std::feof(handle->file) : 1;
    }
    return uint32_t(handle->position) >= handle->record->size ? 1 : 0;
}

bool PakInterface::FindNextRecord(PakFindState& find, PakFindData* data) const
{
    const size_t star = find.pattern.find('*');
    if (star == std::string::npos) {
        return false;
    }
    const std::string prefix = find.pattern.substr(0, star);
    const std::string rest = find.pattern.substr(star + 1);
    auto it = find.searchedRecords ? mRecords.upper_bound(find.lastKey) : mRecords.lower_bound(prefix);
    find.searchedRecords = true;
    for (; it != mRecords.end(); ++it) {
        const std::string& key = it->first;
        if (key.compare(0, prefix.size(), prefix) != 0) {
            if (key > prefix) {
                break; // keys are ordered: nothing further starts with the prefix
            }
            continue;
        }
        const bool tailMatches =
            rest.empty() || rest == ".*" ||
            (key.size() >= rest.size() && key.compare(key.size() - rest.size(), rest.size(), rest) == 0);
        if (!tailMatches) {
            continue;
        }
        find.lastKey = key;
        FillFromRecord(key, it->second, rest.size(), data);
        return true;
    }
    return false;
}

PakFindHandle PakInterface::FindFirstFile(const char* pattern, PakFindData* data)
{
    auto find = std::make_unique<PakFindState>();
    find->pattern = NormalizeName(pattern != nullptr ? pattern : "");
    if (FindNextRecord(*find, data)) {
        return find.release();
    }
    find->onDisk = true;
    if (!find->pattern.empty()) {
        find->disk = Platform::FindFiles(find->pattern);
    }
    if (find->disk.empty()) {
        return nullptr;
    }
    FillFromDisk(find->disk[0], data);
    find->diskIndex = 1;
    return find.release();
}

bool PakInterface::FindNextFile(PakFindHandle find, PakFindData* data)
{
    if (find == nullptr) {
        return false;
    }
    if (!find->onDisk) {
        if (FindNextRecord(*find, data)) {
            return true;
        }
        find->onDisk = true;
        find->disk = Platform::FindFiles(find->pattern);
        find->diskIndex = 0;
    }
    if (find->diskIndex >= find->disk.size()) {
        return false;
    }
    FillFromDisk(find->disk[find->diskIndex++], data);
    return true;
}

int PakInterface::FindClose(PakFindHandle find)
{
    delete find;
    return 1;
}
