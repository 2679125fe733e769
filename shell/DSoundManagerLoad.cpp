// Sound loading: the readers that fill a sound id's buffer from a file through the decoders, and the cache of
// decoded sounds.
#include "graphics/PakFile.h"
#include "platform/audio/AuDecoder.h"
#include "platform/audio/AudioMixer.h"
#include "platform/audio/DirectSound.h"
#include "platform/audio/OggDecoder.h"
#include "platform/audio/WavDecoder.h"
#include "platform/files/FileSystem.h"
#include "shell/DSoundManager.h"
#include "shell/FModLoader.h"
#include "shell/PathHelpers.h"
#include "shell/SoundCache.h"

#include <climits>
#include <cstring>
#include <memory>
#include <optional>
#include <vector>

namespace Pyxo {

namespace {

// A source over a file opened through the pack layer; the file closes with the last copy of the source. Empty
// when the file cannot be opened.
std::optional<Platform::SoundSource> OpenPakSource(const std::string& path)
{
    PakFileHandle* opened = PakFOpen(path.c_str(), "rb");
    if (!opened) {
        return std::nullopt;
    }
    std::shared_ptr<PakFileHandle> handle(opened, [](PakFileHandle* h) { PakFClose(h); });
    Platform::SoundSource source;
    source.read = [handle](void* buffer, size_t bytes) {
        return bytes == 0 ? 0 : PakFRead(buffer, 1, bytes, handle.get());
    };
    source.seek = [handle](int64_t offset, Platform::SeekOrigin origin) {
        const int whence = origin == Platform::SeekOrigin::Begin     ? kPakSeekSet
                           : origin == Platform::SeekOrigin::Current ? kPakSeekCur
                                                                     : kPakSeekEnd;
        return offset >= LONG_MIN && offset <= LONG_MAX && PakFSeek(handle.get(), long(offset), whence) == 0;
    };
    source.tell = [handle]() { return int64_t(PakFTell(handle.get())); };
    return source;
}

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

} // namespace

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

bool DSoundManager::FillSoundBuffer(unsigned int id, Platform::SoundDecoder& decoder)
{
    const uint64_t bytes = decoder.TotalBytes();
    if (bytes > Platform::AudioMixer::kMaxBufferBytes || !CreateSoundBuffer(id, decoder.Format(), uint32_t(bytes))) {
        return false;
    }
    BufferLock lock(mSourceSounds[id]);
    const bool decoded = lock && Platform::DecodeWhole(decoder, {lock.Data(), lock.Bytes()});
    if (!lock.Unlock() || !decoded) {
        FreeSoundBuffer(id);
        return false;
    }
    return true;
}

bool DSoundManager::ReadWav(unsigned int id, const std::string& path)
{
    if (id >= kMaxSounds) {
        return false;
    }
    std::optional<Platform::SoundSource> source = OpenPakSource(path);
    const auto decoder = source ? Platform::WavDecoder::Open(std::move(*source)) : nullptr;
    if (!decoder) {
        return false;
    }
    const std::optional<Platform::WavSourceNote>& note = decoder->SourceNote();
    if (note && GetSoundFileTime(note->name) != note->time) {
        return false; // the source changed since it was cached
    }
    return FillSoundBuffer(id, *decoder);
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
    std::optional<Platform::SoundSource> source = OpenPakSource(path);
    const auto decoder = source ? Platform::OggDecoder::Open(std::move(*source)) : nullptr;
    return decoder && FillSoundBuffer(id, *decoder);
}

bool DSoundManager::ReadAu(unsigned int id, const std::string& path)
{
    if (id >= kMaxSounds) {
        return false;
    }
    std::optional<Platform::SoundSource> source = OpenPakSource(path);
    const auto decoder = source ? Platform::AuDecoder::Open(std::move(*source)) : nullptr;
    return decoder && FillSoundBuffer(id, *decoder);
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
