// The crash catcher: the exception lines and the signal mapping, the map-file annotation, the logical address
// of code, and whole crashes. A crash runs in a child process (this test program again, running only the child
// test below) in a scratch folder, which must leave a complete "crash.txt" there, end by its signal and have the
// notice printed by the fresh process that the catcher starts.
#include "shell/CrashCatcher.h"

#include "platform/process/SignalSafeText.h"
#include "shell/PyxoAppBase.h"
#include "tests/TestHelpers.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

extern char** environ;

// The crashes, with external linkage so that the report can name them; the sanitizers must not catch them first.
namespace CrashTestFunctions {

[[gnu::noinline, gnu::no_sanitize("address", "undefined")]] void WriteThroughNull()
{
    volatile int* volatile target = nullptr;
    *target = 1;
}

[[gnu::noinline, gnu::no_sanitize("address", "undefined")]] void DivideByZero()
{
    volatile int one = 1; // both read at run time: 1 / x alone compiles to a comparison
    volatile int zero = 0;
    volatile int result = one / zero;
    (void)result;
}

[[gnu::noinline]] void CallAbort()
{
    std::abort();
}

[[gnu::noinline, gnu::no_sanitize("address", "undefined")]] void JumpTo(uintptr_t address)
{
    void (*volatile function)() = reinterpret_cast<void (*)()>(address);
    function();
}

} // namespace CrashTestFunctions

namespace {

namespace fs = std::filesystem;

constexpr const char* kChildVariable = "ILVANE_CRASH_CHILD";

class CrashTestApp : public Pyxo::PyxoAppBase {
public:
    CrashTestApp()
    {
        mProductName = "Crash Test";
        mProductVersion = "2.5";
    }
};

// Runs only as the child of the crash tests below, which name the crash in the environment.
TEST(CrashCatcherChild, CrashesAsAsked)
{
    const char* kind = std::getenv(kChildVariable);
    if (!kind)
        GTEST_SKIP() << "runs only as the child of the crash tests";
    // No core file, wherever the system would put one.
    const rlimit noCore{0, 0};
    setrlimit(RLIMIT_CORE, &noCore);
    prctl(PR_SET_DUMPABLE, 0);

    CrashTestApp app;
    Pyxo::CrashCatcher::Install();
    const std::string crash = kind;
    if (crash == "null")
        CrashTestFunctions::WriteThroughNull();
    else if (crash == "divide")
        CrashTestFunctions::DivideByZero();
    else if (crash == "abort")
        CrashTestFunctions::CallAbort();
    else if (crash.rfind("jump ", 0) == 0)
        CrashTestFunctions::JumpTo(std::stoull(crash.substr(5), nullptr, 16));
    FAIL() << "no crash of kind " << crash;
}

struct ChildRun {
    int status = 0;
    std::string errors; // the child's stderr, the fresh process's included
    std::string report; // crash.txt
};

ChildRun RunCrashingChild(const std::string& kind, const fs::path& folder)
{
    std::vector<std::string> variables;
    std::string sanitizerOptions;
    for (char** entry = environ; *entry; ++entry) {
        const std::string variable = *entry;
        if (variable.rfind("ASAN_OPTIONS=", 0) == 0)
            sanitizerOptions = variable.substr(13) + ":";
        else if (variable.rfind(kChildVariable, 0) != 0)
            variables.push_back(variable);
    }
    variables.push_back(std::string(kChildVariable) + "=" + kind);
    // The address sanitizer has handlers of its own for these signals; the child's are the catcher's. Its leak
    // check would report what a crashed process never frees.
    variables.push_back("ASAN_OPTIONS=" + sanitizerOptions +
                        "handle_segv=0:handle_sigbus=0:handle_sigfpe=0:handle_sigill=0:handle_abort=0:detect_leaks=0");
    std::vector<char*> environment;
    for (std::string& variable : variables)
        environment.push_back(variable.data());
    environment.push_back(nullptr);

    std::string program = "/proc/self/exe";
    std::string filter = "--gtest_filter=CrashCatcherChild.CrashesAsAsked";
    char* arguments[] = {program.data(), filter.data(), nullptr};

    int pipeEnds[2];
    EXPECT_EQ(pipe2(pipeEnds, O_CLOEXEC), 0);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addchdir_np(&actions, folder.c_str());
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], STDERR_FILENO);
    pid_t child = 0;
    const int spawned = posix_spawn(&child, program.c_str(), &actions, nullptr, arguments, environment.data());
    posix_spawn_file_actions_destroy(&actions);
    close(pipeEnds[1]);
    EXPECT_EQ(spawned, 0);

    ChildRun run;
    // Read to the end: the fresh process that prints the notice holds the pipe too.
    char data[4096];
    for (ssize_t n; (n = read(pipeEnds[0], data, sizeof data)) != 0;) {
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            break;
        run.errors.append(data, static_cast<size_t>(n));
    }
    close(pipeEnds[0]);
    waitpid(child, &run.status, 0);
    // The child's own scratch folders outlive it: a crashed test program cleans nothing up.
    std::error_code ignored;
    fs::remove_all(fs::temp_directory_path() / ("ilvane-test-" + std::to_string(child)), ignored);

    std::ifstream file(folder / Pyxo::CrashCatcher::kReportFileName, std::ios::binary);
    run.report.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    return run;
}

