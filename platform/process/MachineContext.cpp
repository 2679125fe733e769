#include "platform/process/MachineContext.h"

#include "platform/process/SignalSafeText.h"

#include <ucontext.h>

namespace Platform {

namespace {

#if defined(__x86_64__)

uint64_t Register(const ucontext_t& context, int index)
{
    return static_cast<uint64_t>(context.uc_mcontext.gregs[index]);
}

void AppendRegister(SignalSafeText& out, const char* name, uint64_t value, int digits = 16)
{
    out.Append(name).Append(':').AppendHex(value, digits);
}

#endif

} // namespace

MachineContext ReadMachineContext(const void* signalContext)
{
    MachineContext machine;
    if (!signalContext)
        return machine;
    const auto& context = *static_cast<const ucontext_t*>(signalContext);
#if defined(__x86_64__)
    machine.pc = Register(context, REG_RIP);
    machine.sp = Register(context, REG_RSP);
    machine.fp = Register(context, REG_RBP);
#elif defined(__aarch64__)
    machine.pc = context.uc_mcontext.pc;
    machine.sp = context.uc_mcontext.sp;
    machine.fp = context.uc_mcontext.regs[29];
#else
    (void)context;
#endif
    return machine;
}

void AppendRegisters(const void* signalContext, SignalSafeText& out)
{
    if (!signalContext) {
        out.Append("Registers: none\r\n");
        return;
    }
    const auto& context = *static_cast<const ucontext_t*>(signalContext);
#if defined(__x86_64__)
    const struct {
        const char* name;
        int index;
    } general[] = {{"RAX", REG_RAX}, {"RBX", REG_RBX}, {"RCX", REG_RCX}, {"RDX", REG_RDX}, {"RSI", REG_RSI},
                   {"RDI", REG_RDI}, {"R8", REG_R8},   {"R9", REG_R9},   {"R10", REG_R10}, {"R11", REG_R11},
                   {"R12", REG_R12}, {"R13", REG_R13}, {"R14", REG_R14}, {"R15", REG_R15}};
    for (size_t i = 0; i < sizeof general / sizeof general[0]; ++i) {
        AppendRegister(out, general[i].name, Register(context, general[i].index));
        out.Append(i == 5 || i == 13 ? "\r\n" : " ");
    }
    AppendRegister(out, "RIP", Register(context, REG_RIP));
    out.Append(' ');
    AppendRegister(out, "RSP", Register(context, REG_RSP));
    out.Append("  ");
    AppendRegister(out, "RBP", Register(context, REG_RBP));
    out.Append("\r\n");
    // One register holds the code segment and the two segment bases' selectors, then the stack segment.
    const uint64_t segments = Register(context, REG_CSGSFS);
    AppendRegister(out, "CS", segments & 0xFFFF, 4);
    out.Append(' ');
    AppendRegister(out, "SS", segments >> 48 & 0xFFFF, 4);
    out.Append(' ');
    AppendRegister(out, "FS", segments >> 32 & 0xFFFF, 4);
    out.Append(' ');
    AppendRegister(out, "GS", segments >> 16 & 0xFFFF, 4);
    out.Append("\r\n");
    AppendRegister(out, "Flags", Register(context, REG_EFL), 8);
    out.Append("\r\n");
#elif defined(__aarch64__)
    for (int i = 0; i < 31; ++i) {
        out.Append('X').AppendDecimal(i).Append(':').AppendHex(context.uc_mcontext.regs[i], 16);
        out.Append(i % 4 == 3 || i == 30 ? "\r\n" : " ");
    }
    out.Append("PC:").AppendHex(context.uc_mcontext.pc, 16).Append(" SP:").AppendHex(context.uc_mcontext.sp, 16);
    out.Append("\r\nFlags:").AppendHex(context.uc_mcontext.pstate, 8).Append("\r\n");
#else
    (void)context;
    out.Append("Registers: not read on this processor\r\n");
#endif
}

} // namespace Platform
