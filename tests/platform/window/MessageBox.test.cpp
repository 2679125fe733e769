#include "platform/window/MessageBox.h"

#include "platform/log/Log.h"
#include "platform/window/VideoSystem.h"
#include "platform/window/WindowSystem.h"
#include "tests/SuiteLabels.h"

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>

namespace {

using namespace Platform;

ILVANE_THREADED_SUITE(MessageBox);

TEST(MessageBox, ScriptAnswersInOrderAndRecordsEveryCall)
{
    MessageBoxScript script({IDYES, IDNO});
    EXPECT_EQ(MessageBox(WindowHandle{}, L"Keep it?", L"Question", MB_YESNO | MB_ICONQUESTION), IDYES);
    EXPECT_EQ(MessageBox(WindowHandle{}, L"Really?", L"Question", MB_YESNO), IDNO);
    EXPECT_EQ(MessageBox(WindowHandle{}, L"Unscripted", L"Caption", MB_OK), 0) << "answers ran out: not shown";
    script.AddAnswer(IDOK);
    EXPECT_EQ(MessageBox(WindowHandle{}, L"Later", L"Caption", MB_OK), IDOK);

    const auto calls = script.Calls();
    ASSERT_EQ(calls.size(), 4u);
    EXPECT_EQ(calls[0].text, L"Keep it?");
    EXPECT_EQ(calls[0].caption, L"Question");
    EXPECT_EQ(calls[0].flags, MB_YESNO | MB_ICONQUESTION);
    EXPECT_EQ(calls[0].answer, IDYES);
    EXPECT_FALSE(calls[0].fromOtherThread);
    EXPECT_EQ(calls[2].answer, 0);
}

TEST(MessageBox, AskedOnAnotherThreadItIsShownByTheMainThread)
{
    MessageBoxScript script({IDRETRY});
    std::atomic<int> answer{-1};
    std::thread loader([&] { answer = MessageBox(WindowHandle{}, L"Failed to connect", L"Loading", MB_RETRYCANCEL); });
    // The main loop's message pump serves the request; no sleeping, just pumping until the asker has its answer.
    WindowMessage ignored;
    while (answer.load() == -1) {
        PeekMessage(ignored);
        std::this_thread::yield();
    }
    loader.join();
    EXPECT_EQ(answer.load(), IDRETRY);
    const auto calls = script.Calls();
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_TRUE(calls[0].fromOtherThread);
    EXPECT_EQ(calls[0].text, L"Failed to connect");
}

TEST(MessageBox, RefusalReleasesWaitingThreads)
{
    MessageBoxScript script({IDOK});
    std::atomic<bool> asked{false};
    std::atomic<int> answer{-1};
    std::thread worker([&] {
        asked = true;
        answer = MessageBox(WindowHandle{}, L"Text", L"Caption", MB_OK);
    });
    while (!asked.load())
        std::this_thread::yield();
    // The request may or may not be queued yet; refusal answers it either way.
    RefuseMessageBoxRequests(true);
    worker.join();
    EXPECT_EQ(answer.load(), 0);
    std::thread late([&] { answer = MessageBox(WindowHandle{}, L"Text", L"Caption", MB_OK); });
    late.join();
    EXPECT_EQ(answer.load(), 0) << "new requests are refused at once";
    RefuseMessageBoxRequests(false);
    EXPECT_TRUE(script.Calls().empty());
}

TEST(MessageBox, HeadlessWithoutScriptLogsTheTextAndAnswersZero)
{
    ASSERT_TRUE(IsHeadless()) << "tests run on the dummy video driver";
    std::string logged;
    const LogSink previous = SetLogSink([&](LogLevel, const char*, const std::string& text) { logged += text; });
    EXPECT_EQ(MessageBox(WindowHandle{}, L"Disk full", L"FATAL ERROR", MB_OK | MB_ICONERROR), 0);
    SetLogSink(previous);
    EXPECT_NE(logged.find("FATAL ERROR: Disk full"), std::string::npos) << logged;
}

} // namespace
