// Entry point of the game: creates the application object, runs it until the player closes it, and ends the
// process through the one exit function, so that no static destructor runs under a live thread.
#include "platform/log/Log.h"
#include "shell/ProcessExit.h"
#include "shell/PyxoAppBase.h"

#include <exception>

namespace {

/// The application until the game's own application object takes its place: the game's identity and settings
/// key, a window of the logical screen, and the framework's loop.
class CafeApp final : public Pyxo::PyxoAppBase {
public:
    CafeApp()
    {
        mProductName = "Ilvane Cafe";
        mProductVersion = "1.0";
        mRegKey = "Ostrel Games\\Ilvane Cafe";
        mTitle = L"Ilvane Cafe";
        mWindowedRequested = true; // the stored "ScreenMode" decides once there is one
    }
};

} // namespace

int main()
{
    try {
        CafeApp app;
        app.Init();
        app.Start();
    } catch (const std::exception& error) {
        Platform::Log(Platform::LogLevel::Error, "main", "start-up failed: %s", error.what());
        Pyxo::ExitProcess(1);
    }
    Pyxo::ExitProcess(0);
}
