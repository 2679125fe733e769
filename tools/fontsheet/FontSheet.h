#pragma once

#include <filesystem>
#include <string>
#include <vector>

/// The font-sheet generator: renders the characters of a face from the installed font packages with FreeType into
/// a glyph strip (PNG, white glyphs in straight alpha) and writes its image-font descriptor (UTF-16LE, no
/// byte-order mark), which ImageFont reads.
///
/// Recipe:
///   <fonts>
///     <font file="fonts/body14.txt" face="DejaVu Sans" [style="Bold"] size="14"
///           [chars="..."] [outline="2"] [spacing="0"]/>
///   </fonts>
/// `size` is in pixels (the descriptor's point size). Without `chars` the set is U+0020-U+007E and U+00A0-U+00FF.
/// The strip is "<file stem>.png" beside the descriptor; with `outline` a second, black strip
/// "<file stem>_outline.png" is the glyphs grown by that many pixels, drawn under the fill (base order -1).
/// Kerning pairs are written when the face has a kerning table.
namespace FontSheetTool {

/// Writes every font of the recipe below outFolder; `written` receives the paths written, relative to it. False,
/// with "<recipe>:<line>: <message>", when the recipe is faulty, a face is not installed or a write fails.
[[nodiscard]] bool GenerateFonts(const std::filesystem::path& recipe, const std::filesystem::path& outFolder,
                                 std::vector<std::string>& written, std::string& error);

} // namespace FontSheetTool
