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

// The opening that every call on a key shares: the registry's lock, held for the whole call; the handle
// resolved (a root or an open key); the access the call needs checked.
class KeyCall {
public:
    KeyCall(HKEY key, REGSAM needed) : mLock(State().mutex)
    {
        if (key == HKEY_CURRENT_USER || key == HKEY_LOCAL_MACHINE) {
            mRoot.root = key->root;
            mRoot.access = KEY_ALL_ACCESS;
            mKey = &mRoot;
        } else if (const auto it = State().open.find(key); it != State().open.end()) {
            mKey = it->second.get();
        }
        if (!mKey) {
            mStatus = ERROR_INVALID_HANDLE;
        } else if ((mKey->access & needed) != needed) {
            mStatus = ERROR_ACCESS_DENIED;
        }
    }

    /// ERROR_SUCCESS when the call may go on with Key().
    LONG Status() const { return mStatus; }
    const OpenKey& Key() const { return *mKey; }

private:
    std::lock_guard<std::mutex> mLock;
    OpenKey mRoot;
    const OpenKey* mKey = nullptr;
    LONG mStatus = ERROR_SUCCESS;
};

// The key at `where`, as stored; null when it is not there or keeps no values (the keys above the stored ones).
const RegistryKeyNode* FindNode(const Location& where)
{
    if (where.stored.empty()) {
        return nullptr;
    }
    const RegistryKeyNode* node = State().storage->Find(where.stored);
    for (auto name = where.inner.begin(); node && name != where.inner.end(); ++name) {
        node = node->FindSubKey(*name);
    }
    return node;
}

bool Exists(const Location& where)
{
    return where.kept && (where.aboveStored || FindNode(where));
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

const RegistryValue* FindValue(const OpenKey& key, const char* valueName)
{
    const RegistryKeyNode* node = FindNode(Locate(key.root, key.path));
    if (!node) {
        return nullptr;
    }
    const auto it = node->values.find(std::string_view(valueName ? valueName : ""));
    return it == node->values.end() ? nullptr : &it->second;
}

// The caller holds the lock and has checked the access.
LONG Query(const OpenKey& key, const char* valueName, DWORD flags, DWORD* type, void* data, DWORD* size)
{
    if (data && !size) {
        return ERROR_INVALID_PARAMETER;
    }
    const RegistryValue* value = FindValue(key, valueName);
    if (!value) {
        return ERROR_FILE_NOT_FOUND;
    }
    if (!(flags & (1u << value->type))) {
        return ERROR_UNSUPPORTED_TYPE;
    }
    // A text comes back with its terminating zero.
    const size_t length = value->data.size() + (value->type == REG_SZ ? 1 : 0);
    if (type) {
        *type = value->type;
    }
    if (data && *size < length) {
        *size = DWORD(length);
        return ERROR_MORE_DATA;
    }
    if (data && length > 0) {
        if (!value->data.empty()) {
            std::memcpy(data, value->data.data(), value->data.size());
        }
        if (value->type == REG_SZ) {
            static_cast<uint8_t*>(data)[value->data.size()] = 0;
        }
    }
    if (size) {
        *size = DWORD(length);
    }
    return ERROR_SUCCESS;
}

// Stores the stored key of `path` with `change` made to the key at `path`, which is created (with the keys
// above it) when missing. Callers call only for a real change: every call writes.
LONG Change(uint32_t root, const std::vector<std::string>& path, const std::function<void(RegistryKeyNode&)>& change)
{
    const Location where = Locate(root, path);
    if (where.stored.empty()) {
        return ERROR_ACCESS_DENIED; // outside SOFTWARE, or HKEY_CURRENT_USER and SOFTWARE themselves
    }
    const RegistryKeyNode* stored = State().storage->Find(where.stored);
    RegistryKeyNode top = stored ? *stored : RegistryKeyNode{};
    RegistryKeyNode* node = &top;
    for (const auto& name : where.inner) {
        node = &node->SubKey(name);
    }
    change(*node);
    return State().storage->Save(where.stored, std::move(top)) ? ERROR_SUCCESS : ERROR_CANTWRITE;
}

} // namespace

