#include "graphics/FontData.h"

#include "graphics/Graphics.h"
#include "graphics/ImageFont.h"
#include "graphics/MemoryImage.h"
#include "tests/graphics/ImageFontTestKit.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace {

using Pyxo::CharData;
using Pyxo::FontData;
using Pyxo::FontLayer;
using Pyxo::Point;
using Pyxo::Rect;

struct ReleaseFontData {
    void operator()(FontData* data) const { data->Release(); }
};
using FontDataPtr = std::unique_ptr<FontData, ReleaseFontData>;

/// A 16 x 8 glyph sheet beside the descriptors, and descriptors loaded against it.
class FontDescriptor : public ::testing::Test {
protected:
    void SetUp() override
    {
        mSheetPath = mFolder.Path("fonts/glyphs.png");
        mApp.AddImage(mSheetPath, 16, 8, [](int x, int) { return 0xFF000000u | uint32_t(x * 16); });
    }

    FontDataPtr Load(const std::wstring& text)
    {
        FontDataPtr data(new FontData);
        data->AddRef();
        EXPECT_TRUE(data->Load(&mApp, mFolder.WriteDescriptor("fonts/font.txt", text)));
        return data;
    }

    static FontLayer& Layer(FontData& data, const std::string& name)
    {
        static FontLayer none(nullptr);
        auto it = data.mFontLayerMap.find(name);
        EXPECT_NE(it, data.mFontLayerMap.end()) << name;
        return it == data.mFontLayerMap.end() ? none : *it->second;
    }

    ImageFontTest::FontApp mApp; // outlives the font data, which holds pool references
    ImageFontTest::TempFolder mFolder;
    std::string mSheetPath;
};

// The prelude runs on line 1, the case on line 2.
constexpr const wchar_t* kPrelude = L"CreateLayer Main; LayerSetImage Main 'glyphs.png'; CreateLayer Bare; Define H 12;"
                                    L" Define R ((0 0 1 1));\n";

struct CommandCase {
    const wchar_t* command;
    const wchar_t* error; // the first error, "" when the command succeeds
    std::function<void(FontData&, FontLayer&)> check;
};

