#include "shell/StrFormat.h"

#include "platform/log/Log.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace {

// Collects warnings, so that a test can see that a refused format was reported.
class CapturedLog {
public:
    CapturedLog()
    {
        mPrevious = Platform::SetLogSink([this](Platform::LogLevel level, const char*, const std::string& text) {
            if (level >= Platform::LogLevel::Warning) {
                mWarnings.push_back(text);
            }
        });
    }
    ~CapturedLog() { Platform::SetLogSink(std::move(mPrevious)); }
    const std::vector<std::string>& Warnings() const { return mWarnings; }

private:
    Platform::LogSink mPrevious;
    std::vector<std::string> mWarnings;
};

TEST(StrFormat, FormatsShortAndLongResultsWhole)
{
    EXPECT_EQ(Pyxo::StrFormat("%d.png", 12), "12.png");
    EXPECT_EQ(Pyxo::StrFormat("%02d:%02d:%02d", 1, 2, 3), "01:02:03");
    EXPECT_EQ(Pyxo::StrFormat("%s", ""), "");

    const std::string text(500, 'x');
    EXPECT_EQ(Pyxo::StrFormat("%s", text.c_str()), text);
    // Around the size of the first buffer.
    for (const size_t length : {158u, 159u, 160u, 161u}) {
        EXPECT_EQ(Pyxo::StrFormat("%s", std::string(length, 'y').c_str()).size(), length);
    }
}

TEST(StrFormat, CutsAResultBeyondTheLimit)
{
    CapturedLog log;
    EXPECT_EQ(Pyxo::StrFormat("%*d", static_cast<int>(Pyxo::kMaxFormattedLength), 7).size(), Pyxo::kMaxFormattedLength);
    EXPECT_TRUE(log.Warnings().empty());
    const std::string path(Pyxo::kMaxFormattedLength, 'p');
    const std::string cut = Pyxo::StrFormat("Failed to load image: %s", path.c_str());
    EXPECT_EQ(cut.size(), Pyxo::kMaxFormattedLength);
    EXPECT_EQ(cut.substr(0, 24), "Failed to load image: pp") << "the start of the message stays";
    EXPECT_EQ(log.Warnings().size(), 1u);
}

struct WideCase {
    const char* name;
    std::wstring result;
    std::wstring expected;
};

