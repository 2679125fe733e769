#include "engine/TMCandyWidget.h"

#include "engine/EffectLibrary.h"
#include "engine/EngineLog.h"
#include "engine/ParticleSystemTable.h"
#include "engine/TMEffect.h"
#include "engine/TMEngine.h"
#include "engine/TMTexture.h"
#include "engine/XmlConfig.h"
#include "graphics/Transform.h"

#include <algorithm>
#include <cmath>

namespace {

const Pyxo::Rect kScreen(0, 0, TMEngine::kScreenWidth, TMEngine::kScreenHeight);

/// The engine's frame time in seconds.
float FrameSeconds()
{
    const TMEngine* engine = TMEngine::GetEngine();
    return engine ? static_cast<float>(engine->mUpdateInterval / 1000.0) : 0.0f;
}

int AttrInt(pugi::xml_node node, const char* name)
{
    int32_t value = 0;
    XmlGetAttrInt(node, name, value);
    return value;
}

bool AttrBool(pugi::xml_node node, const char* name, bool fallback)
{
    bool value = fallback;
    XmlGetAttrBool(node, name, value);
    return value;
}

} // namespace

TMCandyWidget::TMCandyWidget(TMCandyWidget* parent) : mLogicalParent(parent)
{
    // Every engine widget starts hidden.
    mVisible = false;
}

TMCandyWidget::~TMCandyWidget()
{
    delete mEffect;
    mEffect = nullptr;
    for (auto& [id, texture] : mTextures)
        delete texture;
    mTextures.clear();
    RemoveAllWidgets(true, false);
    mChildren.clear();
    mEffectTargets.clear();
}

void TMCandyWidget::Update()
{
    const float dt = FrameSeconds();
    if (mEffect) {
        mEffect->Update(dt);
        // What the effect animates moves the widget: lay it out again every frame.
        InvalidateLayout();
    }
    Widget::Update();

    if (mBoundsDirty || mMatrixDirty) {
        Pyxo::Matrix3 matrix = GetWorldMatrix();
        Pyxo::Rect bounds;
        if (mShiftX != 0 || mShiftY != 0) {
            matrix.m[0][2] += static_cast<float>(mShiftX);
            matrix.m[1][2] += static_cast<float>(mShiftY);
            bounds = GetBoundsThrough(matrix);
        } else {
            bounds = GetScreenBounds();
        }
        const Pyxo::Rect clip = bounds.Intersection(kScreen);
        for (auto& [id, texture] : mTextures) {
            texture->SetTransform(matrix);
            texture->SetClipRect(clip);
        }
    }
    for (auto& [id, texture] : mTextures)
        texture->Advance(dt);
    if (mEffect) {
        TMEngine* engine = TMEngine::GetEngine();
        if (engine && engine->GetParticleSystems())
            engine->GetParticleSystems()->UpdateOwner(mEffect, dt);
    }
    MarkDirty();
}

void TMCandyWidget::Draw(Pyxo::Graphics* g)
{
    for (auto& [id, texture] : mTextures)
        texture->DrawClipped(g);
    if (mEffect) {
        mEffect->SetParam(262, g);
        mEffect->SendMessage("render_ps");
    }
}

void TMCandyWidget::SetVisible(bool visible)
{
    if (visible == mVisible)
        return;
    mShowing = false;
    mHiding = false;
    if (visible) {
        Widget::SetVisible(true);
        ActivateTree();
    } else {
        // While the widget still counts as visible, so that exactly what was activated is deactivated.
        DeactivateTree();
        Widget::SetVisible(false);
    }
}

void TMCandyWidget::ActivateTree()
{
    if (!IsVisibleWithParents())
        return;
    Activate();
    for (auto& [name, child] : mChildren) {
        if (child->mVisible)
            child->ActivateTree();
    }
}

void TMCandyWidget::DeactivateTree()
{
    if (!IsVisibleWithParents())
        return;
    Deactivate();
    for (auto& [name, child] : mChildren) {
        if (child->mVisible)
            child->DeactivateTree();
    }
}

void TMCandyWidget::Resize(int x, int y, int width, int height)
{
    InvalidateLayout();
    mLayoutRect = Pyxo::Rect(x, y, width, height);
    Widget::Resize(x, y, width, height);
}

void TMCandyWidget::Move(int x, int y)
{
    InvalidateLayout();
    mLayoutRect.mX = x;
    mLayoutRect.mY = y;
    Widget::Resize(x, y, mLayoutRect.mWidth, mLayoutRect.mHeight);
}

void TMCandyWidget::Activate()
{
    for (auto& [id, texture] : mTextures)
        texture->AcquireAll();
}

void TMCandyWidget::Deactivate()
{
    for (auto& [id, texture] : mTextures)
        texture->ReleaseAll();
}

void TMCandyWidget::AddChild(const std::string& name, TMCandyWidget* child)
{
    if (!child)
        return;
    mEffectTargets.push_back({&child->mOffsetX, &child->mScalePointX, child});
    AddWidget(child);
    mChildren.emplace(name, child);
}

TMCandyWidget* TMCandyWidget::FindChild(const std::string& name)
{
    const auto found = mChildren.find(name);
    return found != mChildren.end() ? found->second : nullptr;
}

