#include "platform/window/VideoSystem.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>

namespace {

using namespace Platform;

TEST(VideoSystem, ADriverNobodySeesCountsAsNoDisplayUnlessChosen)
{
    struct Case {
        const char* chosen;
        const char* current;
        bool unseen;
    };
    const Case cases[] = {
        {nullptr, "offscreen", true}, {"", "offscreen", true},           {nullptr, "dummy", true},
        {"dummy", "dummy", false},    {"offscreen", "offscreen", false}, {nullptr, "x11", false},
        {nullptr, "wayland", false},  {nullptr, nullptr, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.chosen ? c.chosen : "(unset)") + " / " + (c.current ? c.current : "(none)"));
        EXPECT_EQ(IsUnseenFallback(c.chosen, c.current), c.unseen);
    }
}

/// Sets or unsets an environment variable for the lifetime of the object.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const char* value) : mName(name)
    {
        if (const char* old = std::getenv(name))
            mOld = old;
        if (value)
            setenv(name, value, 1);
        else
            unsetenv(name);
    }
    ~ScopedEnv()
    {
        if (mOld)
            setenv(mName, mOld->c_str(), 1);
        else
            unsetenv(mName);
    }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    const char* mName;
    std::optional<std::string> mOld;
};

// Without a display and without a driver chosen, video does not start on a driver that shows nothing.
TEST(VideoSystem, WithoutADisplayVideoDoesNotStartOffScreen)
{
    ShutdownVideo();
    {
        const ScopedEnv driver("SDL_VIDEODRIVER", nullptr);
        const ScopedEnv display("DISPLAY", nullptr);
        const ScopedEnv wayland("WAYLAND_DISPLAY", nullptr);
        if (EnsureVideo()) {
            const std::string current = SDL_GetCurrentVideoDriver();
            EXPECT_NE(current, "offscreen");
            EXPECT_NE(current, "dummy");
        } else {
            EXPECT_FALSE(VideoRunning());
            EXPECT_FALSE(VideoError().empty());
        }
        ShutdownVideo();
    }
    ASSERT_TRUE(EnsureVideo()) << "the chosen dummy driver starts again";
    EXPECT_STREQ(SDL_GetCurrentVideoDriver(), "dummy");
}

} // namespace
