// The animation-file writer, read back by a reader of this test that follows the stored pointers itself.
#include "tools/anm/AnmFile.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

using AnmTool::AnmFrame;
using AnmTool::AnmSequence;

uint32_t U32(const std::vector<uint8_t>& bytes, size_t at)
{
    EXPECT_LE(at + 4, bytes.size()) << "read beyond the file";
    if (at + 4 > bytes.size())
        return 0;
    return uint32_t(bytes[at]) | uint32_t(bytes[at + 1]) << 8 | uint32_t(bytes[at + 2]) << 16 |
           uint32_t(bytes[at + 3]) << 24;
}

/// The file offset that a stored pointer names, checked to lie within the image with `span` bytes after it.
size_t Follow(const std::vector<uint8_t>& bytes, uint32_t pointer, size_t span)
{
    const uint32_t base = U32(bytes, 4);
    const uint32_t size = U32(bytes, 8);
    EXPECT_GE(pointer, base);
    EXPECT_LE(uint64_t(pointer - base) + span, size) << "pointer beyond the image";
    return 12 + size_t(pointer - base);
}

const std::vector<AnmSequence> kSequences = {
    {"images\\waiter.png",
     "bodyredbrwalk01",
     64,
     AnmTool::kAnmLoop,
     10,
     {{0, 0, 64, 96, -32, -90}, {64, 0, 64, 96, -32, -88}}},
    {"images\\waiter.png", "bodyredbrwalk02", 64, AnmTool::kAnmOnceBackward, 0, {{0, 96, 64, 96, 1, 2}}},
    {"images\\tray.png",
     "tray",
     40,
     AnmTool::kAnmOnceForward,
     12,
     {{5, 6, 7, 8, 9, 10}, {1, 2, 3, 4, 5, 6}, {0, 0, 1, 1, 0, 0}}},
};

TEST(AnmFile, LayoutFollowsItsPointersFromTheSavedBase)
{
    for (const uint32_t base : {AnmTool::kAnmDefaultBase, 0x12345678u}) {
        SCOPED_TRACE(base);
        std::vector<uint8_t> bytes;
        std::string error;
        ASSERT_TRUE(AnmTool::BuildAnm(kSequences, bytes, error, base)) << error;
        ASSERT_GE(bytes.size(), 20u);
        EXPECT_EQ(std::memcmp(bytes.data(), "ANM!", 4), 0);
        EXPECT_EQ(U32(bytes, 4), base);
        EXPECT_EQ(U32(bytes, 8), bytes.size() - 12);
        EXPECT_EQ(U32(bytes, 8), 8 + 3 * 140 + 3 * 24 + 6 * 24u) << "header, sequences, blocks, frames; no padding";
        EXPECT_EQ(U32(bytes, 12), 3u);
        const size_t array = Follow(bytes, U32(bytes, 16), 3 * 140);
        for (size_t i = 0; i < kSequences.size(); ++i) {
            SCOPED_TRACE(kSequences[i].name);
            const size_t record = array + i * 140;
            EXPECT_STREQ(reinterpret_cast<const char*>(&bytes[record]), kSequences[i].sheet.c_str());
            EXPECT_EQ(U32(bytes, record + 64), 0u) << "the run-time slot";
            EXPECT_STREQ(reinterpret_cast<const char*>(&bytes[record + 68]), kSequences[i].name.c_str());
            EXPECT_EQ(U32(bytes, record + 132), uint32_t(kSequences[i].frameWidth));
            const size_t block = Follow(bytes, U32(bytes, record + 136), 24);
            EXPECT_EQ(U32(bytes, block), 0u);
            EXPECT_EQ(U32(bytes, block + 4), 0u);
            EXPECT_EQ(U32(bytes, block + 8), uint32_t(kSequences[i].mode));
            EXPECT_EQ(U32(bytes, block + 12), uint32_t(kSequences[i].fps));
            const uint32_t count = U32(bytes, block + 16);
            ASSERT_EQ(count, kSequences[i].frames.size());
            const size_t frames = Follow(bytes, U32(bytes, block + 20), count * 24);
            for (size_t k = 0; k < count; ++k) {
                const AnmFrame& f = kSequences[i].frames[k];
                const int32_t expected[6] = {f.x, f.y, f.width, f.height, f.offsetX, f.offsetY};
                for (size_t field = 0; field < 6; ++field)
                    EXPECT_EQ(int32_t(U32(bytes, frames + k * 24 + field * 4)), expected[field]);
            }
        }
        // The library's own reader gives the same table back.
        std::vector<AnmSequence> read;
        ASSERT_TRUE(AnmTool::ReadAnm(bytes, read, error)) << error;
        EXPECT_EQ(read, kSequences);
    }
}

TEST(AnmFile, BadTablesAreRefused)
{
    AnmSequence longest = kSequences[0];
    longest.name = std::string(63, 'n');
    longest.sheet = std::string(63, 's');
    std::vector<uint8_t> bytes;
    std::string error;
    EXPECT_TRUE(AnmTool::BuildAnm({longest}, bytes, error)) << "63 bytes and the zero fill the field";

    const struct {
        const char* name;
        void (*change)(AnmSequence&);
        const char* message;
    } cases[] = {
        {"name of 64 bytes", [](AnmSequence& s) { s.name = std::string(64, 'n'); }, "the sequence name"},
        {"sheet of 64 bytes", [](AnmSequence& s) { s.sheet = std::string(64, 's'); }, "the sheet name"},
        {"empty name", [](AnmSequence& s) { s.name.clear(); }, "the sequence name"},
        {"no frames", [](AnmSequence& s) { s.frames.clear(); }, "has no frames"},
        {"unknown mode", [](AnmSequence& s) { s.mode = 3; }, "unknown play mode"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        AnmSequence sequence = kSequences[0];
        c.change(sequence);
        bytes = {1};
        EXPECT_FALSE(AnmTool::BuildAnm({kSequences[2], sequence}, bytes, error));
        EXPECT_NE(error.find(c.message), std::string::npos) << error;
        EXPECT_EQ(bytes, std::vector<uint8_t>{1});
    }
    EXPECT_FALSE(AnmTool::BuildAnm(kSequences, bytes, error, 0xFFFFFF00u)) << "pointers past 4 GiB";
}

TEST(AnmFile, ReaderRefusesPointersOutsideTheImage)
{
    std::vector<uint8_t> good;
    std::string error;
    ASSERT_TRUE(AnmTool::BuildAnm(kSequences, good, error));
    const auto poke = [&](size_t at, uint32_t value) {
        std::vector<uint8_t> bytes = good;
        for (int i = 0; i < 4; ++i)
            bytes[at + size_t(i)] = uint8_t(value >> (8 * i));
        return bytes;
    };
    const uint32_t base = AnmTool::kAnmDefaultBase;
    const size_t firstRecord = 12 + 8;
    const struct {
        const char* name;
        std::vector<uint8_t> bytes;
    } cases[] = {
        {"magic", poke(0, 0x21214E41)},
        {"size", poke(8, uint32_t(good.size()))},
        {"count beyond the image", poke(12, 1000)},
        {"sequences before the base", poke(16, base - 4)},
        {"frame block beyond the image", poke(firstRecord + 136, base + uint32_t(good.size()))},
        {"truncated", std::vector<uint8_t>(good.begin(), good.begin() + 10)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<AnmSequence> read;
        EXPECT_FALSE(AnmTool::ReadAnm(c.bytes, read, error));
    }
}

} // namespace
