// The font-sheet generator: a sheet and descriptor that the image font loads, measuring text as FreeType's own
// advances and kerning add up.
#include "tools/fontsheet/FontSheet.h"

#include "graphics/FontData.h"
#include "graphics/ImageFont.h"
#include "graphics/ImageLib.h"
#include "shell/PathHelpers.h"
#include "tests/graphics/ImageFontTestKit.h"
#include "tests/tools/ToolsTestKit.h"

#include <ft2build.h>
#include <gtest/gtest.h>
#include FT_FREETYPE_H

namespace {

namespace fs = std::filesystem;

constexpr const char* kDejaVu = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";

/// FreeType's own measure of the text at the pixel size: rounded advances plus rounded kerning.
int FreeTypeWidth(const std::wstring& text, int size)
{
    FT_Library library = nullptr;
    FT_Face face = nullptr;
    EXPECT_EQ(FT_Init_FreeType(&library), 0);
    EXPECT_EQ(FT_New_Face(library, kDejaVu, 0, &face), 0);
    FT_Set_Pixel_Sizes(face, 0, FT_UInt(size));
    int width = 0;
    FT_UInt previous = 0;
    for (const wchar_t c : text) {
        const FT_UInt index = FT_Get_Char_Index(face, FT_ULong(c));
        if (previous != 0) {
            FT_Vector delta{};
            FT_Get_Kerning(face, previous, index, FT_KERNING_DEFAULT, &delta);
            width += int((delta.x + (delta.x >= 0 ? 32 : -32)) / 64);
        }
        FT_Load_Glyph(face, index, FT_LOAD_DEFAULT);
        width += int((face->glyph->advance.x + 32) >> 6);
        previous = index;
    }
    FT_Done_Face(face);
    FT_Done_FreeType(library);
    return width;
}

TEST(FontSheet, ImageFontLoadsTheSheetAndMeasuresAsTheFaceDoes)
{
    ToolsTest::TempFolder folder;
    const fs::path recipe = folder.Write("fonts.xml", R"(<fonts>
  <font file="fonts/test14.txt" face="DejaVu Sans" size="14" chars="AVTaoyj'&quot;\(); é" outline="1"/>
</fonts>)");
    std::vector<std::string> written;
    std::string error;
    ASSERT_TRUE(FontSheetTool::GenerateFonts(recipe, folder.Path() / "data", written, error)) << error;
    EXPECT_EQ(written, (std::vector<std::string>{"fonts/test14.png", "fonts/test14_outline.png", "fonts/test14.txt"}));

    const std::vector<uint8_t> descriptor = ToolsTest::ReadBytes(folder.Path() / "data/fonts/test14.txt");
    ASSERT_GE(descriptor.size(), 2u);
    EXPECT_EQ(descriptor[0], '#') << "UTF-16LE without a byte-order mark";
    EXPECT_EQ(descriptor[1], 0);
    std::vector<uint8_t> marked = {0xFF, 0xFE};
    marked.insert(marked.end(), descriptor.begin(), descriptor.end());
    EXPECT_NE(ToolsTest::AsciiOfUtf16(marked).find("LayerSetKerningPairs"), std::string::npos);

    // The image font's pool serves the sheets the generator wrote.
    ImageFontTest::FontApp app;
    const std::string descriptorPath = (folder.Path() / "data/fonts/test14.txt").string();
    for (const char* sheet : {"test14.png", "test14_outline.png"}) {
        const auto image = ImageLib::GetImage((folder.Path() / "data/fonts" / sheet).string(), false);
        ASSERT_NE(image, nullptr) << sheet;
        app.AddImage(Pyxo::GetPathFrom(sheet, Pyxo::GetFileDir(descriptorPath)), image->GetWidth(), image->GetHeight(),
                     [&](int x, int y) { return image->GetBits()[y * image->GetWidth() + x]; });
    }
    Pyxo::ImageFont font(&app, descriptorPath);
    ASSERT_TRUE(font.mFontData->mInitialized) << font.mFontData->GetErrorText();
    EXPECT_TRUE(app.mPopups.empty());
    ASSERT_EQ(font.mFontData->mFontLayerList.size(), 2u);
    EXPECT_EQ(font.mFontData->mFontLayerList.back().mBaseOrder, -1) << "the outline is drawn under the fill";
    EXPECT_EQ(font.mFontData->mDefaultPointSize, 14);

    for (const std::wstring text : {L"AV", L"To", L"yaj", L"'\"\\ ();\u00E9", L"AVAToy"}) {
        SCOPED_TRACE(Pyxo::WStringToString(text));
        EXPECT_EQ(font.StringWidth(text), FreeTypeWidth(text, 14));
    }
    EXPECT_LT(FreeTypeWidth(L"To", 14), FreeTypeWidth(L"T", 14) + FreeTypeWidth(L"o", 14))
        << "the face kerns this pair, so the test above covers kerning";
}

TEST(FontSheet, FaultyRecipesAreRefused)
{
    const struct {
        const char* name;
        const char* font;
        const char* expected;
    } cases[] = {
        {"face not installed", R"(<font file="fonts/a.txt" face="No Such Face" size="12"/>)", ":2: face \"No Such"},
        {"no size", R"(<font file="fonts/a.txt" face="DejaVu Sans"/>)", ":2: a font needs size"},
        {"huge outline", R"(<font file="fonts/a.txt" face="DejaVu Sans" size="12" outline="50"/>)",
         ":2: attribute outline"},
        {"wrong extension", R"(<font file="fonts/a.png" face="DejaVu Sans" size="12"/>)", ":2: file="},
        {"control character", R"(<font file="fonts/a.txt" face="DejaVu Sans" size="12" chars="a&#9;"/>)",
         ":2: control characters"},
    };
    ToolsTest::TempFolder folder;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const fs::path recipe = folder.Write("fonts.xml", std::string("<fonts>\n") + c.font + "\n</fonts>");
        std::vector<std::string> written;
        std::string error;
        EXPECT_FALSE(FontSheetTool::GenerateFonts(recipe, folder.Path() / "data", written, error));
        EXPECT_NE(error.find(recipe.string() + c.expected), std::string::npos) << error;
    }
}

} // namespace
