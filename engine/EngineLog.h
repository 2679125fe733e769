#pragma once

/// The engine's diagnostic log (particle-system checks, the z-order builder, over-clicked pick items, files that
/// could not be read): printf-style, written to the platform log at the debug level under the area "engine".
/// Tests read it with a sink of their own (platform/log/Log.h). Any thread.
void EngineLog(const char* format, ...) __attribute__((format(printf, 1, 2)));
