// The list and its scroll bar: the scroll range from the rows (also when they come after the list was loaded), the
// arrows, clicks that select and scroll, the cached rows and what they show, and the descriptions that leave the row
// height or the track ends out.
#include "engine/TMList.h"

#include "engine/TMButton.h"
#include "engine/TMFont.h"
#include "engine/TMScrollBar.h"
#include "graphics/Graphics.h"
#include "tests/engine/ControlTestKit.h"
#include "tests/shell/WidgetTestKit.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using namespace EngineTest;
using WidgetTestKit::FixedFont;

class TMListTest : public ControlFixture {
protected:
    /// A list of the given height and row height with a scroll bar 16 wide, loaded empty.
    std::unique_ptr<TMList> MakeList(int height, int lineSpacing = 20)
    {
        const std::string element = "<element type='tmlist' name='profiles' width='120' height='" +
                                    std::to_string(height) + "' line_spacing='" + std::to_string(lineSpacing) +
                                    "' left='4' sel_color='0xFF00FF00'>"
                                    "<element type='tmscroll' name='scroll' width='16'/>"
                                    "<texture id='check' texture='red' width='8' height='8'/></element>";
        return Load<TMList>(element.c_str());
    }

    static void Fill(TMList& list, int rows)
    {
        for (int i = 0; i < rows; ++i)
            list.AddItem(L"row " + std::to_wstring(i));
    }

    /// The list drawn into a target of its size.
    std::unique_ptr<Pyxo::MemoryImage> Drawn(TMList& list)
    {
        auto target = Target(list.mWidth, list.mHeight);
        Pyxo::Graphics g(target.get());
        list.Draw(&g);
        return target;
    }
};

