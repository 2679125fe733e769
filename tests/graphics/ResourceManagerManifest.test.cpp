// Reading the resource manifest: paths, ids and groups, the attributes of each kind, and the errors with their
// line and file.
#include "graphics/ResourceManager.h"
#include "shell/PyxoAppBase.h"
#include "tests/TestHelpers.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using Pyxo::AnimInfo;
using Pyxo::ResourceManager;

/// Exposes the records that the manifest made.
class PeekManager : public ResourceManager {
public:
    using ResourceManager::ResourceManager;

    ImageRes* Image(const std::string& id) { return Find<ImageRes>(mImageMap, id); }
    SoundRes* Sound(const std::string& id) { return Find<SoundRes>(mSoundMap, id); }
    FontRes* Font(const std::string& id) { return Find<FontRes>(mFontMap, id); }
    std::vector<std::string> GroupIds(const std::string& group)
    {
        std::vector<std::string> ids;
        for (const BaseRes* res : mResGroupMap[group])
            ids.push_back(res->mId);
        return ids;
    }

private:
    template <typename T>
    T* Find(ResMap& map, const std::string& id)
    {
        auto it = map.find(id);
        return it == map.end() ? nullptr : static_cast<T*>(it->second.get());
    }
};

class ManifestTest : public ::testing::Test {
protected:
    ManifestTest()
        : mFolder(fs::temp_directory_path() / ("ilvane-manifest-" + std::to_string(getpid()) + "-" +
                                               ::testing::UnitTest::GetInstance()->current_test_info()->name()))
    {
        fs::remove_all(mFolder);
        fs::create_directories(mFolder);
    }
    ~ManifestTest() override
    {
        std::error_code ignored;
        fs::remove_all(mFolder, ignored);
    }

    std::string Write(const std::string& text, const std::string& name = "resources.xml")
    {
        const fs::path path = mFolder / name;
        fs::create_directories(path.parent_path());
        std::ofstream(path, std::ios::binary) << text;
        return path.string();
    }

    /// Reads a manifest; false when it failed.
    bool Parse(const std::string& text) { return mManager.ParseResourcesFile(Write(text)); }

    fs::path mFolder;
    Pyxo::PyxoAppBase mApp;
    PeekManager mManager{&mApp};
};

