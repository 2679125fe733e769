// Animation files: stored pointers read as offsets from the saved base, and every damaged or hostile file
// refused whole before anything is read through a pointer.
#include "engine/AnmFile.h"

#include "tests/engine/AnmFixture.h"
#include "tests/engine/EngineTestKit.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace {

using namespace EngineTest;

constexpr uint32_t kFarBase = 0xF0001000; // far from any address the loader could have

std::vector<AnmFixtureSequence> TwoSequences()
{
    return {
        {"images\\boss.png", "bosswalk", 40, 0, 12, StripFrames(3, 40, 50, 2, -3)},
        {"images\\boss.png", "bossstand", 40, 1, 12, StripFrames(1, 40, 50)},
    };
}

TEST(AnmFile, RelocatesFromAFarSavedBaseAndClearsFpsBelowTwoFrames)
{
    for (const uint32_t base : {0u, 0x1000u, kFarBase}) {
        SCOPED_TRACE(base);
        std::string error;
        const auto file = AnmFile::Parse(WriteAnmFixture(TwoSequences(), base), &error);
        ASSERT_NE(file, nullptr) << error;
        ASSERT_EQ(file->Count(), 2);
        const AnmSequence& walk = *file->Sequence(0);
        EXPECT_EQ(walk.fileName, "images\\boss.png");
        EXPECT_EQ(walk.name, "bosswalk");
        EXPECT_EQ(walk.width, 40);
        ASSERT_NE(walk.block, nullptr);
        EXPECT_EQ(walk.block->mode, AnmFrameBlock::Loop);
        EXPECT_EQ(walk.block->fps, 12);
        ASSERT_EQ(walk.block->count, 3);
        EXPECT_EQ(walk.block->frames[2].x, 80);
        EXPECT_EQ(walk.block->frames[2].offsetX, 2);
        EXPECT_EQ(walk.block->frames[2].offsetY, -3);
        EXPECT_EQ(file->Sequence(1)->block->fps, 0) << "one frame: fps forced to 0";
        EXPECT_EQ(file->Find("bossstand"), 1);
        EXPECT_EQ(file->Find("BossStand"), -1) << "names compare exactly";
        EXPECT_EQ(file->Sequence(2), nullptr);
    }
}

TEST(AnmFile, AnEmptyFileOfNoSequencesLoads)
{
    const auto file = AnmFile::Parse(WriteAnmFixture({}, kFarBase));
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(file->Count(), 0);
}

TEST(AnmFile, ANameOfSixtyFourBytesWithoutTerminatorIsFoundByItsSixtyFourBytes)
{
    AnmFixtureLayout layout;
    std::vector<uint8_t> bytes = WriteAnmFixture(TwoSequences(), kFarBase, &layout);
    const std::string longName(64, 'q');
    std::memcpy(&bytes[layout.sequences[0] + 68], longName.data(), 64); // runs into the width field
    std::memcpy(&bytes[layout.sequences[0]], longName.data(), 64);      // runs into the run-time slot
    const auto file = AnmFile::Parse(bytes);
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(file->Find(longName), 0);
    EXPECT_EQ(file->Sequence(0)->fileName, longName);
    EXPECT_EQ(file->Sequence(0)->width, 40);
}

TEST(AnmFile, SequencesSharingAFrameBlockShareIt)
{
    AnmFixtureLayout layout;
    std::vector<uint8_t> bytes = WriteAnmFixture(TwoSequences(), kFarBase, &layout);
    PutU32(bytes, layout.sequences[1] + 136, GetU32(bytes, layout.sequences[0] + 136));
    const auto file = AnmFile::Parse(bytes);
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(file->Sequence(0)->block, file->Sequence(1)->block);
    EXPECT_EQ(file->Sequence(1)->block->frames[1].x, 40) << "read once, not relocated twice";
}

