#pragma once

#include <cstdint>
#include <string_view>

namespace Platform {

/// The "version" stand-in library: the version block of the running program's executable, which the build stamps
/// with the program's version, read as through the version-information calls. Any other file has no block.
/// Registered by RegisterVersionLibrary, before the first LoadLibrary("version.dll"). Thread-safe.
///
/// Entries, found by GetProcAddress under these names:
/// - "GetFileVersionInfoSizeA": the size of the file's block, 0 when it has none; *handle (when given) becomes 0.
/// - "GetFileVersionInfoA": copies the block into data when length holds it; non-zero on success.
/// - "VerQueryValueA": in a block, the zero-terminated text stored under subBlock (such as
///   "\StringFileInfo\040904B0\ProductVersion"): *value points into the block, *length counts its characters with
///   the terminating zero; non-zero when found.
using GetFileVersionInfoSizeAProc = uint32_t (*)(const char* path, uint32_t* handle);
using GetFileVersionInfoAProc = int (*)(const char* path, uint32_t handle, uint32_t length, void* data);
using VerQueryValueAProc = int (*)(const void* block, const char* subBlock, void** value, uint32_t* length);

void RegisterVersionLibrary();

/// The product version the build stamped into the block.
std::string_view StampedProductVersion();

} // namespace Platform
