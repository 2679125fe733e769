#include "platform/window/WindowSystem.h"

#include "platform/time/Clock.h"
#include "platform/window/SdlWindowAccess.h"
#include "platform/window/VideoSystem.h"
#include "platform/window/VirtualKeys.h"
#include "tests/SuiteLabels.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <ostream>
#include <string>
#include <thread>
#include <vector>

namespace Platform {
void PrintTo(WindowHandle h, std::ostream* os)
{
    *os << "hwnd " << h.id;
}
void PrintTo(WindowPoint p, std::ostream* os)
{
    *os << "(" << p.x << ", " << p.y << ")";
}
void PrintTo(const WindowRect& r, std::ostream* os)
{
    *os << "(" << r.left << ", " << r.top << ", " << r.right << ", " << r.bottom << ")";
}
} // namespace Platform

namespace {

using namespace Platform;

constexpr const char* kClass = "WindowSystemTest";

class WindowSystemTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        mPreviousClock = SetClock(&mClock);
        RegisterWindowClass(kClass, [this](WindowHandle w, uint32_t message, uintptr_t wParam, intptr_t lParam) {
            mReceived.push_back({w, message, wParam, lParam, 0, {}});
            return mAnswer;
        });
        Drain();
    }

    void TearDown() override
    {
        for (WindowHandle w : mCreated)
            DestroyWindow(w);
        Drain();
        SetClock(mPreviousClock == &SystemClock() ? nullptr : mPreviousClock);
    }

    WindowHandle Create(int x = 40, int y = 50, int width = 320, int height = 240,
                        WindowMode mode = WindowMode::Windowed)
    {
        WindowCreateInfo info;
        info.className = kClass;
        info.title = L"Test";
        info.mode = mode;
        info.x = x;
        info.y = y;
        info.width = width;
        info.height = height;
        info.visible = true;
        const WindowHandle w = CreateWindow(info);
        if (w)
            mCreated.push_back(w);
        return w;
    }

    static std::vector<WindowMessage> Drain()
    {
        std::vector<WindowMessage> messages;
        WindowMessage m;
        while (PeekMessage(m))
            messages.push_back(m);
        return messages;
    }

    static std::vector<uint32_t> Kinds(const std::vector<WindowMessage>& messages)
    {
        std::vector<uint32_t> kinds;
        for (const WindowMessage& m : messages)
            kinds.push_back(m.message);
        return kinds;
    }

    static uint32_t SdlId(WindowHandle w) { return SDL_GetWindowID(SdlWindowOf(w)); }

    static void PushWindowEvent(WindowHandle w, SDL_WindowEventID kind)
    {
        SDL_Event e{};
        e.type = SDL_WINDOWEVENT;
        e.window.windowID = SdlId(w);
        e.window.event = static_cast<uint8_t>(kind);
        ASSERT_EQ(SDL_PushEvent(&e), 1) << SDL_GetError();
    }

    static void PushMotion(WindowHandle w, int x, int y)
    {
        SDL_Event e{};
        e.type = SDL_MOUSEMOTION;
        e.motion.windowID = SdlId(w);
        e.motion.x = x;
        e.motion.y = y;
        ASSERT_EQ(SDL_PushEvent(&e), 1) << SDL_GetError();
    }

    ManualClock mClock{1000};
    Clock* mPreviousClock = nullptr;
    std::vector<WindowHandle> mCreated;
    std::vector<WindowMessage> mReceived;
    intptr_t mAnswer = 0;
};

ILVANE_THREADED_SUITE(WindowSystemTest);

