#pragma once

#include <pugixml.hpp>

#include <cstdint>
#include <string>

namespace Pyxo {
class PyxoAppBase;
}

/// The game's two shared message boxes: a question with yes and no (ShowConfirmDialog2) and a notice with one
/// button (ShowConfirmDialog1). Each call fills the box with the icon, texts and labels of a message key, shows it
/// above a screen-wide blocker and runs the main loop inside the call until the player answers.

/// The answer of a box that was not answered (the application closed, or the box was removed).
inline constexpr int32_t kConfirmUnanswered = 0x7FFFFFFF;

/// Creates the question box, the notice box and the blocker and adds them to the widget manager, in that order;
/// once, from the game's content loading.
void CreateConfirmDialogs(Pyxo::PyxoAppBase* app, pugi::xml_node root);
/// 1 yes, 0 no, kConfirmUnanswered. Main thread.
int32_t ShowConfirmDialog2(const std::string& key);
/// 1 once pressed, kConfirmUnanswered. Main thread.
int32_t ShowConfirmDialog1(const std::string& key);
