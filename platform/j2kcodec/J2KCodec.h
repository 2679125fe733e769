#pragma once

#include <cstdint>

namespace Platform {

/// Stand-in for the JPEG-2000 codec library ("j2k-codec.dll") that the image reader loads by name: the same
/// entry points, implemented on openjpeg. Reached through J2KCodecSymbol, as a loaded library's entry points are.
/// Handles are independent: different threads may decode different handles at once.

/// Stream callbacks of J2K_OpenCustom, in this order. `seek` positions the stream `offset` bytes from its start
/// (0 on success); `read` returns the number of bytes it copied (0 at the end); `close` is called once, when
/// the handle is closed.
struct J2KStreamCallbacks {
    int (*seek)(void* user, int offset);
    int (*read)(void* buffer, int count, void* user);
    void (*close)(void* user);
};

/// Result codes: 0 is success.
enum J2KError : int {
    kJ2KOk = 0,
    kJ2KErrorArgument = 1, // a null handle or pointer, a buffer too small, an unknown option
    kJ2KErrorFormat = 2,   // neither a JPEG-2000 code stream nor a JP2 file
    kJ2KErrorDecode = 3,   // the data are damaged or use something the decoder does not handle
    kJ2KErrorTooLarge = 4, // the picture or the stream passes the codec's limits
    kJ2KErrorFile = 5,     // the file cannot be read
};

inline constexpr int kJ2KCodecVersion = 0x130000;

// The entry points (their exported names carry the Windows decoration, e.g. "_J2K_Decode@20").
using J2KGetVersionFn = int (*)();
using J2KOpenCustomFn = void* (*)(void* user, const J2KStreamCallbacks* callbacks);
using J2KOpenFileFn = void* (*)(const char* fileName);
using J2KCloseFn = void (*)(void* handle);
using J2KGetInfoFn = int (*)(void* handle, int* width, int* height, int* components);
/// Size of the picture at a resolution level (0 = full size, each level halves, rounding up).
using J2KGetResolutionDimensionsFn = int (*)(void* handle, int level, int* width, int* height);
/// Decodes into the caller's buffer (*buffer, *size bytes) as rows of *pitch bytes. Options, comma-separated:
/// "bpp=4" (bytes per pixel, 4 = B,G,R,A, i.e. little-endian 0xAARRGGBB; 3 = B,G,R) and "rl=N" (resolution level).
using J2KDecodeFn = int (*)(void* handle, unsigned char** buffer, int* size, const char* options, int* pitch);
/// The last result code of this thread.
using J2KGetLastErrorFn = int (*)();
using J2KGetErrorStrFn = const char* (*)(int code);

/// The entry point exported under `name` (decorated or plain, e.g. "_J2K_Decode@20" or "J2K_Decode"), or null.
void* J2KCodecSymbol(const char* name);

} // namespace Platform