TEST_F(WindowSystemTest, CreatesWindowsOnScreenAndWithoutScreenPresence)
{
    const WindowHandle w = Create(40, 50, 320, 240);
    ASSERT_TRUE(w) << VideoError();
    ASSERT_NE(SdlWindowOf(w), nullptr);
    EXPECT_EQ(WindowOfSdlId(SdlId(w)), w);
    EXPECT_EQ(GetClientRect(w), (WindowRect{0, 0, 320, 240}));
    const auto placement = GetWindowPlacement(w);
    ASSERT_TRUE(placement);
    EXPECT_EQ(placement->showCommand, SW_SHOWNORMAL);
    EXPECT_EQ(placement->normalPosition, (WindowRect{40, 50, 360, 290}));

    EXPECT_TRUE(SetWindowText(w, L"Caf\u00E9 \u0418"));
    EXPECT_STREQ(SDL_GetWindowTitle(SdlWindowOf(w)), "Caf\xC3\xA9 \xD0\x98");
    EXPECT_TRUE(ShowWindow(w, SW_HIDE)) << "was visible";
    EXPECT_FALSE(IsWindowVisible(w));
    EXPECT_EQ(GetWindowPlacement(w)->showCommand, SW_HIDE);

    int marker = 0;
    SetWindowUserData(w, &marker);
    EXPECT_EQ(GetWindowUserData(w), &marker);

    const WindowHandle invisible = Create(0, 0, 0, 0);
    ASSERT_TRUE(invisible);
    EXPECT_NE(invisible, w);
    EXPECT_EQ(SdlWindowOf(invisible), nullptr);
    EXPECT_EQ(GetClientRect(invisible), WindowRect{});

    const WindowHandle full = Create(kDefaultPosition, kDefaultPosition, 800, 600, WindowMode::FullScreen);
    ASSERT_TRUE(full);
    const WindowRect desktop = GetClientRect(full);
    EXPECT_GE(desktop.Width(), 800) << "full screen covers the desktop";
    EXPECT_GE(desktop.Height(), 600);

    WindowCreateInfo unknownClass;
    unknownClass.className = "NoSuchClass";
    unknownClass.width = 10;
    unknownClass.height = 10;
    EXPECT_FALSE(CreateWindow(unknownClass));
    EXPECT_FALSE(Create(0, 0, -1, 10)) << "negative size";
}

TEST_F(WindowSystemTest, PumpStampsMessagesAndPublishesThePointer)
{
    const WindowHandle w = Create(40, 50);
    ASSERT_TRUE(w) << VideoError();
    Drain();
    mClock.SetTick(5000);
    PushWindowEvent(w, SDL_WINDOWEVENT_ENTER);
    PushMotion(w, 10, 20);

    std::vector<WindowMessage> messages = Drain();
    ASSERT_EQ(Kinds(messages), std::vector<uint32_t>{WM_MOUSEMOVE});
    EXPECT_EQ(messages[0].hwnd, w);
    EXPECT_EQ(messages[0].lParam, MakeLParam(10, 20));
    EXPECT_EQ(messages[0].time, 5000u) << "the process clock, not SDL's";
    EXPECT_EQ(messages[0].pt, (WindowPoint{50, 70})) << "screen coordinates";

    EXPECT_EQ(GetCursorPos(), (WindowPoint{50, 70}));
    WindowPoint p = GetCursorPos();
    ASSERT_TRUE(ScreenToClient(w, p));
    EXPECT_EQ(p, (WindowPoint{10, 20}));
    ASSERT_TRUE(ClientToScreen(w, p));
    EXPECT_EQ(p, (WindowPoint{50, 70}));

    EXPECT_EQ(WindowFromPoint({50, 70}), w);
    EXPECT_FALSE(WindowFromPoint({39, 70})) << "left of the client area";
    EXPECT_FALSE(WindowFromPoint({360, 70})) << "the right edge is outside";

    PushWindowEvent(w, SDL_WINDOWEVENT_LEAVE);
    EXPECT_EQ(Kinds(Drain()), std::vector<uint32_t>{WM_MOUSELEAVE});
    EXPECT_FALSE(WindowFromPoint({50, 70})) << "the pointer is no longer over the window";
}

TEST_F(WindowSystemTest, SetCursorPosPublishesThePointerAtOnce)
{
    const WindowHandle w = Create(40, 50);
    ASSERT_TRUE(w) << VideoError();
    ASSERT_TRUE(SetCursorPos(60, 80));
    WindowPoint p = GetCursorPos();
    EXPECT_EQ(p, (WindowPoint{60, 80}));
    ASSERT_TRUE(ScreenToClient(w, p));
    EXPECT_EQ(p, (WindowPoint{20, 30}));
    Drain(); // SDL reports the warp as a move (without a window on the dummy driver)
}

