#include "shell/SoundCache.h"

#include "graphics/PakFile.h"
#include "platform/files/FileSystem.h"
#include "shell/PathHelpers.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstring>

namespace Pyxo {

namespace {

// Seconds from 1601-01-01 (Windows file times) to 1970-01-01 (Unix times).
constexpr uint64_t kFileTimeEpochOffset = 11644473600ULL;

// Little-endian writer into a buffer sized beforehand.
class ByteWriter {
public:
    explicit ByteWriter(std::vector<uint8_t>& out) : mOut(out) {}
    void Bytes(const void* data, size_t size)
    {
        if (size > 0) {
            std::memcpy(mOut.data() + mAt, data, size);
            mAt += size;
        }
    }
    void FourCC(const char* fourCC) { Bytes(fourCC, 4); }
    void U16(uint16_t value)
    {
        const uint8_t b[2] = {uint8_t(value), uint8_t(value >> 8)};
        Bytes(b, 2);
    }
    void U32(uint32_t value)
    {
        U16(uint16_t(value));
        U16(uint16_t(value >> 16));
    }
    size_t At() const { return mAt; }

private:
    std::vector<uint8_t>& mOut;
    size_t mAt = 0;
};

} // namespace

bool IsCacheableSoundName(const std::string& name)
{
    return !(name.size() <= 2 || name[0] == '\\' || name[0] == '/' || name[1] == ':');
}

std::string GetSoundCachePath(const std::string& name)
{
    return IsCacheableSoundName(name) ? GetAppDataFolder() + "cached\\" + name + ".wav" : std::string();
}

uint64_t GetSoundFileTime(const std::string& path)
{
    if (auto* pak = dynamic_cast<PakInterface*>(GetPakInterface())) {
        if (const PakRecord* record = pak->FindRecord(path)) {
            return record->fileTime;
        }
    }
    struct stat status;
    if (stat(Platform::ResolvePath(path).c_str(), &status) != 0 || !S_ISREG(status.st_mode) ||
        status.st_mtim.tv_sec < 0) {
        return 0;
    }
    return (uint64_t(status.st_mtim.tv_sec) + kFileTimeEpochOffset) * 10000000ULL +
           uint64_t(status.st_mtim.tv_nsec) / 100;
}

bool BuildWavFile(const Platform::WaveFormat& format, std::span<const uint8_t> data, const std::string* sourceName,
                  uint64_t sourceTime, uint8_t key, std::vector<uint8_t>& out)
{
    // The reader cuts a stored name at 255 bytes, so a longer one could never match again.
    const size_t nameLength = sourceName ? std::min<size_t>(sourceName->size(), 255) : 0;
    if (data.size() > 0xFFFFFFFFULL - 36) {
        return false;
    }
    const uint16_t blockAlign = uint16_t(format.bitsPerSample * format.channels / 8);
    const size_t headerBytes = 44 + (sourceName ? 27 + nameLength : 0);
    out.assign(headerBytes + data.size(), 0);
    ByteWriter w(out);
    w.FourCC("RIFF");
    w.U32(uint32_t(data.size() + 36));
    w.FourCC("WAVE");
    w.FourCC("fmt ");
    w.U32(16);
    w.U16(Platform::WAVE_FORMAT_PCM);
    w.U16(format.channels);
    w.U32(format.samplesPerSecond);
    w.U32(blockAlign * format.samplesPerSecond);
    w.U16(blockAlign);
    w.U16(format.bitsPerSample);
    if (sourceName) {
        w.FourCC("dep ");
        w.U32(uint32_t(nameLength + 10));
        w.U16(uint16_t(nameLength));
        w.Bytes(sourceName->data(), nameLength);
        w.U32(uint32_t(sourceTime));
        w.U32(uint32_t(sourceTime >> 32));
        w.FourCC("xor ");
        w.U32(1);
        w.Bytes(&key, 1);
    }
    w.FourCC("data");
    w.U32(uint32_t(data.size()));
    const size_t start = w.At();
    w.Bytes(data.data(), data.size());
    if (sourceName) {
        std::for_each(out.begin() + start, out.end(), [key](uint8_t& byte) { byte ^= key; });
    }
    return true;
}

} // namespace Pyxo
