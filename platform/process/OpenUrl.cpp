#include "platform/process/OpenUrl.h"

#include "platform/log/Log.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string>

extern char** environ;

namespace Platform {
namespace {

// Searched before forking: the child may only make async-signal-safe calls, and execvp is not one.
std::string FindOnPath(const char* program)
{
    const char* path = std::getenv("PATH");
    std::string_view rest = path ? path : "/usr/local/bin:/usr/bin:/bin";
    while (true) {
        const size_t colon = rest.find(':');
        const std::string_view folder = rest.substr(0, colon);
        // An empty entry would mean the working directory: never run a program from there.
        if (!folder.empty() && folder.front() == '/') {
            std::string candidate = std::string(folder) + "/" + program;
            struct stat info {};
            if (::stat(candidate.c_str(), &info) == 0 && S_ISREG(info.st_mode) &&
                ::access(candidate.c_str(), X_OK) == 0) {
                return candidate;
            }
        }
        if (colon == std::string_view::npos) {
            return {};
        }
        rest = rest.substr(colon + 1);
    }
}

void WriteErrno(int fd, int error)
{
    // Nothing to do if this fails: the parent then sees a started handler.
    [[maybe_unused]] const ssize_t ignored = ::write(fd, &error, sizeof error);
}

} // namespace

bool OpenUrl(std::string_view url)
{
    const std::string text(url);
    if (text.empty() || text.front() == '-' || text.find('\0') != std::string::npos) {
        PLATFORM_LOG_WARNING("url", "refusing to open \"%s\"", text.c_str());
        return false;
    }
    const std::string program = FindOnPath("xdg-open");
    if (program.empty()) {
        PLATFORM_LOG_ERROR("url", "cannot open %s: xdg-open is not installed", text.c_str());
        return false;
    }
    char* const argv[] = {const_cast<char*>("xdg-open"), const_cast<char*>(text.c_str()), nullptr};

    // The grandchild reports a failed exec through this pipe; a successful exec closes it silently.
    int report[2];
    if (::pipe2(report, O_CLOEXEC) != 0) {
        PLATFORM_LOG_ERROR("url", "cannot open %s: %s", text.c_str(), std::strerror(errno));
        return false;
    }
    const pid_t child = ::fork();
    if (child < 0) {
        const int error = errno;
        ::close(report[0]);
        ::close(report[1]);
        PLATFORM_LOG_ERROR("url", "cannot open %s: %s", text.c_str(), std::strerror(error));
        return false;
    }
    if (child == 0) {
        // Fork twice, so that the handler is adopted by init and never left a zombie of ours.
        ::setsid();
        const pid_t grandchild = ::fork();
        if (grandchild == 0) {
            const int nullFd = ::open("/dev/null", O_RDONLY);
            if (nullFd >= 0) {
                ::dup2(nullFd, STDIN_FILENO);
                ::close(nullFd);
            }
            ::execve(program.c_str(), argv, environ);
            WriteErrno(report[1], errno);
            ::_exit(127);
        }
        if (grandchild < 0) {
            WriteErrno(report[1], errno);
        }
        ::_exit(0);
    }

    ::close(report[1]);
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    int error = 0;
    ssize_t got;
    do {
        got = ::read(report[0], &error, sizeof error);
    } while (got < 0 && errno == EINTR);
    ::close(report[0]);
    if (got == ssize_t(sizeof error)) {
        PLATFORM_LOG_ERROR("url", "cannot open %s: %s", text.c_str(), std::strerror(error));
        return false;
    }
    return true;
}

} // namespace Platform
