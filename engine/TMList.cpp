#include "engine/TMList.h"

#include "engine/ControlDrawing.h"
#include "engine/EngineLog.h"
#include "engine/TMButton.h"
#include "engine/TMEngine.h"
#include "engine/TMScrollBar.h"
#include "engine/TextAttr.h"
#include "engine/TextureTable.h"
#include "engine/XmlConfig.h"
#include "graphics/Font.h"
#include "graphics/Graphics.h"
#include "graphics/MemoryImage.h"

#include <string>

TMList::TMList(TMCandyWidget* parent) : TMCandyWidget(parent) {}

TMList::~TMList() = default;

int TMList::UsableRowHeight() const
{
    if (mLineHeight >= 1)
        return mLineHeight;
    const int fontHeight = mFonts[2] ? mFonts[2]->GetHeight() : 0;
    return fontHeight >= 1 ? fontHeight : kDefaultRowHeight;
}

void TMList::Load(pugi::xml_node node, Pyxo::PyxoAppBase* app)
{
    int32_t lineSpacing = -1;
    XmlGetAttrInt(node, "line_spacing", lineSpacing);
    mLineHeight = lineSpacing;
    mLeft = 0;
    XmlGetAttrInt(node, "left", mLeft);
    std::string selColor;
    if (XmlGetAttrString(node, "sel_color", selColor))
        mSelColor = ParseHexColor(selColor);

    LoadCommon(node);
    mRowWidth = mLayoutRect.mWidth - mLeft;

    if (const pugi::xml_node scrollNode = XmlSelectNode(node, "element[@name='scroll']")) {
        auto* scrollBar = new TMScrollBar(this);
        scrollBar->Load(scrollNode, app);
        AddChild("scroll", scrollBar);
        mScrollBar = scrollBar;
        const int listWidth = mLayoutRect.mWidth;
        const int listHeight = mLayoutRect.mHeight;
        const int barWidth = scrollBar->mLayoutRect.mWidth;
        scrollBar->Resize(listWidth - barWidth, 0, barWidth, listHeight);
        mRowWidth = listWidth - barWidth - mLeft;
        // A button the description leaves out takes no room on the track.
        TMButton* up = scrollBar->GetButton(TMScrollBar::kUpId);
        TMButton* down = scrollBar->GetButton(TMScrollBar::kDownId);
        TMButton* slider = scrollBar->GetButton(TMScrollBar::kSliderId);
        const int upHeight = up ? up->mLayoutRect.mHeight : 0;
        const int downHeight = down ? down->mLayoutRect.mHeight : 0;
        const int sliderHeight = slider ? slider->mLayoutRect.mHeight : 0;
        if (up)
            up->Move(0, 0);
        if (down)
            down->Move(0, listHeight - downHeight);
        scrollBar->SetTrack(0, upHeight, 0, listHeight - downHeight - sliderHeight);
    }

    struct Layer {
        const char* query;
        int index;
    };
    static constexpr Layer kLayers[] = {
        {"textattr[@id='normal']", 2}, {"textattr[@id='stroke']", 1}, {"textattr[@id='shadow']", 0}};
    for (const Layer& layer : kLayers) {
        const pugi::xml_node attr = XmlSelectNode(node, layer.query);
        if (!attr)
            continue;
        const TextAttr read = TextAttr::Read(attr);
        SetTextAttr(layer.index, read.font, read.color, read.disabledColor);
    }

    if (mLineHeight < 1) {
        EngineContentWarning("list: \"line_spacing\" %d is not above 0; rows are %d pixels high",
                             static_cast<int>(lineSpacing), UsableRowHeight());
        mLineHeight = UsableRowHeight();
    }

    struct State {
        const char* query;
        int id;
    };
    static constexpr State kStates[] = {{"texture[@id='normal']", 0}, {"texture[@id='disabled']", 1}};
    for (const State& state : kStates) {
        if (const pugi::xml_node textureNode = XmlSelectNode(node, state.query)) {
            auto* texture = new TMTexture();
            texture->Load(textureNode, mWidth, mHeight);
            AddTexture(state.id, texture);
        }
    }

    if (const pugi::xml_node check = XmlSelectNode(node, "texture[@id='check']")) {
        TMEngine* engine = TMEngine::GetEngine();
        TextureTable* table = engine ? engine->GetTextureTable() : nullptr;
        mCheckTexture.SetFrame(table ? table->Find(XmlReadString(check, "texture")) : TextureHandle());
        mCheckTexture.AcquireAll();
        // The image's own size is the default source rectangle.
        const Pyxo::Image* image = mCheckTexture.GetCurrentImage();
        int32_t width = image ? image->mWidth : 0;
        int32_t height = image ? image->mHeight : 0;
        XmlGetAttrInt(check, "width", width);
        XmlGetAttrInt(check, "height", height);
        mCheckTexture.SetRect(XmlReadInt(check, "u"), XmlReadInt(check, "v"), width, height);
    }

    Resize(mLayoutRect.mX, mLayoutRect.mY, mLayoutRect.mWidth, mLayoutRect.mHeight);
}

void TMList::Resize(int x, int y, int width, int height)
{
    mRowsShown = height / UsableRowHeight() + 1;
    TMCandyWidget::Resize(x, y, width, height);
    UpdateScrollRange();
    if (mScrollBar)
        mScrollBar->SetPosition(0);
    mListImage.reset();
}