struct CrashCase {
    const char* kind;
    int signal;
    const char* firstLine;
    bool withMapFile;
};

TEST(CrashCatcher, ACrashLeavesACompleteReportAndEndsByItsSignal)
{
    const CrashCase cases[] = {
        {"null", SIGSEGV, "Exception: Access Violation (code 0xc0000005) at address ", false},
        {"divide", SIGFPE, "Exception: Integer Divide by Zero (code 0xc0000094) at address ", false},
        {"abort", SIGABRT, "Unknown exception: (code 0xe0000006) at address ", false},
        {"null", SIGSEGV, "Exception: Access Violation (code 0xc0000005) at address ", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.kind) + (c.withMapFile ? " beside a map file" : ""));
        const TestHelpers::ScratchFolder scratch("crash");
        const fs::path& folder = scratch.Path();
        if (c.withMapFile) {
            // A symbol at the start of every segment: whatever segment the crash lies in gets a name.
            std::ofstream map(folder / "program.map");
            for (int segment = 1; segment <= 9; ++segment)
                map << " 000" << segment << ":00000000       _segment" << segment << "   00401000 f   x.obj\n";
        }

        const ChildRun run = RunCrashingChild(c.kind, folder);
        const std::string& report = run.report;
        ASSERT_TRUE(WIFSIGNALED(run.status)) << "status " << run.status << "\n" << run.errors;
        EXPECT_EQ(WTERMSIG(run.status), c.signal);

        EXPECT_EQ(report.rfind(c.firstLine, 0), 0u) << report;
        for (const char* second : {"\nException: ", "\nUnknown exception: "})
            EXPECT_EQ(report.find(second), std::string::npos) << "one report only";
        EXPECT_EQ(report.find("\r\r"), std::string::npos) << "carriage returns written once";
        for (size_t at = report.find('\n'); at != std::string::npos; at = report.find('\n', at + 1))
            ASSERT_TRUE(at > 0 && report[at - 1] == '\r') << "a bare line feed at " << at;
        for (const char* piece :
             {"\r\nModule: ", "\r\nLogical Address: ", "\r\n\r\n", "CrashTestFunctions::", "\r\nRIP:", "\r\nFlags:",
              "\r\nSystem Ver: ", "\r\n\r\nProduct: Crash Test\r\n", "\r\nVersion: 2.5\r\n", "\r\nTime Loaded: "})
            EXPECT_NE(report.find(piece), std::string::npos) << piece << "\n" << report;
        if (c.withMapFile) {
            EXPECT_NE(report.find("Logical Address: _segment"), std::string::npos) << report;
        }

        const std::string path = (folder / Pyxo::CrashCatcher::kReportFileName).string();
        EXPECT_NE(run.errors.find("Fatal Error!"), std::string::npos) << run.errors;
        EXPECT_NE(run.errors.find(path), std::string::npos) << run.errors;
        EXPECT_NE(run.errors.find("Exception at "), std::string::npos) << run.errors;
        EXPECT_EQ(run.errors.find("Sanitizer"), std::string::npos) << run.errors;
        EXPECT_EQ(run.errors.find("runtime error"), std::string::npos) << run.errors;
    }
}

TEST(CrashCatcher, AJumpToAnUnmappedAddressLeavesAReport)
{
    for (const char* address : {"10", "8", "deadbeef000"}) {
        SCOPED_TRACE(std::string("jump to 0x") + address);
        const TestHelpers::ScratchFolder scratch("crash");
        const ChildRun run = RunCrashingChild(std::string("jump ") + address, scratch.Path());
        ASSERT_TRUE(WIFSIGNALED(run.status)) << "status " << run.status << "\n" << run.errors;
        EXPECT_EQ(WTERMSIG(run.status), SIGSEGV);
        const std::string& report = run.report;
        EXPECT_EQ(report.rfind("Exception: Access Violation (code 0xc0000005) at address ", 0), 0u) << report;
        for (const char* piece :
             {"\r\nModule: unknown\r\n", "\r\nRIP:", "\r\nSystem Ver: ", "\r\nProduct: Crash Test\r\n"})
            EXPECT_NE(report.find(piece), std::string::npos) << piece << "\n" << report;
        EXPECT_NE(run.errors.find("Fatal Error!"), std::string::npos) << run.errors;
    }
}