TEST_F(WindowSystemTest, FocusEventsSetTheActiveWindow)
{
    const WindowHandle w = Create();
    ASSERT_TRUE(w) << VideoError();
    Drain();
    PushWindowEvent(w, SDL_WINDOWEVENT_FOCUS_GAINED);
    EXPECT_EQ(Kinds(Drain()), (std::vector<uint32_t>{WM_ACTIVATEAPP, WM_ACTIVATE}));
    EXPECT_EQ(GetActiveWindow(), w);
    PushWindowEvent(w, SDL_WINDOWEVENT_FOCUS_LOST);
    Drain();
    EXPECT_FALSE(GetActiveWindow());
}

TEST_F(WindowSystemTest, DispatchCallsTheClassProcedure)
{
    const WindowHandle w = Create(0, 0, 0, 0);
    const WindowHandle other = Create(0, 0, 0, 0);
    ASSERT_TRUE(w && other);

    ASSERT_TRUE(PostMessage(w, WM_USER + 1, 2, -3));
    WindowMessage m;
    ASSERT_TRUE(PeekMessage(m, /*remove=*/false));
    ASSERT_TRUE(PeekMessage(m)) << "looking did not remove it";
    EXPECT_FALSE(PeekMessage(m));
    mAnswer = 42;
    EXPECT_EQ(DispatchMessage(m), 42);
    ASSERT_EQ(mReceived.size(), 1u);
    EXPECT_EQ(mReceived[0].hwnd, w);
    EXPECT_EQ(mReceived[0].message, WM_USER + 1);
    EXPECT_EQ(mReceived[0].wParam, 2u);
    EXPECT_EQ(mReceived[0].lParam, -3);

    EXPECT_FALSE(PostMessage(WindowHandle{999999}, WM_USER)) << "no such window";
    ASSERT_TRUE(PostMessage(HWND_BROADCAST, WM_USER + 2));
    const auto broadcast = Drain();
    ASSERT_EQ(broadcast.size(), 2u);
    EXPECT_EQ(broadcast[0].hwnd, w);
    EXPECT_EQ(broadcast[1].hwnd, other);

    WindowMessage gone = m;
    gone.hwnd = WindowHandle{999999};
    EXPECT_EQ(DispatchMessage(gone), 0);
}

TEST_F(WindowSystemTest, OtherThreadsPostButOnlyTheMainThreadTakesMessages)
{
    const WindowHandle w = Create(0, 0, 0, 0);
    ASSERT_TRUE(w);
    bool peekedElsewhere = true;
    std::thread poster([&] {
        PostMessage(w, WM_USER + 7);
        WindowMessage m;
        peekedElsewhere = PeekMessage(m);
    });
    poster.join();
    EXPECT_FALSE(peekedElsewhere);
    EXPECT_EQ(Kinds(Drain()), std::vector<uint32_t>{WM_USER + 7});
}

TEST_F(WindowSystemTest, RepaintsOfOneWindowMerge)
{
    const WindowHandle w = Create();
    ASSERT_TRUE(w) << VideoError();
    Drain();
    PushWindowEvent(w, SDL_WINDOWEVENT_EXPOSED);
    PushWindowEvent(w, SDL_WINDOWEVENT_EXPOSED);
    PostMessage(w, WM_PAINT);
    PostMessage(w, WM_USER);
    EXPECT_EQ(Kinds(Drain()), (std::vector<uint32_t>{WM_PAINT, WM_USER}));
}

