#include "platform/registry/Registry.h"

#include "platform/registry/RegistryStorage.h"

#include <algorithm>
#include <cstring>
#include <functional>
#include <memory>
#include <mutex>
#include <string_view>
#include <unordered_map>

namespace Platform {
namespace {

constexpr size_t kStoredKeyDepth = 2; // "<maker>\<product>" below SOFTWARE

struct OpenKey : RegistryKeyHandle {
    std::vector<std::string> path; // below the root
    REGSAM access = 0;
};

struct RegistryState {
    std::mutex mutex;
    FileRegistryStorage files;
    RegistryStorage* storage = &files;
    std::unordered_map<const RegistryKeyHandle*, std::unique_ptr<OpenKey>> open;
};

RegistryState& State()
{
    static RegistryState state;
    return state;
}

// Where a key lives: which stored key holds it, and its names inside that stored key.
struct Location {
    bool kept = false;            // HKEY_CURRENT_USER, its SOFTWARE, or below that
    bool aboveStored = false;     // HKEY_CURRENT_USER, SOFTWARE or SOFTWARE\<maker>: always exists
    RegistryStoredKeyPath stored; // empty for HKEY_CURRENT_USER and SOFTWARE, which keep no values
    std::vector<std::string> inner;
};

Location Locate(uint32_t root, const std::vector<std::string>& path)
{
    Location where;
    if (root != HKEY_CURRENT_USER->root || (!path.empty() && !RegistryNameEqual(path[0], "SOFTWARE"))) {
        return where;
    }
    where.kept = true;
    where.aboveStored = path.size() < 1 + kStoredKeyDepth;
    if (path.size() > 1) {
        const auto storedEnd = path.begin() + long(std::min(path.size(), 1 + kStoredKeyDepth));
        where.stored.assign(path.begin() + 1, storedEnd);
        where.inner.assign(storedEnd, path.end());
    }
    return where;
}

bool ValidKeyName(const std::string& name, bool storedLevel)
{
    if (name.empty() || name.size() > kRegistryMaxKeyNameLength) {
        return false;
    }
    // Names of stored keys become folder names.
    return !storedLevel || (name != "." && name != ".." && name.find('/') == std::string::npos);
}

// Appends the names of `subKey` to `path`; false when a name is unusable or the path too deep.
bool AppendSubKey(std::vector<std::string>& path, uint32_t root, const char* subKey)
{
    if (!subKey) {
        return true;
    }
    std::string_view rest(subKey);
    while (!rest.empty()) {
        const size_t slash = rest.find('\\');
        const std::string_view name = rest.substr(0, slash);
        rest = slash == std::string_view::npos ? std::string_view() : rest.substr(slash + 1);
        if (name.empty()) {
            continue; // tolerate doubled or trailing separators
        }
        path.emplace_back(name);
        const bool storedLevel =
            root == HKEY_CURRENT_USER->root && path.size() >= 2 && path.size() <= 1 + kStoredKeyDepth;
        if (!ValidKeyName(path.back(), storedLevel) || path.size() > kRegistryMaxDepth) {
            return false;
        }
    }
    return true;
}

// The caller holds the lock. Null for a handle that is neither a root nor open.
const OpenKey* Resolve(HKEY key, OpenKey& rootScratch)
{
    if (key == HKEY_CURRENT_USER || key == HKEY_LOCAL_MACHINE) {
        rootScratch.root = key->root;
        rootScratch.path.clear();
        rootScratch.access = KEY_ALL_ACCESS;
        return &rootScratch;
    }
    auto& open = State().open;
    const auto it = open.find(key);
    return it == open.end() ? nullptr : it->second.get();
}

const RegistryKeyNode* Walk(const RegistryKeyNode& top, const std::vector<std::string>& names)
{
    const RegistryKeyNode* node = &top;
    for (const auto& name : names) {
        node = node->FindSubKey(name);
        if (!node) {
            return nullptr;
        }
    }
    return node;
}

HKEY MakeHandle(uint32_t root, std::vector<std::string> path, REGSAM access)
{
    auto key = std::make_unique<OpenKey>();
    key->root = root;
    key->path = std::move(path);
    key->access = access;
    HKEY handle = key.get();
    State().open.emplace(handle, std::move(key));
    return handle;
}

bool Exists(const Location& where)
{
    if (!where.kept) {
        return false;
    }
    if (where.aboveStored) {
        return true;
    }
    const auto stored = State().storage->Load(where.stored);
    return stored && Walk(*stored, where.inner);
}

std::vector<uint8_t> QueryBytes(const RegistryValue& value)
{
    std::vector<uint8_t> bytes = value.data;
    if (value.type == REG_SZ) {
        bytes.push_back(0);
    }
    return bytes;
}

// The caller holds the lock and has checked the access.
LONG Query(const OpenKey& key, const char* valueName, DWORD flags, DWORD* type, void* data, DWORD* size)
{
    if (data && !size) {
        return ERROR_INVALID_PARAMETER;
    }
    const Location where = Locate(key.root, key.path);
    if (where.stored.empty()) {
        return ERROR_FILE_NOT_FOUND;
    }
    const auto stored = State().storage->Load(where.stored);
    const RegistryKeyNode* node = stored ? Walk(*stored, where.inner) : nullptr;
    if (!node) {
        return ERROR_FILE_NOT_FOUND;
    }
    const auto it = node->values.find(std::string_view(valueName ? valueName : ""));
    if (it == node->values.end()) {
        return ERROR_FILE_NOT_FOUND;
    }
    if (!(flags & (1u << it->second.type))) {
        return ERROR_UNSUPPORTED_TYPE;
    }
    const std::vector<uint8_t> bytes = QueryBytes(it->second);
    if (type) {
        *type = it->second.type;
    }
    if (data && *size < bytes.size()) {
        *size = DWORD(bytes.size());
        return ERROR_MORE_DATA;
    }
    if (data && !bytes.empty()) {
        std::memcpy(data, bytes.data(), bytes.size());
    }
    if (size) {
        *size = DWORD(bytes.size());
    }
    return ERROR_SUCCESS;
}

// Loads the stored key of an opened key for a change, re-creating the path should it have vanished meanwhile.
LONG Modify(const OpenKey& key, const std::function<LONG(RegistryKeyNode&)>& change)
{
    const Location where = Locate(key.root, key.path);
    if (where.stored.empty()) {
        return ERROR_ACCESS_DENIED; // outside SOFTWARE, or HKEY_CURRENT_USER and SOFTWARE themselves
    }
    RegistryKeyNode top = State().storage->Load(where.stored).value_or(RegistryKeyNode{});
    RegistryKeyNode* node = &top;
    for (const auto& name : where.inner) {
        node = &node->SubKey(name);
    }
    if (const LONG result = change(*node); result != ERROR_SUCCESS) {
        return result;
    }
    return State().storage->Save(where.stored, top) ? ERROR_SUCCESS : ERROR_CANTWRITE;
}

} // namespace

LONG RegOpenKeyExA(HKEY key, const char* subKey, DWORD /*options*/, REGSAM access, HKEY* result)
{
    if (!result) {
        return ERROR_INVALID_PARAMETER;
    }
    std::lock_guard lock(State().mutex);
    OpenKey scratch;
    const OpenKey* parent = Resolve(key, scratch);
    if (!parent) {
        return ERROR_INVALID_HANDLE;
    }
    std::vector<std::string> path = parent->path;
    if (!AppendSubKey(path, parent->root, subKey)) {
        return ERROR_FILE_NOT_FOUND;
    }
    if (!Exists(Locate(parent->root, path))) {
        return ERROR_FILE_NOT_FOUND;
    }
    *result = MakeHandle(parent->root, std::move(path), access);
    return ERROR_SUCCESS;
}

LONG RegCreateKeyExA(HKEY key, const char* subKey, DWORD /*reserved*/, const char* /*keyClass*/, DWORD /*options*/,
                     REGSAM access, const void* /*security*/, HKEY* result, DWORD* disposition)
{
    if (!result) {
        return ERROR_INVALID_PARAMETER;
    }
    std::lock_guard lock(State().mutex);
    OpenKey scratch;
    const OpenKey* parent = Resolve(key, scratch);
    if (!parent) {
        return ERROR_INVALID_HANDLE;
    }
    std::vector<std::string> path = parent->path;
    if (!AppendSubKey(path, parent->root, subKey)) {
        return ERROR_INVALID_PARAMETER;
    }
    const Location where = Locate(parent->root, path);
    if (!where.kept) {
        return ERROR_ACCESS_DENIED;
    }
    bool created = false;
    if (!where.aboveStored) {
        std::optional<RegistryKeyNode> stored = State().storage->Load(where.stored);
        created = !stored;
        RegistryKeyNode top = stored ? std::move(*stored) : RegistryKeyNode{};
        RegistryKeyNode* node = &top;
        for (const auto& name : where.inner) {
            bool made = false;
            node = &node->SubKey(name, &made);
            created = created || made;
        }
        if (created && !State().storage->Save(where.stored, top)) {
            return ERROR_CANTWRITE;
        }
    }
    if (disposition) {
        *disposition = created ? REG_CREATED_NEW_KEY : REG_OPENED_EXISTING_KEY;
    }
    *result = MakeHandle(parent->root, std::move(path), access);
    return ERROR_SUCCESS;
}

LONG RegCloseKey(HKEY key)
{
    if (key == HKEY_CURRENT_USER || key == HKEY_LOCAL_MACHINE) {
        return ERROR_SUCCESS;
    }
    std::lock_guard lock(State().mutex);
    return State().open.erase(key) ? ERROR_SUCCESS : ERROR_INVALID_HANDLE;
}

LONG RegSetValueExA(HKEY key, const char* valueName, DWORD /*reserved*/, DWORD type, const BYTE* data, DWORD size)
{
    if ((!data && size > 0) || size > kRegistryMaxValueSize) {
        return ERROR_INVALID_PARAMETER;
    }
    const std::string_view name(valueName ? valueName : "");
    if (name.size() > kRegistryMaxValueNameLength) {
        return ERROR_INVALID_PARAMETER;
    }
    RegistryValue value;
    value.type = type;
    switch (type) {
    case REG_DWORD:
        if (size != 4) {
            return ERROR_INVALID_PARAMETER;
        }
        value.data.assign(data, data + 4);
        break;
    case REG_SZ:
        value.data.assign(data, std::find(data, data + size, BYTE{0}));
        break;
    case REG_BINARY:
        value.data.assign(data, data + size);
        break;
    default:
        return ERROR_INVALID_PARAMETER;
    }

    std::lock_guard lock(State().mutex);
    OpenKey scratch;
    const OpenKey* open = Resolve(key, scratch);
    if (!open) {
        return ERROR_INVALID_HANDLE;
    }
    if (!(open->access & KEY_SET_VALUE)) {
        return ERROR_ACCESS_DENIED;
    }
    return Modify(*open, [&](RegistryKeyNode& node) {
        node.values[std::string(name)] = std::move(value);
        return ERROR_SUCCESS;
    });
}

LONG RegQueryValueExA(HKEY key, const char* valueName, DWORD* /*reserved*/, DWORD* type, BYTE* data, DWORD* size)
{
    std::lock_guard lock(State().mutex);
    OpenKey scratch;
    const OpenKey* open = Resolve(key, scratch);
    if (!open) {
        return ERROR_INVALID_HANDLE;
    }
    if (!(open->access & KEY_QUERY_VALUE)) {
        return ERROR_ACCESS_DENIED;
    }
    return Query(*open, valueName, RRF_RT_ANY, type, data, size);
}

LONG RegGetValueA(HKEY key, const char* subKey, const char* valueName, DWORD flags, DWORD* type, void* data,
                  DWORD* size)
{
    if (!(flags & RRF_RT_ANY)) {
        return ERROR_INVALID_PARAMETER;
    }
    std::lock_guard lock(State().mutex);
    OpenKey scratch;
    const OpenKey* parent = Resolve(key, scratch);
    if (!parent) {
        return ERROR_INVALID_HANDLE;
    }
    OpenKey target;
    target.root = parent->root;
    target.path = parent->path;
    target.access = KEY_QUERY_VALUE;
    if (!AppendSubKey(target.path, target.root, subKey)) {
        return ERROR_FILE_NOT_FOUND;
    }
    return Query(target, valueName, flags & RRF_RT_ANY, type, data, size);
}

LONG RegDeleteValueA(HKEY key, const char* valueName)
{
    std::lock_guard lock(State().mutex);
    OpenKey scratch;
    const OpenKey* open = Resolve(key, scratch);
    if (!open) {
        return ERROR_INVALID_HANDLE;
    }
    if (!(open->access & KEY_SET_VALUE)) {
        return ERROR_ACCESS_DENIED;
    }
    // Deleting what is not there must not write anything (nor replace a damaged file).
    const Location where = Locate(open->root, open->path);
    if (where.stored.empty()) {
        return ERROR_FILE_NOT_FOUND;
    }
    const auto stored = State().storage->Load(where.stored);
    const RegistryKeyNode* node = stored ? Walk(*stored, where.inner) : nullptr;
    if (!node || !node->values.count(std::string_view(valueName ? valueName : ""))) {
        return ERROR_FILE_NOT_FOUND;
    }
    return Modify(*open, [&](RegistryKeyNode& changed) {
        changed.values.erase(changed.values.find(std::string_view(valueName ? valueName : "")));
        return ERROR_SUCCESS;
    });
}

RegistryStorage* SetRegistryStorage(RegistryStorage* storage)
{
    std::lock_guard lock(State().mutex);
    RegistryStorage* previous = State().storage;
    State().storage = storage ? storage : &State().files;
    return previous;
}

} // namespace Platform
