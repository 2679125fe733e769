#include "engine/TMDialog.h"

#include "engine/ControlDrawing.h"
#include "engine/DialogControlFactory.h"
#include "engine/EngineLog.h"
#include "engine/TMTexture.h"
#include "engine/XmlConfig.h"
#include "platform/process/MainThread.h"
#include "shell/PyxoAppBase.h"
#include "shell/WidgetManager.h"

namespace {

Pyxo::WidgetManager* ManagerOf(Pyxo::PyxoAppBase* app)
{
    return app ? app->mWidgetManager.get() : nullptr;
}

// Dialogs nest by recursion, on whichever thread loads the content: the levels in progress on this thread.
thread_local int tLoadDepth = 0;

} // namespace

TMDialog::TMDialog(TMCandyWidget* parent, Pyxo::PyxoAppBase* app) : TMCandyWidget(parent), mApp(app) {}

TMDialog::~TMDialog()
{
    // A modal dialog deleted while registered would leave the manager pointing at it; the children are deleted
    // after this body, so their registrations (newer than this one) are taken back first.
    PopModalTree(false);
    // The children go here rather than in the base's destructor, while this dialog is still a whole listener: a
    // button taken from under the pointer tells its listener, this dialog, that the mouse has left.
    RemoveAllWidgets(true, false);
    mChildren.clear();
    mEffectTargets.clear();
}

void TMDialog::Update()
{
    TMCandyWidget::Update();
}

void TMDialog::Draw(Pyxo::Graphics* g)
{
    ControlDrawing::SetFadedWhite(g, *this);
    TMCandyWidget::Draw(g);
}

void TMDialog::Activate()
{
    TMCandyWidget::Activate();
    if (mModal && !mModalRegistered)
        PushModal();
}

void TMDialog::Deactivate()
{
    TMCandyWidget::Deactivate();
    // The tree is deactivated from the top, but the manager takes back only its newest modal widget: a modal
    // dialog inside this one was pushed after it and goes first, or the manager would keep a hidden dialog modal.
    PopModalTree(true);
}

void TMDialog::PopModalTree(bool visibleOnly)
{
    for (auto it = mChildren.rbegin(); it != mChildren.rend(); ++it) {
        auto* child = dynamic_cast<TMDialog*>(it->second);
        if (child && (child->mVisible || !visibleOnly))
            child->PopModalTree(visibleOnly);
    }
    if (mModalRegistered)
        PopModal();
}

void TMDialog::PushModal()
{
    mModalRegistered = true;
    Pyxo::WidgetManager* manager = ManagerOf(mApp);
    if (!manager)
        return;
    // Screens are built on the resource-loading thread; the manager's modal state belongs to the main thread.
    if (Platform::IsMainThread())
        manager->PushModal(this);
    else
        manager->QueueChange([manager, this] { manager->PushModal(this); });
}

void TMDialog::PopModal()
{
    mModalRegistered = false;
    Pyxo::WidgetManager* manager = ManagerOf(mApp);
    if (!manager)
        return;
    if (Platform::IsMainThread())
        manager->PopModal(this);
    else
        manager->QueueChange([manager, this] { manager->PopModal(this); });
}

void TMDialog::Load(pugi::xml_node node)
{
    LoadCommon(node);

    if (pugi::xml_node textureNode = XmlSelectNode(node, "texture[@id='normal']")) {
        auto* texture = new TMTexture();
        texture->Load(textureNode, mWidth, mHeight);
        AddTexture(0, texture);
    }

    XmlGetAttrBool(node, "modal", mModal);
    // A dialog described as visible was activated above, before its modal flag was known.
    if (mModal && !mModalRegistered && IsVisibleWithParents())
        PushModal();

    // A description nested deeper than any real screen would run the loading thread out of stack.
    if (tLoadDepth + 1 >= kMaxNesting) {
        if (node.child("element"))
            EngineLog("%s: dialog \"%s\" lies %d dialogs deep; the controls inside it are left out",
                      XmlFileOf(node).c_str(), XmlReadString(node, "name").c_str(), tLoadDepth + 1);
        return;
    }
    ++tLoadDepth;
    struct LeaveLevel {
        ~LeaveLevel() { --tLoadDepth; }
    } leaveLevel;

    const DialogControlFactory& factory = DialogControlFactory::Get();
    for (pugi::xml_node element : node.children("element")) {
        std::string type;
        if (!XmlGetAttrString(element, "type", type))
            continue;
        if (!factory.Find(type))
            continue;
        std::string name;
        const size_t nameSize = type == "tmtutorial" ? 260 : kXmlNarrowSize;
        if (!XmlGetAttrString(element, "name", name, nameSize))
            continue;
        std::unique_ptr<TMCandyWidget> control = factory.Create(type, *this, element, mApp);
        if (!control)
            continue;
        control->SendEffectMessage("oncreate");
        AddChild(name, control.release());
    }
}

void TMDialog::OnControl(intptr_t controlId)
{
    if (auto* parent = dynamic_cast<TMDialog*>(mLogicalParent))
        parent->OnControl(controlId);
}

void TMDialog::SetModal(bool modal)
{
    mModal = modal;
    if (mModal && !mModalRegistered)
        PushModal();
    else if (!mModal && mModalRegistered)
        PopModal();
}

void TMDialog::SetBackgroundTexture(const TextureHandle& texture, const Pyxo::Rect& rect)
{
    if (TMTexture* normal = GetNormalTextureSet()) {
        normal->SetFrame(texture);
        normal->SetRect(rect.mX, rect.mY, rect.mWidth, rect.mHeight);
    }
}

void TMDialog::LoadByName(pugi::xml_node root, const std::string& name)
{
    const pugi::xml_node node = XmlSelectNode(root, "element[@name=$name and @type='tmdialog']", {{"name", name}});
    if (node)
        Load(node);
}
