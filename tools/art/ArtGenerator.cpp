#include "tools/art/ArtGenerator.h"

#include "graphics/ImageLib.h"
#include "platform/files/FileSystem.h"
#include "tools/anm/AnmFile.h"
#include "tools/xmlconv/XmlAssemble.h"

#include <cairo.h>
#include <pugixml.hpp>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <map>
#include <memory>
#include <sstream>

namespace ArtTool {

namespace {

namespace fs = std::filesystem;

constexpr int kMaxSide = 4096; // the largest sheet side the generator makes
constexpr double kPi = 3.14159265358979323846;

struct Rgba {
    double r = 0, g = 0, b = 0, a = 1;
};

/// Thrown inside the generator with the node at fault; turned into "<file>:<line>: <message>" at the top.
struct RecipeError {
    pugi::xml_node node;
    std::string message;
};

[[noreturn]] void Fail(const pugi::xml_node& node, const std::string& message)
{
    throw RecipeError{node, message};
}

struct FrameContext;
const char* Attribute(const pugi::xml_node& node, const char* name, const FrameContext* context);

double Number(const pugi::xml_node& node, const char* name, double fallback, const FrameContext* context = nullptr)
{
    const char* text = Attribute(node, name, context);
    if (!text)
        return fallback;
    std::istringstream stream(text);
    stream.imbue(std::locale::classic());
    double value = 0;
    if (!(stream >> value) || !(stream >> std::ws).eof() || !std::isfinite(value))
        Fail(node, std::string("attribute ") + name + "=\"" + text + "\" is not a number");
    return value;
}

double RequiredNumber(const pugi::xml_node& node, const char* name, const FrameContext* context)
{
    if (!Attribute(node, name, context))
        Fail(node, std::string("<") + node.name() + "> needs " + name + "=\"...\"");
    return Number(node, name, 0, context);
}

int Whole(const pugi::xml_node& node, const char* name, int fallback, int minimum, int maximum)
{
    const double value = node.attribute(name) ? Number(node, name, 0) : fallback;
    if (value != std::floor(value) || value < minimum || value > maximum)
        Fail(node, std::string("attribute ") + name + " must be a whole number from " + std::to_string(minimum) +
                       " to " + std::to_string(maximum));
    return int(value);
}

std::vector<double> Numbers(const pugi::xml_node& node, const char* name, const FrameContext* context)
{
    const char* raw = Attribute(node, name, context);
    std::string text = raw ? raw : "";
    std::replace(text.begin(), text.end(), ',', ' ');
    std::istringstream stream(text);
    stream.imbue(std::locale::classic());
    std::vector<double> values;
    double value = 0;
    while (stream >> value)
        values.push_back(value);
    if (!(stream >> std::ws).eof())
        Fail(node, std::string("attribute ") + name + " must be a list of numbers");
    return values;
}

/// "#RGB", "#RRGGBB" or "#RRGGBBAA".
Rgba Colour(const pugi::xml_node& node, const char* name, const FrameContext* context)
{
    const char* raw = Attribute(node, name, context);
    const std::string text = raw ? raw : "";
    const auto hex = [&](size_t at, size_t digits) {
        unsigned value = 0;
        for (size_t i = 0; i < digits; ++i) {
            const char c = text[at + i];
            const int digit = std::isdigit(static_cast<unsigned char>(c)) ? c - '0'
                              : (c >= 'a' && c <= 'f')                    ? c - 'a' + 10
                              : (c >= 'A' && c <= 'F')                    ? c - 'A' + 10
                                                                          : -1;
            if (digit < 0)
                Fail(node, std::string("attribute ") + name + "=\"" + text + "\" is not a colour");
            value = value * 16 + unsigned(digit);
        }
        return digits == 1 ? value * 17 : value;
    };
    if (text.empty() || text[0] != '#' || (text.size() != 4 && text.size() != 7 && text.size() != 9))
        Fail(node, std::string("attribute ") + name + "=\"" + text + "\" is not a colour (#RGB, #RRGGBB, #RRGGBBAA)");
    Rgba colour;
    const size_t digits = text.size() == 4 ? 1 : 2;
    colour.r = hex(1, digits) / 255.0;
    colour.g = hex(1 + digits, digits) / 255.0;
    colour.b = hex(1 + 2 * digits, digits) / 255.0;
    colour.a = text.size() == 9 ? hex(7, 2) / 255.0 : 1.0;
    return colour;
}

std::string Replace(std::string text, const std::string& key, const std::string& value)
{
    for (size_t at = text.find(key); at != std::string::npos; at = text.find(key, at + value.size()))
        text.replace(at, key.size(), value);
    return text;
}

/// The drawings a recipe defines once, by name.
using Drawings = std::map<std::string, pugi::xml_node, std::less<>>;

struct FrameContext {
    int frame = 0;   // from 0
    int variant = 1; // from 1
    double width = 0, height = 0;
    const Drawings* drawings = nullptr;
    std::vector<pugi::xml_node> uses; // the <use> elements being drawn, innermost last
};

constexpr size_t kMaxUseDepth = 16;

/// An attribute's text, or null when absent. "$name" stands for the attribute name of the innermost <use> that has
/// it, so one drawing serves several colourings.
const char* Attribute(const pugi::xml_node& node, const char* name, const FrameContext* context)
{
    const pugi::xml_attribute attribute = node.attribute(name);
    if (!attribute)
        return nullptr;
    const auto isParameter = [](const char* text) {
        const auto wordChar = [](char c) {
            return std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '-';
        };
        return text[0] == '$' && std::isalpha(static_cast<unsigned char>(text[1])) &&
               std::all_of(text + 1, text + std::strlen(text), wordChar); // a plain "$" or "$5" is text
    };
    const char* text = attribute.value();
    if (!isParameter(text))
        return text;
    // A <use> may hand on a parameter of its own: "$word" given as a value is looked up further out.
    const char* wanted = text;
    if (context) {
        for (auto use = context->uses.rbegin(); use != context->uses.rend(); ++use) {
            if (const pugi::xml_attribute given = use->attribute(wanted + 1)) {
                if (!isParameter(given.value()))
                    return given.value();
                wanted = given.value();
            }
        }
    }
    Fail(node, std::string("attribute ") + name + "=\"" + text + "\" names no attribute of the <use> drawing it" +
                   (wanted != text ? std::string(" (handed on as ") + wanted + ")" : std::string()));
}

/// Whether the node is drawn in this frame: in-frames="1 3 4" lists frame numbers from 1.
bool InFrame(const pugi::xml_node& node, const FrameContext& context)
{
    if (!node.attribute("in-frames"))
        return true;
    const std::vector<double> frames = Numbers(node, "in-frames", &context);
    if (frames.empty())
        Fail(node, "in-frames=\"...\" lists frame numbers from 1");
    return std::find(frames.begin(), frames.end(), double(context.frame + 1)) != frames.end();
}

/// The per-frame motion of a sequence, group or shape, after its fixed placement (x, y and mirror on a <use> or
/// <group>).
void ApplyMotion(cairo_t* cr, const pugi::xml_node& node, const FrameContext& context, bool placed)
{
    const double f = context.frame;
    const double px = Number(node, "pivot-x", context.width / 2, &context);
    const double py = Number(node, "pivot-y", context.height / 2, &context);
    if (placed) {
        cairo_translate(cr, Number(node, "x", 0, &context), Number(node, "y", 0, &context));
        if (node.attribute("mirror").as_bool()) {
            cairo_translate(cr, px, 0);
            cairo_scale(cr, -1, 1);
            cairo_translate(cr, -px, 0);
        }
    }
    cairo_translate(cr, Number(node, "dx", 0, &context) * f, Number(node, "dy", 0, &context) * f);
    const double turn = Number(node, "turn", 0, &context) * f;
    const double scale = Number(node, "scale", 1, &context) + Number(node, "grow", 0, &context) * f;
    if (turn != 0 || scale != 1) {
        if (scale <= 0)
            Fail(node, "the shape has shrunk to nothing by frame " + std::to_string(context.frame + 1));
        cairo_translate(cr, px, py);
        cairo_rotate(cr, turn * kPi / 180);
        cairo_scale(cr, scale, scale);
        cairo_translate(cr, -px, -py);
    }
}

/// Fills and strokes the current path with the node's paint.
void Paint(cairo_t* cr, const pugi::xml_node& node, const FrameContext& context)
{
    if (node.attribute("fill")) {
        const Rgba from = Colour(node, "fill", &context);
        if (node.attribute("fill-to")) {
            const Rgba to = Colour(node, "fill-to", &context);
            std::vector<double> line = node.attribute("gradient") ? Numbers(node, "gradient", &context)
                                                                  : std::vector<double>{0, 0, 0, context.height};
            if (line.size() != 4)
                Fail(node, "gradient=\"x1 y1 x2 y2\" needs four numbers");
            cairo_pattern_t* pattern = cairo_pattern_create_linear(line[0], line[1], line[2], line[3]);
            cairo_pattern_add_color_stop_rgba(pattern, 0, from.r, from.g, from.b, from.a);
            cairo_pattern_add_color_stop_rgba(pattern, 1, to.r, to.g, to.b, to.a);
            cairo_set_source(cr, pattern);
            cairo_pattern_destroy(pattern);
        } else {
            cairo_set_source_rgba(cr, from.r, from.g, from.b, from.a);
        }
        cairo_fill_preserve(cr);
    }
    if (node.attribute("stroke")) {
        const Rgba colour = Colour(node, "stroke", &context);
        const double width = Number(node, "stroke-width", 1, &context);
        if (width <= 0)
            Fail(node, "stroke-width must be above 0");
        cairo_set_source_rgba(cr, colour.r, colour.g, colour.b, colour.a);
        cairo_set_line_width(cr, width);
        cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
        cairo_stroke_preserve(cr);
    }
    cairo_new_path(cr);
}

void DrawShapes(cairo_t* cr, const pugi::xml_node& parent, FrameContext& context);

void DrawShape(cairo_t* cr, const pugi::xml_node& node, FrameContext& context)
{
    const std::string kind = node.name();
    if (!InFrame(node, context))
        return;
    const FrameContext* c = &context;
    cairo_save(cr);
    ApplyMotion(cr, node, context, kind == "group" || kind == "use");
    if (kind == "group") {
        DrawShapes(cr, node, context);
    } else if (kind == "use") {
        const char* drawing = Attribute(node, "drawing", c);
        const std::string name = drawing ? drawing : "";
        const auto found = context.drawings ? context.drawings->find(name) : Drawings::const_iterator();
        if (!context.drawings || found == context.drawings->end())
            Fail(node, "no <drawing name=\"" + name + "\"> in this recipe");
        if (context.uses.size() >= kMaxUseDepth)
            Fail(node, "drawings use each other more than " + std::to_string(kMaxUseDepth) + " deep (a cycle?)");
        context.uses.push_back(node);
        DrawShapes(cr, found->second, context);
        context.uses.pop_back();
    } else if (kind == "rect") {
        const double x = RequiredNumber(node, "x", c), y = RequiredNumber(node, "y", c);
        const double w = RequiredNumber(node, "w", c), h = RequiredNumber(node, "h", c);
        const double radius = std::min({Number(node, "radius", 0, c), w / 2, h / 2});
        if (w < 0 || h < 0 || radius < 0)
            Fail(node, "a rectangle needs a size and radius of 0 or more");
        if (radius > 0) {
            cairo_new_sub_path(cr);
            cairo_arc(cr, x + w - radius, y + radius, radius, -kPi / 2, 0);
            cairo_arc(cr, x + w - radius, y + h - radius, radius, 0, kPi / 2);
            cairo_arc(cr, x + radius, y + h - radius, radius, kPi / 2, kPi);
            cairo_arc(cr, x + radius, y + radius, radius, kPi, 3 * kPi / 2);
            cairo_close_path(cr);
        } else {
            cairo_rectangle(cr, x, y, w, h);
        }
        Paint(cr, node, context);
    } else if (kind == "ellipse") {
        const double rx = RequiredNumber(node, "rx", c), ry = RequiredNumber(node, "ry", c);
        if (rx <= 0 || ry <= 0)
            Fail(node, "an ellipse needs radii above 0");
        cairo_save(cr);
        cairo_translate(cr, RequiredNumber(node, "cx", c), RequiredNumber(node, "cy", c));
        cairo_scale(cr, rx, ry);
        cairo_arc(cr, 0, 0, 1, 0, 2 * kPi);
        cairo_restore(cr); // the stroke keeps its width however the ellipse is stretched
        Paint(cr, node, context);
    } else if (kind == "polygon") {
        const std::vector<double> points = Numbers(node, "points", c);
        if (points.size() < 6 || points.size() % 2 != 0)
            Fail(node, "a polygon needs points=\"x,y x,y x,y ...\" (three points or more)");
        cairo_move_to(cr, points[0], points[1]);
        for (size_t i = 2; i < points.size(); i += 2)
            cairo_line_to(cr, points[i], points[i + 1]);
        cairo_close_path(cr);
        Paint(cr, node, context);
    } else if (kind == "text") {
        const char* raw = Attribute(node, "text", c);
        std::string text = raw ? raw : "";
        text = Replace(text, "{frame}", std::to_string(context.frame + 1));
        text = Replace(text, "{variant}", std::to_string(context.variant));
        const double size = Number(node, "size", 12, c);
        if (size <= 0)
            Fail(node, "a text needs a size above 0");
        const char* font = node.attribute("font") ? node.attribute("font").value() : "DejaVu Sans";
        cairo_select_font_face(cr, font, CAIRO_FONT_SLANT_NORMAL,
                               node.attribute("bold").as_bool() ? CAIRO_FONT_WEIGHT_BOLD : CAIRO_FONT_WEIGHT_NORMAL);
        cairo_set_font_size(cr, size);
        cairo_text_extents_t extents;
        cairo_text_extents(cr, text.c_str(), &extents);
        const std::string align = node.attribute("align").value();
        double x = RequiredNumber(node, "x", c);
        if (align == "center")
            x -= extents.x_advance / 2;
        else if (align == "right")
            x -= extents.x_advance;
        else if (!align.empty() && align != "left")
            Fail(node, "align must be left, center or right");
        cairo_move_to(cr, x, RequiredNumber(node, "y", c));
        cairo_text_path(cr, text.c_str());
        Paint(cr, node, context);
    } else {
        Fail(node, "unknown shape <" + kind + ">");
    }
    cairo_restore(cr);
}

void DrawShapes(cairo_t* cr, const pugi::xml_node& parent, FrameContext& context)
{
    for (const pugi::xml_node& node : XmlConvert::ElementChildren(parent))
        DrawShape(cr, node, context);
}

/// A cairo image surface of the given size, transparent.
struct Canvas {
    Canvas(int width, int height)
        : surface(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height)), cr(cairo_create(surface))
    {
    }
    ~Canvas()
    {
        cairo_destroy(cr);
        cairo_surface_destroy(surface);
    }
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;

