#include "engine/CursorTable.h"

#include "engine/NotBuiltYet.h"

CursorTable::~CursorTable() = default;

void CursorTable::Load(pugi::xml_node /*root*/)
{
    ENGINE_NOT_BUILT_YET();
}

void CursorTable::Set(const std::string& /*name*/)
{
    ENGINE_NOT_BUILT_YET();
}

void CursorTable::Draw(Pyxo::Graphics* /*g*/)
{
    ENGINE_NOT_BUILT_YET();
}

void CursorTable::Reset()
{
    ENGINE_NOT_BUILT_YET();
}
