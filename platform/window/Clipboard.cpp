#include "platform/window/Clipboard.h"

#include "platform/log/Log.h"
#include "platform/process/MainThread.h"
#include "platform/window/Utf16Conversion.h"
#include "platform/window/VideoSystem.h"

#include <SDL.h>

namespace Platform {
namespace {

bool ClipboardReady(const char* operation)
{
    if (!IsMainThread()) {
        PLATFORM_LOG_ERROR("window", "%s must run on the main thread", operation);
        return false;
    }
    return EnsureVideo();
}

} // namespace

bool SetClipboardText(std::wstring_view text)
{
    if (!ClipboardReady("SetClipboardText"))
        return false;
    // The clipboard holds zero-terminated text; what follows a zero would be lost anyway.
    text = text.substr(0, text.find(L'\0'));
    if (SDL_SetClipboardText(Utf16ToUtf8(text).c_str()) != 0) {
        PLATFORM_LOG_WARNING("window", "cannot set the clipboard text: %s", SDL_GetError());
        return false;
    }
    return true;
}

std::wstring GetClipboardText()
{
    if (!ClipboardReady("GetClipboardText"))
        return {};
    char* text = SDL_GetClipboardText();
    if (!text)
        return {};
    std::wstring result = Utf8ToUtf16(text);
    SDL_free(text);
    return result;
}

} // namespace Platform
