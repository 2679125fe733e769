#pragma once

#include "engine/TMIEffect.h"
#include "graphics/Matrix3.h"
#include "graphics/Rect.h"
#include "shell/Widget.h"

#include <pugixml.hpp>

#include <map>
#include <string>
#include <vector>

class TMEffect;
class TMTexture;

/// The base of every engine widget, dialog, control and board: a logical parent and children by name, texture
/// sets by texture id (0 is the "normal" set), an optional effect instance that animates alpha, scale, offset and
/// visibility through TMIEffect and decides how the widget shows and hides, a placement with a cached world matrix
/// and screen bounds, and activation (texture sets hold their images only while the widget and every ancestor
/// are visible). Every engine widget starts hidden. Owns its effect, its texture sets and its children.
/// Main thread.
class TMCandyWidget : public Pyxo::Widget, public TMIEffect {
public:
    /// One child as its parent's effect sees it.
    struct EffectTarget {
        int* offsetBlock = nullptr;     // the child's offset x, offset y (int) and scale (float)
        int* scalePointBlock = nullptr; // the child's scale point x, y
        TMCandyWidget* widget = nullptr;
    };

    explicit TMCandyWidget(TMCandyWidget* parent);
    ~TMCandyWidget() override;

    // Pyxo::Widget
    void Update() override;
    void Draw(Pyxo::Graphics* g) override;
    /// Changes the visibility and (de)activates the subtree; also TMIEffect's SetVisible.
    void SetVisible(bool visible) override;
    void Resize(int x, int y, int width, int height) override;
    void Move(int x, int y) override;

    // Hooks and operations the controls override.
    virtual void OnShow() {} // first step of Show
    virtual void OnHide() {} // first step of Hide
    virtual void Activate();
    virtual void Deactivate();
    /// Adds the child to the container and under its name (an existing name keeps its first child). Takes
    /// ownership.
    virtual void AddChild(const std::string& name, TMCandyWidget* child);
    [[nodiscard]] virtual TMCandyWidget* FindChild(const std::string& name);

    // TMIEffect
    void SetAlpha(float alpha) override { mAlpha = alpha; }
    void SetScale(float scale) override { mScale = scale; }
    void SetScalePointX(int x) override { mScalePointX = x; }
    void SetScalePointY(int y) override { mScalePointY = y; }
    void SetOffsetX(int x) override { mOffsetX = x; }
    void SetOffsetY(int y) override { mOffsetY = y; }

    /// The attributes every element of the interface description shares.
    void LoadCommon(pugi::xml_node node);
    /// Shows or hides through the effect's "onshow" / "onhide" when it has them, else at once.
    void Show();
    void Hide();
    void ShowChildren();
    void HideChildren();
    /// False without an effect; else whether the effect has the message.
    bool SendEffectMessage(const std::string& name);
    /// This widget and every ancestor along the logical parents are visible.
    [[nodiscard]] bool IsVisibleWithParents() const;
    void SetOffset(int x, int y);
    void InvalidateLayout();
    void RewindAnimations();
    /// Takes ownership; null is ignored.
    void AddTexture(int id, TMTexture* texture);
    /// The index-th texture set under exactly that id, or null.
    [[nodiscard]] TMTexture* GetTexture(int id, int index) const;
    [[nodiscard]] TMTexture* GetNormalTextureSet() const { return GetTexture(0, 0); }
    Pyxo::Matrix3 GetWorldMatrix();
    Pyxo::Rect GetScreenBounds();
    Pyxo::Rect GetBoundsThrough(const Pyxo::Matrix3& matrix);
    /// The rectangle (the screen bounds when null) cut to the 800 x 600 screen.
    Pyxo::Rect GetClippedScreenRect(const Pyxo::Rect* rect);

    [[nodiscard]] TMCandyWidget* GetLogicalParent() const { return mLogicalParent; }
    [[nodiscard]] TMEffect* GetEffect() const { return mEffect; }
    [[nodiscard]] bool IsShowing() const { return mShowing; }
    [[nodiscard]] bool IsHiding() const { return mHiding; }

    int mOffsetX = 0; // offset x, offset y and scale stand together: effects reach them as one block
    int mOffsetY = 0;
    float mScale = 1.0f;
    int mScalePointX = 0; // scale point x and y stand together as well
    int mScalePointY = 0;
    float mRotation = 0.0f; // degrees
    int mShiftX = 0;
    int mShiftY = 0;
    Pyxo::Rect mLayoutRect;
    float mAlpha = 1.0f;

protected:
    TMEffect* mEffect = nullptr;   // owned
    TMCandyWidget* mLogicalParent; // borrowed: the dialog that made this widget; null for a screen
    std::vector<EffectTarget> mEffectTargets;
    std::map<std::string, TMCandyWidget*> mChildren; // owned, by name
    std::multimap<int, TMTexture*> mTextures;        // owned, by texture id
    bool mHiding = false;
    bool mShowing = false;
    Pyxo::Matrix3 mWorldMatrix{true};
    Pyxo::Rect mScreenBounds;
    bool mMatrixDirty = true;
    bool mBoundsDirty = true;

private:
    /// Activate here, then down the visible named children, while this widget and its ancestors are visible.
    void ActivateTree();
    void DeactivateTree();
};
