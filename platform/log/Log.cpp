#include "platform/log/Log.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <vector>

namespace Platform {
namespace {

std::mutex& SinkMutex()
{
    static std::mutex mutex;
    return mutex;
}

LogSink& CurrentSink()
{
    static LogSink sink;
    return sink;
}

const char* LevelName(LogLevel level)
{
    switch (level) {
    case LogLevel::Debug:
        return "debug";
    case LogLevel::Info:
        return "info";
    case LogLevel::Warning:
        return "warning";
    case LogLevel::Error:
        return "error";
    }
    return "?";
}

// Debug entries are meant for developers: the default sink shows them only when ILVANE_LOG_DEBUG is set (to
// anything but "0"), so that a player's terminal stays quiet.
bool ShowsDebugOnStderr()
{
    static const bool shows = [] {
        const char* value = std::getenv("ILVANE_LOG_DEBUG");
        return value != nullptr && value[0] != 0 && std::strcmp(value, "0") != 0;
    }();
    return shows;
}

} // namespace

LogSink SetLogSink(LogSink sink)
{
    std::lock_guard lock(SinkMutex());
    LogSink previous = std::move(CurrentSink());
    CurrentSink() = std::move(sink);
    return previous;
}

void LogV(LogLevel level, const char* area, const char* format, va_list args)
{
    if (level == LogLevel::Debug && !ShowsDebugOnStderr()) {
        std::lock_guard lock(SinkMutex());
        if (!CurrentSink())
            return;
    }
    va_list measure;
    va_copy(measure, args);
    const int length = std::vsnprintf(nullptr, 0, format, measure);
    va_end(measure);
    std::string text;
    if (length > 0) {
        std::vector<char> buffer(static_cast<size_t>(length) + 1);
        std::vsnprintf(buffer.data(), buffer.size(), format, args);
        text.assign(buffer.data(), static_cast<size_t>(length));
    }

    std::lock_guard lock(SinkMutex());
    if (CurrentSink())
        CurrentSink()(level, area, text);
    else if (level != LogLevel::Debug || ShowsDebugOnStderr())
        std::fprintf(stderr, "[%s] %s: %s\n", LevelName(level), area, text.c_str());
}

void Log(LogLevel level, const char* area, const char* format, ...)
{
    va_list args;
    va_start(args, format);
    LogV(level, area, format, args);
    va_end(args);
}

} // namespace Platform
