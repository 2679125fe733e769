// The application's resource operations: reading the manifest at start-up and the fatal report of a resource
// error.
#include "graphics/ResourceManager.h"
#include "shell/PyxoAppBase.h"

namespace Pyxo {

void PyxoAppBase::LoadResourceManifest()
{
    if (!mResourceManager->ParseResourcesFile("properties\\resources.xml"))
        ShowResourceError(true);
}

void PyxoAppBase::ShowResourceError(bool doExit)
{
    Popup(mResourceManager->GetErrorText());
    // The program cannot run without its resources: a failure status, and the desktop's mode back.
    if (doExit)
        RestoreDisplayAndExit(1);
}

} // namespace Pyxo
