// The application's manifest at start-up: read from "properties\resources.xml" in the working folder, and a
// failure shown in the fatal pop-up before the program ends.
#include "graphics/ResourceManager.h"
#include "shell/ProcessExit.h"
#include "shell/PyxoAppBase.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

struct ExitCalled {
    int code;
};

[[noreturn]] void ThrowExit(int code)
{
    throw ExitCalled{code};
}

class PopupApp : public Pyxo::PyxoAppBase {
public:
    void Popup(const std::string& text) override { mPopups.push_back(text); }

    std::vector<std::string> mPopups;
};

class AppManifest : public ::testing::Test {
protected:
    AppManifest()
        : mFolder(fs::temp_directory_path() / ("ilvane-appmanifest-" + std::to_string(getpid()))),
          mPreviousFolder(fs::current_path()), mPreviousExit(Pyxo::SetExitHandler(&ThrowExit))
    {
        fs::remove_all(mFolder);
        fs::create_directories(mFolder / "properties");
        fs::current_path(mFolder);
    }
    ~AppManifest() override
    {
        fs::current_path(mPreviousFolder);
        Pyxo::SetExitHandler(mPreviousExit);
        std::error_code ignored;
        fs::remove_all(mFolder, ignored);
    }

    fs::path mFolder;
    fs::path mPreviousFolder;
    Pyxo::ExitHandler mPreviousExit;
    PopupApp mApp;
};

TEST_F(AppManifest, ReadsTheManifestOfTheWorkingFolder)
{
    std::ofstream(mFolder / "properties" / "resources.xml")
        << "<ResourceManifest><Resources id=\"Init\"><Font path=\"!sys:DejaVu Sans\" size=\"9\" id=\"F\"/>"
           "</Resources></ResourceManifest>";
    ASSERT_NE(mApp.mResourceManager, nullptr) << "made with the application";
    mApp.LoadResourceManifest();
    EXPECT_TRUE(mApp.mPopups.empty());
    ASSERT_TRUE(mApp.mResourceManager->LoadResources("Init"));
    EXPECT_NE(mApp.mResourceManager->FindFont("F"), nullptr);
}

TEST_F(AppManifest, AFailureIsShownAndEndsTheProgram)
{
    try {
        mApp.LoadResourceManifest();
        ADD_FAILURE() << "the program went on";
    } catch (const ExitCalled& exit) {
        EXPECT_EQ(exit.code, 1);
    }
    EXPECT_EQ(mApp.mPopups, std::vector<std::string>{"Resource file not found: properties\\resources.xml"});

    mApp.ShowResourceError(false);
    EXPECT_EQ(mApp.mPopups.size(), 2u) << "shown again, and the program goes on";
}

} // namespace
