#pragma once

// Animation files for the engine tests: the layout the content tools write (header, sequence array, then each
// sequence's frame block followed by its frames), every pointer saved as base + offset, and helpers that patch
// single fields so that each refusal can be shown on an otherwise sound file.

#include "engine/AnmFile.h"

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace EngineTest {

struct AnmFixtureSequence {
    std::string sheet;
    std::string name;
    int32_t width = 0;
    int32_t mode = 0;
    int32_t fps = 10;
    std::vector<AnmFrame> frames;
};

/// Offsets of the fields a test may patch, counted from the start of the file.
struct AnmFixtureLayout {
    size_t sequenceArrayPointer = 0;          // the header's pointer
    std::vector<size_t> sequences;            // each sequence record
    std::vector<size_t> blocks;               // each frame block
    static constexpr size_t kImageStart = 12; // after magic, base and size
    static constexpr size_t kSizeField = 8;
    static constexpr size_t kCountField = 12;
};

inline void PutU32(std::vector<uint8_t>& bytes, size_t at, uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        bytes[at + size_t(i)] = static_cast<uint8_t>(value >> (8 * i));
}

inline uint32_t GetU32(const std::vector<uint8_t>& bytes, size_t at)
{
    return uint32_t(bytes[at]) | uint32_t(bytes[at + 1]) << 8 | uint32_t(bytes[at + 2]) << 16 |
           uint32_t(bytes[at + 3]) << 24;
}

/// Where the fields lie in a sound file, found through its own pointers (so it holds whatever order the writer
/// chose for its blocks and frames).
inline AnmFixtureLayout LayoutOf(const std::vector<uint8_t>& bytes)
{
    AnmFixtureLayout layout;
    const size_t image = AnmFixtureLayout::kImageStart;
    const uint32_t base = GetU32(bytes, 4);
    layout.sequenceArrayPointer = image + 4;
    const size_t array = image + (GetU32(bytes, image + 4) - base);
    for (uint32_t i = 0; i < GetU32(bytes, image); ++i) {
        const size_t record = array + i * AnmFile::kSequenceSize;
        layout.sequences.push_back(record);
        layout.blocks.push_back(image + (GetU32(bytes, record + 136) - base));
    }
    return layout;
}

/// A whole .anm file; names longer than 63 bytes are cut (the tests patch longer ones in).
inline std::vector<uint8_t> WriteAnmFixture(const std::vector<AnmFixtureSequence>& sequences, uint32_t savedBase,
                                            AnmFixtureLayout* layout = nullptr)
{
    const size_t image = AnmFixtureLayout::kImageStart;
    size_t size = 8 + sequences.size() * AnmFile::kSequenceSize;
    for (const AnmFixtureSequence& s : sequences)
        size += AnmFile::kFrameBlockSize + s.frames.size() * AnmFile::kFrameSize;
    std::vector<uint8_t> bytes(image + size, 0);
    PutU32(bytes, 0, AnmFile::kMagic);
    PutU32(bytes, 4, savedBase);
    PutU32(bytes, 8, static_cast<uint32_t>(size));
    PutU32(bytes, image, static_cast<uint32_t>(sequences.size()));
    PutU32(bytes, image + 4, savedBase + 8);

    size_t next = 8 + sequences.size() * AnmFile::kSequenceSize; // offset in the image
    for (size_t i = 0; i < sequences.size(); ++i) {
        const AnmFixtureSequence& s = sequences[i];
        const size_t record = image + 8 + i * AnmFile::kSequenceSize;
        std::memcpy(&bytes[record], s.sheet.data(), std::min<size_t>(s.sheet.size(), 63));
        std::memcpy(&bytes[record + 68], s.name.data(), std::min<size_t>(s.name.size(), 63));
        PutU32(bytes, record + 132, static_cast<uint32_t>(s.width));
        PutU32(bytes, record + 136, savedBase + static_cast<uint32_t>(next));
        const size_t block = image + next;
        PutU32(bytes, block + 8, static_cast<uint32_t>(s.mode));
        PutU32(bytes, block + 12, static_cast<uint32_t>(s.fps));
        PutU32(bytes, block + 16, static_cast<uint32_t>(s.frames.size()));
        PutU32(bytes, block + 20, savedBase + static_cast<uint32_t>(next + AnmFile::kFrameBlockSize));
        for (size_t f = 0; f < s.frames.size(); ++f) {
            const AnmFrame& frame = s.frames[f];
            const size_t at = block + AnmFile::kFrameBlockSize + f * AnmFile::kFrameSize;
            const int32_t fields[] = {frame.x, frame.y, frame.width, frame.height, frame.offsetX, frame.offsetY};
            for (size_t k = 0; k < 6; ++k)
                PutU32(bytes, at + 4 * k, static_cast<uint32_t>(fields[k]));
        }
        next += AnmFile::kFrameBlockSize + s.frames.size() * AnmFile::kFrameSize;
    }
    if (layout)
        *layout = LayoutOf(bytes);
    return bytes;
}

/// n frames of w x h laid out left to right in the sheet, each drawn at (offsetX, offsetY).
inline std::vector<AnmFrame> StripFrames(int n, int w, int h, int offsetX = 0, int offsetY = 0)
{
    std::vector<AnmFrame> frames;
    for (int i = 0; i < n; ++i)
        frames.push_back({i * w, 0, w, h, offsetX, offsetY});
    return frames;
}

} // namespace EngineTest
