#include "game/TMBoard_Confirm2.h"

#include "engine/TMButton.h"
#include "engine/TMEngine.h"

TMBoard_Confirm2::TMBoard_Confirm2(Pyxo::PyxoAppBase* app, pugi::xml_node root) : ConfirmBox(app)
{
    LoadByName(root, "dialogbox_2button");
}

TMBoard_Confirm2::~TMBoard_Confirm2() = default;

void TMBoard_Confirm2::AddChild(const std::string& name, TMCandyWidget* child)
{
    if (child && name == "btn_no" && !FindChild(name))
        mNoButton = dynamic_cast<TMButton*>(child);
    ConfirmBox::AddChild(name, child);
}

void TMBoard_Confirm2::Fill(const std::string& key)
{
    ConfirmBox::Fill(key);
    if (mNoButton)
        mNoButton->SetLabel(TMEngine::GetLocText("db01_btnno_" + key));
}

void TMBoard_Confirm2::OnControl(intptr_t controlId)
{
    mResult = mYesButton && controlId == reinterpret_cast<intptr_t>(mYesButton) ? 1 : 0;
    Hide();
}
