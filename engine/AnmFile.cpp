#include "engine/AnmFile.h"

#include "engine/EngineLog.h"
#include "graphics/PakFile.h"
#include "graphics/PakInterface.h"

#include <cstddef>
#include <cstring>
#include <map>

namespace {

uint32_t ReadU32(std::span<const uint8_t> bytes, size_t at)
{
    return uint32_t(bytes[at]) | uint32_t(bytes[at + 1]) << 8 | uint32_t(bytes[at + 2]) << 16 |
           uint32_t(bytes[at + 3]) << 24;
}

int32_t ReadI32(std::span<const uint8_t> bytes, size_t at)
{
    return static_cast<int32_t>(ReadU32(bytes, at));
}

// A 64-byte name ends at its terminator or at its 64th byte.
std::string ReadName(std::span<const uint8_t> bytes, size_t at)
{
    const uint8_t* start = bytes.data() + at;
    const void* end = std::memchr(start, 0, AnmFile::kNameSize);
    const size_t length = end ? static_cast<size_t>(static_cast<const uint8_t*>(end) - start) : AnmFile::kNameSize;
    return std::string(reinterpret_cast<const char*>(start), length);
}

std::nullptr_t Fail(std::string* error, const char* reason)
{
    if (error)
        *error = reason;
    return nullptr;
}

// Turns a stored pointer into an offset in the image and checks that `length` bytes from there lie inside it.
bool Locate(uint32_t pointer, uint32_t base, uint64_t length, size_t imageSize, size_t& offset)
{
    if (pointer < base)
        return false;
    const uint64_t at = pointer - base;
    if (at > imageSize || length > imageSize - at)
        return false;
    offset = static_cast<size_t>(at);
    return true;
}

} // namespace

AnmSequence* AnmFile::Sequence(int index)
{
    return index >= 0 && index < Count() ? &mSequences[static_cast<size_t>(index)] : nullptr;
}

int AnmFile::Find(const std::string& name) const
{
    for (size_t i = 0; i < mSequences.size(); ++i) {
        if (mSequences[i].name == name)
            return static_cast<int>(i);
    }
    return -1;
}

std::unique_ptr<AnmFile> AnmFile::Parse(std::span<const uint8_t> bytes, std::string* error)
{
    if (bytes.size() < kHeaderSize)
        return Fail(error, "shorter than its header");
    if (ReadU32(bytes, 0) != kMagic)
        return Fail(error, "not an animation file (bad magic)");
    const uint32_t base = ReadU32(bytes, 4);
    const uint32_t size = ReadU32(bytes, 8);
    if (size > bytes.size() - kHeaderSize)
        return Fail(error, "image size beyond the end of the file");
    const std::span<const uint8_t> image = bytes.subspan(kHeaderSize, size);
    if (image.size() < 8)
        return Fail(error, "image too small for its header");

    const int32_t count = ReadI32(image, 0);
    if (count < 0)
        return Fail(error, "negative sequence count");
    size_t sequencesAt = 0;
    if (!Locate(ReadU32(image, 4), base, uint64_t(count) * kSequenceSize, image.size(), sequencesAt))
        return Fail(error, "sequence array outside the image");

    auto file = std::make_unique<AnmFile>();
    file->mSequences.resize(static_cast<size_t>(count));
    // Blocks may overlap and claim the same frame records; together they may not hold more frames than the image
    // has room for, so the memory of the copies stays within the size of the file.
    const uint64_t frameRoom = image.size() / kFrameSize;
    uint64_t framesRead = 0;
    // Sequences may share a frame block; it is read once and shared.
    std::map<size_t, AnmFrameBlock*> blocksByOffset;
    for (size_t i = 0; i < file->mSequences.size(); ++i) {
        const size_t at = sequencesAt + i * kSequenceSize;
        AnmSequence& sequence = file->mSequences[i];
        sequence.fileName = ReadName(image, at);
        sequence.name = ReadName(image, at + 68);
        sequence.width = ReadI32(image, at + 132);

        size_t blockAt = 0;
        if (!Locate(ReadU32(image, at + 136), base, kFrameBlockSize, image.size(), blockAt))
            return Fail(error, "frame block outside the image");
        if (const auto known = blocksByOffset.find(blockAt); known != blocksByOffset.end()) {
            sequence.block = known->second;
            continue;
        }

        auto block = std::make_unique<AnmFrameBlock>();
        block->mode = ReadI32(image, blockAt + 8);
        block->fps = ReadI32(image, blockAt + 12);
        block->count = ReadI32(image, blockAt + 16);
        if (block->count < 0)
            return Fail(error, "negative frame count");
        size_t framesAt = 0;
        if (!Locate(ReadU32(image, blockAt + 20), base, uint64_t(block->count) * kFrameSize, image.size(), framesAt))
            return Fail(error, "frames outside the image");
        framesRead += uint64_t(block->count);
        if (framesRead > frameRoom)
            return Fail(error, "frame blocks hold more frames than the image has room for (blocks overlap)");
        if (block->count < 2)
            block->fps = 0;
        if (block->fps > kMaxFps) {
            block->fps = kMaxFps; // a timer cycle shorter than a millisecond would run thousands of times a frame
            ++file->mClampedFrameRates;
        }
        block->frames.resize(static_cast<size_t>(block->count));
        for (size_t f = 0; f < block->frames.size(); ++f) {
            const size_t frameAt = framesAt + f * kFrameSize;
            AnmFrame& frame = block->frames[f];
            frame.x = ReadI32(image, frameAt);
            frame.y = ReadI32(image, frameAt + 4);
            frame.width = ReadI32(image, frameAt + 8);
            frame.height = ReadI32(image, frameAt + 12);
            frame.offsetX = ReadI32(image, frameAt + 16);
            frame.offsetY = ReadI32(image, frameAt + 20);
        }
        sequence.block = block.get();
        blocksByOffset.emplace(blockAt, block.get());
        file->mBlocks.push_back(std::move(block));
    }
    return file;
}

std::unique_ptr<AnmFile> AnmFile::Load(const std::string& path)
{
    PakFileHandle* handle = PakFOpen(path.c_str(), "rb");
    if (!handle)
        return nullptr;
    // The length first, so that a size field beyond the file allocates nothing.
    std::vector<uint8_t> bytes;
    if (PakFSeek(handle, 0, kPakSeekEnd) == 0) {
        const long length = PakFTell(handle);
        if (length > 0 && PakFSeek(handle, 0, kPakSeekSet) == 0) {
            bytes.resize(static_cast<size_t>(length));
            bytes.resize(PakFRead(bytes.data(), 1, bytes.size(), handle));
        }
    }
    PakFClose(handle);

    std::string error;
    std::unique_ptr<AnmFile> file = Parse(bytes, &error);
    if (!file)
        EngineContentWarning("%s: %s", path.c_str(), error.c_str());
    else if (file->ClampedFrameRates() > 0)
        EngineContentWarning("%s: %d frame rates above %d frames per second lowered to it", path.c_str(),
                             file->ClampedFrameRates(), kMaxFps);
    return file;
}
