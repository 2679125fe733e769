#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

/// Fuzzing entry points of the readers that take outside data: pack archives, the XML reader, the descriptor
/// reader (font descriptors), each image decoder, each sound decoder and the animation files. Each takes arbitrary
/// bytes and must neither crash nor read or write outside a buffer. The test command replays a corpus through them
/// (tests/data/fuzz/<name>/); libFuzzer drives them in an opt-in build.
namespace Fuzz {

using EntryPoint = void (*)(std::span<const uint8_t> data);

struct Target {
    const char* name; // also the corpus folder
    EntryPoint run;
};

/// Once per process: the log silenced and the JPEG-2000 codec loaded.
void Initialize();

std::span<const Target> Targets();
/// Null for an unknown name.
const Target* FindTarget(const char* name);

} // namespace Fuzz
