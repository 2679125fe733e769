// The shared declarations compile on their own, and the contracts between their owners hold: resource classes
// are not copied by accident, ids are pointer-sized, colours pack as 0xAARRGGBB, the click-count encoding and the
// widget flags keep their values, and the do-nothing defaults do nothing.
#include "graphics/Color.h"
#include "graphics/D3DInterface.h"
#include "graphics/D3DTester.h"
#include "graphics/DDImage.h"
#include "graphics/DDInterface.h"
#include "graphics/Font.h"
#include "graphics/Graphics.h"
#include "graphics/Image.h"
#include "graphics/ImagePoolRef.h"
#include "graphics/Matrix3.h"
#include "graphics/MemoryImage.h"
#include "graphics/NativeDisplay.h"
#include "graphics/Rect.h"
#include "graphics/Transform.h"
#include "shell/ButtonListener.h"
#include "shell/DialogListener.h"
#include "shell/MusicInterface.h"
#include "shell/PyxoAppBase.h"
#include "shell/SoundInstance.h"
#include "shell/SoundManager.h"
#include "shell/Widget.h"
#include "shell/WidgetContainer.h"
#include "shell/WidgetManager.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <type_traits>
#include <vector>

namespace {

using namespace Pyxo;

// Objects that own surfaces, devices, windows, children or registrations are never copied implicitly.
static_assert(!std::is_copy_constructible_v<PyxoAppBase>);
static_assert(!std::is_copy_constructible_v<WidgetContainer>);
static_assert(!std::is_copy_constructible_v<Widget>);
static_assert(!std::is_copy_constructible_v<WidgetManager>);
static_assert(!std::is_copy_constructible_v<Image>); // only derived classes copy the base part
static_assert(!std::is_copy_assignable_v<MemoryImage>);
static_assert(!std::is_copy_constructible_v<DDImage>);
static_assert(!std::is_copy_constructible_v<NativeDisplay>);
static_assert(!std::is_copy_constructible_v<DDInterface>);
static_assert(!std::is_copy_constructible_v<D3DInterface>);
static_assert(!std::is_copy_constructible_v<D3DTester>);
static_assert(!std::is_copy_assignable_v<Graphics>);
static_assert(!std::is_copy_constructible_v<SoundManager>);
static_assert(!std::is_copy_constructible_v<SoundInstance>);
static_assert(!std::is_copy_constructible_v<MusicInterface>);
static_assert(!std::is_copy_assignable_v<Font>);

// Everything is deleted through its base.
static_assert(std::has_virtual_destructor_v<Image>);
static_assert(std::has_virtual_destructor_v<WidgetContainer>);
static_assert(std::has_virtual_destructor_v<Font>);
static_assert(std::has_virtual_destructor_v<NativeDisplay>);

// Button, control and dialog ids are pointer-sized, so that a pointer survives as an id.
static_assert(sizeof(intptr_t) == sizeof(void*));
static_assert(std::is_same_v<decltype(&ButtonListener::ButtonPress), void (ButtonListener::*)(intptr_t)>);
static_assert(
    std::is_same_v<decltype(&DialogListener::DialogButtonRelease), void (DialogListener::*)(intptr_t, intptr_t)>);
static_assert(std::is_same_v<decltype(&PyxoAppBase::GetDialog), Dialog* (PyxoAppBase::*)(intptr_t)>);

// Colours: 0xAARRGGBB, alpha taken as it stands, opaque black by default.
static_assert(Color(1, 2, 3, 4).ToInt() == 0x04010203u);
static_assert(Color(0x00FF0000u).mAlpha == 0 && Color(0x00FF0000u).mRed == 255);
static_assert(Color(0x80402010u) == Color(0x40, 0x20, 0x10, 0x80));
static_assert(Color().ToInt() == 0xFF000000u);
static_assert(Color(10, 20, 30).mAlpha == 255);
static_assert(Color::White.ToInt() == 0xFFFFFFFFu);

// Widget flags and their modifiers.
static_assert((WidgetFlags::Update | WidgetFlags::Draw | WidgetFlags::Clip | WidgetFlags::AllowMouse |
               WidgetFlags::AllowFocus) == 61);
static_assert(FlagsMod{WidgetFlags::MarkDirty, WidgetFlags::AllowMouse | WidgetFlags::AllowFocus}.Apply(61) == 15);
static_assert(ModalFlags{1, 2, true}.GetFlags() == 1 && ModalFlags{1, 2, false}.GetFlags() == 2);

// Display start-up results that the screen-mode code tests by value.
static_assert(DDInterface::RESULT_OK == 0 && DDInterface::RESULT_DD_CREATE_FAIL == 2);
static_assert(DDInterface::RESULT_EXCLUSIVE_FAIL == 4 && DDInterface::RESULT_DISPCHANGE_FAIL == 5);
static_assert(DDInterface::RESULT_INVALID_COLORDEPTH == 6 && DDInterface::RESULT_3D_FAIL == 7);

static_assert(MemoryImage::kGuardWord == 0x4BEEFADEu);

TEST(SharedDeclarations, ClickCountDecodesToButtonAndCount)
{
    struct Case {
        int encoded;
        int button;
        int count;
    };
    const Case cases[] = {
        {1, MouseButton::Left, 1},   {2, MouseButton::Left, 2},   {-1, MouseButton::Right, 1},
        {-2, MouseButton::Right, 2}, {3, MouseButton::Middle, 1}, // three left clicks read as the middle button
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.encoded);
        const ButtonClicks decoded = DecodeClickCount(c.encoded);
        EXPECT_EQ(decoded.mButton, c.button);
        EXPECT_EQ(decoded.mClickCount, c.count);
    }
}

TEST(SharedDeclarations, ButtonPressClicksForwardsToButtonPressByDefault)
{
    struct Recorder : ButtonListener {
        std::vector<intptr_t> presses;
        void ButtonPress(intptr_t id) override { presses.push_back(id); }
    } recorder;

    const intptr_t pointerId = reinterpret_cast<intptr_t>(&recorder);
    ButtonListener& listener = recorder;
    listener.ButtonPressClicks(pointerId, -2);
    listener.ButtonRelease(pointerId); // the other defaults do nothing
    ASSERT_EQ(recorder.presses.size(), 1u);
    EXPECT_EQ(recorder.presses[0], pointerId);
}

TEST(SharedDeclarations, MusicInterfaceWithMusicOffLoadsAndPlaysNothing)
{
    MusicInterface music;
    EXPECT_FALSE(music.LoadMusic(1, "music/theme"));
    music.PlayMusic(1, 0, false);
    music.Update();
    EXPECT_FALSE(music.IsPlaying(1));
}

TEST(SharedDeclarations, FontMetricsAndWidthsDeriveFromTheBase)
{
    struct FixedFont : Font {
        FixedFont()
        {
            mAscent = 12;
            mHeight = 16;
            mLineSpacingOffset = 3;
        }
        int StringWidth(const std::wstring& text) override { return 7 * int(text.size()); }
        std::unique_ptr<Font> Duplicate() const override { return std::make_unique<FixedFont>(*this); }
    } font;

    EXPECT_EQ(font.GetDescent(), 4);
    EXPECT_EQ(font.GetLineSpacing(), 19);
    EXPECT_EQ(font.CharWidthKern(L'a', L'b'), 7) << "the base ignores kerning and measures one character";
    const std::unique_ptr<Font> copy = font.Duplicate();
    EXPECT_EQ(copy->GetAscent(), 12);
}

} // namespace
