// Sound loading: the readers that fill a sound id's buffer from a file, and the cache of decoded sounds.
#include "graphics/PakFile.h"
#include "platform/audio/AudioMixer.h"
#include "platform/audio/DirectSound.h"
#include "platform/files/FileSystem.h"
#include "shell/DSoundManager.h"
#include "shell/FModLoader.h"
#include "shell/PathHelpers.h"
#include "shell/SoundCache.h"

#include <tremor/ivorbisfile.h>

#include <algorithm>
#include <cstring>
#include <vector>

namespace Pyxo {

namespace {

// A file opened through the pack layer, closed when it goes out of scope.
class SoundFile {
public:
    explicit SoundFile(const std::string& path) : mHandle(PakFOpen(path.c_str(), "rb")) {}
    ~SoundFile() { Close(); }
    SoundFile(const SoundFile&) = delete;
    SoundFile& operator=(const SoundFile&) = delete;

    explicit operator bool() const { return mHandle != nullptr; }
    void Close()
    {
        if (mHandle) {
            PakFClose(mHandle);
            mHandle = nullptr;
        }
    }
    size_t Read(void* buffer, size_t bytes) { return bytes == 0 ? 0 : PakFRead(buffer, 1, bytes, mHandle); }
    bool ReadExactly(void* buffer, size_t bytes) { return Read(buffer, bytes) == bytes; }
    bool ReadLE16(uint16_t& value)
    {
        uint8_t b[2];
        if (!ReadExactly(b, 2)) {
            return false;
        }
        value = uint16_t(b[0] | b[1] << 8);
        return true;
    }
    bool ReadLE32(uint32_t& value)
    {
        uint8_t b[4];
        if (!ReadExactly(b, 4)) {
            return false;
        }
        value = uint32_t(b[0]) | uint32_t(b[1]) << 8 | uint32_t(b[2]) << 16 | uint32_t(b[3]) << 24;
        return true;
    }
    bool ReadBE32(uint32_t& value)
    {
        uint8_t b[4];
        if (!ReadExactly(b, 4)) {
            return false;
        }
        value = uint32_t(b[3]) | uint32_t(b[2]) << 8 | uint32_t(b[1]) << 16 | uint32_t(b[0]) << 24;
        return true;
    }
    long Tell() { return PakFTell(mHandle); }
    bool Seek(long offset) { return PakFSeek(mHandle, offset, kPakSeekSet) == 0; }
    // Bytes in the file; the position is kept.
    long Size()
    {
        const long position = Tell();
        if (position < 0 || PakFSeek(mHandle, 0, kPakSeekEnd) != 0) {
            return -1;
        }
        const long size = Tell();
        return Seek(position) ? size : -1;
    }
    PakFileHandle* Handle() { return mHandle; }
    PakFileHandle* Release()
    {
        PakFileHandle* handle = mHandle;
        mHandle = nullptr;
        return handle;
    }

private:
    PakFileHandle* mHandle;
};

// Write access to a whole buffer, undone when it goes out of scope unless Unlock was called.
class BufferLock {
public:
    explicit BufferLock(Platform::DirectSoundBuffer* buffer) : mBuffer(buffer)
    {
        if (mBuffer &&
            Platform::Failed(mBuffer->Lock(0, 0, &mData, &mBytes, nullptr, nullptr, Platform::DSBLOCK_ENTIREBUFFER))) {
            mData = nullptr;
            mBytes = 0;
        }
    }
    ~BufferLock() { Unlock(); }
    BufferLock(const BufferLock&) = delete;
    BufferLock& operator=(const BufferLock&) = delete;

