// The hooks the engine declares and the game fills: named effect functions in their two call shapes, the item
// factory, the named item slots and the place-occupant lookup.
#include "engine/EffectFunctionRegistry.h"
#include "engine/ItemFactory.h"

#include <gtest/gtest.h>

namespace {

int ControlA(EffectCallRecord*)
{
    return 1;
}
int ControlB(EffectCallRecord*)
{
    return 2;
}
int Message(TMEffect*)
{
    return 3;
}

TEST(EffectFunctionRegistry, NamesKeepTheirCallShape)
{
    RegisterEffectFunction("TestControlOnly", &ControlA);
    RegisterEffectFunction("TestMessageOnly", &Message);
    RegisterEffectFunction("TestBothShapes", &ControlA);
    RegisterEffectFunction("TestBothShapes", &Message);

    EXPECT_EQ(FindEffectFunction("TestControlOnly"), &ControlA);
    EXPECT_EQ(FindEffectMessageFunction("TestControlOnly"), nullptr) << "never called through the wrong type";
    EXPECT_EQ(FindEffectMessageFunction("TestMessageOnly"), &Message);
    EXPECT_EQ(FindEffectFunction("TestMessageOnly"), nullptr);
    EXPECT_EQ(FindEffectFunction("TestBothShapes"), &ControlA);
    EXPECT_EQ(FindEffectMessageFunction("TestBothShapes"), &Message);
    EXPECT_EQ(FindEffectFunction("testcontrolonly"), nullptr) << "names are exact";

    RegisterEffectFunction("TestControlOnly", &ControlB);
    EXPECT_EQ(FindEffectFunction("TestControlOnly"), &ControlB) << "a second registration replaces";
}

TMItem* gFirstSlot = nullptr;
TMItem* gSecondSlot = nullptr;
int gMade = 0;
TMItem* const kOccupant = reinterpret_cast<TMItem*>(uintptr_t{0x1000});

TMItem* MakeNothing()
{
    ++gMade;
    return nullptr;
}

TEST(ItemFactory, ClassesSlotsAndPlacesReachTheGame)
{
    ClearItemHooks();
    EXPECT_EQ(FindPlaceOccupant(nullptr), nullptr) << "no lookup installed";

    RegisterItemFactory("item", &MakeNothing);
    RegisterItemFactory("pickable", nullptr);
    RegisterItemFactory("item", &MakeNothing);
    ASSERT_EQ(ItemFactoryTable().size(), 2u) << "a class keeps one row";
    EXPECT_EQ(ItemFactoryTable()[0].className, "item");
    EXPECT_EQ(CreateItemOfClass("item"), nullptr);
    EXPECT_EQ(gMade, 1);
    EXPECT_EQ(CreateItemOfClass("Item"), nullptr);
    EXPECT_EQ(CreateItemOfClass("pickable"), nullptr);
    EXPECT_EQ(gMade, 1) << "class names are exact";

    RegisterNamedItemSlot("boss", &gFirstSlot);
    RegisterNamedItemSlot("bonus", &gSecondSlot);
    EXPECT_EQ(FindNamedItemSlot("boss"), &gFirstSlot);
    EXPECT_EQ(FindNamedItemSlot("bonus"), &gSecondSlot);
    EXPECT_EQ(FindNamedItemSlot("boss2"), nullptr);

    SetPlaceOccupantLookup([](TMItem*) { return kOccupant; });
    EXPECT_EQ(FindPlaceOccupant(nullptr), kOccupant);
    ClearItemHooks();
    EXPECT_TRUE(ItemFactoryTable().empty());
    EXPECT_EQ(FindPlaceOccupant(nullptr), nullptr);
}

} // namespace
