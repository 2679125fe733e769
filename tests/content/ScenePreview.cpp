#include "tests/content/ScenePreview.h"

#include "graphics/ImageLib.h"
#include "tools/anm/AnmFile.h"

#include <pugixml.hpp>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <iterator>
#include <map>
#include <memory>
#include <vector>

namespace ScenePreview {

namespace {

namespace fs = std::filesystem;

constexpr int kWidth = 800;
constexpr int kHeight = 600;

/// Straight-alpha "over" of one pixel.
uint32_t Over(uint32_t below, uint32_t above)
{
    const uint32_t a = above >> 24;
    if (a == 0)
        return below;
    if (a == 255)
        return above;
    const auto mix = [a](uint32_t lo, uint32_t hi) { return (hi * a + lo * (255 - a) + 127) / 255; };
    const uint32_t r = mix((below >> 16) & 0xFF, (above >> 16) & 0xFF);
    const uint32_t g = mix((below >> 8) & 0xFF, (above >> 8) & 0xFF);
    const uint32_t b = mix(below & 0xFF, above & 0xFF);
    return 0xFF000000u | r << 16 | g << 8 | b;
}

class Canvas {
public:
    Canvas() : mImage(kWidth, kHeight) { std::fill_n(mImage.GetBits(), kWidth * kHeight, 0xFF202020u); }

    void Blit(const ImageLib::Image& sheet, const AnmTool::AnmFrame& frame, int x, int y)
    {
        for (int row = 0; row < frame.height; ++row) {
            const int sy = frame.y + row, dy = y + row;
            if (sy < 0 || sy >= sheet.GetHeight() || dy < 0 || dy >= kHeight)
                continue;
            for (int column = 0; column < frame.width; ++column) {
                const int sx = frame.x + column, dx = x + column;
                if (sx < 0 || sx >= sheet.GetWidth() || dx < 0 || dx >= kWidth)
                    continue;
                uint32_t& pixel = mImage.GetBits()[size_t(dy) * kWidth + size_t(dx)];
                pixel = Over(pixel, sheet.GetBits()[size_t(sy) * size_t(sheet.GetWidth()) + size_t(sx)]);
            }
        }
    }

    /// A plain item: a half-transparent box with a darker frame.
    void Box(int x, int y, int width, int height, uint32_t colour)
    {
        for (int dy = y; dy < y + height; ++dy) {
            for (int dx = x; dx < x + width; ++dx) {
                if (dx < 0 || dy < 0 || dx >= kWidth || dy >= kHeight)
                    continue;
                const bool edge = dx == x || dy == y || dx == x + width - 1 || dy == y + height - 1;
                uint32_t& pixel = mImage.GetBits()[size_t(dy) * kWidth + size_t(dx)];
                pixel = Over(pixel, edge ? (colour | 0xFF000000u) : ((colour & 0xFFFFFFu) | 0xA0000000u));
            }
        }
    }

