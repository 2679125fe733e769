#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

/// The pack-file layer: stdio-style reads served from pack archives (data.pak and friends), falling back to the
/// disk for every name that no mounted archive holds. One interface per process is registered (the first one
/// constructed) and found by the PakFOpen family (graphics/PakFile.h).
///
/// Archive format (little-endian, every byte stored XOR kPakKey): u32 magic kPakMagic, u32 version 0, then
/// directory entries {u8 flags, u8 name length n, n name bytes ('\' separators), u32 size, u64 FILETIME}, ended by
/// a flags byte with bit 0x80 set; the file data follow, whole and in directory order.

inline constexpr uint8_t kPakKey = 0xA9;
inline constexpr uint32_t kPakMagic = 0xBAC04AC0;
inline constexpr uint32_t kPakVersion = 0;
inline constexpr uint8_t kPakEndOfDirectory = 0x80;
inline constexpr size_t kPakMaxPath = 260; // normalised names of this length or more match no record

inline constexpr int kPakSeekSet = 0;
inline constexpr int kPakSeekCur = 1;
inline constexpr int kPakSeekEnd = 2;

inline constexpr uint32_t kPakAttributeDirectory = 16;

struct PakArchive;

/// One file stored in a mounted archive. Immutable once mounted.
struct PakRecord {
    const PakArchive* archive = nullptr; // borrowed; owned by the interface
    std::string name;                    // as stored in the directory (original case)
    uint64_t fileTime = 0;               // Windows FILETIME
    uint32_t start = 0;                  // offset of the data within the archive
    uint32_t size = 0;
};

/// What an open returns; owned by the caller until the matching close. Exactly one of record and file is set.
struct PakFileHandle {
    const PakRecord* record = nullptr; // borrowed from the interface; null for a plain file
    int position = 0;                  // bytes from the record's start
    FILE* file = nullptr;              // owned; null for an archive record
};

/// What find-first and find-next report for one entry (the fields of a Windows find record that callers use).
struct PakFindData {
    uint32_t attributes = 0; // 0, or kPakAttributeDirectory
    uint64_t creationTime = 0;
    uint64_t lastAccessTime = 0;
    uint64_t lastWriteTime = 0;
    uint32_t fileSizeHigh = 0;
    uint32_t fileSizeLow = 0;
    std::string fileName; // without its folder
};

struct PakFindState;
/// Owned by the caller from find-first to FindClose; null means "no match" (the invalid handle).
using PakFindHandle = PakFindState*;

/// The stdio-style operations of the pack layer. Every operation taking a handle accepts the handles made by
/// this layer and the plain-file handles {null, 0, FILE*} of the fallback in graphics/PakFile.h.
class PakInterfaceBase {
public:
    virtual ~PakInterfaceBase() = default;

    virtual PakFileHandle* FOpen2(const char* name, const char* mode) = 0;
    virtual PakFileHandle* FOpen(const char* name, const char* mode) = 0;
    virtual int FClose(PakFileHandle* handle) = 0;
    virtual int FSeek(PakFileHandle* handle, long offset, int origin) = 0;
    virtual long FTell(PakFileHandle* handle) = 0;
    virtual size_t FRead(void* buffer, size_t elementSize, size_t count, PakFileHandle* handle) = 0;
    virtual int FGetC(PakFileHandle* handle) = 0;
    /// Next 16-bit unit (little-endian), carriage returns skipped; 0xFFFF at the end.
    virtual uint16_t FGetWC(PakFileHandle* handle) = 0;
    virtual int UnGetC(int character, PakFileHandle* handle) = 0;
    /// Reads 16-bit units up to and including a line feed, at most count - 1 of them, and terminates with 0.
    virtual wchar_t* FGetWS(wchar_t* buffer, int count, PakFileHandle* handle) = 0;
    virtual char* FGetS(char* buffer, int count, PakFileHandle* handle) = 0;
    virtual int FEof(PakFileHandle* handle) = 0;
    virtual PakFindHandle FindFirstFile(const char* pattern, PakFindData* data) = 0;
    virtual bool FindNextFile(PakFindHandle find, PakFindData* data) = 0;
    virtual int FindClose(PakFindHandle find) = 0;
};

/// The process's pack layer. Mount archives at start-up, before other threads read; afterwards any thread may
/// open and read concurrently without a lock (each handle carries its own position; archive data are read-only).
class PakInterface : public PakInterfaceBase {
public:
    /// Registers this interface as the process's one when none is registered yet.
    PakInterface();
    /// Unregisters it when it is the registered one. Handles to its records must be closed before.
    ~PakInterface() override;
    PakInterface(const PakInterface&) = delete;
    PakInterface& operator=(const PakInterface&) = delete;

    /// Mounts an archive file, mapped into memory rather than read; a record that an earlier archive holds is
    /// replaced (the last mount wins). False, with nothing mounted, when the file is missing or is not a whole,
    /// valid archive. A file cut short after mounting fails the opens of its records.
    [[nodiscard]] bool AddPakFile(const std::string& name);
    /// The same for archive bytes already in memory (the name only labels diagnostics).
    [[nodiscard]] bool AddPakBytes(const std::string& name, std::vector<uint8_t> bytes);

    /// Record of a name as open would find it (normalised first); null when no archive holds it.
    [[nodiscard]] const PakRecord* FindRecord(std::string_view name) const;
    /// The record directory, by key.
    const std::map<std::string, PakRecord>& GetRecords() const { return mRecords; }

    PakFileHandle* FOpen2(const char* name, const char* mode) override;
    PakFileHandle* FOpen(const char* name, const char* mode) override;
    int FClose(PakFileHandle* handle) override;
    int FSeek(PakFileHandle* handle, long offset, int origin) override;
    long FTell(PakFileHandle* handle) override;
    size_t FRead(void* buffer, size_t elementSize, size_t count, PakFileHandle* handle) override;
    int FGetC(PakFileHandle* handle) override;
    uint16_t FGetWC(PakFileHandle* handle) override;
    int UnGetC(int character, PakFileHandle* handle) override;
    wchar_t* FGetWS(wchar_t* buffer, int count, PakFileHandle* handle) override;
    char* FGetS(char* buffer, int count, PakFileHandle* handle) override;
    int FEof(PakFileHandle* handle) override;
    PakFindHandle FindFirstFile(const char* pattern, PakFindData* data) override;
    bool FindNextFile(PakFindHandle find, PakFindData* data) override;
    int FindClose(PakFindHandle find) override;

    /// The key under which a name is looked up: relative to the working directory when it starts with it,
    /// upper-cased (ASCII), separators folded into single '\', "dir\.." removed. Empty when the result would not
    /// fit kPakMaxPath.
    [[nodiscard]] static std::string NormalizeName(std::string_view name);

private:
    /// Reads the directory of an archive whose bytes are in place and enters its records; false (nothing
    /// entered, the archive dropped) when it is not a whole, valid archive.
    bool Mount(std::unique_ptr<PakArchive> archive);
    bool FindNextRecord(PakFindState& find, PakFindData* data) const;

    std::vector<std::unique_ptr<PakArchive>> mArchives; // owned, mount order
    std::map<std::string, PakRecord> mRecords;          // key: normalised (upper-cased) name
};

/// Plain-file 16-bit read shared by the interface and the fallback wrappers: two bytes, little-endian,
/// carriage returns skipped; 0xFFFF at the end.
uint16_t PakStdioGetWC(FILE* file);