void TMList::UpdateScrollRange()
{
    if (!mScrollBar)
        return;
    const int count = static_cast<int>(mItems.size());
    // A last row that is only partly visible counts as one more to scroll.
    int maximum = UsableRowHeight() * mRowsShown > mLayoutRect.mHeight ? count - mRowsShown + 1 : count - mRowsShown;
    if (maximum < 0)
        maximum = 0;
    mScrollBar->SetMax(maximum);
    if (mScrollBar->GetPosition() > maximum)
        mScrollBar->SetPosition(maximum);
}

void TMList::MouseDown(int /*x*/, int y, int /*button*/, int /*clickCount*/)
{
    const int rowHeight = UsableRowHeight();
    const int row = y / rowHeight;
    if (row >= 0 && mFirstRow + row < static_cast<int>(mItems.size()))
        mSelected = mFirstRow + row;
    if ((mSelected - mFirstRow + 1) * rowHeight > mLayoutRect.mHeight) {
        ++mFirstRow;
        if (mScrollBar)
            mScrollBar->SetPosition(mFirstRow);
    }
    mImageValid = false;
}

void TMList::Update()
{
    if (mScrollBar && mScrollBar->GetPosition() != mFirstRow) {
        mFirstRow = mScrollBar->GetPosition();
        mImageValid = false;
    }
    TMTexture* normal = GetTexture(0, 0);
    TMTexture* disabled = GetTexture(1, 0);
    const bool showDisabled = mDisabled && disabled && disabled->GetCurrentImage();
    if (normal)
        normal->mShown = !showDisabled;
    if (disabled)
        disabled->mShown = showDisabled;
    TMCandyWidget::Update();
}

void TMList::Activate()
{
    TMCandyWidget::Activate();
    for (TMTexture& texture : mSpareTextures)
        texture.AcquireAll();
    mCheckTexture.AcquireAll();
}

void TMList::Deactivate()
{
    TMCandyWidget::Deactivate();
    for (TMTexture& texture : mSpareTextures)
        texture.ReleaseAll();
    mCheckTexture.ReleaseAll();
    mListImage.reset();
}

void TMList::SetTextAttr(int index, Pyxo::Font* font, const Pyxo::Color& color, const Pyxo::Color& disabledColor)
{
    if (index < 0 || index > 2)
        return;
    mFonts[static_cast<size_t>(index)] = font;
    mColors[static_cast<size_t>(index)] = color;
    mDisabledColors[static_cast<size_t>(index)] = disabledColor;
    mImageValid = false;
}

void TMList::SetTextureAll(const TextureHandle& texture)
{
    for (TMTexture& spare : mSpareTextures)
        spare.SetFrame(texture);
}

void TMList::AddItem(const std::wstring& text)
{
    mItems.push_back(text);
    UpdateScrollRange();
    mImageValid = false;
}

void TMList::Clear()
{
    mItems.clear();
    UpdateScrollRange();
    mImageValid = false;
}

void TMList::SetCheckedItem(int row)
{
    mTickedRow = row;
    mImageValid = false;
}

void TMList::SetSelection(int row)
{
    mSelected = row;
    mImageValid = false;
}

void TMList::Draw(Pyxo::Graphics* g)
{
    ControlDrawing::SetFadedWhite(g, *this);
    TMCandyWidget::Draw(g);
    if (mLayoutRect.mWidth <= 0 || mLayoutRect.mHeight <= 0)
        return;
    if (!mListImage) {
        ControlDrawing::FitCacheImage(mListImage, mLayoutRect, nullptr);
        mImageValid = false;
    }
    if (!mImageValid)
        RenderRows();
    ControlDrawing::DrawThroughWorld(g, *this, mListImage.get());
}

void TMList::RenderRows()
{
    mImageValid = true;
    mListImage->Clear();
    const int width = mLayoutRect.mWidth;
    const int height = mLayoutRect.mHeight;
    const int rowHeight = UsableRowHeight();
    const int count = static_cast<int>(mItems.size());
    Pyxo::Graphics g(mListImage.get());
    for (int row = mFirstRow, y = 0; row < count && y < height; ++row, y += rowHeight) {
        if (row < 0)
            continue;
        if (row == mSelected) {
            g.SetColor(mSelColor);
            g.FillRect(0, y, mRowWidth + mLeft, rowHeight);
        }
        if (row == mTickedRow) {
            const Pyxo::Rect& check = mCheckTexture.mSourceRect;
            mCheckTexture.Draw(&g, Pyxo::Rect(0, y + (rowHeight - check.mHeight) / 2, check.mWidth, check.mHeight));
        }
        for (size_t index = 0; index < mFonts.size(); ++index) {
            Pyxo::Font* font = mFonts[index];
            if (!font)
                continue;
            g.SetColor(mDisabled ? mDisabledColors[index] : mColors[index]);
            g.SetFont(font);
            g.SetClipRect(0, 0, width, height);
            g.WriteString(mItems[static_cast<size_t>(row)], mLeft,
                          y + font->GetAscent() + (rowHeight - font->GetHeight()) / 2);
        }
    }
}
