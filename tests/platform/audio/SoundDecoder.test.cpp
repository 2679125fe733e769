#include "platform/audio/AuDecoder.h"
#include "platform/audio/OggDecoder.h"
#include "platform/audio/WavDecoder.h"
#include "tests/platform/audio/SoundFileBuilders.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

namespace {

using namespace Platform;
using SoundTest::Bytes;

using Opener = std::function<std::unique_ptr<SoundDecoder>(SoundSource)>;
const Opener kOpenWav = [](SoundSource s) { return std::unique_ptr<SoundDecoder>(WavDecoder::Open(std::move(s))); };
const Opener kOpenAu = [](SoundSource s) { return std::unique_ptr<SoundDecoder>(AuDecoder::Open(std::move(s))); };
const Opener kOpenOgg = [](SoundSource s) { return std::unique_ptr<SoundDecoder>(OggDecoder::Open(std::move(s))); };

Bytes Tone()
{
    return SoundTest::ReadFile(ILVANE_TEST_DATA "/sound/tone441.ogg");
}

// Reads the rest of the sound in pieces of `frames` frames.
Bytes ReadInPieces(SoundDecoder& decoder, size_t frames)
{
    Bytes all;
    Bytes piece(frames * decoder.Format().blockAlign);
    while (const size_t got = decoder.Read(piece)) {
        all.insert(all.end(), piece.begin(), piece.begin() + long(got));
    }
    return all;
}

struct DecodeCase {
    const char* name;
    Bytes file;
    Opener open;
    WaveFormat format;
    Bytes samples; // empty: only the length is known (lossy)
    size_t bytes;
};

std::vector<DecodeCase> DecodeCases()
{
    const Bytes pcm = SoundTest::Samples16({100, -100, 200, -200, 300, -300});
    Bytes scrambled = pcm;
    for (uint8_t& b : scrambled) {
        b ^= 0x5A;
    }
    return {
        {"wav", SoundTest::MakeWav(2, 22050, 16, pcm), kOpenWav, MakePcmFormat(2, 22050, 16), pcm, pcm.size()},
        {"wav with a key", SoundTest::MakeWav(1, 8000, 16, scrambled, {{"xor ", Bytes{0x5A}}}), kOpenWav,
         MakePcmFormat(1, 8000, 16), pcm, pcm.size()},
        {"wav without fmt",
         [&] {
             Bytes f;
             SoundTest::Append(f, "RIFF");
             SoundTest::AppendLE(f, 0, 4);
             SoundTest::Append(f, "WAVE");
             SoundTest::AppendChunk(f, "data", pcm);
             return f;
         }(),
         kOpenWav, MakePcmFormat(1, 22050, 16), pcm, pcm.size()},
        {"au mu-law", SoundTest::MakeAu(1, 8000, 1, Bytes{0xFF, 0x80, 0x00, 0xFE, 0xEF}), kOpenAu,
         MakePcmFormat(1, 8000, 16), SoundTest::Samples16({0, 31616, -31616, 8, 128}), 10},
        {"au linear", SoundTest::MakeAu(2, 8000, 2, Bytes{0x00, 0x7F, 0x80, 0xFF}, 32), kOpenAu,
         MakePcmFormat(2, 8000, 8), Bytes{0x80, 0xFF, 0x00, 0x7F}, 4},
        {"ogg", Tone(), kOpenOgg, MakePcmFormat(1, 22050, 16), {}, 2205 * 2},
    };
}

TEST(SoundDecoder, PiecesMatchTheWholeAndRewindStartsAgain)
{
    for (const DecodeCase& c : DecodeCases()) {
        SCOPED_TRACE(c.name);
        auto whole = c.open(ByteSoundSource(c.file));
        ASSERT_NE(whole, nullptr);
        EXPECT_EQ(whole->Format(), c.format);
        ASSERT_EQ(whole->TotalBytes(), c.bytes);
        Bytes decoded(c.bytes);
        ASSERT_TRUE(DecodeWhole(*whole, decoded));
        if (!c.samples.empty()) {
            EXPECT_EQ(decoded, c.samples);
        }
        Bytes more(64);
        EXPECT_EQ(whole->Read(more), 0u) << "nothing after the end";

        for (size_t frames : {1, 3, 1000}) {
            auto streamed = c.open(ByteSoundSource(c.file));
            ASSERT_NE(streamed, nullptr);
            EXPECT_EQ(ReadInPieces(*streamed, frames), decoded) << frames << " frames a piece";
            ASSERT_TRUE(streamed->Rewind());
            EXPECT_EQ(ReadInPieces(*streamed, 2), decoded) << "again after Rewind";
            EXPECT_FALSE(streamed->Damaged());
        }
    }
}

TEST(SoundDecoder, DataEndingEarlyIsDamage)
{
    // A source whose reads stop once it is cut, as a pack file shortened under the reader would. (The Ogg decoder
    // has read the tone's one page of samples while opening, so a cut there comes too late to show.)
    for (const DecodeCase& c : DecodeCases()) {
        if (std::string(c.name) == "ogg") {
            continue;
        }
        SCOPED_TRACE(c.name);
        auto cut = std::make_shared<bool>(false);
        SoundSource source = ByteSoundSource(c.file);
        source.read = [cut, read = source.read](void* buffer, size_t bytes) { return *cut ? 0 : read(buffer, bytes); };
        auto decoder = c.open(source);
        ASSERT_NE(decoder, nullptr);
        *cut = true;
        Bytes decoded(decoder->TotalBytes());
        EXPECT_FALSE(DecodeWhole(*decoder, decoded));
        EXPECT_TRUE(decoder->Damaged());
    }
}

TEST(SoundDecoder, RefusesIncompleteSourcesAndWrongSizes)
{
    for (const DecodeCase& c : DecodeCases()) {
        SCOPED_TRACE(c.name);
        SoundSource noSeek = ByteSoundSource(c.file);
        noSeek.seek = nullptr;
        EXPECT_EQ(c.open(noSeek), nullptr);
        auto decoder = c.open(ByteSoundSource(c.file));
        Bytes tooSmall(c.bytes - 1);
        EXPECT_FALSE(DecodeWhole(*decoder, tooSmall));
    }
}

TEST(SoundDecoder, WavNamesTheSourceOfACachedSound)
{
    Bytes dep;
    SoundTest::AppendLE(dep, 5, 2);
    for (char c : std::string("a.ogg")) {
        dep.push_back(uint8_t(c));
    }
    SoundTest::AppendLE(dep, 0x89ABCDEF, 4);
    SoundTest::AppendLE(dep, 0x01234567, 4);
    const Bytes file = SoundTest::MakeWav(1, 22050, 8, Bytes{1, 2}, {{"dep ", dep}});
    auto decoder = WavDecoder::Open(ByteSoundSource(file));
    ASSERT_NE(decoder, nullptr);
    ASSERT_TRUE(decoder->SourceNote().has_value());
    EXPECT_EQ(decoder->SourceNote()->name, "a.ogg");
    EXPECT_EQ(decoder->SourceNote()->time, 0x0123456789ABCDEFu);

    auto plain = WavDecoder::Open(ByteSoundSource(SoundTest::MakeWav(1, 22050, 8, Bytes{1, 2})));
    ASSERT_NE(plain, nullptr);
    EXPECT_FALSE(plain->SourceNote().has_value());
}

TEST(SoundDecoder, MuLaw)
{
    struct Case {
        uint8_t byte;
        int16_t sample;
    };
    // 0x80 and 0x00 are the loudest codes of each sign; 0xFF and 0x7F are zero.
    const Case cases[] = {{0xFF, 0},     {0x7F, 0},     {0xFE, 8},     {0x7E, -8},    {0xEF, 128},
                          {0xE0, 368},   {0xD0, 864},   {0xC0, 1856},  {0xB0, 3840},  {0xA0, 7808},
                          {0x90, 15744}, {0x81, 30592}, {0x80, 31616}, {0x00, -31616}};
    for (const Case& c : cases) {
        SCOPED_TRACE(int(c.byte));
        EXPECT_EQ(DecodeMuLaw(c.byte), c.sample);
    }
}

TEST(SoundDecoder, ByteSourceSeeksLikeAFile)
{
    const Bytes bytes{1, 2, 3, 4, 5};
    SoundSource source = ByteSoundSource(bytes);
    EXPECT_EQ(source.Size(), 5);
    EXPECT_TRUE(source.seek(-2, SeekOrigin::End));
    uint8_t b[4] = {};
    EXPECT_EQ(source.read(b, 4), 2u);
    EXPECT_EQ(b[0], 4);
    EXPECT_TRUE(source.seek(10, SeekOrigin::Begin)) << "past the end, as a file allows";
    EXPECT_EQ(source.read(b, 1), 0u);
    EXPECT_FALSE(source.seek(-11, SeekOrigin::Current));
    EXPECT_EQ(source.tell(), 10);
}

} // namespace
