#include "engine/TMDialog.h"

#include "engine/NotBuiltYet.h"

TMDialog::TMDialog(TMCandyWidget* parent, Pyxo::PyxoAppBase* app) : TMCandyWidget(parent), mApp(app) {}

TMDialog::~TMDialog() = default;

void TMDialog::Update()
{
    TMCandyWidget::Update();
}

void TMDialog::Draw(Pyxo::Graphics* g)
{
    TMCandyWidget::Draw(g);
}

void TMDialog::Activate()
{
    TMCandyWidget::Activate();
}

void TMDialog::Deactivate()
{
    TMCandyWidget::Deactivate();
}

void TMDialog::Load(pugi::xml_node /*node*/)
{
    ENGINE_NOT_BUILT_YET();
}

void TMDialog::OnControl(intptr_t controlId)
{
    if (auto* parent = dynamic_cast<TMDialog*>(mLogicalParent))
        parent->OnControl(controlId);
}

void TMDialog::SetModal(bool modal)
{
    ENGINE_NOT_BUILT_YET();
    mModal = modal;
}

void TMDialog::SetBackgroundTexture(const TextureHandle& /*texture*/, const Pyxo::Rect& /*rect*/)
{
    ENGINE_NOT_BUILT_YET();
}

void TMDialog::LoadByName(pugi::xml_node /*root*/, const std::string& /*name*/)
{
    ENGINE_NOT_BUILT_YET();
}