TEST(CrashCatcher, SignalsMapToExceptionCodes)
{
    struct SignalCase {
        int signal;
        int code;
        uint64_t fault;
        uint32_t exception;
    };
    const uint64_t sp = 0x7FFF00010000;
    const SignalCase cases[] = {
        {SIGSEGV, SEGV_MAPERR, 0, 0xC0000005},       {SIGSEGV, SEGV_ACCERR, 0x1000, 0xC0000005},
        {SIGSEGV, SEGV_MAPERR, sp - 64, 0xC00000FD}, {SIGBUS, BUS_ADRALN, 0x1001, 0x80000002},
        {SIGBUS, BUS_ADRERR, 0x1000, 0xC0000006},    {SIGFPE, FPE_INTDIV, 0, 0xC0000094},
        {SIGFPE, FPE_INTOVF, 0, 0xC0000095},         {SIGFPE, FPE_FLTDIV, 0, 0xC000008E},
        {SIGFPE, FPE_FLTINV, 0, 0xC0000090},         {SIGILL, ILL_ILLOPC, 0, 0xC000001D},
        {SIGILL, ILL_PRVOPC, 0, 0xC0000096},         {SIGABRT, SI_TKILL, 0, 0xE0000006},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << "signal " << c.signal << " code " << c.code);
        EXPECT_EQ(Pyxo::CrashCatcher::ExceptionCodeOf(c.signal, c.code, c.fault, sp), c.exception);
    }
}

TEST(CrashCatcher, ExceptionLines)
{
    const struct {
        uint32_t code;
        const char* line;
    } cases[] = {
        {0xC0000005, "Exception: Access Violation (code 0xc0000005) at address 00000000004011A0 in thread 1F2\r\n"},
        {0x00000000, "Exception: Wait 0 (code 0x0) at address 00000000004011A0 in thread 1F2\r\n"},
        {0xC000013A, "Exception: Ctrl+C Exit (code 0xc000013a) at address 00000000004011A0 in thread 1F2\r\n"},
        {0xE06D7363, "Unknown exception: (code 0xe06d7363) at address 00000000004011A0 in thread 1F2\r\n"},
    };
    for (const auto& c : cases) {
        char buffer[256];
        Platform::SignalSafeText line(buffer, sizeof buffer);
        Pyxo::CrashCatcher::AppendExceptionLine(line, c.code, 0x4011A0, 0x1F2);
        EXPECT_EQ(line.View(), c.line);
    }
}

TEST(CrashCatcher, CodeLiesInALoadableSegmentOfThisProgram)
{
    char module[256];
    uint32_t segment = 0;
    uint64_t offset = 0;
    ASSERT_TRUE(Pyxo::CrashCatcher::GetLogicalAddress(reinterpret_cast<uint64_t>(&CrashTestFunctions::CallAbort),
                                                      module, sizeof module, segment, offset));
    EXPECT_STREQ(module, fs::read_symlink("/proc/self/exe").filename().c_str());
    EXPECT_GE(segment, 1u);
    EXPECT_FALSE(Pyxo::CrashCatcher::GetLogicalAddress(0x10, module, sizeof module, segment, offset));
}

const char* const kMapFile = " Address         Publics by Value              Rva+Base     Lib:Object\n"
                             "\n"
                             " 0001:00000010       _main   00401010 f   main.obj\n"
                             " 0001:00000100       _ZN4Pyxo11PyxoAppBase4InitEv   00401100 f   app.obj\n"
                             " 0003:00000020       _gTable   00403020     data.obj\n"
                             "\n"
                             "Line numbers for main.obj(c:\\src\\main.cpp) segment .text\n"
                             "\n"
                             "    12 0001:00000010    13 0001:00000014    15 0001:0000001C    16 0001:00000022\n";

struct MapCase {
    const char* name;
    const char* text;
    const char* annotated;
};

TEST(CrashCatcher, MapFilesNameTheLogicalAddresses)
{
    const MapCase cases[] = {
        {"inside a symbol, with its source line", "at 0001:00000018 ok",
         "at _main+0x8\r\n    c:\\src\\main.cpp line 13 +0x4 ok"},
        {"exactly a symbol", "0001:00000010", "_main\r\n    c:\\src\\main.cpp line 12 +0x0"},
        {"a decorated name", "0001:00000104", "Pyxo::PyxoAppBase::Init()+0x4\r\n    c:\\src\\main.cpp line 16 +0xE2"},
        {"above the last symbol", "0003:00FFFFFF", "_gTable+0xFFFFDF"},
        {"below the first symbol", "0001:00000008", "0001:00000008"},
        {"a section without symbols", "0002:00000018", "0002:00000018"},
        {"not an address", "Module: x\r\nEAX:00000001 CS:0023", "Module: x\r\nEAX:00000001 CS:0023"},
        {"cut off by the end of the text", "0001:0000001", "0001:0000001"},
        {"two in a row", "0001:00000011 0003:00000020", "_main+0x1\r\n    c:\\src\\main.cpp line 12 +0x1 _gTable"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::istringstream map(kMapFile);
        std::string text = c.text;
        Pyxo::CrashCatcher::ApplyMapFile(text, map);
        EXPECT_EQ(text, c.annotated);
    }
}

} // namespace
