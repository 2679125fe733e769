#include "engine/TextureTable.h"

#include "engine/NotBuiltYet.h"

TextureTable::TextureTable(TMEngine* engine) : mEngine(engine) {}

TextureTable::~TextureTable() = default;

void TextureTable::Load(pugi::xml_node /*root*/)
{
    ENGINE_NOT_BUILT_YET();
}

TextureHandle TextureTable::Find(const std::string& /*id*/)
{
    ENGINE_NOT_BUILT_YET();
    return {};
}
