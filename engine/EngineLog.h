#pragma once

/// The engine's diagnostic log (particle-system checks, the z-order builder, over-clicked pick items, files that
/// could not be read): printf-style, written to the platform log at the debug level under the area "engine".
/// Tests read it with a sink of their own (platform/log/Log.h). Any thread.
void EngineLog(const char* format, ...) __attribute__((format(printf, 1, 2)));

/// The area of the content warnings in the platform log.
inline constexpr const char* kContentLogArea = "content";

/// A fault of the game's content rather than of the program: a missing texture, sound or configuration file, an id
/// that does not resolve, a refused animation file, a z-order or path-graph diagnostic, a level that does not load.
/// Written at the warning level under the area "content", so that a check can ask for a run without any. Any
/// thread.
void EngineContentWarning(const char* format, ...) __attribute__((format(printf, 1, 2)));
