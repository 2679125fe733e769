#include "engine/DialogControlFactory.h"

#include "engine/TMAnim.h"
#include "engine/TMBar.h"
#include "engine/TMButton.h"
#include "engine/TMCandyWidget.h"
#include "engine/TMCheckBox.h"
#include "engine/TMDialog.h"
#include "engine/TMEditWidget.h"
#include "engine/TMList.h"
#include "engine/TMScrollBar.h"
#include "engine/TMSlider.h"
#include "engine/TMText.h"
#include "engine/TMTutorialDialog.h"

namespace {

std::unique_ptr<TMCandyWidget> MakeButton(TMDialog& dialog, pugi::xml_node node, Pyxo::PyxoAppBase* app)
{
    auto button = std::make_unique<TMButton>(&dialog, 0, &dialog);
    // The button is its own id: the dialog's OnControl compares it with the controls a screen keeps.
    button->SetId(reinterpret_cast<intptr_t>(button.get()));
    button->Load(node, app);
    return button;
}

std::unique_ptr<TMCandyWidget> MakeText(TMDialog& dialog, pugi::xml_node node, Pyxo::PyxoAppBase* app)
{
    auto text = std::make_unique<TMText>(&dialog, app);
    text->Load(node, app);
    return text;
}

std::unique_ptr<TMCandyWidget> MakeDialog(TMDialog& dialog, pugi::xml_node node, Pyxo::PyxoAppBase* app)
{
    auto child = std::make_unique<TMDialog>(&dialog, app);
    child->Load(node);
    return child;
}

std::unique_ptr<TMCandyWidget> MakeTutorial(TMDialog& dialog, pugi::xml_node node, Pyxo::PyxoAppBase* app)
{
    auto child = std::make_unique<TMTutorialDialog>(&dialog, app);
    child->Load(node);
    return child;
}

/// A control made with the dialog as its only constructor argument and loaded with the app.
template <class Control>
std::unique_ptr<TMCandyWidget> MakeControl(TMDialog& dialog, pugi::xml_node node, Pyxo::PyxoAppBase* app)
{
    auto control = std::make_unique<Control>(&dialog);
    control->Load(node, app);
    return control;
}

} // namespace

DialogControlFactory& DialogControlFactory::Get()
{
    static DialogControlFactory factory = [] {
        DialogControlFactory made;
        RegisterDialogControls(made);
        return made;
    }();
    return factory;
}

void DialogControlFactory::Register(const std::string& type, Maker maker)
{
    if (maker)
        mMakers[type] = maker;
    else
        mMakers.erase(type);
}

DialogControlFactory::Maker DialogControlFactory::Find(const std::string& type) const
{
    const auto found = mMakers.find(type);
    return found != mMakers.end() ? found->second : nullptr;
}

std::unique_ptr<TMCandyWidget> DialogControlFactory::Create(const std::string& type, TMDialog& dialog,
                                                            pugi::xml_node node, Pyxo::PyxoAppBase* app) const
{
    const Maker maker = Find(type);
    return maker ? maker(dialog, node, app) : nullptr;
}

void RegisterDialogControls(DialogControlFactory& factory)
{
    factory.Register("tmbutton", &MakeButton);
    factory.Register("tmtext", &MakeText);
    factory.Register("tmdialog", &MakeDialog);
    factory.Register("tmtutorial", &MakeTutorial);
    factory.Register("tmedit", &MakeControl<TMEditWidget>);
    factory.Register("tmbar", &MakeControl<TMBar>);
    factory.Register("tmlist", &MakeControl<TMList>);
    factory.Register("tmscroll", &MakeControl<TMScrollBar>);
    factory.Register("tmcheckbox", &MakeControl<TMCheckBox>);
    factory.Register("tmslider", &MakeControl<TMSlider>);
    factory.Register("tmanim", &MakeControl<TMAnim>);
}
