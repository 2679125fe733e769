#pragma once

#include "engine/EngineLog.h"

#include <atomic>

/// Marks a body whose behaviour a later piece of work writes: the first call at each place says so in the engine
/// log, and the body then does nothing (or the least its callers need). Remove it with the body it marks.
#define ENGINE_NOT_BUILT_YET()                                                                                         \
    do {                                                                                                               \
        static std::atomic<bool> reported{false};                                                                      \
        if (!reported.exchange(true))                                                                                  \
            EngineLog("not built yet: %s", __PRETTY_FUNCTION__);                                                       \
    } while (false)
