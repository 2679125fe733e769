#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>

namespace Platform {

/// A whole regular file mapped read-only into memory: its bytes cost address space, and pages are read from the
/// file only as they are touched. The path resolves as every file call does ('\' as '/', case ignored). Any
/// thread may read the bytes; the object itself is not changed after Open.
class MappedFile {
public:
    /// Null when the file cannot be opened or mapped, or is not a regular file. An empty file gives an empty view.
    [[nodiscard]] static std::unique_ptr<MappedFile> Open(std::string_view path);
    ~MappedFile();
    MappedFile(const MappedFile&) = delete;
    MappedFile& operator=(const MappedFile&) = delete;

    [[nodiscard]] const uint8_t* Data() const { return static_cast<const uint8_t*>(mAddress); }
    [[nodiscard]] size_t Size() const { return mSize; }
    /// Whether the file still holds every mapped byte. A file cut short after mapping would fault on a read of
    /// the lost part, so readers check before they start. (A file replaced by a new one keeps the old bytes.)
    [[nodiscard]] bool StillWhole() const;

private:
    MappedFile(int descriptor, void* address, size_t size) : mDescriptor(descriptor), mAddress(address), mSize(size) {}

    int mDescriptor = -1;     // kept open for StillWhole
    void* mAddress = nullptr; // null for an empty file
    size_t mSize = 0;
};

} // namespace Platform
