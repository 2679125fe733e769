#include "shell/PyxoAppBase.h"

namespace Pyxo {

bool PyxoAppBase::ProcessFrame(bool)
{
    return true; // not built yet
}
void PyxoAppBase::UpdateFrame() {} // not built yet
bool PyxoAppBase::TryUpdateFrame()
{
    return false; // not built yet
}
void PyxoAppBase::UpdateFrameFraction(float) {} // not built yet
void PyxoAppBase::Start() {}                    // not built yet
double PyxoAppBase::GetLoadingProgress()
{
    return 0.0; // not built yet
}
bool PyxoAppBase::DrawDirty()
{
    return false; // not built yet
}
void PyxoAppBase::RunMainLoop() {} // not built yet
bool PyxoAppBase::RunLoopStep(bool* updated)
{
    if (updated)
        *updated = false;
    return false; // not built yet
}
bool PyxoAppBase::RunLoopOnce()
{
    return false; // not built yet
}
void PyxoAppBase::WaitForLoadingThread() {} // not built yet

} // namespace Pyxo
