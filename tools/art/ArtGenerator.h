#pragma once

#include <filesystem>
#include <string>
#include <vector>

/// The art generator: draws the pictures of a recipe (UTF-8 XML, repeats expanded as in the XML step) with cairo
/// and writes them as PNG with straight alpha, plus the animation files of its sprite sets.
///
/// Recipe:
///   <art>
///     <drawing name="waiter"> shapes </drawing>
///     <image file="images/ground.png" width="64" height="64" [alpha-image="true"]> shapes </image>
///     <animation file="anm/waiter.anm">
///       <sheet file="images/waiter.png" frame-width="64" frame-height="96" [alpha-image="true"]>
///         <sequence part="body" skin="red" orientation="br" animation="walk" (or name="...")
///                   frames="8" fps="10" [mode="loop|once|backward"] [variants="3"]
///                   [offset-x="-32" offset-y="-90"] [motion]> shapes </sequence>
///       </sheet>
///     </animation>
///   </art>
/// Shapes: <rect x y w h [radius]>, <ellipse cx cy rx ry>, <polygon points="x,y x,y ...">,
///         <text x y size [font="DejaVu Sans"] [bold] [align="left|center|right"] text="...">, <group> shapes
///         </group>, <use drawing="waiter" [name="value" ...]>. Paint: fill="#RRGGBB[AA]", or a linear gradient fill +
///         fill-to + gradient="x1 y1 x2 y2"; stroke="#..." stroke-width="1". Motion on a sequence, group or shape, per
///         frame (frame index f from 0): dx, dy (pixels), turn (degrees), grow (scale added) about pivot-x, pivot-y
///         (default: the cell's centre). In text, "{frame}" is the frame number from 1 and "{variant}" the variant
///         number. A <group> or <use> is first placed by x, y (pixels) and mirror="true" (flipped left to right about
///         pivot-x); scale="0.5" sizes any shape, group or use about the pivot.
/// Frame filter: in-frames="1 3" on a shape, group or use draws it only in those frames (numbers from 1), so a walk,
/// a wave or a blink is a set of poses, each drawn in its frames.
/// Drawings: a <drawing name="..."> directly under <art> holds shapes defined once for the whole recipe; each
/// <use drawing="..."> draws them there, and drawings may use others. An attribute written "$word" (a letter, then
/// letters, digits, "_" or "-") inside a drawing takes the value of attribute word of the innermost <use> that gives it
/// (a colour, a size, a frame list, the drawing a <use> draws), so one figure serves every skin; a <use> may hand
/// on its own "$word" value, which is then looked up further out.
///
/// Each sequence fills rows of its sheet (one per variant), its frames left to right. Variants are named name01,
/// name02, ... The orientations mbr, mtr, mtl, mbl and mr are drawn by flipping br, tr, tl, bl and r, so a recipe that
/// asks for them is refused. With alpha-image, the picture is written opaque and its alpha goes to
/// "_<name>.png" beside it, as grey.
namespace ArtTool {

/// Draws every picture of the recipe below outFolder; `written` receives the paths written, relative to it, with
/// '/' separators. False, with "<recipe>:<line>: <message>", on any fault of the recipe or a failed write.
[[nodiscard]] bool GenerateArt(const std::filesystem::path& recipe, const std::filesystem::path& outFolder,
                               std::vector<std::string>& written, std::string& error);

} // namespace ArtTool
