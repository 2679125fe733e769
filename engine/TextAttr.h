#pragma once

#include "graphics/Color.h"

#include <pugixml.hpp>

#include <string>

namespace Pyxo {
class Font;
}

/// One text layer of a button or a text control, from a "textattr" element: its font from the engine's font table
/// and its colours, each written as hexadecimal 0xAARRGGBB (an alpha of 00 is transparent).
struct TextAttr {
    Pyxo::Font* font = nullptr; // borrowed from the engine's font table; null when the name is unknown
    Pyxo::Color color{0, 0, 0, 255};
    Pyxo::Color hoverColor{0, 0, 0, 255};    // "hcolor"; color when missing
    Pyxo::Color disabledColor{0, 0, 0, 255}; // "dcolor"; color when missing

    /// Reads "color", "hcolor", "dcolor" and "font" of the element.
    [[nodiscard]] static TextAttr Read(pugi::xml_node node);
};

/// The text as a hexadecimal number (an optional 0x prefix; reading stops at the first other character; 0 when
/// none is read), kept to 32 bits.
[[nodiscard]] Pyxo::Color ParseHexColor(const std::string& text);
