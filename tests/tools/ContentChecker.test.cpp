// The content checker on a small built fixture: every kind of miss reported at once, named with the source file
// and line of the element at fault.
#include "tools/content/ContentChecker.h"

#include "tests/tools/ToolsTestKit.h"
#include "tools/anm/AnmFile.h"

#include <gtest/gtest.h>

namespace {

namespace fs = std::filesystem;

class ContentCheckerTest : public ::testing::Test {
protected:
    /// Builds data/<target> from the sources as the content build does, origins kept.
    void Build(const std::string& target, const fs::path& main, const std::vector<fs::path>& fragments)
    {
        XmlConvert::Assembled assembled;
        std::string error;
        ASSERT_TRUE(XmlConvert::Assemble(main, "root", fragments, assembled, error)) << error;
        ASSERT_TRUE(XmlConvert::WriteAssembled(assembled, Data() / target, Origins() / (target + ".origins"), error))
            << error;
    }
    fs::path Data() const { return mFolder.Path() / "data"; }
    fs::path Origins() const { return mFolder.Path() / "origins"; }

    ToolsTest::TempFolder mFolder;
};

TEST_F(ContentCheckerTest, EveryKindOfMissIsNamedWithItsSource)
{
    const fs::path cfg = mFolder.Write("src/cfg/cfg.xml", "<root>\n"
                                                          "  <texture id=\"TEX_BUTTON\"/>\n"
                                                          "  <sound name=\"click\"/>\n"
                                                          "</root>\n");
    const fs::path fonts = mFolder.Write("src/cfg/cfg.d/fonts.xml", "<root>\n"
                                                                    "  <font id=\"big\" line_spacing=\"2\"/>\n"
                                                                    "  <font id=\"flat\" line_spacing=\"0\"/>\n"
                                                                    "  <font id=\"none\"/>\n"
                                                                    "</root>\n");
    const fs::path ui = mFolder.Write("src/cfg/ui.xml", "<root>\n"
                                                        "  <repeat counter=\"i\" from=\"1\" to=\"2\">\n"
                                                        "    <button id=\"b{i}\" texture=\"TEX_BUTTON\" "
                                                        "sound=\"click\" text=\"app_title\"/>\n"
                                                        "  </repeat>\n"
                                                        "  <button id=\"odd\" texture=\"TEX_NONE\" sound=\"boom\"\n"
                                                        "          text=\"no_text\"/>\n"
                                                        "  <part name=\"body\"/>\n"
                                                        "</root>\n");
    const fs::path loc = mFolder.Write("src/cfg/loc.xml", "<root>\n  <loc id=\"app_title\" text=\"Cafe\"/>\n</root>");
    Build("cfg/cfg.xml", cfg, {fonts});
    Build("cfg/ui.xml", ui, {});
    Build("cfg/loc.xml", loc, {});
    std::vector<uint8_t> anm;
    std::string error;
    ASSERT_TRUE(AnmTool::BuildAnm({{"images\\w.png", "bodyredbrwalk01", 8, 0, 10, {{0, 0, 8, 8, 0, 0}}},
                                   {"images\\w.png", "bodyredbridle", 8, 0, 10, {{0, 0, 8, 8, 0, 0}}}},
                                  anm, error));
    mFolder.Write("data/anm/body.anm", std::string(anm.begin(), anm.end()));

    ContentChecker checker(Data(), Origins());
    checker.RequireNamed("cfg/loc.xml", "//loc", "id", {"app_title", "day_title"});
    checker.RequireCount("cfg/ui.xml", "//button", 24);
    checker.RequireCount("cfg/ui.xml", "//button", 3);
    checker.RequireRange("cfg/cfg.xml", "//font", "line_spacing", 1e-9, 100);
    checker.RequireReferences("cfg/ui.xml", "//button", "texture", "cfg/cfg.xml", "//texture", "id");
    checker.RequireReferences("cfg/ui.xml", "//button", "sound", "cfg/cfg.xml", "//sound", "name");
    checker.RequireReferences("cfg/ui.xml", "//button", "text", "cfg/loc.xml", "//loc", "id");
    const pugi::xml_node part = checker.Document("cfg/ui.xml")->select_node("//part").node();
    checker.RequireAnmSequence("anm/body.anm", "bodyredbrwalk", "cfg/ui.xml", part);
    checker.RequireAnmSequence("anm/body.anm", "bodyredbridle", "cfg/ui.xml", part);
    checker.RequireAnmSequence("anm/body.anm", "bodyredbrrun", "cfg/ui.xml", part);
    checker.RequireAnmSequence("anm/tray.anm", "tray", "cfg/ui.xml", part);
    checker.RequireCount("cfg/effect.xml", "//effect", 1);

    const std::string l = loc.string(), u = ui.string(), f = fonts.string();
    const std::vector<std::string> expected = {
        l + ":1: no //loc with id=\"day_title\"",
        u + ":1: //button: 3 found, at least 24 needed",
        f + ":3: line_spacing=\"0\" is outside 1e-09 to 100",
        f + ":4: <font> has no line_spacing",
        u + ":5: texture=\"TEX_NONE\" is not declared in cfg/cfg.xml (//texture/@id)",
        u + ":5: sound=\"boom\" is not declared in cfg/cfg.xml (//sound/@name)",
        u + ":5: text=\"no_text\" is not declared in cfg/loc.xml (//loc/@id)",
        u + ":7: anm/body.anm has no sequence \"bodyredbrrun\" (nor \"bodyredbrrun01\")",
        u + ":7: anm/tray.anm: missing from the data folder",
        "cfg/effect.xml: missing from the data folder",
    };
    EXPECT_EQ(checker.Problems(), expected) << checker.ReportText();
}

TEST_F(ContentCheckerTest, FilesAreFoundAsTheGameFindsThem)
{
    const fs::path ui = mFolder.Write("src/cfg/ui.xml", "<root>\n"
                                                        "  <texture id=\"a\" file=\"Images\\Ground.PNG\"/>\n"
                                                        "  <texture id=\"b\" file=\"images/ground.png\"/>\n"
                                                        "  <texture id=\"c\" file=\"images\\missing.png\"/>\n"
                                                        "  <texture id=\"d\" file=\"images\"/>\n"
                                                        "  <texture id=\"e\" file=\"\"/>\n"
                                                        "  <texture id=\"f\"/>\n"
                                                        "  <texture id=\"g\" file=\"..\\data\\images\\ground.png\"/>\n"
                                                        "  <texture id=\"h\" file=\"/etc/hostname\"/>\n"
                                                        "</root>\n");
    Build("cfg/ui.xml", ui, {});
    mFolder.Write("data/images/ground.png", "png");

    ContentChecker checker(Data(), Origins());
    checker.RequireFiles("cfg/ui.xml", "//texture", "file");
    checker.RequireFiles("cfg/nothing.xml", "//texture", "file");

    const std::string u = ui.string();
    const std::vector<std::string> expected = {
        u + ":4: file=\"images\\missing.png\" is not a file of the data folder",
        u + ":5: file=\"images\" is not a file of the data folder",
        u + ":6: <texture> has no file",
        u + ":7: <texture> has no file",
        u + ":8: file=\"..\\data\\images\\ground.png\" is not a path inside the data folder",
        u + ":9: file=\"/etc/hostname\" is not a path inside the data folder",
        "cfg/nothing.xml: missing from the data folder",
    };
    EXPECT_EQ(checker.Problems(), expected) << checker.ReportText();
}

TEST_F(ContentCheckerTest, WithoutOriginsTheBuiltFileIsNamed)
{
    Build("cfg/loc.xml", mFolder.Write("src/loc.xml", "<root/>"), {});
    ContentChecker checker(Data(), "");
    checker.RequireCount("cfg/loc.xml", "//loc", 1);
    checker.RequireCount("cfg/loc.xml", "//loc[", 1);
    ASSERT_EQ(checker.Problems().size(), 2u);
    EXPECT_EQ(checker.Problems()[0], "cfg/loc.xml:0: //loc: 0 found, at least 1 needed");
    EXPECT_NE(checker.Problems()[1].find("cfg/loc.xml: query \"//loc[\""), std::string::npos);
}

} // namespace
