#include "platform/window/EventTranslator.h"

#include "platform/window/Utf16Conversion.h"
#include "platform/window/VirtualKeys.h"

#include <algorithm>
#include <cstring>

namespace Platform {
namespace {

WindowMessage Message(WindowHandle window, uint32_t message, uintptr_t wParam = 0, intptr_t lParam = 0)
{
    WindowMessage m;
    m.hwnd = window;
    m.message = message;
    m.wParam = wParam;
    m.lParam = lParam;
    return m;
}

uint32_t KeyFromCharacter(SDL_Keycode key)
{
    switch (key) {
    case ';':
        return VK_OEM_1;
    case '=':
        return VK_OEM_PLUS;
    case ',':
        return VK_OEM_COMMA;
    case '-':
        return VK_OEM_MINUS;
    case '.':
        return VK_OEM_PERIOD;
    case '/':
        return VK_OEM_2;
    case '`':
        return VK_OEM_3;
    case '[':
        return VK_OEM_4;
    case '\\':
        return VK_OEM_5;
    case ']':
        return VK_OEM_6;
    case '\'':
        return VK_OEM_7;
    default:
        return 0;
    }
}

uint32_t KeyFromScancode(SDL_Scancode code)
{
    if (code >= SDL_SCANCODE_F1 && code <= SDL_SCANCODE_F12)
        return VK_F1 + (code - SDL_SCANCODE_F1);
    if (code >= SDL_SCANCODE_F13 && code <= SDL_SCANCODE_F24)
        return VK_F1 + 12 + (code - SDL_SCANCODE_F13);
    if (code >= SDL_SCANCODE_KP_1 && code <= SDL_SCANCODE_KP_9)
        return VK_NUMPAD0 + 1 + (code - SDL_SCANCODE_KP_1);
    switch (code) {
    case SDL_SCANCODE_RETURN:
    case SDL_SCANCODE_KP_ENTER:
    case SDL_SCANCODE_RETURN2:
        return VK_RETURN;
    case SDL_SCANCODE_ESCAPE:
        return VK_ESCAPE;
    case SDL_SCANCODE_BACKSPACE:
        return VK_BACK;
    case SDL_SCANCODE_TAB:
        return VK_TAB;
    case SDL_SCANCODE_SPACE:
        return VK_SPACE;
    case SDL_SCANCODE_DELETE:
        return VK_DELETE;
    case SDL_SCANCODE_INSERT:
        return VK_INSERT;
    case SDL_SCANCODE_HOME:
        return VK_HOME;
    case SDL_SCANCODE_END:
        return VK_END;
    case SDL_SCANCODE_PAGEUP:
        return VK_PRIOR;
    case SDL_SCANCODE_PAGEDOWN:
        return VK_NEXT;
    case SDL_SCANCODE_LEFT:
        return VK_LEFT;
    case SDL_SCANCODE_RIGHT:
        return VK_RIGHT;
    case SDL_SCANCODE_UP:
        return VK_UP;
    case SDL_SCANCODE_DOWN:
        return VK_DOWN;
    case SDL_SCANCODE_LSHIFT:
    case SDL_SCANCODE_RSHIFT:
        return VK_SHIFT;
    case SDL_SCANCODE_LCTRL:
    case SDL_SCANCODE_RCTRL:
        return VK_CONTROL;
    case SDL_SCANCODE_LALT:
    case SDL_SCANCODE_RALT:
        return VK_MENU;
    case SDL_SCANCODE_LGUI:
        return VK_LWIN;
    case SDL_SCANCODE_RGUI:
        return VK_RWIN;
    case SDL_SCANCODE_APPLICATION:
        return VK_APPS;
    case SDL_SCANCODE_CAPSLOCK:
        return VK_CAPITAL;
    case SDL_SCANCODE_NUMLOCKCLEAR:
        return VK_NUMLOCK;
    case SDL_SCANCODE_SCROLLLOCK:
        return VK_SCROLL;
    case SDL_SCANCODE_PAUSE:
        return VK_PAUSE;
    case SDL_SCANCODE_PRINTSCREEN:
        return VK_SNAPSHOT;
    case SDL_SCANCODE_CLEAR:
        return VK_CLEAR;
    case SDL_SCANCODE_HELP:
        return VK_HELP;
    case SDL_SCANCODE_KP_0:
        return VK_NUMPAD0;
    case SDL_SCANCODE_KP_PERIOD:
        return VK_DECIMAL;
    case SDL_SCANCODE_KP_DIVIDE:
        return VK_DIVIDE;
    case SDL_SCANCODE_KP_MULTIPLY:
        return VK_MULTIPLY;
    case SDL_SCANCODE_KP_MINUS:
        return VK_SUBTRACT;
    case SDL_SCANCODE_KP_PLUS:
        return VK_ADD;
    case SDL_SCANCODE_NONUSBACKSLASH:
        return VK_OEM_102;
    default:
        return 0;
    }
}

// The character the system's key translation adds after a key-down that no text input reports (SDL drops
// control characters from its text events): Enter, Backspace, Tab, Escape, and Ctrl with a letter, which edit
// controls take as copy (3), paste (22), cut (24) and undo (26).
wchar_t ControlCharacter(uint32_t key, bool ctrl)
{
    if (ctrl && key >= 'A' && key <= 'Z')
        return static_cast<wchar_t>(key - 'A' + 1);
    switch (key) {
    case VK_RETURN:
        return ctrl ? 0x0A : 0x0D;
    case VK_BACK:
        return ctrl ? 0x7F : 0x08;
    case VK_TAB:
        return 0x09;
    case VK_ESCAPE:
        return 0x1B;
    default:
        return 0;
    }
}

} // namespace

uint32_t VirtualKeyFromSdl(SDL_Keycode key, SDL_Scancode scancode)
{
    if (key >= 'a' && key <= 'z')
        return static_cast<uint32_t>(key - 'a' + 'A');
    if (key >= '0' && key <= '9')
        return static_cast<uint32_t>(key);
    if (const uint32_t fromScancode = KeyFromScancode(scancode))
        return fromScancode;
    if (const uint32_t fromCharacter = KeyFromCharacter(key))
        return fromCharacter;
    // Layouts whose key gives no Latin letter or digit (Cyrillic, the AZERTY digit row) keep the US position.
    if (scancode >= SDL_SCANCODE_A && scancode <= SDL_SCANCODE_Z)
        return 'A' + static_cast<uint32_t>(scancode - SDL_SCANCODE_A);
    if (scancode >= SDL_SCANCODE_1 && scancode <= SDL_SCANCODE_9)
        return '1' + static_cast<uint32_t>(scancode - SDL_SCANCODE_1);
    if (scancode == SDL_SCANCODE_0)
        return '0';
    return 0;
}

void EventTranslator::AddWindow(uint32_t sdlWindowId, WindowHandle window, int width, int height)
{
    mWindows[sdlWindowId] = WindowState{window, width, height};
}

void EventTranslator::RemoveWindow(uint32_t sdlWindowId)
{
    mWindows.erase(sdlWindowId);
}

EventTranslator::WindowState* EventTranslator::Find(uint32_t sdlWindowId)
{
    const auto it = mWindows.find(sdlWindowId);
    return it == mWindows.end() ? nullptr : &it->second;
}

std::vector<WindowMessage> EventTranslator::Translate(const SDL_Event& event)
{
    std::vector<WindowMessage> out;
    Translate(event, out);
    return out;
}

void EventTranslator::Translate(const SDL_Event& event, std::vector<WindowMessage>& out)
{
    switch (event.type) {
    case SDL_WINDOWEVENT:
        TranslateWindowEvent(event.window, out);
        break;
    case SDL_KEYDOWN:
    case SDL_KEYUP:
        TranslateKey(event.key, out);
        break;
    case SDL_TEXTINPUT:
        TranslateText(event.text, out);
        break;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP:
        TranslateButton(event.button, out);
        break;
    case SDL_MOUSEMOTION:
        if (const WindowState* window = Find(event.motion.windowID)) {
            mButtons = event.motion.state;
            mLastPointer = {event.motion.x, event.motion.y};
            out.push_back(
                Message(window->handle, WM_MOUSEMOVE, MouseKeyFlags(), MakeLParam(mLastPointer.x, mLastPointer.y)));
        }
        break;
    case SDL_MOUSEWHEEL:
        if (const WindowState* window = Find(event.wheel.windowID)) {
            int notches = event.wheel.direction == SDL_MOUSEWHEEL_FLIPPED ? -event.wheel.y : event.wheel.y;
            if (notches == 0)
                break; // sideways only
            const int delta = std::clamp(notches * WHEEL_DELTA, -32768, 32767);
            const uintptr_t wParam = (uintptr_t{static_cast<uint16_t>(delta)} << 16) | MouseKeyFlags();
            // The point is the last client position; the system gives screen coordinates here, which no caller reads.
            out.push_back(Message(window->handle, WM_MOUSEWHEEL, wParam, MakeLParam(mLastPointer.x, mLastPointer.y)));
        }
        break;
    case SDL_DISPLAYEVENT:
        for (const auto& [id, window] : mWindows)
            out.push_back(Message(window.handle, WM_DISPLAYCHANGE));
        break;
    case SDL_QUIT:
        // SDL reports a termination signal this way: the session is ending, so every window hears it.
        for (const auto& [id, window] : mWindows)
            out.push_back(Message(window.handle, WM_ENDSESSION, 1));
        break;
    default:
        break;
    }
}

void EventTranslator::TranslateWindowEvent(const SDL_WindowEvent& event, std::vector<WindowMessage>& out)
{
    WindowState* window = Find(event.windowID);
    if (!window)
        return;
    const WindowHandle hwnd = window->handle;
    const auto sizeMessage = [&](uintptr_t kind) {
        const intptr_t size = kind == SIZE_MINIMIZED ? 0 : MakeLParam(window->width, window->height);
        out.push_back(Message(hwnd, WM_SIZE, kind, size));
    };
    switch (event.event) {
    case SDL_WINDOWEVENT_EXPOSED:
        out.push_back(Message(hwnd, WM_PAINT));
        break;
    case SDL_WINDOWEVENT_MOVED:
        out.push_back(Message(hwnd, WM_MOVE, 0, MakeLParam(event.data1, event.data2)));
        break;
    case SDL_WINDOWEVENT_SIZE_CHANGED:
        window->width = event.data1;
        window->height = event.data2;
        // While minimised or maximised the state message has been sent already; a plain resize reports itself.
        if (!window->minimized && !window->maximized)
            sizeMessage(SIZE_RESTORED);
        break;
    case SDL_WINDOWEVENT_MINIMIZED:
        window->minimized = true;
        window->maximized = false;
        sizeMessage(SIZE_MINIMIZED);
        break;
    case SDL_WINDOWEVENT_MAXIMIZED:
        window->minimized = false;
        window->maximized = true;
        sizeMessage(SIZE_MAXIMIZED);
        break;
    case SDL_WINDOWEVENT_RESTORED:
        window->minimized = false;
        window->maximized = false;
        sizeMessage(SIZE_RESTORED);
        break;
    case SDL_WINDOWEVENT_LEAVE:
        out.push_back(Message(hwnd, WM_MOUSELEAVE));
        break;
    case SDL_WINDOWEVENT_FOCUS_GAINED:
        out.push_back(Message(hwnd, WM_ACTIVATEAPP, 1));
        out.push_back(Message(hwnd, WM_ACTIVATE, WA_ACTIVE));
        break;
    case SDL_WINDOWEVENT_FOCUS_LOST:
        out.push_back(Message(hwnd, WM_ACTIVATE, WA_INACTIVE));
        out.push_back(Message(hwnd, WM_ACTIVATEAPP, 0));
        break;
    case SDL_WINDOWEVENT_CLOSE:
        out.push_back(Message(hwnd, WM_CLOSE));
        break;
    default:
        break;
    }
}

void EventTranslator::TranslateKey(const SDL_KeyboardEvent& event, std::vector<WindowMessage>& out)
{
    // SDL has already applied this key to the modifiers it reports with it.
    mModifiers = event.keysym.mod;
    const WindowState* window = Find(event.windowID);
    const uint32_t key = VirtualKeyFromSdl(event.keysym.sym, event.keysym.scancode);
    if (!window || key == 0)
        return;
    const bool down = event.type == SDL_KEYDOWN;
    const bool alt = (mModifiers & KMOD_ALT) != 0;
    const bool ctrl = (mModifiers & KMOD_CTRL) != 0;
    // Keys pressed with Alt but not Ctrl, F10, and the release of Alt itself are "system" keys, which the window
    // handles itself (Alt+Enter, Alt+F4); Ctrl+Alt is how AltGr arrives, so it gives ordinary key messages and
    // typed characters.
    const bool system = !ctrl && (alt || key == VK_F10 || (!down && key == VK_MENU));
    intptr_t flags = 1; // repeat count
    if (alt)
        flags |= kKeyAltDown;
    if (!down)
        flags |= kKeyWasDown | kKeyReleased;
    else if (event.repeat)
        flags |= kKeyWasDown;
    const uint32_t message = down ? (system ? WM_SYSKEYDOWN : WM_KEYDOWN) : (system ? WM_SYSKEYUP : WM_KEYUP);
    out.push_back(Message(window->handle, message, key, flags));
    if (!down)
        return;
    if (!alt) {
        if (const wchar_t c = ControlCharacter(key, ctrl))
            out.push_back(Message(window->handle, WM_CHAR, static_cast<uintptr_t>(c), flags));
    } else if (system && key == VK_RETURN) {
        out.push_back(Message(window->handle, WM_SYSCHAR, 0x0D, flags));
    }
}

void EventTranslator::TranslateText(const SDL_TextInputEvent& event, std::vector<WindowMessage>& out)
{
    const WindowState* window = Find(event.windowID);
    if (!window)
        return;
    const size_t length = strnlen(event.text, sizeof event.text);
    const std::wstring units = Utf8ToUtf16(std::string_view(event.text, length));
    // Only the left Alt makes a system character: the right one is AltGr on most layouts, which types text.
    const bool system = (mModifiers & KMOD_LALT) != 0 && (mModifiers & KMOD_CTRL) == 0;
    for (const wchar_t unit : units) {
        out.push_back(Message(window->handle, system ? WM_SYSCHAR : WM_CHAR, static_cast<uintptr_t>(unit),
                              system ? (1 | kKeyAltDown) : 1));
    }
}

void EventTranslator::TranslateButton(const SDL_MouseButtonEvent& event, std::vector<WindowMessage>& out)
{
    const bool down = event.type == SDL_MOUSEBUTTONDOWN;
    if (down)
        mButtons |= SDL_BUTTON(event.button);
    else
        mButtons &= ~SDL_BUTTON(event.button);
    const WindowState* window = Find(event.windowID);
    if (!window)
        return;
    mLastPointer = {event.x, event.y};
    uint32_t first = 0; // the button's down message; up and double click follow it
    switch (event.button) {
    case SDL_BUTTON_LEFT:
        first = WM_LBUTTONDOWN;
        break;
    case SDL_BUTTON_RIGHT:
        first = WM_RBUTTONDOWN;
        break;
    case SDL_BUTTON_MIDDLE:
        first = WM_MBUTTONDOWN;
        break;
    default:
        return;
    }
    // SDL counts clicks on; the system makes every second click of a run a double click.
    const bool doubleClick = event.clicks >= 2 && event.clicks % 2 == 0;
    const uint32_t message = !down ? first + 1 : doubleClick ? first + 2 : first;
    out.push_back(Message(window->handle, message, MouseKeyFlags(), MakeLParam(event.x, event.y)));
}

uintptr_t EventTranslator::MouseKeyFlags() const
{
    uintptr_t flags = 0;
    if (mButtons & SDL_BUTTON_LMASK)
        flags |= MK_LBUTTON;
    if (mButtons & SDL_BUTTON_RMASK)
        flags |= MK_RBUTTON;
    if (mButtons & SDL_BUTTON_MMASK)
        flags |= MK_MBUTTON;
    if (mModifiers & KMOD_SHIFT)
        flags |= MK_SHIFT;
    if (mModifiers & KMOD_CTRL)
        flags |= MK_CONTROL;
    return flags;
}

} // namespace Platform
