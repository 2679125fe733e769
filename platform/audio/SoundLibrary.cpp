#include "platform/audio/SoundLibrary.h"

#include "platform/audio/AuDecoder.h"
#include "platform/audio/AudioMixer.h"
#include "platform/audio/AudioOutput.h"
#include "platform/audio/OggDecoder.h"
#include "platform/audio/WavDecoder.h"
#include "platform/files/FileSystem.h"
#include "platform/log/Log.h"
#include "platform/time/Clock.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <iterator>

namespace Platform {

namespace {

constexpr const char* kLogArea = "sound";
// A worker that fell far behind (a stalled process) catches up by at most this many calls at once.
constexpr int kMaxCatchUp = 64;

// Volume 0-100 is linear amplitude; the mixer takes hundredths of a decibel.
int32_t VolumeToBuffer(int volume)
{
    if (volume <= 0)
        return SoundBuffer::kVolumeMin;
    if (volume >= 100)
        return SoundBuffer::kVolumeMax;
    const double level = std::round(2000.0 * std::log10(volume / 100.0));
    return int32_t(std::max(level, double(SoundBuffer::kVolumeMin)));
}

// Pan 0-100, 50 the centre: the far side fades linearly to silence at the ends.
int32_t PanToBuffer(int pan)
{
    pan = std::clamp(pan, 0, 100);
    if (pan == 50)
        return 0;
    const double factor = pan > 50 ? (100 - pan) / 50.0 : pan / 50.0;
    const double attenuation =
        factor <= 0.0 ? double(SoundBuffer::kPanRight) : std::min(-2000.0 * std::log10(factor), 10000.0);
    return int32_t(std::round(pan > 50 ? attenuation : -attenuation));
}

// Files read from disk when the caller set no callbacks.
void* DiskOpen(const char* name)
{
    return OpenFile(name, "rb");
}
size_t DiskRead(void* file, void* buffer, size_t size)
{
    return std::fread(buffer, 1, size, static_cast<FILE*>(file));
}
long DiskSeek(void* file, long offset, int origin)
{
    if (std::fseek(static_cast<FILE*>(file), offset, origin) != 0)
        return -1;
    return std::ftell(static_cast<FILE*>(file));
}
void DiskClose(void* file)
{
    std::fclose(static_cast<FILE*>(file));
}

/// A source reading the file through the callbacks; the file closes when the last copy of the source goes.
SoundSource FileSource(const SoundFileCallbacks& files, const char* path)
{
    void* handle = files.open(path);
    if (!handle)
        return {};
    const std::shared_ptr<void> file(handle, files.close);
    SoundSource source;
    source.read = [file, read = files.read](void* buffer, size_t bytes) { return read(file.get(), buffer, bytes); };
    source.seek = [file, seek = files.seek](int64_t offset, SeekOrigin origin) {
        const int whence = origin == SeekOrigin::Begin ? SEEK_SET : origin == SeekOrigin::Current ? SEEK_CUR : SEEK_END;
        return offset >= LONG_MIN && offset <= LONG_MAX && seek(file.get(), long(offset), whence) >= 0;
    };
    source.tell = [file, seek = files.seek] { return int64_t(seek(file.get(), 0, SEEK_CUR)); };
    return source;
}

/// The decoder for the file's kind, told by its first bytes: WAV, Ogg Vorbis or .au; null for anything else.
std::unique_ptr<SoundDecoder> OpenDecoder(SoundSource source)
{
    char magic[4] = {};
    if (!source.IsComplete() || !source.ReadExactly(magic, sizeof magic) || !source.seek(0, SeekOrigin::Begin))
        return nullptr;
    if (std::memcmp(magic, "RIFF", 4) == 0)
        return WavDecoder::Open(std::move(source));
    if (std::memcmp(magic, "OggS", 4) == 0)
        return OggDecoder::Open(std::move(source));
    if (std::memcmp(magic, ".snd", 4) == 0)
        return AuDecoder::Open(std::move(source));
    return nullptr;
}

std::atomic<SoundLibrary*> gInstalled = nullptr;

} // namespace

SoundLibrary::SoundLibrary(AudioMixer& mixer) : mMixer(mixer)
{
    mFiles = {&DiskOpen, &DiskRead, &DiskSeek, &DiskClose};
}

SoundLibrary::~SoundLibrary()
{
    StopWorkerThread();
    const auto lock = Lock();
    mChannels.clear();
    mSamples.clear();
}

int SoundLibrary::DeviceCount()
{
    return 1;
}

int SoundLibrary::Init(const SoundLibraryParams& params)
{
    {
        const auto lock = Lock();
        if (mInitialised)
            return 0;
        mParams = params;
        if (mParams.sampleRate == 0)
            mParams.sampleRate = 44100;
        mParams.channels = std::max(mParams.channels, 1);
        mPaused = false;
        mInitialised = true;
    }
    if (&mMixer == &SharedAudioMixer())
        AudioOutput::Acquire();
    if (params.workerThread) {
        {
            const std::lock_guard wake(mWakeMutex);
            mStopWorker = false;
        }
        mWorkerThread = std::thread([this] { WorkerLoop(); });
    }
    return 0;
}

void SoundLibrary::Free()
{
    StopWorkerThread();
    {
        const auto lock = Lock();
        if (!mInitialised)
            return;
        mChannels.clear();
        mSamples.clear();
        mInitialised = false;
    }
    if (&mMixer == &SharedAudioMixer())
        AudioOutput::Release();
}

bool SoundLibrary::IsInitialised() const
{
    const std::lock_guard lock(mMutex);
    return mInitialised;
}

void SoundLibrary::StopAll()
{
    const auto lock = Lock();
    mChannels.clear();
}

void SoundLibrary::Pause(bool paused)
{
    const auto lock = Lock();
    if (!mInitialised || paused == mPaused)
        return;
    // Ended channels go first: a stopped buffer of a finished sound would otherwise start over on resume.
    Reap();
    mPaused = paused;
    for (auto& [id, channel] : mChannels)
        Apply(channel);
}

void SoundLibrary::SetFileCallbacks(const SoundFileCallbacks& callbacks)
{
    const auto lock = Lock();
    if (callbacks.open && callbacks.read && callbacks.seek && callbacks.close)
        mFiles = callbacks;
    else
        mFiles = {&DiskOpen, &DiskRead, &DiskSeek, &DiskClose};
}

SoundSampleId SoundLibrary::SampleLoadFile(const char* path, const SoundSampleDefaults* defaults, bool stream)
{
    SoundFileCallbacks files;
    {
        const auto lock = Lock();
        if (!mInitialised || !path)
            return {};
        files = mFiles;
    }
    // Read and decoded outside the lock: a long file on the loading thread must not hold up the workers.
    const int group = defaults ? defaults->group : 0;
    std::unique_ptr<SoundDecoder> decoder = OpenDecoder(FileSource(files, path));
    if (!decoder) {
        PLATFORM_LOG_WARNING(kLogArea, "%s: missing, or not a sound file that can be played", path);
        return {};
    }
    if (stream) {
        const WaveFormat format = decoder->Format();
        const std::string name = path;
        return AddStreamSample(
            format,
            [files, name]() -> std::unique_ptr<SoundDecoder> {
                std::unique_ptr<SoundDecoder> reading = OpenDecoder(FileSource(files, name.c_str()));
                if (!reading)
                    PLATFORM_LOG_WARNING(kLogArea, "%s: cannot be read again to play", name.c_str());
                return reading;
            },
            group);
    }
    const WaveFormat format = decoder->Format();
    std::vector<uint8_t> pcm;
    if (decoder->TotalBytes() == 0 || decoder->TotalBytes() > AudioMixer::kMaxBufferBytes) {
        PLATFORM_LOG_WARNING(kLogArea, "%s: no samples, or too many to hold", path);
        return {};
    }
    pcm.resize(size_t(decoder->TotalBytes()));
    if (!DecodeWhole(*decoder, pcm)) {
        PLATFORM_LOG_WARNING(kLogArea, "%s: cut short or damaged", path);
        return {};
    }
    const SoundSampleId id = AddSample(format, pcm, group);
    if (!id)
        PLATFORM_LOG_WARNING(kLogArea, "%s: no buffer for its %zu bytes", path, pcm.size());
    return id;
}

SoundSampleId SoundLibrary::AddSample(const WaveFormat& format, const std::vector<uint8_t>& pcm, int group)
{
    const auto lock = Lock();
    if (!mInitialised || pcm.size() > AudioMixer::kMaxBufferBytes)
        return {};
    std::unique_ptr<SoundBuffer> buffer = mMixer.CreateBuffer(format, uint32_t(pcm.size()));
    void* first = nullptr;
    uint32_t firstBytes = 0;
    if (!buffer || !buffer->Lock(0, uint32_t(pcm.size()), &first, &firstBytes, nullptr, nullptr))
        return {};
    std::memcpy(first, pcm.data(), firstBytes);
    buffer->Unlock();
    const SoundSampleId id{mNextId++};
    mSamples[id.value] = Sample{std::move(buffer), group, {}, {}};
    return id;
}

SoundSampleId SoundLibrary::AddStreamSample(const WaveFormat& format, SoundStreamOpener open, int group)
{
    const auto lock = Lock();
    if (!mInitialised || !open || !IsPlayableFormat(format))
        return {};
    const SoundSampleId id{mNextId++};
    mSamples[id.value] = Sample{nullptr, group, std::move(open), format};
    return id;
}

void SoundLibrary::SampleUnload(SoundSampleId sample)
{
    const auto lock = Lock();
    SampleStop(sample);
    mSamples.erase(sample.value);
}

SoundChannelId SoundLibrary::SamplePlay(SoundSampleId sample, bool loop, int group, bool start, int priority,
                                        int volume, int frequency, int pan)
{
    const auto lock = Lock();
    const auto found = mSamples.find(sample.value);
    if (!mInitialised || !sample || found == mSamples.end())
        return {};
    Reap();
    if (mChannels.size() >= size_t(mParams.channels)) {
        auto lowest = std::min_element(mChannels.begin(), mChannels.end(), [](const auto& a, const auto& b) {
            return a.second.priority < b.second.priority;
        });
        if (lowest->second.priority > priority)
            return {};
        RemoveChannel(lowest);
    }
    const Sample& source = found->second;
    Channel channel;
    channel.sample = sample;
    if (source.openStream) {
        const WaveFormat& format = source.streamFormat;
        const uint32_t frames = std::max<uint32_t>(format.samplesPerSecond * kStreamRingMs / 1000, 64);
        channel.stream = std::make_unique<Stream>();
        channel.stream->source = source.openStream();
        if (!channel.stream->source)
            return {};
        channel.buffer = mMixer.CreateBuffer(format, frames * format.blockAlign);
    } else {
        channel.buffer = mMixer.Duplicate(*source.buffer);
    }
    if (!channel.buffer)
        return {};
    channel.group = group;
    channel.priority = priority;
    channel.volume = std::clamp(volume, 0, 100);
    channel.looping = loop;
    channel.started = start;
    const uint32_t ownRate = channel.buffer->Format().samplesPerSecond;
    const double rate = frequency > 0 ? double(ownRate) * frequency / mParams.sampleRate : double(ownRate);
    channel.buffer->SetFrequency(uint32_t(std::clamp(rate, double(kMinSoundFrequency), double(kMaxSoundFrequency))));
    channel.buffer->SetVolume(VolumeToBuffer(channel.volume));
    channel.buffer->SetPan(PanToBuffer(pan));
    const SoundChannelId id{mNextId++};
    Channel& made = mChannels.emplace(id.value, std::move(channel)).first->second;
    if (made.stream)
        Refill(made);
    Apply(made);
    return id;
}

void SoundLibrary::SampleStop(SoundSampleId sample)
{
    const auto lock = Lock();
    for (auto it = mChannels.begin(); it != mChannels.end();) {
        if (it->second.sample == sample)
            it = mChannels.erase(it);
        else
            ++it;
    }
}

void SoundLibrary::SamplePause(SoundSampleId sample, bool paused)
{
    const auto lock = Lock();
    Reap();
    for (auto& [id, channel] : mChannels) {
        if (channel.sample == sample) {
            channel.paused = paused;
            Apply(channel);
        }
    }
}

SoundLibrary::Channel* SoundLibrary::Find(SoundChannelId channel)
{
    Reap();
    const auto found = mChannels.find(channel.value);
    return found == mChannels.end() ? nullptr : &found->second;
}

SoundChannelStatus SoundLibrary::ChannelStatus(SoundChannelId channel)
{
    const auto lock = Lock();
    const Channel* found = Find(channel);
    if (!found)
        return kChannelNone;
    return found->started && !found->paused ? kChannelPlaying : kChannelPaused;
}

void SoundLibrary::ChannelStart(SoundChannelId channel)
{
    const auto lock = Lock();
    if (Channel* found = Find(channel)) {
        found->started = true;
        Apply(*found);
    }
}

void SoundLibrary::ChannelStop(SoundChannelId channel)
{
    const auto lock = Lock();
    const auto found = mChannels.find(channel.value);
    if (found != mChannels.end())
        RemoveChannel(found);
}

void SoundLibrary::ChannelPause(SoundChannelId channel, bool paused)
{
    const auto lock = Lock();
    if (Channel* found = Find(channel)) {
        found->paused = paused;
        Apply(*found);
    }
}

void SoundLibrary::ChannelSetVolume(SoundChannelId channel, int volume)
{
    const auto lock = Lock();
    if (Channel* found = Find(channel)) {
        found->volume = std::clamp(volume, 0, 100);
        found->buffer->SetVolume(VolumeToBuffer(found->volume));
    }
}

int SoundLibrary::ChannelVolume(SoundChannelId channel)
{
    const auto lock = Lock();
    const Channel* found = Find(channel);
    return found ? found->volume : 0;
}

void SoundLibrary::ChannelSetWorker(SoundChannelId channel, SoundChannelWorker worker, void* argument,
                                    uint32_t periodMs)
{
    const auto lock = Lock();
    if (Channel* found = Find(channel)) {
        found->worker = worker;
        found->workerArgument = argument;
        found->workerPeriod = std::max<uint32_t>(periodMs, 1);
        found->workerDue = GetTickCount() + found->workerPeriod;
    }
}

void SoundLibrary::ChannelGroupSetVolume(int group, int volume)
{
    const auto lock = Lock();
    Reap();
    for (auto& [id, channel] : mChannels) {
        if (channel.group == group) {
            channel.volume = std::clamp(volume, 0, 100);
            channel.buffer->SetVolume(VolumeToBuffer(channel.volume));
        }
    }
}

size_t SoundLibrary::ChannelCount()
{
    const auto lock = Lock();
    Reap();
    return mChannels.size();
}

void SoundLibrary::Apply(Channel& channel)
{
    // A stream's ring always loops; its end is found as it is refilled.
    if (channel.started && !channel.paused && !mPaused)
        channel.buffer->Play(channel.looping || channel.stream);
    else
        channel.buffer->Stop();
}

void SoundLibrary::Reap()
{
    // A channel that should be sounding but whose buffer stopped has reached the end of its sound.
    for (auto it = mChannels.begin(); it != mChannels.end();) {
        const Channel& channel = it->second;
        if (channel.started && !channel.paused && !mPaused && !channel.buffer->IsPlaying())
            it = mChannels.erase(it);
        else
            ++it;
    }
}

void SoundLibrary::RemoveChannel(std::map<uint32_t, Channel>::iterator at)
{
    mChannels.erase(at);
}

void SoundLibrary::Refill(Channel& channel)
{
    Stream& stream = *channel.stream;
    SoundBuffer& buffer = *channel.buffer;
    const uint32_t ring = buffer.Size();
    const uint32_t position = buffer.Position();
    stream.played += (position + ring - stream.lastPosition) % ring;
    stream.lastPosition = position;
    if (stream.played >= stream.endAt) {
        buffer.Stop(); // Reap forgets the channel
        return;
    }
    const uint8_t silence = buffer.Format().bitsPerSample == 8 ? 0x80 : 0x00;
    uint64_t room = ring - std::min<uint64_t>(stream.written - stream.played, ring);
    int rewinds = 0;
    while (room > 0) {
        const auto at = uint32_t(stream.written % ring);
        const auto bytes = uint32_t(std::min<uint64_t>(room, ring - at));
        void* first = nullptr;
        uint32_t firstBytes = 0;
        if (!buffer.Lock(at, bytes, &first, &firstBytes, nullptr, nullptr))
            return;
        auto* out = static_cast<uint8_t*>(first);
        size_t got = 0;
        if (stream.endAt == UINT64_MAX) {
            got = std::min<size_t>(stream.source->Read({out, firstBytes}), firstBytes);
            // A looping stream starts over at its end; one that gives nothing right after a rewind has ended.
            if (got == 0 && channel.looping && rewinds++ == 0 && stream.source->Rewind()) {
                buffer.Unlock();
                continue;
            }
            if (got == 0)
                stream.endAt = stream.written;
            else
                rewinds = 0;
        }
        if (got == 0) {
            // After the end the ring is filled with silence, so nothing stale plays before the channel stops.
            std::memset(out, silence, firstBytes);
            got = firstBytes;
        }
        buffer.Unlock();
        stream.written += got;
        room -= got;
    }
}

void SoundLibrary::RunDueWorkers()
{
    const auto lock = Lock();
    for (auto& [id, channel] : mChannels) {
        if (channel.stream)
            Refill(channel);
    }
    const uint32_t now = GetTickCount();
    std::vector<uint32_t> ids;
    for (const auto& [id, channel] : mChannels) {
        if (channel.worker)
            ids.push_back(id);
    }
    for (uint32_t id : ids) {
        for (int calls = 0; calls < kMaxCatchUp; ++calls) {
            // The worker may have stopped its channel or removed itself in the previous call.
            const auto found = mChannels.find(id);
            if (found == mChannels.end() || !found->second.worker || int32_t(now - found->second.workerDue) < 0)
                break;
            Channel& channel = found->second;
            channel.workerDue += channel.workerPeriod;
            channel.worker(SoundChannelId{id}, channel.workerArgument);
        }
        const auto found = mChannels.find(id);
        if (found != mChannels.end() && found->second.worker && int32_t(now - found->second.workerDue) >= 0)
            found->second.workerDue = now + found->second.workerPeriod;
    }
}

void SoundLibrary::WorkerLoop()
{
    std::unique_lock wake(mWakeMutex);
    while (!mStopWorker) {
        // Real time between looks; what is due is decided on the process clock.
        mWake.wait_for(wake, std::chrono::milliseconds(10), [this] { return mStopWorker; });
        if (mStopWorker)
            break;
        wake.unlock();
        RunDueWorkers();
        wake.lock();
    }
}

void SoundLibrary::StopWorkerThread()
{
    {
        const std::lock_guard wake(mWakeMutex);
        mStopWorker = true;
    }
    mWake.notify_all();
    if (mWorkerThread.joinable())
        mWorkerThread.join();
}

SoundLibrary& CurrentSoundLibrary()
{
    if (SoundLibrary* installed = gInstalled.load())
        return *installed;
    // Never destroyed: its worker thread is stopped on the exit path, and a late call at exit finds it alive.
    static SoundLibrary* standIn = new SoundLibrary(SharedAudioMixer());
    return *standIn;
}

SoundLibrary* SetSoundLibrary(SoundLibrary* library)
{
    return gInstalled.exchange(library);
}

} // namespace Platform
