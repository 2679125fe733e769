#include "shell/PyxoAppBase.h"

namespace Pyxo {

void PyxoAppBase::ApplyCursor() {}                          // not built yet
void PyxoAppBase::HideAppWindow() {}                        // not built yet
void PyxoAppBase::RestoreMainWindow(uintptr_t, intptr_t) {} // not built yet
bool PyxoAppBase::SysCharFilter(wchar_t)
{
    return false; // not built yet
}
bool PyxoAppBase::AllowRestoreWindow()
{
    return !mDisabled; // not built yet
}
intptr_t PyxoAppBase::WindowProc(Platform::WindowHandle, uint32_t, uintptr_t, intptr_t)
{
    return 0; // not built yet
}
bool PyxoAppBase::ProcessDeferredMessage(bool)
{
    return false; // not built yet
}
void PyxoAppBase::UpdateFocus() {}               // not built yet
void PyxoAppBase::SetCursor(int) {}              // not built yet
void PyxoAppBase::EnableCustomCursors(bool) {}   // not built yet
void PyxoAppBase::SetCursorImage(int, Image*) {} // not built yet

} // namespace Pyxo