TEST_F(FontDescriptor, CommandsAndTheirParameterErrors)
{
    const auto charData = [](FontLayer& layer, wchar_t c) -> const CharData& { return layer.FindCharData(c); };
    const CommandCase kCases[] = {
        // Command words and layer names ignore case; parameters are counted with the command word.
        {L"layersetheight main 12", L"", [](FontData&, FontLayer& l) { EXPECT_EQ(l.mHeight, 12); }},
        {L"Frobnicate Main", L"Unknown Command", nullptr},
        {L"\xFEFF"
         L"CreateLayer X",
         L"Unknown Command", nullptr},
        {L"LayerSetHeight Main", L"Invalid Number of Parameters", nullptr},
        {L"LayerSetHeight Main 1 2", L"Invalid Number of Parameters", nullptr},
        {L"LayerSetHeight Main H", L"Invalid Paramater Type", nullptr}, // ints are never definitions
        {L"LayerSetHeight Main '12'", L"Invalid Paramater Type", nullptr},
        {L"LayerSetHeight Other 1", L"Undefined Layer", nullptr},
        {L"LayerSetHeight (Main) 1", L"Undefined Layer", nullptr},
        {L"SetDefaultPointSize 0x10", L"", [](FontData& d, FontLayer&) { EXPECT_EQ(d.mDefaultPointSize, 16); }},
        {L"SetDefaultPointSize x", L"Invalid Paramater Type", nullptr},
        {L"CreateLayer (A)", L"Invalid Paramater Type", nullptr},
        {L"CreateLayer \x263A", L"Invalid Paramater Type", nullptr},
        {L"CreateLayerFrom Copy Nope", L"Undefined Layer", nullptr},
        {L"CreateLayerFrom Copy", L"Invalid Number of Parameters", nullptr},
        {L"LayerRequireTags Main ('outline' Glow)", L"Unable to Dereference \"Glow\"", nullptr},
        {L"LayerRequireTags Main outline", L"Unable to Dereference \"outline\"", nullptr},
        {L"LayerExcludeTags Main ('small' \"Big\")", L"",
         [](FontData&, FontLayer& l) {
             EXPECT_EQ(l.mExcludedTags, (std::vector<std::string>{"SMALL", "BIG"}));
         }},
        {L"LayerPointRange Main 10 -1", L"",
         [](FontData&, FontLayer& l) {
             EXPECT_EQ(std::make_pair(l.mMinPointSize, l.mMaxPointSize), std::make_pair(10, -1));
         }},
        {L"LayerPointRange Main 1", L"Invalid Number of Parameters", nullptr},
        {L"LayerPointRange Main 1 x", L"Invalid Paramater Type", nullptr},
        {L"LayerSetDrawMode Main 1", L"", [](FontData&, FontLayer& l) { EXPECT_EQ(l.mDrawMode, 1); }},
        {L"LayerSetDrawMode Main 0", L"", [](FontData&, FontLayer& l) { EXPECT_EQ(l.mDrawMode, 0); }},
        {L"LayerSetDrawMode Main 2", L"Invalid Paramater Type", nullptr},
        {L"LayerSetColorMult Main (1 0.5 0 1 7)", L"",
         [](FontData&, FontLayer& l) { EXPECT_EQ(l.mColorMult, Pyxo::Color(255, 127, 0, 255)); }},
        {L"LayerSetColorAdd Main 0x80FF0000", L"",
         [](FontData&, FontLayer& l) { EXPECT_EQ(l.mColorAdd, Pyxo::Color(255, 0, 0, 128)); }},
        {L"LayerSetColorMult Main (1 1 1)", L"Invalid Paramater Type", nullptr},
        {L"LayerSetColorMult Main red", L"Invalid Paramater Type", nullptr},
        {L"LayerSetColorMult Main (a 1 1 1)", L"Unable to Dereference \"a\"", nullptr},
        {L"LayerSetOffset Main (3 -4)", L"", [](FontData&, FontLayer& l) { EXPECT_EQ(l.mOffset, Point(3, -4)); }},
        {L"LayerSetOffset Main (1)", L"Invalid Paramater Type", nullptr},
        {L"LayerSetOffset Main (1 2 3)", L"Invalid Paramater Type", nullptr},
        {L"LayerSetCharWidths Main ('a' 'b') (5)", L"List Size Mismatch",
         [&](FontData&, FontLayer& l) { EXPECT_EQ(l.mCharDataMap.count(L'a'), 0u); }},
        {L"LayerSetCharWidths Main ('a' 'xy' 'c') (5 6 7)", L"Invalid Paramater Type",
         [&](FontData&, FontLayer& l) {
             EXPECT_EQ(charData(l, L'a').mWidth, 5);
             EXPECT_EQ(charData(l, L'c').mWidth, 7);
         }},
        {L"LayerSetCharWidths Main ('a') (x)", L"Unable to Dereference \"x\"", nullptr},
        {L"LayerSetCharOrders Main ('a' 'b') (-1 3)", L"",
         [&](FontData&, FontLayer& l) { EXPECT_EQ(charData(l, L'b').mOrder, 3); }},
        {L"LayerSetCharOffsets Main ('a' 'b') ((1 2) (1 2 3))", L"Invalid Paramater Type",
         [&](FontData&, FontLayer& l) { EXPECT_EQ(charData(l, L'a').mOffset, Point(1, 2)); }},
        {L"LayerSetKerningPairs Main ('AV' 'x' 'VA') (200 1 -3)", L"Invalid Paramater Type",
         [&](FontData&, FontLayer& l) {
             EXPECT_EQ(charData(l, L'A').GetKerningOffset(L'V'), -56); // the low 8 bits, signed
             EXPECT_EQ(charData(l, L'V').GetKerningOffset(L'A'), -3);
         }},
        {L"LayerSetImageMap Bare ('a') ((0 0 1 1))", L"Layer image not set", nullptr},
        {L"LayerSetImageMap Main ('a' 'b') ((0 0 1 1))", L"List Size Mismatch",
         [&](FontData&, FontLayer& l) { EXPECT_EQ(l.mCharDataMap.size(), 0u); }},
        {L"LayerSetImageMap Main ('a' 'b' 'c') ((0 0 2 8) (1 2) (2 0 3 4))", L"Invalid Paramater Type",
         [&](FontData&, FontLayer& l) {
             EXPECT_EQ(charData(l, L'a').mImageRect, Rect(0, 0, 2, 8));
             EXPECT_EQ(charData(l, L'c').mImageRect, Rect(2, 0, 3, 4));
         }},
        {L"LayerSetImageMap Main ('a' 'b' 'c') ((0 0 2 3) (15 0 2 1) (0 0 1 1))", L"Image rectangle out of bounds",
         [&](FontData&, FontLayer& l) {
             EXPECT_EQ(charData(l, L'a').mImageRect, Rect(0, 0, 2, 3));
             EXPECT_EQ(l.mCharDataMap.count(L'c'), 0u) << "the command stops at the bad rectangle";
         }},
        {L"LayerSetImageMap Main ('a') ((-1 0 1 1))", L"Image rectangle out of bounds", nullptr},
        {L"LayerSetImageMap Main ('a') ((0 7 1 2))", L"Image rectangle out of bounds", nullptr},
        {L"LayerSetImageMap Main ('a') ((4 4 -2 1))", L"Image rectangle out of bounds", nullptr},
        {L"LayerSetImageMap Main ('a') R", L"",
         [&](FontData&, FontLayer& l) { EXPECT_EQ(charData(l, L'a').mImageRect, Rect(0, 0, 1, 1)); }},
        {L"LayerSetImage Main 'missing.png'", L"Failed to Load Image", nullptr},
        {L"LayerSetImage Main ('glyphs.png')", L"Invalid Paramater Type", nullptr},
        {L"CreateHorzSpanRectList S (0 0 0) (1)", L"Invalid Paramater Type", nullptr},
        {L"CreateHorzSpanRectList S (0 0 0 1)", L"Invalid Number of Parameters", nullptr},
        {L"CreateHorzSpanRectList (S) (0 0 0 1) (1)", L"Invalid Paramater Type", nullptr},
        {L"LayerSetCharOffsetsShift Main (1 2) 3", L"", nullptr},
        {L"LayerSetCharOffsetsShift", L"", nullptr},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(testing::Message() << "command: " << Pyxo::WStringToString(c.command));
        mApp.mPopups.clear();
        FontDataPtr data = Load(std::wstring(kPrelude) + c.command + L";");
        const std::wstring error = c.error;
        EXPECT_EQ(data->mInitialized, error.empty());
        EXPECT_EQ(data->GetErrorText(), error.empty() ? L"" : error + L" on Line 2");
        if (!error.empty()) {
            ASSERT_FALSE(mApp.mPopups.empty());
            EXPECT_EQ(mApp.mPopups.front(), L"Font Descriptor Error in " + Pyxo::StringToWString(data->mSourceFile) +
                                                L"\r\n" + error + L" on Line 2:\r\n\r\n" + c.command);
        }
        if (c.check)
            c.check(*data, Layer(*data, "MAIN"));
    }
}

