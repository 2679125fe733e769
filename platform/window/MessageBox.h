#pragma once

#include "platform/window/WindowMessage.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace Platform {

// Button sets (the low four bits of the flags).
inline constexpr uint32_t MB_OK = 0x0;
inline constexpr uint32_t MB_OKCANCEL = 0x1;
inline constexpr uint32_t MB_ABORTRETRYIGNORE = 0x2;
inline constexpr uint32_t MB_YESNOCANCEL = 0x3;
inline constexpr uint32_t MB_YESNO = 0x4;
inline constexpr uint32_t MB_RETRYCANCEL = 0x5;
// Icons.
inline constexpr uint32_t MB_ICONERROR = 0x10;
inline constexpr uint32_t MB_ICONQUESTION = 0x20;
inline constexpr uint32_t MB_ICONWARNING = 0x30;
inline constexpr uint32_t MB_ICONINFORMATION = 0x40;
// The button that Enter presses.
inline constexpr uint32_t MB_DEFBUTTON1 = 0x000;
inline constexpr uint32_t MB_DEFBUTTON2 = 0x100;
inline constexpr uint32_t MB_DEFBUTTON3 = 0x200;

// Answers.
inline constexpr int IDOK = 1;
inline constexpr int IDCANCEL = 2;
inline constexpr int IDABORT = 3;
inline constexpr int IDRETRY = 4;
inline constexpr int IDIGNORE = 5;
inline constexpr int IDYES = 6;
inline constexpr int IDNO = 7;

/// Shows a modal message box and returns the button pressed (IDOK, IDYES, ...); closing the box without a
/// button answers Cancel, or No, Abort or OK where the set has no Cancel. Returns 0 when the box cannot be
/// shown; headless (SDL's dummy video driver) nobody could answer, so nothing is shown and the text goes to
/// the log.
///
/// Any thread: SDL runs on the main thread only, so a box asked for elsewhere is handed to the main thread,
/// which shows it the next time it peeks messages (or calls ServiceMessageBoxRequests), while the asker waits.
int MessageBox(WindowHandle owner, std::wstring_view text, std::wstring_view caption, uint32_t flags);

/// Shows an error box with an OK button at once, for a process that runs nothing of the window system besides it
/// (the notice after a crash). Texts are UTF-8. False when no box could be shown: headless, or no display to show
/// it on. Not for a process whose main thread serves windows: use MessageBox there.
bool ShowStandaloneMessageBox(const std::string& text, const std::string& caption);

/// Main thread: shows the boxes other threads are waiting for. PeekMessage calls it; a main thread that waits
/// for another thread without peeking messages should call it too.
void ServiceMessageBoxRequests();

/// While refused (at shut-down, before waiting for the other threads to end), every box asked for off the main
/// thread, waiting or new, is answered 0 at once, so that no thread waits for a main thread that no longer serves it.
void RefuseMessageBoxRequests(bool refuse);

/// One message box asked for while a MessageBoxScript is active.
struct MessageBoxCall {
    WindowHandle owner;
    std::wstring text;
    std::wstring caption;
    uint32_t flags = 0;
    bool fromOtherThread = false; // handed to the main thread
    int answer = 0;
};

/// While an object of this class lives, message boxes show nothing: each call is recorded and answered with the
/// next scripted answer, or 0 (box not shown) when the answers have run out. The hand-off from other threads
/// still runs, so scripted calls are answered on the main thread too. One script at a time; for tests and
/// unattended runs.
class MessageBoxScript {
public:
    explicit MessageBoxScript(std::vector<int> answers = {});
    ~MessageBoxScript();
    MessageBoxScript(const MessageBoxScript&) = delete;
    MessageBoxScript& operator=(const MessageBoxScript&) = delete;

    void AddAnswer(int answer);
    std::vector<MessageBoxCall> Calls() const;
};

} // namespace Platform