TEST_F(TMListTest, TheScrollRangeFollowsTheRows)
{
    struct Case {
        const char* name;
        int height, rows, rowsShown, maximum;
    };
    const Case cases[] = {
        {"ten rows, six shown, the last partly", 100, 10, 6, 5},
        {"four rows fit", 100, 4, 6, 0},
        {"exactly the rows shown", 100, 6, 6, 1},
        {"a taller list", 120, 10, 7, 4},
        {"no rows", 100, 0, 6, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto list = MakeList(c.height);
        Fill(*list, c.rows); // after the list was loaded, as screens fill it
        EXPECT_EQ(list->GetRowsShown(), c.rowsShown);
        ASSERT_NE(list->GetScrollBar(), nullptr);
        EXPECT_EQ(list->GetScrollBar()->GetMax(), c.maximum);
    }
}

TEST_F(TMListTest, ClearingTheRowsTakesTheRangeAndThePositionBack)
{
    auto list = MakeList(100);
    Fill(*list, 10);
    TMScrollBar& bar = *list->GetScrollBar();
    bar.SetPosition(4);
    list->Clear();
    EXPECT_EQ(bar.GetMax(), 0);
    EXPECT_EQ(bar.GetPosition(), 0);
    Fill(*list, 8);
    EXPECT_EQ(bar.GetMax(), 3);
}

TEST_F(TMListTest, TheArrowsStepThePositionWithinTheRange)
{
    auto list = MakeList(100);
    Fill(*list, 10);
    TMScrollBar& bar = *list->GetScrollBar();
    bar.ButtonPressClicks(TMScrollBar::kUpId, 1);
    EXPECT_EQ(bar.GetPosition(), 0) << "up at 0 does nothing";
    for (int i = 0; i < 7; ++i)
        bar.ButtonPressClicks(TMScrollBar::kDownId, 1);
    EXPECT_EQ(bar.GetPosition(), 5) << "down at the maximum does nothing";
    bar.ButtonPressClicks(TMScrollBar::kSliderId, 1);
    bar.ButtonPressClicks(TMScrollBar::kUpId, 1);
    EXPECT_EQ(bar.GetPosition(), 4);
}

TEST_F(TMListTest, AListFilledAfterLoadScrollsItsRows)
{
    std::vector<FixedFont::Drawn> drawn;
    FixedFont font(&drawn);
    auto list = MakeList(100);
    list->SetTextAttr(2, &font, Pyxo::Color(0xFF112233), Pyxo::Color(0xFF445566));
    Fill(*list, 10);
    list->GetScrollBar()->ButtonPressClicks(TMScrollBar::kDownId, 1);
    list->GetScrollBar()->ButtonPressClicks(TMScrollBar::kDownId, 1);
    list->Update();
    EXPECT_EQ(list->GetFirstRow(), 2);
    Drawn(*list);
    ASSERT_EQ(drawn.size(), 5u) << "rows 2 to 6 fill the 100 pixels";
    EXPECT_EQ(drawn.front().mText, L"row 2");
    EXPECT_EQ(drawn.back().mText, L"row 6");
}

TEST_F(TMListTest, AClickSelectsTheRowAndShowsAPartlyHiddenOne)
{
    struct Case {
        const char* name;
        int height, rows, clickY;
        int selected, firstRow;
    };
    const Case cases[] = {
        {"a whole row", 110, 10, 45, 2, 0},
        {"the last, partly visible row", 110, 10, 105, 5, 1},
        {"below the last row", 110, 3, 70, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto list = MakeList(c.height);
        Fill(*list, c.rows);
        list->MouseDownClicks(10, c.clickY, 1);
        EXPECT_EQ(list->GetSelection(), c.selected);
        EXPECT_EQ(list->GetFirstRow(), c.firstRow);
        EXPECT_EQ(list->GetScrollBar()->GetPosition(), c.firstRow);
        EXPECT_FALSE(list->IsImageValid());
    }
}

TEST_F(TMListTest, RowsAreWrittenInThreeLayersOnTheirBaseline)
{
    std::vector<FixedFont::Drawn> drawn;
    FixedFont font(&drawn);
    auto list = MakeList(100);
    list->SetTextAttr(0, &font, Pyxo::Color(0xFF000001), Pyxo::Color(0xFF000011));
    list->SetTextAttr(2, &font, Pyxo::Color(0xFF000003), Pyxo::Color(0xFF000033));
    list->SetTextAttr(7, &font, Pyxo::Color(0xFF000007), Pyxo::Color(0xFF000077)); // no such layer
    Fill(*list, 2);
    Drawn(*list);
    ASSERT_EQ(drawn.size(), 4u);
    // Rows 20 high, font 14 high with ascent 10: baseline y + 10 + 3, at the list's left margin.
    EXPECT_EQ(drawn[0].mText, L"row 0");
    EXPECT_EQ(drawn[0].mColor, Pyxo::Color(0xFF000001));
    EXPECT_EQ(drawn[1].mColor, Pyxo::Color(0xFF000003));
    EXPECT_EQ(drawn[1].mX, 4);
    EXPECT_EQ(drawn[1].mY, 13);
    EXPECT_EQ(drawn[3].mText, L"row 1");
    EXPECT_EQ(drawn[3].mY, 33);

    drawn.clear();
    Drawn(*list);
    EXPECT_TRUE(drawn.empty()) << "unchanged rows come from the cached image";
    list->SetDisabled(true);
    list->SetSelection(1);
    Drawn(*list);
    ASSERT_EQ(drawn.size(), 4u);
    EXPECT_EQ(drawn[1].mColor, Pyxo::Color(0xFF000033)) << "disabled rows take dcolor";
}

TEST_F(TMListTest, TheSelectedRowIsFilledAndTheTickedRowChecked)
{
    auto list = MakeList(100);
    Fill(*list, 3);
    list->SetSelection(1);
    list->SetCheckedItem(2);
    auto target = Drawn(*list);
    // Down the column x = 4 (inside the check texture), one pixel per row middle.
    EXPECT_EQ(PixelRow(*target, 10, 4, 1, 1) + PixelRow(*target, 30, 4, 1, 1) + PixelRow(*target, 50, 4, 1, 1), ".GR");
    // The fill covers the row up to the scroll bar: 120 - 16 wide.
    EXPECT_EQ(PixelRow(*target, 30, 100, 2, 4), "GG..");

    list->SetCheckedItem(-1);
    target = Drawn(*list);
    EXPECT_EQ(PixelRow(*target, 10, 4, 1, 1) + PixelRow(*target, 30, 4, 1, 1) + PixelRow(*target, 50, 4, 1, 1), ".G.");
}

TEST_F(TMListTest, ClearThenAddItemRedrawsAndKeepsTheSelection)
{
    std::vector<FixedFont::Drawn> drawn;
    FixedFont font(&drawn);
    auto list = MakeList(100);
    list->SetTextAttr(2, &font, Pyxo::Color(0xFF000000), Pyxo::Color(0xFF000000));
    Fill(*list, 4);
    list->SetSelection(3);
    Drawn(*list);
    EXPECT_TRUE(list->IsImageValid());

    list->Clear();
    EXPECT_EQ(list->GetSelection(), 3);
    list->AddItem(L"Alma");
    EXPECT_FALSE(list->IsImageValid());
    drawn.clear();
    Drawn(*list);
    ASSERT_EQ(drawn.size(), 1u);
    EXPECT_EQ(drawn[0].mText, L"Alma");
}

TEST_F(TMListTest, AnUnusableRowHeightIsRefusedForTheDefault)
{
    for (const char* spacing : {"line_spacing='0'", "line_spacing='-3'", ""}) {
        SCOPED_TRACE(spacing);
        const std::string element = std::string("<element type='tmlist' width='120' height='100' ") + spacing +
                                    "><element type='tmscroll' name='scroll' width='16'/></element>";
        auto list = Load<TMList>(element.c_str());
        EXPECT_EQ(list->GetRowHeight(), TMList::kDefaultRowHeight);
        EXPECT_EQ(list->GetRowsShown(), 6);
        Fill(*list, 10);
        EXPECT_EQ(list->GetScrollBar()->GetMax(), 5);
        list->MouseDownClicks(10, 45, 1);
        EXPECT_EQ(list->GetSelection(), 2);
    }
    EXPECT_TRUE(LogHas("line_spacing"));

    // With a normal font, rows are as high as its characters.
    pugi::xml_document fonts;
    ASSERT_TRUE(fonts.load_string(R"(<root><font name="rows" type="System" face="DejaVu Sans" size="12"/></root>)"));
    mEngine->GetFontTable()->Load(fonts.child("root"));
    Pyxo::Font* font = TMEngine::GetFont("rows");
    ASSERT_NE(font, nullptr);
    ASSERT_GT(font->GetHeight(), 0);
    auto list = Load<TMList>("<element type='tmlist' width='120' height='100' line_spacing='0'>"
                             "<textattr id='normal' font='rows' color='0xFF000000'/></element>");
    EXPECT_EQ(list->GetRowHeight(), font->GetHeight());
    EXPECT_EQ(list->GetRowsShown(), 100 / font->GetHeight() + 1);
}

TEST_F(TMListTest, AListWithoutScrollBarStillScrollsToAClickedRow)
{
    auto list = Load<TMList>("<element type='tmlist' width='120' height='110' line_spacing='20'/>");
    EXPECT_EQ(list->GetScrollBar(), nullptr);
    Fill(*list, 10);
    list->MouseDownClicks(10, 105, 1);
    EXPECT_EQ(list->GetSelection(), 5);
    EXPECT_EQ(list->GetFirstRow(), 1);
    list->Update();
    EXPECT_EQ(list->GetFirstRow(), 1);
}

/// A list 100 high whose scroll bar has arrows 16 high and a slider 20 high; the elements leave out named in skip.
std::string ListWithButtons(const std::string& skip = "")
{
    std::string element = "<element type='tmlist' width='120' height='100' line_spacing='20'>"
                          "<element type='tmscroll' name='scroll' width='16'>";
    if (skip != "up")
        element += "<element type='tmbutton' name='up' width='16' height='16' visible='true'/>";
    if (skip != "down")
        element += "<element type='tmbutton' name='down' width='16' height='16' visible='true'/>";
    if (skip != "slider")
        element += "<element type='tmbutton' name='slider' x='5' y='5' width='16' height='20' visible='true'/>";
    return element + "</element></element>";
}

TEST_F(TMListTest, TheScrollBarButtonsArePlacedAlongTheList)
{
    auto list = Load<TMList>(ListWithButtons().c_str());
    TMScrollBar& bar = *list->GetScrollBar();
    EXPECT_EQ(bar.mLayoutRect, Pyxo::Rect(104, 0, 16, 100));
    TMCandyWidget* up = bar.GetButton(TMScrollBar::kUpId);
    TMCandyWidget* down = bar.GetButton(TMScrollBar::kDownId);
    TMCandyWidget* slider = bar.GetButton(TMScrollBar::kSliderId);
    ASSERT_TRUE(up && down && slider);
    EXPECT_EQ(bar.FindChild("up"), up);
    EXPECT_EQ(up->mLayoutRect, Pyxo::Rect(0, 0, 16, 16));
    EXPECT_EQ(down->mLayoutRect, Pyxo::Rect(0, 84, 16, 16));

    Fill(*list, 10); // maximum 5; the slider runs from y 16 to y 100 - 16 - 20
    struct Step {
        int position, sliderY;
    };
    for (const Step step : {Step{0, 16}, Step{2, 35}, Step{5, 64}}) {
        SCOPED_TRACE(step.position);
        bar.SetPosition(step.position);
        bar.Update();
        EXPECT_EQ(slider->mLayoutRect.mX, 0);
        EXPECT_EQ(slider->mLayoutRect.mY, step.sliderY);
    }
}

TEST_F(TMListTest, TheArrowButtonsStepTheList)
{
    auto list = Load<TMList>(ListWithButtons().c_str());
    list->SetVisible(true);
    TMScrollBar& bar = *list->GetScrollBar();
    TMCandyWidget* down = bar.GetButton(TMScrollBar::kDownId);
    TMCandyWidget* slider = bar.GetButton(TMScrollBar::kSliderId);

    Fill(*list, 4); // all rows fit
    EXPECT_TRUE(bar.GetButton(TMScrollBar::kUpId)->mDisabled);
    EXPECT_TRUE(down->mDisabled);
    EXPECT_FALSE(slider->mVisible);
    down->MouseDownClicks(4, 4, 1);
    EXPECT_EQ(bar.GetPosition(), 0);

    Fill(*list, 6); // ten rows, maximum 5
    EXPECT_FALSE(down->mDisabled);
    EXPECT_TRUE(slider->mVisible);
    down->MouseDownClicks(4, 4, 1);
    down->MouseDownClicks(4, 4, 1);
    list->Update();
    EXPECT_EQ(list->GetFirstRow(), 2);
}

TEST_F(TMListTest, AScrollBarWithoutSomeButtonsLeavesThemOutOfTheTrack)
{
    struct Case {
        const char* skip;
        int sliderYAtMaximum;
    };
    for (const Case c : {Case{"up", 64}, Case{"down", 80}}) {
        SCOPED_TRACE(c.skip);
        auto list = Load<TMList>(ListWithButtons(c.skip).c_str());
        TMScrollBar& bar = *list->GetScrollBar();
        EXPECT_EQ(bar.GetButton(std::string(c.skip) == "up" ? TMScrollBar::kUpId : TMScrollBar::kDownId), nullptr);
        Fill(*list, 10);
        bar.SetPosition(5);
        bar.Update();
        EXPECT_EQ(bar.GetButton(TMScrollBar::kSliderId)->mLayoutRect.mY, c.sliderYAtMaximum);
    }
    auto list = Load<TMList>(ListWithButtons("slider").c_str());
    Fill(*list, 10);
    list->GetScrollBar()->ButtonPressClicks(TMScrollBar::kDownId, 1);
    list->GetScrollBar()->Update();
    EXPECT_EQ(list->GetScrollBar()->GetPosition(), 1);
}

TEST_F(TMListTest, AScrollBarWithoutTrackEndsKeepsItsSliderAtTheOrigin)
{
    auto bar =
        Load<TMScrollBar>("<element type='tmscroll' width='16' height='100'>"
                          "<element type='tmbutton' name='slider' x='3' y='7' width='16' height='20'/></element>");
    bar->SetMax(4);
    bar->SetPosition(2);
    bar->Update();
    EXPECT_EQ(bar->GetButton(TMScrollBar::kSliderId)->mLayoutRect.mX, 0);
    EXPECT_EQ(bar->GetButton(TMScrollBar::kSliderId)->mLayoutRect.mY, 0);
}

} // namespace
