#pragma once

#include <string>
#include <string_view>

namespace Platform {

/// The system clipboard's text. Text crosses it as UTF-8, so names in any script survive copy and paste; callers
/// hold it as UTF-16 units. SDL video is started when needed. Main thread only: elsewhere, and when video cannot
/// start, setting fails and reading gives an empty text (with a log line).

/// Replaces the clipboard's contents with the text up to its first zero character.
bool SetClipboardText(std::wstring_view text);

/// The clipboard's text; empty when it holds none.
std::wstring GetClipboardText();

} // namespace Platform
