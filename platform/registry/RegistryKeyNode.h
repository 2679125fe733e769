#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace Platform {

/// Registry value types, with the Windows numbers that stored data and callers use.
inline constexpr uint32_t REG_NONE = 0;
inline constexpr uint32_t REG_SZ = 1;
inline constexpr uint32_t REG_BINARY = 3;
inline constexpr uint32_t REG_DWORD = 4;

/// Orders names as the registry compares them: ASCII letters without regard to case.
struct RegistryNameLess {
    using is_transparent = void;
    bool operator()(std::string_view a, std::string_view b) const;
};
bool RegistryNameEqual(std::string_view a, std::string_view b);

/// One typed value: REG_DWORD (4 bytes, little-endian), REG_SZ (its characters, without the terminating zero) or
/// REG_BINARY.
struct RegistryValue {
    uint32_t type = 0;
    std::vector<uint8_t> data;
    bool operator==(const RegistryValue&) const = default;
};

/// A key with its named values and sub-keys. Names keep the spelling they were created with and are found
/// without regard to case. A plain value type: copying copies the whole tree.
struct RegistryKeyNode {
    std::string name; // empty for the key a file stores
    std::map<std::string, RegistryValue, RegistryNameLess> values;
    // Nodes rather than (name, node) pairs: a vector may hold an incomplete type, a pair may not.
    std::vector<RegistryKeyNode> subKeys; // sorted by name, RegistryNameLess

    RegistryKeyNode* FindSubKey(std::string_view name);
    const RegistryKeyNode* FindSubKey(std::string_view name) const;
    /// The sub-key of that name, created when missing; `created` tells which.
    RegistryKeyNode& SubKey(std::string_view name, bool* created = nullptr);

    bool operator==(const RegistryKeyNode&) const = default;
};

/// Limits that keep a damaged or hostile file from building an unbounded tree.
inline constexpr size_t kRegistryMaxKeyNameLength = 255;
inline constexpr size_t kRegistryMaxValueNameLength = 16383;
inline constexpr size_t kRegistryMaxDepth = 512;

/// The text form of a stored key: a header line, one "key" line per key (its path below the stored key as quoted
/// names) followed by its "value" lines, and an "end" line that proves the file is complete. Bytes outside
/// printable ASCII are written as \xHH, so the file stays plain text whatever the names hold:
///   REGISTRY 1
///   key
///   value "MusicVolume" dword 85
///   key "Test3D"
///   value "RuntimeError" sz "Clear: \x22bad\x22"
///   value "Blob" binary 00ff10
///   end
std::string SerializeRegistryKey(const RegistryKeyNode& key);
/// Nullopt when the text is not a complete, well-formed key (no partial result is ever returned).
std::optional<RegistryKeyNode> ParseRegistryKey(std::string_view text);

} // namespace Platform
