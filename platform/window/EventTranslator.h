#pragma once

#include "platform/window/WindowMessage.h"

#include <SDL.h>

#include <cstdint>
#include <map>
#include <vector>

namespace Platform {

/// The virtual-key code of an SDL key: letters by the layout's character, falling back to the key's position on a
/// US keyboard when the layout gives no Latin letter or digit there (so Ctrl+C works on a Cyrillic layout too);
/// 0 for keys without one.
uint32_t VirtualKeyFromSdl(SDL_Keycode key, SDL_Scancode scancode);

/// Turns SDL events into window messages, one event at a time, in the order the system would deliver them. It keeps
/// what a single event does not carry: which of our windows an SDL window id belongs to, each window's last known
/// client size and state, the modifiers and the mouse buttons held. It calls no SDL function, so tests can feed it
/// synthetic events. The `time` and `pt` fields of the messages are left for the caller to stamp. Main thread only.
class EventTranslator {
public:
    void AddWindow(uint32_t sdlWindowId, WindowHandle window, int width, int height);
    void RemoveWindow(uint32_t sdlWindowId);

    /// Appends the messages of one event to `out`; events of unknown windows and event kinds without a message
    /// append nothing.
    void Translate(const SDL_Event& event, std::vector<WindowMessage>& out);
    std::vector<WindowMessage> Translate(const SDL_Event& event);

private:
    struct WindowState {
        WindowHandle handle;
        int width = 0;
        int height = 0;
        bool minimized = false;
        bool maximized = false;
    };

    WindowState* Find(uint32_t sdlWindowId);
    void TranslateWindowEvent(const SDL_WindowEvent& event, std::vector<WindowMessage>& out);
    void TranslateKey(const SDL_KeyboardEvent& event, std::vector<WindowMessage>& out);
    void TranslateText(const SDL_TextInputEvent& event, std::vector<WindowMessage>& out);
    void TranslateButton(const SDL_MouseButtonEvent& event, std::vector<WindowMessage>& out);
    uintptr_t MouseKeyFlags() const;

    std::map<uint32_t, WindowState> mWindows;
    uint16_t mModifiers = 0;  // SDL_Keymod as of the last key event
    uint32_t mButtons = 0;    // SDL_BUTTON masks held
    WindowPoint mLastPointer; // client position of the last mouse event
};

} // namespace Platform
