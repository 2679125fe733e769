#pragma once

#include "graphics/DescParser.h"
#include "graphics/FontLayer.h"

#include <atomic>
#include <list>
#include <map>
#include <string>

namespace Pyxo {

class PyxoAppBase;

/// The folder-relative path of an image named in a descriptor: the leading "." and ".." components of the name
/// are worked into the folder, a drive of the folder is kept, a name with a drive stands alone, and every
/// separator becomes '\' when either input holds one, else '/'.
[[nodiscard]] std::string GetPathFrom(const std::string& relativePath, const std::string& folder);

/// The data of an image font read from one font descriptor file: its layers in creation order and its default
/// point size. Shared by every ImageFont made from it through a reference count; does not change once loaded.
/// Load on one thread; afterwards read from any.
class FontData : public DescParser {
public:
    FontData(); // separator ';'
    ~FontData() override;

    /// Refused (false) when already loaded. Otherwise reads the file and returns true; mInitialized tells whether
    /// every command succeeded. Layer images come from the application's image pool; errors show in its pop-up.
    bool Load(PyxoAppBase* app, const std::string& fontDescFileName);

    /// Keeps the first error as the parser does and shows the message in the application's pop-up.
    bool Error(const std::wstring& text) override;
    bool HandleCommand(const ListDataElement& params) override;

    /// The layer that a single element names (compared without regard to case). A list or an unknown name
    /// reports "Undefined Layer".
    bool GetLayer(const DataElement* element, FontLayer*& layer);

    void AddRef() { ++mRefCount; }
    /// Deletes this object when the last user lets go; it must have been made with new.
    void Release();

    static constexpr size_t kMaxLayers = 32; // far more than a real font uses (a fill, an outline, a shadow ...)

    bool mInitialized = false;
    std::atomic<int> mRefCount = 0;
    PyxoAppBase* mApp = nullptr; // borrowed; loads layer images and shows errors
    int mDefaultPointSize = 0;
    std::list<FontLayer> mFontLayerList;             // creation order; elements never move
    std::map<std::string, FontLayer*> mFontLayerMap; // upper-cased name -> element of mFontLayerList
    std::string mSourceFile;
    std::wstring mFontErrorHeader;

private:
    bool ParamToInt(const DataElement* element, int& value);
    /// The layer parameter; reports "Invalid Paramater Type" after GetLayer's own report.
    bool ParamToLayer(const DataElement* element, FontLayer*& layer);
    /// The new layer's name, upper-cased and narrow; false with the error reported when it cannot be one or the
    /// font has kMaxLayers already; taken (reported, the load goes on) when the name is in use.
    bool NewLayerName(const DataElement* element, std::string& name, bool& taken);

    bool CmdCreateHorzSpanRectList(const ListDataElement& params);
    bool CmdSetDefaultPointSize(const ListDataElement& params);
    bool CmdCreateLayer(const ListDataElement& params);
    bool CmdCreateLayerFrom(const ListDataElement& params);
    bool CmdLayerTags(const ListDataElement& params, bool required);
    bool CmdLayerPointRange(const ListDataElement& params);
    bool CmdLayerSetInt(const ListDataElement& params, int FontLayer::*field);
    bool CmdLayerSetImage(const ListDataElement& params);
    bool CmdLayerSetDrawMode(const ListDataElement& params);
    bool CmdLayerSetColor(const ListDataElement& params, Color FontLayer::*field);
    bool CmdLayerSetOffset(const ListDataElement& params);
    bool CmdLayerSetCharWidths(const ListDataElement& params);
    bool CmdLayerSetImageMap(const ListDataElement& params);
    bool CmdLayerSetCharOffsets(const ListDataElement& params);
    bool CmdLayerSetKerningPairs(const ListDataElement& params);
    bool CmdLayerSetCharOrders(const ListDataElement& params);
};

} // namespace Pyxo
