#pragma once

#include "engine/TextureHandle.h"

#include <pugixml.hpp>

#include <cstdint>
#include <map>
#include <mutex>
#include <string>

class TMEngine;

/// One texture of the table: its image file, and the image while anything holds it. The level-loading thread
/// acquires while the main thread acquires and releases, so the count and the image change only under the lock:
/// an image is never loaded twice, nor deleted while another thread loads it.
struct TextureRecord {
    std::string path;             // as the "file" attribute gives it
    TMEngine* engine = nullptr;   // borrowed: loads the image
    Pyxo::Image* image = nullptr; // owned; null while not loaded or when the file did not decode
    uint32_t referenceCount = 0;  // acquired handles
    std::mutex lock;              // guards image and referenceCount
};

/// Every texture of cfg\ui.xml by id: an image is loaded on its first acquisition and deleted at its last release,
/// so image memory follows what is shown. Owned by the engine; filled on the resource-loading thread.
class TextureTable {
public:
    explicit TextureTable(TMEngine* engine);
    ~TextureTable(); // deletes the images still loaded
    TextureTable(const TextureTable&) = delete;
    TextureTable& operator=(const TextureTable&) = delete;

    /// Reads the "texture" children of root ("id", "file"); a file that cannot be opened is left out, and the
    /// first definition of an id stays.
    void Load(pugi::xml_node root);
    /// A handle (not acquired) to the id's record; an empty handle for an unknown id. Loads nothing.
    [[nodiscard]] TextureHandle Find(const std::string& id);
    [[nodiscard]] size_t Size() const { return mRecords.size(); }

private:
    TMEngine* mEngine; // borrowed
    std::map<std::string, TextureRecord> mRecords;
};
