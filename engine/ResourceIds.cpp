#include "engine/ResourceIds.h"

#include "engine/NotBuiltYet.h"

bool ExtractResourcesByName(Pyxo::ResourceManager& /*manager*/, const std::string& /*group*/)
{
    ENGINE_NOT_BUILT_YET();
    return false;
}

bool ExtractInitResources(Pyxo::ResourceManager& /*manager*/)
{
    ENGINE_NOT_BUILT_YET();
    return false;
}

std::string GetIdName(int /*id*/)
{
    ENGINE_NOT_BUILT_YET();
    return {};
}

int GetIdByName(const std::string& /*name*/)
{
    ENGINE_NOT_BUILT_YET();
    return kResourceIdCount;
}

Pyxo::Font* LoadFontById(Pyxo::ResourceManager& /*manager*/, int /*id*/)
{
    ENGINE_NOT_BUILT_YET();
    return nullptr;
}

Pyxo::Image* LoadImageById(Pyxo::ResourceManager& /*manager*/, int /*id*/)
{
    ENGINE_NOT_BUILT_YET();
    return nullptr;
}

Pyxo::Font* GetFontById(int /*id*/)
{
    ENGINE_NOT_BUILT_YET();
    return nullptr;
}

Pyxo::Image* GetImageById(int /*id*/)
{
    ENGINE_NOT_BUILT_YET();
    return nullptr;
}
