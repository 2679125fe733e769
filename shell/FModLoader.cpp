#include "shell/FModLoader.h"

#include "platform/window/MessageBox.h"
#include "shell/ProcessExit.h"

#include <atomic>
#include <cstring>
#include <memory>

namespace Pyxo {

namespace {

struct FModState {
    std::atomic<int> references{0};
    FMOD_INSTANCE* instance = nullptr; // owned
    std::string libraryName = "fmod.dll";
};

FModState& State()
{
    static FModState state;
    return state;
}

template <typename Entry>
bool Resolve(Platform::HMODULE module, Entry& entry, const char* name)
{
    entry = reinterpret_cast<Entry>(Platform::GetProcAddress(module, name));
    return entry != nullptr;
}

// Reports the failure and ends the process with a failure status, never with 0.
[[noreturn]] void Fail(const std::wstring& text)
{
    Platform::MessageBox(Platform::WindowHandle{}, text, L"Error", Platform::MB_ICONERROR);
    ExitProcess(1);
}

} // namespace

FMOD_INSTANCE::~FMOD_INSTANCE()
{
    if (mModule) {
        Platform::FreeLibrary(mModule);
    }
}

FMOD_INSTANCE* GetFModLibrary()
{
    return State().instance;
}

void LoadFModLibrary()
{
    FModState& state = State();
    ++state.references;
    if (state.instance) {
        return;
    }
    auto fmod = std::make_unique<FMOD_INSTANCE>();
    fmod->mModule = Platform::LoadLibraryA(state.libraryName.c_str());
    if (!fmod->mModule) {
        --state.references;
        Fail(L"Can't find fmod.dll.");
    }
    const char* missing = nullptr;
    auto need = [&](auto& entry, const char* name) {
        if (!missing && !Resolve(fmod->mModule, entry, name)) {
            missing = name;
        }
    };
    need(fmod->FSOUND_SetBufferSize, "_FSOUND_SetBufferSize@4");
    need(fmod->FSOUND_SetHWND, "_FSOUND_SetHWND@4");
    need(fmod->FSOUND_Init, "_FSOUND_Init@12");
    need(fmod->FSOUND_Close, "_FSOUND_Close@0");
    need(fmod->FSOUND_Sample_Load, "_FSOUND_Sample_Load@16");
    need(fmod->FSOUND_Sample_Alloc, "_FSOUND_Sample_Alloc@28");
    need(fmod->FSOUND_Sample_Free, "_FSOUND_Sample_Free@4");
    need(fmod->FSOUND_Sample_Lock, "_FSOUND_Sample_Lock@28");
    need(fmod->FSOUND_Sample_Unlock, "_FSOUND_Sample_Unlock@20");
    need(fmod->FSOUND_Sample_SetLoopPoints, "_FSOUND_Sample_SetLoopPoints@12");
    need(fmod->FSOUND_Sample_GetLength, "_FSOUND_Sample_GetLength@4");
    need(fmod->FSOUND_Sample_GetDefaults, "_FSOUND_Sample_GetDefaults@20");
    need(fmod->FSOUND_Sample_GetMode, "_FSOUND_Sample_GetMode@4");
    need(fmod->FSOUND_PlaySound, "_FSOUND_PlaySound@8");
    need(fmod->FSOUND_StopSound, "_FSOUND_StopSound@4");
    need(fmod->FSOUND_SetVolume, "_FSOUND_SetVolume@8");
    need(fmod->FSOUND_SetPaused, "_FSOUND_SetPaused@8");
    need(fmod->FSOUND_SetLoopMode, "_FSOUND_SetLoopMode@8");
    need(fmod->FSOUND_IsPlaying, "_FSOUND_IsPlaying@4");
    need(fmod->FSOUND_Stream_OpenFile, "_FSOUND_Stream_OpenFile@12");
    need(fmod->FSOUND_Stream_Close, "_FSOUND_Stream_Close@4");
    need(fmod->FSOUND_Stream_Play, "_FSOUND_Stream_Play@8");
    need(fmod->FMUSIC_LoadSong, "_FMUSIC_LoadSong@4");
    need(fmod->FMUSIC_PlaySong, "_FMUSIC_PlaySong@4");
    need(fmod->FMUSIC_StopSong, "_FMUSIC_StopSong@4");
    need(fmod->FMUSIC_SetLooping, "_FMUSIC_SetLooping@8");
    need(fmod->FMUSIC_SetOrder, "_FMUSIC_SetOrder@8");
    need(fmod->FMUSIC_SetPaused, "_FMUSIC_SetPaused@8");
    need(fmod->FMUSIC_SetMasterVolume, "_FMUSIC_SetMasterVolume@8");
    need(fmod->FMUSIC_IsPlaying, "_FMUSIC_IsPlaying@4");
    if (missing) {
        --state.references;
        fmod.reset();
        Fail(L"\"" + std::wstring(missing, missing + std::strlen(missing)) + L"\" function not found in fmod.dll");
    }
    state.instance = fmod.release();
}

void FreeFModLibrary()
{
    FModState& state = State();
    if (--state.references < 1) {
        state.references = 0;
        delete state.instance;
        state.instance = nullptr;
    }
}

int FModReferenceCount()
{
    return State().references;
}

void SetFModLibraryName(const std::string& name)
{
    State().libraryName = name;
}

} // namespace Pyxo