TEST_F(WindowSystemTest, TimerMakesOneMessagePerDueIntervalWhenTheQueueIsEmpty)
{
    const WindowHandle w = Create(0, 0, 0, 0);
    ASSERT_TRUE(w);
    mClock.SetTick(0xFFFFFFFAu); // the interval spans the wrap of the 32-bit tick
    ASSERT_EQ(SetTimer(w, 100, 10), 100u);

    mClock.Advance(9);
    EXPECT_TRUE(Drain().empty());
    mClock.Advance(1);
    const auto due = Drain();
    ASSERT_EQ(Kinds(due), std::vector<uint32_t>{WM_TIMER});
    EXPECT_EQ(due[0].wParam, 100u);
    EXPECT_EQ(due[0].hwnd, w);

    mClock.Advance(35);
    EXPECT_EQ(Drain().size(), 1u) << "a late timer makes one message, not one per missed interval";
    EXPECT_TRUE(Drain().empty());

    mClock.Advance(10);
    PostMessage(w, WM_USER);
    EXPECT_EQ(Kinds(Drain()), (std::vector<uint32_t>{WM_USER, WM_TIMER})) << "timers wait for an empty queue";

    mClock.Advance(10);
    WindowMessage m;
    ASSERT_TRUE(PeekMessage(m, /*remove=*/false));
    EXPECT_TRUE(KillTimer(w, 100));
    EXPECT_TRUE(Drain().empty()) << "a made but unread WM_TIMER goes with its timer";
    mClock.Advance(100);
    EXPECT_TRUE(Drain().empty());
    EXPECT_FALSE(KillTimer(w, 100));
}

TEST_F(WindowSystemTest, TimerIntervalHasAFloorAndNeedsAWindow)
{
    const WindowHandle w = Create(0, 0, 0, 0);
    ASSERT_TRUE(w);
    ASSERT_EQ(SetTimer(w, 1, 0), 1u);
    mClock.Advance(5);
    EXPECT_TRUE(Drain().empty()) << "an interval of 0 would flood the queue";
    mClock.Advance(5);
    EXPECT_EQ(Drain().size(), 1u);

    ASSERT_EQ(SetTimer(w, 1, 50), 1u) << "setting it again restarts it with the new interval";
    mClock.Advance(10);
    EXPECT_TRUE(Drain().empty());

    EXPECT_EQ(SetTimer(WindowHandle{999999}, 1, 10), 0u);
    EXPECT_EQ(SetTimer(w, 0, 10), 0u);
}

TEST_F(WindowSystemTest, DestroyWindowSendsDestroyAndForgetsEverythingOfTheWindow)
{
    const WindowHandle w = Create();
    const WindowHandle keep = Create(0, 0, 0, 0);
    ASSERT_TRUE(w && keep) << VideoError();
    Drain();
    const uint32_t sdlId = SdlId(w);
    PostMessage(w, WM_USER);
    PostMessage(keep, WM_USER + 1);
    SetTimer(w, 5, 10);
    SetCapture(w);

    mReceived.clear();
    ASSERT_TRUE(DestroyWindow(w));
    ASSERT_EQ(mReceived.size(), 1u);
    EXPECT_EQ(mReceived[0].message, WM_DESTROY);
    EXPECT_FALSE(IsWindow(w));
    EXPECT_FALSE(GetCapture());
    EXPECT_FALSE(DestroyWindow(w));

    SDL_Event e{};
    e.type = SDL_WINDOWEVENT;
    e.window.windowID = sdlId;
    e.window.event = SDL_WINDOWEVENT_CLOSE;
    SDL_PushEvent(&e);
    mClock.Advance(100);
    const auto left = Drain();
    ASSERT_EQ(left.size(), 1u) << "queued messages, timers and events of the window are gone";
    EXPECT_EQ(left[0].hwnd, keep);
}

TEST_F(WindowSystemTest, DefaultHandlingTurnsAltF4IntoACloseThatDestroys)
{
    const WindowHandle w = Create();
    ASSERT_TRUE(w) << VideoError();
    Drain();
    DefWindowProc(w, WM_SYSKEYDOWN, VK_RETURN, 0);
    EXPECT_TRUE(Drain().empty());
    DefWindowProc(w, WM_SYSKEYDOWN, VK_F4, 0);
    const auto close = Drain();
    ASSERT_EQ(Kinds(close), std::vector<uint32_t>{WM_CLOSE});
    EXPECT_EQ(close[0].hwnd, w);
    DefWindowProc(w, WM_CLOSE, 0, 0);
    EXPECT_FALSE(IsWindow(w));
    EXPECT_EQ(DefWindowProc(w, WM_QUERYOPEN, 0, 0), 1);
}

