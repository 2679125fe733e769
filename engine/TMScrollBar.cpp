#include "engine/TMScrollBar.h"

#include "engine/TMButton.h"
#include "engine/XmlConfig.h"

TMScrollBar::~TMScrollBar() = default;

void TMScrollBar::Load(pugi::xml_node node, Pyxo::PyxoAppBase* app)
{
    LoadCommon(node);
    // A track end the description leaves out is 0.
    mDistX1 = XmlReadInt(node, "distx1");
    mDistY1 = XmlReadInt(node, "disty1");
    mDistX2 = XmlReadInt(node, "distx2");
    mDistY2 = XmlReadInt(node, "disty2");
    mUpButton = LoadButton(node, "up", kUpId, app);
    mDownButton = LoadButton(node, "down", kDownId, app);
    mSliderButton = LoadButton(node, "slider", kSliderId, app);
}

TMButton* TMScrollBar::LoadButton(pugi::xml_node node, const char* name, intptr_t id, Pyxo::PyxoAppBase* app)
{
    const pugi::xml_node buttonNode = XmlSelectNode(node, "element[@name=$name]", {{"name", name}});
    if (!buttonNode)
        return nullptr;
    auto* button = new TMButton(this, id, this);
    button->Load(buttonNode, app);
    AddChild(name, button);
    return button;
}

void TMScrollBar::Update()
{
    TMCandyWidget::Update();
    if (mPosition < 0)
        mPosition = 0;
    if (mPosition > mMaximum)
        mPosition = mMaximum;
    if (mMaximum != 0 && mSliderButton) {
        const float f = static_cast<float>(mPosition) / static_cast<float>(mMaximum);
        mSliderButton->Move(static_cast<int>(f * static_cast<float>(mDistX2 - mDistX1)) + mDistX1,
                            static_cast<int>(static_cast<float>(mDistY2 - mDistY1) * f) + mDistY1);
    }
}

void TMScrollBar::Draw(Pyxo::Graphics* /*g*/) {}

void TMScrollBar::SetDisabled(bool disabled)
{
    if (mUpButton)
        mUpButton->SetDisabled(disabled);
    if (mDownButton)
        mDownButton->SetDisabled(disabled);
    if (mSliderButton) {
        if (disabled)
            mSliderButton->Hide();
        else
            mSliderButton->Show();
    }
}

void TMScrollBar::ButtonPress(intptr_t id)
{
    if (id == kUpId && mPosition > 0)
        --mPosition;
    else if (id == kDownId && mPosition < mMaximum)
        ++mPosition;
}

void TMScrollBar::SetMax(int maximum)
{
    mMaximum = maximum;
    SetDisabled(maximum <= 0);
}

void TMScrollBar::SetTrack(int x1, int y1, int x2, int y2)
{
    mDistX1 = x1;
    mDistY1 = y1;
    mDistX2 = x2;
    mDistY2 = y2;
}

TMButton* TMScrollBar::GetButton(intptr_t id) const
{
    switch (id) {
    case kUpId:
        return mUpButton;
    case kDownId:
        return mDownButton;
    case kSliderId:
        return mSliderButton;
    default:
        return nullptr;
    }
}
