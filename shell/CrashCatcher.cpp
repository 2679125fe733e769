#include "shell/CrashCatcher.h"

#include "platform/files/FileSystem.h"
#include "platform/process/MachineContext.h"
#include "platform/process/SignalSafeText.h"
#include "platform/window/MessageBox.h"
#include "shell/PyxoAppBase.h"

#include <cxxabi.h>
#include <dlfcn.h>
#include <fcntl.h>
#include <link.h>
#include <signal.h>
#include <spawn.h>
#include <sys/mman.h>
#include <sys/uio.h>
#include <sys/utsname.h>
#include <unistd.h>
#include <unwind.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <span>
#include <vector>

extern char** environ;

namespace Pyxo {

std::atomic<PyxoAppBase*> gCrashCatcherApp{nullptr};

namespace {

using Platform::SignalSafeText;

constexpr int kSignals[] = {SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT};
constexpr size_t kSignalCount = std::size(kSignals);
constexpr size_t kReportSize = 128 * 1024;
constexpr size_t kAltStackSize = 256 * 1024;
constexpr size_t kDemangleSize = 16 * 1024;
constexpr int kMaxFrames = 64;
constexpr size_t kMaxEnvironment = 1024;
constexpr unsigned kWatchdogSeconds = 10;
// A segmentation fault this close to the stack pointer ran off the end of the stack.
constexpr uint64_t kStackOverflowReach = 64 * 1024;
// How the crashed process hands the notice to the fresh one.
constexpr const char* kReportVariable = "ILVANE_CRASH_REPORT=";
constexpr const char* kTitleVariable = "ILVANE_CRASH_TITLE=";
constexpr const char* kFirstMessage = "An unexpected error has occured!";

struct ExceptionRow {
    uint32_t code;
    const char* name;
};

constexpr ExceptionRow kExceptions[] = {
    {0x40000005, "Segment Notification"},
    {0x80000003, "Breakpoint"},
    {0x80000004, "Single step"},
    {0x00000000, "Wait 0"},
    {0x00000080, "Abandoned Wait 0"},
    {0x000000C0, "User APC"},
    {0x00000102, "Timeout"},
    {0x00000103, "Pending"},
    {0x80000001, "Guard Page Violation"},
    {0x80000002, "Data Type Misalignment"},
    {0xC0000005, "Access Violation"},
    {0xC0000006, "In Page Error"},
    {0xC0000017, "No Memory"},
    {0xC000001D, "Illegal Instruction"},
    {0xC0000025, "Noncontinuable Exception"},
    {0xC0000026, "Invalid Disposition"},
    {0xC000008C, "Array Bounds Exceeded"},
    {0xC000008D, "Float Denormal Operand"},
    {0xC000008E, "Divide by Zero"},
    {0xC000008F, "Float Inexact Result"},
    {0xC0000090, "Float Invalid Operation"},
    {0xC0000091, "Float Overflow"},
    {0xC0000092, "Float Stack Check"},
    {0xC0000093, "Float Underflow"},
    {0xC0000094, "Integer Divide by Zero"},
    {0xC0000095, "Integer Overflow"},
    {0xC0000096, "Privileged Instruction"},
    {0xC00000FD, "Stack Overflow"},
    {0xC000013A, "Ctrl+C Exit"},
};

struct Frame {
    uint64_t pc = 0;
    uint64_t frame = 0; // the canonical frame address
    bool exact = false; // pc is the interrupted instruction, not a return address
};

/// Everything the handler needs, reserved before any crash: nothing is allocated once a signal arrives.
struct CatcherState {
    bool installed = false;
    struct sigaction previous[kSignalCount] = {};
    stack_t previousStack = {};
    void* altStack = nullptr;
    size_t altStackSize = 0;
    char* demangled = nullptr; // malloc'd: the demangler may grow it
    size_t demangledSize = 0;
    std::atomic<pid_t> reportingThread{0};
    char report[kReportSize] = {};
    char title[64] = {};
    char module[PATH_MAX] = {};
    char executable[PATH_MAX] = {};
    char folder[PATH_MAX] = {};
    char reportVariable[PATH_MAX + 64] = {};
    char titleVariable[128] = {};
    char* environment[kMaxEnvironment + 3] = {};
    Frame frames[kMaxFrames] = {};
};

constinit CatcherState gState;

/// The program's path, read once (readlink is a plain system call).
const char* ExecutablePath()
{
    if (gState.executable[0] == '\0') {
        const ssize_t length = readlink("/proc/self/exe", gState.executable, sizeof gState.executable - 1);
        gState.executable[length > 0 ? length : 0] = '\0';
    }
    return gState.executable;
}

void WriteAll(int fd, std::string_view text)
{
    while (!text.empty()) {
        const ssize_t written = write(fd, text.data(), text.size());
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return;
        text.remove_prefix(static_cast<size_t>(written));
    }
}

std::string_view FileNamePart(const char* path)
{
    const char* slash = std::strrchr(path, '/');
    return slash ? slash + 1 : path;
}

/// A readable name for a symbol: demangled into the reserved buffer, or the symbol as it stands.
const char* DisplayName(const char* symbol)
{
    if (std::strncmp(symbol, "_Z", 2) != 0 || !gState.demangled)
        return symbol;
    int status = -1;
    size_t size = gState.demangledSize;
    char* result = abi::__cxa_demangle(symbol, gState.demangled, &size, &status);
    if (status != 0 || !result)
        return symbol;
    if (result != gState.demangled) { // grown by the demangler
        gState.demangled = result;
        gState.demangledSize = size;
    }
    return result;
}

struct Walk {
    Frame* frames;
    int count = 0;
    bool full = false;
};

_Unwind_Reason_Code CollectFrame(_Unwind_Context* context, void* argument)
{
    auto& walk = *static_cast<Walk*>(argument);
    if (walk.count >= kMaxFrames) {
        walk.full = true;
        return _URC_END_OF_STACK;
    }
    int beforeInstruction = 0;
    Frame& frame = walk.frames[walk.count++];
    frame.pc = _Unwind_GetIPInfo(context, &beforeInstruction);
    frame.frame = _Unwind_GetCFA(context);
    frame.exact = beforeInstruction != 0;
    return _URC_NO_REASON;
}

/// Reads memory that may not be there, without faulting.
bool ReadMemory(uint64_t address, void* out, size_t size)
{
    iovec local{out, size};
    iovec remote{reinterpret_cast<void*>(address), size};
    return process_vm_readv(getpid(), &local, 1, &remote, 1, 0) == static_cast<ssize_t>(size);
}

void AppendLogicalAddress(SignalSafeText& out, uint64_t address, char* module, size_t moduleSize)
{
    uint32_t segment = 0;
    uint64_t offset = 0;
    if (!CrashCatcher::GetLogicalAddress(address, module, moduleSize, segment, offset))
        module[0] = '\0';
    out.AppendHex(segment, 4).Append(':').AppendHex(offset, 8).Append(' ').Append(module);
}

/// The walk of the unwinder, from the interrupted frame on; false when it did not reach that frame.
bool AppendUnwoundStack(SignalSafeText& out, const Platform::MachineContext& machine)
{
    Walk walk{gState.frames};
    const _Unwind_Reason_Code reason = _Unwind_Backtrace(CollectFrame, &walk);
    int first = 0;
    while (first < walk.count && walk.frames[first].pc != machine.pc)
        ++first;
    if (first == walk.count)
        return false;
    for (int i = first; i < walk.count; ++i) {
        const Frame& frame = walk.frames[i];
        if (frame.pc == 0)
            break; // the outermost frame's caller
        out.AppendHex(frame.frame, 16).Append(' ').AppendHex(frame.pc, 16).Append(' ');
        // A return address may lie just past its function (a call that never returns): look up the call.
        const uint64_t lookup = frame.exact || frame.pc == 0 ? frame.pc : frame.pc - 1;
        Dl_info info{};
        if (dladdr(reinterpret_cast<void*>(lookup), &info) != 0 && info.dli_sname && info.dli_saddr) {
            out.Append(DisplayName(info.dli_sname))
                .Append("+")
                .AppendHex(frame.pc - reinterpret_cast<uint64_t>(info.dli_saddr));
        } else {
            AppendLogicalAddress(out, frame.pc, gState.module, sizeof gState.module);
        }
        out.Append("\r\n");
    }
    if (reason != _URC_END_OF_STACK && !walk.full)
        out.Append("StackWalk failed (error ").AppendDecimal(reason).Append(")\r\n");
    return true;
}

/// The walk along the saved frame pointers, for code the unwinder cannot cross (a jump to a bad address).
void AppendFramePointerStack(SignalSafeText& out, const Platform::MachineContext& machine)
{
    uint64_t pc = machine.pc;
    uint64_t frame = machine.fp;
    for (int i = 0; i < kMaxFrames; ++i) {
        out.AppendHex(pc, 16).Append("  ").AppendHex(frame, 16).Append("  ");
        AppendLogicalAddress(out, pc, gState.module, sizeof gState.module);
        out.Append("\r\n");
        uint64_t saved[2] = {}; // the caller's frame pointer, then the return address
        if (!ReadMemory(frame, saved, sizeof saved) || saved[0] % sizeof(void*) != 0 || saved[0] <= frame)
            break;
        frame = saved[0];
        pc = saved[1];
    }
}

void AppendSystem(SignalSafeText& out)
{
    utsname system{};
    if (uname(&system) != 0) {
        out.Append("System Ver: unknown\r\n");
        return;
    }
    out.Append("System Ver: ").Append(system.sysname).Append(' ').Append(system.release).Append(' ');
    out.Append(system.version).Append(' ').Append(system.machine).Append("\r\n");
}

/// Starts the fresh process that shows the notice: this program again, told by its environment what to show.
void StartNoticeProcess()
{
    if (!getcwd(gState.folder, sizeof gState.folder))
        gState.folder[0] = '\0';
    SignalSafeText report(gState.reportVariable, sizeof gState.reportVariable);
    report.Append(kReportVariable).Append(gState.folder).Append('/').Append(CrashCatcher::kReportFileName);
    SignalSafeText title(gState.titleVariable, sizeof gState.titleVariable);
    title.Append(kTitleVariable).Append(gState.title);

    size_t count = 0;
    for (char** entry = environ; entry && *entry && count < kMaxEnvironment; ++entry) {
        if (std::strncmp(*entry, kReportVariable, std::strlen(kReportVariable)) != 0 &&
            std::strncmp(*entry, kTitleVariable, std::strlen(kTitleVariable)) != 0)
            gState.environment[count++] = *entry;
    }
    gState.environment[count++] = gState.reportVariable;
    gState.environment[count++] = gState.titleVariable;
    gState.environment[count] = nullptr;

    char* arguments[] = {gState.executable, nullptr};
    pid_t child = 0;
    // posix_spawn starts the child without the fork handlers that would take the allocator's locks.
    posix_spawn(&child, "/proc/self/exe", nullptr, nullptr, arguments, gState.environment);
}

void WriteReport(int signal, const siginfo_t* info, const void* context, pid_t thread)
{
    SignalSafeText text(gState.report, sizeof gState.report);
    const Platform::MachineContext machine = Platform::ReadMachineContext(context);
    const uint64_t faultAddress = info ? reinterpret_cast<uint64_t>(info->si_addr) : 0;
    const uint32_t code = CrashCatcher::ExceptionCodeOf(signal, info ? info->si_code : 0, faultAddress, machine.sp);
    CrashCatcher::AppendExceptionLine(text, code, machine.pc, static_cast<uint64_t>(thread));

    uint32_t segment = 0;
    uint64_t offset = 0;
    if (CrashCatcher::GetLogicalAddress(machine.pc, gState.module, sizeof gState.module, segment, offset))
        text.Append("Module: ").Append(gState.module).Append("\r\n");
    else
        text.Append("Module: unknown\r\n");
    text.Append("Logical Address: ").AppendHex(segment, 4).Append(':').AppendHex(offset, 8).Append("\r\n\r\n");
    SignalSafeText title(gState.title, sizeof gState.title);
    title.Append("Exception at ").AppendHex(segment, 4).Append(':').AppendHex(offset, 8);

    const size_t stackStart = text.Size();
    // A jump to an address that is not mapped leaves nothing the unwinder can read there: it would fault inside
    // the handler, where the signal is blocked. The frame pointers are read without faulting.
    uint8_t instruction = 0;
    if (!ReadMemory(machine.pc, &instruction, sizeof instruction) || !AppendUnwoundStack(text, machine)) {
        text.Truncate(stackStart);
        AppendFramePointerStack(text, machine);
    }
    text.Append("\r\n");
    Platform::AppendRegisters(context, text);
    text.Append("\r\n");
    AppendSystem(text);

    const int fd = open(CrashCatcher::kReportFileName, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd >= 0) {
        WriteAll(fd, text.View());
        // Last, with everything else on disk: the application formats its text on the heap, which the crash may
        // have left locked or broken; the watchdog ends the process should that hang.
        if (PyxoAppBase* app = gCrashCatcherApp.load()) {
            const std::string appInfo = app->GetAppInfoText();
            if (!appInfo.empty()) {
                WriteAll(fd, "\r\n");
                WriteAll(fd, appInfo);
            }
        }
        WriteAll(fd, "\r\n");
        close(fd);
    }
    StartNoticeProcess();
}

/// Ends the process by the signal: its default action, once this handler returns (a fault would repeat anyway).
void EndBySignal(int signal)
{
    struct sigaction standard {};
    standard.sa_handler = SIG_DFL;
    sigemptyset(&standard.sa_mask);
    sigaction(signal, &standard, nullptr);
    raise(signal);
}

void HandleSignal(int signal, siginfo_t* info, void* context)
{
    const pid_t self = gettid();
    pid_t reporting = 0;
    if (!gState.reportingThread.compare_exchange_strong(reporting, self)) {
        if (reporting == self) { // the report itself failed: no second one
            EndBySignal(signal);
            return;
        }
        for (;;) // another thread is reporting; it ends the process
            pause();
    }
    alarm(kWatchdogSeconds);
    WriteReport(signal, info, context, self);
    EndBySignal(signal);
}

int FindSegment(dl_phdr_info* info, size_t, void* argument);

struct SegmentSearch {
    uint64_t address = 0;
    const char* module = nullptr;
    uint32_t segment = 0;
    uint64_t offset = 0;
};

int FindSegment(dl_phdr_info* info, size_t, void* argument)
{
    auto& search = *static_cast<SegmentSearch*>(argument);
    uint32_t loadable = 0;
    for (int i = 0; i < info->dlpi_phnum; ++i) {
        const ElfW(Phdr)& header = info->dlpi_phdr[i];
        if (header.p_type != PT_LOAD)
            continue;
        ++loadable;
        const uint64_t start = info->dlpi_addr + header.p_vaddr;
        if (search.address >= start && search.address - start < header.p_memsz) {
            search.module = info->dlpi_name;
            search.segment = loadable;
            search.offset = search.address - start;
            return 1;
        }
    }
    return 0;
}

/// A process started by a crash shows the notice and ends, before anything else of the program runs.
void RunAsNoticeProcess()
{
    const char* report = std::getenv("ILVANE_CRASH_REPORT");
    if (!report)
        return;
    const char* title = std::getenv("ILVANE_CRASH_TITLE");
    const std::string path = report;
    std::vector<uint8_t> bytes;
    if (Platform::ReadWholeFile(path, bytes)) {
        std::string text(bytes.begin(), bytes.end());
        const std::string before = text;
        CrashCatcher::ApplyMapFile(text);
        if (text != before)
            Platform::WriteFileAtomic(path, std::span(reinterpret_cast<const uint8_t*>(text.data()), text.size()));
    }
    CrashCatcher::ShowErrorDialog(title ? title : "", path);
    _exit(0);
}

const bool gNoticeProcessChecked = (RunAsNoticeProcess(), true);

} // namespace

uint32_t CrashCatcher::ExceptionCodeOf(int signal, int signalCode, uint64_t faultAddress, uint64_t stackPointer)
{
    switch (signal) {
    case SIGSEGV: {
        const uint64_t distance =
            faultAddress > stackPointer ? faultAddress - stackPointer : stackPointer - faultAddress;
        return faultAddress != 0 && distance < kStackOverflowReach ? 0xC00000FD : 0xC0000005;
    }
    case SIGBUS:
        return signalCode == BUS_ADRALN ? 0x80000002 : 0xC0000006;
    case SIGILL:
        return signalCode == ILL_PRVOPC || signalCode == ILL_PRVREG ? 0xC0000096 : 0xC000001D;
    case SIGFPE:
        switch (signalCode) {
        case FPE_INTDIV:
            return 0xC0000094;
        case FPE_INTOVF:
            return 0xC0000095;
        case FPE_FLTDIV:
            return 0xC000008E;
        case FPE_FLTOVF:
            return 0xC0000091;
        case FPE_FLTUND:
            return 0xC0000093;
        case FPE_FLTRES:
            return 0xC000008F;
        case FPE_FLTINV:
            return 0xC0000090;
        case FPE_FLTSUB:
            return 0xC000008C;
        default:
            break;
        }
        break;
    default:
        break;
    }
    return kSignalCodeBase + static_cast<uint32_t>(signal);
}

const char* CrashCatcher::ExceptionName(uint32_t code)
{
    for (const ExceptionRow& row : kExceptions) {
        if (row.code == code)
            return row.name;
    }
    return nullptr;
}

void CrashCatcher::AppendExceptionLine(SignalSafeText& out, uint32_t code, uint64_t address, uint64_t thread)
{
    if (const char* name = ExceptionName(code))
        out.Append("Exception: ").Append(name).Append(" (code 0x");
    else
        out.Append("Unknown exception: (code 0x");
    out.AppendLowerHex(code).Append(") at address ").AppendHex(address, 16).Append(" in thread ");
    out.AppendHex(thread).Append("\r\n");
}

bool CrashCatcher::GetLogicalAddress(uint64_t address, char* moduleName, size_t moduleNameSize, uint32_t& segment,
                                     uint64_t& offset)
{
    SegmentSearch search;
    search.address = address;
    if (dl_iterate_phdr(FindSegment, &search) == 0)
        return false;
    // The program itself has no name among the loaded objects.
    const char* path = search.module && search.module[0] != '\0' ? search.module : ExecutablePath();
    SignalSafeText name(moduleName, moduleNameSize);
    name.Append(FileNamePart(path));
    segment = search.segment;
    offset = search.offset;
    return true;
}

void CrashCatcher::Install()
{
    if (gState.installed)
        return;
    ExecutablePath();
    gState.demangled = static_cast<char*>(std::malloc(kDemangleSize));
    gState.demangledSize = gState.demangled ? kDemangleSize : 0;

    // The first use of the unwinder and of the loader's lookups may allocate: it happens here, not in a crash.
    Walk warmUp{gState.frames};
    _Unwind_Backtrace(CollectFrame, &warmUp);
    Dl_info info{};
    dladdr(reinterpret_cast<void*>(&CrashCatcher::Install), &info);
    uint32_t segment = 0;
    uint64_t offset = 0;
    GetLogicalAddress(reinterpret_cast<uint64_t>(&CrashCatcher::Install), gState.module, sizeof gState.module, segment,
                      offset);

    const long minimum = sysconf(_SC_SIGSTKSZ);
    gState.altStackSize = std::max(kAltStackSize, minimum > 0 ? static_cast<size_t>(minimum) : size_t{0});
    gState.altStack = mmap(nullptr, gState.altStackSize, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (gState.altStack == MAP_FAILED) {
        gState.altStack = nullptr;
    } else {
        stack_t stack{};
        stack.ss_sp = gState.altStack;
        stack.ss_size = gState.altStackSize;
        sigaltstack(&stack, &gState.previousStack);
    }

    struct sigaction action {};
    action.sa_sigaction = HandleSignal;
    action.sa_flags = SA_SIGINFO | SA_ONSTACK;
    // While one of them is reported, the others wait: a fault inside the report ends the process at once.
    sigemptyset(&action.sa_mask);
    for (int signal : kSignals)
        sigaddset(&action.sa_mask, signal);
    for (size_t i = 0; i < kSignalCount; ++i)
        sigaction(kSignals[i], &action, &gState.previous[i]);
    gState.installed = true;
}

void CrashCatcher::Uninstall()
{
    if (!gState.installed)
        return;
    for (size_t i = 0; i < kSignalCount; ++i)
        sigaction(kSignals[i], &gState.previous[i], nullptr);
    if (gState.altStack) {
        sigaltstack(&gState.previousStack, nullptr);
        munmap(gState.altStack, gState.altStackSize);
        gState.altStack = nullptr;
    }
    std::free(gState.demangled);
    gState.demangled = nullptr;
    gState.demangledSize = 0;
    gState.installed = false;
}

bool CrashCatcher::IsInstalled()
{
    return gState.installed;
}

void CrashCatcher::ShowErrorDialog(const std::string& errorTitle, const std::string& reportPath)
{
    const std::string text =
        std::string(kFirstMessage) + "\n\n" + errorTitle + "\n\nThe crash report is in " + reportPath + ".";
    if (Platform::ShowStandaloneMessageBox(text, "Fatal Error!"))
        return;
    const std::string line = "Fatal Error! " + std::string(kFirstMessage) + " " + errorTitle +
                             ". The crash report is in " + reportPath + ".\n";
    WriteAll(STDERR_FILENO, line);
}

} // namespace Pyxo
