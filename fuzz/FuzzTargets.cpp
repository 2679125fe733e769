#include "fuzz/FuzzTargets.h"

#include "engine/AnmFile.h"
#include "graphics/GifDecoder.h"
#include "graphics/Jpeg2000Decoder.h"
#include "graphics/JpegCodec.h"
#include "graphics/PakInterface.h"
#include "graphics/PngCodec.h"
#include "graphics/TgaDecoder.h"
#include "graphics/XMLParser.h"
#include "platform/log/Log.h"
#include "tools/pak/PakWriter.h"

#include <cstring>
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

void XmlDocument(std::span<const uint8_t> data)
{
    // Served from an archive, so the reader runs over the pack layer as it does in the game.
    std::vector<uint8_t> archive;
    std::string error;
    if (!PakTool::BuildPak({{"fuzz.xml", std::vector<uint8_t>(data.begin(), data.end()), 0}}, archive, error)) {
        return;
    }
    PakInterface pak;
    if (!pak.AddPakBytes("fuzz.pak", std::move(archive))) {
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
    volatile int32_t sum = 0;
    for (int i = 0; i < file->Count(); ++i) {
        const AnmSequence& sequence = *file->Sequence(i);
        sum = sum + sequence.width + static_cast<int32_t>(sequence.name.size() + sequence.fileName.size());
        for (const AnmFrame& frame : sequence.block->frames) {
            sum = sum + frame.x + frame.y + frame.width + frame.height + frame.offsetX + frame.offsetY;
        }
    }
}

constexpr Target kTargets[] = {
    {"pak", PakArchive}, {"xml", XmlDocument}, {"tga", TgaImage}, {"gif", GifImage},
    {"png", PngImage},   {"jpeg", JpegImage},  {"j2k", J2KImage}, {"anm", AnmAnimation},
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
