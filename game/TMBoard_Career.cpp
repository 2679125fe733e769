#include "game/TMBoard_Career.h"

#include "engine/NotBuiltYet.h"

// Not built yet: the screen's controls and behaviour; it is constructed and loaded by name only.
TMBoard_Career::TMBoard_Career(Pyxo::PyxoAppBase* app, pugi::xml_node root) : TMDialog(nullptr, app)
{
    LoadByName(root, "career_menu");
}

TMBoard_Career::~TMBoard_Career() = default;

void TMBoard_Career::ShowLevelResult(int /*money*/, int /*result*/, int /*level*/)
{
    ENGINE_NOT_BUILT_YET();
}

void TMBoard_Career::ShowCafe(bool /*resetDay*/)
{
    ENGINE_NOT_BUILT_YET();
}

void TMBoard_Career::ShowCafeTabs()
{
    ENGINE_NOT_BUILT_YET();
}
