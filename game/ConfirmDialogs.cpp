#include "game/ConfirmDialogs.h"

#include "engine/NotBuiltYet.h"

void CreateConfirmDialogs(Pyxo::PyxoAppBase* /*app*/, pugi::xml_node /*root*/)
{
    ENGINE_NOT_BUILT_YET();
}

int32_t ShowConfirmDialog2(const std::string& /*key*/)
{
    ENGINE_NOT_BUILT_YET();
    return kConfirmUnanswered;
}

int32_t ShowConfirmDialog1(const std::string& /*key*/)
{
    ENGINE_NOT_BUILT_YET();
    return kConfirmUnanswered;
}
