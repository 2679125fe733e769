#include "shell/FModLoader.h"

namespace Pyxo {

FMOD_INSTANCE::~FMOD_INSTANCE() = default; // not built yet
FMOD_INSTANCE* GetFModLibrary()
{
    return nullptr; // not built yet
}
void LoadFModLibrary() {} // not built yet
void FreeFModLibrary() {} // not built yet
int FModReferenceCount()
{
    return 0; // not built yet
}
void SetFModLibraryName(const std::string&) {} // not built yet

} // namespace Pyxo
