#include "engine/TMCheckBox.h"

#include "engine/ControlDrawing.h"
#include "engine/TMTexture.h"
#include "engine/XmlConfig.h"
#include "graphics/Graphics.h"

void TMCheckBox::Load(pugi::xml_node node, Pyxo::PyxoAppBase* /*app*/)
{
    LoadCommon(node);
    struct Entry {
        const char* query;
        Slot slot;
    };
    static constexpr Entry kEntries[] = {
        {"texture[@id='normal']", Normal},        {"texture[@id='over']", Over},
        {"texture[@id='disabled']", Disabled},    {"texture[@id='check_normal']", CheckNormal},
        {"texture[@id='check_over']", CheckOver}, {"texture[@id='check_disabled']", CheckDisabled},
    };
    for (const Entry& entry : kEntries) {
        const pugi::xml_node textureNode = XmlSelectNode(node, entry.query);
        if (!textureNode)
            continue;
        auto* texture = new TMTexture();
        texture->Load(textureNode, mWidth, mHeight);
        AddTexture(0, texture);
        mSlots[entry.slot] = texture;
    }
}

void TMCheckBox::Update()
{
    TMCandyWidget::Update();
    for (TMTexture* texture : mSlots) {
        if (texture)
            texture->mShown = false;
    }
    const int group = mChecked ? CheckNormal : Normal;
    TMTexture* shown = nullptr;
    if (mDisabled) {
        shown = mSlots[group + Disabled];
    } else if (!mIsOver) {
        shown = mSlots[group + Normal];
    } else {
        TMTexture* over = mSlots[group + Over];
        shown = over && over->GetCurrentImage() ? over : mSlots[group + Normal];
    }
    if (shown)
        shown->mShown = true;
}

void TMCheckBox::Draw(Pyxo::Graphics* g)
{
    ControlDrawing::SetFadedWhite(g, *this);
    TMCandyWidget::Draw(g);
}

void TMCheckBox::MouseUp(int /*x*/, int /*y*/, int /*button*/, int /*clickCount*/)
{
    if (!mIsOver)
        return;
    mChecked = !mChecked;
    MarkDirty();
}

void TMCheckBox::SetChecked(bool checked)
{
    mChecked = checked;
    MarkDirty();
}
