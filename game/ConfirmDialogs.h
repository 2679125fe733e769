#pragma once

#include <pugixml.hpp>

#include <cstdint>
#include <string>

namespace Pyxo {
class PyxoAppBase;
class Widget;
} // namespace Pyxo

/// The game's two shared message boxes: a question with yes and no (ShowConfirmDialog2) and a notice with one
/// button (ShowConfirmDialog1). Each call fills the box with the icon, texts and labels of a message key, shows it
/// above a screen-wide blocker and runs the main loop inside the call until the player answers.

/// The answer of a box that was not answered (the application closed, or the box was removed).
inline constexpr int32_t kConfirmUnanswered = 0x7FFFFFFF;

/// Creates the question box, the notice box and the blocker and adds them to the widget manager, in that order;
/// once, from the game's content loading (off the main thread the tree takes them at its next update).
void CreateConfirmDialogs(Pyxo::PyxoAppBase* app, pugi::xml_node root);
/// 1 yes, 0 no, kConfirmUnanswered. Main thread. Objects handed to DeferDelete while the box is open are deleted
/// only after the call has returned.
int32_t ShowConfirmDialog2(const std::string& key);
/// 1 once pressed, kConfirmUnanswered. Main thread, as ShowConfirmDialog2.
int32_t ShowConfirmDialog1(const std::string& key);
/// Called by a box or the blocker being deleted: the process-wide pointer to it is cleared.
void ForgetConfirmDialog(const Pyxo::Widget* widget);
