#include "tools/fontsheet/FontSheet.h"

#include "graphics/ImageLib.h"
#include "platform/files/FileSystem.h"
#include "platform/window/Utf16Conversion.h"
#include "tools/xmlconv/XmlAssemble.h"

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <cstring>
#include <memory>

namespace FontSheetTool {

namespace {

namespace fs = std::filesystem;

constexpr int kMaxSize = 200;  // pixels
constexpr int kMaxOutline = 8; // pixels
constexpr int kMaxSheetWidth = 1 << 15;

struct RecipeError {
    pugi::xml_node node;
    std::string message;
};

[[noreturn]] void Fail(const pugi::xml_node& node, const std::string& message)
{
    throw RecipeError{node, message};
}

int Whole(const pugi::xml_node& node, const char* name, int fallback, int minimum, int maximum)
{
    const pugi::xml_attribute attribute = node.attribute(name);
    if (!attribute)
        return fallback;
    const std::string text = attribute.value();
    char* end = nullptr;
    const long value = std::strtol(text.c_str(), &end, 10);
    if (text.empty() || *end != '\0' || value < minimum || value > maximum)
        Fail(node, std::string("attribute ") + name + " must be a whole number from " + std::to_string(minimum) +
                       " to " + std::to_string(maximum));
    return int(value);
}

/// The font file that fontconfig matches for the family and style; refused when the match is another family.
std::string FindFace(const pugi::xml_node& node, const std::string& family, const std::string& style)
{
    FcPattern* pattern = FcPatternCreate();
    FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
    if (!style.empty())
        FcPatternAddString(pattern, FC_STYLE, reinterpret_cast<const FcChar8*>(style.c_str()));
    FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result = FcResultNoMatch;
    FcPattern* match = FcFontMatch(nullptr, pattern, &result);
    FcPatternDestroy(pattern);
    std::string file;
    bool sameFamily = false;
    if (match != nullptr) {
        FcChar8* value = nullptr;
        if (FcPatternGetString(match, FC_FILE, 0, &value) == FcResultMatch)
            file = reinterpret_cast<const char*>(value);
        if (FcPatternGetString(match, FC_FAMILY, 0, &value) == FcResultMatch)
            sameFamily = strcasecmp(reinterpret_cast<const char*>(value), family.c_str()) == 0;
        FcPatternDestroy(match);
    }
    if (file.empty() || !sameFamily)
        Fail(node, "face \"" + family + "\" is not installed (it comes from Debian's font packages)");
    return file;
}

/// A rendered glyph: its coverage, placed relative to the pen at the top of the line.
struct Glyph {
    wchar_t character = 0;
    int advance = 0;
    int left = 0;                  // first column of the cell relative to the pen (0, or the negative left bearing)
    int width = 0;                 // cell width
    std::vector<uint8_t> coverage; // width x line height
};

std::wstring Quoted(wchar_t c)
{
    if (c == L'\'')
        return L"\"'\"";
    if (c == L'\\')
        return L"'\\\\'";
    return std::wstring(L"'") + c + L"'";
}

std::wstring Join(const std::vector<std::wstring>& items)
{
    std::wstring text = L"(";
    for (size_t i = 0; i < items.size(); ++i)
        text += (i == 0 ? L"" : L" ") + items[i];
    return text + L")";
}

std::wstring Number(long long value)
{
    return std::to_wstring(value);
}

class FontWriter {
public:
    FontWriter(FT_Library library, const fs::path& out, std::vector<std::string>& written)
        : mLibrary(library), mOut(out), mWritten(written)
    {
    }

