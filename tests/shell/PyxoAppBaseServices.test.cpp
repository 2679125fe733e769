// Framework strings, message boxes (also asked for on another thread), the command-line split and the dialog
// bookkeeping of the application object.
#include "platform/log/Log.h"
#include "platform/process/VersionLibrary.h"
#include "platform/window/MessageBox.h"
#include "shell/BassMusicInterface.h"
#include "shell/Dialog.h"
#include "shell/WidgetManager.h"
#include "tests/SuiteLabels.h"
#include "tests/shell/PyxoAppBaseTestApp.h"

#include <gtest/gtest.h>

#include <atomic>
#include <optional>
#include <string>
#include <thread>
#include <typeinfo>
#include <vector>

namespace {

using namespace PyxoTest;
using namespace Platform;

class AppServices : public AppFixture {};

ILVANE_THREADED_SUITE(AppServices);

TEST_F(AppServices, StringsFallBackToTheCallersDefault)
{
    TestApp& app = MakeApp();
    EXPECT_EQ(app.GetString("DIALOG_BUTTON_OK", L"x"), L"OK");
    EXPECT_EQ(app.GetString("NO_SUCH_ID", L""), L"");
    EXPECT_EQ(app.GetString("FATAL_ERROR", L"FATAL ERROR"), L"FATAL ERROR");
    app.SetString("FATAL_ERROR", L"Oops");
    app.SetString("FATAL_ERROR", L"Oh no");
    EXPECT_EQ(app.GetString("FATAL_ERROR", L"FATAL ERROR"), L"Oh no");
}

TEST_F(AppServices, PopupsShowNothingOnceShutDownHasBegun)
{
    TestApp& app = MakeApp();
    app.Init();
    MessageBoxScript boxes({IDOK});
    app.Popup("before");
    app.Shutdown();
    app.PopupW(L"after");
    ASSERT_EQ(boxes.Calls().size(), 1u);
    EXPECT_EQ(boxes.Calls()[0].text, L"before");
    EXPECT_EQ(boxes.Calls()[0].caption, L"FATAL ERROR");
    EXPECT_FALSE(app.mInSystemDialog);
}

TEST_F(AppServices, TheProductVersionComesFromTheExecutablesVersionBlock)
{
    TestApp& app = MakeApp();
    EXPECT_EQ(app.mProductVersion, std::string(Platform::StampedProductVersion()));
    EXPECT_FALSE(app.mProductVersion.empty());
    EXPECT_EQ(app.GetProductVersion("/bin/sh"), "") << "a file without a version block";
}

TEST_F(AppServices, MusicOnWithoutItsLibraryPlaysNothingButTakesEverySong)
{
    TestApp& app = MakeApp();
    app.Init();
    auto* music = dynamic_cast<Pyxo::BassMusicInterface*>(app.mMusicInterface.get());
    ASSERT_NE(music, nullptr);
    EXPECT_TRUE(music->LoadMusic(1, "music/theme.ogg"));

    TestApp& silent = MakeApp();
    silent.mNoSound = true;
    silent.Init();
    ASSERT_NE(silent.mMusicInterface, nullptr);
    EXPECT_EQ(typeid(*silent.mMusicInterface), typeid(Pyxo::MusicInterface)) << "music off: the plain interface";
    EXPECT_FALSE(silent.mMusicInterface->LoadMusic(1, "music/theme.ogg"));
}

TEST_F(AppServices, AFatalErrorsTextReachesTheLogEvenWhenNoBoxCanBeShown)
{
    TestApp& app = MakeApp();
    app.Init();
    std::vector<std::string> errors;
    const LogSink previous = SetLogSink([&](LogLevel level, const char*, const std::string& text) {
        if (level == LogLevel::Error)
            errors.push_back(text);
    });
    MessageBoxScript boxes({0}); // the box could not be shown
    app.Popup("Failed to load image: images/missing.png");
    SetLogSink(previous);
    ASSERT_EQ(boxes.Calls().size(), 1u);
    EXPECT_EQ(errors, std::vector<std::string>{"FATAL ERROR: Failed to load image: images/missing.png"});
}

TEST_F(AppServices, AMessageBoxAskedForOnAnotherThreadIsShownByTheMainThread)
{
    TestApp& app = MakeApp();
    app.Init();
    MessageBoxScript boxes({IDYES});
    std::atomic<int> answer = -1;
    std::thread asker([&] { answer = app.MsgBox("Keep going?", "Question", MB_YESNO); });
    for (int i = 0; i < 100000 && answer == -1; ++i) {
        app.mLoopState = 0;
        app.RunLoopStep(nullptr);
        std::this_thread::yield();
    }
    asker.join();
    EXPECT_EQ(answer, IDYES);
    ASSERT_EQ(boxes.Calls().size(), 1u);
    EXPECT_TRUE(boxes.Calls()[0].fromOtherThread);
}

struct CommandLineCase {
    const char* name;
    const char* line;
    std::optional<std::string> handed;
};

class CommandLineApp : public TestApp {
public:
    void HandleCommandLine(const std::string& arguments) override { mHanded = arguments; }
    std::optional<std::string> mHanded;
};

TEST_F(AppServices, TheCommandLineHandsOnWhatFollowsTheProgram)
{
    const CommandLineCase cases[] = {
        {"quoted path and arguments", "\"/opt/ilvane cafe/ilvane-cafe\" -x  y", "-x  y"},
        {"quoted path alone", "\"/opt/ilvane-cafe\"", std::nullopt},
        {"a quote never closed", "\"/opt/ilvane cafe -x", std::nullopt},
        {"plain path and argument", "ilvane-cafe z", "z"},
        {"blank after the path only", "\"a\" ", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        CommandLineApp app;
        app.mCommandLine = c.line;
        app.ParseCommandLine();
        EXPECT_TRUE(app.mCommandLineDone);
        EXPECT_EQ(app.mHanded, c.handed);
    }
}

TEST_F(AppServices, DialogsAreRegisteredByIdAndDeletedOnceTheirLoopUnwinds)
{
    TestApp& app = MakeApp();
    app.Init();
    Pyxo::Dialog* dialog = app.RunDialogBox(7, true, L"Header", L"Lines", L"", Pyxo::Dialog::kButtonModeYesNo);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(app.GetDialog(7), dialog);
    EXPECT_EQ(app.GetDialogCount(), 1);
    EXPECT_EQ(dialog->mWidth, 400);
    EXPECT_EQ(dialog->mX, 200);
    EXPECT_EQ(dialog->mY, 120);
    EXPECT_EQ(app.mWidgetManager->mBaseModalWidget, dialog);

    // A replacement closes the first one, which waits for deletion at its loop depth.
    app.mLoopDepth = 1;
    Pyxo::Dialog* second = app.RunDialogBox(7, false, L"Again", L"", L"", Pyxo::Dialog::kButtonModeNone);
    EXPECT_EQ(app.GetDialog(7), second);
    EXPECT_EQ(app.GetDialogCount(), 1);
    EXPECT_EQ(app.mDeferredDeletes.size(), 1u);
    EXPECT_EQ(app.mWidgetManager->mBaseModalWidget, nullptr);
    app.mLoopDepth = 0;
    app.ProcessDeferredDeletes();
    EXPECT_TRUE(app.mDeferredDeletes.empty());

    EXPECT_TRUE(app.CloseDialogBoxEx(7, true, false));
    EXPECT_FALSE(app.CloseDialogBox(7));
    delete second; // handed back to the caller
}

TEST_F(AppServices, ADialogClosedDuringItsOwnWaitEndsTheWaitUntouched)
{
    // At its third update, answers dialog 7 (or not) and closes it; the wait's own loop step then deletes it.
    class Closer : public Pyxo::Widget {
    public:
        Closer(TestApp& app, bool answer) : mApp(app), mAnswer(answer) {}
        void Update() override
        {
            if (++mUpdates != 3)
                return;
            if (mAnswer)
                mApp.GetDialog(7)->ButtonRelease(Pyxo::Dialog::kYesButtonId);
            mApp.CloseDialogBox(7);
        }
        TestApp& mApp;
        bool mAnswer;
        int mUpdates = 0;
    };
    const struct {
        const char* name;
        bool answer;
        bool autoClose;
        intptr_t result;
    } cases[] = {
        {"closed unanswered", false, false, Pyxo::Dialog::kNoResult},
        {"answered, then closed", true, true, Pyxo::Dialog::kYesButtonId},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TestApp& app = MakeApp();
        app.Init();
        Closer closer(app, c.answer);
        app.mWidgetManager->AddWidget(&closer);
        Pyxo::Dialog* dialog = app.RunDialogBox(7, false, L"Header", L"Lines", L"", Pyxo::Dialog::kButtonModeYesNo);
        app.mLoopDepth = 1; // the wait runs inside an update of the main loop
        EXPECT_EQ(dialog->WaitForResult(c.autoClose), c.result);
        app.mLoopDepth = 0;
        EXPECT_EQ(closer.mUpdates, 3);
        EXPECT_EQ(app.GetDialog(7), nullptr);
        app.mWidgetManager->RemoveWidget(&closer);
    }
}

TEST_F(AppServices, DialogButtonsReachTheApplicationWithOffsetIds)
{
    class Recording : public TestApp {
    public:
        void ButtonPress(intptr_t id) override { mPressed.push_back(id); }
        void ButtonRelease(intptr_t id) override { mReleased.push_back(id); }
        std::vector<intptr_t> mPressed, mReleased;
    } app;
    app.DialogButtonPress(5, 1000);
    app.DialogButtonPress(5, 1001);
    app.DialogButtonPress(5, 1002);
    app.DialogButtonRelease(5, 1001);
    EXPECT_EQ(app.mPressed, (std::vector<intptr_t>{2005, 3005}));
    EXPECT_EQ(app.mReleased, (std::vector<intptr_t>{3005}));
}

} // namespace
