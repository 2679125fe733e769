#pragma once

// Marks that ctest reads from each test executable, written beside the suite they mark (at namespace scope in
// its .test.cpp file). Every suite runs as one ctest test, all its cases in one process, unless marked isolated.
//
//   ILVANE_THREADED_SUITE(Suite);  the suite's code starts a thread (the loading thread, the mixer, a fade worker,
//                                  the cursor thread, an HTTP transfer, a message box...): its test carries the
//                                  label "threads" and runs in the ThreadSanitizer build as well.
//   ILVANE_ISOLATED_SUITE(Suite);  each case needs a process of its own (it ends the process, or leaves state
//                                  behind that no fixture can reset): one ctest test per case, "Suite.Case".
//
// Suite is the name given to TEST/TEST_F/TEST_P; it also marks typed and parameterised instances of it
// ("Prefix/Suite", "Suite/0"). A mark that names no suite of its executable fails the test discovery, and the
// plain build's run fails for a suite that starts a thread without ILVANE_THREADED_SUITE.

#define ILVANE_SUITE_LABEL_CONCAT2(a, b) a##b
#define ILVANE_SUITE_LABEL_CONCAT(a, b) ILVANE_SUITE_LABEL_CONCAT2(a, b)
#define ILVANE_SUITE_LABEL(suite, label)                                                                               \
    [[maybe_unused]] static const bool ILVANE_SUITE_LABEL_CONCAT(ilvaneSuiteLabel, __LINE__) =                         \
        ::TestSuiteLabels::Add(#suite, label)
#define ILVANE_THREADED_SUITE(suite) ILVANE_SUITE_LABEL(suite, "threads")
#define ILVANE_ISOLATED_SUITE(suite) ILVANE_SUITE_LABEL(suite, "isolated")

namespace TestSuiteLabels {

/// Records the mark; returns true, for the static that holds it.
bool Add(const char* suite, const char* label);

/// With --ilvane_list_suites on the command line: prints one line per suite, "name<TAB>labels<TAB>cases" (labels
/// and cases comma-separated, disabled cases left out), and returns true; the caller then ends with *status
/// (1 when a mark names no suite).
bool ListIfAsked(int argc, char** argv, int* status);

/// Watches every suite for threads it starts (outside the sanitizer builds, which own thread creation): a suite
/// that starts one without the "threads" mark is reported at the end of the run, which then fails. Returns the
/// run's status, given RUN_ALL_TESTS's.
void WatchThreads();
int CheckThreads(int status);

} // namespace TestSuiteLabels
