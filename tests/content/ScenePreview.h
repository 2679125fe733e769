#pragma once

#include <filesystem>
#include <string>

/// Draws the first frame of a scene document of the built data folder into an 800 x 600 PNG, every object present:
/// each part as the first frame of its "idle" sequence (skin "", the object's orientation; else its first sequence in
/// that orientation) from its .anm file, in
/// the order of the parts' base lines, the parts drawn over everything last. A part without any art (the actors of
/// the game's classes, until they are drawn) is a plain box at its place, in a colour per class, so that every
/// object shows; marks, money anchors, the cleaning, the empty hands and the workers' upgrades, which the game shows
/// only in use, are left out.
namespace ScenePreview {

[[nodiscard]] bool DrawScene(const std::filesystem::path& dataFolder, const std::string& sceneFile,
                             const std::filesystem::path& output, std::string& error);

} // namespace ScenePreview
