#include "engine/TMLocTable.h"

#include "engine/EngineLog.h"
#include "engine/XmlConfig.h"

namespace {

const std::wstring kEmptyText;

} // namespace

bool TMLocTable::Load()
{
    std::string why;
    const auto document = XmlOpenDocument(kFileName, &why);
    if (!document) {
        EngineContentWarning("%s: %s; no localised texts", kFileName, why.c_str());
        return false;
    }
    const pugi::xml_node root = XmlSelectNode(*document, "root");
    XmlForEach(root, "loc", [this](pugi::xml_node entry) {
        std::string id;
        std::wstring text;
        if (!XmlGetAttrString(entry, "id", id, kIdSize))
            return true;
        if (!XmlGetAttrWString(entry, "text", text, kTextCapacity)) {
            // A text the table cannot hold is left out rather than cut.
            if (XmlGetAttrNode(entry, "text"))
                EngineContentWarning("%s: the text of \"%s\" is too long (%zu units or more); skipped", kFileName,
                                     id.c_str(), kTextCapacity);
            return true;
        }
        if (!text.empty())
            mTexts.emplace(id, std::move(text));
        return true;
    });
    return true;
}

const std::wstring& TMLocTable::GetText(const std::string& id) const
{
    const auto found = mTexts.find(id);
    return found != mTexts.end() ? found->second : kEmptyText;
}
