#pragma once

#include "platform/window/WindowMessage.h"

namespace Platform {
class SoundLibrary;
}

/// The game's sound device: the sound library started once for the process (counted starts), paused while the
/// application has no focus. While it is not available every sound operation does nothing and the game runs
/// silent. The engine creates the one device (gSoundDevice) and deletes it at the end, which shuts the library
/// down when it still runs.
class TMSoundDevice {
public:
    TMSoundDevice() = default;
    ~TMSoundDevice();
    TMSoundDevice(const TMSoundDevice&) = delete;
    TMSoundDevice& operator=(const TMSoundDevice&) = delete;

    [[nodiscard]] bool IsAvailable() const { return mAvailable; }

    bool mAvailable = false;
    int mStartCount = 0;
    Platform::SoundLibrary* mLibrary = nullptr; // borrowed: the process's library while available
    int mStopperTicket = -1;                    // the exit path's stop of the library's thread
};

/// The process's device; null outside the engine's lifetime.
extern TMSoundDevice* gSoundDevice;

/// The first start initialises the library on the window; every call counts.
void SoundDeviceStart(Platform::WindowHandle window);
/// Uncounts a start; the last shuts the library down.
void SoundDeviceShutdown();
void SoundDevicePause(bool paused);
/// The library while the device is available, else null. Main thread, and the loading thread while it loads.
[[nodiscard]] Platform::SoundLibrary* AvailableSoundLibrary();