    void Font(const pugi::xml_node& node)
    {
        std::string file = node.attribute("file").value();
        std::replace(file.begin(), file.end(), '\\', '/');
        if (file.empty() || fs::path(file).is_absolute() || file.find("..") != std::string::npos ||
            fs::path(file).extension() != ".txt")
            Fail(node, "file=\"...\" must be a relative path ending in .txt");
        const std::string family = node.attribute("face").value();
        if (family.empty())
            Fail(node, "a font needs face=\"...\"");
        if (!node.attribute("size"))
            Fail(node, "a font needs size=\"...\" in pixels");
        const int size = Whole(node, "size", 0, 1, kMaxSize);
        const int outline = Whole(node, "outline", 0, 0, kMaxOutline);
        const int spacing = Whole(node, "spacing", 0, -100, 100);
        const std::wstring characters = Characters(node);

        FT_Face face = nullptr;
        const std::string faceFile = FindFace(node, family, node.attribute("style").value());
        if (FT_New_Face(mLibrary, faceFile.c_str(), 0, &face) != 0)
            Fail(node, "cannot open " + faceFile);
        const std::unique_ptr<FT_FaceRec_, decltype(&FT_Done_Face)> holder(face, FT_Done_Face);
        if (FT_Set_Pixel_Sizes(face, 0, FT_UInt(size)) != 0)
            Fail(node, "the face has no size " + std::to_string(size));
        const int ascent = int((face->size->metrics.ascender + 63) >> 6);
        const int descent = int((-face->size->metrics.descender + 63) >> 6);
        const int height = ascent + descent;

        std::vector<Glyph> glyphs;
        for (const wchar_t c : characters) {
            if (FT_Get_Char_Index(face, FT_ULong(c)) == 0 && c != L' ')
                Fail(node, "the face has no glyph for U+" + Hex(c));
            if (FT_Load_Char(face, FT_ULong(c), FT_LOAD_RENDER) != 0)
                Fail(node, "cannot render U+" + Hex(c));
            const FT_GlyphSlot slot = face->glyph;
            const FT_Bitmap& bitmap = slot->bitmap;
            Glyph glyph;
            glyph.character = c;
            glyph.advance = int((slot->advance.x + 32) >> 6);
            glyph.left = std::min(0, slot->bitmap_left);
            glyph.width = std::max(glyph.advance, slot->bitmap_left + int(bitmap.width)) - glyph.left;
            glyph.width = std::max(glyph.width, 1);
            glyph.coverage.assign(size_t(glyph.width) * size_t(height), 0);
            for (unsigned row = 0; row < bitmap.rows; ++row) {
                const int y = ascent - slot->bitmap_top + int(row);
                if (y < 0 || y >= height)
                    continue; // ink beyond the face's line is cut, as the line height leaves no room for it
                for (unsigned column = 0; column < bitmap.width; ++column) {
                    const int x = slot->bitmap_left - glyph.left + int(column);
                    glyph.coverage[size_t(y) * size_t(glyph.width) + size_t(x)] =
                        bitmap.buffer[int(row) * bitmap.pitch + int(column)];
                }
            }
            glyphs.push_back(std::move(glyph));
        }

        const fs::path descriptor(file);
        const std::string stem = descriptor.stem().string();
        const std::string folder = descriptor.parent_path().generic_string();
        const auto beside = [&](const std::string& name) { return folder.empty() ? name : folder + "/" + name; };

        std::wstring text = L"# " + Platform::Utf8ToUtf16(family) + L" " + Number(size) +
                            L"px, made by the content "
                            L"build\n";
        text += L"SetDefaultPointSize " + Number(size) + L";\n";
        std::vector<std::wstring> quoted;
        for (const Glyph& glyph : glyphs)
            quoted.push_back(Quoted(glyph.character));
        text += L"Define Chars " + Join(quoted) + L";\n";

        WriteLayer(node, text, L"Main", glyphs, height, 0, beside(stem + ".png"), stem + ".png", 0xFFFFFF);
        text += L"LayerSetAscent Main " + Number(ascent) + L";\n";
        if (spacing != 0)
            text += L"LayerSetSpacing Main " + Number(spacing) + L";\n";
        const std::wstring kerning = Kerning(face, glyphs);
        if (!kerning.empty())
            text += L"LayerSetKerningPairs Main " + kerning + L";\n";
        if (outline > 0) {
            WriteLayer(node, text, L"Outline", glyphs, height, outline, beside(stem + "_outline.png"),
                       stem + "_outline.png", 0x000000);
            text += L"LayerSetAscent Outline " + Number(ascent) + L";\n";
            text += L"LayerSetOffset Outline (" + Number(-outline) + L" " + Number(-outline) + L");\n";
            text += L"LayerSetBaseOrder Outline -1;\n";
            if (spacing != 0)
                text += L"LayerSetSpacing Outline " + Number(spacing) + L";\n";
            if (!kerning.empty())
                text += L"LayerSetKerningPairs Outline " + kerning + L";\n";
        }
        std::vector<uint8_t> bytes;
        for (const wchar_t unit : text) {
            bytes.push_back(uint8_t(unit & 0xFF));
            bytes.push_back(uint8_t((unit >> 8) & 0xFF));
        }
        Claim(node, file);
        if (!Platform::WriteFileAtomic((mOut / file).string(), bytes))
            Fail(node, "cannot write " + (mOut / file).string());
    }

private:
    static std::string Hex(wchar_t c)
    {
        char buffer[16];
        std::snprintf(buffer, sizeof buffer, "%04X", unsigned(c));
        return buffer;
    }

