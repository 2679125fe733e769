#pragma once

#include <cstdint>
#include <string>

namespace Platform {

/// The video system under windows, cursors, the clipboard and the screen, started on first need. It is used from
/// the main thread only (Platform::IsMainThread); every function here that would touch it returns failure on any
/// other thread instead.

/// Starts SDL video unless it runs already. False off the main thread, and when video cannot start (no display,
/// unknown driver); VideoError() then says why. A failed start is tried again on the next call. A driver that
/// shows nothing (off screen, dummy) counts as no display unless it was chosen through SDL_VIDEODRIVER.
[[nodiscard]] bool EnsureVideo();

/// Whether SDL ended on a driver that nobody sees without its having been chosen (chosenDriver: the value of
/// SDL_VIDEODRIVER, null or empty when unset).
[[nodiscard]] bool IsUnseenFallback(const char* chosenDriver, const char* currentDriver);

/// The reason of the last failed EnsureVideo, empty when it succeeded.
std::string VideoError();

/// True while SDL video runs.
bool VideoRunning();

/// Counts successful starts, so that SDL objects made under an earlier start (which SDL freed when video
/// stopped) are recognised as gone.
uint32_t VideoGeneration();

/// True when nobody can see or answer anything on screen: the dummy video driver is in use, or is asked for.
bool IsHeadless();

/// Stops SDL video (main thread only). SDL frees every window and cursor it made; our handles then name
/// windows without a screen presence.
void ShutdownVideo();

} // namespace Platform
