#include "shell/WidgetContainer.h"

#include "graphics/Graphics.h"
#include "shell/Widget.h"
#include "shell/WidgetManager.h"

namespace Pyxo {

// not built yet
WidgetContainer::WidgetContainer() : mUpdateIterator(mWidgets.end()) {}
WidgetContainer::~WidgetContainer() = default;
bool WidgetContainer::Intersects(const WidgetContainer* /*other*/) const
{
    return false;
}
void WidgetContainer::AddWidget(Widget* /*widget*/) {}
void WidgetContainer::RemoveWidget(Widget* /*widget*/) {}
bool WidgetContainer::HasWidget(const Widget* /*widget*/) const
{
    return false;
}
void WidgetContainer::RemoveAllWidgets(bool /*doDelete*/, bool /*recursive*/) {}
bool WidgetContainer::IsBelow(const Widget* /*a*/, const Widget* /*b*/) const
{
    return false;
}
void WidgetContainer::MarkAllDirty() {}
void WidgetContainer::BringToFront(Widget* /*widget*/) {}
void WidgetContainer::BringToBack(Widget* /*widget*/) {}
void WidgetContainer::MoveBehind(Widget* /*widget*/, Widget* /*other*/) {}
void WidgetContainer::MoveInFront(Widget* /*widget*/, Widget* /*other*/) {}
Point WidgetContainer::GetAbsPos() const
{
    return Point(mX, mY);
}
void WidgetContainer::MarkDirtyChild(WidgetContainer* /*child*/) {}
void WidgetContainer::MarkDirty() {}
void WidgetContainer::MarkDirtyOverlaps(WidgetContainer* /*child*/) {}
void WidgetContainer::MarkDirtyFull() {}
void WidgetContainer::AddedToManager(WidgetManager* /*manager*/) {}
void WidgetContainer::RemovedFromManager(WidgetManager* /*manager*/) {}
void WidgetContainer::Update()
{
    ++mUpdateCnt;
}
void WidgetContainer::UpdateAll(ModalFlags& /*flags*/) {}
void WidgetContainer::UpdateFractionAll(ModalFlags& /*flags*/, float /*fraction*/) {}
void WidgetContainer::DrawAll(ModalFlags& /*flags*/, Graphics* /*g*/) {}
void WidgetContainer::SystemColorsChangedAll() {}

} // namespace Pyxo
