#pragma once

// Standard error redirected into a temporary file for the lifetime of the object, so that a test can see what a
// library (or the default log sink) printed there.
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace PlatformTest {

class CapturedStderr {
public:
    CapturedStderr()
    {
        std::fflush(stderr);
        char name[] = "/tmp/ilvane-stderr-XXXXXX";
        mFile = ::mkstemp(name);
        ::unlink(name);
        mSaved = ::dup(STDERR_FILENO);
        ::dup2(mFile, STDERR_FILENO);
    }
    ~CapturedStderr() { Restore(); }
    CapturedStderr(const CapturedStderr&) = delete;
    CapturedStderr& operator=(const CapturedStderr&) = delete;

    /// Puts standard error back and returns everything written meanwhile.
    std::string Text()
    {
        Restore();
        std::string text;
        char chunk[4096];
        ::lseek(mFile, 0, SEEK_SET);
        for (ssize_t got; (got = ::read(mFile, chunk, sizeof chunk)) > 0;)
            text.append(chunk, size_t(got));
        return text;
    }

private:
    void Restore()
    {
        if (mSaved < 0)
            return;
        std::fflush(stderr);
        ::dup2(mSaved, STDERR_FILENO);
        ::close(mSaved);
        mSaved = -1;
    }

    int mFile = -1;
    int mSaved = -1;
};

} // namespace PlatformTest
