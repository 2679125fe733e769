// The slider: a press in its mouse zone sets the value (dead zones at both ends), the thumb follows the value along
// its track, and its parts let the mouse through.
#include "engine/TMSlider.h"

#include "engine/TMBar.h"
#include "engine/TMText.h"
#include "tests/engine/ControlTestKit.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using namespace EngineTest;

class TMSliderTest : public ControlFixture {};

/// A zone (20, 0, 200, 30) on a width of 240; the last 30 pixels give the maximum, those left of x 30 give 0. The
/// thumb, 10 wide, starts at the margin 20.
std::string SliderElement(const char* zoneWidth = "200", const char* leftDeadZone = "30")
{
    return std::string("<element type='tmslider' name='volume' width='240' height='30' visible='true' mz_x='20' "
                       "mz_y='0' mz_width='") +
           zoneWidth + "' mz_height='30' mz_dz1='" + leftDeadZone +
           "' mz_dz2='30'>"
           "<element name='back' type='tmtext' width='240' height='30' visible='true'/>"
           "<element name='bar' type='tmbar' x='20' width='200' height='10' seg_width='10' visible='true'/>"
           "<element name='thumb' type='tmtext' x='20' y='5' width='10' height='20' visible='true'/></element>";
}

TEST_F(TMSliderTest, APressInTheZoneSetsTheValue)
{
    struct Case {
        const char* name;
        const char* zoneWidth;
        const char* leftDeadZone;
        int x, y;
        int value; // from 7
    };
    const Case cases[] = {
        {"in the right dead zone", "200", "30", 215, 10, 100},
        {"in the middle", "200", "30", 120, 10, 50},
        {"past the left dead zone", "200", "30", 40, 10, 10},
        {"in the left dead zone", "200", "30", 25, 10, 0},
        {"left of the zone", "200", "30", 8, 10, 7},
        {"right of the zone", "200", "30", 230, 10, 7},
        {"below the zone", "200", "30", 120, 40, 7},
        {"on the zone's bottom edge", "200", "30", 120, 30, 50},
        {"a zone without width keeps the value", "0", "0", 20, 10, 7},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto slider = Load<TMSlider>(SliderElement(c.zoneWidth, c.leftDeadZone).c_str());
        slider->SetMax(100);
        slider->SetValue(7);
        slider->MouseDownClicks(c.x, c.y, 1);
        EXPECT_EQ(slider->GetValue(), c.value);
        ASSERT_NE(slider->GetBar(), nullptr);
        EXPECT_EQ(slider->GetBar()->GetValue(), c.value) << "the bar shows the value";
    }
}

TEST_F(TMSliderTest, TheThumbFollowsTheValueAlongItsTrack)
{
    struct Case {
        int value;
        int thumbX;
    };
    // Track 240 - 2 x 20 = 200 from x 20; the thumb is centred on the value and kept on the track.
    const Case cases[] = {{50, 115}, {0, 20}, {100, 210}, {-5, 20}, {150, 210}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.value);
        auto slider = Load<TMSlider>(SliderElement().c_str());
        slider->SetMax(100);
        slider->SetValue(c.value);
        slider->Update();
        ASSERT_NE(slider->GetThumb(), nullptr);
        EXPECT_EQ(slider->GetThumb()->mX, c.thumbX);
        EXPECT_EQ(slider->GetThumb()->mY, 5);
        EXPECT_GE(slider->GetValue(), 0);
        EXPECT_LE(slider->GetValue(), 100);
    }
}

TEST_F(TMSliderTest, AHiddenSliderLeavesItsThumbAndValue)
{
    auto slider = Load<TMSlider>(SliderElement().c_str());
    slider->SetMax(100);
    slider->SetValue(150);
    slider->SetVisible(false);
    slider->Update();
    EXPECT_EQ(slider->GetValue(), 150);
    EXPECT_EQ(slider->GetThumb()->mX, 20);
}

TEST_F(TMSliderTest, ItsPartsLetTheMouseThrough)
{
    auto slider = Load<TMSlider>(SliderElement().c_str());
    ASSERT_NE(slider->GetBack(), nullptr);
    for (TMCandyWidget* part :
         {static_cast<TMCandyWidget*>(slider->GetBack()), static_cast<TMCandyWidget*>(slider->GetBar()),
          static_cast<TMCandyWidget*>(slider->GetThumb())})
        EXPECT_FALSE(part->mMouseVisible);
    EXPECT_EQ(slider->FindChild("bar"), slider->GetBar());
}

} // namespace
