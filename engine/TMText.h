#pragma once

#include "engine/TMCandyWidget.h"
#include "engine/TextAttr.h"
#include "engine/TextureHandle.h"

#include <pugixml.hpp>

#include <array>
#include <map>
#include <memory>
#include <string>

namespace Pyxo {
class Font;
class Image;
class MemoryImage;
class PyxoAppBase;
} // namespace Pyxo

/// The static text of the interface description (type "tmtext"): a localised text in which "%name%" stands for
/// the engine's text variable of that name, expanded again whenever such a variable changes while the control is
/// really visible, word-wrapped into the control in up to three layers (shadow, stroke, normal) and cached in an
/// image. A visible length lets an effect type the text in; a picture, when set, is drawn instead of the text.
/// Main thread.
class TMText : public TMCandyWidget {
public:
    /// Texture ids of the state sets.
    static constexpr int kNormal = 0;
    static constexpr int kDisabled = 1;
    /// Text layers, drawn in this order.
    static constexpr int kShadow = 0;
    static constexpr int kStroke = 1;
    static constexpr int kText = 2;
    static constexpr int kLayers = 3;

    TMText(TMCandyWidget* parent, Pyxo::PyxoAppBase* app);
    ~TMText() override;

    // Pyxo::Widget
    void Update() override;
    void Draw(Pyxo::Graphics* g) override;
    void SetDisabled(bool disabled) override;

    // TMCandyWidget
    void Deactivate() override; // also drops the text image

    /// Reads a "tmtext" element: the common attributes, label, layout, text layers and state textures.
    virtual void Load(pugi::xml_node node, Pyxo::PyxoAppBase* app);
    /// The source text; "%name%" names a text variable.
    virtual void SetText(const std::wstring& text);
    /// Layers 0 to 2 (shadow, stroke, normal); other indexes are ignored. The font is borrowed.
    virtual void SetTextAttr(int index, Pyxo::Font* font, const Pyxo::Color& color, const Pyxo::Color& disabledColor);
    /// How many characters of the expanded text are drawn. Update shows the whole text again unless an effect
    /// sets the length in that frame.
    virtual void SetVisibleLength(int length);
    /// A picture drawn stretched over the control instead of its textures and text (borrowed); null returns to
    /// the text.
    virtual void SetImage(Pyxo::Image* picture) { mPicture = picture; }
    /// The normal and the disabled set, each when present, show that one texture.
    virtual void SetTextureAll(const TextureHandle& texture);
    /// The set of that state (0 normal, 1 disabled) shows that texture and source rectangle; nothing when the
    /// state has no set.
    virtual void SetStateTexture(int state, const TextureHandle& texture, const Pyxo::Rect& rect);

    [[nodiscard]] const std::wstring& GetText() const { return mText; }
    [[nodiscard]] const std::wstring& GetExpandedText() const { return mExpanded; }
    [[nodiscard]] int GetVisibleLength() const { return mVisibleLength; }
    [[nodiscard]] Pyxo::Image* GetImage() const { return mPicture; }
    [[nodiscard]] const TextAttr& GetTextAttr(int index) const { return mTextAttrs.at(size_t(index)); }
    /// The cached text image; null until drawn and after Deactivate.
    [[nodiscard]] Pyxo::MemoryImage* GetTextImage() const { return mTextImage.get(); }

    int mJustify = -1;     // justification of the wrapped-text writer
    int mVAlign = -1;      // -1 top, 0 centred, 1 bottom; any other value gives an empty text block
    int mLineSpacing = -1; // -1 takes the font's own
    int mHOffset = 0;      // vertical offset of the text block
    int mFps = 0;          // "fps": read, not used by the control
    bool mOneShot = false; // "oneshot": read, not used by the control

private:
    /// Expands the placeholders of the text with the current variables.
    void Expand();
    /// Whether a variable named in the text has changed since the last expansion.
    bool VariablesChanged();
    void RenderText();

    Pyxo::PyxoAppBase* mApp; // borrowed; kept for the loaders
    std::wstring mText;
    bool mLayoutValid = false;
    bool mExpansionValid = false;
    std::map<std::string, std::wstring> mUsedVariables; // value of each named variable at the last expansion
    std::wstring mExpanded;
    std::array<TextAttr, kLayers> mTextAttrs;
    int mVisibleLength = 0;
    std::unique_ptr<Pyxo::MemoryImage> mTextImage; // owned cache of the rendered text
    Pyxo::Image* mPicture = nullptr;               // borrowed
};