TEST_F(FontDescriptor, EachIntCommandSetsItsOwnField)
{
    const struct {
        const wchar_t* command;
        int FontLayer::*field;
    } kFields[] = {
        {L"LayerSetPointSize", &FontLayer::mPointSize},
        {L"LayerSetHeight", &FontLayer::mHeight},
        {L"LayerSetAscent", &FontLayer::mAscent},
        {L"LayerSetAscentPadding", &FontLayer::mAscentPadding},
        {L"LayerSetLineSpacingOffset", &FontLayer::mLineSpacingOffset},
        {L"LayerSetSpacing", &FontLayer::mSpacing},
        {L"LayerSetBaseOrder", &FontLayer::mBaseOrder},
    };
    std::wstring text = L"CreateLayer Main;";
    int value = 101;
    for (const auto& f : kFields)
        text += std::wstring(f.command) + L" Main " + std::to_wstring(value++) + L";";
    FontDataPtr data = Load(text);
    ASSERT_TRUE(data->mInitialized) << data->GetErrorText();
    value = 101;
    for (const auto& f : kFields)
        EXPECT_EQ(Layer(*data, "MAIN").*f.field, value++) << Pyxo::WStringToString(f.command);
}

TEST_F(FontDescriptor, UndefinedLayerIsAlsoAWrongParameter)
{
    FontDataPtr data = Load(L"CreateLayer Main;\nLayerSetAscent Fill 3;");
    EXPECT_FALSE(data->mInitialized);
    ASSERT_EQ(mApp.mPopups.size(), 2u);
    EXPECT_NE(mApp.mPopups[0].find(L"\r\nUndefined Layer on Line 2:"), std::wstring::npos);
    EXPECT_NE(mApp.mPopups[1].find(L"\r\nInvalid Paramater Type on Line 2:"), std::wstring::npos);
    EXPECT_EQ(data->mFontLayerList.size(), 1u) << "what was made before the failure stays";
}