    ImageLib::Image& Image() { return mImage; }

private:
    ImageLib::Image mImage;
};

struct Art {
    std::vector<AnmTool::AnmSequence> sequences;
};

/// The colour a plain item of a game class is drawn in.
uint32_t ClassColour(const std::string& kind)
{
    static const std::map<std::string, uint32_t> colours = {
        {"boss", 0xC03080},
        {"worker", 0x3070C0},
        {"client", 0x40A040},
        {"client_sit", 0x40A0A0},
        {"status_bubble", 0xE0E0E0},
        {"status_hp_worker", 0xE0A030},
        {"status_hp_client", 0xE0A030},
        {"item_bonus", 0xF0D040},
    };
    const auto found = colours.find(kind);
    return found != colours.end() ? found->second : 0x808080;
}

struct Drawn {
    double depth;
    int order;       // document order, for equal depths
    int objectIndex; // the object's place in the document
    pugi::xml_node object;
    pugi::xml_node part;
};

/// An indicator stands where its actor stands: "status_bubble_" / "status_hp_" + the actor's name.
pugi::xml_node PlacedOn(const pugi::xml_node& objects, const pugi::xml_node& object)
{
    const std::string name = object.attribute("name").value();
    for (const char* prefix : {"status_bubble_", "status_hp_"}) {
        if (name.rfind(prefix, 0) == 0) {
            if (const pugi::xml_node actor =
                    objects.find_child_by_attribute("object", "name", name.substr(std::strlen(prefix)).c_str()))
                return actor;
        }
    }
    return object;
}

} // namespace

bool DrawScene(const fs::path& dataFolder, const std::string& sceneFile, const fs::path& output, std::string& error)
{
    pugi::xml_document scene;
    const pugi::xml_parse_result parsed = scene.load_file((dataFolder / sceneFile).c_str());
    if (!parsed) {
        error = sceneFile + ": " + parsed.description();
        return false;
    }
    const pugi::xml_node objects = scene.child("root").child("objects");
    if (!objects) {
        error = sceneFile + ": no root/objects";
        return false;
    }

    std::map<std::string, std::unique_ptr<Art>> arts; // by part name; null: no art
    std::map<std::string, std::unique_ptr<ImageLib::Image>> sheets;
    const auto artOf = [&](const std::string& part) -> const Art* {
        auto& slot = arts[part];
        if (!slot) {
            std::ifstream file(dataFolder / "anm" / (part + ".anm"), std::ios::binary);
            if (!file)
                return nullptr;
            const std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
            auto art = std::make_unique<Art>();
            std::string ignored;
            if (!AnmTool::ReadAnm(bytes, art->sequences, ignored))
                return nullptr;
            slot = std::move(art);
        }
        return slot.get();
    };
    const auto sheetOf = [&](std::string name) -> const ImageLib::Image* {
        std::replace(name.begin(), name.end(), '\\', '/');
        auto& slot = sheets[name];
        if (!slot)
            slot = ImageLib::GetImage((dataFolder / name).string());
        return slot.get();
    };

    // Static parts by their base line; parts over everything after them, in document order.
    std::vector<Drawn> drawn;
    std::map<std::string, double> depthOf; // "object:part" of the first part of that name
    int order = 0;
    int objectIndex = 0;
    for (const pugi::xml_node& object : objects.children("object")) {
        ++objectIndex;
        for (const pugi::xml_node& part : object.children("part")) {
            double depth = 0;
            if (part.attribute("zover").as_bool() || std::string(object.attribute("class").value()) == "boss")
                depth = kHeight + (part.attribute("zover").as_bool() ? 100 : 0);
            else
                for (int i = 0; i < 3; ++i)
                    depth = std::max(depth, part.attribute(("order" + std::to_string(i) + "_y").c_str()).as_double());
            const std::string key =
                std::string(object.attribute("name").value()) + ":" + part.attribute("name").value();
            depthOf.emplace(key, depth);
            drawn.push_back({depth, order++, objectIndex, object, part});
        }
    }
    for (Drawn& d : drawn) {
        const std::string parent = d.part.attribute("parent_z").value();
        if (const auto found = depthOf.find(parent); !parent.empty() && found != depthOf.end())
            d.depth = found->second + 0.5;
    }
    std::stable_sort(drawn.begin(), drawn.end(), [](const Drawn& a, const Drawn& b) {
        return a.depth != b.depth ? a.depth < b.depth : a.order < b.order;
    });

    Canvas canvas;
    for (const Drawn& d : drawn) {
        const std::string partName = d.part.attribute("name").value();
        const std::string orientation = partName == "checkmark" ? "" : d.object.attribute("orient").value();
        const pugi::xml_node placed = PlacedOn(objects, d.object);
        const int x = placed.attribute("pos_x").as_int() + d.part.attribute("offs_x").as_int();
        const int y = placed.attribute("pos_y").as_int() + d.part.attribute("offs_y").as_int();
        // Marks and money anchors show only when the game uses them.
        static const char* const kHiddenAtStart[] = {
            "checkmark",       "cash", "bonus", "client_money", "cleaning", "held_items", "worker_upgrade_1",
            "worker_upgrade_2"};
        if (std::find(std::begin(kHiddenAtStart), std::end(kHiddenAtStart), partName) != std::end(kHiddenAtStart))
            continue;
        const Art* art = artOf(partName);
        // The plain "idle"; else, for an actor whose skin the level gives, one of its skins' calm poses, taken in
        // turn from object to object so that the kinds show side by side; else the first pose in its orientation.
        const AnmTool::AnmSequence* sequence = nullptr;
        if (art) {
            std::vector<const AnmTool::AnmSequence*> skinned;
            for (const AnmTool::AnmSequence& candidate : art->sequences) {
                if (candidate.name == partName + orientation + "idle")
                    sequence = &candidate;
                else if (candidate.name.rfind(partName, 0) == 0 &&
                         candidate.name.find(orientation + "idle_green", partName.size()) != std::string::npos)
                    skinned.push_back(&candidate);
            }
            if (!sequence && !skinned.empty())
                sequence = skinned[size_t(d.objectIndex) % skinned.size()];
            for (size_t i = 0; !sequence && i < art->sequences.size(); ++i) {
                if (art->sequences[i].name.rfind(partName + orientation, 0) == 0)
                    sequence = &art->sequences[i];
            }
        }
        const ImageLib::Image* sheet = sequence ? sheetOf(sequence->sheet) : nullptr;
        if (sheet && !sequence->frames.empty()) {
            const AnmTool::AnmFrame& frame = sequence->frames.front();
            canvas.Blit(*sheet, frame, x + frame.offsetX, y + frame.offsetY);
        } else if (!art) {
            // A game actor without its art yet: a plain box where it stands.
            const std::string kind = d.object.attribute("class").value();
            const bool person = kind == "boss" || kind == "worker" || kind == "client" || kind == "client_sit";
            const bool small = kind.rfind("status_", 0) == 0;
            const int width = person ? 40 : small ? 30 : 50, height = person ? 90 : small ? 14 : 40;
            canvas.Box(x - width / 2, y - height, width, height, ClassColour(kind));
        }
    }
    if (!ImageLib::WritePNGImage(output.string(), canvas.Image())) {
        error = "cannot write " + output.string();
        return false;
    }
    return true;
}

} // namespace ScenePreview
