#include "engine/TMList.h"

#include "engine/EngineLog.h"
#include "engine/TMEngine.h"
#include "engine/TMScrollBar.h"
#include "engine/TextureTable.h"
#include "engine/XmlConfig.h"
#include "graphics/Font.h"
#include "graphics/Graphics.h"
#include "graphics/MemoryImage.h"

#include <string>

namespace {

const Pyxo::Rect kScreen(0, 0, TMEngine::kScreenWidth, TMEngine::kScreenHeight);

int AlphaWithAncestors(const TMCandyWidget* widget)
{
    float alpha = 255.0f;
    for (; widget; widget = widget->GetLogicalParent())
        alpha *= widget->mAlpha;
    return static_cast<int>(alpha);
}

/// An attribute holding 0xAARRGGBB as hexadecimal text ("0x" optional); false when missing.
bool ReadHexColor(pugi::xml_node node, const char* name, Pyxo::Color& color)
{
    std::string text;
    if (!XmlGetAttrString(node, name, text, kXmlNarrowSize))
        return false;
    size_t i = text.size() >= 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X') ? 2 : 0;
    uint32_t packed = 0;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        uint32_t digit = 0;
        if (c >= '0' && c <= '9')
            digit = static_cast<uint32_t>(c - '0');
        else if (c >= 'a' && c <= 'f')
            digit = static_cast<uint32_t>(c - 'a' + 10);
        else if (c >= 'A' && c <= 'F')
            digit = static_cast<uint32_t>(c - 'A' + 10);
        else
            break;
        packed = packed << 4 | digit;
    }
    color = Pyxo::Color(packed);
    return true;
}

} // namespace

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
    ReadHexColor(node, "sel_color", mSelColor);

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
        TMCandyWidget* up = scrollBar->GetButton(TMScrollBar::kUpId);
        TMCandyWidget* down = scrollBar->GetButton(TMScrollBar::kDownId);
        TMCandyWidget* slider = scrollBar->GetButton(TMScrollBar::kSliderId);
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
        Pyxo::Color color;
        ReadHexColor(attr, "color", color);
        Pyxo::Color disabledColor = color;
        ReadHexColor(attr, "dcolor", disabledColor);
        SetTextAttr(layer.index, TMEngine::GetFont(XmlReadString(attr, "font")), color, disabledColor);
    }

    if (mLineHeight < 1) {
        EngineLog("list: \"line_spacing\" %d is not above 0; rows are %d pixels high", static_cast<int>(lineSpacing),
                  UsableRowHeight());
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
    g->SetColor(Pyxo::Color(255, 255, 255, AlphaWithAncestors(this)));
    g->SetColorize(true);
    TMCandyWidget::Draw(g);

    const int width = mLayoutRect.mWidth;
    const int height = mLayoutRect.mHeight;
    if (width <= 0 || height <= 0)
        return;
    if (!mListImage) {
        mListImage = std::make_unique<Pyxo::MemoryImage>();
        mListImage->Create(width, height);
        mImageValid = false;
    }
    if (!mImageValid)
        RenderRows();

    Pyxo::Matrix3 matrix = GetWorldMatrix();
    matrix.m[0][2] += static_cast<float>(mShiftX);
    matrix.m[1][2] += static_cast<float>(mShiftY);
    const Pyxo::Rect clip = GetBoundsThrough(matrix).Intersection(kScreen).Intersection(g->mClipRect);
    if (clip.mWidth <= 0 || clip.mHeight <= 0)
        return;
    const Pyxo::Rect savedClip = g->mClipRect;
    g->mClipRect = clip;
    g->DrawImageMatrix(mListImage.get(), matrix, Pyxo::Rect(0, 0, mWidth, mHeight), 0.0f, 0.0f);
    g->mClipRect = savedClip;
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
