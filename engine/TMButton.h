#pragma once

#include "engine/TMCandyWidget.h"
#include "engine/TextAttr.h"
#include "engine/TextureHandle.h"

#include <pugixml.hpp>

#include <array>
#include <cstdint>
#include <memory>
#include <string>

namespace Pyxo {
class ButtonListener;
class Font;
class MemoryImage;
class PyxoAppBase;
} // namespace Pyxo

/// The push button of the interface description (type "tmbutton"): up to four state texture sets chosen every
/// frame from the mouse state, a word-wrapped label in up to three layers (shadow, stroke, normal) cached in an
/// image, hover and click sounds, the "active" cursor while the pointer is over it, and a listener that hears
/// every press, release, enter, leave, move and held tick under the button's id. In a dialog the listener is the
/// dialog and the id is the button itself. Main thread.
class TMButton : public TMCandyWidget {
public:
    /// Texture ids of the state sets.
    static constexpr int kNormal = 0;
    static constexpr int kOver = 1;
    static constexpr int kDown = 2;
    static constexpr int kDisabled = 3;
    /// Text layers, drawn in this order.
    static constexpr int kShadow = 0;
    static constexpr int kStroke = 1;
    static constexpr int kText = 2;
    static constexpr int kLayers = 3;

    /// The listener is borrowed and may be null where the creator gives none.
    TMButton(TMCandyWidget* parent, intptr_t id, Pyxo::ButtonListener* listener);
    ~TMButton() override;

    // Pyxo::Widget
    void Update() override;
    void Draw(Pyxo::Graphics* g) override;
    void MouseEnter() override;
    void MouseLeave() override;
    void MouseMove(int x, int y) override;
    void MouseDown(int x, int y, int button, int clickCount) override;
    void MouseUp(int x, int y, int button, int clickCount) override;
    void MouseUpXY(int /*x*/, int /*y*/) override {}

    // TMCandyWidget
    void Activate() override;
    void Deactivate() override; // also drops the label image

    /// Reads a "tmbutton" element: the common attributes, label, layout, sounds, state textures and text layers.
    virtual void Load(pugi::xml_node node, Pyxo::PyxoAppBase* app);
    /// Layers 0 to 2 (shadow, stroke, normal); other indexes are ignored. The font is borrowed.
    virtual void SetTextAttr(int index, Pyxo::Font* font, const Pyxo::Color& color, const Pyxo::Color& hoverColor,
                             const Pyxo::Color& disabledColor);
    /// Every state set the button has shows that one texture.
    virtual void SetTextureAll(const TextureHandle& texture);
    /// The set of that state shows that one texture; nothing when the state has no set.
    virtual void SetStateTexture(const TextureHandle& texture, int state);
    virtual void SetLabel(const std::wstring& label);
    virtual void SetId(intptr_t id) { mId = id; }

    [[nodiscard]] intptr_t GetId() const { return mId; }
    [[nodiscard]] const std::wstring& GetLabel() const { return mLabel; }
    [[nodiscard]] const TextAttr& GetTextAttr(int index) const { return mTextAttrs.at(size_t(index)); }
    [[nodiscard]] const std::string& GetHoverSound() const { return mHoverSound; }
    [[nodiscard]] const std::string& GetClickSound() const { return mClickSound; }
    /// The cached label image; null until drawn and after Deactivate.
    [[nodiscard]] Pyxo::MemoryImage* GetLabelImage() const { return mLabelImage.get(); }

    int mLineSpacing = -1; // -1 takes the font's own
    int mJustify = 0;      // justification of the wrapped-text writer
    int mVAlign = 0;       // 0 centred, 1 bottom, any other value top
    int mHOffset = 0;      // vertical offset of the label block

protected:
    /// Plays a sound of the engine's sound registry; nothing for an empty name or without an engine.
    virtual void PlaySound(const std::string& name);
    /// Selects a cursor of the engine's cursor table ("active" or "normal"); nothing without an engine.
    virtual void SelectCursor(const std::string& name);

private:
    /// Renders the label layers into the cached image.
    void RenderLabel();

    intptr_t mId;
    std::wstring mLabel;
    bool mLabelImageValid = false;
    std::string mHoverSound;
    std::string mClickSound;
    std::array<TextAttr, kLayers> mTextAttrs;
    Pyxo::ButtonListener* mListener;                // borrowed; may be null
    std::unique_ptr<Pyxo::MemoryImage> mLabelImage; // owned cache of the rendered label
};
