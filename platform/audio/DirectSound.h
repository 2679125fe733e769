#pragma once

#include "platform/audio/SoundBuffer.h"
#include "platform/audio/WaveFormat.h"
#include "platform/directx/ComRef.h"
#include "platform/directx/DXResult.h"
#include "platform/window/WindowMessage.h"

#include <atomic>
#include <cstdint>
#include <memory>

namespace Platform {

/// The DirectSound stand-in: a device and its buffers, kept in the Windows shape that the framework's sound
/// manager is written against, over the shared software mixer. Buffers of one device may be used from any
/// thread; creating and releasing the device happens on the main thread (it opens the audio output).

// Cooperative levels.
inline constexpr uint32_t DSSCL_NORMAL = 1;
inline constexpr uint32_t DSSCL_PRIORITY = 2;

// Buffer description flags (our own values).
inline constexpr uint32_t DSBCAPS_PRIMARYBUFFER = 0x1;
inline constexpr uint32_t DSBCAPS_STATIC = 0x2;
inline constexpr uint32_t DSBCAPS_LOCSOFTWARE = 0x8;
inline constexpr uint32_t DSBCAPS_CTRLFREQUENCY = 0x20;
inline constexpr uint32_t DSBCAPS_CTRLPAN = 0x40;
inline constexpr uint32_t DSBCAPS_CTRLVOLUME = 0x80;
inline constexpr uint32_t DSBCAPS_GETCURRENTPOSITION2 = 0x8000;

// Play, lock and status flags.
inline constexpr uint32_t DSBPLAY_LOOPING = 0x1;
inline constexpr uint32_t DSBLOCK_ENTIREBUFFER = 0x2;
inline constexpr uint32_t DSBSTATUS_PLAYING = 0x1;
inline constexpr uint32_t DSBSTATUS_LOOPING = 0x4;

inline constexpr uint32_t DSBFREQUENCY_ORIGINAL = 0;
inline constexpr int32_t DSBVOLUME_MIN = SoundBuffer::kVolumeMin;
inline constexpr int32_t DSBVOLUME_MAX = SoundBuffer::kVolumeMax;
inline constexpr int32_t DSBPAN_LEFT = SoundBuffer::kPanLeft;
inline constexpr int32_t DSBPAN_RIGHT = SoundBuffer::kPanRight;

/// The description of a buffer to create; dwSize is 20, the size of the record the callers were written for.
struct DSBUFFERDESC {
    uint32_t dwSize = 0;
    uint32_t dwFlags = 0;
    uint32_t dwBufferBytes = 0; // 0 for the primary buffer
    uint32_t dwReserved = 0;
    const WaveFormat* lpwfxFormat = nullptr; // borrowed; null for the primary buffer
};
inline constexpr uint32_t kDSBufferDescSize = 20;

class DirectSoundDevice;

/// A sound buffer: a static buffer playing through the mixer, or the primary buffer, which only records the
/// output format. Reference counted: Release deletes it with the last reference.
class DirectSoundBuffer {
public:
    DirectSoundBuffer(const DirectSoundBuffer&) = delete;
    DirectSoundBuffer& operator=(const DirectSoundBuffer&) = delete;

    uint32_t AddRef();
    uint32_t Release();

    /// Copies up to `sizeAllocated` bytes of the format record; `sizeWritten` (may be null) gets that count.
    HResult GetFormat(WaveFormat* format, uint32_t sizeAllocated, uint32_t* sizeWritten);
    /// The primary buffer only, at the priority level.
    HResult SetFormat(const WaveFormat* format);
    HResult GetStatus(uint32_t* status);
    HResult Lock(uint32_t offset, uint32_t bytes, void** first, uint32_t* firstBytes, void** second,
                 uint32_t* secondBytes, uint32_t flags);
    HResult Unlock(void* first, uint32_t firstBytes, void* second, uint32_t secondBytes);
    HResult Play(uint32_t reserved, uint32_t priority, uint32_t flags);
    HResult Stop();
    HResult SetCurrentPosition(uint32_t byteOffset);
    HResult GetCurrentPosition(uint32_t* playCursor, uint32_t* writeCursor);
    HResult SetVolume(int32_t volume);
    HResult GetVolume(int32_t* volume);
    HResult SetPan(int32_t pan);
    HResult GetPan(int32_t* pan);
    HResult SetFrequency(uint32_t frequency);
    HResult GetFrequency(uint32_t* frequency);

    /// The mixer buffer; null for the primary buffer.
    [[nodiscard]] SoundBuffer* MixerBuffer() { return mBuffer.get(); }

private:
    friend class DirectSoundDevice;
    DirectSoundBuffer(DirectSoundDevice& device, std::unique_ptr<SoundBuffer> buffer, uint32_t flags);
    ~DirectSoundBuffer();

    ComRef<DirectSoundDevice> mDevice;    // referenced until this buffer is gone
    std::unique_ptr<SoundBuffer> mBuffer; // owned; null for the primary buffer
    uint32_t mFlags = 0;
    WaveFormat mPrimaryFormat; // the primary buffer's recorded format
    std::atomic<uint32_t> mReferences{1};
};

/// The device: creates and duplicates buffers and holds the cooperative level. Reference counted; each of its
/// buffers holds a reference, so the device lives until its last buffer is released.
class DirectSoundDevice {
public:
    DirectSoundDevice(const DirectSoundDevice&) = delete;
    DirectSoundDevice& operator=(const DirectSoundDevice&) = delete;

    uint32_t AddRef();
    uint32_t Release();

    HResult SetCooperativeLevel(WindowHandle window, uint32_t level);
    HResult CreateSoundBuffer(const DSBUFFERDESC* description, DirectSoundBuffer** buffer, void* outer);
    HResult DuplicateSoundBuffer(DirectSoundBuffer* original, DirectSoundBuffer** duplicate);

    [[nodiscard]] uint32_t CooperativeLevel() const { return mLevel; }

private:
    friend HResult DirectSoundCreate(const void* guid, DirectSoundDevice** device, void* outer);
    DirectSoundDevice();
    ~DirectSoundDevice();

    std::atomic<uint32_t> mReferences{1};
    uint32_t mLevel = 0; // 0 until set
};

/// Creates the default device and opens the audio output (silent when no audio device exists). `guid` must be
/// null (the default device) and `outer` null.
HResult DirectSoundCreate(const void* guid, DirectSoundDevice** device, void* outer);
using LPDIRECTSOUNDCREATE = HResult (*)(const void* guid, DirectSoundDevice** device, void* outer);

/// Registers "dsound.dll" in the stand-in library table, exporting "DirectSoundCreate". Idempotent.
void RegisterDirectSoundStandIn();

/// For tests: the calls that can be made to fail.
enum class DirectSoundCall {
    Create,
    SetCooperativeLevel,
    CreateSoundBuffer,
    DuplicateSoundBuffer,
    Lock,
    Unlock,
    Play,
    SetFormat,
    GetStatus,
    kCount
};
/// Every later call of that kind answers `result` until it is set back to DS_OK. Thread-safe.
void SetDirectSoundFailure(DirectSoundCall call, HResult result);
void ClearDirectSoundFailures();

} // namespace Platform
