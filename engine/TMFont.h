#pragma once

#include <pugixml.hpp>

#include <map>
#include <string>

namespace Pyxo {
class Font;
}
class TMEngine;

/// The engine's named fonts from the "font" elements of cfg\ui.xml: system fonts and image fonts. Owned by the
/// engine, which reaches it through TMEngine::GetFont. Loaded on the resource-loading thread.
class TMFont {
public:
    explicit TMFont(TMEngine* engine) : mEngine(engine) {}
    virtual ~TMFont(); // deletes every font
    TMFont(const TMFont&) = delete;
    TMFont& operator=(const TMFont&) = delete;

    /// Reads every "font" child of root; a second font of a name replaces the first.
    void Load(pugi::xml_node root);
    /// The font of that name, or null.
    [[nodiscard]] Pyxo::Font* Find(const std::string& name);

private:
    std::map<std::string, Pyxo::Font*> mFonts; // owned
    [[maybe_unused]] TMEngine* mEngine;        // borrowed
};