    cairo_surface_t* surface;
    cairo_t* cr;
};

class Generator {
public:
    Generator(const fs::path& outFolder, std::vector<std::string>& written) : mOut(outFolder), mWritten(written) {}

    void Run(const pugi::xml_node& root)
    {
        if (std::strcmp(root.name(), "art") != 0)
            Fail(root, "a recipe's root element must be <art>");
        for (const pugi::xml_node& node : XmlConvert::ElementChildren(root)) {
            if (std::strcmp(node.name(), "drawing") != 0)
                continue;
            const std::string name = node.attribute("name").value();
            if (name.empty())
                Fail(node, "a <drawing> needs name=\"...\"");
            if (!mDrawings.emplace(name, node).second)
                Fail(node, "drawing \"" + name + "\" is defined twice");
        }
        for (const pugi::xml_node& node : XmlConvert::ElementChildren(root)) {
            const std::string kind = node.name();
            if (kind == "drawing")
                continue;
            if (kind == "image")
                Image(node);
            else if (kind == "animation")
                Animation(node);
            else
                Fail(node, "expected <drawing>, <image> or <animation>, not <" + kind + ">");
        }
    }

private:
    static std::string OutputName(const pugi::xml_node& node, const char* extension)
    {
        std::string name = node.attribute("file").value();
        std::replace(name.begin(), name.end(), '\\', '/');
        const fs::path path(name);
        if (name.empty() || path.is_absolute() || name.find("..") != std::string::npos || path.extension() != extension)
            Fail(node, std::string("file=\"...\" must be a relative path ending in ") + extension);
        return name;
    }