    static std::wstring Characters(const pugi::xml_node& node)
    {
        std::wstring characters;
        if (node.attribute("chars")) {
            characters = Platform::Utf8ToUtf16(node.attribute("chars").value());
        } else {
            for (wchar_t c = 0x20; c <= 0x7E; ++c)
                characters += c;
            for (wchar_t c = 0xA0; c <= 0xFF; ++c)
                characters += c;
        }
        std::wstring unique;
        for (const wchar_t c : characters) {
            if (c >= 0xD800 && c <= 0xDFFF)
                Fail(node, "characters beyond U+FFFF cannot be in an image font");
            if (c < 0x20)
                Fail(node, "control characters cannot be in an image font");
            if (unique.find(c) == std::wstring::npos)
                unique += c;
        }
        if (unique.empty())
            Fail(node, "a font needs at least one character");
        return unique;
    }

    /// Writes the strip of one layer and its descriptor lines; `grow` pixels of dilation on every side.
    void WriteLayer(const pugi::xml_node& node, std::wstring& text, const std::wstring& layer,
                    const std::vector<Glyph>& glyphs, int height, int grow, const std::string& sheet,
                    const std::string& sheetName, uint32_t rgb)
    {
        long long total = 0;
        for (const Glyph& glyph : glyphs)
            total += glyph.width + 2 * grow;
        if (total > kMaxSheetWidth)
            Fail(node, "the glyph strip would be wider than " + std::to_string(kMaxSheetWidth) + " pixels");
        const int sheetHeight = height + 2 * grow;
        ImageLib::Image image(int(total), sheetHeight);
        std::vector<std::wstring> widths;
        std::vector<std::wstring> advances;
        std::vector<std::wstring> offsetChars;
        std::vector<std::wstring> offsets;
        int x0 = 0;
        for (const Glyph& glyph : glyphs) {
            const int cellWidth = glyph.width + 2 * grow;
            for (int y = 0; y < sheetHeight; ++y) {
                for (int x = 0; x < cellWidth; ++x) {
                    // The outline is the glyph grown by a disc of radius `grow`.
                    int alpha = 0;
                    for (int dy = -grow; dy <= grow && alpha < 255; ++dy) {
                        for (int dx = -grow; dx <= grow; ++dx) {
                            if (dx * dx + dy * dy > grow * grow)
                                continue;
                            const int sx = x - grow + dx;
                            const int sy = y - grow + dy;
                            if (sx < 0 || sy < 0 || sx >= glyph.width || sy >= height)
                                continue;
                            alpha = std::max<int>(alpha, glyph.coverage[size_t(sy) * size_t(glyph.width) + size_t(sx)]);
                        }
                    }
                    image.GetBits()[size_t(y) * size_t(total) + size_t(x0 + x)] =
                        alpha == 0 ? 0 : uint32_t(alpha) << 24 | rgb;
                }
            }
            widths.push_back(Number(cellWidth));
            advances.push_back(Number(glyph.advance));
            if (glyph.left != 0) {
                offsetChars.push_back(Quoted(glyph.character));
                offsets.push_back(L"(" + Number(glyph.left) + L" 0)");
            }
            x0 += cellWidth;
        }
        Claim(node, sheet);
        if (!ImageLib::WritePNGImage((mOut / sheet).string(), image))
            Fail(node, "cannot write " + (mOut / sheet).string());

        text +=
            L"CreateHorzSpanRectList " + layer + L"Rects (0 0 0 " + Number(sheetHeight) + L") " + Join(widths) + L";\n";
        text += L"CreateLayer " + layer + L";\n";
        text += L"LayerSetImage " + layer + L" '" + Platform::Utf8ToUtf16(sheetName) + L"';\n";
        text += L"LayerSetImageMap " + layer + L" Chars " + layer + L"Rects;\n";
        text += L"LayerSetCharWidths " + layer + L" Chars " + Join(advances) + L";\n";
        if (!offsets.empty())
            text += L"LayerSetCharOffsets " + layer + L" " + Join(offsetChars) + L" " + Join(offsets) + L";\n";
    }

