#include "platform/process/StandInLibrary.h"

#include "platform/j2kcodec/J2KCodec.h"

#include <algorithm>
#include <deque>
#include <mutex>
#include <string>

namespace Platform {

struct StandInLibrary {
    std::string name; // normalised
    StandInSymbolLookup lookup = nullptr;
    int loads = 0;
};

namespace {

ProcAddress J2KCodecLookup(std::string_view symbol)
{
    const std::string name(symbol);
    return reinterpret_cast<ProcAddress>(J2KCodecSymbol(name.c_str()));
}

struct Table {
    // The stand-ins this library itself provides are present from the start; others register theirs.
    Table() { rows.push_back({"j2k-codec", J2KCodecLookup, 0}); }

    std::mutex mutex;
    std::deque<StandInLibrary> rows; // a deque keeps the handles stable as rows are added
};

Table& TheTable()
{
    static Table table;
    return table;
}

std::string Normalise(std::string_view name)
{
    std::string result(name);
    std::transform(result.begin(), result.end(), result.begin(),
                   [](char c) { return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c; });
    if (result.size() > 4 && result.compare(result.size() - 4, 4, ".dll") == 0) {
        result.resize(result.size() - 4);
    }
    return result;
}

// The caller holds the lock.
StandInLibrary* Find(std::string_view normalised)
{
    for (auto& row : TheTable().rows) {
        if (row.name == normalised) {
            return &row;
        }
    }
    return nullptr;
}

bool IsRow(const StandInLibrary* module)
{
    return std::any_of(TheTable().rows.begin(), TheTable().rows.end(),
                       [module](const StandInLibrary& row) { return &row == module; });
}

} // namespace

bool RegisterStandInLibrary(std::string_view name, StandInSymbolLookup lookup)
{
    std::string normalised = Normalise(name);
    if (normalised.empty() || !lookup) {
        return false;
    }
    std::lock_guard lock(TheTable().mutex);
    if (StandInLibrary* row = Find(normalised)) {
        row->lookup = lookup;
        return true;
    }
    TheTable().rows.push_back({std::move(normalised), lookup, 0});
    return true;
}

HMODULE LoadLibrary(std::string_view name)
{
    const std::string normalised = Normalise(name);
    std::lock_guard lock(TheTable().mutex);
    StandInLibrary* row = normalised.empty() ? nullptr : Find(normalised);
    if (row) {
        ++row->loads;
    }
    return row;
}

HMODULE LoadLibraryA(const char* name)
{
    return name ? LoadLibrary(std::string_view(name)) : nullptr;
}

ProcAddress GetProcAddress(HMODULE module, const char* symbol)
{
    if (!module || !symbol) {
        return nullptr;
    }
    StandInSymbolLookup lookup = nullptr;
    {
        std::lock_guard lock(TheTable().mutex);
        if (!IsRow(module) || module->loads == 0) {
            return nullptr;
        }
        lookup = module->lookup;
    }
    return lookup(symbol);
}

bool FreeLibrary(HMODULE module)
{
    std::lock_guard lock(TheTable().mutex);
    if (!module || !IsRow(module) || module->loads == 0) {
        return false;
    }
    --module->loads;
    return true;
}

} // namespace Platform