TEST(WStrFormat, FollowsTheWindowsRulesForText)
{
    const wchar_t surrogatePair[] = {0xD83D, 0xDE00, L'!', 0};
    const WideCase cases[] = {
        {"%s takes wide text", Pyxo::WStrFormat(L"[%s]", L"caf\u00E9"), L"[caf\u00E9]"},
        {"%S takes narrow text, widened byte by byte", Pyxo::WStrFormat(L"[%S]", "caf\xE9"), L"[caf\u00E9]"},
        {"h and l override", Pyxo::WStrFormat(L"%hs %ls %ws %lS", "a", L"b", L"c", L"d"), L"a b c d"},
        {"width counts units", Pyxo::WStrFormat(L"[%4s]", surrogatePair), L"[ \xD83D\xDE00!]"},
        {"left aligned", Pyxo::WStrFormat(L"[%-5S]", "ab"), L"[ab   ]"},
        {"precision cuts units", Pyxo::WStrFormat(L"[%.1s]", surrogatePair), L"[\xD83D]"},
        {"star width and precision", Pyxo::WStrFormat(L"[%*.*s]", 4, 2, L"abc"), L"[  ab]"},
        {"negative star width aligns left", Pyxo::WStrFormat(L"[%*s]", -3, L"a"), L"[a  ]"},
        {"null text",
         Pyxo::WStrFormat(L"%s|%S", static_cast<const wchar_t*>(nullptr), static_cast<const char*>(nullptr)),
         L"(null)|(null)"},
        {"characters", Pyxo::WStrFormat(L"%c%C%3c", L'\u00E9', 'x', L'y'), L"\u00E9x  y"},
        {"percent", Pyxo::WStrFormat(L"100%%"), L"100%"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(c.result, c.expected);
    }
}

TEST(WStrFormat, FormatsNumbersAsC)
{
    const WideCase cases[] = {
        {"ints", Pyxo::WStrFormat(L"%d %i %+d %05d %-4d|", -12, 7, 3, 42, 9), L"-12 7 +3 00042 9   |"},
        {"lengths", Pyxo::WStrFormat(L"%hhd %hu %ld %lld %zu", 300, 70000, -5L, 1LL << 40, size_t{8}),
         L"44 4464 -5 1099511627776 8"},
        {"aspect log line", Pyxo::WStrFormat(L"%4lu x %4lu [%2d:%2d]\n", 800UL, 600UL, 4, 3), L" 800 x  600 [ 4: 3]\n"},
        {"hex and octal", Pyxo::WStrFormat(L"%x %X %#x %o", 255u, 255u, 255u, 8u), L"ff FF 0xff 10"},
        {"floats", Pyxo::WStrFormat(L"%.2f %5.1f %g %Lf", 3.14159, 2.25, 0.5, 1.5L), L"3.14   2.2 0.5 1.500000"},
        {"int64", Pyxo::WStrFormat(L"%lld", static_cast<long long>(INT64_MIN)), L"-9223372036854775808"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(c.result, c.expected);
    }
}

TEST(WStrFormat, LongResultsComeOutWhole)
{
    const std::wstring text(500, L'w');
    EXPECT_EQ(Pyxo::WStrFormat(L"%s", text.c_str()), text);
    EXPECT_EQ(Pyxo::WStrFormat(L"%0300d", 5).size(), 300u) << "a number longer than the conversion buffer";
}

TEST(WStrFormat, CutsAResultBeyondTheLimit)
{
    CapturedLog log;
    const std::wstring path(Pyxo::kMaxFormattedLength, L'p');
    const std::wstring cases[] = {
        Pyxo::WStrFormat(L"Failed to load image: %s", path.c_str()),
        Pyxo::WStrFormat(L"Failed to load image: %s and more", path.c_str()),
        Pyxo::WStrFormat(L"Failed to load image: %-*s", int(Pyxo::kMaxFormattedLength), L"p"),
        Pyxo::WStrFormat(L"Failed to load image: %0*d", int(Pyxo::kMaxFormattedLength), 1),
    };
    for (const std::wstring& cut : cases) {
        EXPECT_EQ(cut.size(), Pyxo::kMaxFormattedLength);
        EXPECT_EQ(cut.substr(0, 22), L"Failed to load image: ");
    }
    EXPECT_EQ(log.Warnings().size(), 4u);
}

TEST(WStrFormat, StopsAndReportsInsteadOfGrowingOrGuessing)
{
    CapturedLog log;
    int written = 0;
    const wchar_t* refused[] = {L"%n", L"abc %", L"%q", L"%Ls", L"%hf"};
    for (const wchar_t* format : refused) {
        EXPECT_EQ(Pyxo::WStrFormat(format, &written), L"") << Pyxo::StrFormat("%ls", format);
    }
    EXPECT_EQ(Pyxo::WStrFormat(L"%999999999d", 1), L"") << "a huge width is refused before anything is allocated";
    EXPECT_EQ(Pyxo::WStrFormat(L"%*s", 2000000, L"x"), L"");
    EXPECT_EQ(Pyxo::WStrFormat(L"%.*f", 2000000, 1.0), L"");
    EXPECT_EQ(log.Warnings().size(), 8u);
    EXPECT_EQ(written, 0);
}

TEST(OutputDebug, LogsTheNarrowedTextAsOneEntry)
{
    std::vector<std::string> entries;
    auto previous = Platform::SetLogSink([&](Platform::LogLevel level, const char*, const std::string& text) {
        if (level == Platform::LogLevel::Debug) {
            entries.push_back(text);
        }
    });
    Pyxo::OutputDebug(L"Window is %4d x %4d [%S]\n", 1066, 600, "caf\xE9");
    Platform::SetLogSink(std::move(previous));
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0], "Window is 1066 x  600 [caf\xE9]");
}

} // namespace