TEST_F(FontDescriptor, DuplicateLayerIsReportedAndTheLoadGoesOn)
{
    FontDataPtr data = Load(L"CreateLayer Main;\n"
                            L"CreateLayer main;\n"
                            L"CreateLayerFrom MAIN Main;\n"
                            L"LayerSetAscent Main 9;");
    EXPECT_TRUE(data->mInitialized);
    EXPECT_EQ(data->GetErrorText(), L"Layer Already Exists on Line 2");
    EXPECT_EQ(mApp.mPopups.size(), 2u);
    ASSERT_EQ(data->mFontLayerList.size(), 1u) << "no nameless layer is left behind";
    EXPECT_EQ(data->mFontLayerList.front().mAscent, 9);
}

TEST_F(FontDescriptor, AWholeDescriptor)
{
    FontDataPtr data = Load(L"# A fill and its outline.\n"
                            L"SetDefaultPointSize 12;\n"
                            L"Define Chars ('A' 'B' 'C');\n"
                            L"CreateHorzSpanRectList Rects (10 20 0 16) (5 6 7);\n"
                            L"CreateHorzSpanRectList Sheet (0 0 0 6) (4 4 4);\n"
                            L"CreateLayer Fill;\n"
                            L"LayerSetImage Fill \"glyphs.png\";\n"
                            L"LayerSetImageMap Fill Chars Sheet;\n"
                            L"LayerSetCharOffsets Fill ('B' 'C') ((0 1) (1 -9));\n"
                            L"LayerSetImageMap Fill ('A') ((0 0 4 6));\n"
                            L"LayerSetCharWidths Fill Chars (5 6 7);\n"
                            L"LayerSetAscent Fill 6; LayerSetAscentPadding Fill 1; LayerSetLineSpacingOffset Fill -1;\n"
                            L"LayerSetSpacing Fill 1; LayerSetPointSize Fill 12; LayerSetBaseOrder Fill 0;\n"
                            L"CreateLayerFrom Outline Fill;\n"
                            L"LayerRequireTags Outline ('outline');\n"
                            L"LayerSetBaseOrder Outline -1;\n");
    ASSERT_TRUE(data->mInitialized) << data->GetErrorText();
    EXPECT_EQ(data->mDefaultPointSize, 12);

    FontLayer& fill = Layer(*data, "FILL");
    EXPECT_EQ(fill.FindCharData(L'B').mImageRect, Rect(4, 0, 4, 6));
    EXPECT_EQ(fill.FindCharData(L'C').mWidth, 7);
    // The height scan runs over codes 0..255 at the time of the map, creating them; B's offset counts after
    // the second map, and later offsets would not.
    EXPECT_EQ(fill.mDefaultHeight, 7);
    EXPECT_EQ(fill.mCharDataMap.size(), 256u);
    EXPECT_EQ(fill.mLayerName, "FILL");
    EXPECT_EQ(static_cast<Pyxo::MemoryImage*>(fill.mImage), mApp.mEntries.begin()->second.mImage.get());

    // The copy took every field and the image, and went on by itself.
    FontLayer& outline = Layer(*data, "OUTLINE");
    EXPECT_EQ(outline.mRequiredTags, std::vector<std::string>{"OUTLINE"});
    EXPECT_TRUE(fill.mRequiredTags.empty());
    EXPECT_EQ(outline.mBaseOrder, -1);
    EXPECT_EQ(outline.mAscent, 6);
    EXPECT_EQ(outline.FindCharData(L'C').mOffset, Point(1, -9));
    EXPECT_EQ(mApp.RefCount(mSheetPath), 2);
    ASSERT_EQ(data->mFontLayerList.size(), 2u);
    EXPECT_EQ(&data->mFontLayerList.back(), &outline);

    // Rectangles laid side by side from x; the rectangle's own width is not used.
    Pyxo::ImageFont font(&mApp, data->mSourceFile);
    EXPECT_EQ(font.GetDefine(L"rects"), L"((10, 20, 5, 16), (15, 20, 6, 16), (21, 20, 7, 16))");
    EXPECT_EQ(font.GetDefine(L"Chars"), L"(A, B, C)");
    EXPECT_EQ(font.GetDefine(L"nothing"), L"");
}

