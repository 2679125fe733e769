#include "engine/EngineLog.h"

#include "platform/log/Log.h"

#include <cstdarg>

void EngineLog(const char* format, ...)
{
    va_list arguments;
    va_start(arguments, format);
    Platform::LogV(Platform::LogLevel::Debug, "engine", format, arguments);
    va_end(arguments);
}

void EngineContentWarning(const char* format, ...)
{
    va_list arguments;
    va_start(arguments, format);
    Platform::LogV(Platform::LogLevel::Warning, kContentLogArea, format, arguments);
    va_end(arguments);
}
