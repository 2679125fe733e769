#pragma once

#include <string_view>

namespace Platform {

/// Hands a URL to the desktop's handler (xdg-open, found on PATH), started detached and never through a shell,
/// so that the URL is one argument whatever it holds. False when the handler cannot be started, or for a URL it
/// would take for an option (leading '-') or that cannot be one argument (empty, holding a zero byte); whether
/// the browser then shows the page is not known here. Thread-safe.
bool OpenUrl(std::string_view url);

} // namespace Platform
