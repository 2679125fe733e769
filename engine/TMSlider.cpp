#include "engine/TMSlider.h"

#include "engine/TMBar.h"
#include "engine/TMText.h"
#include "engine/XmlConfig.h"

void TMSlider::Load(pugi::xml_node node, Pyxo::PyxoAppBase* app)
{
    LoadCommon(node);
    mZoneX = XmlReadInt(node, "mz_x");
    mZoneY = XmlReadInt(node, "mz_y");
    mZoneWidth = XmlReadInt(node, "mz_width");
    mZoneHeight = XmlReadInt(node, "mz_height");
    mDeadZoneLeft = XmlReadInt(node, "mz_dz1");
    mDeadZoneRight = XmlReadInt(node, "mz_dz2");
    if (const pugi::xml_node backNode = XmlSelectNode(node, "element[@name='back']")) {
        auto* back = new TMText(this, app);
        back->Load(backNode, app);
        AddChild("back", back);
    }
    if (const pugi::xml_node barNode = XmlSelectNode(node, "element[@name='bar']")) {
        auto* bar = new TMBar(this);
        bar->Load(barNode, app);
        AddChild("bar", bar);
    }
    if (const pugi::xml_node thumbNode = XmlSelectNode(node, "element[@name='thumb']")) {
        auto* thumb = new TMText(this, app);
        thumb->Load(thumbNode, app);
        mMargin = thumb->mLayoutRect.mX;
        AddChild("thumb", thumb);
    }
}

void TMSlider::AddChild(const std::string& name, TMCandyWidget* child)
{
    if (!child)
        return;
    if (name == "back")
        mBack = dynamic_cast<TMText*>(child);
    else if (name == "bar")
        mBar = dynamic_cast<TMBar*>(child);
    else if (name == "thumb")
        mThumb = dynamic_cast<TMText*>(child);
    // Presses on the parts reach the slider.
    child->mMouseVisible = false;
    TMCandyWidget::AddChild(name, child);
}

void TMSlider::SetMax(int maximum)
{
    mMaximum = maximum;
    if (mBar)
        mBar->SetMax(maximum);
}

void TMSlider::SetValue(int value)
{
    mValue = value;
    if (mBar)
        mBar->SetValue(value);
}

void TMSlider::MouseDown(int x, int y, int /*button*/, int /*clickCount*/)
{
    MarkDirty();
    if (y < mZoneY || y > mZoneY + mZoneHeight || x < mZoneX || x > mZoneX + mZoneWidth)
        return;
    if (x > mWidth - mDeadZoneRight) {
        SetValue(mMaximum);
    } else if (x < mDeadZoneLeft) {
        SetValue(0);
    } else if (mZoneWidth != 0) {
        // A zone without width has no proportion: the value stays.
        const float along = static_cast<float>(x - mZoneX) / static_cast<float>(mZoneWidth);
        SetValue(static_cast<int>(along * static_cast<float>(mMaximum)));
    }
}

void TMSlider::Update()
{
    TMCandyWidget::Update();
    if (!IsVisibleWithParents())
        return;
    if (mValue < 0)
        mValue = 0;
    if (mValue > mMaximum)
        mValue = mMaximum;
    if (mMaximum == 0 || !mThumb)
        return;
    const int track = mWidth - 2 * mMargin;
    const float along = static_cast<float>(mValue) / static_cast<float>(mMaximum);
    int p = static_cast<int>(static_cast<float>(track) * along) - mThumb->mWidth / 2;
    if (p < 0)
        p = 0;
    if (p > track - mThumb->mWidth)
        p = track - mThumb->mWidth;
    mThumb->Move(mMargin + p, mThumb->mLayoutRect.mY);
}