TEST_F(WindowSystemTest, CaptureMovesBetweenWindowsUntilReleased)
{
    const WindowHandle a = Create();
    const WindowHandle b = Create(0, 0, 0, 0);
    ASSERT_TRUE(a && b) << VideoError();
    EXPECT_FALSE(SetCapture(a));
    EXPECT_EQ(SetCapture(b), a);
    EXPECT_EQ(GetCapture(), b);
    EXPECT_TRUE(ReleaseCapture());
    EXPECT_FALSE(GetCapture());
    EXPECT_FALSE(SetCapture(WindowHandle{999999}));
    EXPECT_FALSE(GetCapture()) << "an unknown window cannot capture";
}

TEST_F(WindowSystemTest, RegisteredMessagesAreStablePerName)
{
    const uint32_t notify = RegisterWindowMessage(L"Ilvane CafeNotify");
    EXPECT_GE(notify, kFirstRegisteredMessage);
    EXPECT_EQ(RegisterWindowMessage(L"Ilvane CafeNotify"), notify);
    EXPECT_NE(RegisterWindowMessage(L"OtherNotify"), notify);
}

TEST_F(WindowSystemTest, CursorThreadNeverSeesHalfAPointerMove)
{
    const WindowHandle w = Create(0, 0, 320, 240);
    ASSERT_TRUE(w) << VideoError();
    PushMotion(w, 0, 0); // the reader starts from a consistent point
    Drain();
    ASSERT_EQ(GetCursorPos(), (WindowPoint{0, 0}));
    std::atomic<bool> done{false};
    std::atomic<int> torn{0};
    std::thread reader([&] {
        while (!done.load()) {
            const WindowPoint p = GetCursorPos();
            if (p.x != p.y)
                ++torn;
        }
    });
    for (int i = 0; i < 2000; ++i) {
        PushMotion(w, i % 200, i % 200);
        Drain();
    }
    done = true;
    reader.join();
    EXPECT_EQ(torn.load(), 0);
}

TEST_F(WindowSystemTest, VideoRestartLeavesOldWindowsWithoutScreenPresence)
{
    ShutdownVideo(); // so that the next SDL window id is the first of a fresh start
    const WindowHandle before = Create();
    ASSERT_TRUE(before) << VideoError();
    const uint32_t beforeSdlId = SdlId(before);
    Drain();

    ShutdownVideo();
    EXPECT_EQ(SdlWindowOf(before), nullptr);
    EXPECT_TRUE(IsWindow(before)) << "the handle stays valid for posted messages";

    const char* driver = std::getenv("SDL_VIDEODRIVER");
    const std::string savedDriver = driver ? driver : "";
    setenv("SDL_VIDEODRIVER", "no-such-driver", 1);
    EXPECT_FALSE(Create()) << "video cannot start";
    EXPECT_FALSE(VideoError().empty()) << "and says why";
    EXPECT_TRUE(Create(0, 0, 0, 0)) << "windows without screen presence need no video";
    if (savedDriver.empty())
        unsetenv("SDL_VIDEODRIVER");
    else
        setenv("SDL_VIDEODRIVER", savedDriver.c_str(), 1);

    const WindowHandle after = Create();
    ASSERT_TRUE(after) << VideoError();
    EXPECT_TRUE(VideoError().empty());
    ASSERT_EQ(SdlId(after), beforeSdlId) << "SDL numbers its windows afresh after a restart";
    Drain();
    PushWindowEvent(after, SDL_WINDOWEVENT_CLOSE);
    const auto messages = Drain();
    ASSERT_EQ(Kinds(messages), std::vector<uint32_t>{WM_CLOSE});
    EXPECT_EQ(messages[0].hwnd, after) << "not the old window that had the same SDL id";
    EXPECT_TRUE(DestroyWindow(before));
}

} // namespace
