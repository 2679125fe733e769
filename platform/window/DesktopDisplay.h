#pragma once

#include "platform/window/WindowMessage.h"

#include <cstdint>
#include <optional>
#include <vector>

namespace Platform {

/// What the screen-mode code asks of the desktop, and the screen saver. Queries start SDL video when needed and
/// answer empty (or false) when it cannot start; VideoError() of VideoSystem.h says why. Main thread only.

struct DisplayMode {
    int width = 0;
    int height = 0;
    int bitsPerPixel = 0; // storage bits as the system counts them: 32 for 8-bit channels, 16 for 555 and 565
    int refreshRate = 0;  // Hz; 0 when the system does not say
    uint32_t redMask = 0; // channel masks of the pixel format
    uint32_t greenMask = 0;
    uint32_t blueMask = 0;
    friend bool operator==(const DisplayMode&, const DisplayMode&) = default;
};

/// The mode of the desktop (first display).
std::optional<DisplayMode> GetDesktopMode();

/// The modes the first display offers for full screen.
std::vector<DisplayMode> ListDisplayModes();

/// Whether the first display offers a full-screen mode of exactly this size.
bool HasDisplayMode(int width, int height);

/// The part of the desktop not covered by panels and task bars, in screen coordinates.
std::optional<WindowRect> GetWorkArea();

/// Allows or refuses the screen saver (and display power-off) while the program runs. SDL refuses it from the
/// start of video on, so a program that never calls this keeps the screen on.
void AllowScreenSaver(bool allow);
bool IsScreenSaverAllowed();

} // namespace Platform
