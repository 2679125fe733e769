#pragma once

#include "platform/window/WindowMessage.h"

#include <climits>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace Platform {

/// Windows, their message queue, timers, mouse capture and the pointer position, in the shape the application
/// shell was written against: window classes with a procedure, a queue of window messages that the main loop
/// peeks and dispatches, SetTimer, SetCapture. Windows with a size are SDL windows; a window of size 0 x 0 has no
/// screen presence and only receives posted messages and timers.
///
/// Threads: SDL is called from the main thread only, so creating, showing, changing and destroying windows,
/// peeking messages and capture must happen there (elsewhere they log and fail). PostMessage, the queries of
/// window geometry, GetCursorPos, ScreenToClient and ClientToScreen work on any thread: the pump publishes the
/// pointer position atomically for the cursor thread.

/// Handles a message; the result goes back to whoever sent it. Called on the main thread.
using WindowProcedure =
    std::function<intptr_t(WindowHandle window, uint32_t message, uintptr_t wParam, intptr_t lParam)>;

/// Registers the procedure of a window class; registering a name again replaces its procedure.
void RegisterWindowClass(const std::string& className, WindowProcedure procedure);

enum class WindowMode { Windowed, FullScreen };

/// Lets the system choose: windows are centred on the desktop.
inline constexpr int kDefaultPosition = INT_MIN;

struct WindowCreateInfo {
    std::string className; // a registered class
    std::wstring title;
    WindowMode mode = WindowMode::Windowed;
    int x = kDefaultPosition; // client origin in screen coordinates (the frame belongs to the window manager)
    int y = kDefaultPosition;
    int width = 0; // client size; full screen covers the desktop whatever is asked
    int height = 0;
    bool visible = false;   // shown at once
    bool resizable = false; // the frame lets the user resize and maximise
};

/// Creates a window of a registered class; the null handle when the class is unknown, the size negative, or SDL
/// video or the window cannot be made (VideoError() of VideoSystem.h says why).
WindowHandle CreateWindow(const WindowCreateInfo& info);

/// Sends WM_DESTROY to the window's procedure, then removes the window, its timers, its queued messages and its
/// capture. False for a handle that names no window.
bool DestroyWindow(WindowHandle window);
bool IsWindow(WindowHandle window);

/// One pointer of the caller's per window (the application object, typically); null until set.
void SetWindowUserData(WindowHandle window, void* data);
void* GetWindowUserData(WindowHandle window);

// Show commands.
inline constexpr int SW_HIDE = 0;
inline constexpr int SW_SHOWNORMAL = 1;
inline constexpr int SW_SHOWMINIMIZED = 2;
inline constexpr int SW_MAXIMIZE = 3;
inline constexpr int SW_SHOWNOACTIVATE = 4;
inline constexpr int SW_SHOW = 5;
inline constexpr int SW_MINIMIZE = 6;
inline constexpr int SW_RESTORE = 9;

/// Applies a show command; returns whether the window was visible before.
bool ShowWindow(WindowHandle window, int command);
bool IsWindowVisible(WindowHandle window);
bool IsIconic(WindowHandle window); // minimised
bool SetWindowText(WindowHandle window, std::wstring_view title);
/// Raises the window and asks for the input focus; whether it gets it arrives as WM_ACTIVATEAPP.
bool SetForegroundWindow(WindowHandle window);
/// Moves the client origin to (x, y) in screen coordinates.
bool MoveWindow(WindowHandle window, int x, int y);
/// Gives the client area the size width x height (both positive; main thread); the origin stays.
bool SetWindowSize(WindowHandle window, int width, int height);

/// The client area: (0, 0, width, height); empty for an unknown window.
WindowRect GetClientRect(WindowHandle window);

struct WindowPlacement {
    int showCommand = SW_HIDE; // SW_HIDE, SW_SHOWNORMAL, SW_SHOWMINIMIZED or SW_MAXIMIZE
    WindowRect normalPosition; // client area in screen coordinates
};
std::optional<WindowPlacement> GetWindowPlacement(WindowHandle window);

/// The window that has the keyboard focus, as the focus messages reported it; null when the application has none.
WindowHandle GetActiveWindow();

/// Takes the first message off the queue (with `remove`) or looks at it. Before that, on the main thread, it
/// serves the message boxes other threads asked for, turns waiting SDL events into messages, and, when nothing
/// else waits, makes one WM_TIMER of a due timer. False when no message waits, and always off the main thread.
bool PeekMessage(WindowMessage& message, bool remove = true);

/// Calls the procedure of the message's window; 0 when the window is gone.
intptr_t DispatchMessage(const WindowMessage& message);

/// Appends a message to the queue (any thread); HWND_BROADCAST addresses every window. False for an unknown window.
bool PostMessage(WindowHandle window, uint32_t message, uintptr_t wParam = 0, intptr_t lParam = 0);

/// The default handling of a message: WM_CLOSE destroys the window, Alt+F4 (WM_SYSKEYDOWN with VK_F4) and
/// SC_CLOSE post WM_CLOSE, WM_QUERYOPEN and WM_QUERYENDSESSION answer 1; everything else 0.
intptr_t DefWindowProc(WindowHandle window, uint32_t message, uintptr_t wParam, intptr_t lParam);

/// A message number of 0xC000 or above that is the same for the same name during this run; 0 when they run out.
uint32_t RegisterWindowMessage(std::wstring_view name);

/// Starts or restarts timer `id` of a window: a WM_TIMER with wParam `id` is made whenever the queue is empty and
/// at least `intervalMs` (no less than 10) have passed on the process clock since the last one. A late timer
/// makes one message, not one per missed interval. Returns `id`, or 0 for an unknown window or an id of 0.
uintptr_t SetTimer(WindowHandle window, uintptr_t id, uint32_t intervalMs);
bool KillTimer(WindowHandle window, uintptr_t id);

/// Mouse capture: while a window holds it, it keeps receiving mouse messages with the pointer outside.
/// SetCapture returns the previous holder.
WindowHandle SetCapture(WindowHandle window);
bool ReleaseCapture();
WindowHandle GetCapture();

/// The pointer position in screen coordinates, as the last mouse event left it. Any thread; never calls SDL.
WindowPoint GetCursorPos();
/// Moves the pointer (main thread); SDL reports the move as a WM_MOUSEMOVE.
bool SetCursorPos(int x, int y);
bool ClientToScreen(WindowHandle window, WindowPoint& point);
bool ScreenToClient(WindowHandle window, WindowPoint& point);
/// The window whose client area holds the point while the pointer is over it; null otherwise.
WindowHandle WindowFromPoint(WindowPoint point);

} // namespace Platform
