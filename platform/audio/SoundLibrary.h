#pragma once

#include "platform/audio/SoundBuffer.h"
#include "platform/audio/SoundDecoder.h"
#include "platform/window/WindowMessage.h"

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace Platform {

class AudioMixer;

/// Opaque handle of a loaded sample; the default value is none.
struct SoundSampleId {
    uint32_t value = 0;
    explicit operator bool() const { return value != 0; }
    friend bool operator==(SoundSampleId, SoundSampleId) = default;
};

/// Opaque handle of a playing channel; the default value is none. A handle of a channel that has ended stays
/// harmless: every call with it does nothing and its status is kChannelNone.
struct SoundChannelId {
    uint32_t value = 0;
    explicit operator bool() const { return value != 0; }
    friend bool operator==(SoundChannelId, SoundChannelId) = default;
};

/// How the library reads sound files, so that they may come from the pack archives. File handles are
/// pointer-sized; open returns null for a file it cannot open. seek takes an origin as fseek does and returns the
/// new position, negative on failure. read returns the bytes read, 0 at the end.
struct SoundFileCallbacks {
    void* (*open)(const char* name) = nullptr;
    size_t (*read)(void* file, void* buffer, size_t size) = nullptr;
    long (*seek)(void* file, long offset, int origin) = nullptr;
    void (*close)(void* file) = nullptr;
};

struct SoundLibraryParams {
    WindowHandle window;
    int device = 0;
    uint32_t sampleRate = 44100; // the frequency at which a sample plays at its own rate
    int channels = 32;           // channels playing at once
    /// Worker ticks on the library's own thread; tests run them by hand with RunDueWorkers instead.
    bool workerThread = true;
};

/// Defaults a sample is loaded with: its group.
struct SoundSampleDefaults {
    int group = 0;
};

/// Opens one more reading of a streamed sample (each channel has its own); null when it cannot.
using SoundStreamOpener = std::function<std::unique_ptr<SoundDecoder>()>;

enum SoundChannelStatus { kChannelNone = 0, kChannelPlaying = 1, kChannelPaused = 2 };

/// Called on the library's thread every period with the channel and the argument it was set with; it may call
/// the library (the lock is re-entrant), also to remove itself.
using SoundChannelWorker = void (*)(SoundChannelId channel, void* argument);

/// The game's sound library, on the shared software mixer: samples loaded by name through the file callbacks
/// (WAV and Ogg Vorbis), played on channels with loop, group, priority, volume 0-100, frequency and pan 0-100
/// (50 = centre); channels with status, start, stop, pause, volume and periodic workers; channel groups with a
/// volume (group -1 holds the music); a global pause. Every call is thread-safe; all of them and the workers run
/// under one re-entrant lock, which callers that share state with a worker take as well (Lock). Operations before
/// Init, or after Free, do nothing. Tests derive from it to record or refuse calls.
class SoundLibrary {
public:
    static constexpr int kMusicGroup = -1;

    /// Plays through the mixer, which must outlive it.
    explicit SoundLibrary(AudioMixer& mixer);
    virtual ~SoundLibrary();
    SoundLibrary(const SoundLibrary&) = delete;
    SoundLibrary& operator=(const SoundLibrary&) = delete;

    /// Sound devices: 1, also headless, where the output is silent.
    [[nodiscard]] virtual int DeviceCount();
    /// 0 on success, negative on failure. Opens the audio output (main thread) and starts the worker thread.
    virtual int Init(const SoundLibraryParams& params);
    /// Stops the worker thread, every channel and sample, and releases the output (main thread).
    virtual void Free();
    virtual void StopAll();
    /// Pauses or resumes every channel at once, on top of their own pauses.
    virtual void Pause(bool paused);
    virtual void SetFileCallbacks(const SoundFileCallbacks& callbacks);

    /// Reads and decodes the whole file, or with `stream` checks it and decodes it piece by piece as each channel
    /// plays; none when it cannot be opened or decoded (logged).
    virtual SoundSampleId SampleLoadFile(const char* path, const SoundSampleDefaults* defaults, bool stream = false);
    /// Stops its channels and frees it.
    virtual void SampleUnload(SoundSampleId sample);
    /// A new channel of the sample. frequency is relative to the library's sample rate: at that rate the sample
    /// plays at its own. With every channel busy, the one of the lowest priority below or equal to this one's is
    /// taken; none when all are higher.
    virtual SoundChannelId SamplePlay(SoundSampleId sample, bool loop, int group, bool start, int priority, int volume,
                                      int frequency, int pan);
    virtual void SampleStop(SoundSampleId sample);
    virtual void SamplePause(SoundSampleId sample, bool paused);

    [[nodiscard]] virtual SoundChannelStatus ChannelStatus(SoundChannelId channel);
    virtual void ChannelStart(SoundChannelId channel);
    virtual void ChannelStop(SoundChannelId channel);
    virtual void ChannelPause(SoundChannelId channel, bool paused);
    /// 0 to 100.
    virtual void ChannelSetVolume(SoundChannelId channel, int volume);
    [[nodiscard]] int ChannelVolume(SoundChannelId channel);
    /// A null worker removes the channel's worker.
    virtual void ChannelSetWorker(SoundChannelId channel, SoundChannelWorker worker, void* argument, uint32_t periodMs);
    /// Sets the volume of every channel playing in the group (0 to 100).
    virtual void ChannelGroupSetVolume(int group, int volume);

    /// Calls every worker whose period has passed on the process clock (platform/time/Clock.h), once per period
    /// passed. The worker thread calls it; tests call it after moving a manual clock.
    void RunDueWorkers();
    /// Ends the worker thread and waits for it; the process's exit path calls it.
    void StopWorkerThread();
    /// The lock every call and worker runs under.
    [[nodiscard]] std::unique_lock<std::recursive_mutex> Lock() { return std::unique_lock(mMutex); }
    [[nodiscard]] bool IsInitialised() const;
    /// Channels that exist (playing or paused).
    [[nodiscard]] size_t ChannelCount();

protected:
    /// A sample of decoded PCM data; none for a format or size the mixer cannot play. The file loader ends here.
    SoundSampleId AddSample(const WaveFormat& format, const std::vector<uint8_t>& pcm, int group);
    /// A sample that each channel decodes as it plays, through a ring of kStreamRingMs of sound refilled with
    /// every look of the worker thread (RunDueWorkers).
    SoundSampleId AddStreamSample(const WaveFormat& format, SoundStreamOpener open, int group);

    static constexpr uint32_t kStreamRingMs = 500;

private:
    struct Sample {
        std::unique_ptr<SoundBuffer> buffer; // decoded data; channels play duplicates
        int group = 0;
        SoundStreamOpener openStream; // set for a streamed sample, which has no buffer
        WaveFormat streamFormat;
    };
    /// The decoding state of a channel of a streamed sample; its buffer is a ring that always loops.
    struct Stream {
        std::unique_ptr<SoundDecoder> source;
        uint64_t written = 0; // bytes written into the ring so far
        uint64_t played = 0;  // bytes the mixer has passed
        uint32_t lastPosition = 0;
        uint64_t endAt = UINT64_MAX; // `written` when the source ended, for a channel that does not loop
    };
    struct Channel {
        SoundSampleId sample;
        std::unique_ptr<SoundBuffer> buffer;
        int group = 0;
        int priority = 0;
        int volume = 100;
        bool looping = false;
        bool started = false; // played and not stopped
        bool paused = false;
        SoundChannelWorker worker = nullptr;
        void* workerArgument = nullptr;
        uint32_t workerPeriod = 0;
        uint32_t workerDue = 0;         // tick of the next call
        std::unique_ptr<Stream> stream; // set on a channel of a streamed sample
    };

    Channel* Find(SoundChannelId channel);
    /// Makes the buffer play or stop as the channel's state and the global pause say.
    void Apply(Channel& channel);
    /// Forgets channels whose sound has ended.
    void Reap();
    void RemoveChannel(std::map<uint32_t, Channel>::iterator at);
    /// Decodes into the part of the ring the mixer has played; stops the channel after the source's end.
    void Refill(Channel& channel);
    void WorkerLoop();

    AudioMixer& mMixer; // borrowed
    mutable std::recursive_mutex mMutex;
    bool mInitialised = false;
    bool mPaused = false;
    SoundLibraryParams mParams;
    SoundFileCallbacks mFiles;
    uint32_t mNextId = 1;
    std::map<uint32_t, Sample> mSamples;
    std::map<uint32_t, Channel> mChannels;

    std::thread mWorkerThread;
    std::mutex mWakeMutex;
    std::condition_variable mWake;
    bool mStopWorker = false; // guarded by mWakeMutex
};

/// The library the engine calls: the process's stand-in on the shared mixer unless a test installed another.
SoundLibrary& CurrentSoundLibrary();
/// Installs a library for the whole process (null restores the stand-in); returns the previous one. Borrowed.
SoundLibrary* SetSoundLibrary(SoundLibrary* library);

} // namespace Platform
