#include "graphics/DDInterface.h"
#include "shell/PyxoAppBase.h"

namespace Pyxo {

void PyxoAppBase::CreateMainWindow() {}                // not built yet
void PyxoAppBase::SetScreenModeEx(bool, bool, bool) {} // not built yet
void PyxoAppBase::SetScreenMode(bool) {}               // not built yet
void PyxoAppBase::ReapplyScreenMode() {}               // not built yet
void PyxoAppBase::SetSurfaceOnlyDraw(bool) {}          // not built yet
void PyxoAppBase::Redraw(const Rect*) {}               // not built yet
void PyxoAppBase::Set3DAcceleration(bool, bool) {}     // not built yet
bool PyxoAppBase::Is3DAccelerated() const
{
    return false; // not built yet
}
bool PyxoAppBase::Is3DSupported() const
{
    return false; // not built yet
}
bool PyxoAppBase::Is3DRecommended() const
{
    return false; // not built yet
}
void PyxoAppBase::RestoreDisplayMode() {}              // not built yet
void PyxoAppBase::RestoreDisplayAndExit(int exitCode)
{
    std::exit(exitCode); // not built yet
}
std::unique_ptr<DDInterface> PyxoAppBase::CreateDisplay()
{
    return nullptr; // not built yet
}
int PyxoAppBase::StartDisplay(Platform::WindowHandle, bool)
{
    return DDInterface::RESULT_FAIL; // not built yet
}
bool PyxoAppBase::PresentDisplay(const Rect*)
{
    return false; // not built yet
}

} // namespace Pyxo
