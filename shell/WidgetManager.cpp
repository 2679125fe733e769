#include "shell/WidgetManager.h"

#include "graphics/Graphics.h"
#include "shell/Widget.h"

namespace Pyxo {

// not built yet
WidgetManager::WidgetManager(PyxoAppBase* app) : mApp(app)
{
    mWidgetManager = this;
}
WidgetManager::~WidgetManager() = default;
void WidgetManager::DisableWidget(Widget* /*widget*/) {}
void WidgetManager::SetFocus(Widget* /*widget*/) {}
uint32_t WidgetManager::GetWidgetFlags() const
{
    return mWidgetFlags;
}
Widget* WidgetManager::FindAnyWidgetAt(int /*x*/, int /*y*/, int* /*widgetX*/, int* /*widgetY*/)
{
    return nullptr;
}
Widget* WidgetManager::FindWidgetAt(int /*x*/, int /*y*/, int* /*widgetX*/, int* /*widgetY*/)
{
    return nullptr;
}
void WidgetManager::SetPointerMapping(const Rect& destRect, const Rect& sourceRect)
{
    mMouseDestRect = destRect;
    mMouseSourceRect = sourceRect;
}
void WidgetManager::MapPointerToScreen(int& /*x*/, int& /*y*/) const {}
bool WidgetManager::MouseMove(int /*x*/, int /*y*/)
{
    return true;
}
bool WidgetManager::MouseDown(int /*x*/, int /*y*/, int /*clickCount*/)
{
    return true;
}
bool WidgetManager::MouseUp(int /*x*/, int /*y*/, int /*clickCount*/)
{
    return true;
}
bool WidgetManager::MouseDrag(int /*x*/, int /*y*/)
{
    return true;
}
bool WidgetManager::MouseExit(int /*x*/, int /*y*/)
{
    return true;
}
void WidgetManager::MouseWheel(int /*delta*/) {}
bool WidgetManager::KeyChar(wchar_t /*character*/)
{
    return true;
}
bool WidgetManager::KeyDown(int /*key*/)
{
    return true;
}
bool WidgetManager::KeyUp(int /*key*/)
{
    return true;
}
void WidgetManager::AppGotFocus() {}
void WidgetManager::AppLostFocus() {}
void WidgetManager::ReleaseCapture() {}
void WidgetManager::SetBaseModal(Widget* /*widget*/, const FlagsMod& /*belowFlagsMod*/) {}
void WidgetManager::PushModal(Widget* /*widget*/, const FlagsMod& /*belowFlagsMod*/) {}
void WidgetManager::PushModal(Widget* /*widget*/) {}
void WidgetManager::PopModal(Widget* /*widget*/) {}
bool WidgetManager::UpdateFrame()
{
    return false;
}
bool WidgetManager::UpdateFrameFraction(float /*fraction*/)
{
    return false;
}
bool WidgetManager::DrawScreen()
{
    return false;
}
void WidgetManager::FlushOverlays(int /*maxPriority*/) {}
void WidgetManager::RecheckPointer() {}
void WidgetManager::TrackPointer(int /*x*/, int /*y*/) {}

} // namespace Pyxo
