#pragma once

namespace Platform {

enum class AudioBackend { Sdl, Silent };

/// Silent under SDL's "dummy" audio driver (the headless runs), SDL otherwise.
AudioBackend AudioBackendFromEnvironment();

/// The process's audio output: an SDL audio device that pulls from SharedAudioMixer. The first Acquire opens it,
/// the last Release closes it. When the backend is Silent, or no device can be opened (a warning is logged),
/// the output is silent: nothing pulls from the mixer, and tests pull themselves. Main thread only (SDL).
class AudioOutput {
public:
    static void Acquire();
    static void Release();
    /// No device pulls from the mixer (also before the first Acquire).
    [[nodiscard]] static bool IsSilent();
    /// Closes the device whatever the count, so that its thread has ended; the exit path.
    static void Shutdown();
};

} // namespace Platform
