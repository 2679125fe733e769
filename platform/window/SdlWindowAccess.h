#pragma once

#include "platform/window/WindowMessage.h"

#include <cstdint>

struct SDL_Window;

namespace Platform {

/// For the other stand-ins under platform/ that draw into our windows (the display presents through an SDL
/// renderer on it). Main thread only.

/// The SDL window behind a handle; null for an unknown window, a window without screen presence, or one whose
/// SDL window went with a stop of SDL video.
SDL_Window* SdlWindowOf(WindowHandle window);

/// Our window for an SDL window id; null when none.
WindowHandle WindowOfSdlId(uint32_t sdlWindowId);

} // namespace Platform