    void Image(const pugi::xml_node& node)
    {
        const std::string file = OutputName(node, ".png");
        const int width = Whole(node, "width", 0, 1, kMaxSide);
        const int height = Whole(node, "height", 0, 1, kMaxSide);
        Canvas canvas(width, height);
        FrameContext context{0, 1, double(width), double(height), &mDrawings, {}};
        DrawShapes(canvas.cr, node, context);
        WritePng(node, canvas, file, node.attribute("alpha-image").as_bool());
    }

    void Animation(const pugi::xml_node& node)
    {
        const std::string file = OutputName(node, ".anm");
        std::vector<AnmTool::AnmSequence> sequences;
        for (const pugi::xml_node& sheet : XmlConvert::ElementChildren(node)) {
            if (std::strcmp(sheet.name(), "sheet") != 0)
                Fail(sheet, "an <animation> holds <sheet> elements");
            Sheet(sheet, sequences);
        }
        if (sequences.empty())
            Fail(node, "an <animation> needs at least one sequence");
        std::vector<uint8_t> bytes;
        std::string error;
        if (!AnmTool::BuildAnm(sequences, bytes, error))
            Fail(node, error);
        Write(node, file, bytes);
    }

    void Sheet(const pugi::xml_node& node, std::vector<AnmTool::AnmSequence>& sequences)
    {
        const std::string file = OutputName(node, ".png");
        const int frameWidth = Whole(node, "frame-width", 0, 1, kMaxSide);
        const int frameHeight = Whole(node, "frame-height", 0, 1, kMaxSide);
        struct Row {
            pugi::xml_node sequence;
            int variant;
            int frames;
        };
        std::vector<Row> rows;
        int columns = 1;
        for (const pugi::xml_node& sequence : XmlConvert::ElementChildren(node)) {
            if (std::strcmp(sequence.name(), "sequence") != 0)
                Fail(sequence, "a <sheet> holds <sequence> elements");
            const int frames = Whole(sequence, "frames", 1, 1, kMaxSide);
            const int variants = Whole(sequence, "variants", 0, 0, 99);
            for (int variant = variants == 0 ? 0 : 1; variant <= variants; ++variant)
                rows.push_back({sequence, variant, frames});
            columns = std::max(columns, frames);
        }
        if (rows.empty())
            Fail(node, "a <sheet> needs at least one sequence");
        if (int64_t(columns) * frameWidth > kMaxSide || int64_t(rows.size()) * frameHeight > kMaxSide)
            Fail(node, "the sheet would be larger than " + std::to_string(kMaxSide) + " pixels each way");

        Canvas canvas(columns * frameWidth, int(rows.size()) * frameHeight);
        std::string sheetName = file;
        std::replace(sheetName.begin(), sheetName.end(), '/', '\\'); // as the game names its files
        for (size_t row = 0; row < rows.size(); ++row) {
            const Row& r = rows[row];
            AnmTool::AnmSequence sequence;
            sequence.sheet = sheetName;
            sequence.name = SequenceName(r.sequence);
            if (r.variant > 0) {
                char number[16];
                std::snprintf(number, sizeof number, "%02d", r.variant);
                sequence.name += number;
            }
            sequence.frameWidth = frameWidth;
            sequence.fps = Whole(r.sequence, "fps", 10, 0, 1000);
            const std::string mode = r.sequence.attribute("mode").value();
            sequence.mode = mode == "once"       ? AnmTool::kAnmOnceForward
                            : mode == "backward" ? AnmTool::kAnmOnceBackward
                            : (mode.empty() || mode == "loop")
                                ? AnmTool::kAnmLoop
                                : (Fail(r.sequence, "mode must be loop, once or backward"), 0);
            const int offsetX = Whole(r.sequence, "offset-x", 0, -kMaxSide, kMaxSide);
            const int offsetY = Whole(r.sequence, "offset-y", 0, -kMaxSide, kMaxSide);
            for (int frame = 0; frame < r.frames; ++frame) {
                const int x = frame * frameWidth;
                const int y = int(row) * frameHeight;
                cairo_save(canvas.cr);
                cairo_rectangle(canvas.cr, x, y, frameWidth, frameHeight);
                cairo_clip(canvas.cr);
                cairo_translate(canvas.cr, x, y);
                FrameContext context{frame, std::max(r.variant, 1), double(frameWidth), double(frameHeight), &mDrawings,
                                     {}};
                ApplyMotion(canvas.cr, r.sequence, context, false);
                DrawShapes(canvas.cr, r.sequence, context);
                cairo_restore(canvas.cr);
                sequence.frames.push_back({x, y, frameWidth, frameHeight, offsetX, offsetY});
            }
            for (const AnmTool::AnmSequence& other : sequences) {
                if (other.name == sequence.name)
                    Fail(r.sequence, "sequence \"" + sequence.name + "\" is made twice");
            }
            sequences.push_back(std::move(sequence));
        }
        WritePng(node, canvas, file, node.attribute("alpha-image").as_bool());
    }

