#pragma once

#include <string>

namespace Pyxo {
class Font;
class Image;
class ResourceManager;
} // namespace Pyxo

/// The few resources of the manifest's group "Init" that the engine keeps at hand by number: the fonts
/// FONT_ARIAL10 (0, the font of scene item captions), FONT_DEFAULT (1), FONT_ARIAL8 (2), FONT_ARIAL6 (3) and the
/// image GFX_GAME_GROUND (4). Any other number has the name "" and kResourceIdCount stands for "unknown". Set once
/// by the engine's start-up on the main thread; the resource manager keeps what they point to.
inline constexpr int kFontArial10 = 0;
inline constexpr int kFontDefault = 1;
inline constexpr int kFontArial8 = 2;
inline constexpr int kFontArial6 = 3;
inline constexpr int kGfxGameGround = 4;
inline constexpr int kResourceIdCount = 5;

/// The group "Init" (exactly): ExtractInitResources; any other group: false.
bool ExtractResourcesByName(Pyxo::ResourceManager& manager, const std::string& group);
/// Takes the four fonts and the image of the group through the throwing lookups; false when one of them is not
/// loaded (those taken before it stay).
bool ExtractInitResources(Pyxo::ResourceManager& manager);
/// ExtractInitResources has run.
[[nodiscard]] bool AreInitResourcesExtracted();
/// The name of an id, "" beyond the table; the id of a name, kResourceIdCount when unknown.
[[nodiscard]] std::string GetIdName(int id);
[[nodiscard]] int GetIdByName(const std::string& name);
/// Looks the id's name up without throwing and keeps the result; returns it. Null, keeping nothing, for an id
/// of the other kind.
Pyxo::Font* LoadFontById(Pyxo::ResourceManager& manager, int id);
Pyxo::Image* LoadImageById(Pyxo::ResourceManager& manager, int id);
/// The id's kept resource; null for an id of the other kind.
[[nodiscard]] Pyxo::Font* GetFontById(int id);
[[nodiscard]] Pyxo::Image* GetImageById(int id);
