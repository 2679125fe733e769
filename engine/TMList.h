#pragma once

#include "engine/TMCandyWidget.h"
#include "engine/TMTexture.h"
#include "graphics/Color.h"

#include <pugixml.hpp>

#include <array>
#include <memory>
#include <string>
#include <vector>

namespace Pyxo {
class Font;
class MemoryImage;
class PyxoAppBase;
} // namespace Pyxo
class TMScrollBar;

/// A list of one-line text rows of equal height ("tmlist"): one selected row filled with a colour, one ticked row
/// drawn with a check texture and, when described, a scroll bar ("scroll") along its right edge. The rows are
/// rendered in up to three text layers (shadow, stroke, normal) into a cached image that is redrawn only when
/// something shown changes. Screens fill it with AddItem and read GetSelection; it reports nothing. Main thread.
class TMList : public TMCandyWidget {
public:
    static constexpr int kDefaultRowHeight = 20; // rows without "line_spacing" and without a normal font

    explicit TMList(TMCandyWidget* parent);
    ~TMList() override;

    void Update() override;
    void Draw(Pyxo::Graphics* g) override;
    void Resize(int x, int y, int width, int height) override;
    /// Selects the row clicked; a partly hidden row scrolls into view by one row.
    void MouseDown(int x, int y, int button, int clickCount) override;
    void Activate() override;
    void Deactivate() override;
    virtual void Load(pugi::xml_node node, Pyxo::PyxoAppBase* app);
    /// Layer 0 shadow, 1 stroke, 2 normal; other indexes are ignored. The font is borrowed.
    virtual void SetTextAttr(int index, Pyxo::Font* font, const Pyxo::Color& color, const Pyxo::Color& disabledColor);
    virtual void SetTextureAll(const TextureHandle& texture);
    virtual void AddItem(const std::wstring& text);
    virtual void Clear();
    /// The row drawn with the check texture; -1 for none.
    virtual void SetCheckedItem(int row);
    [[nodiscard]] virtual int GetSelection() const { return mSelected; }
    virtual void SetSelection(int row);

    [[nodiscard]] TMScrollBar* GetScrollBar() const { return mScrollBar; }
    [[nodiscard]] int GetRowHeight() const { return mLineHeight; }
    [[nodiscard]] int GetRowsShown() const { return mRowsShown; }
    [[nodiscard]] int GetFirstRow() const { return mFirstRow; }
    [[nodiscard]] int GetCheckedItem() const { return mTickedRow; }
    [[nodiscard]] const std::vector<std::wstring>& GetItems() const { return mItems; }
    /// The cached rows are current (they are redrawn on the next Draw otherwise).
    [[nodiscard]] bool IsImageValid() const { return mImageValid; }

private:
    /// lineHeight when it is usable, else the normal font's height, else kDefaultRowHeight.
    [[nodiscard]] int UsableRowHeight() const;
    /// The scroll bar's maximum from the row count: rows that do not fit are reachable.
    void UpdateScrollRange();
    void RenderRows();

    TMScrollBar* mScrollBar = nullptr; // borrowed: a child
    Pyxo::Color mSelColor{0, 0, 0, 255};
    int mLineHeight = -1;
    int mFirstRow = 0;
    int mRowsShown = 0;
    int mSelected = 0;
    bool mImageValid = false;
    std::array<Pyxo::Font*, 3> mFonts{}; // borrowed from the engine's font table
    std::array<Pyxo::Color, 3> mColors;
    std::array<Pyxo::Color, 3> mDisabledColors;
    std::array<TMTexture, 2> mSpareTextures; // held with the list, never drawn
    TMTexture mCheckTexture;
    int mTickedRow = -1;
    std::unique_ptr<Pyxo::MemoryImage> mListImage;
    std::vector<std::wstring> mItems;
    int mRowWidth = 0;
    int mLeft = 0;
};
