#pragma once

#include <pugixml.hpp>

#include <map>
#include <mutex>
#include <string>

namespace Pyxo {
class Font;
}
class TMEngine;

/// The engine's named fonts from the "font" elements of cfg\ui.xml: system fonts and image fonts. Owned by the
/// engine, which reaches it through TMEngine::GetFont. Loaded on the resource-loading thread; looked up from any.
class TMFont {
public:
    explicit TMFont(TMEngine* engine) : mEngine(engine) {}
    virtual ~TMFont(); // deletes every font
    TMFont(const TMFont&) = delete;
    TMFont& operator=(const TMFont&) = delete;

    /// Reads every "font" child of root in order. "System": "face", "size" (0 when missing: 12 points), "bold",
    /// "italic", "underline" (false when missing). "Image": "face" is a font descriptor, "scale" (1 when missing)
    /// its scale. An element without "name" or "type", or an image font whose descriptor does not load, is left
    /// out and logged; an unknown type is left out. A second font of a name replaces the first and deletes it,
    /// as long as no font has been looked up yet; afterwards the first stays, so that no caller keeps a deleted
    /// font.
    void Load(pugi::xml_node root);
    /// The font of that name, or null.
    [[nodiscard]] Pyxo::Font* Find(const std::string& name);

private:
    std::mutex mLock;                          // guards mFonts: loading and lookups run on different threads
    std::map<std::string, Pyxo::Font*> mFonts; // owned
    bool mLookedUp = false;                    // a font has been handed out; guarded by mLock
    TMEngine* mEngine;                         // borrowed: the application the fonts draw for
};
