#include "platform/process/VersionLibrary.h"

#include "platform/process/StandInLibrary.h"

#include <cstring>
#include <filesystem>
#include <string>
#include <system_error>

#ifndef ILVANE_PRODUCT_VERSION
#define ILVANE_PRODUCT_VERSION "0.0"
#endif

namespace Platform {
namespace {

// The block: a 32-bit little-endian total length, then zero-terminated pairs of a key and its text, then an empty
// key. VerQueryValueA reads no further than the length, so a damaged block cannot make it run off.
constexpr const char* kProductVersionKeys[] = {"\\StringFileInfo\\040904B0\\ProductVersion",
                                               "\\StringFileInfo\\040904E4\\ProductVersion"};

/// The product version under both English string tables ("040904B0" and "040904E4").
std::string MakeVersionBlock(std::string_view productVersion)
{
    std::string pairs;
    for (const char* key : kProductVersionKeys) {
        pairs += key;
        pairs += '\0';
        pairs += productVersion;
        pairs += '\0';
    }
    pairs += '\0';
    const uint32_t total = uint32_t(pairs.size() + 4);
    std::string block;
    for (int i = 0; i < 4; ++i)
        block += char((total >> (8 * i)) & 0xFF);
    return block + pairs;
}

const std::string& ExecutableBlock()
{
    static const std::string block = MakeVersionBlock(ILVANE_PRODUCT_VERSION);
    return block;
}

bool IsRunningExecutable(const char* path)
{
    if (path == nullptr || path[0] == 0)
        return false;
    std::error_code error;
    return std::filesystem::equivalent(path, "/proc/self/exe", error) && !error;
}

uint32_t GetFileVersionInfoSizeA(const char* path, uint32_t* handle)
{
    if (handle != nullptr)
        *handle = 0;
    return IsRunningExecutable(path) ? uint32_t(ExecutableBlock().size()) : 0;
}

int GetFileVersionInfoA(const char* path, uint32_t /*handle*/, uint32_t length, void* data)
{
    const std::string& block = ExecutableBlock();
    if (data == nullptr || !IsRunningExecutable(path) || length < block.size())
        return 0;
    std::memcpy(data, block.data(), block.size());
    return 1;
}

int VerQueryValueA(const void* block, const char* subBlock, void** value, uint32_t* length)
{
    if (block == nullptr || subBlock == nullptr || value == nullptr || length == nullptr)
        return 0;
    const auto* bytes = static_cast<const char*>(block);
    uint32_t total = 0;
    for (int i = 0; i < 4; ++i)
        total |= uint32_t(static_cast<unsigned char>(bytes[i])) << (8 * i);
    const std::string_view data(bytes + 4, total >= 4 ? total - 4 : 0);
    for (size_t pos = 0; pos < data.size();) {
        const size_t keyEnd = data.find('\0', pos);
        if (keyEnd == std::string_view::npos || keyEnd == pos)
            return 0; // damaged, or the empty key that ends the block
        const size_t textEnd = data.find('\0', keyEnd + 1);
        if (textEnd == std::string_view::npos)
            return 0;
        if (data.substr(pos, keyEnd - pos) == subBlock) {
            *value = const_cast<char*>(data.data() + keyEnd + 1);
            *length = uint32_t(textEnd - keyEnd);
            return 1;
        }
        pos = textEnd + 1;
    }
    return 0;
}

ProcAddress LookUpVersion(std::string_view symbol)
{
    if (symbol == "GetFileVersionInfoSizeA")
        return reinterpret_cast<ProcAddress>(&GetFileVersionInfoSizeA);
    if (symbol == "GetFileVersionInfoA")
        return reinterpret_cast<ProcAddress>(&GetFileVersionInfoA);
    if (symbol == "VerQueryValueA")
        return reinterpret_cast<ProcAddress>(&VerQueryValueA);
    return nullptr;
}

} // namespace

void RegisterVersionLibrary()
{
    RegisterStandInLibrary("version", &LookUpVersion);
}

std::string_view StampedProductVersion()
{
    return ILVANE_PRODUCT_VERSION;
}

} // namespace Platform
