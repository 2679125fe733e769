#include "engine/TMCandyWidget.h"

#include "engine/NotBuiltYet.h"
#include "engine/TMEffect.h"
#include "engine/TMTexture.h"

TMCandyWidget::TMCandyWidget(TMCandyWidget* parent) : mLogicalParent(parent)
{
    // Every engine widget starts hidden.
    mVisible = false;
}

TMCandyWidget::~TMCandyWidget()
{
    delete mEffect;
    for (auto& [id, texture] : mTextures)
        delete texture;
    mTextures.clear();
    RemoveAllWidgets(true, false);
}

void TMCandyWidget::Update()
{
    Widget::Update();
}

void TMCandyWidget::Draw(Pyxo::Graphics* /*g*/)
{
    ENGINE_NOT_BUILT_YET();
}

void TMCandyWidget::SetVisible(bool visible)
{
    // Not built yet: activation of the subtree. The visibility itself holds already.
    if (visible == mVisible)
        return;
    mShowing = false;
    mHiding = false;
    Widget::SetVisible(visible);
}

void TMCandyWidget::Resize(int x, int y, int width, int height)
{
    mLayoutRect = Pyxo::Rect(x, y, width, height);
    Widget::Resize(x, y, width, height);
}

void TMCandyWidget::Move(int x, int y)
{
    mLayoutRect.mX = x;
    mLayoutRect.mY = y;
    Widget::Resize(x, y, mLayoutRect.mWidth, mLayoutRect.mHeight);
}

void TMCandyWidget::Activate()
{
    ENGINE_NOT_BUILT_YET();
}

void TMCandyWidget::Deactivate()
{
    ENGINE_NOT_BUILT_YET();
}

void TMCandyWidget::AddChild(const std::string& name, TMCandyWidget* child)
{
    if (!child)
        return;
    AddWidget(child);
    mChildren.emplace(name, child);
}

TMCandyWidget* TMCandyWidget::FindChild(const std::string& name)
{
    const auto found = mChildren.find(name);
    return found != mChildren.end() ? found->second : nullptr;
}

void TMCandyWidget::LoadCommon(pugi::xml_node /*node*/)
{
    ENGINE_NOT_BUILT_YET();
}

void TMCandyWidget::Show()
{
    // Not built yet: showing through the effect's "onshow".
    OnShow();
    SetVisible(true);
}

void TMCandyWidget::Hide()
{
    // Not built yet: hiding through the effect's "onhide".
    OnHide();
    SetVisible(false);
}

void TMCandyWidget::ShowChildren()
{
    for (auto& [name, child] : mChildren)
        child->Show();
}

void TMCandyWidget::HideChildren()
{
    for (auto& [name, child] : mChildren)
        child->Hide();
}

bool TMCandyWidget::SendEffectMessage(const std::string& name)
{
    return mEffect && mEffect->SendMessage(name.c_str());
}

bool TMCandyWidget::IsVisibleWithParents() const
{
    for (const TMCandyWidget* widget = this; widget; widget = widget->mLogicalParent) {
        if (!widget->mVisible)
            return false;
    }
    return true;
}

void TMCandyWidget::SetOffset(int /*x*/, int /*y*/)
{
    ENGINE_NOT_BUILT_YET();
}

void TMCandyWidget::InvalidateLayout()
{
    ENGINE_NOT_BUILT_YET();
}

void TMCandyWidget::RewindAnimations()
{
    ENGINE_NOT_BUILT_YET();
}

void TMCandyWidget::AddTexture(int id, TMTexture* texture)
{
    if (texture)
        mTextures.emplace(id, texture);
}

TMTexture* TMCandyWidget::GetTexture(int id, int index) const
{
    auto [it, end] = mTextures.equal_range(id);
    for (; it != end && index > 0; ++it, --index) {
    }
    return it != end && index == 0 ? it->second : nullptr;
}

Pyxo::Matrix3 TMCandyWidget::GetWorldMatrix()
{
    ENGINE_NOT_BUILT_YET();
    return mWorldMatrix;
}

Pyxo::Rect TMCandyWidget::GetScreenBounds()
{
    ENGINE_NOT_BUILT_YET();
    return mScreenBounds;
}

Pyxo::Rect TMCandyWidget::GetBoundsThrough(const Pyxo::Matrix3& /*matrix*/)
{
    ENGINE_NOT_BUILT_YET();
    return {};
}

Pyxo::Rect TMCandyWidget::GetClippedScreenRect(const Pyxo::Rect* /*rect*/)
{
    ENGINE_NOT_BUILT_YET();
    return {};
}
