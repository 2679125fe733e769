#pragma once

// The engine's test harness: a real TMEngine (or TMEngine3) on the headless back-end over a content folder that
// the test writes, with the clock, the registry and both random generators fixed, the process exit turned into an
// exception, and the engine log collected. XML fixtures are written as UTF-8 and converted to the UTF-16LE files
// the engine reads.

#include "engine/TMEngine.h"
#include "graphics/ImageLib.h"
#include "platform/log/Log.h"
#include "shell/MersenneTwister.h"
#include "shell/Random15.h"
#include "tests/shell/PyxoAppBaseTestApp.h"
#include "tools/xmlconv/XmlConvert.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

namespace EngineTest {

namespace fs = std::filesystem;

/// Writes bytes to the file, creating its folders.
inline void WriteBytes(const fs::path& path, const std::vector<uint8_t>& bytes)
{
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

/// Writes the UTF-8 text as the UTF-16LE file with a byte-order mark that the engine reads.
inline void WriteXml(const fs::path& path, std::string_view utf8)
{
    std::vector<uint8_t> bytes;
    XmlConvert::Failure failure;
    ASSERT_TRUE(XmlConvert::Utf8ToUtf16Le(utf8, bytes, failure)) << failure.line << ": " << failure.message;
    WriteBytes(path, bytes);
}

/// A manifest whose group "Init" holds the fonts and the image the engine keeps by number.
inline constexpr std::string_view kInitManifest = R"(<ResourceManifest>
  <Resources id="Init">
    <Font id="FONT_ARIAL10" path="!sys:Liberation Sans" size="10"/>
    <Font id="FONT_DEFAULT" path="!sys:DejaVu Sans" size="12"/>
    <Font id="FONT_ARIAL8" path="!sys:Liberation Sans" size="8"/>
    <Font id="FONT_ARIAL6" path="!sys:Liberation Sans" size="6"/>
    <Image id="GFX_GAME_GROUND" path="images\ground.png"/>
  </Resources>
</ResourceManifest>)";

/// The application on the headless back-end: a silent sound manager and a desktop large enough for the window.
/// As the most derived class it waits for a content loader first: the loader's virtual calls must not meet the
/// destructors of the classes below.
template <class App>
class Headless : public App {
public:
    using App::App;
    ~Headless() override { this->WaitForLoadingThread(); }

    std::unique_ptr<Pyxo::SoundManager> CreateSoundManager(Platform::WindowHandle, bool) override
    {
        return std::make_unique<PyxoTest::FakeSoundManager>();
    }
    Platform::WindowRect DesktopWorkArea() override { return {0, 0, 1920, 1080}; }
};

using EngineApp = Headless<TMEngine>;

/// A scratch content folder per test, the injected clock and registry, fixed seeds, the exit as an exception
/// (PyxoTest::ExitCalled) and the engine log. The test makes its engine with MakeEngine; the fixture destroys it
/// before anything else, so that the next engine's pack interface is the process's one.
class EngineFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        static std::atomic<int> counter = 0;
        mFolder =
            fs::temp_directory_path() / ("ilvane-engine-" + std::to_string(getpid()) + "-" + std::to_string(counter++));
        fs::remove_all(mFolder);
        fs::create_directories(mFolder);
        mPreviousFolder = fs::current_path();
        mPreviousClock = Platform::SetClock(&mClock);
        mPreviousStorage = Platform::SetRegistryStorage(&mRegistry);
        mPreviousExit = Pyxo::SetExitHandler(&PyxoTest::ThrowExit);
        mPreviousDataFolder = Pyxo::GetAppDataFolder();
        mPreviousSink = Platform::SetLogSink([this](Platform::LogLevel, const char* area, const std::string& text) {
            const std::lock_guard lock(mLogLock);
            mLog.push_back(std::string(area) + ": " + text);
        });
        Pyxo::SeedRandom(1);
        Pyxo::SeedRand15(1);
    }

    void TearDown() override
    {
        mApp.reset();
        Platform::SetLogSink(mPreviousSink);
        Pyxo::SetAppDataFolder(mPreviousDataFolder);
        Pyxo::SetExitHandler(mPreviousExit);
        Platform::SetRegistryStorage(mPreviousStorage);
        Platform::SetClock(mPreviousClock);
        fs::current_path(mPreviousFolder);
        std::error_code ignored;
        fs::remove_all(mFolder, ignored);
    }

    template <class App = EngineApp>
    App& MakeEngine()
    {
        mApp.reset();
        auto app = std::make_unique<App>(mFolder);
        App& made = *app;
        mApp = std::move(app);
        return made;
    }

    /// The manifest with its group "Init", the ground picture and the localised title.
    void WriteMinimalContent()
    {
        WriteXml(mFolder / "properties" / "resources.xml", kInitManifest);
        ImageLib::Image ground(4, 4);
        fs::create_directories(mFolder / "images");
        ASSERT_TRUE(ImageLib::WritePNGImage((mFolder / "images" / "ground.png").string(), ground));
        WriteXml(mFolder / "cfg" / "loc.xml", R"(<root><loc id="app_title" text="Fixture Cafe"/></root>)");
    }

    /// Runs Init and returns the exit status it ended the program with, or -1 when it went on.
    int InitExitCode(TMEngine& app)
    {
        try {
            app.Init();
        } catch (const PyxoTest::ExitCalled& exit) {
            return exit.code;
        }
        return -1;
    }

    [[nodiscard]] bool LogHas(std::string_view text)
    {
        const std::lock_guard lock(mLogLock);
        for (const std::string& line : mLog) {
            if (line.find(text) != std::string::npos)
                return true;
        }
        return false;
    }

    fs::path mFolder;
    Platform::ManualClock mClock{1000};
    Platform::MemoryRegistryStorage mRegistry;
    std::unique_ptr<TMEngine> mApp;
    std::mutex mLogLock;
    std::vector<std::string> mLog;

private:
    fs::path mPreviousFolder;
    Platform::Clock* mPreviousClock = nullptr;
    Platform::RegistryStorage* mPreviousStorage = nullptr;
    Pyxo::ExitHandler mPreviousExit = nullptr;
    std::string mPreviousDataFolder;
    Platform::LogSink mPreviousSink;
};

} // namespace EngineTest
