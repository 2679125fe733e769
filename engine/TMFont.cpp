#include "engine/TMFont.h"

#include "engine/EngineLog.h"
#include "engine/TMEngine.h"
#include "engine/XmlConfig.h"
#include "graphics/FontData.h"
#include "graphics/ImageFont.h"
#include "graphics/SysFont.h"

#include <memory>

namespace {

std::unique_ptr<Pyxo::Font> MakeSystemFont(TMEngine* engine, pugi::xml_node node)
{
    const std::string face = XmlReadString(node, "face");
    // A missing size stays 0, which the system font takes as 12 points.
    const int size = XmlReadInt(node, "size");
    bool bold = false;
    bool italic = false;
    bool underline = false;
    XmlGetAttrBool(node, "bold", bold);
    XmlGetAttrBool(node, "italic", italic);
    XmlGetAttrBool(node, "underline", underline);
    return std::make_unique<Pyxo::SysFont>(engine, face, size, 0, bold, italic, underline);
}

std::unique_ptr<Pyxo::Font> MakeImageFont(TMEngine* engine, pugi::xml_node node, const std::string& name)
{
    const std::string face = XmlReadString(node, "face");
    auto font = std::make_unique<Pyxo::ImageFont>(engine, face);
    if (!font->mFontData->mInitialized) {
        EngineContentWarning("font \"%s\": descriptor %s did not load; left out", name.c_str(), face.c_str());
        return nullptr;
    }
    float scale = 1.0f;
    XmlGetAttrFloat(node, "scale", scale);
    font->SetScale(scale);
    font->Prepare();
    return font;
}

} // namespace

TMFont::~TMFont()
{
    for (auto& [name, font] : mFonts)
        delete font;
}

void TMFont::Load(pugi::xml_node root)
{
    for (pugi::xml_node node : root.children("font")) {
        std::string name;
        std::string type;
        if (!XmlGetAttrString(node, "name", name) || !XmlGetAttrString(node, "type", type)) {
            EngineContentWarning("font without a name or a type; left out");
            continue;
        }
        std::unique_ptr<Pyxo::Font> font;
        if (type == "System")
            font = MakeSystemFont(mEngine, node);
        else if (type == "Image")
            font = MakeImageFont(mEngine, node, name);
        if (!font)
            continue;

        const std::lock_guard guard(mLock);
        Pyxo::Font*& slot = mFonts[name];
        if (slot && mLookedUp) {
            // A caller may hold the first font: it stays, and the later definition is dropped.
            EngineContentWarning("font \"%s\" defined again after fonts were looked up; the first stays", name.c_str());
            continue;
        }
        delete slot;
        slot = font.release();
    }
}

Pyxo::Font* TMFont::Find(const std::string& name)
{
    const std::lock_guard guard(mLock);
    mLookedUp = true;
    const auto found = mFonts.find(name);
    return found != mFonts.end() ? found->second : nullptr;
}
