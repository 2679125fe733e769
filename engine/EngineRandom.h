#pragma once

/// The engine's random helpers. Both draw from the shell's 15-bit generator (shell/Random15.h: 0 to 32767), which
/// the engine seeds with the calendar time at start-up. Any thread.

/// a + (b - a) x draw / 32767: from a to b, both included.
[[nodiscard]] float RandFloatRange(float a, float b);

/// An integer from a to b, both included (callers pick one of n entries as RandInt(0, n - 1)). For b = a + 1 a
/// float draw / 32767 below 0.5 gives a, else b; otherwise draw % (b - a + 1) + a. An empty range (b below a)
/// gives a.
[[nodiscard]] int RandInt(int a, int b);
