#include "fuzz/FuzzTargets.h"

#include "engine/AnmFile.h"
#include "graphics/DescParser.h"
#include "graphics/FontData.h"
#include "graphics/GifDecoder.h"
#include "graphics/Jpeg2000Decoder.h"
#include "graphics/JpegCodec.h"
#include "graphics/PakInterface.h"
#include "graphics/PngCodec.h"
#include "graphics/TgaDecoder.h"
#include "graphics/XMLParser.h"
#include "platform/audio/AuDecoder.h"
#include "platform/audio/OggDecoder.h"
#include "platform/audio/WavDecoder.h"
#include "platform/log/Log.h"
#include "tools/pak/PakWriter.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace Fuzz {
namespace {

// Touches every pixel, so that a wrong size shows up as a read outside the buffer.
void Consume(const std::unique_ptr<ImageLib::Image>& image)
{
    if (image == nullptr) {
        return;
    }
    volatile uint32_t sum = 0;
    const size_t count = size_t(image->GetWidth()) * size_t(image->GetHeight());
    for (size_t i = 0; i < count; ++i) {
        sum = sum + image->GetBits()[i];
    }
}

void PakArchive(std::span<const uint8_t> data)
{
    PakInterface pak;
    if (!pak.AddPakBytes("fuzz.pak", std::vector<uint8_t>(data.begin(), data.end()))) {
        return;
    }
    for (const auto& [key, record] : pak.GetRecords()) {
        PakFileHandle* handle = pak.FOpen(record.name.c_str(), "rb");
        if (handle == nullptr) {
            continue;
        }
        char buffer[97];
        while (pak.FRead(buffer, 3, sizeof(buffer) / 3, handle) > 0) {
        }
        pak.FSeek(handle, -5, kPakSeekEnd);
        while (pak.FGetS(buffer, sizeof(buffer), handle) != nullptr) {
        }
        pak.FSeek(handle, 1, kPakSeekSet);
        wchar_t wide[17];
        while (pak.FGetWS(wide, 17, handle) != nullptr) {
        }
        pak.UnGetC('x', handle);
        pak.FGetC(handle);
        pak.FClose(handle);
    }
}

// Mounts the bytes as the one file of an in-memory pack, so that a reader runs over the pack layer as it does in
// the game. False when the archive cannot be built.
bool ServeAsFile(std::span<const uint8_t> data, const char* name, PakInterface& pak)
{
    std::vector<uint8_t> archive;
    std::string error;
    return PakTool::BuildPak({{name, std::vector<uint8_t>(data.begin(), data.end()), 0}}, archive, error) &&
           pak.AddPakBytes("fuzz.pak", std::move(archive));
}

void XmlDocument(std::span<const uint8_t> data)
{
    PakInterface pak;
    if (!ServeAsFile(data, "fuzz.xml", pak)) {
        return;
    }
    Pyxo::XMLParser parser;
    parser.AllowComments(!data.empty() && (data[0] & 1));
    if (!parser.Open("fuzz.xml")) {
        return;
    }
    Pyxo::XMLItem item;
    while (parser.ReadItem(item)) {
    }
}

// Every parameter of every command through each conversion, definitions included.
class ConvertingParser : public Pyxo::DescParser {
public:
    bool HandleCommand(const Pyxo::ListDataElement& params) override
    {
        if (params.size() > 0 && !params[0]->mIsList &&
            static_cast<const Pyxo::SingleDataElement*>(params[0])->mString == L"Define") {
            return HandleDefine(params);
        }
        for (size_t i = 1; i < params.size(); ++i) {
            std::wstring text;
            Pyxo::ListDataElement list;
            std::vector<std::wstring> strings;
            std::vector<int> ints;
            std::vector<double> doubles;
            Pyxo::Color color;
            DataToString(params[i], text);
            DataToList(params[i], list);
            DataToStringVector(params[i], strings);
            DataToIntVector(params[i], ints);
            DataToDoubleVector(params[i], doubles);
            DataToColor(params[i], color);
        }
        return true;
    }
};

void Descriptor(std::span<const uint8_t> data)
{
    PakInterface pak;
    if (!ServeAsFile(data, "fuzz.txt", pak)) {
        return;
    }
    // The last byte (the high byte of a text's last unit) picks the reader: the font descriptor's commands, or
    // every conversion with either separator.
    const uint8_t mode = data.empty() ? 0 : data.back();
    if ((mode & 1) == 0) {
        Pyxo::FontData font;
        font.Load(nullptr, "fuzz.txt");
        return;
    }
    ConvertingParser parser;
    parser.mCmdSep = (mode & 2) ? Pyxo::DescParser::CMDSEP_NO_INDENT : Pyxo::DescParser::CMDSEP_SEMICOLON;
    parser.LoadDescriptor("fuzz.txt");
}

// Decodes the sound in pieces of varying length, then again from the start, and whole when it is small.
void Sound(std::unique_ptr<Platform::SoundDecoder> decoder, uint8_t seed)
{
    if (decoder == nullptr) {
        return;
    }
    const size_t frame = std::max<size_t>(decoder->Format().blockAlign, 1);
    std::vector<uint8_t> piece(frame * 257);
    for (size_t step = 0;; ++step) {
        const size_t frames = 1 + (step * 37 + seed) % 257;
        if (decoder->Read({piece.data(), frames * frame}) == 0) {
            break;
        }
    }
    if (decoder->Rewind()) {
        decoder->Read({piece.data(), frame * (1 + seed % 5)});
    }
    if (decoder->Rewind() && decoder->TotalBytes() <= (1u << 22)) {
        std::vector<uint8_t> whole(decoder->TotalBytes());
        (void)Platform::DecodeWhole(*decoder, whole);
    }
}

void WavSound(std::span<const uint8_t> data)
{
    Sound(Platform::WavDecoder::Open(Platform::ByteSoundSource(data)), data.empty() ? 0 : data.back());
}

void AuSound(std::span<const uint8_t> data)
{
    Sound(Platform::AuDecoder::Open(Platform::ByteSoundSource(data)), data.empty() ? 0 : data.back());
}

void OggSound(std::span<const uint8_t> data)
{
    Sound(Platform::OggDecoder::Open(Platform::ByteSoundSource(data)), data.empty() ? 0 : data.back());
}

void TgaImage(std::span<const uint8_t> data)
{
    Consume(ImageLib::DecodeTGA(data));
}

void GifImage(std::span<const uint8_t> data)
{
    Consume(ImageLib::DecodeGIF(data));
}

void PngImage(std::span<const uint8_t> data)
{
    Consume(ImageLib::DecodePNG(data));
}

void JpegImage(std::span<const uint8_t> data)
{
    Consume(ImageLib::DecodeJPEG(data));
}

void J2KImage(std::span<const uint8_t> data)
{
    Consume(ImageLib::DecodeJPEG2000(data));
}

// Walks every frame of every sequence, so that a record read from outside the file shows up.
void AnmAnimation(std::span<const uint8_t> data)
{
    const std::unique_ptr<AnmFile> file = AnmFile::Parse(data);
    if (file == nullptr) {
        return;
    }
    // Unsigned: the fields hold any 32-bit value, and the sum only has to touch them.
    volatile uint32_t sum = 0;
    for (int i = 0; i < file->Count(); ++i) {
        const AnmSequence& sequence = *file->Sequence(i);
        sum = sum + uint32_t(sequence.width) + uint32_t(sequence.name.size() + sequence.fileName.size());
        for (const AnmFrame& frame : sequence.block->frames) {
            sum = sum + uint32_t(frame.x) + uint32_t(frame.y) + uint32_t(frame.width) + uint32_t(frame.height) +
                  uint32_t(frame.offsetX) + uint32_t(frame.offsetY);
        }
    }
}

constexpr Target kTargets[] = {
    {"pak", PakArchive}, {"xml", XmlDocument}, {"tga", TgaImage}, {"gif", GifImage},
    {"png", PngImage},   {"jpeg", JpegImage},  {"j2k", J2KImage}, {"desc", Descriptor},
    {"wav", WavSound},   {"au", AuSound},      {"ogg", OggSound}, {"anm", AnmAnimation},
};

} // namespace

void Initialize()
{
    Platform::SetLogSink([](Platform::LogLevel, const char*, const std::string&) {});
    ImageLib::LoadJ2KCodec();
}

std::span<const Target> Targets()
{
    return kTargets;
}

const Target* FindTarget(const char* name)
{
    for (const Target& target : kTargets) {
        if (std::strcmp(target.name, name) == 0) {
            return &target;
        }
    }
    return nullptr;
}

} // namespace Fuzz
