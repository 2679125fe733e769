#include "engine/ResourceIds.h"

#include "graphics/MemoryImage.h"
#include "graphics/ResourceManager.h"

#include <array>

namespace {

constexpr std::array<const char*, kResourceIdCount> kIdNames = {
    "FONT_ARIAL10", "FONT_DEFAULT", "FONT_ARIAL8", "FONT_ARIAL6", "GFX_GAME_GROUND",
};
constexpr int kFirstImageId = 4; // ids below are fonts

// Borrowed from the resource manager, which keeps the group "Init" loaded for the program's life.
std::array<Pyxo::Font*, kFirstImageId> gFonts{};
Pyxo::Image* gGroundImage = nullptr;
bool gInitResourcesExtracted = false;

bool IsFontId(int id)
{
    return id >= 0 && id < kFirstImageId;
}

} // namespace

bool ExtractResourcesByName(Pyxo::ResourceManager& manager, const std::string& group)
{
    return group == "Init" && ExtractInitResources(manager);
}

bool ExtractInitResources(Pyxo::ResourceManager& manager)
{
    gInitResourcesExtracted = true;
    try {
        for (const int id : {kFontArial10, kFontArial6, kFontArial8, kFontDefault})
            gFonts[static_cast<size_t>(id)] = manager.GetFontThrow(kIdNames[static_cast<size_t>(id)]);
        const Pyxo::ImagePoolRef ground = manager.GetImageThrow(kIdNames[kGfxGameGround]);
        gGroundImage = static_cast<Pyxo::MemoryImage*>(ground);
    } catch (const Pyxo::ResourceManagerException&) {
        return false;
    }
    return true;
}

bool AreInitResourcesExtracted()
{
    return gInitResourcesExtracted;
}

std::string GetIdName(int id)
{
    return id >= 0 && id < kResourceIdCount ? kIdNames[static_cast<size_t>(id)] : "";
}

int GetIdByName(const std::string& name)
{
    for (int id = 0; id < kResourceIdCount; ++id) {
        if (name == kIdNames[static_cast<size_t>(id)])
            return id;
    }
    return kResourceIdCount;
}

Pyxo::Font* LoadFontById(Pyxo::ResourceManager& manager, int id)
{
    if (!IsFontId(id))
        return nullptr;
    return gFonts[static_cast<size_t>(id)] = manager.FindFont(GetIdName(id));
}

Pyxo::Image* LoadImageById(Pyxo::ResourceManager& manager, int id)
{
    if (id != kGfxGameGround)
        return nullptr;
    const Pyxo::ImagePoolRef image = manager.LoadImage(GetIdName(id));
    return gGroundImage = static_cast<Pyxo::MemoryImage*>(image);
}

Pyxo::Font* GetFontById(int id)
{
    return IsFontId(id) ? gFonts[static_cast<size_t>(id)] : nullptr;
}

Pyxo::Image* GetImageById(int id)
{
    return id == kGfxGameGround ? gGroundImage : nullptr;
}
