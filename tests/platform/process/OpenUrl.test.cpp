#include "platform/process/OpenUrl.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace fs = std::filesystem;

namespace {

// Puts a fake xdg-open first on PATH; it writes its argument count and arguments into a FIFO that the test reads.
class OpenUrlTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        mFolder = fs::path(std::getenv("XDG_RUNTIME_DIR")) / "open-url";
        fs::remove_all(mFolder);
        fs::create_directories(mFolder / "bin");
        mFifo = mFolder / "seen";
        ASSERT_EQ(::mkfifo(mFifo.c_str(), 0600), 0);
        // O_RDWR keeps the FIFO open at both ends, so opening it never blocks and the script's write never fails.
        mFd = ::open(mFifo.c_str(), O_RDWR | O_CLOEXEC);
        ASSERT_GE(mFd, 0);
        const char* path = std::getenv("PATH");
        mSavedPath = path ? path : "";
    }
    void TearDown() override
    {
        ::setenv("PATH", mSavedPath.c_str(), 1);
        if (mFd >= 0) {
            ::close(mFd);
        }
    }
    void InstallFakeHandler()
    {
        const fs::path script = mFolder / "bin" / "xdg-open";
        std::ofstream(script) << "#!/bin/sh\nprintf '%s|%s\\n' \"$#\" \"$1\" > '" << mFifo.string() << "'\n";
        fs::permissions(script, fs::perms::owner_all);
        ::setenv("PATH", (mFolder / "bin").c_str(), 1);
    }
    // Blocks until the handler has written its line; the bound only keeps a broken run from hanging.
    std::string ReadLine()
    {
        std::string line;
        char c = 0;
        while (true) {
            pollfd ready{mFd, POLLIN, 0};
            if (::poll(&ready, 1, 60'000) <= 0 || ::read(mFd, &c, 1) != 1 || c == '\n') {
                return line;
            }
            line += c;
        }
    }

    fs::path mFolder;
    fs::path mFifo;
    int mFd = -1;
    std::string mSavedPath;
};

TEST_F(OpenUrlTest, PassesTheUrlAsOneArgumentWithoutAShell)
{
    InstallFakeHandler();
    const std::string url = "https://example.com/a b?x=1&y='2';$(touch pwned)";
    ASSERT_TRUE(Platform::OpenUrl(url));
    EXPECT_EQ(ReadLine(), "1|" + url);
    EXPECT_FALSE(fs::exists(mFolder / "bin" / "pwned"));
}

TEST_F(OpenUrlTest, ReportsFailure)
{
    InstallFakeHandler();
    EXPECT_FALSE(Platform::OpenUrl("--help")) << "would be taken for an option";
    EXPECT_FALSE(Platform::OpenUrl(""));
    EXPECT_FALSE(Platform::OpenUrl(std::string("http://a\0b", 10)));

    ::setenv("PATH", (mFolder / "empty").c_str(), 1);
    EXPECT_FALSE(Platform::OpenUrl("https://example.com/")) << "no handler installed";
}

} // namespace
