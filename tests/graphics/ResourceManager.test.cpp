// Loading the groups of a manifest written at test time: images with alpha images, alpha grids and alpha colours,
// a WAV sound, a system font and an image font with its sheet; the lookups and their exceptions; errors; a group
// loaded on a second thread.
#include "graphics/ResourceManager.h"

#include "graphics/DDImage.h"
#include "graphics/DDInterface.h"
#include "graphics/FontData.h"
#include "graphics/ImageFont.h"
#include "graphics/ImageLib.h"
#include "graphics/SysFont.h"
#include "shell/DSoundManager.h"
#include "shell/PyxoAppBase.h"
#include "shell/StringHelpers.h"
#include "tests/SuiteLabels.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <type_traits>
#include <utility>
#include <vector>

namespace {

namespace fs = std::filesystem;
using Pyxo::Font;
using Pyxo::ImagePoolRef;
using Pyxo::MemoryImage;
using Pyxo::ResourceManager;
using Pyxo::ResourceManagerException;

static_assert(std::is_copy_constructible_v<ResourceManagerException>);
static_assert(!std::is_copy_constructible_v<ResourceManager>);

/// A display that is never started, and pop-ups that only record.
class ResApp : public Pyxo::PyxoAppBase {
public:
    ResApp() { mDisplay = std::make_unique<Pyxo::DDInterface>(this); }
    void PopupW(const std::wstring& text) override { mPopups.push_back(text); }
    void Popup(const std::string& text) override { mPopups.push_back(Pyxo::StringToWString(text)); }

    std::vector<std::wstring> mPopups;
};

/// The real sound manager, recording the base volume and pan calls and able to run out of ids.
class RecordingSounds : public Pyxo::DSoundManager {
public:
    RecordingSounds() : DSoundManager(Platform::WindowHandle{1}, false) {}
    bool SetBaseVolume(unsigned int id, double volume) override
    {
        mVolumeCalls.emplace_back(id, volume);
        return DSoundManager::SetBaseVolume(id, volume);
    }
    bool SetBasePan(unsigned int id, int pan) override
    {
        mPanCalls.emplace_back(id, pan);
        return DSoundManager::SetBasePan(id, pan);
    }
    int GetFreeSoundId() override { return mOutOfIds ? -1 : DSoundManager::GetFreeSoundId(); }

    std::vector<std::pair<unsigned, double>> mVolumeCalls;
    std::vector<std::pair<unsigned, int>> mPanCalls;
    bool mOutOfIds = false;
};

// Two glyphs, A and B, side by side on an 8 x 6 sheet; the outline layer joins only for the tag "outline".
constexpr const wchar_t* kDescriptor = L"SetDefaultPointSize 12;\n"
                                       L"Define Chars ('A' 'B');\n"
                                       L"CreateHorzSpanRectList Sheet (0 0 0 6) (4 4);\n"
                                       L"CreateLayer Fill;\n"
                                       L"LayerSetImage Fill 'glyphs.png';\n"
                                       L"LayerSetImageMap Fill Chars Sheet;\n"
                                       L"LayerSetCharWidths Fill Chars (5 6);\n"
                                       L"LayerSetAscent Fill 5;\n"
                                       L"LayerSetPointSize Fill 12;\n"
                                       L"CreateLayerFrom Outline Fill;\n"
                                       L"LayerRequireTags Outline ('outline');\n";

class ResourceManagerTest : public ::testing::Test {
protected:
    ResourceManagerTest()
        : mFolder(fs::temp_directory_path() / ("ilvane-resources-" + std::to_string(getpid()) + "-" +
                                               ::testing::UnitTest::GetInstance()->current_test_info()->name()))
    {
        fs::remove_all(mFolder);
        fs::create_directories(mFolder);
        auto sounds = std::make_unique<RecordingSounds>();
        mSounds = sounds.get();
        mApp.mSoundManager = std::move(sounds);

        WritePng("tile.png", 2, 1, {0xFF112233, 0xFF445566});
        WritePng("tile_alpha.png", 2, 1, {0xFF000080, 0xFFFFFF40}); // alpha from the blue channel
        WritePng("narrow_alpha.png", 1, 1, {0xFF0000FF});
        WritePng("strip.png", 4, 2, std::vector<uint32_t>(8, 0xFF808080)); // two cels of 2 x 2
        WritePng("cel.png", 2, 2, {0xFF000010, 0xFF000020, 0xFF000030, 0xFF000040});
        WritePng("_glow.png", 1, 1, {0xFF000099}); // an alpha image without its picture
        WritePng("glyphs.png", 8, 6, std::vector<uint32_t>(48, 0xFFFFFFFF));
        WriteDescriptor("font.txt", kDescriptor);
        WriteDescriptor("broken.txt", L"CreateLayer A; LayerSetHeight A x;");
        WriteWav("click.wav");
    }

