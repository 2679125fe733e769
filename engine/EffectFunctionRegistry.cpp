#include "engine/EffectFunctionRegistry.h"

#include <map>
#include <mutex>

namespace {

struct Entry {
    EffectFunction control = nullptr;
    EffectMessageFunction message = nullptr;
};

struct Registry {
    std::mutex lock;
    std::map<std::string, Entry, std::less<>> entries;
};

Registry& Functions()
{
    static Registry registry;
    return registry;
}

template <class Pick>
auto Find(std::string_view name, Pick pick)
{
    Registry& registry = Functions();
    const std::lock_guard guard(registry.lock);
    const auto found = registry.entries.find(name);
    return found != registry.entries.end() ? pick(found->second) : pick(Entry{});
}

} // namespace

void RegisterEffectFunction(std::string_view name, EffectFunction function)
{
    Registry& registry = Functions();
    const std::lock_guard guard(registry.lock);
    registry.entries[std::string(name)].control = function;
}

void RegisterEffectFunction(std::string_view name, EffectMessageFunction function)
{
    Registry& registry = Functions();
    const std::lock_guard guard(registry.lock);
    registry.entries[std::string(name)].message = function;
}

EffectFunction FindEffectFunction(std::string_view name)
{
    return Find(name, [](const Entry& entry) { return entry.control; });
}

EffectMessageFunction FindEffectMessageFunction(std::string_view name)
{
    return Find(name, [](const Entry& entry) { return entry.message; });
}

size_t EffectFunctionNameCount()
{
    Registry& registry = Functions();
    const std::lock_guard guard(registry.lock);
    return registry.entries.size();
}
