#include "platform/window/EventTranslator.h"

#include "platform/window/VirtualKeys.h"

#include <gtest/gtest.h>

#include <cstring>
#include <ostream>

namespace {

using namespace Platform;

constexpr uint32_t kSdlId = 7;
constexpr WindowHandle kWindow{3};

struct Expected {
    uint32_t message;
    uintptr_t wParam;
    intptr_t lParam;
    friend bool operator==(const Expected&, const Expected&) = default;
};

void PrintTo(const Expected& e, std::ostream* os)
{
    *os << "{msg 0x" << std::hex << e.message << ", w 0x" << e.wParam << ", l 0x" << e.lParam << std::dec << "}";
}

SDL_Event Motion(int x, int y, uint32_t buttons = 0)
{
    SDL_Event e{};
    e.type = SDL_MOUSEMOTION;
    e.motion.windowID = kSdlId;
    e.motion.x = x;
    e.motion.y = y;
    e.motion.state = buttons;
    return e;
}

SDL_Event Button(bool down, uint8_t button, int x, int y, uint8_t clicks = 1)
{
    SDL_Event e{};
    e.type = down ? SDL_MOUSEBUTTONDOWN : SDL_MOUSEBUTTONUP;
    e.button.windowID = kSdlId;
    e.button.button = button;
    e.button.state = down ? SDL_PRESSED : SDL_RELEASED;
    e.button.clicks = clicks;
    e.button.x = x;
    e.button.y = y;
    return e;
}

SDL_Event Wheel(int y, bool flipped = false)
{
    SDL_Event e{};
    e.type = SDL_MOUSEWHEEL;
    e.wheel.windowID = kSdlId;
    e.wheel.y = y;
    e.wheel.direction = flipped ? SDL_MOUSEWHEEL_FLIPPED : SDL_MOUSEWHEEL_NORMAL;
    return e;
}

// `mod` is the modifier state after the key, as SDL reports it.
SDL_Event Key(bool down, SDL_Keycode sym, SDL_Scancode scancode, uint16_t mod = KMOD_NONE, bool repeat = false)
{
    SDL_Event e{};
    e.type = down ? SDL_KEYDOWN : SDL_KEYUP;
    e.key.windowID = kSdlId;
    e.key.state = down ? SDL_PRESSED : SDL_RELEASED;
    e.key.repeat = repeat ? 1 : 0;
    e.key.keysym.sym = sym;
    e.key.keysym.scancode = scancode;
    e.key.keysym.mod = mod;
    return e;
}

SDL_Event Text(const char* utf8)
{
    SDL_Event e{};
    e.type = SDL_TEXTINPUT;
    e.text.windowID = kSdlId;
    std::strncpy(e.text.text, utf8, sizeof e.text.text - 1);
    return e;
}

SDL_Event Window(SDL_WindowEventID event, int data1 = 0, int data2 = 0, uint32_t sdlId = kSdlId)
{
    SDL_Event e{};
    e.type = SDL_WINDOWEVENT;
    e.window.windowID = sdlId;
    e.window.event = static_cast<uint8_t>(event);
    e.window.data1 = data1;
    e.window.data2 = data2;
    return e;
}

SDL_Event Of(SDL_EventType type)
{
    SDL_Event e{};
    e.type = type;
    return e;
}

constexpr intptr_t kDown = 1; // key lParam: repeat count 1
constexpr intptr_t kRepeat = 1 | kKeyWasDown;
constexpr intptr_t kUp = 1 | kKeyWasDown | kKeyReleased;
constexpr intptr_t kAlt = kKeyAltDown;
constexpr uintptr_t kWheelUp = uintptr_t{120} << 16;
constexpr uintptr_t kWheelDown = uintptr_t{0xFF88} << 16; // -120 in the high word

struct Case {
    const char* name;
    std::vector<SDL_Event> events;
    std::vector<Expected> expected;
};

const Case kCases[] = {
    // Mouse.
    {"move packs x low and y high", {Motion(12, 34)}, {{WM_MOUSEMOVE, 0, 12 | (34 << 16)}}},
    {"move outside the window keeps the sign (captured drag)",
     {Motion(-5, -2, SDL_BUTTON_LMASK)},
     {{WM_MOUSEMOVE, MK_LBUTTON, MakeLParam(-5, -2)}}},
    {"left click",
     {Button(true, SDL_BUTTON_LEFT, 10, 20), Button(false, SDL_BUTTON_LEFT, 10, 20)},
     {{WM_LBUTTONDOWN, MK_LBUTTON, MakeLParam(10, 20)}, {WM_LBUTTONUP, 0, MakeLParam(10, 20)}}},
    {"left double click is down, up, double click, up",
     {Button(true, SDL_BUTTON_LEFT, 1, 1, 1), Button(false, SDL_BUTTON_LEFT, 1, 1, 1),
      Button(true, SDL_BUTTON_LEFT, 1, 1, 2), Button(false, SDL_BUTTON_LEFT, 1, 1, 2)},
     {{WM_LBUTTONDOWN, MK_LBUTTON, MakeLParam(1, 1)},
      {WM_LBUTTONUP, 0, MakeLParam(1, 1)},
      {WM_LBUTTONDBLCLK, MK_LBUTTON, MakeLParam(1, 1)},
      {WM_LBUTTONUP, 0, MakeLParam(1, 1)}}},
    {"third click of a run is a single down again",
     {Button(true, SDL_BUTTON_LEFT, 1, 1, 3)},
     {{WM_LBUTTONDOWN, MK_LBUTTON, MakeLParam(1, 1)}}},
    {"right double click",
     {Button(true, SDL_BUTTON_RIGHT, 2, 3, 2)},
     {{WM_RBUTTONDBLCLK, MK_RBUTTON, MakeLParam(2, 3)}}},
    {"middle down and up with another button held",
     {Button(true, SDL_BUTTON_LEFT, 0, 0), Button(true, SDL_BUTTON_MIDDLE, 0, 0),
      Button(false, SDL_BUTTON_MIDDLE, 0, 0)},
     {{WM_LBUTTONDOWN, MK_LBUTTON, 0}, {WM_MBUTTONDOWN, MK_LBUTTON | MK_MBUTTON, 0}, {WM_MBUTTONUP, MK_LBUTTON, 0}}},
    {"middle double click", {Button(true, SDL_BUTTON_MIDDLE, 0, 0, 2)}, {{WM_MBUTTONDBLCLK, MK_MBUTTON, 0}}},
    {"side buttons give nothing", {Button(true, SDL_BUTTON_X1, 0, 0)}, {}},
    {"modifiers in mouse flags",
     {Key(true, SDLK_LCTRL, SDL_SCANCODE_LCTRL, KMOD_LCTRL), Motion(1, 2)},
     {{WM_KEYDOWN, VK_CONTROL, kDown}, {WM_MOUSEMOVE, MK_CONTROL, MakeLParam(1, 2)}}},
    {"wheel away from the user is +120 at the last pointer position",
     {Motion(5, 6), Wheel(1)},
     {{WM_MOUSEMOVE, 0, MakeLParam(5, 6)}, {WM_MOUSEWHEEL, kWheelUp, MakeLParam(5, 6)}}},
    {"wheel towards the user is -120", {Wheel(-1)}, {{WM_MOUSEWHEEL, kWheelDown, 0}}},
    {"flipped wheel is turned back", {Wheel(-1, true)}, {{WM_MOUSEWHEEL, kWheelUp, 0}}},
    {"two notches at once", {Wheel(2)}, {{WM_MOUSEWHEEL, uintptr_t{240} << 16, 0}}},
    {"sideways wheel gives nothing", {Wheel(0)}, {}},

    // Keys.
    {"letter is its upper-case character",
     {Key(true, SDLK_a, SDL_SCANCODE_A), Key(false, SDLK_a, SDL_SCANCODE_A)},
     {{WM_KEYDOWN, 'A', kDown}, {WM_KEYUP, 'A', kUp}}},
    {"digit", {Key(true, SDLK_7, SDL_SCANCODE_7)}, {{WM_KEYDOWN, '7', kDown}}},
    {"auto-repeat says the key was down",
     {Key(true, SDLK_LEFT, SDL_SCANCODE_LEFT, 0, true)},
     {{WM_KEYDOWN, VK_LEFT, kRepeat}}},
    {"F1 and F12",
     {Key(true, SDLK_F1, SDL_SCANCODE_F1), Key(true, SDLK_F12, SDL_SCANCODE_F12)},
     {{WM_KEYDOWN, VK_F1, kDown}, {WM_KEYDOWN, VK_F12, kDown}}},
    {"F10 is a system key", {Key(true, SDLK_F10, SDL_SCANCODE_F10)}, {{WM_SYSKEYDOWN, VK_F10, kDown}}},
    {"Enter also types a carriage return",
     {Key(true, SDLK_RETURN, SDL_SCANCODE_RETURN)},
     {{WM_KEYDOWN, VK_RETURN, kDown}, {WM_CHAR, 0x0D, kDown}}},
    {"keypad Enter is Enter",
     {Key(true, SDLK_KP_ENTER, SDL_SCANCODE_KP_ENTER)},
     {{WM_KEYDOWN, VK_RETURN, kDown}, {WM_CHAR, 0x0D, kDown}}},
    {"Backspace, Tab and Escape type their control characters",
     {Key(true, SDLK_BACKSPACE, SDL_SCANCODE_BACKSPACE), Key(true, SDLK_TAB, SDL_SCANCODE_TAB),
      Key(true, SDLK_ESCAPE, SDL_SCANCODE_ESCAPE)},
     {{WM_KEYDOWN, VK_BACK, kDown},
      {WM_CHAR, 0x08, kDown},
      {WM_KEYDOWN, VK_TAB, kDown},
      {WM_CHAR, 0x09, kDown},
      {WM_KEYDOWN, VK_ESCAPE, kDown},
      {WM_CHAR, 0x1B, kDown}}},
    {"Space and Delete type nothing themselves (text input does)",
     {Key(true, SDLK_SPACE, SDL_SCANCODE_SPACE), Key(true, SDLK_DELETE, SDL_SCANCODE_DELETE)},
     {{WM_KEYDOWN, VK_SPACE, kDown}, {WM_KEYDOWN, VK_DELETE, kDown}}},
    {"right modifiers give the generic codes",
     {Key(true, SDLK_RSHIFT, SDL_SCANCODE_RSHIFT, KMOD_RSHIFT),
      Key(true, SDLK_RCTRL, SDL_SCANCODE_RCTRL, KMOD_RSHIFT | KMOD_RCTRL)},
     {{WM_KEYDOWN, VK_SHIFT, kDown}, {WM_KEYDOWN, VK_CONTROL, kDown}}},
    {"Ctrl+C is the copy character",
     {Key(true, SDLK_LCTRL, SDL_SCANCODE_LCTRL, KMOD_LCTRL), Key(true, SDLK_c, SDL_SCANCODE_C, KMOD_LCTRL)},
     {{WM_KEYDOWN, VK_CONTROL, kDown}, {WM_KEYDOWN, 'C', kDown}, {WM_CHAR, 3, kDown}}},
    {"Ctrl+V on a Cyrillic layout is still paste",
     {Key(true, 0x43C /* м */, SDL_SCANCODE_V, KMOD_LCTRL)},
     {{WM_KEYDOWN, 'V', kDown}, {WM_CHAR, 22, kDown}}},
    {"Alt itself is a system key, its release too",
     {Key(true, SDLK_LALT, SDL_SCANCODE_LALT, KMOD_LALT), Key(false, SDLK_LALT, SDL_SCANCODE_LALT)},
     {{WM_SYSKEYDOWN, VK_MENU, kDown | kAlt}, {WM_SYSKEYUP, VK_MENU, kUp}}},
    {"Alt+Enter",
     {Key(true, SDLK_RETURN, SDL_SCANCODE_RETURN, KMOD_LALT), Key(false, SDLK_RETURN, SDL_SCANCODE_RETURN, KMOD_LALT)},
     {{WM_SYSKEYDOWN, VK_RETURN, kDown | kAlt},
      {WM_SYSCHAR, 0x0D, kDown | kAlt},
      {WM_SYSKEYUP, VK_RETURN, kUp | kAlt}}},
    {"Alt+F4", {Key(true, SDLK_F4, SDL_SCANCODE_F4, KMOD_RALT)}, {{WM_SYSKEYDOWN, VK_F4, kDown | kAlt}}},
    {"Ctrl+Alt (AltGr) keys are ordinary",
     {Key(true, SDLK_q, SDL_SCANCODE_Q, KMOD_LCTRL | KMOD_RALT)},
     {{WM_KEYDOWN, 'Q', kDown | kAlt}}},
    {"unknown key gives nothing", {Key(true, SDLK_AUDIOPLAY, SDL_SCANCODE_AUDIOPLAY)}, {}},

    // Text.
    {"text arrives as UTF-16 units", {Text("a\xC3\xA9")}, {{WM_CHAR, 'a', 1}, {WM_CHAR, 0xE9, 1}}},
    {"beyond the BMP as a surrogate pair", {Text("\xF0\x9F\x98\x80")}, {{WM_CHAR, 0xD83D, 1}, {WM_CHAR, 0xDE00, 1}}},
    {"text with left Alt held is a system character",
     {Key(true, SDLK_LALT, SDL_SCANCODE_LALT, KMOD_LALT), Text("r")},
     {{WM_SYSKEYDOWN, VK_MENU, kDown | kAlt}, {WM_SYSCHAR, 'r', 1 | kAlt}}},
    {"text typed with AltGr is ordinary",
     {Key(true, SDLK_RALT, SDL_SCANCODE_RALT, KMOD_RALT), Text("@")},
     {{WM_SYSKEYDOWN, VK_MENU, kDown | kAlt}, {WM_CHAR, '@', 1}}},

    // Window.
    {"expose", {Window(SDL_WINDOWEVENT_EXPOSED)}, {{WM_PAINT, 0, 0}}},
    {"close", {Window(SDL_WINDOWEVENT_CLOSE)}, {{WM_CLOSE, 0, 0}}},
    {"move", {Window(SDL_WINDOWEVENT_MOVED, 64, 80)}, {{WM_MOVE, 0, MakeLParam(64, 80)}}},
    {"pointer leaves", {Window(SDL_WINDOWEVENT_ENTER), Window(SDL_WINDOWEVENT_LEAVE)}, {{WM_MOUSELEAVE, 0, 0}}},
    {"focus gained activates the application, then the window",
     {Window(SDL_WINDOWEVENT_FOCUS_GAINED)},
     {{WM_ACTIVATEAPP, 1, 0}, {WM_ACTIVATE, WA_ACTIVE, 0}}},
    {"focus lost deactivates the window, then the application",
     {Window(SDL_WINDOWEVENT_FOCUS_LOST)},
     {{WM_ACTIVATE, WA_INACTIVE, 0}, {WM_ACTIVATEAPP, 0, 0}}},
    {"minimise, restore, maximise",
     {Window(SDL_WINDOWEVENT_MINIMIZED), Window(SDL_WINDOWEVENT_RESTORED), Window(SDL_WINDOWEVENT_MAXIMIZED)},
     {{WM_SIZE, SIZE_MINIMIZED, 0},
      {WM_SIZE, SIZE_RESTORED, MakeLParam(800, 600)},
      {WM_SIZE, SIZE_MAXIMIZED, MakeLParam(800, 600)}}},
    {"a plain resize reports the new size; one while maximised does not repeat the state",
     {Window(SDL_WINDOWEVENT_SIZE_CHANGED, 640, 480), Window(SDL_WINDOWEVENT_MAXIMIZED),
      Window(SDL_WINDOWEVENT_SIZE_CHANGED, 1024, 768), Window(SDL_WINDOWEVENT_RESTORED)},
     {{WM_SIZE, SIZE_RESTORED, MakeLParam(640, 480)},
      {WM_SIZE, SIZE_MAXIMIZED, MakeLParam(640, 480)},
      {WM_SIZE, SIZE_RESTORED, MakeLParam(1024, 768)}}},
    {"events of another SDL window give nothing", {Window(SDL_WINDOWEVENT_CLOSE, 0, 0, kSdlId + 1)}, {}},
    {"a termination signal ends the session", {Of(SDL_QUIT)}, {{WM_ENDSESSION, 1, 0}}},
    {"a display change reaches the window", {Of(SDL_DISPLAYEVENT)}, {{WM_DISPLAYCHANGE, 0, 0}}},
};

TEST(EventTranslator, TurnsSdlEventsIntoWindowMessages)
{
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.name);
        EventTranslator translator;
        translator.AddWindow(kSdlId, kWindow, 800, 600);
        std::vector<Expected> got;
        for (const SDL_Event& event : c.events) {
            for (const WindowMessage& m : translator.Translate(event)) {
                EXPECT_EQ(m.hwnd, kWindow);
                got.push_back({m.message, m.wParam, m.lParam});
            }
        }
        EXPECT_EQ(got, c.expected);
    }
}

