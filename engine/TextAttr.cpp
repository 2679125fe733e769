#include "engine/TextAttr.h"

#include "engine/EngineLog.h"
#include "engine/TMEngine.h"
#include "engine/XmlConfig.h"

#include <cstdint>

Pyxo::Color ParseHexColor(const std::string& text)
{
    size_t i = 0;
    if (text.size() >= 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X'))
        i = 2;
    uint32_t value = 0;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        uint32_t digit = 0;
        if (c >= '0' && c <= '9')
            digit = uint32_t(c - '0');
        else if (c >= 'a' && c <= 'f')
            digit = uint32_t(c - 'a' + 10);
        else if (c >= 'A' && c <= 'F')
            digit = uint32_t(c - 'A' + 10);
        else
            break;
        value = (value << 4) | digit;
    }
    return Pyxo::Color(value);
}

TextAttr TextAttr::Read(pugi::xml_node node)
{
    TextAttr attr;
    std::string text;
    if (XmlGetAttrString(node, "color", text))
        attr.color = ParseHexColor(text);
    attr.hoverColor = XmlGetAttrString(node, "hcolor", text) ? ParseHexColor(text) : attr.color;
    attr.disabledColor = XmlGetAttrString(node, "dcolor", text) ? ParseHexColor(text) : attr.color;
    std::string fontName;
    if (XmlGetAttrString(node, "font", fontName)) {
        attr.font = TMEngine::GetFont(fontName);
        if (!attr.font && TMEngine::GetEngine())
            EngineContentWarning("font \"%s\" is not in cfg\\ui.xml; the text layer is left out", fontName.c_str());
    }
    return attr;
}