/// A glyph layer and copies of it, one per line after the first.
std::wstring CopiedLayers(int copies)
{
    std::wstring text =
        L"CreateLayer Main; LayerSetImage Main 'glyphs.png'; LayerSetPointSize Main 12;"
        L" LayerSetImageMap Main ('A' 'B') ((0 0 8 8) (8 0 8 8)); LayerSetCharWidths Main ('A' 'B') (8 8);\n";
    for (int i = 0; i < copies; ++i)
        text +=
            L"CreateLayerFrom C" + std::to_wstring(i) + L" Main; LayerSetPointSize C" + std::to_wstring(i) + L" 0;\n";
    return text;
}

TEST_F(FontDescriptor, AFontHasAtMostItsLimitOfLayers)
{
    FontDataPtr data = Load(CopiedLayers(20000));
    EXPECT_FALSE(data->mInitialized);
    EXPECT_EQ(data->GetErrorText(), L"Too Many Layers on Line " + std::to_wstring(FontData::kMaxLayers + 1));
    EXPECT_EQ(data->mFontLayerList.size(), FontData::kMaxLayers);

    FontDataPtr full = Load(CopiedLayers(int(FontData::kMaxLayers) - 1));
    EXPECT_TRUE(full->mInitialized) << full->GetErrorText();
}

#if !defined(__SANITIZE_ADDRESS__) // the address sanitizer reserves more address space than the limit allows
/// Lets the process grow by at most the given megabytes of address space from here on.
void CapAddressSpaceGrowth(rlim_t megabytes)
{
    long pages = 0;
    std::ifstream("/proc/self/statm") >> pages;
    const rlim_t limit = rlim_t(pages) * rlim_t(sysconf(_SC_PAGESIZE)) + (megabytes << 20);
    const rlimit cap{limit, limit};
    setrlimit(RLIMIT_AS, &cap);
}

