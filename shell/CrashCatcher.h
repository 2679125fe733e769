#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <istream>
#include <string>

namespace Platform {
class SignalSafeText;
} // namespace Platform

namespace Pyxo {

class PyxoAppBase;

/// The application the crash report asks for its information text; set at the end of the application object's
/// constructor and cleared by its destructor. Null: the report goes without it.
extern std::atomic<PyxoAppBase*> gCrashCatcherApp;

/// Turns a fatal signal anywhere in the process (SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT) into a plain-text crash
/// report, "crash.txt" in the current folder: what happened and where, a stack trace with demangled names, the
/// registers, the system and the application's information text. The handler runs on the faulting thread while
/// the others go on, so it only formats into buffers reserved at installation and writes with write(2); the one
/// exception is the application's text, asked for last, after everything else is on disk, under a watchdog
/// alarm. Then a fresh process of the same program shows the notice (or prints it to stderr when no display
/// exists) and annotates the report from a linker map file beside it, if there is one, and the crashed process
/// ends by its signal. Process-wide functions.
class CrashCatcher {
public:
    static constexpr const char* kReportFileName = "crash.txt";
    /// Signals without an exception of their own are reported as unknown exceptions with this code plus the
    /// signal number.
    static constexpr uint32_t kSignalCodeBase = 0xE0000000;

    /// Installs the handlers on an alternate signal stack of the calling thread (so that a stack overflow on it
    /// is reported too) and reserves the report's buffers. Calling it again changes nothing.
    static void Install();
    /// Puts the handlers and the signal stack back as they were.
    static void Uninstall();
    [[nodiscard]] static bool IsInstalled();

    /// The exception code of a signal: signalCode is the siginfo code, faultAddress the address it names and
    /// stackPointer the interrupted stack pointer (a fault just beside it is a stack overflow).
    [[nodiscard]] static uint32_t ExceptionCodeOf(int signal, int signalCode, uint64_t faultAddress,
                                                  uint64_t stackPointer);
    /// The name of an exception code; null for a code without one.
    [[nodiscard]] static const char* ExceptionName(uint32_t code);
    /// The report's first line, "\r\n" included.
    static void AppendExceptionLine(Platform::SignalSafeText& out, uint32_t code, uint64_t address, uint64_t thread);
    /// The module (file name, no folder) and its loadable segment that hold the address: segments count from 1 in
    /// the order of the module's program headers, the offset from the segment's start. False when no module
    /// holds it. Signal-safe as far as the dynamic loader's own lookups are.
    static bool GetLogicalAddress(uint64_t address, char* moduleName, size_t moduleNameSize, uint32_t& segment,
                                  uint64_t& offset);

    /// Replaces every logical address ("SSSS:OOOOOOOO", hexadecimal) in the text by the symbol and source line of
    /// the first "*.map" linker map file in the current folder; nothing without one.
    static void ApplyMapFile(std::string& text);
    /// The same with the map file's lines.
    static void ApplyMapFile(std::string& text, std::istream& mapFile);

    /// The notice that the program has crashed, with the error title and the report's path: a message box, or
    /// stderr without a display. Runs in the fresh process.
    static void ShowErrorDialog(const std::string& errorTitle, const std::string& reportPath);
};

} // namespace Pyxo
