#pragma once

// Animation files for the engine tests, written by the content tools' writer (every pointer saved as base +
// offset), and helpers that find and patch single fields so that each refusal shows on an otherwise sound file.

#include "engine/AnmFile.h"
#include "tools/anm/AnmFile.h"

#include <gtest/gtest.h>

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

/// A whole .anm file, written by the content tools' writer.
inline std::vector<uint8_t> WriteAnmFixture(const std::vector<AnmFixtureSequence>& sequences, uint32_t savedBase,
                                            AnmFixtureLayout* layout = nullptr)
{
    std::vector<AnmTool::AnmSequence> written;
    for (const AnmFixtureSequence& s : sequences) {
        AnmTool::AnmSequence sequence;
        sequence.sheet = s.sheet;
        sequence.name = s.name;
        sequence.frameWidth = s.width;
        sequence.mode = s.mode;
        sequence.fps = s.fps;
        for (const AnmFrame& f : s.frames)
            sequence.frames.push_back({f.x, f.y, f.width, f.height, f.offsetX, f.offsetY});
        written.push_back(std::move(sequence));
    }
    std::vector<uint8_t> bytes;
    std::string error;
    EXPECT_TRUE(AnmTool::BuildAnm(written, bytes, error, savedBase)) << error;
    if (layout && !bytes.empty())
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
