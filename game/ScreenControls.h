#pragma once

#include "engine/EngineLog.h"
#include "engine/TMCandyWidget.h"
#include "engine/TMEngine.h"
#include "engine/TMSoundManager.h"

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

/// Small shared steps of the menu screens: the log line for the controls a screen's element lacks, and visibility,
/// enabling, ordering and sounds that skip a missing control. Main thread.
namespace ScreenControls {

/// Logs once, by name, every control of the screen's binding table that its element lacks; each use of such a
/// control is then skipped, since it stays null.
inline void LogMissing(const char* screen, const std::vector<std::pair<std::string, const void*>>& controls)
{
    std::string missing;
    for (const auto& [name, control] : controls) {
        if (!control)
            missing += (missing.empty() ? "" : ", ") + name;
    }
    if (!missing.empty())
        EngineLog("%s: no control %s; its uses are skipped", screen, missing.c_str());
}

/// The named child of the parent; null without a parent or such a child.
inline TMCandyWidget* ChildOf(TMCandyWidget* parent, const std::string& name)
{
    return parent ? parent->FindChild(name) : nullptr;
}

/// The id a control reports to its screen's OnControl.
inline intptr_t IdOf(const TMCandyWidget* control)
{
    return reinterpret_cast<intptr_t>(control);
}

inline void SetShown(TMCandyWidget* widget, bool shown)
{
    if (widget)
        widget->SetVisible(shown);
}

inline void SetEnabled(Pyxo::Widget* widget, bool enabled)
{
    if (widget)
        widget->SetDisabled(!enabled);
}

/// To the front of the container it stands in, when it stands in one.
inline void BringForward(Pyxo::Widget* widget)
{
    if (widget && widget->mParent)
        widget->mParent->BringToFront(widget);
}

inline void PlaySound(const std::string& name)
{
    TMEngine::PlaySound(name);
}

} // namespace ScreenControls