TEST(AnmFile, DamagedFilesAreRefused)
{
    using Patch = std::function<void(std::vector<uint8_t>&, const AnmFixtureLayout&)>;
    const uint32_t base = kFarBase;
    const struct {
        const char* name;
        Patch patch;
    } cases[] = {
        {"bad magic", [](auto& b, auto&) { b[3] = '?'; }},
        {"shorter than its header", [](auto& b, auto&) { b.resize(10); }},
        {"size beyond the file", [](auto& b, auto&) { PutU32(b, AnmFixtureLayout::kSizeField, GetU32(b, 8) + 1); }},
        {"size beyond the file, huge", [](auto& b, auto&) { PutU32(b, AnmFixtureLayout::kSizeField, 0xFFFFFFF0); }},
        {"file cut short", [](auto& b, auto&) { b.pop_back(); }},
        {"image too small for its header", [](auto& b, auto&) { PutU32(b, AnmFixtureLayout::kSizeField, 4); }},
        {"negative count", [](auto& b, auto&) { PutU32(b, AnmFixtureLayout::kCountField, 0xFFFFFFFF); }},
        {"count too large", [](auto& b, auto&) { PutU32(b, AnmFixtureLayout::kCountField, 4); }},
        {"count of the integer limit", [](auto& b, auto&) { PutU32(b, AnmFixtureLayout::kCountField, 0x7FFFFFFF); }},
        {"sequence array below the base", [base](auto& b, auto& l) { PutU32(b, l.sequenceArrayPointer, base - 4); }},
        {"sequence array outside the image",
         [base](auto& b, auto& l) { PutU32(b, l.sequenceArrayPointer, base + GetU32(b, 8)); }},
        {"sequence array past the end by one byte",
         [base](auto& b, auto& l) { PutU32(b, l.sequenceArrayPointer, base + GetU32(b, 8) - 2 * 140 + 1); }},
        {"frame block below the base", [base](auto& b, auto& l) { PutU32(b, l.sequences[1] + 136, base - 1); }},
        {"frame block outside the image",
         [base](auto& b, auto& l) { PutU32(b, l.sequences[1] + 136, base + GetU32(b, 8) - 23); }},
        {"frame block pointer wrapping", [](auto& b, auto& l) { PutU32(b, l.sequences[0] + 136, 0xFFFFFFFF); }},
        {"frames below the base", [base](auto& b, auto& l) { PutU32(b, l.blocks[0] + 20, base - 24); }},
        {"frames outside the image", [base](auto& b, auto& l) { PutU32(b, l.blocks[1] + 20, base + GetU32(b, 8)); }},
        {"frames running past the end",
         [base](auto& b, auto& l) {
             const uint32_t framesAt = GetU32(b, l.blocks[1] + 20) - base;
             PutU32(b, l.blocks[1] + 16, (GetU32(b, 8) - framesAt) / 24 + 1);
         }},
        {"negative frame count", [](auto& b, auto& l) { PutU32(b, l.blocks[0] + 16, 0x80000000); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        AnmFixtureLayout layout;
        std::vector<uint8_t> bytes = WriteAnmFixture(TwoSequences(), base, &layout);
        ASSERT_NE(AnmFile::Parse(bytes), nullptr) << "sound before the patch";
        c.patch(bytes, layout);
        std::string error;
        EXPECT_EQ(AnmFile::Parse(bytes, &error), nullptr);
        EXPECT_FALSE(error.empty());
    }
}

/// S sequences, each with its own frame block, every block claiming the same F frame records.
std::vector<uint8_t> OverlappingBlocks(uint32_t sequences, uint32_t frames)
{
    const uint32_t base = 0x1000;
    const uint32_t sequencesAt = 8;
    const uint32_t blocksAt = sequencesAt + sequences * 140;
    const uint32_t framesAt = blocksAt + sequences * 24;
    const uint32_t size = framesAt + frames * 24;
    std::vector<uint8_t> bytes(12 + size);
    PutU32(bytes, 0, AnmFile::kMagic);
    PutU32(bytes, 4, base);
    PutU32(bytes, 8, size);
    const size_t image = 12;
    PutU32(bytes, image, sequences);
    PutU32(bytes, image + 4, base + sequencesAt);
    for (uint32_t i = 0; i < sequences; ++i) {
        PutU32(bytes, image + sequencesAt + i * 140 + 136, base + blocksAt + i * 24);
        const size_t block = image + blocksAt + i * 24;
        PutU32(bytes, block + 12, 10);
        PutU32(bytes, block + 16, frames);
        PutU32(bytes, block + 20, base + framesAt);
    }
    return bytes;
}

TEST(AnmFile, OverlappingBlocksHoldNoMoreFramesThanTheImageHasRoomForOneInTwentyFourBytes)
{
    // 4 blocks of 5 shared frames fit in the room of the image; 400 blocks of 1000 would be 400,000 frames
    // from a file of 90 KB, and are refused.
    const auto fits = AnmFile::Parse(OverlappingBlocks(4, 5));
    ASSERT_NE(fits, nullptr);
    EXPECT_EQ(fits->Sequence(3)->block->frames.size(), 5u);

    const std::vector<uint8_t> hostile = OverlappingBlocks(400, 1000);
    ASSERT_LT(hostile.size(), 100'000u);
    std::string error;
    EXPECT_EQ(AnmFile::Parse(hostile, &error), nullptr);
    EXPECT_NE(error.find("more frames than the image"), std::string::npos) << error;
}

class AnmFileLoad : public EngineFixture {};

TEST_F(AnmFileLoad, FrameRatesAboveAThousandAreLoweredToAThousandAndLogged)
{
    fs::current_path(mFolder);
    AnmFixtureLayout layout;
    std::vector<uint8_t> bytes = WriteAnmFixture(TwoSequences(), kFarBase, &layout);
    PutU32(bytes, layout.blocks[0] + 12, 0x7FFFFFFF);
    WriteBytes(mFolder / "anm" / "fast.anm", bytes);
    const auto file = AnmFile::Load("anm\\fast.anm");
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(file->Sequence(0)->block->fps, AnmFile::kMaxFps);
    EXPECT_EQ(file->ClampedFrameRates(), 1);
    EXPECT_TRUE(LogHas("anm\\fast.anm: 1 frame rates above 1000"));
}

TEST_F(AnmFileLoad, ReadsThroughThePackLayerAndLogsARefusal)
{
    fs::current_path(mFolder);
    WriteBytes(mFolder / "anm" / "boss.anm", WriteAnmFixture(TwoSequences(), kFarBase));
    std::vector<uint8_t> bad = WriteAnmFixture(TwoSequences(), kFarBase);
    bad.resize(bad.size() - 30);
    WriteBytes(mFolder / "anm" / "cut.anm", bad);

    const auto file = AnmFile::Load("anm\\boss.anm");
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(file->Count(), 2);
    EXPECT_EQ(AnmFile::Load("anm\\missing.anm"), nullptr);
    EXPECT_EQ(AnmFile::Load("anm\\cut.anm"), nullptr);
    EXPECT_TRUE(LogHas("anm\\cut.anm: image size beyond the end of the file"));
}

} // namespace
