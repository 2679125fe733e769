// The list, scroll bar, bar, check box, slider and animation elements of the interface description, built by a
// dialog through its control table.
#include "engine/DialogControlFactory.h"
#include "engine/TMAnim.h"
#include "engine/TMBar.h"
#include "engine/TMCheckBox.h"
#include "engine/TMDialog.h"
#include "engine/TMList.h"
#include "engine/TMScrollBar.h"
#include "engine/TMSlider.h"
#include "tests/engine/ControlTestKit.h"

#include <gtest/gtest.h>

namespace {

using namespace EngineTest;

class DialogControlTypesTest : public ControlFixture {};

TEST_F(DialogControlTypesTest, ADialogBuildsEachTypeFromItsElement)
{
    pugi::xml_document document;
    ASSERT_TRUE(document.load_string(R"(<element type="tmdialog" name="options" width="400" height="300">
        <element type="tmlist" name="profiles" width="120" height="100" line_spacing="20">
          <element type="tmscroll" name="scroll" width="16"/></element>
        <element type="tmscroll" name="pager" x="7" width="16" height="90"/>
        <element type="tmbar" name="level" width="100" height="8" seg_width="10"/>
        <element type="tmcheckbox" name="fullscreen" width="16" height="16"/>
        <element type="tmslider" name="volume" width="240" height="30" mz_width="200">
          <element type="tmbar" name="bar" width="200" height="10" seg_width="10"/></element>
        <element type="tmanim" name="steam" fps="8"><texture texture="red"/></element>
      </element>)"));
    TMDialog dialog(nullptr, mEngine);
    dialog.Load(document.document_element());

    auto* list = dynamic_cast<TMList*>(dialog.FindChild("profiles"));
    ASSERT_NE(list, nullptr);
    EXPECT_NE(list->GetScrollBar(), nullptr);
    auto* pager = dynamic_cast<TMScrollBar*>(dialog.FindChild("pager"));
    ASSERT_NE(pager, nullptr);
    EXPECT_EQ(pager->mX, 7);
    auto* level = dynamic_cast<TMBar*>(dialog.FindChild("level"));
    ASSERT_NE(level, nullptr);
    EXPECT_EQ(level->GetSegmentWidth(), 10);
    EXPECT_NE(dynamic_cast<TMCheckBox*>(dialog.FindChild("fullscreen")), nullptr);
    auto* volume = dynamic_cast<TMSlider*>(dialog.FindChild("volume"));
    ASSERT_NE(volume, nullptr);
    EXPECT_NE(volume->GetBar(), nullptr);
    auto* steam = dynamic_cast<TMAnim*>(dialog.FindChild("steam"));
    ASSERT_NE(steam, nullptr);
    EXPECT_EQ(steam->GetFrameCount(), 1);
    for (TMCandyWidget* control : {static_cast<TMCandyWidget*>(list), static_cast<TMCandyWidget*>(volume)})
        EXPECT_EQ(control->GetLogicalParent(), &dialog);
}

} // namespace
