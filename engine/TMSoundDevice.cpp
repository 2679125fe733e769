#include "engine/TMSoundDevice.h"

#include "engine/EngineLog.h"
#include "graphics/PakFile.h"
#include "platform/audio/SoundLibrary.h"
#include "shell/ProcessExit.h"

TMSoundDevice* gSoundDevice = nullptr;

namespace {

// Sound files are read through the pack layer, so they may come from the archives.
void* PakOpen(const char* name)
{
    return PakFOpen(name, "rb");
}

size_t PakRead(void* file, void* buffer, size_t size)
{
    return PakFRead(buffer, 1, size, static_cast<PakFileHandle*>(file));
}

long PakSeek(void* file, long offset, int origin)
{
    auto* handle = static_cast<PakFileHandle*>(file);
    if (PakFSeek(handle, offset, origin) != 0)
        return -1;
    return PakFTell(handle);
}

void PakClose(void* file)
{
    PakFClose(static_cast<PakFileHandle*>(file));
}

void StopLibrary(TMSoundDevice& device)
{
    if (device.mAvailable && device.mLibrary) {
        device.mLibrary->StopAll();
        device.mLibrary->Free();
    }
    if (device.mStopperTicket >= 0)
        Pyxo::RemoveThreadStopper(device.mStopperTicket);
    device.mStopperTicket = -1;
    device.mAvailable = false;
    device.mLibrary = nullptr;
}

} // namespace

TMSoundDevice::~TMSoundDevice()
{
    StopLibrary(*this);
}

void SoundDeviceStart(Platform::WindowHandle window)
{
    if (!gSoundDevice)
        return;
    TMSoundDevice& device = *gSoundDevice;
    if (device.mStartCount++ > 0)
        return;
    Platform::SoundLibrary& library = Platform::CurrentSoundLibrary();
    if (library.DeviceCount() == 0) {
        EngineLog("no sound device: the game runs silent");
        return;
    }
    Platform::SoundLibraryParams params;
    params.window = window;
    device.mAvailable = library.Init(params) >= 0;
    if (!device.mAvailable) {
        EngineLog("the sound library did not start: the game runs silent");
        return;
    }
    device.mLibrary = &library;
    library.SetFileCallbacks({&PakOpen, &PakRead, &PakSeek, &PakClose});
    device.mStopperTicket = Pyxo::AddThreadStopper([&library] { library.StopWorkerThread(); });
}

void SoundDeviceShutdown()
{
    if (!gSoundDevice || gSoundDevice->mStartCount == 0)
        return;
    if (--gSoundDevice->mStartCount == 0)
        StopLibrary(*gSoundDevice);
}

void SoundDevicePause(bool paused)
{
    if (Platform::SoundLibrary* library = AvailableSoundLibrary())
        library->Pause(paused);
}

Platform::SoundLibrary* AvailableSoundLibrary()
{
    return gSoundDevice && gSoundDevice->mAvailable ? gSoundDevice->mLibrary : nullptr;
}
