#include "engine/EffectLibrary.h"

#include "engine/EngineLog.h"
#include "engine/TMEffect.h"
#include "engine/XmlConfig.h"

#include <memory>

namespace {

constexpr const char* kLibraryFile = "cfg\\effect.xml";

struct Library {
    std::unique_ptr<pugi::xml_document> document;
    pugi::xml_node effects;
};

Library& TheLibrary()
{
    static Library library;
    return library;
}

} // namespace

bool LoadEffectLibrary()
{
    Library& library = TheLibrary();
    library.effects = pugi::xml_node();
    std::string why;
    library.document = XmlOpenDocument(kLibraryFile, &why);
    if (!library.document) {
        EngineContentWarning("%s: %s; no effects", kLibraryFile, why.c_str());
        return false;
    }
    library.effects = XmlSelectNode(*library.document, "effects");
    if (!library.effects) {
        EngineContentWarning("%s: no \"effects\" element; no effects", kLibraryFile);
        library.document.reset();
        return false;
    }
    return true;
}

void FreeEffectLibrary()
{
    Library& library = TheLibrary();
    library.effects = pugi::xml_node();
    library.document.reset();
}

TMEffect* CreateEffect(const char* name)
{
    const Library& library = TheLibrary();
    if (!library.effects || !name)
        return nullptr;
    const pugi::xml_node node = XmlSelectNode(library.effects, "effect[@name=$name]", {{"name", name}});
    if (!node)
        return nullptr;
    auto* effect = new TMEffect();
    effect->Load(node);
    return effect;
}
