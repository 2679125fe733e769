// The check box: the texture of its state and the mouse, and the click that toggles it.
#include "engine/TMCheckBox.h"

#include "engine/TMTexture.h"
#include "graphics/Graphics.h"
#include "tests/engine/ControlTestKit.h"

#include <gtest/gtest.h>

namespace {

using namespace EngineTest;

class TMCheckBoxTest : public ControlFixture {};

// No "check_over": hovering the checked box keeps its normal checked texture.
constexpr const char* kBox = R"(<element type="tmcheckbox" name="music" width="16" height="16" visible="true">
    <texture id="normal" texture="red"/><texture id="over" texture="green"/><texture id="disabled" texture="blue"/>
    <texture id="check_normal" texture="blue"/><texture id="check_disabled" texture="red"/></element>)";

/// The slot shown, or -1 when none is.
int ShownSlot(const TMCheckBox& box)
{
    int shown = -1;
    for (int slot = 0; slot < TMCheckBox::SlotCount; ++slot) {
        const TMTexture* texture = box.GetSlot(TMCheckBox::Slot(slot));
        if (texture && texture->mShown) {
            EXPECT_EQ(shown, -1) << "one texture at a time";
            shown = slot;
        }
    }
    return shown;
}

TEST_F(TMCheckBoxTest, ShowsTheTextureOfItsStateAndTheMouse)
{
    struct Case {
        const char* name;
        const char* element;
        bool checked, over, disabled;
        int shown;
    };
    const Case cases[] = {
        {"unchecked", kBox, false, false, false, TMCheckBox::Normal},
        {"unchecked, hovered", kBox, false, true, false, TMCheckBox::Over},
        {"unchecked, disabled and hovered", kBox, false, true, true, TMCheckBox::Disabled},
        {"checked", kBox, true, false, false, TMCheckBox::CheckNormal},
        {"checked, hovered, no check_over", kBox, true, true, false, TMCheckBox::CheckNormal},
        {"checked, disabled", kBox, true, false, true, TMCheckBox::CheckDisabled},
        {"an over texture without a picture gives way to the normal one",
         R"(<element type="tmcheckbox" width="16" height="16" visible="true">
              <texture id="normal" texture="red"/><texture id="over" texture="nothing"/></element>)",
         false, true, false, TMCheckBox::Normal},
        {"a disabled state without its texture shows none",
         R"(<element type="tmcheckbox" width="16" height="16" visible="true"><texture id="normal" texture="red"/></element>)",
         false, false, true, -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto box = Load<TMCheckBox>(c.element);
        box->SetChecked(c.checked);
        box->mIsOver = c.over;
        box->SetDisabled(c.disabled);
        box->Update();
        EXPECT_EQ(ShownSlot(*box), c.shown);
    }
}

TEST_F(TMCheckBoxTest, AReleaseOverTheBoxTogglesIt)
{
    auto box = Load<TMCheckBox>(kBox);
    EXPECT_FALSE(box->IsChecked());
    box->mIsOver = true;
    box->MouseUpClicks(4, 4, 1);
    EXPECT_TRUE(box->IsChecked());
    box->MouseUpClicks(4, 4, 1);
    EXPECT_FALSE(box->IsChecked());

    box->mIsOver = false; // pressed on the box, released beside it
    box->MouseUpClicks(30, 4, 1);
    EXPECT_FALSE(box->IsChecked());
}

TEST_F(TMCheckBoxTest, DrawsTheShownTextureWithTheAncestorsAlpha)
{
    TMCandyWidget parent(nullptr);
    parent.Resize(0, 0, 16, 16);
    parent.SetVisible(true);
    parent.SetAlpha(0.5f);
    auto box = Load<TMCheckBox>(kBox, &parent);
    box->SetChecked(true);
    box->Update();
    auto target = Target(16, 16);
    Pyxo::Graphics g(target.get());
    box->Draw(&g);
    EXPECT_EQ(g.GetColor(), Pyxo::Color(255, 255, 255, 127));
    EXPECT_TRUE(g.GetColorize());
    const uint32_t pixel = target->GetBits()[8 * 16 + 8];
    EXPECT_NE(pixel >> 24, 0u);
    EXPECT_EQ(pixel & 0x00FFFF00, 0u) << "the checked texture is blue";
}

} // namespace
