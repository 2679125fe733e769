#pragma once

#include <cstdint>
#include <span>

namespace Platform {

/// Handle of a mouse cursor; the null handle is "no cursor" (hidden).
struct CursorHandle {
    uint32_t id = 0;

    explicit operator bool() const { return id != 0; }
    friend bool operator==(CursorHandle, CursorHandle) = default;
};

/// The system's own cursors.
enum class SystemCursor { Arrow, IBeam, Wait, Cross, WaitArrow, SizeNWSE, SizeNESW, SizeWE, SizeNS, SizeAll, No, Hand };

/// Cursors of the mouse pointer, set the way the shell expects: SetCursor with a handle (null hides the pointer)
/// and a display counter (ShowCursor). Handles stay valid when SDL cannot draw cursors (the dummy driver, no
/// video yet): the SDL cursor is made when one is set and SDL can, and made again after SDL video restarts.
/// Main thread only, except GetCursor.

/// The shared handle of a system cursor; the same handle on every call, never destroyed.
CursorHandle LoadSystemCursor(SystemCursor cursor);

/// A cursor from `width` x `height` pixels of 32-bit ARGB (0xAARRGGBB, rows top to bottom) with the hot spot at
/// (hotX, hotY). The pixels are copied. Null handle (and a log line) when the size is not 1 to 256, the pixels are
/// fewer than width x height or the hot spot lies outside the image.
CursorHandle CreateCursorFromArgb(int width, int height, std::span<const uint32_t> argb, int hotX, int hotY);

/// Frees a cursor made by CreateCursorFromArgb; a cursor in use is first replaced by the arrow. False for system
/// cursors and unknown handles.
bool DestroyCursor(CursorHandle cursor);

/// Makes the cursor current and returns the previous one; null hides the pointer. An unknown handle changes
/// nothing.
CursorHandle SetCursor(CursorHandle cursor);
CursorHandle GetCursor();

/// Adds 1 (show) or -1 (hide) to the display counter and returns it; the pointer is visible while the counter is
/// 0 or more and a cursor is set.
int ShowCursor(bool show);

} // namespace Platform