LONG RegOpenKeyExA(HKEY key, const char* subKey, DWORD /*options*/, REGSAM access, HKEY* result)
{
    if (!result) {
        return ERROR_INVALID_PARAMETER;
    }
    const KeyCall call(key, 0);
    if (call.Status() != ERROR_SUCCESS) {
        return call.Status();
    }
    std::vector<std::string> path = call.Key().path;
    if (!AppendSubKey(path, call.Key().root, subKey) || !Exists(Locate(call.Key().root, path))) {
        return ERROR_FILE_NOT_FOUND;
    }
    *result = MakeHandle(call.Key().root, std::move(path), access);
    return ERROR_SUCCESS;
}

LONG RegCreateKeyExA(HKEY key, const char* subKey, DWORD /*reserved*/, const char* /*keyClass*/, DWORD /*options*/,
                     REGSAM access, const void* /*security*/, HKEY* result, DWORD* disposition)
{
    if (!result) {
        return ERROR_INVALID_PARAMETER;
    }
    const KeyCall call(key, 0);
    if (call.Status() != ERROR_SUCCESS) {
        return call.Status();
    }
    std::vector<std::string> path = call.Key().path;
    if (!AppendSubKey(path, call.Key().root, subKey)) {
        return ERROR_INVALID_PARAMETER;
    }
    const Location where = Locate(call.Key().root, path);
    if (!where.kept) {
        return ERROR_ACCESS_DENIED;
    }
    const bool created = !Exists(where);
    if (created && Change(call.Key().root, path, [](RegistryKeyNode&) {}) != ERROR_SUCCESS) {
        return ERROR_CANTWRITE;
    }
    if (disposition) {
        *disposition = created ? REG_CREATED_NEW_KEY : REG_OPENED_EXISTING_KEY;
    }
    *result = MakeHandle(call.Key().root, std::move(path), access);
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

    const KeyCall call(key, KEY_SET_VALUE);
    if (call.Status() != ERROR_SUCCESS) {
        return call.Status();
    }
    // The same value again changes nothing, and writes nothing.
    if (const RegistryValue* stored = FindValue(call.Key(), valueName); stored && *stored == value) {
        return ERROR_SUCCESS;
    }
    return Change(call.Key().root, call.Key().path,
                  [&](RegistryKeyNode& node) { node.values[std::string(name)] = std::move(value); });
}

LONG RegQueryValueExA(HKEY key, const char* valueName, DWORD* /*reserved*/, DWORD* type, BYTE* data, DWORD* size)
{
    const KeyCall call(key, KEY_QUERY_VALUE);
    if (call.Status() != ERROR_SUCCESS) {
        return call.Status();
    }
    return Query(call.Key(), valueName, RRF_RT_ANY, type, data, size);
}

LONG RegGetValueA(HKEY key, const char* subKey, const char* valueName, DWORD flags, DWORD* type, void* data,
                  DWORD* size)
{
    if (!(flags & RRF_RT_ANY)) {
        return ERROR_INVALID_PARAMETER;
    }
    const KeyCall call(key, 0);
    if (call.Status() != ERROR_SUCCESS) {
        return call.Status();
    }
    OpenKey target;
    target.root = call.Key().root;
    target.path = call.Key().path;
    if (!AppendSubKey(target.path, target.root, subKey)) {
        return ERROR_FILE_NOT_FOUND;
    }
    return Query(target, valueName, flags & RRF_RT_ANY, type, data, size);
}

LONG RegDeleteValueA(HKEY key, const char* valueName)
{
    const KeyCall call(key, KEY_SET_VALUE);
    if (call.Status() != ERROR_SUCCESS) {
        return call.Status();
    }
    // Deleting what is not there must not write anything (nor replace a damaged file).
    if (!FindValue(call.Key(), valueName)) {
        return ERROR_FILE_NOT_FOUND;
    }
    return Change(call.Key().root, call.Key().path, [&](RegistryKeyNode& node) {
        node.values.erase(node.values.find(std::string_view(valueName ? valueName : "")));
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
