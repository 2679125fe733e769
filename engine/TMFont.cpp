#include "engine/TMFont.h"

#include "engine/NotBuiltYet.h"
#include "graphics/Font.h"

TMFont::~TMFont()
{
    for (auto& [name, font] : mFonts)
        delete font;
}

void TMFont::Load(pugi::xml_node /*root*/)
{
    ENGINE_NOT_BUILT_YET();
}

Pyxo::Font* TMFont::Find(const std::string& /*name*/)
{
    ENGINE_NOT_BUILT_YET();
    return nullptr;
}