    explicit operator bool() const { return mData != nullptr; }
    uint8_t* Data() { return static_cast<uint8_t*>(mData); }
    uint32_t Bytes() const { return mBytes; }
    bool Unlock()
    {
        if (!mData) {
            return false;
        }
        const bool unlocked = Platform::Succeeded(mBuffer->Unlock(mData, mBytes, nullptr, 0));
        mData = nullptr;
        return unlocked;
    }

private:
    Platform::DirectSoundBuffer* mBuffer;
    void* mData = nullptr;
    uint32_t mBytes = 0;
};

bool FourCCIs(const char* fourCC, const char* expected)
{
    return std::memcmp(fourCC, expected, 4) == 0;
}

// The pack-aware file functions under the decoder's callbacks.
size_t OggRead(void* buffer, size_t size, size_t count, void* source)
{
    return PakFRead(buffer, size, count, static_cast<PakFileHandle*>(source));
}

int OggSeek(void* source, ogg_int64_t offset, int whence)
{
    if (!source) {
        return -1;
    }
    return PakFSeek(static_cast<PakFileHandle*>(source), long(offset), whence);
}

int OggClose(void* source)
{
    return PakFClose(static_cast<PakFileHandle*>(source));
}

long OggTell(void* source)
{
    return PakFTell(static_cast<PakFileHandle*>(source));
}

} // namespace

int16_t DSoundManager::DecodeMuLaw(uint8_t byte)
{
    const int u = byte | 0x80;
    int magnitude;
    if (u >= 240) {
        magnitude = (255 - u) * 2;
    } else if (u >= 224) {
        magnitude = (247 - u) * 4;
    } else if (u >= 208) {
        magnitude = (235 - u) * 8;
    } else if (u >= 192) {
        magnitude = (221 - u) * 16;
    } else if (u >= 176) {
        magnitude = (206 - u) * 32;
    } else if (u >= 160) {
        magnitude = 12192 - 64 * u;
    } else if (u >= 144) {
        magnitude = 22368 - 128 * u;
    } else {
        // 128 is the loudest code: it continues the top segment instead of standing for almost nothing.
        magnitude = 40672 - 256 * u;
    }
    const int sample = magnitude * 4;
    return int16_t(byte > 127 ? sample : -sample);
}

bool DSoundManager::LoadSound(unsigned int id, const std::string& fileName)
{
    if (id >= kMaxSounds) {
        return false;
    }
    ReleaseSound(id);
    if (!mDirectSound) {
        return true;
    }
    mSourceFileNames[id] = fileName;

    const std::string cachePath = GetSoundCachePath(fileName);
    if (!cachePath.empty()) {
        if (ReadWav(id, cachePath)) {
            return true;
        }
        MkDir(GetFileDir(cachePath));
    }
    if (ReadWav(id, fileName + ".wav")) {
        return true;
    }
    if (mUseFMod && ReadMp3(id, fileName + ".mp3")) {
        WriteCachedWav(id, cachePath, fileName + ".mp3");
        return true;
    }
    std::string source = fileName + ".ogg";
    if (!ReadOgg(id, source)) {
        source = fileName + ".au";
        if (!ReadAu(id, source)) {
            // A name without a sound would otherwise be found again by LoadSoundByName.
            mSourceFileNames[id].clear();
            return false;
        }
    }
    WriteCachedWav(id, cachePath, source);
    return true;
}

bool DSoundManager::ReadWav(unsigned int id, const std::string& path)
{
    if (id >= kMaxSounds) {
        return false;
    }
    SoundFile file(path);
    if (!file) {
        return false;
    }
    char fourCC[4];
    uint32_t riffSize = 0;
    if (!file.ReadExactly(fourCC, 4) || !FourCCIs(fourCC, "RIFF") || !file.ReadLE32(riffSize) ||
        !file.ReadExactly(fourCC, 4) || !FourCCIs(fourCC, "WAVE")) {
        return false;
    }
    const long fileSize = file.Size();
    uint16_t bits = 16;
    uint16_t channels = 1;
    uint32_t rate = 22050;
    uint8_t key = 0;
    for (;;) {
        uint32_t chunkSize = 0;
        if (!file.ReadExactly(fourCC, 4) || !file.ReadLE32(chunkSize)) {
            return false;
        }
        const long chunkStart = file.Tell();
        if (FourCCIs(fourCC, "fmt ")) {
            uint16_t formatTag = 0;
            uint16_t blockAlign = 0;
            uint32_t bytesPerSecond = 0;
            if (chunkSize < 16 || !file.ReadLE16(formatTag) || !file.ReadLE16(channels) || !file.ReadLE32(rate) ||
                !file.ReadLE32(bytesPerSecond) || !file.ReadLE16(blockAlign) || !file.ReadLE16(bits) ||
                formatTag != Platform::WAVE_FORMAT_PCM) {
                return false;
            }
        } else if (FourCCIs(fourCC, "dep ")) {
            uint16_t nameLength = 0;
            if (!file.ReadLE16(nameLength)) {
                return false;
            }
            std::string name(std::min<uint16_t>(nameLength, 255), '\0');
            uint32_t timeLow = 0;
            uint32_t timeHigh = 0;
            if (!file.ReadExactly(name.data(), name.size()) || !file.ReadLE32(timeLow) || !file.ReadLE32(timeHigh)) {
                return false;
            }
            if (GetSoundFileTime(name) != (uint64_t(timeHigh) << 32 | timeLow)) {
                return false; // the source changed since it was cached
            }
        } else if (FourCCIs(fourCC, "xor ")) {
            if (!file.ReadExactly(&key, 1)) {
                return false;
            }
        } else if (FourCCIs(fourCC, "data")) {
            const Platform::WaveFormat format = Platform::MakePcmFormat(channels, rate, bits);
            // A chunk that claims more than the file holds is truncated: refuse it before making a buffer.
            if (!Platform::IsPlayableFormat(format) || chunkStart < 0 || fileSize < chunkStart ||
                chunkSize > uint64_t(fileSize - chunkStart) || !CreateSoundBuffer(id, format, chunkSize)) {
                return false;
            }
            BufferLock lock(mSourceSounds[id]);
            const size_t read = lock ? file.Read(lock.Data(), chunkSize) : 0;
            file.Close();
            if (lock && key != 0) {
                std::for_each(lock.Data(), lock.Data() + read, [key](uint8_t& byte) { byte ^= key; });
            }
            if (!lock.Unlock() || read != chunkSize) {
                FreeSoundBuffer(id);
                return false;
            }
            return true;
        }
        if (!file.Seek(long(chunkStart + int64_t(chunkSize)))) {
            return false;
        }
    }
}

bool DSoundManager::ReadMp3(unsigned int id, const std::string& path)
{
    FMOD_INSTANCE* fmod = GetFModLibrary();
    if (id >= kMaxSounds || !mUseFMod || !fmod) {
        return false;
    }
    FSOUND_SAMPLE* sample = fmod->FSOUND_Sample_Load(FSOUND_FREE, path.c_str(), 0, 0);
    if (!sample) {
        return false;
    }
    const unsigned mode = fmod->FSOUND_Sample_GetMode(sample);
    int rate = 0;
    int volume = 0;
    int pan = 0;
    int priority = 0;
    fmod->FSOUND_Sample_GetDefaults(sample, &rate, &volume, &pan, &priority);
    const uint16_t channels = (mode & FSOUND_MONO) ? 1 : 2;
    const uint16_t bits = (mode & FSOUND_8BITS) ? 8 : 16;
    const uint64_t bytes = uint64_t(fmod->FSOUND_Sample_GetLength(sample)) * FModBlockAlign(mode);
    if (rate <= 0 || bytes > Platform::AudioMixer::kMaxBufferBytes ||
        !CreateSoundBuffer(id, Platform::MakePcmFormat(channels, uint32_t(rate), bits), uint32_t(bytes))) {
        fmod->FSOUND_Sample_Free(sample);
        return false;
    }
    BufferLock lock(mSourceSounds[id]);
    void* first = nullptr;
    void* second = nullptr;
    unsigned firstBytes = 0;
    unsigned secondBytes = 0;
    if (lock && fmod->FSOUND_Sample_Lock(sample, 0, int(bytes), &first, &second, &firstBytes, &secondBytes)) {
        if (first) {
            std::memcpy(lock.Data(), first, std::min<size_t>(firstBytes, lock.Bytes()));
        }
        fmod->FSOUND_Sample_Unlock(sample, first, second, firstBytes, secondBytes);
    }
    lock.Unlock();
    fmod->FSOUND_Sample_Free(sample);
    return true;
}

bool DSoundManager::ReadOgg(unsigned int id, const std::string& path)
{
    if (id >= kMaxSounds) {
        return false;
    }
    SoundFile file(path);
    if (!file) {
        return false;
    }
    const ov_callbacks callbacks{&OggRead, &OggSeek, &OggClose, &OggTell};
    OggVorbis_File vorbis;
    if (ov_open_callbacks(file.Handle(), &vorbis, nullptr, 0, callbacks) < 0) {
        return false; // the file closes itself
    }
    file.Release(); // the decoder owns it now and closes it in ov_clear
    const vorbis_info* info = ov_info(&vorbis, -1);
    const ogg_int64_t frames = ov_pcm_total(&vorbis, -1);
    const Platform::WaveFormat format =
        info && info->channels > 0 && info->channels <= 2 && info->rate > 0
            ? Platform::MakePcmFormat(uint16_t(info->channels), uint32_t(info->rate), 16)
            : Platform::WaveFormat{};
    const uint64_t bytes = frames > 0 ? uint64_t(frames) * format.blockAlign : 0;
    if (!Platform::IsPlayableFormat(format) || bytes == 0 || bytes > Platform::AudioMixer::kMaxBufferBytes ||
        !CreateSoundBuffer(id, format, uint32_t(bytes))) {
        ov_clear(&vorbis);
        return false;
    }
    BufferLock lock(mSourceSounds[id]);
    uint32_t filled = 0;
    while (lock && filled < lock.Bytes()) {
        int section = 0;
        const int want = int(std::min<uint32_t>(lock.Bytes() - filled, 1u << 20));
        const long got = ov_read(&vorbis, reinterpret_cast<char*>(lock.Data()) + filled, want, &section);
        if (got <= 0) {
            break; // end of stream, or damaged data
        }
        filled += uint32_t(got);
    }
    const uint32_t wanted = lock.Bytes();
    const bool unlocked = lock.Unlock();
    ov_clear(&vorbis);
    if (!unlocked || filled != wanted || wanted == 0) {
        FreeSoundBuffer(id);
        return false;
    }
    return true;
}

bool DSoundManager::ReadAu(unsigned int id, const std::string& path)
{
    if (id >= kMaxSounds) {
        return false;
    }
    SoundFile file(path);
    if (!file) {
        return false;
    }
    char magic[4];
    uint32_t dataOffset = 0;
    uint32_t dataSize = 0;
    uint32_t encoding = 0;
    uint32_t rate = 0;
    uint32_t channels = 0;
    if (!file.ReadExactly(magic, 4) || !FourCCIs(magic, ".snd") || !file.ReadBE32(dataOffset) ||
        !file.ReadBE32(dataSize) || !file.ReadBE32(encoding) || !file.ReadBE32(rate) || !file.ReadBE32(channels)) {
        return false;
    }
    uint16_t bits = 0;
    if (encoding == 1) {
        bits = 16; // 8-bit µ-law, widened
    } else if (encoding == 2) {
        bits = 8;
    } else {
        return false;
    }
    const long fileSize = file.Size();
    const Platform::WaveFormat format = Platform::MakePcmFormat(uint16_t(std::min<uint32_t>(channels, 3)), rate, bits);
    const uint64_t bytes = uint64_t(dataSize) * bits / 8;
    if (!Platform::IsPlayableFormat(format) || fileSize < 0 || dataOffset > uint64_t(fileSize) ||
        dataSize > uint64_t(fileSize) - dataOffset || bytes == 0 || bytes > Platform::AudioMixer::kMaxBufferBytes ||
        !file.Seek(long(dataOffset)) || !CreateSoundBuffer(id, format, uint32_t(bytes))) {
        return false;
    }
    std::vector<uint8_t> data(dataSize);
    const size_t read = file.Read(data.data(), dataSize);
    BufferLock lock(mSourceSounds[id]);
    if (lock) {
        if (encoding == 1) {
            for (size_t i = 0; i < read; ++i) {
                const int16_t sample = DecodeMuLaw(data[i]);
                lock.Data()[2 * i] = uint8_t(sample);
                lock.Data()[2 * i + 1] = uint8_t(uint16_t(sample) >> 8);
            }
        } else {
            // The file's 8-bit samples are signed; the buffer's are unsigned.
            std::transform(data.begin(), data.begin() + read, lock.Data(), [](uint8_t b) { return uint8_t(b ^ 0x80); });
        }
    }
    if (!lock.Unlock() || read != dataSize) {
        FreeSoundBuffer(id);
        return false;
    }
    return true;
}

bool DSoundManager::WriteCachedWav(unsigned int id, const std::string& cachePath, const std::string& sourcePath)
{
    if (cachePath.empty() || id >= kMaxSounds || !mSourceSounds[id]) {
        return false;
    }
    BufferLock lock(mSourceSounds[id]);
    if (!lock) {
        return false;
    }
    Platform::WaveFormat format;
    std::vector<uint8_t> file;
    const uint32_t bytes = std::min(lock.Bytes(), mSourceDataSizes[id]);
    const bool written =
        Platform::Succeeded(mSourceSounds[id]->GetFormat(&format, sizeof(format), nullptr)) &&
        BuildWavFile(format, {lock.Data(), bytes}, &sourcePath, GetSoundFileTime(sourcePath), kCacheKey, file) &&
        Platform::WriteFileAtomic(cachePath, file);
    return lock.Unlock() && written;
}

} // namespace Pyxo
