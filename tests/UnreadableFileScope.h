#pragma once

#include <linux/capability.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <filesystem>

namespace TestSupport {

/// Makes a file unreadable to the calling thread while the scope lives: its mode becomes 000 and, when the
/// thread may read past file modes (root), it drops that power from its effective set, to take it back at the
/// end. Capabilities are per thread, so other threads keep theirs. Writing into the file's folder still works.
class UnreadableFileScope {
public:
    explicit UnreadableFileScope(std::filesystem::path file) : mFile(std::move(file))
    {
        struct stat info {};
        if (::stat(mFile.c_str(), &info) == 0)
            mMode = info.st_mode & 07777;
        ::chmod(mFile.c_str(), 0);
        mHeader.version = _LINUX_CAPABILITY_VERSION_3;
        mHeader.pid = 0;
        if (::syscall(SYS_capget, &mHeader, mSaved) != 0)
            return;
        __user_cap_data_struct lowered[2] = {mSaved[0], mSaved[1]};
        lowered[0].effective &= ~((1u << CAP_DAC_OVERRIDE) | (1u << CAP_DAC_READ_SEARCH));
        mLowered = ::syscall(SYS_capset, &mHeader, lowered) == 0;
    }
    ~UnreadableFileScope()
    {
        if (mLowered)
            ::syscall(SYS_capset, &mHeader, mSaved);
        ::chmod(mFile.c_str(), mMode);
    }
    UnreadableFileScope(const UnreadableFileScope&) = delete;
    UnreadableFileScope& operator=(const UnreadableFileScope&) = delete;

private:
    std::filesystem::path mFile;
    mode_t mMode = 0644;
    __user_cap_header_struct mHeader{};
    __user_cap_data_struct mSaved[2]{};
    bool mLowered = false;
};

} // namespace TestSupport
