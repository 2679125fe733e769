#pragma once

#include <cstdint>

namespace Platform {

class SignalSafeText;

/// The processor state that a signal interrupted, as the crash report needs it: where the program was (program
/// counter), its stack pointer and its frame pointer. All 0 on a processor whose context this layer cannot read.
struct MachineContext {
    uint64_t pc = 0;
    uint64_t sp = 0;
    uint64_t fp = 0;
};

/// From the context argument of an SA_SIGINFO signal handler. Signal-safe.
[[nodiscard]] MachineContext ReadMachineContext(const void* signalContext);

/// The registers of the context as report lines, each ending in "\r\n". Signal-safe.
void AppendRegisters(const void* signalContext, SignalSafeText& out);

} // namespace Platform
