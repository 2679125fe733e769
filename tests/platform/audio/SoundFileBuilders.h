#pragma once

// The bytes of small sound files, made by the tests that read them, and a file read whole.
#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <utility>
#include <vector>

namespace SoundTest {

using Bytes = std::vector<uint8_t>;

inline void Append(Bytes& out, const char* fourCC)
{
    for (int i = 0; i < 4; ++i) {
        out.push_back(uint8_t(fourCC[i]));
    }
}
inline void AppendLE(Bytes& out, uint32_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i) {
        out.push_back(uint8_t(value >> (8 * i)));
    }
}
inline void AppendBE(Bytes& out, uint32_t value)
{
    for (int i = 3; i >= 0; --i) {
        out.push_back(uint8_t(value >> (8 * i)));
    }
}
inline void AppendChunk(Bytes& out, const char* fourCC, const Bytes& body)
{
    Append(out, fourCC);
    AppendLE(out, uint32_t(body.size()), 4);
    for (uint8_t byte : body) {
        out.push_back(byte);
    }
}

inline Bytes FmtChunkBody(uint16_t formatTag, uint16_t channels, uint32_t rate, uint16_t bits)
{
    Bytes body;
    AppendLE(body, formatTag, 2);
    AppendLE(body, channels, 2);
    AppendLE(body, rate, 4);
    AppendLE(body, rate * channels * bits / 8, 4);
    AppendLE(body, channels * bits / 8, 2);
    AppendLE(body, bits, 2);
    return body;
}

inline Bytes Samples16(const std::vector<int16_t>& samples)
{
    Bytes out;
    for (int16_t s : samples) {
        AppendLE(out, uint16_t(s), 2);
    }
    return out;
}

/// A RIFF WAVE file: "fmt ", then the extra chunks, then "data".
inline Bytes MakeWav(uint16_t channels, uint32_t rate, uint16_t bits, const Bytes& data,
                     const std::vector<std::pair<const char*, Bytes>>& extraChunks = {}, uint16_t formatTag = 1)
{
    Bytes body;
    Append(body, "WAVE");
    AppendChunk(body, "fmt ", FmtChunkBody(formatTag, channels, rate, bits));
    for (const auto& [id, chunk] : extraChunks) {
        AppendChunk(body, id, chunk);
    }
    AppendChunk(body, "data", data);
    Bytes file;
    Append(file, "RIFF");
    AppendLE(file, uint32_t(body.size()), 4);
    for (uint8_t byte : body) {
        file.push_back(byte);
    }
    return file;
}

/// A Sun ".au" file.
inline Bytes MakeAu(uint32_t encoding, uint32_t rate, uint32_t channels, const Bytes& data, uint32_t dataOffset = 24,
                    uint32_t dataSize = 0xFFFFFFFFu)
{
    Bytes file;
    Append(file, ".snd");
    AppendBE(file, dataOffset);
    AppendBE(file, dataSize == 0xFFFFFFFFu ? uint32_t(data.size()) : dataSize);
    AppendBE(file, encoding);
    AppendBE(file, rate);
    AppendBE(file, channels);
    file.resize(std::max<size_t>(file.size(), dataOffset), 0);
    for (uint8_t byte : data) {
        file.push_back(byte);
    }
    return file;
}

inline Bytes ReadFile(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

} // namespace SoundTest
