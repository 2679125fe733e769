#pragma once

#include <filesystem>
#include <string>

/// Draws the first frame of a scene document of the built data folder into an 800 x 600 PNG, every object present:
/// each part as the first frame of its "idle" sequence (skin "", the object's orientation), else of an idle pose of
/// one of its skins, from its .anm file, in the order of the parts' base lines, the parts drawn over everything last;
/// indicators stand on their actors. A part without any art is a plain box at its place, in a colour per class, so
/// that every object shows; marks, money anchors, the cleaning, the empty hands and the workers' upgrades, which the
/// game shows only in use, are left out.
namespace ScenePreview {

[[nodiscard]] bool DrawScene(const std::filesystem::path& dataFolder, const std::string& sceneFile,
                             const std::filesystem::path& output, std::string& error);

} // namespace ScenePreview
