// Reading a settings file of many keys: the time must not depend on the order the file lists them in.
#include "platform/registry/RegistryKeyNode.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>

namespace {

// A stored key with `count` sub-keys of one value each, listed in ascending or descending order.
std::string SettingsText(int count, bool descending)
{
    std::string text = "REGISTRY 1\nkey\n";
    char line[64];
    for (int i = 0; i < count; ++i) {
        const int n = descending ? count - 1 - i : i;
        std::snprintf(line, sizeof line, "key \"Key%06d\"\nvalue \"Level\" dword %d\n", n, n);
        text += line;
    }
    text += "end\n";
    return text;
}

void BM_ParseRegistryKey(benchmark::State& state)
{
    const int count = int(state.range(0));
    const std::string text = SettingsText(count, state.range(1) != 0);
    for (auto _ : state) {
        auto key = Platform::ParseRegistryKey(text);
        if (!key || key->subKeys.size() != size_t(count)) {
            state.SkipWithError("the text did not parse");
            break;
        }
        benchmark::DoNotOptimize(key);
    }
    state.SetItemsProcessed(state.iterations() * count);
    state.SetBytesProcessed(state.iterations() * int64_t(text.size()));
}
BENCHMARK(BM_ParseRegistryKey)
    ->ArgNames({"keys", "descending"})
    ->ArgsProduct({{1000, 60000}, {0, 1}})
    ->Unit(benchmark::kMillisecond);

} // namespace
