#pragma once

#include <pugixml.hpp>

#include <cstdint>
#include <map>
#include <string>

/// The description of a walking character, keyed by the item name of its mover: how fast it walks, and per-
/// orientation entries that the configuration may carry (kept, not used by the engine). Read from the
/// "perses/pers" elements of the configuration.
struct PersInfo {
    struct OrientationEntry {
        std::string orientation;
        std::string actualOrientation;
        int32_t ofsX = 0;
        int32_t ofsY = 0;
    };

    std::string name;
    float moveSpeed = 0.0f; // pixels per second
    std::map<std::string, OrientationEntry> orientations;

    /// Reads one "pers" element; a missing "move_speed" leaves 0. The first entry of an orientation stays.
    void Load(pugi::xml_node node);
};

/// The character descriptions by name; owned by value. Main thread (and the board's configuration load).
extern std::map<std::string, PersInfo> gPersByName;