TEST(EventTranslator, ForgetsRemovedWindows)
{
    EventTranslator translator;
    translator.AddWindow(kSdlId, kWindow, 800, 600);
    translator.RemoveWindow(kSdlId);
    EXPECT_TRUE(translator.Translate(Motion(1, 1)).empty());
    EXPECT_TRUE(translator.Translate(Window(SDL_WINDOWEVENT_CLOSE)).empty());
}

TEST(EventTranslator, SignedPointHelpersUndoThePacking)
{
    for (const auto& [x, y] : {std::pair{0, 0}, {-1, -32768}, {32767, 5}, {-300, 700}}) {
        const intptr_t packed = MakeLParam(x, y);
        EXPECT_EQ(GetXLParam(packed), x);
        EXPECT_EQ(GetYLParam(packed), y);
    }
    EXPECT_EQ(GetWheelDeltaWParam(kWheelDown | MK_SHIFT), -120);
}

struct KeyCase {
    const char* name;
    SDL_Keycode key;
    SDL_Scancode scancode;
    uint32_t expected;
};

TEST(EventTranslator, VirtualKeysFollowTheLayoutWithUsPositionsAsFallback)
{
    const KeyCase cases[] = {
        {"letter", SDLK_z, SDL_SCANCODE_Z, 'Z'},
        {"AZERTY: the US Q key types a", SDLK_a, SDL_SCANCODE_Q, 'A'},
        {"AZERTY digit row types & but is the 1 key", SDLK_AMPERSAND, SDL_SCANCODE_1, '1'},
        {"Cyrillic letter keeps the US position", 0x444 /* ф */, SDL_SCANCODE_A, 'A'},
        {"zero", SDLK_0, SDL_SCANCODE_0, '0'},
        {"punctuation by character", SDLK_SLASH, SDL_SCANCODE_SLASH, VK_OEM_2},
        {"keypad digit", SDLK_KP_5, SDL_SCANCODE_KP_5, VK_NUMPAD0 + 5},
        {"keypad zero", SDLK_KP_0, SDL_SCANCODE_KP_0, VK_NUMPAD0},
        {"F13 continues the F keys", SDLK_F13, SDL_SCANCODE_F13, VK_F1 + 12},
        {"page down", SDLK_PAGEDOWN, SDL_SCANCODE_PAGEDOWN, VK_NEXT},
        {"Alt", SDLK_RALT, SDL_SCANCODE_RALT, VK_MENU},
        {"no virtual key", SDLK_MUTE, SDL_SCANCODE_MUTE, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(VirtualKeyFromSdl(c.key, c.scancode), c.expected);
    }
}

} // namespace
