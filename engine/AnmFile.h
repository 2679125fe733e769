#pragma once

#include "graphics/ImagePoolRef.h"

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

/// One frame of a sequence: its rectangle in the sprite sheet and where it is drawn relative to the part.
struct AnmFrame {
    int32_t x = 0;
    int32_t y = 0;
    int32_t width = 0;
    int32_t height = 0;
    int32_t offsetX = 0;
    int32_t offsetY = 0;
};

/// How a sequence plays.
struct AnmFrameBlock {
    enum Mode : int32_t { Loop = 0, OnceForward = 1, OnceBackward = 2 };

    int32_t mode = Loop;
    int32_t fps = 0; // 0 when count is below 2
    int32_t count = 0;
    std::vector<AnmFrame> frames; // count records
};

/// One named sequence of frames cut from one sprite sheet.
struct AnmSequence {
    std::string fileName; // the sprite sheet
    std::string name;
    int32_t width = 0;              // frame width of the sequence, used to mirror frames
    AnmFrameBlock* block = nullptr; // borrowed from the file; sequences may share a block
    /// The sheet, once the sequence was first selected (or its skin acquired); see imageRequested.
    Pyxo::ImagePoolRef image;
    bool imageRequested = false;
};

/// An animation file, anm\<name>.anm: the sequences of one item part. The file is a memory image whose 32-bit
/// pointer fields hold addresses as they were when it was written; each is read as an offset from the saved base
/// and checked against the image before anything is read through it, so a damaged or hostile file is refused
/// whole instead of being read outside its bytes. Loaded on the level-loading thread, used on the main thread.
class AnmFile {
public:
    static constexpr uint32_t kMagic = 0x214D4E41; // "ANM!"
    static constexpr size_t kHeaderSize = 12;      // magic, saved base, image size
    static constexpr size_t kSequenceSize = 140;
    static constexpr size_t kFrameBlockSize = 24;
    static constexpr size_t kFrameSize = 24;
    static constexpr size_t kNameSize = 64;
    /// Higher frame rates are lowered to it when read.
    static constexpr int32_t kMaxFps = 1000;

    AnmFile() = default;
    AnmFile(const AnmFile&) = delete;
    AnmFile& operator=(const AnmFile&) = delete;

    /// The file's sequences from its bytes (the whole file, header included); null, with the reason in error when
    /// given, when the bytes do not make a well-formed animation file, or when its frame blocks together claim more
    /// frames than the image holds (overlapping blocks would make a small file ask for huge memory).
    [[nodiscard]] static std::unique_ptr<AnmFile> Parse(std::span<const uint8_t> bytes, std::string* error = nullptr);
    /// Reads the file through the pack layer and parses it; null (and an engine log line) on failure.
    [[nodiscard]] static std::unique_ptr<AnmFile> Load(const std::string& path);

    [[nodiscard]] int Count() const { return static_cast<int>(mSequences.size()); }
    [[nodiscard]] AnmSequence* Sequence(int index);
    /// Index of the first sequence of exactly that name, or -1.
    [[nodiscard]] int Find(const std::string& name) const;
    /// Frame blocks whose frame rate was above kMaxFps.
    [[nodiscard]] int ClampedFrameRates() const { return mClampedFrameRates; }

    std::vector<AnmSequence> mSequences;

private:
    std::vector<std::unique_ptr<AnmFrameBlock>> mBlocks; // owned; one per distinct block of the file
    int mClampedFrameRates = 0;
};
