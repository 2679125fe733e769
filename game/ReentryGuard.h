#pragma once

/// Holds an actor class's re-entry flag set for its scope: the animations a SetState plays may end at once and
/// call back into it.
class ReentryGuard {
public:
    explicit ReentryGuard(bool& flag) : mFlag(flag) { mFlag = true; }
    ~ReentryGuard() { mFlag = false; }
    ReentryGuard(const ReentryGuard&) = delete;
    ReentryGuard& operator=(const ReentryGuard&) = delete;

private:
    bool& mFlag;
};
