// Localisation from cfg\loc.xml and the text variables.
#include "engine/TMLocTable.h"

#include "engine/TextVars.h"
#include "tests/engine/EngineTestKit.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using namespace EngineTest;

using TMLocTableTest = EngineFixture;

TEST_F(TMLocTableTest, LoadsTheFirstDefinitionOfEachTextThatFits)
{
    const std::string longest(TMLocTable::kTextCapacity - 1, 'a');
    const std::string tooLong(TMLocTable::kTextCapacity, 'b');
    WriteXml(mFolder / "cfg" / "loc.xml", "<root>\n"
                                          "  <loc id=\"title\" text=\"Caf\xC3\xA9\"/>\n"
                                          "  <loc id=\"title\" text=\"second\"/>\n"
                                          "  <loc id=\"empty\" text=\"\"/>\n"
                                          "  <loc id=\"no_text\"/>\n"
                                          "  <loc text=\"no id\"/>\n"
                                          "  <loc id=\"longest\" text=\"" +
                                              longest +
                                              "\"/>\n"
                                              "  <loc id=\"too_long\" text=\"" +
                                              tooLong +
                                              "\"/>\n"
                                              "  <loc id=\"after\" text=\"still read\"/>\n"
                                              "  <other id=\"other\" text=\"not a loc\"/>\n"
                                              "</root>");
    fs::current_path(mFolder);
    TMLocTable table;
    ASSERT_TRUE(table.Load());
    EXPECT_EQ(table.GetText("title"), L"Caf\u00E9");
    EXPECT_EQ(table.GetText("longest").size(), longest.size());
    EXPECT_EQ(table.GetText("after"), L"still read");
    EXPECT_EQ(table.Size(), 3u) << "the empty, incomplete, too long and foreign entries are skipped";
    EXPECT_TRUE(LogHas("\"too_long\" is too long")) << "a text the table cannot hold is reported";

    EXPECT_TRUE(table.GetText("unknown").empty());
    EXPECT_EQ(table.Size(), 3u) << "a lookup adds nothing";
}

TEST_F(TMLocTableTest, AMissingFileLeavesTheTableEmptyAndIsReported)
{
    fs::current_path(mFolder);
    TMLocTable table;
    EXPECT_FALSE(table.Load());
    EXPECT_EQ(table.Size(), 0u);
    EXPECT_TRUE(LogHas("cfg\\loc.xml"));
}

TEST(TextVars, NumbersAndMissingVariables)
{
    TextVars vars;
    vars.SetNumber("day", -12);
    EXPECT_EQ(vars.Get("day"), L"-12");
    vars.Set("day", L"Tuesday");
    EXPECT_EQ(vars.Get("day"), L"Tuesday");
    EXPECT_FALSE(vars.Has("unknown"));
    EXPECT_TRUE(vars.Get("unknown").empty());
    EXPECT_TRUE(vars.Has("unknown")) << "reading a missing variable creates it";
    vars.Clear();
    EXPECT_FALSE(vars.Has("day"));
}

} // namespace
