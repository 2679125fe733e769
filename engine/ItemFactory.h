#pragma once

#include <string>
#include <string_view>
#include <vector>

class TMItem;

/// The hooks through which the engine's level loader and scene items reach the game's actors: the item factory
/// (the "class" of a level object to a creation function), the named item slots (a level object's name to the
/// global that holds it, such as "boss"), and the lookup of the occupant of a place. The engine declares them and
/// reads them; the game fills them in TMEngine3's constructor, before any level loads. Registration is for start-up;
/// reads may come from any thread afterwards.

/// A new item, owned by the caller; null when none could be made.
using ItemCreateFunction = TMItem* (*)();

struct ItemFactoryEntry {
    std::string className;
    ItemCreateFunction create = nullptr;
};

struct NamedItemSlot {
    std::string objectName;
    TMItem** global = nullptr; // borrowed: the global that the loaded item is stored in
};

/// The occupant of the place an item stands for (the worker at a table, the client at a client place), or null.
using PlaceOccupantFunction = TMItem* (*)(TMItem* place);

/// Appends a row, or replaces the function of the row of that class; rows are compared in the order they were
/// first registered.
void RegisterItemFactory(std::string_view className, ItemCreateFunction create);
/// The rows in registration order.
[[nodiscard]] const std::vector<ItemFactoryEntry>& ItemFactoryTable();
/// A new item of the row whose class equals the name exactly; null when no row matches.
[[nodiscard]] TMItem* CreateItemOfClass(std::string_view className);

/// Appends a slot, or replaces the global of the slot of that name.
void RegisterNamedItemSlot(std::string_view objectName, TMItem** global);
[[nodiscard]] const std::vector<NamedItemSlot>& NamedItemSlots();
/// The global of the slot named exactly so, or null.
[[nodiscard]] TMItem** FindNamedItemSlot(std::string_view objectName);

/// Installs the game's place-occupant lookup (null removes it).
void SetPlaceOccupantLookup(PlaceOccupantFunction lookup);
/// The occupant of the place, or null when there is none or no lookup is installed.
[[nodiscard]] TMItem* FindPlaceOccupant(TMItem* place);

/// Forgets every row, slot and the lookup (for tests).
void ClearItemHooks();
