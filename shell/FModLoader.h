#pragma once

#include "platform/process/StandInLibrary.h"

#include <cstdint>
#include <string>

namespace Pyxo {

/// The music and MP3 library, loaded by name at run time and shared, with a reference count, by the music
/// interface and the sound manager. Its entry points are looked up by their decorated names through the
/// stand-in library table; the declarations below are our own, written from how the framework calls them.

struct FSOUND_SAMPLE; // opaque handles of the library
struct FSOUND_STREAM;
struct FMUSIC_MODULE;

inline constexpr int FSOUND_FREE = -1;         // "any free slot" / "any free channel"
inline constexpr unsigned FSOUND_LOOP_OFF = 1; // loop modes of a sample or channel
inline constexpr unsigned FSOUND_LOOP_NORMAL = 2;
inline constexpr unsigned FSOUND_8BITS = 0x08; // sample mode bits
inline constexpr unsigned FSOUND_MONO = 0x20;

/// Bytes of one frame of a sample of that mode.
[[nodiscard]] constexpr int FModBlockAlign(unsigned mode)
{
    return ((mode & FSOUND_MONO) ? 1 : 2) * ((mode & FSOUND_8BITS) ? 1 : 2);
}

/// The loaded library and its 30 entry points, resolved in this order.
struct FMOD_INSTANCE {
    using Bool = signed char;

    Bool (*FSOUND_SetBufferSize)(int milliseconds) = nullptr;
    Bool (*FSOUND_SetHWND)(void* window) = nullptr;
    Bool (*FSOUND_Init)(int mixRate, int maxChannels, unsigned flags) = nullptr;
    void (*FSOUND_Close)() = nullptr;
    FSOUND_SAMPLE* (*FSOUND_Sample_Load)(int index, const char* name, unsigned mode, int memLength) = nullptr;
    FSOUND_SAMPLE* (*FSOUND_Sample_Alloc)(int index, int length, unsigned mode, int frequency, int volume, int pan,
                                          int priority) = nullptr;
    void (*FSOUND_Sample_Free)(FSOUND_SAMPLE* sample) = nullptr;
    Bool (*FSOUND_Sample_Lock)(FSOUND_SAMPLE* sample, int offset, int length, void** first, void** second,
                               unsigned* firstBytes, unsigned* secondBytes) = nullptr;
    Bool (*FSOUND_Sample_Unlock)(FSOUND_SAMPLE* sample, void* first, void* second, unsigned firstBytes,
                                 unsigned secondBytes) = nullptr;
    Bool (*FSOUND_Sample_SetLoopPoints)(FSOUND_SAMPLE* sample, int loopStart, int loopEnd) = nullptr;
    unsigned (*FSOUND_Sample_GetLength)(FSOUND_SAMPLE* sample) = nullptr;
    Bool (*FSOUND_Sample_GetDefaults)(FSOUND_SAMPLE* sample, int* frequency, int* volume, int* pan,
                                      int* priority) = nullptr;
    unsigned (*FSOUND_Sample_GetMode)(FSOUND_SAMPLE* sample) = nullptr;
    int (*FSOUND_PlaySound)(int channel, FSOUND_SAMPLE* sample) = nullptr;
    Bool (*FSOUND_StopSound)(int channel) = nullptr;
    Bool (*FSOUND_SetVolume)(int channel, int volume) = nullptr;
    Bool (*FSOUND_SetPaused)(int channel, Bool paused) = nullptr;
    Bool (*FSOUND_SetLoopMode)(int channel, unsigned loopMode) = nullptr;
    Bool (*FSOUND_IsPlaying)(int channel) = nullptr;
    FSOUND_STREAM* (*FSOUND_Stream_OpenFile)(const char* name, unsigned mode, int memLength) = nullptr;
    Bool (*FSOUND_Stream_Close)(FSOUND_STREAM* stream) = nullptr;
    int (*FSOUND_Stream_Play)(int channel, FSOUND_STREAM* stream) = nullptr;
    FMUSIC_MODULE* (*FMUSIC_LoadSong)(const char* name) = nullptr;
    Bool (*FMUSIC_PlaySong)(FMUSIC_MODULE* module) = nullptr;
    Bool (*FMUSIC_StopSong)(FMUSIC_MODULE* module) = nullptr;
    Bool (*FMUSIC_SetLooping)(FMUSIC_MODULE* module, Bool looping) = nullptr;
    Bool (*FMUSIC_SetOrder)(FMUSIC_MODULE* module, int order) = nullptr;
    Bool (*FMUSIC_SetPaused)(FMUSIC_MODULE* module, Bool paused) = nullptr;
    Bool (*FMUSIC_SetMasterVolume)(FMUSIC_MODULE* module, int volume) = nullptr;
    Bool (*FMUSIC_IsPlaying)(FMUSIC_MODULE* module) = nullptr;

    FMOD_INSTANCE() = default;
    /// Frees the library.
    ~FMOD_INSTANCE();
    FMOD_INSTANCE(const FMOD_INSTANCE&) = delete;
    FMOD_INSTANCE& operator=(const FMOD_INSTANCE&) = delete;

    Platform::HMODULE mModule = nullptr; // owned: one load
};

inline constexpr int kFModEntryPointCount = 30;

/// The process's library handle, null while no reference is held.
[[nodiscard]] FMOD_INSTANCE* GetFModLibrary();

/// One reference more; the first loads the library and resolves every entry point. A missing library or entry
/// point is shown in a message box and ends the process with a failure status. Main thread.
void LoadFModLibrary();
/// One reference fewer; the last frees the library. Main thread.
void FreeFModLibrary();
/// References held.
[[nodiscard]] int FModReferenceCount();

/// For tests: the library name looked up ("fmod.dll" by default), so that a fake table can be registered under
/// a name of its own.
void SetFModLibraryName(const std::string& name);

} // namespace Pyxo
