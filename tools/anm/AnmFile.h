#pragma once

#include <cstdint>
#include <string>
#include <vector>

/// Animation files (anm\<name>.anm) as the content build writes them: the memory image of a sequence table whose
/// 32-bit pointer fields hold "saved base + offset within the image".
///
/// File: "ANM!", u32 saved base, u32 image size, the image. Image: i32 sequence count, pointer to the sequence
/// array; 140-byte sequences {64-byte sheet name, u32 run-time slot (0), 64-byte sequence name, i32 frame width,
/// pointer to the frame block}; 24-byte frame blocks {8 bytes 0, i32 play mode, i32 fps, i32 frame count, pointer
/// to the frames}; 24-byte frames {i32 source x, y, width, height, offset x, offset y}. Little-endian throughout.
namespace AnmTool {

inline constexpr uint32_t kAnmMagic = 0x214D4E41; // "ANM!"
inline constexpr size_t kAnmMaxName = 63;         // bytes before the terminating zero
inline constexpr size_t kAnmSequenceSize = 140;
inline constexpr size_t kAnmFrameBlockSize = 24;
inline constexpr size_t kAnmFrameSize = 24;
/// The saved base the content tools use; any value works as long as every pointer stays below 4 GiB.
inline constexpr uint32_t kAnmDefaultBase = 0x00A00000;

enum AnmPlayMode : int32_t { kAnmLoop = 0, kAnmOnceForward = 1, kAnmOnceBackward = 2 };

struct AnmFrame {
    int32_t x = 0, y = 0, width = 0, height = 0; // rectangle in the sprite sheet
    int32_t offsetX = 0, offsetY = 0;            // where it is drawn relative to the part
    bool operator==(const AnmFrame&) const = default;
};

struct AnmSequence {
    std::string sheet; // image file name of the sprite sheet, e.g. "images\\waiter_body.png"
    std::string name;  // part + skin + orientation + animation, e.g. "bodyredbrwalk01"
    int32_t frameWidth = 0;
    int32_t mode = kAnmLoop;
    int32_t fps = 0;
    std::vector<AnmFrame> frames;
    bool operator==(const AnmSequence&) const = default;
};

/// The file's bytes. False, with the reason, when a name is empty or longer than kAnmMaxName bytes, a sequence has
/// no frames, the play mode is unknown or a pointer would not fit in 32 bits.
[[nodiscard]] bool BuildAnm(const std::vector<AnmSequence>& sequences, std::vector<uint8_t>& out, std::string& error,
                            uint32_t savedBase = kAnmDefaultBase);

/// Reads a file's bytes back, checking the magic, the size and that every pointer lands inside the image. False,
/// with the reason, otherwise. The content checker uses it to list the sequences of a built file.
[[nodiscard]] bool ReadAnm(const std::vector<uint8_t>& bytes, std::vector<AnmSequence>& out, std::string& error);

} // namespace AnmTool
