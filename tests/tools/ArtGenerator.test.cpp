// The art generator: known pixels at chosen points, straight alpha at an anti-aliased edge, sprite sheets with
// their animation files, alpha images, and faulty recipes named by line.
#include "tools/art/ArtGenerator.h"

#include "graphics/ImageLib.h"
#include "tests/tools/ToolsTestKit.h"
#include "tools/anm/AnmFile.h"

#include <gtest/gtest.h>

namespace {

namespace fs = std::filesystem;

uint32_t Pixel(const ImageLib::Image& image, int x, int y)
{
    return image.GetBits()[size_t(y) * size_t(image.GetWidth()) + size_t(x)];
}

class ArtGenerator : public ::testing::Test {
protected:
    bool Generate(const std::string& recipe)
    {
        mWritten.clear();
        return ArtTool::GenerateArt(mFolder.Write("recipe.xml", recipe), mFolder.Path() / "data", mWritten, mError);
    }
    std::unique_ptr<ImageLib::Image> Load(const std::string& name, bool alpha = false)
    {
        auto image = ImageLib::GetImage((mFolder.Path() / "data" / name).string(), alpha);
        EXPECT_NE(image, nullptr) << name;
        return image;
    }

    ToolsTest::TempFolder mFolder;
    std::vector<std::string> mWritten;
    std::string mError;
};

TEST_F(ArtGenerator, ShapesLandOnKnownPixelsWithStraightAlpha)
{
    ASSERT_TRUE(Generate(R"(<art>
  <image file="images/probe.png" width="8" height="4">
    <rect x="0" y="0" w="4" h="4" fill="#FF0000"/>
    <rect x="4.5" y="0" w="4" h="4" fill="#0000FF"/>
    <ellipse cx="2" cy="2" rx="1" ry="1" fill="#00FF0080"/>
  </image>
  <image file="images/ramp.png" width="2" height="10">
    <rect x="0" y="0" w="2" h="10" fill="#000000" fill-to="#FFFFFF" gradient="0 0 0 10"/>
  </image>
</art>)"))
        << mError;
    EXPECT_EQ(mWritten, (std::vector<std::string>{"images/probe.png", "images/ramp.png"}));
    const auto probe = Load("images/probe.png");
    ASSERT_NE(probe, nullptr);
    EXPECT_EQ(Pixel(*probe, 0, 0), 0xFFFF0000u);
    EXPECT_EQ(Pixel(*probe, 3, 3), 0xFFFF0000u);
    EXPECT_EQ(Pixel(*probe, 7, 2), 0xFF0000FFu);
    // Half of column 4 is covered: half alpha, and the colour itself at full strength (not darkened by alpha).
    const uint32_t edge = Pixel(*probe, 4, 1);
    EXPECT_NEAR(int(edge >> 24), 128, 2);
    EXPECT_EQ(edge & 0xFFFFFF, 0x0000FFu);
    // The half-transparent green over red: a blend, opaque because the red below is.
    EXPECT_EQ(Pixel(*probe, 2, 2) >> 24, 0xFFu);
    EXPECT_GT((Pixel(*probe, 2, 2) >> 8) & 0xFF, 0x40u);

    const auto ramp = Load("images/ramp.png");
    ASSERT_NE(ramp, nullptr);
    EXPECT_LT(Pixel(*ramp, 0, 0) & 0xFF, 0x20u);
    EXPECT_NEAR(int(Pixel(*ramp, 1, 5) & 0xFF), 140, 8);
    EXPECT_GT(Pixel(*ramp, 0, 9) & 0xFF, 0xE0u);
}

TEST_F(ArtGenerator, SpriteSheetsComeWithTheirAnimationFile)
{
    ASSERT_TRUE(Generate(R"(<art>
  <animation file="anm/ball.anm">
    <sheet file="images/ball.png" frame-width="16" frame-height="16">
      <sequence part="ball" skin="red" orientation="br" animation="roll" frames="3" fps="8" mode="once"
                variants="2" offset-x="-8" offset-y="-16">
        <rect x="0" y="0" w="2" h="2" fill="#00FF00" dx="4"/>
        <text x="8" y="14" size="8" align="center" fill="#FFFFFF" text="{frame}"/>
      </sequence>
      <sequence part="ball" skin="red" orientation="ml" animation="idle" frames="1">
        <rect x="0" y="0" w="16" h="16" fill="#808080" turn="90"/>
      </sequence>
    </sheet>
  </animation>
</art>)"))
        << mError;
    EXPECT_EQ(mWritten, (std::vector<std::string>{"images/ball.png", "anm/ball.anm"}));
    std::vector<AnmTool::AnmSequence> sequences;
    ASSERT_TRUE(AnmTool::ReadAnm(ToolsTest::ReadBytes(mFolder.Path() / "data/anm/ball.anm"), sequences, mError));
    ASSERT_EQ(sequences.size(), 3u);
    EXPECT_EQ(sequences[0].name, "ballredbrroll01");
    EXPECT_EQ(sequences[1].name, "ballredbrroll02");
    EXPECT_EQ(sequences[2].name, "ballredmlidle") << "an m-name that is no flipped orientation is made as written";
    EXPECT_EQ(sequences[0].sheet, "images\\ball.png");
    EXPECT_EQ(sequences[0].mode, AnmTool::kAnmOnceForward);
    EXPECT_EQ(sequences[0].fps, 8);
    EXPECT_EQ(sequences[0].frameWidth, 16);
    ASSERT_EQ(sequences[1].frames.size(), 3u);
    EXPECT_EQ(sequences[1].frames[2], (AnmTool::AnmFrame{32, 16, 16, 16, -8, -16}));
    EXPECT_EQ(sequences[2].mode, AnmTool::kAnmLoop);

    const auto sheet = Load("images/ball.png");
    ASSERT_NE(sheet, nullptr);
    EXPECT_EQ(sheet->GetWidth(), 48);
    EXPECT_EQ(sheet->GetHeight(), 48);
    // The square moves 4 pixels a frame: in frame 3 of the first row it starts at x = 32 + 8.
    EXPECT_EQ(Pixel(*sheet, 40, 0), 0xFF00FF00u);
    EXPECT_EQ(Pixel(*sheet, 32, 0) >> 24, 0u);
    EXPECT_EQ(Pixel(*sheet, 0, 0), 0xFF00FF00u);
    // The frame number is drawn in each frame, so frames differ beyond the moving square.
    bool textDrawn = false;
    for (int y = 6; y < 15; ++y) {
        for (int x = 4; x < 12; ++x)
            textDrawn = textDrawn || (Pixel(*sheet, x, y) >> 24) != 0;
    }
    EXPECT_TRUE(textDrawn);
    // Nothing drawn in a frame leaks into the next cell.
    EXPECT_EQ(Pixel(*sheet, 47, 47) >> 24, 0u);
    EXPECT_EQ(Pixel(*sheet, 8, 40), 0xFF808080u);
}

TEST_F(ArtGenerator, AlphaImagesFollowTheNamingRule)
{
    ASSERT_TRUE(Generate(R"(<art>
  <image file="images/glow.png" width="4" height="1" alpha-image="true">
    <rect x="0" y="0" w="2" h="1" fill="#FF800040"/>
  </image>
</art>)"))
        << mError;
    EXPECT_EQ(mWritten, (std::vector<std::string>{"images/glow.png", "images/_glow.png"}));
    const auto colour = Load("images/glow.png");
    const auto alpha = Load("images/_glow.png");
    ASSERT_TRUE(colour && alpha);
    EXPECT_EQ(Pixel(*colour, 0, 0) >> 24, 0xFFu) << "the picture itself is opaque";
    EXPECT_EQ(Pixel(*alpha, 0, 0) & 0xFF, 0x40u);
    EXPECT_EQ(Pixel(*alpha, 3, 0) & 0xFF, 0u);
    // The image reader puts them together again.
    const auto merged = Load("images/glow.png", true);
    ASSERT_NE(merged, nullptr);
    EXPECT_EQ(Pixel(*merged, 1, 0), 0x40FF8000u);
}

TEST_F(ArtGenerator, FramesAndDrawingsMakePosesFromOneFigure)
{
    // A figure defined once, used in two colours; its arm is raised only in frame 2, and a mirrored copy lands
    // on the other side of the cell. A drawing can also be chosen by a parameter, and a use hands a parameter on.
    ASSERT_TRUE(Generate(R"(<art>
  <drawing name="figure">
    <rect x="0" y="4" w="2" h="2" fill="$body"/>
    <rect x="0" y="0" w="2" h="2" fill="$body" in-frames="2"/>
    <rect x="0" y="2" w="2" h="2" fill="$body" in-frames="1 3"/>
  </drawing>
  <drawing name="pair">
    <use drawing="figure" body="$main"/>
    <use drawing="figure" body="#0000FF" mirror="true"/>
  </drawing>
  <drawing name="wrap"><use drawing="$pose"/></drawing>
  <animation file="anm/f.anm">
    <sheet file="images/f.png" frame-width="8" frame-height="8">
      <sequence name="wave" frames="3"><use drawing="pair" main="#FF0000"/></sequence>
      <sequence name="moved" frames="1"><group x="3" y="1"><use drawing="wrap" pose="figure" body="#00FF00"/></group></sequence>
    </sheet>
  </animation>
</art>)"))
        << mError;
    const auto sheet = Load("images/f.png");
    ASSERT_NE(sheet, nullptr);
    const struct {
        const char* what;
        int x, y;
        uint32_t pixel;
    } probes[] = {
        {"body in frame 1", 0, 4, 0xFFFF0000u},
        {"arm down in frame 1", 0, 2, 0xFFFF0000u},
        {"no arm up in frame 1", 0, 0, 0u},
        {"arm up in frame 2", 8, 0, 0xFFFF0000u},
        {"no arm down in frame 2", 8, 2, 0u},
        {"arm down again in frame 3", 16, 2, 0xFFFF0000u},
        {"mirrored copy, own colour", 7, 4, 0xFF0000FFu},
        {"mirrored arm up in frame 2", 15, 0, 0xFF0000FFu},
        {"placed group", 3, 13, 0xFF00FF00u},
        {"placed group leaves its origin", 0, 12, 0u},
    };
    for (const auto& probe : probes)
        EXPECT_EQ(Pixel(*sheet, probe.x, probe.y), probe.pixel) << probe.what;
}

TEST_F(ArtGenerator, FaultyRecipesAreNamedByLine)
{
    const struct {
        const char* name;
        std::string body;
        std::string expected; // after "recipe.xml:"
    } cases[] = {
        {"flipped orientation",
         "<animation file=\"anm/a.anm\"><sheet file=\"images/a.png\" frame-width=\"4\" frame-height=\"4\">\n"
         "<sequence part=\"p\" orientation=\"mbr\" animation=\"walk\"/></sheet></animation>",
         "3: orientation \"mbr\" is drawn by flipping \"br\""},
        {"unknown shape", "<image file=\"images/a.png\" width=\"4\" height=\"4\">\n<star/></image>",
         "3: unknown shape <star>"},
        {"bad colour",
         "<image file=\"images/a.png\" width=\"4\" height=\"4\"><rect x=\"0\" y=\"0\" w=\"1\" "
         "h=\"1\" fill=\"red\"/></image>",
         "2: attribute fill=\"red\" is not a colour"},
        {"huge image", "<image file=\"images/a.png\" width=\"100000\" height=\"4\"/>", "2: attribute width"},
        {"path out of the folder", "<image file=\"../a.png\" width=\"4\" height=\"4\"/>", "2: file=\"...\""},
        {"written twice",
         "<image file=\"images/a.png\" width=\"1\" height=\"1\"/>\n<image file=\"images/A.png\" width=\"1\" "
         "height=\"1\"/>",
         "3: images/A.png is written twice"},
        {"long sequence name",
         "<animation file=\"anm/a.anm\"><sheet file=\"images/a.png\" frame-width=\"4\" frame-height=\"4\">"
         "<sequence name=\"" +
             std::string(64, 'x') + "\"/></sheet></animation>",
         "2: the sequence name"},
        {"unknown drawing", "<image file=\"images/a.png\" width=\"4\" height=\"4\">\n<use drawing=\"x\"/></image>",
         "3: no <drawing name=\"x\">"},
        {"drawing defined twice", "<drawing name=\"d\"/>\n<drawing name=\"d\"/>", "3: drawing \"d\" is defined twice"},
        {"drawing using itself",
         "<drawing name=\"d\">\n<use drawing=\"d\"/></drawing>\n<image file=\"images/a.png\" width=\"4\" "
         "height=\"4\"><use drawing=\"d\"/></image>",
         "3: drawings use each other more than"},
        {"parameter no use gives",
         "<drawing name=\"d\">\n<rect x=\"0\" y=\"0\" w=\"1\" h=\"1\" fill=\"$skin\"/></drawing>\n"
         "<image file=\"images/a.png\" width=\"4\" height=\"4\"><use drawing=\"d\"/></image>",
         "3: attribute fill=\"$skin\" names no attribute"},
        {"empty frame filter",
         "<image file=\"images/a.png\" width=\"4\" height=\"4\">\n<rect x=\"0\" y=\"0\" w=\"1\" h=\"1\" "
         "in-frames=\"\"/></image>",
         "3: in-frames"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_FALSE(Generate("<art>\n" + c.body + "\n</art>"));
        EXPECT_NE(mError.find("recipe.xml:" + c.expected), std::string::npos) << mError;
    }
}

} // namespace
