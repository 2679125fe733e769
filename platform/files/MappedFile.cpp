#include "platform/files/MappedFile.h"

#include "platform/files/FileSystem.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace Platform {

std::unique_ptr<MappedFile> MappedFile::Open(std::string_view path)
{
    const std::filesystem::path resolved = ResolvePath(path);
    // O_NONBLOCK so that a FIFO in the file's place cannot hang the open; only regular files are mapped.
    const int descriptor = ::open(resolved.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (descriptor < 0)
        return nullptr;
    struct stat info {};
    if (::fstat(descriptor, &info) != 0 || !S_ISREG(info.st_mode) || info.st_size < 0) {
        ::close(descriptor);
        return nullptr;
    }
    const size_t size = size_t(info.st_size);
    void* address = nullptr;
    if (size > 0) {
        address = ::mmap(nullptr, size, PROT_READ, MAP_PRIVATE, descriptor, 0);
        if (address == MAP_FAILED) {
            ::close(descriptor);
            return nullptr;
        }
    }
    return std::unique_ptr<MappedFile>(new MappedFile(descriptor, address, size));
}

MappedFile::~MappedFile()
{
    if (mAddress != nullptr)
        ::munmap(mAddress, mSize);
    if (mDescriptor >= 0)
        ::close(mDescriptor);
}

bool MappedFile::StillWhole() const
{
    struct stat info {};
    return ::fstat(mDescriptor, &info) == 0 && info.st_size >= 0 && size_t(info.st_size) >= mSize;
}

} // namespace Platform