    ~ResourceManagerTest() override
    {
        std::error_code ignored;
        fs::remove_all(mFolder, ignored);
    }

    void WritePng(const std::string& name, int width, int height, const std::vector<uint32_t>& pixels)
    {
        ImageLib::Image image(width, height);
        std::copy(pixels.begin(), pixels.end(), image.GetBits());
        ASSERT_TRUE(ImageLib::WritePNGImage(Path(name), image));
    }

    /// UTF-16LE without a byte-order mark, as font descriptors are stored.
    void WriteDescriptor(const std::string& name, const std::wstring& text)
    {
        std::string bytes;
        for (wchar_t c : text) {
            bytes += char(uint32_t(c) & 0xFF);
            bytes += char((uint32_t(c) >> 8) & 0xFF);
        }
        std::ofstream(Path(name), std::ios::binary) << bytes;
    }

    /// Four 16-bit mono samples at 22050 Hz.
    void WriteWav(const std::string& name)
    {
        std::string bytes;
        const auto put = [&bytes](uint32_t value, int count) {
            for (int i = 0; i < count; ++i)
                bytes += char((value >> (8 * i)) & 0xFF);
        };
        bytes += "RIFF";
        put(36 + 8, 4);
        bytes += "WAVEfmt ";
        put(16, 4);
        put(1, 2);         // PCM
        put(1, 2);         // mono
        put(22050, 4);     // rate
        put(22050 * 2, 4); // bytes per second
        put(2, 2);         // block
        put(16, 2);        // bits
        bytes += "data";
        put(8, 4);
        for (int16_t sample : {100, -100, 200, -200})
            put(uint16_t(sample), 2);
        std::ofstream(Path(name), std::ios::binary) << bytes;
    }

    [[nodiscard]] std::string Path(const std::string& name) const { return (mFolder / name).string(); }

    /// Writes the manifest (its sections follow a SetDefaults into the scratch folder) and reads it.
    ::testing::AssertionResult Declare(const std::string& sections)
    {
        const std::string manifest = "<ResourceManifest>\n<Resources id=\"Defaults\"><SetDefaults path=\"" +
                                     mFolder.string() + "\"/></Resources>\n" + sections + "\n</ResourceManifest>\n";
        std::ofstream(Path("resources.xml"), std::ios::binary) << manifest;
        if (mManager.ParseResourcesFile(Path("resources.xml")))
            return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure() << mManager.GetErrorText();
    }

    static uint32_t Pixel(const ImagePoolRef& ref, int index)
    {
        return static_cast<MemoryImage*>(ref)->GetBits()[index];
    }

