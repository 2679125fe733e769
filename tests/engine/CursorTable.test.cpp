// The engine's drawn cursors: the "cursors" elements that enter the table, selection read back from the shell's
// cursor state, the cursor drawn under the mouse less its hot spot, and a reset that gives the textures back.
#include "engine/CursorTable.h"

#include "engine/TextureTable.h"
#include "graphics/Graphics.h"
#include "graphics/ImageLib.h"
#include "graphics/MemoryImage.h"
#include "shell/WidgetManager.h"
#include "tests/engine/EngineTestKit.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

namespace {

using namespace EngineTest;

void WritePng(const fs::path& path, int size, uint32_t argb)
{
    ImageLib::Image image(size, size);
    std::fill(image.GetBits(), image.GetBits() + size * size, argb);
    fs::create_directories(path.parent_path());
    ASSERT_TRUE(ImageLib::WritePNGImage(path.string(), image));
}

class CursorTableTest : public EngineFixture {
protected:
    void SetUp() override
    {
        EngineFixture::SetUp();
        WritePng(mFolder / "images" / "arrow.png", 4, 0xFFFF0000);
        WritePng(mFolder / "images" / "hand.png", 4, 0xFF0000FF);
        mEngine = &MakeEngine();
        ASSERT_TRUE(mDocument.load_string(R"(<root>
            <texture id="arrow" file="images\arrow.png"/>
            <texture id="hand" file="images\hand.png"/>
            <cursors mode="normal" image="arrow" hot_spot_x="1" hot_spot_y="2"/>
            <cursors mode="normal" image="hand" hot_spot_x="3" hot_spot_y="3"/>
            <cursors mode="active" image="hand"/>
            <cursors mode="lost" image="nowhere"/>
            <cursors image="arrow"/>
            <cursors mode="bare"/>
        </root>)"));
        mEngine->GetTextureTable()->Load(mDocument.child("root"));
        mTable = mEngine->GetCursorTable();
        mTable->Load(mDocument.child("root"));
    }

    void TearDown() override
    {
        mTable->Reset();
        EngineFixture::TearDown();
    }

    /// The cursor drawn into a 16 x 16 target with the mouse at (x, y), as rows of '#' (the cursor's colour, up to
    /// the blend's rounding).
    std::string DrawAt(int x, int y, uint32_t rgb)
    {
        mEngine->mWidgetManager->mLastMouseX = x;
        mEngine->mWidgetManager->mLastMouseY = y;
        Pyxo::MemoryImage target(mEngine);
        target.Create(16, 16);
        target.Clear();
        Pyxo::Graphics g(&target);
        mTable->Draw(&g);
        std::string rows;
        const uint32_t* bits = target.GetBits();
        for (int row = 0; row < 16; ++row) {
            for (int column = 0; column < 16; ++column)
                rows += (bits[row * 16 + column] & 0xF0F0F0) == (rgb & 0xF0F0F0) ? '#' : '.';
            rows += '\n';
        }
        return rows;
    }

    /// The rows with a 4 x 4 block at (x, y).
    static std::string Block(int x, int y)
    {
        std::string rows;
        for (int row = 0; row < 16; ++row) {
            for (int column = 0; column < 16; ++column)
                rows += column >= x && column < x + 4 && row >= y && row < y + 4 ? '#' : '.';
            rows += '\n';
        }
        return rows;
    }

    static std::string Nothing() { return Block(-8, -8); }

    EngineApp* mEngine = nullptr;
    CursorTable* mTable = nullptr;
    pugi::xml_document mDocument;
};

TEST_F(CursorTableTest, OnlyCursorsWithAModeAndAKnownImageEnterAndTheFirstOfAModeStays)
{
    const CursorTable::Cursor* normal = mTable->Find("normal");
    ASSERT_NE(normal, nullptr);
    EXPECT_EQ(normal->texture.GetRecord(), mEngine->GetTextureTable()->Find("arrow").GetRecord());
    EXPECT_EQ(normal->hotSpotX, 1);
    EXPECT_EQ(normal->hotSpotY, 2);
    EXPECT_EQ(normal->texture.GetRecord()->referenceCount, 1u) << "the cursor's image is loaded with the table";

    const CursorTable::Cursor* active = mTable->Find("active");
    ASSERT_NE(active, nullptr);
    EXPECT_EQ(active->hotSpotX, 0) << "no hot spot given: (0, 0)";
    EXPECT_EQ(active->hotSpotY, 0);

    for (const char* absent : {"lost", "bare", ""})
        EXPECT_EQ(mTable->Find(absent), nullptr) << absent;
}

TEST_F(CursorTableTest, SelectionReachesTheShellCursorState)
{
    Pyxo::MemoryImage stale(mEngine);
    const struct {
        const char* name;
        bool selected;
        int cursorNumber;
        bool custom;
    } cases[] = {
        {"normal", true, 12, true},
        {"unknown", false, 0, false},
        {"active", true, 12, true},
        {"", false, 0, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        mEngine->SetCursorImage(12, &stale);
        mTable->Set(c.name);
        EXPECT_EQ(mTable->GetCurrent(), c.selected ? mTable->Find(c.name) : nullptr);
        EXPECT_EQ(mEngine->mCursorNumber, c.cursorNumber);
        EXPECT_EQ(mEngine->mCustomCursors, c.custom);
        EXPECT_EQ(mEngine->mCursorImages[12], nullptr) << "cursor image 12 is cleared either way";
    }
}

TEST_F(CursorTableTest, DrawsTheSelectedCursorUnderTheMouseLessItsHotSpotWhileShown)
{
    EXPECT_EQ(DrawAt(8, 8, 0xFF0000), Nothing()) << "nothing selected";
    mTable->Set("normal");
    EXPECT_EQ(DrawAt(8, 8, 0xFF0000), Block(7, 6));
    EXPECT_EQ(DrawAt(1, 2, 0xFF0000), Block(0, 0));
    mTable->Hide();
    EXPECT_FALSE(mTable->IsShown());
    EXPECT_EQ(DrawAt(8, 8, 0xFF0000), Nothing()) << "hidden";
    mTable->Show();
    mTable->Set("active");
    EXPECT_EQ(DrawAt(8, 8, 0x0000FF), Block(8, 8));
}

TEST_F(CursorTableTest, ResetGivesBackTheArrowAndEveryCursorTexture)
{
    mTable->Set("normal");
    mTable->Reset();
    EXPECT_EQ(mTable->GetCurrent(), nullptr);
    EXPECT_EQ(mEngine->mCursorNumber, 0);
    EXPECT_FALSE(mEngine->mCustomCursors);
    for (const char* name : {"normal", "active"}) {
        const TextureRecord* record = mTable->Find(name)->texture.GetRecord();
        EXPECT_EQ(record->referenceCount, 0u) << name;
        EXPECT_EQ(record->image, nullptr) << name;
    }
    EXPECT_EQ(DrawAt(8, 8, 0xFF0000), Nothing());
}

} // namespace
