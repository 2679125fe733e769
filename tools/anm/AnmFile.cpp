#include "tools/anm/AnmFile.h"

#include <cstring>
#include <limits>

namespace AnmTool {

namespace {

constexpr size_t kFileHeaderSize = 12;
constexpr size_t kImageHeaderSize = 8;

void PutU32(std::vector<uint8_t>& bytes, size_t at, uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        bytes[at + size_t(i)] = uint8_t(value >> (8 * i));
}

uint32_t GetU32(const std::vector<uint8_t>& bytes, size_t at)
{
    uint32_t value = 0;
    for (int i = 0; i < 4; ++i)
        value |= uint32_t(bytes[at + size_t(i)]) << (8 * i);
    return value;
}

void PutName(std::vector<uint8_t>& bytes, size_t at, const std::string& name)
{
    std::memcpy(bytes.data() + at, name.data(), name.size()); // the rest stays zero
}

bool CheckName(const std::string& name, const char* what, std::string& error)
{
    if (name.empty() || name.size() > kAnmMaxName || name.find('\0') != std::string::npos) {
        error = std::string(what) + " \"" + name + "\" must be 1 to " + std::to_string(kAnmMaxName) +
                " bytes without a zero byte";
        return false;
    }
    return true;
}

} // namespace

bool BuildAnm(const std::vector<AnmSequence>& sequences, std::vector<uint8_t>& out, std::string& error,
              uint32_t savedBase)
{
    size_t frames = 0;
    for (const AnmSequence& sequence : sequences) {
        if (!CheckName(sequence.sheet, "the sheet name", error) ||
            !CheckName(sequence.name, "the sequence name", error))
            return false;
        if (sequence.frames.empty()) {
            error = "sequence \"" + sequence.name + "\" has no frames";
            return false;
        }
        if (sequence.mode < kAnmLoop || sequence.mode > kAnmOnceBackward) {
            error = "sequence \"" + sequence.name + "\" has an unknown play mode " + std::to_string(sequence.mode);
            return false;
        }
        frames += sequence.frames.size();
    }
    const size_t sequenceArray = kImageHeaderSize;
    const size_t blocks = sequenceArray + sequences.size() * kAnmSequenceSize;
    const size_t frameArray = blocks + sequences.size() * kAnmFrameBlockSize;
    const size_t imageSize = frameArray + frames * kAnmFrameSize;
    if (sequences.size() > size_t(std::numeric_limits<int32_t>::max()) ||
        uint64_t(savedBase) + imageSize > std::numeric_limits<uint32_t>::max()) {
        error = "the animation data do not fit in 32-bit pointers";
        return false;
    }

    std::vector<uint8_t> bytes(kFileHeaderSize + imageSize, 0);
    PutU32(bytes, 0, kAnmMagic);
    PutU32(bytes, 4, savedBase);
    PutU32(bytes, 8, uint32_t(imageSize));
    const size_t image = kFileHeaderSize;
    const auto pointer = [savedBase](size_t offset) { return uint32_t(savedBase + offset); };
    PutU32(bytes, image + 0, uint32_t(sequences.size()));
    PutU32(bytes, image + 4, pointer(sequenceArray));

    size_t nextFrame = frameArray;
    for (size_t i = 0; i < sequences.size(); ++i) {
        const AnmSequence& sequence = sequences[i];
        const size_t record = image + sequenceArray + i * kAnmSequenceSize;
        const size_t block = blocks + i * kAnmFrameBlockSize;
        PutName(bytes, record + 0, sequence.sheet);
        PutName(bytes, record + 68, sequence.name);
        PutU32(bytes, record + 132, uint32_t(sequence.frameWidth));
        PutU32(bytes, record + 136, pointer(block));

        PutU32(bytes, image + block + 8, uint32_t(sequence.mode));
        PutU32(bytes, image + block + 12, uint32_t(sequence.fps));
        PutU32(bytes, image + block + 16, uint32_t(sequence.frames.size()));
        PutU32(bytes, image + block + 20, pointer(nextFrame));
        for (const AnmFrame& frame : sequence.frames) {
            const int32_t fields[6] = {frame.x, frame.y, frame.width, frame.height, frame.offsetX, frame.offsetY};
            for (int k = 0; k < 6; ++k)
                PutU32(bytes, image + nextFrame + size_t(k) * 4, uint32_t(fields[k]));
            nextFrame += kAnmFrameSize;
        }
    }
    out = std::move(bytes);
    return true;
}

bool ReadAnm(const std::vector<uint8_t>& bytes, std::vector<AnmSequence>& out, std::string& error)
{
    if (bytes.size() < kFileHeaderSize || GetU32(bytes, 0) != kAnmMagic) {
        error = "not an animation file";
        return false;
    }
    const uint32_t base = GetU32(bytes, 4);
    const uint64_t size = GetU32(bytes, 8);
    if (size != bytes.size() - kFileHeaderSize || size < kImageHeaderSize) {
        error = "the stated size differs from the file's";
        return false;
    }
    const size_t image = kFileHeaderSize;
    // A pointer is good when the span it starts lies inside the image; gives the offset within the image.
    const auto resolve = [&](uint32_t stored, uint64_t span, size_t& offset) {
        if (stored < base || uint64_t(stored - base) + span > size)
            return false;
        offset = stored - base;
        return true;
    };
    const int32_t count = int32_t(GetU32(bytes, image));
    size_t array = 0;
    if (count < 0 || !resolve(GetU32(bytes, image + 4), uint64_t(count) * kAnmSequenceSize, array)) {
        error = "the sequence array lies outside the file";
        return false;
    }
    std::vector<AnmSequence> sequences;
    for (int32_t i = 0; i < count; ++i) {
        const size_t record = image + array + size_t(i) * kAnmSequenceSize;
        AnmSequence sequence;
        const auto name = [&](size_t at) {
            const auto* start = reinterpret_cast<const char*>(bytes.data() + at);
            return std::string(start, strnlen(start, kAnmMaxName + 1));
        };
        sequence.sheet = name(record);
        sequence.name = name(record + 68);
        sequence.frameWidth = int32_t(GetU32(bytes, record + 132));
        size_t block = 0;
        if (!resolve(GetU32(bytes, record + 136), kAnmFrameBlockSize, block)) {
            error = "sequence " + std::to_string(i) + ": the frame block lies outside the file";
            return false;
        }
        sequence.mode = int32_t(GetU32(bytes, image + block + 8));
        sequence.fps = int32_t(GetU32(bytes, image + block + 12));
        const int32_t frames = int32_t(GetU32(bytes, image + block + 16));
        size_t first = 0;
        if (frames < 0 || !resolve(GetU32(bytes, image + block + 20), uint64_t(frames) * kAnmFrameSize, first)) {
            error = "sequence " + std::to_string(i) + ": the frames lie outside the file";
            return false;
        }
        for (int32_t k = 0; k < frames; ++k) {
            const size_t at = image + first + size_t(k) * kAnmFrameSize;
            AnmFrame frame;
            int32_t* fields[6] = {&frame.x, &frame.y, &frame.width, &frame.height, &frame.offsetX, &frame.offsetY};
            for (int f = 0; f < 6; ++f)
                *fields[f] = int32_t(GetU32(bytes, at + size_t(f) * 4));
            sequence.frames.push_back(frame);
        }
        sequences.push_back(std::move(sequence));
    }
    out = std::move(sequences);
    return true;
}

} // namespace AnmTool
