#include "shell/PyxoAppBase.h"

#include "graphics/DDImage.h"
#include "graphics/DDInterface.h"
#include "platform/process/InstanceLock.h"
#include "shell/MusicInterface.h"
#include "shell/SoundManager.h"
#include "shell/WidgetManager.h"

namespace Pyxo {

PyxoAppBase* gPyxoAppBase = nullptr;

PyxoAppBase::PyxoAppBase()
{
    gPyxoAppBase = this; // not built yet
}

PyxoAppBase::~PyxoAppBase()
{
    if (gPyxoAppBase == this)
        gPyxoAppBase = nullptr;
}

void PyxoAppBase::DialogButtonPress(intptr_t, intptr_t) {}   // not built yet
void PyxoAppBase::DialogButtonRelease(intptr_t, intptr_t) {} // not built yet
std::unique_ptr<MusicInterface> PyxoAppBase::CreateMusicInterface(Platform::WindowHandle)
{
    return std::make_unique<MusicInterface>(); // not built yet
}
Dialog* PyxoAppBase::CreateDialogBox(intptr_t, bool, const std::wstring&, const std::wstring&, const std::wstring&, int)
{
    return nullptr; // not built yet
}
void PyxoAppBase::DeferDelete(Widget*) {}    // not built yet
void PyxoAppBase::Shutdown() {}              // not built yet
void PyxoAppBase::EnsureSingleInstance() {}  // not built yet
void PyxoAppBase::Init() {}                  // not built yet
void PyxoAppBase::PlaySamplePan(int, int) {} // not built yet
void PyxoAppBase::PlaySample(int) {}         // not built yet
double PyxoAppBase::GetMasterVolume()
{
    return 0.0; // not built yet
}
void PyxoAppBase::SetMasterVolume(double) {} // not built yet
void PyxoAppBase::SetMusicVolume(double) {}  // not built yet
void PyxoAppBase::SetSfxVolume(double) {}    // not built yet
void PyxoAppBase::Mute(bool) {}              // not built yet
void PyxoAppBase::Unmute(bool) {}            // not built yet
Dialog* PyxoAppBase::RunDialogBox(intptr_t, bool, const std::wstring&, const std::wstring&, const std::wstring&, int)
{
    return nullptr; // not built yet
}
Dialog* PyxoAppBase::GetDialog(intptr_t)
{
    return nullptr; // not built yet
}
void PyxoAppBase::AddDialog(Dialog*) {}                 // not built yet
void PyxoAppBase::AddDialogWithId(intptr_t, Dialog*) {} // not built yet
bool PyxoAppBase::CloseDialogObject(Dialog*)
{
    return false; // not built yet
}
bool PyxoAppBase::CloseDialogBox(intptr_t)
{
    return false; // not built yet
}
bool PyxoAppBase::CloseDialogBoxEx(intptr_t, bool, bool)
{
    return false; // not built yet
}
int PyxoAppBase::GetDialogCount()
{
    return 0; // not built yet
}
std::unique_ptr<SoundManager> PyxoAppBase::CreateSoundManager(Platform::WindowHandle, bool)
{
    return nullptr; // not built yet
}

} // namespace Pyxo
