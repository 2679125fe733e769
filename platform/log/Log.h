#pragma once

#include <cstdarg>
#include <functional>
#include <string>

namespace Platform {

/// One log sink for the whole process. Diagnostics go to stderr unless a test or the application
/// installs another sink; there, debug entries (meant for developers) show only when the environment variable
/// ILVANE_LOG_DEBUG is set. Thread-safe.
enum class LogLevel { Debug, Info, Warning, Error };

using LogSink = std::function<void(LogLevel level, const char* area, const std::string& text)>;

/// Replaces the sink; an empty function restores stderr. Returns the previous sink.
LogSink SetLogSink(LogSink sink);

void Log(LogLevel level, const char* area, const char* format, ...) __attribute__((format(printf, 3, 4)));
void LogV(LogLevel level, const char* area, const char* format, va_list args);

} // namespace Platform

#define PLATFORM_LOG_WARNING(area, ...) ::Platform::Log(::Platform::LogLevel::Warning, area, __VA_ARGS__)
#define PLATFORM_LOG_ERROR(area, ...) ::Platform::Log(::Platform::LogLevel::Error, area, __VA_ARGS__)