void TMCandyWidget::LoadCommon(pugi::xml_node node)
{
    const int x = AttrInt(node, "x");
    const int y = AttrInt(node, "y");
    const int width = AttrInt(node, "width");
    const int height = AttrInt(node, "height");
    bool visible = false;
    if (XmlGetAttrBool(node, "visible", visible))
        SetVisible(visible);
    Resize(x, y, width, height);
    mHasAlpha = AttrBool(node, "has_alpha", true);
    mMouseVisible = AttrBool(node, "mousevisible", true);

    std::string effectName;
    if (XmlGetAttrString(node, "effect", effectName, kXmlNarrowSize) && !effectName.empty()) {
        delete mEffect;
        mEffect = CreateEffect(effectName.c_str());
        if (!mEffect)
            EngineContentWarning("effect \"%s\" is not in cfg\\effect.xml; the widget shows and hides at once",
                                 effectName.c_str());
        if (mEffect) {
            mEffect->SetParam(3, &mOffsetX);
            mEffect->SetParam(5, &mScalePointX);
            mEffect->SetParam(6, static_cast<TMCandyWidget*>(this));
            mEffect->SetParam(7, &mEffectTargets);
            mEffect->SetTarget(this);
        }
    }
    XmlGetAttrInt(node, "scalepointx", mScalePointX);
    XmlGetAttrInt(node, "scalepointy", mScalePointY);
}

void TMCandyWidget::Show()
{
    if (mShowing)
        return;
    OnShow();
    // The flags stand before the message runs, so a function that shows the widget at once clears them again.
    const bool wasHiding = mHiding;
    mHiding = false;
    mShowing = true;
    if (mEffect && mEffect->SendMessage("onshow"))
        return;
    mShowing = false;
    mHiding = wasHiding;
    SetVisible(true);
}

void TMCandyWidget::Hide()
{
    if (mHiding)
        return;
    OnHide();
    const bool wasShowing = mShowing;
    mHiding = true;
    mShowing = false;
    if (mEffect && mEffect->SendMessage("onhide"))
        return;
    mHiding = false;
    mShowing = wasShowing;
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

void TMCandyWidget::SetOffset(int x, int y)
{
    mShiftX = x;
    mShiftY = y;
    for (auto& [name, child] : mChildren)
        child->SetOffset(x, y);
    InvalidateLayout();
}

void TMCandyWidget::InvalidateLayout()
{
    mMatrixDirty = true;
    mBoundsDirty = true;
    for (auto& [name, child] : mChildren)
        child->InvalidateLayout();
}

void TMCandyWidget::RewindAnimations()
{
    for (auto& [id, texture] : mTextures) {
        texture->mCurrentFrame = 0;
        texture->mAccumulator = 0.0f;
    }
}

void TMCandyWidget::AddTexture(int id, TMTexture* texture)
{
    if (texture)
        mTextures.emplace(id, texture);
}

TMTexture* TMCandyWidget::GetTexture(int id, int index) const
{
    if (index < 0)
        return nullptr;
    auto [it, end] = mTextures.equal_range(id);
    for (; it != end && index > 0; ++it, --index) {
    }
    return it != end ? it->second : nullptr;
}

Pyxo::Matrix3 TMCandyWidget::GetWorldMatrix()
{
    if (mMatrixDirty) {
        Pyxo::Transform transform;
        transform.Translate(static_cast<float>(mLayoutRect.mX + mOffsetX - mScalePointX),
                            static_cast<float>(mLayoutRect.mY + mOffsetY - mScalePointY));
        transform.RotateDeg(mRotation);
        transform.Scale(mScale, mScale);
        transform.Translate(static_cast<float>(mScalePointX), static_cast<float>(mScalePointY));
        const Pyxo::Matrix3& local = transform.GetMatrix();
        mWorldMatrix = mLogicalParent ? mLogicalParent->GetWorldMatrix() * local : local;
        mMatrixDirty = false;
    }
    return mWorldMatrix;
}

Pyxo::Rect TMCandyWidget::GetScreenBounds()
{
    if (mBoundsDirty) {
        mScreenBounds = GetBoundsThrough(GetWorldMatrix());
        mBoundsDirty = false;
    }
    return mScreenBounds;
}

Pyxo::Rect TMCandyWidget::GetBoundsThrough(const Pyxo::Matrix3& matrix)
{
    const float w = static_cast<float>(mWidth);
    const float h = static_cast<float>(mHeight);
    const Pyxo::Vector2 corners[4] = {{0, 0}, {0, h}, {w, 0}, {w, h}};
    float minX = 0, minY = 0, maxX = 0, maxY = 0;
    for (int i = 0; i < 4; ++i) {
        const Pyxo::Vector2 p = matrix * corners[i];
        minX = i == 0 ? p.x : std::min(minX, p.x);
        minY = i == 0 ? p.y : std::min(minY, p.y);
        maxX = i == 0 ? p.x : std::max(maxX, p.x);
        maxY = i == 0 ? p.y : std::max(maxY, p.y);
    }
    Pyxo::Rect bounds(static_cast<int>(minX), static_cast<int>(minY), static_cast<int>(maxX - minX),
                      static_cast<int>(maxY - minY));
    if (mLogicalParent)
        bounds = bounds.Intersection(mLogicalParent->GetScreenBounds());
    return bounds;
}

Pyxo::Rect TMCandyWidget::GetClippedScreenRect(const Pyxo::Rect* rect)
{
    return (rect ? *rect : GetScreenBounds()).Intersection(kScreen);
}
