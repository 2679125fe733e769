// One libFuzzer executable per entry point; ILVANE_FUZZ_TARGET names it.
#include "fuzz/FuzzTargets.h"

#include <cstdio>
#include <cstdlib>

namespace {

const Fuzz::Target* gTarget = nullptr;

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    Fuzz::Initialize();
    gTarget = Fuzz::FindTarget(ILVANE_FUZZ_TARGET);
    if (gTarget == nullptr) {
        std::fprintf(stderr, "unknown fuzz target %s\n", ILVANE_FUZZ_TARGET);
        std::abort();
    }
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    gTarget->run(std::span<const uint8_t>(data, size));
    return 0;
}
