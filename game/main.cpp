// Entry point of the game: creates the application object, runs it until the player closes it, and ends the
// process through the one exit function, so that no static destructor runs under a live thread. A start-up that
// cannot go on (no resource manifest, a resource group that does not load) ends there with status 1.
#include "game/TMEngine3.h"
#include "platform/log/Log.h"
#include "shell/ProcessExit.h"

#include <exception>
#include <memory>

int main()
{
    try {
        auto app = std::make_unique<TMEngine3>();
        gApp = app.get();
        app->Init();
        app->Start();
        gApp = nullptr;
    } catch (const std::exception& error) {
        Platform::Log(Platform::LogLevel::Error, "main", "start-up failed: %s", error.what());
        Pyxo::ExitProcess(1);
    }
    Pyxo::ExitProcess(0);
}
