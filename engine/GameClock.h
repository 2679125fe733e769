#pragma once

/// The level's clock: game time advances only while the board steps, so a paused or hidden board freezes every
/// deadline on it at once (engine/TMCountdown.h). Main thread.

/// Seconds of game time; 0 at level start.
extern float gGameTime;
/// Seconds of the current board frame (the application's frame time / 1000), 0 while the board does not step.
extern float gFrameDelta;

/// gGameTime += gFrameDelta; once per board step.
void AdvanceGameTime();
/// gGameTime = 0, and every countdown expires.
void ResetGameTime();
