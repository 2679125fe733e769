#pragma once

// Scene fixtures for the item tests: a scratch working folder that the animation files are written into (read
// through the pack layer as loose files), XML documents from text, and the factory rows of the engine's own two
// item classes.

#include "engine/ItemFactory.h"
#include "engine/TMItem.h"
#include "engine/TMPickItem.h"
#include "tests/engine/AnmFixture.h"

#include <gtest/gtest.h>
#include <pugixml.hpp>
#include <unistd.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <string>

namespace EngineTest {

/// A temporary folder made the working folder for the fixture's life.
class ScratchFolder {
public:
    ScratchFolder()
    {
        static std::atomic<int> counter = 0;
        mFolder = std::filesystem::temp_directory_path() /
                  ("ilvane-scene-" + std::to_string(getpid()) + "-" + std::to_string(counter++));
        std::filesystem::remove_all(mFolder);
        std::filesystem::create_directories(mFolder / "anm");
        mPrevious = std::filesystem::current_path();
        std::filesystem::current_path(mFolder);
    }
    ~ScratchFolder()
    {
        std::error_code ignored;
        std::filesystem::current_path(mPrevious, ignored);
        std::filesystem::remove_all(mFolder, ignored);
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    /// Writes anm\<name>.anm.
    void WriteAnm(const std::string& name, const std::vector<AnmFixtureSequence>& sequences,
                  uint32_t savedBase = 0xC0DE0000) const
    {
        const std::vector<uint8_t> bytes = WriteAnmFixture(sequences, savedBase);
        std::ofstream(mFolder / "anm" / (name + ".anm"), std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    }

    [[nodiscard]] const std::filesystem::path& Path() const { return mFolder; }

private:
    std::filesystem::path mFolder;
    std::filesystem::path mPrevious;
};

/// A parsed document whose first element is Root().
class XmlText {
public:
    explicit XmlText(const char* text) { EXPECT_TRUE(mDocument.load_string(text)) << text; }
    [[nodiscard]] pugi::xml_node Root() const { return mDocument.document_element(); }

private:
    pugi::xml_document mDocument;
};

/// The rows and slots the game registers for the engine's classes, and a clean scene before and after.
class SceneFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        ClearLevelObjects();
        ClearItemHooks();
        RegisterItemFactory("item", [] { return new TMItem(); });
        RegisterItemFactory("pickable", []() -> TMItem* { return new TMPickItem(); });
        RegisterNamedItemSlot("boss", &gBoss);
        RegisterNamedItemSlot("bonus", &gBonusItem);
    }
    void TearDown() override
    {
        ClearLevelObjects();
        ClearItemHooks();
    }

    ScratchFolder mScratch;
};

} // namespace EngineTest