    static std::string SequenceName(const pugi::xml_node& node)
    {
        if (node.attribute("name"))
            return node.attribute("name").value();
        const std::string orientation = node.attribute("orientation").value();
        static const char* const kFlipped[] = {"mbr", "mtr", "mtl", "mbl", "mr"};
        for (const char* flipped : kFlipped) {
            if (orientation == flipped)
                Fail(node, "orientation \"" + orientation + "\" is drawn by flipping \"" + orientation.substr(1) +
                               "\"; it is not generated");
        }
        if (!node.attribute("part") || !node.attribute("animation"))
            Fail(node, "a sequence needs name=\"...\", or part=\"...\" and animation=\"...\" (with skin and "
                       "orientation when it has them)");
        return std::string(node.attribute("part").value()) + node.attribute("skin").value() + orientation +
               node.attribute("animation").value();
    }

    /// Cairo keeps premultiplied pixels; the game's pictures are straight.
    void WritePng(const pugi::xml_node& node, Canvas& canvas, const std::string& file, bool alphaImage)
    {
        cairo_surface_flush(canvas.surface);
        const int width = cairo_image_surface_get_width(canvas.surface);
        const int height = cairo_image_surface_get_height(canvas.surface);
        const int stride = cairo_image_surface_get_stride(canvas.surface);
        const unsigned char* data = cairo_image_surface_get_data(canvas.surface);
        ImageLib::Image picture(width, height);
        ImageLib::Image alpha(alphaImage ? width : 1, alphaImage ? height : 1);
        for (int y = 0; y < height; ++y) {
            const auto* row = reinterpret_cast<const uint32_t*>(data + size_t(y) * size_t(stride));
            for (int x = 0; x < width; ++x) {
                const uint32_t pixel = row[x];
                const uint32_t a = pixel >> 24;
                const auto straight = [a](uint32_t channel) {
                    return a == 0 ? 0u : std::min(255u, (channel * 255 + a / 2) / a);
                };
                const uint32_t r = straight((pixel >> 16) & 0xFF);
                const uint32_t g = straight((pixel >> 8) & 0xFF);
                const uint32_t b = straight(pixel & 0xFF);
                const size_t at = size_t(y) * size_t(width) + size_t(x);
                if (alphaImage) {
                    picture.GetBits()[at] = 0xFF000000u | r << 16 | g << 8 | b;
                    alpha.GetBits()[at] = 0xFF000000u | a << 16 | a << 8 | a;
                } else {
                    picture.GetBits()[at] = a << 24 | r << 16 | g << 8 | b;
                }
            }
        }
        WriteImage(node, file, picture);
        if (alphaImage) {
            const fs::path path(file);
            const std::string alphaName = (path.parent_path() / ("_" + path.filename().string())).generic_string();
            WriteImage(node, alphaName, alpha);
        }
    }

