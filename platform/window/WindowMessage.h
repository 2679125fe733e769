#pragma once

#include <algorithm>
#include <cstdint>

namespace Platform {

/// Opaque handle of one of our windows. Handles are never reused within a run, so a handle kept after its window
/// was destroyed simply names no window. The null handle names none.
struct WindowHandle {
    uint32_t id = 0;

    explicit operator bool() const { return id != 0; }
    friend bool operator==(WindowHandle, WindowHandle) = default;
};

/// Addresses every window at once (PostMessage only).
inline constexpr WindowHandle HWND_BROADCAST{0xFFFFFFFFu};

struct WindowPoint {
    int32_t x = 0;
    int32_t y = 0;
    friend bool operator==(WindowPoint, WindowPoint) = default;
};

struct WindowRect {
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;
    int32_t Width() const { return right - left; }
    int32_t Height() const { return bottom - top; }
    /// True when the rectangle covers no pixel.
    [[nodiscard]] bool IsEmpty() const { return right <= left || bottom <= top; }
    /// The part both rectangles cover; empty when they do not meet.
    [[nodiscard]] WindowRect Intersection(const WindowRect& other) const
    {
        return {std::max(left, other.left), std::max(top, other.top), std::min(right, other.right),
                std::min(bottom, other.bottom)};
    }
    friend bool operator==(WindowRect, WindowRect) = default;
};

/// One window message, shaped like the system's message record: the window, the message number, its two
/// parameters, the tick count when it was queued and the pointer position (screen coordinates) at that moment.
struct WindowMessage {
    WindowHandle hwnd;
    uint32_t message = 0;
    uintptr_t wParam = 0;
    intptr_t lParam = 0;
    uint32_t time = 0;
    WindowPoint pt;
};

// Message numbers keep the system's values: the shell tests ranges of them (WM_MOUSEMOVE to WM_MBUTTONUP) and
// registered messages start at 0xC000.
inline constexpr uint32_t WM_NULL = 0x0000;
inline constexpr uint32_t WM_DESTROY = 0x0002;
inline constexpr uint32_t WM_MOVE = 0x0003;     // lParam: client origin, x low and y high (signed 16-bit)
inline constexpr uint32_t WM_SIZE = 0x0005;     // wParam: SIZE_*; lParam: client width low, height high
inline constexpr uint32_t WM_ACTIVATE = 0x0006; // wParam: WA_*
inline constexpr uint32_t WM_ENABLE = 0x000A;
inline constexpr uint32_t WM_PAINT = 0x000F;
inline constexpr uint32_t WM_CLOSE = 0x0010;
inline constexpr uint32_t WM_QUERYENDSESSION = 0x0011;
inline constexpr uint32_t WM_QUERYOPEN = 0x0013;
inline constexpr uint32_t WM_ERASEBKGND = 0x0014;
inline constexpr uint32_t WM_SYSCOLORCHANGE = 0x0015;
inline constexpr uint32_t WM_ENDSESSION = 0x0016;  // wParam: 1 when the session really ends
inline constexpr uint32_t WM_ACTIVATEAPP = 0x001C; // wParam: 1 activated, 0 deactivated
inline constexpr uint32_t WM_SETCURSOR = 0x0020;
inline constexpr uint32_t WM_DISPLAYCHANGE = 0x007E;
inline constexpr uint32_t WM_NCLBUTTONDOWN = 0x00A1;
inline constexpr uint32_t WM_KEYDOWN = 0x0100; // wParam: VK_*; lParam: repeat count and key flags
inline constexpr uint32_t WM_KEYUP = 0x0101;
inline constexpr uint32_t WM_CHAR = 0x0102;       // wParam: one UTF-16 code unit
inline constexpr uint32_t WM_SYSKEYDOWN = 0x0104; // a key pressed while Alt (without Ctrl) is held, or F10
inline constexpr uint32_t WM_SYSKEYUP = 0x0105;
inline constexpr uint32_t WM_SYSCHAR = 0x0106;
inline constexpr uint32_t WM_SYSCOMMAND = 0x0112; // wParam: SC_*
inline constexpr uint32_t WM_TIMER = 0x0113;      // wParam: timer id
inline constexpr uint32_t WM_MOUSEMOVE = 0x0200;  // wParam: MK_*; lParam: client x low, y high (signed 16-bit)
inline constexpr uint32_t WM_LBUTTONDOWN = 0x0201;
inline constexpr uint32_t WM_LBUTTONUP = 0x0202;
inline constexpr uint32_t WM_LBUTTONDBLCLK = 0x0203;
inline constexpr uint32_t WM_RBUTTONDOWN = 0x0204;
inline constexpr uint32_t WM_RBUTTONUP = 0x0205;
inline constexpr uint32_t WM_RBUTTONDBLCLK = 0x0206;
inline constexpr uint32_t WM_MBUTTONDOWN = 0x0207;
inline constexpr uint32_t WM_MBUTTONUP = 0x0208;
inline constexpr uint32_t WM_MBUTTONDBLCLK = 0x0209;
inline constexpr uint32_t WM_MOUSEWHEEL = 0x020A; // wParam: delta (high, signed), MK_* (low); lParam: client point
inline constexpr uint32_t WM_MOUSELEAVE = 0x02A3;
inline constexpr uint32_t WM_USER = 0x0400;
inline constexpr uint32_t WM_APP = 0x8000;
inline constexpr uint32_t kFirstRegisteredMessage = 0xC000;

// WM_SIZE
inline constexpr uintptr_t SIZE_RESTORED = 0;
inline constexpr uintptr_t SIZE_MINIMIZED = 1;
inline constexpr uintptr_t SIZE_MAXIMIZED = 2;

// WM_ACTIVATE
inline constexpr uintptr_t WA_INACTIVE = 0;
inline constexpr uintptr_t WA_ACTIVE = 1;

// WM_SYSCOMMAND
inline constexpr uintptr_t SC_CLOSE = 0xF060;
inline constexpr uintptr_t SC_SCREENSAVE = 0xF140;
inline constexpr uintptr_t SC_MONITORPOWER = 0xF170;

// Button and modifier flags of mouse messages.
inline constexpr uintptr_t MK_LBUTTON = 0x0001;
inline constexpr uintptr_t MK_RBUTTON = 0x0002;
inline constexpr uintptr_t MK_SHIFT = 0x0004;
inline constexpr uintptr_t MK_CONTROL = 0x0008;
inline constexpr uintptr_t MK_MBUTTON = 0x0010;

/// One notch of the wheel.
inline constexpr int WHEEL_DELTA = 120;

// Key-message lParam bits.
inline constexpr intptr_t kKeyAltDown = intptr_t{1} << 29;
inline constexpr intptr_t kKeyWasDown = intptr_t{1} << 30;
inline constexpr intptr_t kKeyReleased = intptr_t{1} << 31;

inline constexpr uint16_t LowWord(uintptr_t value)
{
    return static_cast<uint16_t>(value & 0xFFFF);
}
inline constexpr uint16_t HighWord(uintptr_t value)
{
    return static_cast<uint16_t>((value >> 16) & 0xFFFF);
}

/// Packs two 16-bit halves the way message parameters carry them: `low` in bits 0-15, `high` in bits 16-31.
inline constexpr intptr_t MakeLParam(int32_t low, int32_t high)
{
    return static_cast<intptr_t>((static_cast<uint32_t>(low) & 0xFFFFu) |
                                 ((static_cast<uint32_t>(high) & 0xFFFFu) << 16));
}

/// The signed x and y of a point packed by MakeLParam; a pointer left of or above the window gives negative values.
inline constexpr int32_t GetXLParam(intptr_t lParam)
{
    return static_cast<int16_t>(LowWord(static_cast<uintptr_t>(lParam)));
}
inline constexpr int32_t GetYLParam(intptr_t lParam)
{
    return static_cast<int16_t>(HighWord(static_cast<uintptr_t>(lParam)));
}

/// The signed wheel delta of WM_MOUSEWHEEL.
inline constexpr int32_t GetWheelDeltaWParam(uintptr_t wParam)
{
    return static_cast<int16_t>(HighWord(wParam));
}

} // namespace Platform
