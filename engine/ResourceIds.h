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
/// by the engine's start-up on the main thread.
inline constexpr int kResourceIdCount = 5;

/// The group "Init" (exactly): ExtractInitResources; any other group: false.
bool ExtractResourcesByName(Pyxo::ResourceManager& manager, const std::string& group);
/// Takes the four fonts and the image of the group; false when one of them is not loaded.
bool ExtractInitResources(Pyxo::ResourceManager& manager);
[[nodiscard]] std::string GetIdName(int id);
[[nodiscard]] int GetIdByName(const std::string& name);
/// Looks the id's name up without throwing and keeps the result; returns it.
Pyxo::Font* LoadFontById(Pyxo::ResourceManager& manager, int id);
Pyxo::Image* LoadImageById(Pyxo::ResourceManager& manager, int id);
[[nodiscard]] Pyxo::Font* GetFontById(int id);
[[nodiscard]] Pyxo::Image* GetImageById(int id);
