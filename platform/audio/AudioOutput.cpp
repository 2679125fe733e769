#include "platform/audio/AudioOutput.h"

#include "platform/audio/AudioMixer.h"
#include "platform/log/Log.h"

#include <SDL.h>
#include <strings.h>

#include <cstdlib>
#include <cstring>
#include <mutex>

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

void CloseDevice(OutputState& state)
{
    if (state.device != 0) {
        SDL_CloseAudioDevice(state.device);
        state.device = 0;
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
    }
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
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
        PLATFORM_LOG_WARNING("audio", "no audio output, running silent: %s", SDL_GetError());
        return;
    }
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
        PLATFORM_LOG_WARNING("audio", "no audio device, running silent: %s", SDL_GetError());
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        return;
    }
    SDL_PauseAudioDevice(state.device, 0);
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
