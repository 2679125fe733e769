#include "platform/audio/AudioOutput.h"

#include "platform/audio/AudioMixer.h"
#include "platform/log/Log.h"

#include <SDL.h>
#include <fcntl.h>
#include <strings.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>

namespace Platform {

namespace {

struct OutputState {
    std::mutex mutex;
    int references = 0;
    SDL_AudioDeviceID device = 0; // 0 = silent
};

OutputState& State()
{
    static OutputState state;
    return state;
}

void SDLCALL PullFromMixer(void* /*userData*/, Uint8* stream, int length)
{
    // The device was opened for 16-bit stereo without allowed changes, so SDL converts for us.
    SharedAudioMixer().Mix(reinterpret_cast<int16_t*>(stream), size_t(length) / (2 * sizeof(int16_t)));
}

/// While it lives, standard error goes nowhere. The sound libraries under SDL print their own lines there while
/// they look for a device (a machine without a sound card gets a screenful); the one line that matters, the
/// reason SDL reports, goes to the log afterwards. Used on the main thread during start-up, before the other
/// threads run, so no line of ours is lost meanwhile.
class QuietStandardError {
public:
    QuietStandardError()
    {
        std::fflush(stderr);
        const int null = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
        if (null >= 0) {
            mSaved = ::fcntl(STDERR_FILENO, F_DUPFD_CLOEXEC, 0);
            if (mSaved >= 0)
                ::dup2(null, STDERR_FILENO);
            ::close(null);
        }
    }
    ~QuietStandardError()
    {
        if (mSaved >= 0) {
            std::fflush(stderr);
            ::dup2(mSaved, STDERR_FILENO);
            ::close(mSaved);
        }
    }
    QuietStandardError(const QuietStandardError&) = delete;
    QuietStandardError& operator=(const QuietStandardError&) = delete;

private:
    int mSaved = -1;
};

void CloseDevice(OutputState& state)
{
    if (state.device != 0) {
        SDL_CloseAudioDevice(state.device);
        state.device = 0;
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
    }
}

/// Opens SDL audio and the device into state; the reason when none can be had, else empty.
std::string OpenDevice(OutputState& state)
{
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0)
        return std::string("no audio output, running silent: ") + SDL_GetError();
    SDL_AudioSpec wanted;
    std::memset(&wanted, 0, sizeof(wanted));
    wanted.freq = int(SharedAudioMixer().OutputRate());
    wanted.format = AUDIO_S16SYS;
    wanted.channels = 2;
    wanted.samples = 1024;
    wanted.callback = &PullFromMixer;
    SDL_AudioSpec obtained;
    state.device = SDL_OpenAudioDevice(nullptr, 0, &wanted, &obtained, 0);
    if (state.device == 0) {
        std::string failure = std::string("no audio device, running silent: ") + SDL_GetError();
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        return failure;
    }
    SDL_PauseAudioDevice(state.device, 0);
    return {};
}

} // namespace

AudioBackend AudioBackendFromEnvironment()
{
    const char* driver = std::getenv("SDL_AUDIODRIVER");
    return driver && strcasecmp(driver, "dummy") == 0 ? AudioBackend::Silent : AudioBackend::Sdl;
}

void AudioOutput::Acquire()
{
    OutputState& state = State();
    std::lock_guard lock(state.mutex);
    if (state.references++ > 0 || AudioBackendFromEnvironment() == AudioBackend::Silent) {
        return;
    }
    std::string failure;
    {
        QuietStandardError quiet;
        failure = OpenDevice(state);
    }
    if (!failure.empty())
        PLATFORM_LOG_WARNING("audio", "%s", failure.c_str());
}

void AudioOutput::Release()
{
    OutputState& state = State();
    std::lock_guard lock(state.mutex);
    if (state.references == 0) {
        return;
    }
    if (--state.references == 0) {
        CloseDevice(state);
    }
}

bool AudioOutput::IsSilent()
{
    OutputState& state = State();
    std::lock_guard lock(state.mutex);
    return state.device == 0;
}

void AudioOutput::Shutdown()
{
    OutputState& state = State();
    std::lock_guard lock(state.mutex);
    CloseDevice(state);
}

} // namespace Platform
