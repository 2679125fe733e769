#include "engine/ItemFactory.h"

#include <atomic>

namespace {

struct Hooks {
    std::vector<ItemFactoryEntry> factories;
    std::vector<NamedItemSlot> slots;
    std::atomic<PlaceOccupantFunction> placeOccupant = nullptr;
};

Hooks& ItemHooks()
{
    static Hooks hooks;
    return hooks;
}

} // namespace

void RegisterItemFactory(std::string_view className, ItemCreateFunction create)
{
    // Each application object registers again; a class keeps its one row and its place in the order.
    for (ItemFactoryEntry& entry : ItemHooks().factories) {
        if (entry.className == className) {
            entry.create = create;
            return;
        }
    }
    ItemHooks().factories.push_back({std::string(className), create});
}

const std::vector<ItemFactoryEntry>& ItemFactoryTable()
{
    return ItemHooks().factories;
}

TMItem* CreateItemOfClass(std::string_view className)
{
    for (const ItemFactoryEntry& entry : ItemHooks().factories) {
        if (entry.className == className)
            return entry.create ? entry.create() : nullptr;
    }
    return nullptr;
}

void RegisterNamedItemSlot(std::string_view objectName, TMItem** global)
{
    for (NamedItemSlot& slot : ItemHooks().slots) {
        if (slot.objectName == objectName) {
            slot.global = global;
            return;
        }
    }
    ItemHooks().slots.push_back({std::string(objectName), global});
}

const std::vector<NamedItemSlot>& NamedItemSlots()
{
    return ItemHooks().slots;
}

TMItem** FindNamedItemSlot(std::string_view objectName)
{
    for (const NamedItemSlot& slot : ItemHooks().slots) {
        if (slot.objectName == objectName)
            return slot.global;
    }
    return nullptr;
}

void SetPlaceOccupantLookup(PlaceOccupantFunction lookup)
{
    ItemHooks().placeOccupant = lookup;
}

TMItem* FindPlaceOccupant(TMItem* place)
{
    const PlaceOccupantFunction lookup = ItemHooks().placeOccupant;
    return lookup ? lookup(place) : nullptr;
}

void ClearItemHooks()
{
    Hooks& hooks = ItemHooks();
    hooks.factories.clear();
    hooks.slots.clear();
    hooks.placeOccupant = nullptr;
}
