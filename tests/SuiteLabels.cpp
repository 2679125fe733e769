#include "tests/SuiteLabels.h"

#include <dlfcn.h>
#include <gtest/gtest.h>
#include <pthread.h>

#include <atomic>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define ILVANE_WATCH_THREADS 0
#else
#define ILVANE_WATCH_THREADS 1
#endif

namespace {

std::atomic<long> gThreadsStarted{0};

} // namespace

#if ILVANE_WATCH_THREADS
// Every thread of the test program, std::thread's included, starts here first.
extern "C" int pthread_create(pthread_t* thread, const pthread_attr_t* attributes, void* (*start)(void*),
                              void* argument)
{
    using Create = int (*)(pthread_t*, const pthread_attr_t*, void* (*)(void*), void*);
    static const Create real = reinterpret_cast<Create>(dlsym(RTLD_NEXT, "pthread_create"));
    gThreadsStarted.fetch_add(1);
    return real(thread, attributes, start, argument);
}
#endif

namespace TestSuiteLabels {

namespace {

// Filled during static initialisation, before main.
std::vector<std::pair<std::string, std::string>>& Marks()
{
    static std::vector<std::pair<std::string, std::string>> marks;
    return marks;
}

/// Whether a listed suite name ("Prefix/Suite", "Suite/0", "Suite") is the instance of a marked suite.
bool IsInstanceOf(std::string_view listed, std::string_view suite)
{
    std::size_t start = 0;
    while (start <= listed.size()) {
        const std::size_t end = std::min(listed.find('/', start), listed.size());
        if (listed.substr(start, end - start) == suite)
            return true;
        start = end + 1;
    }
    return false;
}

bool HasLabel(std::string_view listed, std::string_view label)
{
    for (const auto& [suite, mark] : Marks()) {
        if (mark == label && IsInstanceOf(listed, suite))
            return true;
    }
    return false;
}

std::vector<std::string>& UnmarkedThreadedSuites()
{
    static std::vector<std::string> suites;
    return suites;
}

class ThreadWatcher : public ::testing::EmptyTestEventListener {
    void OnTestSuiteStart(const ::testing::TestSuite& /*suite*/) override { mAtStart = gThreadsStarted.load(); }
    void OnTestSuiteEnd(const ::testing::TestSuite& suite) override
    {
        if (gThreadsStarted.load() != mAtStart && !HasLabel(suite.name(), "threads"))
            UnmarkedThreadedSuites().push_back(suite.name());
    }

    long mAtStart = 0;
};

} // namespace

void WatchThreads()
{
    if (ILVANE_WATCH_THREADS)
        ::testing::UnitTest::GetInstance()->listeners().Append(new ThreadWatcher);
}

int CheckThreads(int status)
{
    for (const std::string& suite : UnmarkedThreadedSuites()) {
        std::fprintf(stderr,
                     "%s starts a thread: mark it ILVANE_THREADED_SUITE(%s) beside its tests "
                     "(tests/SuiteLabels.h), so that it runs under ThreadSanitizer too\n",
                     suite.c_str(), suite.c_str());
        status = 1;
    }
    return status;
}

bool Add(const char* suite, const char* label)
{
    Marks().emplace_back(suite, label);
    return true;
}

bool ListIfAsked(int argc, char** argv, int* status)
{
    bool asked = false;
    for (int i = 1; i < argc; ++i)
        asked = asked || std::strcmp(argv[i], "--ilvane_list_suites") == 0;
    if (!asked)
        return false;

    const ::testing::UnitTest& unit = *::testing::UnitTest::GetInstance();
    std::vector<bool> used(Marks().size(), false);
    for (int s = 0; s < unit.total_test_suite_count(); ++s) {
        const ::testing::TestSuite& suite = *unit.GetTestSuite(s);
        const std::string_view name = suite.name();
        std::string labels;
        for (std::size_t m = 0; m < Marks().size(); ++m) {
            if (!IsInstanceOf(name, Marks()[m].first))
                continue;
            used[m] = true;
            if (labels.find(Marks()[m].second) == std::string::npos)
                labels += (labels.empty() ? "" : ",") + Marks()[m].second;
        }
        std::string cases;
        for (int t = 0; t < suite.total_test_count(); ++t) {
            const std::string_view test = suite.GetTestInfo(t)->name();
            if (!test.starts_with("DISABLED_"))
                cases += (cases.empty() ? "" : ",") + std::string(test);
        }
        if (!name.starts_with("DISABLED_") && !cases.empty())
            std::printf("%s\t%s\t%s\n", suite.name(), labels.c_str(), cases.c_str());
    }
    *status = 0;
    for (std::size_t m = 0; m < Marks().size(); ++m) {
        if (!used[m]) {
            std::fprintf(stderr, "a suite mark names no suite of this executable: %s (%s)\n", Marks()[m].first.c_str(),
                         Marks()[m].second.c_str());
            *status = 1;
        }
    }
    return true;
}

} // namespace TestSuiteLabels