TEST_F(ManifestTest, PathsIdsAndGroups)
{
    ASSERT_TRUE(Parse(R"(<?xml version="1.0"?>
<!-- start-up content -->
<ResourceManifest>
  <Resources id="Init">
    <SetDefaults path="images\" idprefix="IMAGE_"/>
    <Image path="a.png"/>
    <Image path="logo.png" id="LOGO" extra="kept"/>
    <Image path="!program"/>
    <Image path="deep/dir.v2/name.tar.png" alphaimage="name_a.png" alphagrid="grid.png"/>
    <Sound path="a" id="a"/>
    <SetDefaults idprefix="X/" path=""/>
    <Image path="b.png"/>
  </Resources>
  <Resources id="Later">
    <Image path="c"/>
  </Resources>
  <Resources id="Init">
    <Font path="!sys:DejaVu Sans" size="10"/>
  </Resources>
  <Resources id="Empty"/>
</ResourceManifest>
)")) << mManager.GetErrorText();

    const auto* a = mManager.Image("IMAGE_a");
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(a->mPath, "images/a.png");
    EXPECT_EQ(a->mResGroup, "Init");

    const auto* logo = mManager.Image("IMAGE_LOGO");
    ASSERT_NE(logo, nullptr);
    EXPECT_EQ(logo->mXMLAttributes.at(L"extra"), L"kept") << "unknown attributes are copied";
    EXPECT_EQ(logo->mXMLAttributes.size(), 3u);

    const auto* program = mManager.Image("IMAGE_!program");
    ASSERT_NE(program, nullptr);
    EXPECT_EQ(program->mPath, "!program") << "no default path before '!'";
    EXPECT_TRUE(program->mFromProgram);
    EXPECT_FALSE(a->mFromProgram);

    const auto* deep = mManager.Image("IMAGE_name.tar");
    ASSERT_NE(deep, nullptr) << "the id is the file name cut at its last '.'";
    EXPECT_EQ(deep->mAlphaImage, "images/name_a.png");
    EXPECT_EQ(deep->mAlphaGridImage, "images/grid.png");

    ASSERT_NE(mManager.Sound("IMAGE_a"), nullptr) << "an image and a sound may share an id";

    const auto* b = mManager.Image("Xb");
    ASSERT_NE(b, nullptr) << "one trailing '/' leaves the prefix, nothing is appended";
    EXPECT_EQ(b->mPath, "b.png") << "an empty default path adds nothing";
    EXPECT_EQ(mManager.Image("Xc")->mPath, "c") << "the defaults hold across sections";

    EXPECT_EQ(mManager.GroupIds("Init"),
              (std::vector<std::string>{"IMAGE_a", "IMAGE_LOGO", "IMAGE_!program", "IMAGE_name.tar", "IMAGE_a", "Xb",
                                        "X!sys:DejaVu Sans"}))
        << "sections of one group append in file order";
    EXPECT_EQ(mManager.GroupIds("Later"), std::vector<std::string>{"Xc"});
    EXPECT_TRUE(mManager.GroupIds("Empty").empty());
    EXPECT_FALSE(mManager.HasFailed());
}

TEST_F(ManifestTest, ImageOptionsAndAnimation)
{
    ASSERT_TRUE(Parse(R"(<ResourceManifest><Resources id="g">
    <Image id="plain" path="p.png" framedelay="9" perframedelay="5"/>
    <Image id="loop" path="l.png" rows="2" cols="4" anim="LOOP" framedelay="3" begindelay="10" enddelay="20"/>
    <Image id="ping" path="q.png" cols="3" anim="PingPong"/>
    <Image id="delays" path="d.png" cols="3" anim="once" perframedelay="100,200, 300"/>
    <Image id="map" path="m.png" cols="5" anim="loop" framemap="4,,1"/>
    <Image id="emptymap" path="e.png" cols="5" anim="loop" framemap=""/>
    <Image id="flags" path="f.png" nopal="" a4r4g4b4="1" a8r8g8b8="1" minsubdivide="1" ddsurface="x" nobits2d="1"
           alphacolor="ff8000" variant="red" rows="7abc" cols="-2"/>
    <Image id="nobits3d" path="n.png" nobits3d="1" alphacolor="zz"/>
    <Image id="onepixelcels" path="o.png" rows="4096" cols="4096" anim="loop" framedelay="128"/>
</Resources></ResourceManifest>)"))
        << mManager.GetErrorText();

    const auto* plain = mManager.Image("plain");
    EXPECT_EQ(plain->mAnimInfo.mAnimType, AnimInfo::AnimType_None);
    EXPECT_EQ(plain->mAnimInfo.mFrameDelay, 1) << "animation attributes are ignored without \"anim\"";
    EXPECT_TRUE(plain->mAnimInfo.mPerFrameDelay.empty());
    EXPECT_TRUE(plain->mPalletize);
    EXPECT_FALSE(plain->mPurgeBits);
    EXPECT_EQ(plain->mAlphaColor, 0xFFFFFFu);
    EXPECT_EQ(plain->mRows, 1);
    EXPECT_EQ(plain->mCols, 1);

    // The animation is completed for each load of the image; the record keeps what the manifest gives.
    const auto completed = [this](const std::string& id) {
        AnimInfo anim;
        EXPECT_TRUE(mManager.Image(id)->CompleteAnimation(anim)) << id;
        return anim;
    };
    const AnimInfo loop = completed("loop");
    EXPECT_EQ(loop.mAnimType, AnimInfo::AnimType_Loop);
    EXPECT_EQ(loop.mNumCels, 4) << "the larger of rows and cols";
    EXPECT_EQ(loop.mFrameDelay, 3);
    EXPECT_EQ(loop.mPerFrameDelay, (std::vector<int>{10, 3, 3, 20}));
    EXPECT_EQ(loop.mTotalAnimTime, 36);

    EXPECT_EQ(mManager.Image("loop")->mAnimInfo.mPerFrameDelay, std::vector<int>{}) << "not completed yet";
    const AnimInfo ping = completed("ping");
    EXPECT_EQ(ping.mAnimType, AnimInfo::AnimType_PingPong);
    EXPECT_EQ(ping.mFrameMap, (std::vector<int>{0, 1, 2, 1}));

    const AnimInfo delays = completed("delays");
    EXPECT_EQ(delays.mAnimType, AnimInfo::AnimType_Once);
    EXPECT_EQ(delays.mPerFrameDelay, (std::vector<int>{100, 200, 300}));
    EXPECT_EQ(completed("map").mFrameMap, (std::vector<int>{4, 0, 1}));
    EXPECT_EQ(completed("emptymap").mFrameMap, std::vector<int>{0});

    const auto* flags = mManager.Image("flags");
    EXPECT_FALSE(flags->mPalletize) << "flags count by presence, even when empty";
    EXPECT_TRUE(flags->mA4R4G4B4);
    EXPECT_TRUE(flags->mA8R8G8B8);
    EXPECT_TRUE(flags->mMinimizeSubdivisions);
    EXPECT_TRUE(flags->mDDSurface);
    EXPECT_TRUE(flags->mPurgeBits) << "nobits2d while drawing without 3-D";
    EXPECT_EQ(flags->mAlphaColor, 0xFF8000u);
    EXPECT_EQ(flags->mVariant, "red");
    EXPECT_EQ(flags->mRows, 7) << "leading digits, like atoi";
    EXPECT_EQ(flags->mCols, -2);
    EXPECT_FALSE(mManager.Image("nobits3d")->mPurgeBits);
    EXPECT_EQ(mManager.Image("nobits3d")->mAlphaColor, 0xFFFFFFu) << "no hexadecimal digits: the default stays";
    EXPECT_EQ(completed("onepixelcels").mTotalAnimTime, 4096 * 128) << "as many cels as the largest picture has pixels";
}

TEST_F(ManifestTest, SoundAndFontOptions)
{
    ASSERT_TRUE(Parse(R"(<ResourceManifest><Resources id="g">
    <Sound id="quiet" path="s" volume="0" pan="0"/>
    <Sound id="plain" path="s2"/>
    <Sound id="panned" path="s3" volume=" 0.25" pan="-300"/>
    <Font id="sys" path="!sys:DejaVu Sans" size="12 " bold="" italic="1" shadow="1" underline="1" tags="a"
          image="x.png"/>
    <Font id="img" path="fonts/big.txt" tags="outline, shadow" image="sheet.png" size="30" bold="1"/>
    <Font id="ref" path="!ref:img"/>
</Resources></ResourceManifest>)"))
        << mManager.GetErrorText();

    EXPECT_EQ(mManager.Sound("quiet")->mVolume, 0.0);
    EXPECT_EQ(mManager.Sound("quiet")->mPanning, 0);
    EXPECT_EQ(mManager.Sound("plain")->mVolume, -1.0);
    EXPECT_EQ(mManager.Sound("panned")->mVolume, 0.25);
    EXPECT_EQ(mManager.Sound("panned")->mPanning, -300);
    EXPECT_EQ(mManager.Sound("plain")->mSoundId, -1);

    const auto* sys = mManager.Font("sys");
    EXPECT_TRUE(sys->mSysFont);
    EXPECT_EQ(sys->mPath, "DejaVu Sans");
    EXPECT_EQ(sys->mSize, 12);
    EXPECT_TRUE(sys->mBold && sys->mItalic && sys->mShadow && sys->mUnderline);
    EXPECT_TRUE(sys->mTags.empty()) << "a system font reads no tags";
    EXPECT_TRUE(sys->mImagePath.empty());

    const auto* img = mManager.Font("img");
    EXPECT_FALSE(img->mSysFont);
    EXPECT_EQ(img->mPath, "fonts/big.txt");
    EXPECT_EQ(img->mTags, "outline, shadow");
    EXPECT_EQ(img->mImagePath, "sheet.png");
    EXPECT_EQ(img->mSize, 0);
    EXPECT_FALSE(img->mBold);
    EXPECT_EQ(mManager.Font("ref")->mPath, "!ref:img");
}

struct ErrorCase {
    const char* name;
    const char* manifest;
    std::string message; // without the line and file
    int line;            // 0: no line
};

TEST_F(ManifestTest, ErrorsNameTheirLineAndFile)
{
    const ErrorCase cases[] = {
        {"wrong root", "<Resources id=\"g\"/>", "Expecting ResourceManifest tag", 1},
        {"nothing but blanks", "  \n\n", "Expecting ResourceManifest tag", 3},
        {"no group id", "<ResourceManifest>\n<Resources id=\"\"/>", "No id specified.", 2},
        {"group without id", "<ResourceManifest>\n\n<Resources>", "No id specified.", 3},
        {"unknown section", "<ResourceManifest><Pictures/></ResourceManifest>", "Invalid Section 'Pictures'", 1},
        {"text in manifest", "<ResourceManifest>hello  there</ResourceManifest>", "Element Not Expected 'hello there'",
         1},
        {"unknown entry", "<ResourceManifest><Resources id=\"g\"><Picture path=\"a\"/>", "Invalid Section 'Picture'",
         1},
        {"text in section", "<ResourceManifest><Resources id=\"g\">\nstray<Image path=\"a\"/>",
         "Element Not Expected 'stray'", 2},
        {"entry with a child", "<ResourceManifest><Resources id=\"g\"><Image path=\"a\"><Sound path=\"b\"/>",
         "Unexpected element found.", 1},
        {"entry with text", "<ResourceManifest><Resources id=\"g\"><Image path=\"a\">text</Image>",
         "Unexpected element found.", 1},
        {"no path", "<ResourceManifest><Resources id=\"g\">\n\n<Sound id=\"s\"/>", "No path specified.", 3},
        {"empty path", "<ResourceManifest><Resources id=\"g\"><Font path=\"\"/>", "No path specified.", 1},
        {"same image twice",
         "<ResourceManifest><Resources id=\"g\"><Image path=\"a.png\"/></Resources>\n"
         "<Resources id=\"h\"><Image path=\"x/a.jpg\"/>",
         "Resource already defined.", 2},
        {"animation word", "<ResourceManifest><Resources id=\"g\"><Image path=\"a\" anim=\"bounce\"/>",
         "Invalid animation type.", 1},
        {"more cels than pixels",
         "<ResourceManifest><Resources id=\"g\">\n<Image path=\"a\" rows=\"2147483647\" anim=\"loop\" "
         "framedelay=\"2\"/>",
         "Too many rows and cols.", 2},
        {"more cels than pixels, with per-frame delays",
         "<ResourceManifest><Resources id=\"g\"><Image path=\"a\" rows=\"2000000000\" anim=\"loop\" "
         "perframedelay=\"1\"/>",
         "Too many rows and cols.", 1},
        {"rows times cols", "<ResourceManifest><Resources id=\"g\"><Image path=\"a\" rows=\"4097\" cols=\"4097\"/>",
         "Too many rows and cols.", 1},
        {"system font size 0", "<ResourceManifest><Resources id=\"g\"><Font path=\"!sys:Arial\" size=\"0\"/>",
         "SysFont needs point size", 1},
        {"system font without size", "<ResourceManifest><Resources id=\"g\"><Font path=\"!sys:Arial\"/>",
         "SysFont needs point size", 1},
        {"system font larger than a screen",
         "<ResourceManifest><Resources id=\"g\">\n<Font path=\"!sys:DejaVu Sans\" size=\"100000\"/>",
         "SysFont point size too large (at most 1536)", 2},
        {"system font size beyond an int",
         "<ResourceManifest><Resources id=\"g\"><Font path=\"!sys:DejaVu Sans\" size=\"2147483647\"/>",
         "SysFont point size too large (at most 1536)", 1},
        {"reader error", "<ResourceManifest>\n<Resources id=\"g\">\n</Image>",
         "End 'Image' Doesn't Match Start "
         "'Resources'",
         3},
        {"truncated in a section", "<ResourceManifest>\n<Resources id=\"g\">\n<Image path=\"a\"/>\n",
         "Unexpected End of File", 4},
        {"truncated after a section", "<ResourceManifest><Resources id=\"g\"/>", "Unexpected End of File", 1},
    };
    for (const ErrorCase& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string file = Write(c.manifest, std::string(c.name) + ".xml");
        PeekManager manager(&mApp);
        EXPECT_FALSE(manager.ParseResourcesFile(file));
        EXPECT_TRUE(manager.HasFailed());
        std::string expected = c.message;
        if (c.line > 0)
            expected += " on Line " + std::to_string(c.line);
        expected += " in File '" + file + "'";
        EXPECT_EQ(manager.GetErrorText(), expected);
    }
}

TEST_F(ManifestTest, MissingFile)
{
    const std::string file = (mFolder / "none.xml").string();
    EXPECT_FALSE(mManager.ParseResourcesFile(file));
    EXPECT_EQ(mManager.GetErrorText(), "Resource file not found: " + file);
}

TEST_F(ManifestTest, ErrorKeepsWhatWasReadBefore)
{
    // The name as the application passes it, with a Windows separator.
    Write("<ResourceManifest>\n<Resources id=\"Init\">\n<Image path=\"one.png\"/>\n<Sound path=\"two\"/>\n"
          "</Resources>\n<Resources id=\"Menu\">\n<Font path=\"!sys:Arial\" size=\"8\"/>\n\n\n\n\n"
          "<Image id=\"broken\"/>\n<Image path=\"after.png\"/>\n</Resources>\n</ResourceManifest>\n",
          "properties/resources.xml");
    TestHelpers::WorkingFolder here(mFolder);
    EXPECT_FALSE(mManager.ParseResourcesFile("properties\\resources.xml"));
    EXPECT_EQ(mManager.GetErrorText(), "No path specified. on Line 12 in File 'properties\\resources.xml'");
    EXPECT_NE(mManager.Image("one"), nullptr);
    EXPECT_NE(mManager.Sound("two"), nullptr);
    EXPECT_NE(mManager.Font("!sys:Arial"), nullptr);
    EXPECT_EQ(mManager.Image("after"), nullptr) << "reading stops at the first error";
    EXPECT_EQ(mManager.GroupIds("Menu"), std::vector<std::string>{"!sys:Arial"});
}

TEST_F(ManifestTest, TheFirstErrorStaysUntilALoadStarts)
{
    EXPECT_FALSE(Parse("<ResourceManifest><Resources id=\"g\"><Image path=\"a\" anim=\"spin\"/>"));
    const std::string first = mManager.GetErrorText();
    EXPECT_NE(first.find("Invalid animation type."), std::string::npos);
    EXPECT_THROW((void)mManager.GetSoundThrow("nothing"), Pyxo::ResourceManagerException);
    EXPECT_EQ(mManager.GetErrorText(), first);

    // The record that failed was entered before its animation was read, so it stays declared.
    ASSERT_NE(mManager.Image("a"), nullptr);
    EXPECT_TRUE(mManager.LoadResources("nothing-declared"));
    EXPECT_FALSE(mManager.HasFailed());
    EXPECT_EQ(mManager.GetErrorText(), "");
}

} // namespace