    /// "('AV' 'To' ...) (-1 -2 ...)" for the pairs the face kerns, or empty.
    static std::wstring Kerning(FT_Face face, const std::vector<Glyph>& glyphs)
    {
        if (!FT_HAS_KERNING(face))
            return {};
        std::vector<std::wstring> pairs;
        std::vector<std::wstring> amounts;
        for (const Glyph& first : glyphs) {
            const FT_UInt left = FT_Get_Char_Index(face, FT_ULong(first.character));
            for (const Glyph& second : glyphs) {
                const FT_UInt right = FT_Get_Char_Index(face, FT_ULong(second.character));
                FT_Vector delta{};
                if (FT_Get_Kerning(face, left, right, FT_KERNING_DEFAULT, &delta) != 0)
                    continue;
                const long amount = (delta.x + (delta.x >= 0 ? 32 : -32)) / 64;
                if (amount == 0 || amount < -128 || amount > 127)
                    continue; // the descriptor keeps 8 bits
                const wchar_t a = first.character;
                const wchar_t b = second.character;
                if (std::wstring(L"'\"\\").find_first_of(std::wstring{a, b}) != std::wstring::npos)
                    continue; // quotes and backslashes would need escapes inside the pair; they are not worth it
                const std::wstring pair = std::wstring(L"'") + a + b + L"'";
                pairs.push_back(pair);
                amounts.push_back(Number(amount));
            }
        }
        if (pairs.empty())
            return {};
        return Join(pairs) + L" " + Join(amounts);
    }

    void Claim(const pugi::xml_node& node, const std::string& file)
    {
        if (std::find(mWritten.begin(), mWritten.end(), file) != mWritten.end())
            Fail(node, file + " is written twice");
        mWritten.push_back(file);
        std::error_code ignored;
        fs::create_directories((mOut / file).parent_path(), ignored);
    }

    FT_Library mLibrary;
    fs::path mOut;
    std::vector<std::string>& mWritten;
};

} // namespace

bool GenerateFonts(const fs::path& recipe, const fs::path& outFolder, std::vector<std::string>& written,
                   std::string& error)
{
    XmlConvert::Recipe source;
    if (!XmlConvert::LoadRecipe(recipe, source, error))
        return false;
    FT_Library library = nullptr;
    if (FT_Init_FreeType(&library) != 0) {
        error = "FreeType cannot start";
        return false;
    }
    const std::unique_ptr<FT_LibraryRec_, decltype(&FT_Done_FreeType)> holder(library, FT_Done_FreeType);
    std::vector<std::string> files;
    try {
        const pugi::xml_node root = source.document.document_element();
        if (std::strcmp(root.name(), "fonts") != 0)
            Fail(root, "a font recipe's root element must be <fonts>");
        FontWriter writer(library, outFolder, files);
        for (const pugi::xml_node& node : XmlConvert::ElementChildren(root)) {
            if (std::strcmp(node.name(), "font") != 0)
                Fail(node, std::string("expected <font>, not <") + node.name() + ">");
            writer.Font(node);
        }
    } catch (const RecipeError& fault) {
        error = recipe.string() + ":" + std::to_string(source.LineOf(fault.node)) + ": " + fault.message;
        return false;
    }
    written = std::move(files);
    return true;
}

} // namespace FontSheetTool
