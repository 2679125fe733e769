#include "game/TMBoard_Confirm1.h"

TMBoard_Confirm1::TMBoard_Confirm1(Pyxo::PyxoAppBase* app, pugi::xml_node root) : ConfirmBox(app)
{
    LoadByName(root, "dialogbox_1button");
}

TMBoard_Confirm1::~TMBoard_Confirm1() = default;

void TMBoard_Confirm1::OnControl(intptr_t /*controlId*/)
{
    mResult = 1;
    Hide();
}