    fs::path mFolder;
    ResApp mApp;
    RecordingSounds* mSounds = nullptr; // owned by mApp
    ResourceManager mManager{&mApp};
};

ILVANE_THREADED_SUITE(ResourceManagerTest);

TEST_F(ResourceManagerTest, LoadsEachKindOfResource)
{
    ASSERT_TRUE(Declare(R"(<Resources id="Init">
  <Image id="TILE" path="tile.png" alphaimage="tile_alpha.png" rows="1" cols="2" anim="loop" framedelay="4"/>
  <Sound id="CLICK" path="click" volume="0.25" pan="300"/>
  <Sound id="PLAIN" path="click"/>
  <Font id="SYS" path="!sys:DejaVu Sans" size="10" shadow="1"/>
  <Font id="IMG" path="font.txt" tags="outline"/>
  <Font id="COPY" path="!ref:IMG"/>
</Resources>)"));
    ASSERT_TRUE(mManager.LoadResources("Init")) << mManager.GetErrorText();
    EXPECT_TRUE(mManager.IsGroupLoaded("Init"));

    const ImagePoolRef tile = mManager.GetImageThrow("TILE");
    auto* image = static_cast<MemoryImage*>(tile);
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(Pixel(tile, 0), 0x80112233u) << "the alpha image's blue channel is the alpha";
    EXPECT_EQ(Pixel(tile, 1), 0x40445566u);
    EXPECT_EQ(image->mNumCols, 2);
    ASSERT_NE(image->mAnimInfo, nullptr);
    EXPECT_EQ(image->mAnimInfo->mNumCels, 2);
    EXPECT_EQ(image->mAnimInfo->mFrameDelay, 4);
    EXPECT_EQ(static_cast<MemoryImage*>(mManager.LoadImage("TILE")), image) << "loaded once";

    const int click = mManager.GetSoundThrow("CLICK");
    const int plain = mManager.GetSoundThrow("PLAIN");
    EXPECT_NE(click, plain);
    EXPECT_NE(mSounds->GetSourceBuffer(unsigned(click)), nullptr);
    EXPECT_EQ(mSounds->mVolumeCalls, (std::vector<std::pair<unsigned, double>>{{unsigned(click), 0.25}}))
        << "the default volume makes no call";
    EXPECT_EQ(mSounds->mPanCalls, (std::vector<std::pair<unsigned, int>>{{unsigned(click), 300}}));

    auto* sys = dynamic_cast<Pyxo::SysFont*>(mManager.GetFontThrow("SYS"));
    ASSERT_NE(sys, nullptr);
    EXPECT_TRUE(sys->IsValid());
    EXPECT_TRUE(sys->mDrawShadow);
    EXPECT_FALSE(sys->mSimulateBold);
    EXPECT_EQ(mManager.FindFont("SYS"), sys);

    auto* font = dynamic_cast<Pyxo::ImageFont*>(mManager.GetFontThrow("IMG"));
    ASSERT_NE(font, nullptr);
    EXPECT_EQ(font->mTagVector, std::vector<std::string>{"OUTLINE"});
    EXPECT_EQ(font->mActiveLayerList.size(), 2u) << "the tag selects the outline layer";
    auto* copy = dynamic_cast<Pyxo::ImageFont*>(mManager.FindFont("COPY"));
    ASSERT_NE(copy, nullptr);
    EXPECT_NE(copy, font);
    EXPECT_EQ(copy->mFontData, font->mFontData) << "a duplicate shares the descriptor's data";
    EXPECT_TRUE(mApp.mPopups.empty());
}

TEST_F(ResourceManagerTest, GroupsLoadStepByStepFreeAndLoadAgain)
{
    ASSERT_TRUE(Declare(R"(<Resources id="Menu">
  <Image path="tile.png"/><Sound path="click"/><Font path="!sys:DejaVu Sans" size="8" id="F"/>
  <Image path="!program" id="SCREEN"/>
</Resources>
<Resources id="Game"><Image path="strip.png"/></Resources>)"));

    EXPECT_TRUE(mManager.LoadResources("NeverDeclared")) << "a group without records loads nothing";
    EXPECT_TRUE(mManager.IsGroupLoaded("NeverDeclared"));

    mManager.StartLoadResources("Menu");
    int steps = 0;
    while (mManager.LoadNextResource())
        ++steps;
    EXPECT_EQ(steps, 3) << "one record per step; the program's image is skipped";
    EXPECT_FALSE(mManager.HasFailed());
    EXPECT_FALSE(mManager.IsGroupLoaded("Menu")) << "only LoadResources marks a group loaded";

    ASSERT_TRUE(mManager.LoadResources("Game"));
    const auto* strip = static_cast<MemoryImage*>(mManager.GetImageThrow("strip"));
    const int sound = mManager.GetSoundThrow("click");
    ASSERT_TRUE(mManager.LoadResources("Menu"));
    EXPECT_EQ(mManager.GetSoundThrow("click"), sound) << "loading again loads nothing";
    EXPECT_EQ(mSounds->GetFreeSoundId(), sound + 1);

    mManager.DeleteResources("Menu");
    EXPECT_FALSE(mManager.IsGroupLoaded("Menu"));
    EXPECT_EQ(mManager.FindFont("F"), nullptr);
    EXPECT_EQ(mSounds->GetSourceBuffer(unsigned(sound)), nullptr) << "the sound was released";
    EXPECT_THROW((void)mManager.GetSoundThrow("click"), ResourceManagerException);
    EXPECT_EQ(static_cast<MemoryImage*>(mManager.GetImageThrow("strip")), strip) << "other groups stay";

    ASSERT_TRUE(mManager.LoadResources("Menu"));
    EXPECT_NE(mManager.FindFont("F"), nullptr);
    EXPECT_GE(mManager.GetSoundThrow("click"), 0);

    mManager.DeleteResources("");
    EXPECT_FALSE(mManager.IsGroupLoaded("Game"));
    EXPECT_EQ(mManager.FindFont("F"), nullptr);
    EXPECT_THROW((void)mManager.GetImageThrow("strip"), ResourceManagerException);
}

TEST_F(ResourceManagerTest, AFailingRecordStopsItsGroup)
{
    ASSERT_TRUE(Declare(R"(<Resources id="Init">
  <Image path="tile.png"/><Sound path="click"/><Image path="missing.png"/><Image path="strip.png"/>
</Resources>)"));
    EXPECT_FALSE(mManager.LoadResources("Init"));
    EXPECT_EQ(mManager.GetErrorText(), "Failed to load image: " + Path("missing.png"));
    EXPECT_FALSE(mManager.IsGroupLoaded("Init"));
    EXPECT_NE(static_cast<MemoryImage*>(mManager.LoadImage("tile")), nullptr);
    EXPECT_GE(mManager.GetSoundThrow("click"), 0) << "records before the failure stay loaded";
    EXPECT_THROW((void)mManager.GetImageThrow("strip"), ResourceManagerException) << "records after it never load";
    EXPECT_EQ(mManager.GetErrorText(), "Failed to load image: " + Path("missing.png")) << "the first error wins";
    EXPECT_FALSE(mManager.LoadNextResource()) << "a failed load goes no further";

    EXPECT_NE(static_cast<MemoryImage*>(mManager.LoadImage("strip")), nullptr) << "LoadImage loads on demand";
    EXPECT_EQ(static_cast<MemoryImage*>(mManager.LoadImage("missing")), nullptr);
}

TEST_F(ResourceManagerTest, LookupsThrowForUnknownAndUnloadedIds)
{
    ASSERT_TRUE(Declare(
        R"(<Resources id="Later"><Image path="tile.png"/><Sound path="click"/><Font path="font.txt"/></Resources>)"));
    struct Lookup {
        void (*call)(ResourceManager&, const std::string&);
        std::string message;
        std::string declaredId; // declared, never loaded
    };
    const Lookup lookups[] = {
        {[](ResourceManager& m, const std::string& id) { (void)m.GetImageThrow(id); },
         "Image resource not found: ", "tile"},
        {[](ResourceManager& m, const std::string& id) { (void)m.GetSoundThrow(id); },
         "Sound resource not found: ", "click"},
        {[](ResourceManager& m, const std::string& id) { (void)m.GetFontThrow(id); },
         "Font resource not found: ", "font"},
    };
    for (const Lookup& lookup : lookups) {
        for (const std::string& id : {std::string("unknown"), lookup.declaredId}) {
            SCOPED_TRACE(lookup.message + id);
            ASSERT_TRUE(mManager.LoadResources("Nothing")); // clears the error
            try {
                lookup.call(mManager, id);
                ADD_FAILURE() << "no exception";
            } catch (const ResourceManagerException& e) {
                EXPECT_EQ(std::string(e.what()), lookup.message + id);
                EXPECT_EQ(mManager.GetErrorText(), "") << "the caller alone hears of it";
                EXPECT_FALSE(mManager.HasFailed());
            }
        }
    }
    EXPECT_EQ(mManager.FindFont("font"), nullptr) << "FindFont never loads";
    EXPECT_EQ(mManager.FindFont("unknown"), nullptr);
    EXPECT_EQ(static_cast<MemoryImage*>(mManager.LoadImage("unknown")), nullptr);
}

TEST_F(ResourceManagerTest, FailedLookupsOnAnotherThreadLeaveAGroupLoading)
{
    ASSERT_TRUE(Declare(R"(<Resources id="Init"><Image path="tile.png"/><Sound path="click"/>
  <Image path="strip.png"/></Resources>
<Resources id="Other"><Image path="missing.png"/></Resources>)"));
    mManager.StartLoadResources("Init");
    ASSERT_TRUE(mManager.LoadNextResource());
    std::thread([&] {
        EXPECT_THROW((void)mManager.GetImageThrow("NOT_THERE"), ResourceManagerException);
        EXPECT_THROW((void)mManager.GetFontThrow("NOT_THERE"), ResourceManagerException);
    }).join();
    EXPECT_TRUE(mManager.LoadNextResource()) << mManager.GetErrorText();
    std::thread([&] { EXPECT_EQ(static_cast<MemoryImage*>(mManager.LoadImage("missing")), nullptr); }).join();
    EXPECT_TRUE(mManager.LoadNextResource()) << "an on-demand load that failed is not the group's record";
    EXPECT_FALSE(mManager.LoadNextResource()) << "the group is done";
    EXPECT_NE(static_cast<MemoryImage*>(mManager.GetImageThrow("strip")), nullptr);
}

TEST_F(ResourceManagerTest, ReplaceImagePutsTheProgramsImageInPlace)
{
    ASSERT_TRUE(
        Declare(R"(<Resources id="Init"><Image path="!program" id="SCREEN"/><Image path="tile.png"/></Resources>)"));
    ASSERT_TRUE(mManager.LoadResources("Init"));
    EXPECT_EQ(static_cast<MemoryImage*>(mManager.LoadImage("SCREEN")), nullptr) << "never read from a file";
    EXPECT_THROW((void)mManager.GetImageThrow("SCREEN"), ResourceManagerException);

    auto* made = new MemoryImage(&mApp);
    ASSERT_TRUE(mManager.ReplaceImage("SCREEN", made));
    EXPECT_EQ(static_cast<MemoryImage*>(mManager.GetImageThrow("SCREEN")), made);
    ASSERT_TRUE(mManager.ReplaceImage("SCREEN", made)) << "the same image again";
    EXPECT_EQ(static_cast<MemoryImage*>(mManager.GetImageThrow("SCREEN")), made);
    EXPECT_EQ(made->mWidth, 0) << "still alive";
    ImagePoolRef assigned;
    assigned = mManager.GetImageThrow("SCREEN");
    EXPECT_EQ(static_cast<MemoryImage*>(assigned), made) << "assigned, the reference shares as a copy does";

    ASSERT_EQ(mApp.mImagePool.RefCount(Path("tile.png"), ""), 1);
    auto* other = new MemoryImage(&mApp);
    ASSERT_TRUE(mManager.ReplaceImage("tile", other));
    EXPECT_EQ(mApp.mImagePool.RefCount(Path("tile.png"), ""), 0) << "the shared image was let go";
    EXPECT_EQ(static_cast<MemoryImage*>(mManager.LoadImage("tile")), other);

    MemoryImage stray(&mApp);
    EXPECT_FALSE(mManager.ReplaceImage("unknown", &stray)) << "the caller keeps the image";
}

TEST_F(ResourceManagerTest, AlphaGridsAndColours)
{
    ASSERT_TRUE(Declare(R"(<Resources id="Init">
  <Image path="strip.png" cols="2" alphagrid="cel.png"/>
  <Image path="glow" alphacolor="FF0000"/>
  <Image id="SAME" path="tile.png" alphaimage="tile_alpha.png"/>
  <Image id="AGAIN" path="tile.png" alphaimage="narrow_alpha.png"/>
</Resources>)"));
    ASSERT_TRUE(mManager.LoadResources("Init")) << mManager.GetErrorText();

    const ImagePoolRef strip = mManager.GetImageThrow("strip");
    const std::vector<uint32_t> alphas{0x10, 0x20, 0x10, 0x20, 0x30, 0x40, 0x30, 0x40};
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(Pixel(strip, i) >> 24, alphas[size_t(i)]) << "pixel " << i << ": every cel takes the grid";

    EXPECT_EQ(Pixel(mManager.GetImageThrow("glow"), 0), 0x99FF0000u) << "the alpha-only file takes the colour";
    EXPECT_EQ(ImageLib::gAlphaComposeColor.load(), 0xFFFFFFu);

    EXPECT_EQ(static_cast<MemoryImage*>(mManager.GetImageThrow("SAME")),
              static_cast<MemoryImage*>(mManager.GetImageThrow("AGAIN")))
        << "same path and variant share one image; only the first load merged its alpha image";
    EXPECT_EQ(Pixel(mManager.GetImageThrow("AGAIN"), 0), 0x80112233u);
}

TEST_F(ResourceManagerTest, ImageOptionsReachTheImage)
{
    ASSERT_TRUE(Declare(R"(<Resources id="Init">
  <Image path="tile.png" variant="opaque" ddsurface="1" a4r4g4b4="1" minsubdivide="1" rows="2" nopal="1"/>
  <Image path="tile.png" id="PAL" variant="palette"/>
  <Image path="strip.png" nobits="1"/>
</Resources>)"));
    ASSERT_TRUE(mManager.LoadResources("Init")) << mManager.GetErrorText();

    auto* opaque = static_cast<Pyxo::DDImage*>(mManager.GetImageThrow("tile"));
    EXPECT_TRUE(opaque->mWantDDSurface) << "an opaque image kept on a display surface";
    EXPECT_TRUE(opaque->mPurgeBits);
    EXPECT_EQ(opaque->mD3DFlags, 8 | 4 | 1);
    EXPECT_EQ(opaque->mNumRows, 2);
    EXPECT_EQ(opaque->mColorTable, nullptr) << "nopal";
    EXPECT_EQ(opaque->mAnimInfo, nullptr);

    auto* palette = static_cast<MemoryImage*>(mManager.GetImageThrow("PAL"));
    EXPECT_NE(palette, opaque) << "another variant is another image";
    EXPECT_NE(palette->mColorTable, nullptr) << "palettised after loading";
    EXPECT_FALSE(palette->mPurgeBits);

    EXPECT_TRUE(static_cast<MemoryImage*>(mManager.GetImageThrow("strip"))->mPurgeBits);
}

struct LoadErrorCase {
    const char* name;
    std::string entry;
    std::string message;
    bool located = false; // the message names the record's line and the manifest
};

TEST_F(ResourceManagerTest, LoadErrors)
{
    const LoadErrorCase cases[] = {
        {"missing image", R"(<Image path="none.png"/>)", "Failed to load image: " + Path("none.png")},
        {"missing alpha image", R"(<Image id="T0" path="tile.png" alphaimage="none.png"/>)",
         "Failed to load image: " + Path("none.png")},
        // Each case reads its image afresh (a variant of its own): a pooled image that was read before is not
        // merged again.
        {"alpha image too narrow", R"(<Image id="T1" path="tile.png" variant="1" alphaimage="narrow_alpha.png"/>)",
         "AlphaImage size mismatch between " + Path("tile.png") + " and " + Path("narrow_alpha.png")},
        {"grid not one cel", R"(<Image id="S0" path="strip.png" alphagrid="cel.png"/>)",
         "GridAlphaImage size mismatch between " + Path("strip.png") + " and " + Path("cel.png")},
        {"grid without columns", R"(<Image id="S1" path="strip.png" variant="1" cols="0" alphagrid="cel.png"/>)",
         "GridAlphaImage size mismatch between " + Path("strip.png") + " and " + Path("cel.png")},
        {"missing grid", R"(<Image id="S2" path="strip.png" variant="2" cols="2" alphagrid="none.png"/>)",
         "Failed to load image: " + Path("none.png")},
        {"missing sound", R"(<Sound id="N" path="none"/>)", "Failed to load sound: " + Path("none")},
        {"font with an image", R"(<Font id="F0" path="font.txt" image="glyphs.png"/>)",
         "Failed to load font: " + Path("font.txt")},
        {"missing descriptor", R"(<Font path="none.txt"/>)", "Failed to load font: " + Path("none.txt")},
        {"broken descriptor", R"(<Font path="broken.txt"/>)", "Failed to load font: " + Path("broken.txt")},
        {"reference before its font", R"(<Font id="COPY" path="!ref:FONT_A"/><Font id="FONT_A" path="font.txt"/>)",
         "Ref font not found: FONT_A"},
        // The cels of cel.png (2 x 2) hold a pixel each at most.
        {"more cels than the picture has pixels",
         R"(<Image id="A" path="cel.png" rows="16777216" anim="pingpong" perframedelay="1"/>)",
         "Too many rows and cols.", true},
        {"rows times cols beyond its pixels", R"(<Image id="B" path="cel.png" rows="3" cols="2"/>)",
         "Too many rows and cols.", true},
        {"frame delays longer than an int",
         R"(<Image id="C" path="cel.png" rows="3" anim="pingpong" framedelay="1000000000"/>)", "Animation too long.",
         true},
        {"per-frame delays longer than an int",
         R"(<Image id="D" path="cel.png" cols="2" anim="once" perframedelay="2147483647,2147483647"/>)",
         "Animation too long.", true},
    };
    std::string sections = R"(<Resources id="Sounds"><Sound path="click"/></Resources>)";
    for (size_t i = 0; i < std::size(cases); ++i)
        sections += "<Resources id=\"case" + std::to_string(i) + "\">" + cases[i].entry + "</Resources>\n";
    ASSERT_TRUE(Declare(sections));
    for (size_t i = 0; i < std::size(cases); ++i) {
        SCOPED_TRACE(cases[i].name);
        EXPECT_FALSE(mManager.LoadResources("case" + std::to_string(i)));
        std::string expected = cases[i].message;
        if (cases[i].located)
            expected += " on Line " + std::to_string(3 + i) + " in File '" + Path("resources.xml") + "'";
        EXPECT_EQ(mManager.GetErrorText(), expected);
    }
    EXPECT_FALSE(mApp.mPopups.empty()) << "the broken descriptor reported through the pop-up";

    mSounds->mOutOfIds = true;
    EXPECT_FALSE(mManager.LoadResources("Sounds"));
    EXPECT_EQ(mManager.GetErrorText(), "Out of free sound ids");
}

TEST_F(ResourceManagerTest, EveryCelMayBeOnePixel)
{
    ASSERT_TRUE(
        Declare(R"(<Resources id="Init"><Image path="cel.png" rows="2" cols="2" anim="pingpong"/></Resources>)"));
    ASSERT_TRUE(mManager.LoadResources("Init")) << mManager.GetErrorText();
    const auto* image = static_cast<MemoryImage*>(mManager.GetImageThrow("cel"));
    ASSERT_NE(image->mAnimInfo, nullptr);
    EXPECT_EQ(image->mAnimInfo->mFrameMap, (std::vector<int>{0, 1}));
}

TEST_F(ResourceManagerTest, LongTagListsAreTakenWhole)
{
    // Far beyond the 1024 bytes the tag text once had to fit.
    std::string tags;
    for (int i = 0; i < 400; ++i)
        tags += "tag" + std::to_string(i) + (i % 2 ? ",\t" : " \r\n");
    tags += "outline";
    ASSERT_GT(tags.size(), 2048u);
    ASSERT_TRUE(Declare("<Resources id=\"Init\"><Font path=\"font.txt\" tags=\"" + tags + "\"/></Resources>"));
    ASSERT_TRUE(mManager.LoadResources("Init")) << mManager.GetErrorText();

    auto* font = dynamic_cast<Pyxo::ImageFont*>(mManager.GetFontThrow("font"));
    ASSERT_NE(font, nullptr);
    ASSERT_EQ(font->mTagVector.size(), 401u);
    EXPECT_EQ(font->mTagVector.front(), "TAG0");
    EXPECT_EQ(font->mTagVector.back(), "OUTLINE");
    EXPECT_EQ(font->mActiveLayerList.size(), 2u);
}

TEST_F(ResourceManagerTest, GroupLoadsOnASecondThreadWhileTheMainThreadLooksUp)
{
    std::string back;
    for (int i = 0; i < 40; ++i)
        back +=
            "<Image id=\"BACK" + std::to_string(i) + "\" path=\"strip.png\" variant=\"v" + std::to_string(i) + "\"/>";
    ASSERT_TRUE(Declare(R"(<Resources id="Init"><Image path="tile.png"/><Sound path="click"/>
  <Font path="!sys:DejaVu Sans" size="9" id="F"/></Resources>
<Resources id="Back"><Font path="!sys:DejaVu Sans" size="14" id="BIG"/><Font path="font.txt"/>)" +
                        back + "</Resources>"));
    ASSERT_TRUE(mManager.LoadResources("Init"));
    auto* tile = static_cast<MemoryImage*>(mManager.GetImageThrow("tile"));
    Font* font = mManager.FindFont("F");
    const int sound = mManager.GetSoundThrow("click");

    std::atomic<bool> done = false;
    bool loaded = false;
    std::thread loader([&] {
        loaded = mManager.LoadResources("Back");
        done = true;
    });
    int lookups = 0;
    bool same = true;
    while ((!done || lookups < 100) && same) {
        same = static_cast<MemoryImage*>(mManager.GetImageThrow("tile")) == tile &&
               mManager.GetFontThrow("F") == font && mManager.GetSoundThrow("click") == sound;
        (void)mManager.FindFont("BIG"); // may or may not be loaded yet
        ++lookups;
    }
    loader.join();
    EXPECT_TRUE(same) << "lookup " << lookups << " saw another resource";

    ASSERT_TRUE(loaded) << mManager.GetErrorText();
    EXPECT_TRUE(mManager.IsGroupLoaded("Back"));
    EXPECT_NE(mManager.FindFont("BIG"), nullptr);
    for (int i = 0; i < 40; ++i)
        EXPECT_NE(static_cast<MemoryImage*>(mManager.GetImageThrow("BACK" + std::to_string(i))), nullptr);
}

} // namespace
