#pragma once

#include "platform/registry/RegistryKeyNode.h"

#include <cstdint>

namespace Platform {

class RegistryStorage;

/// The registry stand-in, in the Windows shape that the settings code is written against: open or create a key
/// below a root, set, query and delete typed values (REG_DWORD, REG_SZ, REG_BINARY), close the key. Key and value
/// names are found without regard to case. Only HKEY_CURRENT_USER\SOFTWARE is kept; each key two names below it
/// ("SOFTWARE\<maker>\<product>") is stored as a whole with its sub-keys (see FileRegistryStorage), and the keys
/// above that always exist. Thread-safe.
///
/// Results follow the Windows convention: ERROR_SUCCESS (0), else a positive error code.

using LONG = int32_t;
using DWORD = uint32_t;
using BYTE = uint8_t;
using REGSAM = uint32_t;

/// A key handle. Opened keys are made by the registry; the predefined roots are fixed objects.
struct RegistryKeyHandle {
    uint32_t root = 0;
};
using HKEY = RegistryKeyHandle*;

namespace RegistryRoots {
inline RegistryKeyHandle currentUser{0x80000001u};
inline RegistryKeyHandle localMachine{0x80000002u};
} // namespace RegistryRoots
inline constexpr HKEY HKEY_CURRENT_USER = &RegistryRoots::currentUser;
inline constexpr HKEY HKEY_LOCAL_MACHINE = &RegistryRoots::localMachine; // nothing is kept there

inline constexpr LONG ERROR_SUCCESS = 0;
inline constexpr LONG ERROR_FILE_NOT_FOUND = 2;
inline constexpr LONG ERROR_ACCESS_DENIED = 5;
inline constexpr LONG ERROR_INVALID_HANDLE = 6;
inline constexpr LONG ERROR_INVALID_PARAMETER = 87;
inline constexpr LONG ERROR_MORE_DATA = 234;
inline constexpr LONG ERROR_CANTWRITE = 1013;
inline constexpr LONG ERROR_UNSUPPORTED_TYPE = 1630;

inline constexpr REGSAM KEY_QUERY_VALUE = 0x0001;
inline constexpr REGSAM KEY_SET_VALUE = 0x0002;
inline constexpr REGSAM KEY_CREATE_SUB_KEY = 0x0004;
inline constexpr REGSAM KEY_ENUMERATE_SUB_KEYS = 0x0008;
inline constexpr REGSAM KEY_NOTIFY = 0x0010;
inline constexpr REGSAM KEY_READ = 0x20019;
inline constexpr REGSAM KEY_WRITE = 0x20006;
inline constexpr REGSAM KEY_ALL_ACCESS = 0xF003F;

inline constexpr DWORD REG_OPTION_NON_VOLATILE = 0;
inline constexpr DWORD REG_CREATED_NEW_KEY = 1;
inline constexpr DWORD REG_OPENED_EXISTING_KEY = 2;

/// Type filters of RegGetValueA: bit (1 << type).
inline constexpr DWORD RRF_RT_REG_SZ = 0x0002;
inline constexpr DWORD RRF_RT_REG_BINARY = 0x0008;
inline constexpr DWORD RRF_RT_REG_DWORD = 0x0010;
inline constexpr DWORD RRF_RT_ANY = 0xFFFF;

/// Largest value kept; a larger one is refused rather than stored.
inline constexpr DWORD kRegistryMaxValueSize = 1u << 20;

/// Opens an existing key; a null or empty `subKey` opens `key` itself again. ERROR_FILE_NOT_FOUND when missing.
LONG RegOpenKeyExA(HKEY key, const char* subKey, DWORD options, REGSAM access, HKEY* result);

/// Opens the key, creating it and every missing key above it. `keyClass` and `security` are ignored.
/// ERROR_ACCESS_DENIED outside HKEY_CURRENT_USER\SOFTWARE; ERROR_CANTWRITE when the new key cannot be stored.
LONG RegCreateKeyExA(HKEY key, const char* subKey, DWORD reserved, const char* keyClass, DWORD options, REGSAM access,
                     const void* security, HKEY* result, DWORD* disposition);

LONG RegCloseKey(HKEY key);

/// Stores a value (a null name is the key's default value) and saves at once, unless it equals the value already
/// stored. REG_DWORD takes exactly 4 bytes;
/// REG_SZ takes the characters up to the first zero or `size`, whichever comes first, so that a length given with
/// or without the terminating zero stores the same text. Needs KEY_SET_VALUE.
LONG RegSetValueExA(HKEY key, const char* valueName, DWORD reserved, DWORD type, const BYTE* data, DWORD size);

/// Windows semantics: `type`, `data` and `size` may each be null (not `size` alone when `data` is given). A REG_SZ
/// comes back with its terminating zero, counted in `size`. A buffer that is too small gives ERROR_MORE_DATA with
/// the size needed, and the buffer untouched. Needs KEY_QUERY_VALUE.
LONG RegQueryValueExA(HKEY key, const char* valueName, DWORD* reserved, DWORD* type, BYTE* data, DWORD* size);

/// Like RegQueryValueExA on `subKey` of `key`, but a value whose type `flags` does not allow fails with
/// ERROR_UNSUPPORTED_TYPE.
LONG RegGetValueA(HKEY key, const char* subKey, const char* valueName, DWORD flags, DWORD* type, void* data,
                  DWORD* size);

/// Needs KEY_SET_VALUE; ERROR_FILE_NOT_FOUND when there is no such value.
LONG RegDeleteValueA(HKEY key, const char* valueName);

/// Installs the storage for the whole process (nullptr restores the files under ConfigFolder()); returns the
/// previous one. The storage is borrowed: it must outlive its installation. Tests install a
/// MemoryRegistryStorage.
RegistryStorage* SetRegistryStorage(RegistryStorage* storage);

} // namespace Platform