    void WriteImage(const pugi::xml_node& node, const std::string& file, const ImageLib::Image& image)
    {
        Claim(node, file);
        const fs::path path = mOut / file;
        std::error_code ignored;
        fs::create_directories(path.parent_path(), ignored);
        if (!ImageLib::WritePNGImage(path.string(), image))
            Fail(node, "cannot write " + path.string());
    }

    void Write(const pugi::xml_node& node, const std::string& file, const std::vector<uint8_t>& bytes)
    {
        Claim(node, file);
        const fs::path path = mOut / file;
        if (!Platform::WriteFileAtomic(path.string(), bytes))
            Fail(node, "cannot write " + path.string());
    }

    /// One recipe writes each file once.
    void Claim(const pugi::xml_node& node, const std::string& file)
    {
        std::string key = file;
        std::transform(key.begin(), key.end(), key.begin(), [](unsigned char c) { return char(std::tolower(c)); });
        if (std::find(mClaimed.begin(), mClaimed.end(), key) != mClaimed.end())
            Fail(node, file + " is written twice");
        mClaimed.push_back(key);
        mWritten.push_back(file);
    }

    fs::path mOut;
    std::vector<std::string>& mWritten;
    Drawings mDrawings;
    std::vector<std::string> mClaimed; // lower-cased: the game finds files without regard to case
};

} // namespace

bool GenerateArt(const fs::path& recipe, const fs::path& outFolder, std::vector<std::string>& written,
                 std::string& error)
{
    XmlConvert::Recipe source;
    if (!XmlConvert::LoadRecipe(recipe, source, error))
        return false;
    std::vector<std::string> files;
    try {
        Generator(outFolder, files).Run(source.document.document_element());
    } catch (const RecipeError& fault) {
        error = recipe.string() + ":" + std::to_string(source.LineOf(fault.node)) + ": " + fault.message;
        return false;
    }
    written = std::move(files);
    return true;
}

} // namespace ArtTool