void DrawLarge(Pyxo::PyxoAppBase* app, const std::string& path)
{
    Pyxo::ImageFont font(app, path);
    font.SetPointSize(500);
    ImageFontTest::RecordingImage screen;
    Pyxo::Graphics g(&screen);
    font.DrawString(&g, 10, 400, L"ABBA", Pyxo::Color::White, Rect(0, 0, 4000, 4000));
}

TEST_F(FontDescriptor, ALayerFloodDrawnLargeStaysWithinAFewHundredMegabytes)
{
    const std::string path = mFolder.WriteDescriptor("fonts/flood.txt", CopiedLayers(20000));
    EXPECT_EXIT(
        {
            CapAddressSpaceGrowth(300);
            DrawLarge(&mApp, path);
            std::_Exit(0);
        },
        ::testing::ExitedWithCode(0), "");
}
#endif

TEST_F(FontDescriptor, ImagesComeFromThePoolRelativeToTheDescriptor)
{
    mApp.AddImage(mFolder.Path("art/sheet.png"), 4, 4, [](int, int) { return 0xFFFFFFFFu; });
    FontDataPtr data = Load(L"CreateLayer A; LayerSetImage A '../art/sheet.png';\n"
                            L"CreateLayer B; LayerSetImage B 'glyphs.png';\n"
                            L"CreateLayer C; LayerSetImage C 'GLYPHS.PNG';");
    ASSERT_TRUE(data->mInitialized) << data->GetErrorText();
    EXPECT_EQ(mApp.mRequests,
              (std::vector<std::string>{mFolder.Path("art/sheet.png"), mSheetPath, mFolder.Path("fonts/GLYPHS.PNG")}));
    EXPECT_EQ(mApp.RefCount(mSheetPath), 2);
    data.reset();
    EXPECT_EQ(mApp.RefCount(mSheetPath), 0) << "the layers let their images go with the font data";
}

TEST_F(FontDescriptor, LoadsOnlyOnce)
{
    FontDataPtr data = Load(L"CreateLayer A;");
    ASSERT_TRUE(data->mInitialized);
    EXPECT_FALSE(data->Load(&mApp, data->mSourceFile));
    EXPECT_EQ(data->mFontLayerList.size(), 1u);

    // Without an application nothing is shown and images cannot load.
    FontDataPtr alone(new FontData);
    alone->AddRef();
    EXPECT_TRUE(
        alone->Load(nullptr, mFolder.WriteDescriptor("fonts/b.txt", L"CreateLayer A; LayerSetImage A 'glyphs.png';")));
    EXPECT_FALSE(alone->mInitialized);
    EXPECT_EQ(alone->GetErrorText(), L"Failed to Load Image on Line 1");
}

TEST(FontDataPaths, GetPathFrom)
{
    const struct {
        const char* relative;
        const char* folder;
        const char* path;
    } kCases[] = {
        {"images/font.png", "fonts", "fonts/images/font.png"},
        {"font.png", "data\\fonts", "data\\fonts\\font.png"},
        {"img\\a.png", "data/fonts", "data\\fonts\\img\\a.png"},
        {"../images/font.png", "data/fonts", "data/images/font.png"},
        {"../../font.png", "fonts", "../font.png"},
        {"../../a.png", "../fonts", "../../a.png"},
        {"./img/./a.png", "fonts", "fonts/img/./a.png"},
        {"/img/a.png", "c:\\game\\fonts", "c:\\img\\a.png"},
        {"C:\\x\\a.png", "fonts", "C:\\x\\a.png"},
        {"img\\a.png", "", "img\\a.png"},
        {"img/x\\a.png", "", "img\\x\\a.png"},
        {"a.png", "fonts/", "fonts/a.png"},
        {"../a.png", "/", "a.png"},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(testing::Message() << c.relative << " in " << c.folder);
        EXPECT_EQ(Pyxo::GetPathFrom(c.relative, c.folder), c.path);
    }
}

} // namespace
