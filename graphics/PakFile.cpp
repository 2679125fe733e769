#include "graphics/PakFile.h"

#include "platform/files/FileSystem.h"

#include <atomic>

namespace {

// The pack interface that every module of the process shares: one slot per process, set by the first interface
// made.
std::atomic<PakInterfaceBase*>& RegisteredPak()
{
    static std::atomic<PakInterfaceBase*> slot{nullptr};
    return slot;
}

} // namespace

PakInterfaceBase* GetPakInterface()
{
    return RegisteredPak().load(std::memory_order_acquire);
}

bool RegisterPakInterface(PakInterfaceBase* pak)
{
    PakInterfaceBase* expected = nullptr;
    return RegisteredPak().compare_exchange_strong(expected, pak, std::memory_order_acq_rel) || expected == pak;
}

void UnregisterPakInterface(PakInterfaceBase* pak)
{
    // Leaving a destroyed interface registered would hand every later open to freed memory.
    PakInterfaceBase* expected = pak;
    RegisteredPak().compare_exchange_strong(expected, nullptr, std::memory_order_acq_rel);
}

PakFileHandle* PakFOpen(const char* name, const char* mode)
{
    if (PakInterfaceBase* pak = GetPakInterface()) {
        return pak->FOpen(name, mode);
    }
    FILE* file = Platform::OpenFile(name, mode);
    if (file == nullptr) {
        return nullptr;
    }
    return new PakFileHandle{nullptr, 0, file};
}

int PakFClose(PakFileHandle* handle)
{
    if (PakInterfaceBase* pak = GetPakInterface()) {
        return pak->FClose(handle);
    }
    if (handle == nullptr) {
        return EOF;
    }
    const int result = handle->file != nullptr ? std::fclose(handle->file) : 0;
    delete handle;
    return result;
}

int PakFSeek(PakFileHandle* handle, long offset, int origin)
{
    if (PakInterfaceBase* pak = GetPakInterface()) {
        return pak->FSeek(handle, offset, origin);
    }
    return handle != nullptr && handle->file != nullptr ? std::fseek(handle->file, offset, origin) : -1;
}

long PakFTell(PakFileHandle* handle)
{
    if (PakInterfaceBase* pak = GetPakInterface()) {
        return pak->FTell(handle);
    }
    return handle != nullptr && handle->file != nullptr ? std::ftell(handle->file) : -1;
}

size_t PakFRead(void* buffer, size_t elementSize, size_t count, PakFileHandle* handle)
{
    if (PakInterfaceBase* pak = GetPakInterface()) {
        return pak->FRead(buffer, elementSize, count, handle);
    }
    return handle != nullptr && handle->file != nullptr ? std::fread(buffer, elementSize, count, handle->file) : 0;
}

int PakFGetC(PakFileHandle* handle)
{
    if (PakInterfaceBase* pak = GetPakInterface()) {
        return pak->FGetC(handle);
    }
    return handle != nullptr && handle->file != nullptr ? std::fgetc(handle->file) : EOF;
}

uint16_t PakFGetWC(PakFileHandle* handle)
{
    if (PakInterfaceBase* pak = GetPakInterface()) {
        return pak->FGetWC(handle);
    }
    return handle != nullptr && handle->file != nullptr ? PakStdioGetWC(handle->file) : 0xFFFF;
}

int PakUnGetC(int character, PakFileHandle* handle)
{
    if (PakInterfaceBase* pak = GetPakInterface()) {
        return pak->UnGetC(character, handle);
    }
    return handle != nullptr && handle->file != nullptr ? std::ungetc(character, handle->file) : EOF;
}

int PakFEof(PakFileHandle* handle)
{
    if (PakInterfaceBase* pak = GetPakInterface()) {
        return pak->FEof(handle);
    }
    return handle != nullptr && handle->file != nullptr ? std::feof(handle->file) : 1;
}
