#include "engine/TextureTable.h"

#include "engine/EngineLog.h"
#include "engine/XmlConfig.h"
#include "graphics/Image.h"
#include "graphics/PakFile.h"

namespace {

// The "id" and "file" attributes are read into buffers of this size.
constexpr size_t kPathSize = 260;

} // namespace

TextureTable::TextureTable(TMEngine* engine) : mEngine(engine) {}

TextureTable::~TextureTable()
{
    for (auto& [id, record] : mRecords) {
        delete record.image;
        record.image = nullptr;
    }
}

void TextureTable::Load(pugi::xml_node root)
{
    for (pugi::xml_node node : root.children("texture")) {
        std::string id;
        std::string file;
        XmlGetAttrString(node, "id", id, kPathSize);
        XmlGetAttrString(node, "file", file, kPathSize);
        // Only files that can be read enter the table, so a missing one stays an unknown id.
        PakFileHandle* handle = PakFOpen(file.c_str(), "r");
        if (!handle) {
            EngineContentWarning("texture \"%s\": %s cannot be read; the id stays unknown", id.c_str(), file.c_str());
            continue;
        }
        PakFClose(handle);
        const auto [it, inserted] = mRecords.try_emplace(id);
        if (inserted) {
            it->second.path = file;
            it->second.engine = mEngine;
        }
    }
}

TextureHandle TextureTable::Find(const std::string& id)
{
    const auto found = mRecords.find(id);
    return found != mRecords.end() ? TextureHandle(&found->second) : TextureHandle();
}
