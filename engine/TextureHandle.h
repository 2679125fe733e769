#pragma once

namespace Pyxo {
class Image;
}

struct TextureRecord;

/// A small value naming one texture of the texture table. Acquiring it counts a user of the record (the first
/// loads the image), releasing it uncounts (the last deletes the image). A copy names the same record but is
/// not acquired; assignment takes the other's acquired state.
class TextureHandle {
public:
    TextureHandle() = default;
    explicit TextureHandle(TextureRecord* record) : mRecord(record) {}
    TextureHandle(const TextureHandle& other) : mRecord(other.mRecord) {}
    TextureHandle& operator=(const TextureHandle& other);
    ~TextureHandle(); // Release

    void Acquire();
    void Release();
    /// Acquires when not acquired yet; the record's image, or null for an empty handle or an image that could
    /// not be read.
    Pyxo::Image* GetImage();
    /// Release, then empty.
    void Reset();

    [[nodiscard]] TextureRecord* GetRecord() const { return mRecord; }
    [[nodiscard]] bool IsAcquired() const { return mAcquired; }

private:
    TextureRecord* mRecord = nullptr; // borrowed from the texture table
    bool mAcquired = false;
};
