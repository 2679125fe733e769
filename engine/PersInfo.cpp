#include "engine/PersInfo.h"

#include "engine/XmlConfig.h"

std::map<std::string, PersInfo> gPersByName;

void PersInfo::Load(pugi::xml_node node)
{
    name = XmlReadString(node, "name");
    XmlGetAttrFloat(node, "move_speed", moveSpeed);
    for (pugi::xml_node child : node.children("orientations")) {
        OrientationEntry entry;
        entry.orientation = XmlReadString(child, "orientation");
        entry.actualOrientation = XmlReadString(child, "actual_orientation");
        entry.ofsX = XmlReadInt(child, "ofs_x");
        entry.ofsY = XmlReadInt(child, "ofs_y");
        if (!entry.orientation.empty())
            orientations.emplace(entry.orientation, entry);
    }
}
