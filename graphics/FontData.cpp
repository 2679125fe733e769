#include "graphics/FontData.h"

#include "graphics/MemoryImage.h"
#include "shell/PathHelpers.h"
#include "shell/PyxoAppBase.h"
#include "shell/StringHelpers.h"

#include <algorithm>
#include <cstdint>
#include <functional>
#include <limits>
#include <unordered_map>

namespace Pyxo {
namespace {

bool IsSeparator(char c)
{
    return c == '\\' || c == '/';
}

const std::wstring& TextOf(const DataElement* element)
{
    return static_cast<const SingleDataElement*>(element)->mString;
}

/// The outcome of one entry of a per-character command.
enum class Entry { Applied, Invalid, Stop };

/// Applies the entries of a per-character command in order. Entries of the wrong shape are skipped and fail the
/// command once the others are applied; Stop ends it at once (the entry has reported its own error).
template <class Apply>
bool ApplyEntries(FontData& font, size_t characterCount, size_t valueCount, Apply apply)
{
    if (characterCount != valueCount)
        return font.Error(L"List Size Mismatch");
    bool invalid = false;
    for (size_t i = 0; i < characterCount; ++i) {
        const Entry entry = apply(i);
        if (entry == Entry::Stop)
            return false;
        if (entry == Entry::Invalid)
            invalid = true;
    }
    return !invalid || font.Error(L"Invalid Paramater Type");
}

/// A list of exactly count singles that convert to ints.
bool ElementToInts(const DataElement* element, size_t count, int* values)
{
    if (!element->mIsList)
        return false;
    const auto& list = *static_cast<const ListDataElement*>(element);
    if (list.size() != count)
        return false;
    for (size_t i = 0; i < count; ++i) {
        if (list[i]->mIsList || !WStringToInt(TextOf(list[i]), values[i]))
            return false;
    }
    return true;
}

} // namespace

std::string GetPathFrom(const std::string& relativePath, const std::string& folderPath)
{
    if (relativePath.size() >= 2 && relativePath[1] == ':')
        return relativePath;
    const char separator =
        relativePath.find('\\') != std::string::npos || folderPath.find('\\') != std::string::npos ? '\\' : '/';

    std::string drive;
    std::string folder = folderPath;
    if (folder.size() >= 2 && folder[1] == ':') {
        drive = folder.substr(0, 2);
        folder.erase(0, 2);
    }
    if (!folder.empty() && !IsSeparator(folder.back()))
        folder += separator;

    // Only the leading run of "." and ".." components is worked into the folder.
    std::string rest = relativePath;
    while (!folder.empty()) {
        const size_t cut = rest.find_first_of("\\/");
        if (cut == std::string::npos)
            break;
        const std::string component = rest.substr(0, cut);
        rest.erase(0, cut + 1);
        if (component == "..") {
            const size_t end = folder.size() - 1; // the folder's final separator
            const size_t before = end == 0 ? std::string::npos : folder.find_last_of("\\/", end - 1);
            const size_t start = before == std::string::npos ? 0 : before + 1;
            if (folder.compare(start, end - start, "..") == 0 && end - start == 2)
                folder += std::string("..") + separator;
            else
                folder.erase(before == std::string::npos ? 0 : before + 1);
        } else if (component == ".") {
        } else if (component.empty()) {
            folder.assign(1, separator);
            break;
        } else {
            folder += component + separator;
            break;
        }
    }

    std::string result = drive + folder + rest;
    for (char& c : result) {
        if (IsSeparator(c))
            c = separator;
    }
    return result;
}

FontData::FontData()
{
    mCmdSep = CMDSEP_SEMICOLON;
}

FontData::~FontData() = default;

void FontData::Release()
{
    if (--mRefCount <= 0)
        delete this;
}

bool FontData::Load(PyxoAppBase* app, const std::string& fontDescFileName)
{
    if (mInitialized)
        return false;
    mApp = app;
    mSourceFile = fontDescFileName;
    mFontErrorHeader = L"Font Descriptor Error in " + StringToWString(fontDescFileName) + L"\r\n";
    mInitialized = LoadDescriptor(fontDescFileName);
    return true;
}

bool FontData::Error(const std::wstring& text)
{
    DescParser::Error(text);
    if (mApp == nullptr)
        return false;
    std::wstring message = mFontErrorHeader + text;
    if (mCurrentLineNum > 0)
        message += L" on Line " + std::to_wstring(mCurrentLineNum) + L":\r\n\r\n" + mCurrentLine;
    mApp->PopupW(message);
    return false;
}

bool FontData::GetLayer(const DataElement* element, FontLayer*& layer)
{
    layer = nullptr;
    if (element != nullptr && !element->mIsList) {
        const auto it = mFontLayerMap.find(WStringToString(WStringToUpper(TextOf(element))));
        if (it != mFontLayerMap.end()) {
            layer = it->second;
            return true;
        }
    }
    return Error(L"Undefined Layer");
}

bool FontData::ParamToLayer(const DataElement* element, FontLayer*& layer)
{
    return GetLayer(element, layer) || Error(L"Invalid Paramater Type");
}

bool FontData::ParamToInt(const DataElement* element, int& value)
{
    // Ints are read as written: a definition name is no int.
    return (!element->mIsList && WStringToInt(TextOf(element), value)) || Error(L"Invalid Paramater Type");
}

bool FontData::HandleCommand(const ListDataElement& params)
{
    using Handler = std::function<bool(FontData&, const ListDataElement&)>;
    using Params = const ListDataElement&;
    static const std::unordered_map<std::wstring, Handler> kCommands = {
        {L"DEFINE", [](FontData& f, Params p) { return f.HandleDefine(p); }},
        {L"CREATEHORZSPANRECTLIST", [](FontData& f, Params p) { return f.CmdCreateHorzSpanRectList(p); }},
        {L"SETDEFAULTPOINTSIZE", [](FontData& f, Params p) { return f.CmdSetDefaultPointSize(p); }},
        {L"CREATELAYER", [](FontData& f, Params p) { return f.CmdCreateLayer(p); }},
        {L"CREATELAYERFROM", [](FontData& f, Params p) { return f.CmdCreateLayerFrom(p); }},
        {L"LAYERREQUIRETAGS", [](FontData& f, Params p) { return f.CmdLayerTags(p, true); }},
        {L"LAYEREXCLUDETAGS", [](FontData& f, Params p) { return f.CmdLayerTags(p, false); }},
        {L"LAYERPOINTRANGE", [](FontData& f, Params p) { return f.CmdLayerPointRange(p); }},
        {L"LAYERSETPOINTSIZE", [](FontData& f, Params p) { return f.CmdLayerSetInt(p, &FontLayer::mPointSize); }},
        {L"LAYERSETHEIGHT", [](FontData& f, Params p) { return f.CmdLayerSetInt(p, &FontLayer::mHeight); }},
        {L"LAYERSETIMAGE", [](FontData& f, Params p) { return f.CmdLayerSetImage(p); }},
        {L"LAYERSETDRAWMODE", [](FontData& f, Params p) { return f.CmdLayerSetDrawMode(p); }},
        {L"LAYERSETCOLORMULT", [](FontData& f, Params p) { return f.CmdLayerSetColor(p, &FontLayer::mColorMult); }},
        {L"LAYERSETCOLORADD", [](FontData& f, Params p) { return f.CmdLayerSetColor(p, &FontLayer::mColorAdd); }},
        {L"LAYERSETASCENT", [](FontData& f, Params p) { return f.CmdLayerSetInt(p, &FontLayer::mAscent); }},
        {L"LAYERSETASCENTPADDING",
         [](FontData& f, Params p) { return f.CmdLayerSetInt(p, &FontLayer::mAscentPadding); }},
        {L"LAYERSETLINESPACINGOFFSET",
         [](FontData& f, Params p) { return f.CmdLayerSetInt(p, &FontLayer::mLineSpacingOffset); }},
        {L"LAYERSETOFFSET", [](FontData& f, Params p) { return f.CmdLayerSetOffset(p); }},
        {L"LAYERSETCHARWIDTHS", [](FontData& f, Params p) { return f.CmdLayerSetCharWidths(p); }},
        {L"LAYERSETSPACING", [](FontData& f, Params p) { return f.CmdLayerSetInt(p, &FontLayer::mSpacing); }},
        {L"LAYERSETIMAGEMAP", [](FontData& f, Params p) { return f.CmdLayerSetImageMap(p); }},
        {L"LAYERSETCHAROFFSETS", [](FontData& f, Params p) { return f.CmdLayerSetCharOffsets(p); }},
        {L"LAYERSETKERNINGPAIRS", [](FontData& f, Params p) { return f.CmdLayerSetKerningPairs(p); }},
        {L"LAYERSETBASEORDER", [](FontData& f, Params p) { return f.CmdLayerSetInt(p, &FontLayer::mBaseOrder); }},
        {L"LAYERSETCHARORDERS", [](FontData& f, Params p) { return f.CmdLayerSetCharOrders(p); }},
        {L"LAYERSETCHAROFFSETSSHIFT", [](FontData&, Params) { return true; }},
    };
    if (params.size() == 0 || params[0]->mIsList)
        return Error(L"Missing Command");
    const auto it = kCommands.find(WStringToUpper(TextOf(params[0])));
    if (it == kCommands.end())
        return Error(L"Unknown Command");
    return it->second(*this, params);
}

bool FontData::CmdCreateHorzSpanRectList(const ListDataElement& params)
{
    if (params.size() != 4)
        return Error(L"Invalid Number of Parameters");
    std::vector<int> rect;
    std::vector<int> widths;
    if (params[1]->mIsList || !DataToIntVector(params[2], rect) || rect.size() != 4 ||
        !DataToIntVector(params[3], widths))
        return Error(L"Invalid Paramater Type");

    auto list = std::make_unique<ListDataElement>();
    long long x = rect[0]; // wide, so that a long run of widths cannot overflow
    for (const int width : widths) {
        auto entry = std::make_unique<ListDataElement>();
        for (const long long value : {x, (long long)rect[1], (long long)width, (long long)rect[3]})
            entry->mElementVector.push_back(std::make_unique<SingleDataElement>(std::to_wstring(value)));
        list->mElementVector.push_back(std::move(entry));
        x += width;
    }
    SetDefine(TextOf(params[1]), std::move(list));
    return true;
}

bool FontData::CmdSetDefaultPointSize(const ListDataElement& params)
{
    if (params.size() != 2)
        return Error(L"Invalid Number of Parameters");
    return ParamToInt(params[1], mDefaultPointSize);
}

bool FontData::NewLayerName(const DataElement* element, std::string& name, bool& taken)
{
    taken = false;
    if (element->mIsList)
        return Error(L"Invalid Paramater Type");
    name = WStringToString(WStringToUpper(TextOf(element)));
    if (name.empty())
        return Error(L"Invalid Paramater Type"); // not narrow text
    if (mFontLayerMap.count(name) != 0) {
        taken = true;
        Error(L"Layer Already Exists");
        return true;
    }
    // Each layer costs its characters and, once drawn, a scaled glyph image: a descriptor of a few lines that
    // copies one layer over and over would otherwise ask for gigabytes.
    if (mFontLayerList.size() >= kMaxLayers)
        return Error(L"Too Many Layers");
    return true;
}

bool FontData::CmdCreateLayer(const ListDataElement& params)
{
    if (params.size() != 2)
        return Error(L"Invalid Number of Parameters");
    std::string name;
    bool taken = false;
    if (!NewLayerName(params[1], name, taken))
        return false;
    // A name in use is reported, and the load goes on with the first layer of that name.
    if (taken)
        return true;
    FontLayer& layer = mFontLayerList.emplace_back(this);
    layer.mLayerName = name;
    mFontLayerMap[name] = &layer;
    return true;
}

bool FontData::CmdCreateLayerFrom(const ListDataElement& params)
{
    if (params.size() != 3)
        return Error(L"Invalid Number of Parameters");
    std::string name;
    bool taken = false;
    FontLayer* source = nullptr;
    if (!NewLayerName(params[1], name, taken))
        return false;
    if (taken)
        return true;
    if (!ParamToLayer(params[2], source))
        return false;
    FontLayer& layer = mFontLayerList.emplace_back(*source);
    layer.mLayerName = name;
    mFontLayerMap[name] = &layer;
    return true;
}

bool FontData::CmdLayerTags(const ListDataElement& params, bool required)
{
    if (params.size() != 3)
        return Error(L"Invalid Number of Parameters");
    FontLayer* layer = nullptr;
    std::vector<std::wstring> tags;
    if (!ParamToLayer(params[1], layer))
        return false;
    if (!DataToStringVector(params[2], tags))
        return Error(L"Invalid Paramater Type");
    std::vector<std::string>& target = required ? layer->mRequiredTags : layer->mExcludedTags;
    for (const std::wstring& tag : tags)
        target.push_back(WStringToString(WStringToUpper(tag)));
    return true;
}

bool FontData::CmdLayerPointRange(const ListDataElement& params)
{
    if (params.size() != 4)
        return Error(L"Invalid Number of Parameters");
    FontLayer* layer = nullptr;
    int minimum = 0;
    int maximum = 0;
    if (!ParamToLayer(params[1], layer) || !ParamToInt(params[2], minimum) || !ParamToInt(params[3], maximum))
        return false;
    layer->mMinPointSize = minimum;
    layer->mMaxPointSize = maximum;
    return true;
}

bool FontData::CmdLayerSetInt(const ListDataElement& params, int FontLayer::*field)
{
    if (params.size() != 3)
        return Error(L"Invalid Number of Parameters");
    FontLayer* layer = nullptr;
    int value = 0;
    if (!ParamToLayer(params[1], layer) || !ParamToInt(params[2], value))
        return false;
    layer->*field = value;
    return true;
}

bool FontData::CmdLayerSetImage(const ListDataElement& params)
{
    if (params.size() != 3)
        return Error(L"Invalid Number of Parameters");
    FontLayer* layer = nullptr;
    std::wstring fileName;
    if (!ParamToLayer(params[1], layer))
        return false;
    if (!DataToString(params[2], fileName))
        return Error(L"Invalid Paramater Type");

    const std::string narrowName = WStringToString(fileName);
    if (mApp == nullptr || narrowName.empty())
        return Error(L"Failed to Load Image");
    const std::string path = GetPathFrom(narrowName, GetFileDir(mSourceFile, false));
    bool isNew = false;
    ImagePoolRef image = mApp->GetPooledImage(path, "", &isNew);
    MemoryImage* memoryImage = image;
    if (memoryImage == nullptr)
        return Error(L"Failed to Load Image");
    if (isNew)
        memoryImage->Palletize();
    layer->mImage = image;
    return true;
}

bool FontData::CmdLayerSetDrawMode(const ListDataElement& params)
{
    if (params.size() != 3)
        return Error(L"Invalid Number of Parameters");
    FontLayer* layer = nullptr;
    int mode = 0;
    if (!ParamToLayer(params[1], layer) || !ParamToInt(params[2], mode))
        return false;
    if (mode != 0 && mode != 1)
        return Error(L"Invalid Paramater Type");
    layer->mDrawMode = mode;
    return true;
}

bool FontData::CmdLayerSetColor(const ListDataElement& params, Color FontLayer::*field)
{
    if (params.size() != 3)
        return Error(L"Invalid Number of Parameters");
    FontLayer* layer = nullptr;
    Color color;
    if (!ParamToLayer(params[1], layer))
        return false;
    if (!DataToColor(params[2], color))
        return Error(L"Invalid Paramater Type");
    layer->*field = color;
    return true;
}

bool FontData::CmdLayerSetOffset(const ListDataElement& params)
{
    if (params.size() != 3)
        return Error(L"Invalid Number of Parameters");
    FontLayer* layer = nullptr;
    std::vector<int> offset;
    if (!ParamToLayer(params[1], layer))
        return false;
    if (!DataToIntVector(params[2], offset) || offset.size() != 2)
        return Error(L"Invalid Paramater Type");
    layer->mOffset = Point(offset[0], offset[1]);
    return true;
}

bool FontData::CmdLayerSetCharWidths(const ListDataElement& params)
{
    if (params.size() != 4)
        return Error(L"Invalid Number of Parameters");
    FontLayer* layer = nullptr;
    std::vector<std::wstring> characters;
    std::vector<int> widths;
    if (!ParamToLayer(params[1], layer))
        return false;
    if (!DataToStringVector(params[2], characters) || !DataToIntVector(params[3], widths))
        return Error(L"Invalid Paramater Type");
    return ApplyEntries(*this, characters.size(), widths.size(), [&](size_t i) {
        if (characters[i].size() != 1)
            return Entry::Invalid;
        layer->GetCharData(characters[i][0]).mWidth = widths[i];
        return Entry::Applied;
    });
}

bool FontData::CmdLayerSetImageMap(const ListDataElement& params)
{
    if (params.size() != 4)
        return Error(L"Invalid Number of Parameters");
    FontLayer* layer = nullptr;
    std::vector<std::wstring> characters;
    ListDataElement rects;
    if (!ParamToLayer(params[1], layer))
        return false;
    const MemoryImage* image = layer->mImage;
    if (image == nullptr)
        return Error(L"Layer image not set");
    if (!DataToStringVector(params[2], characters) || !DataToList(params[3], rects))
        return Error(L"Invalid Paramater Type");

    bool stopped = false;
    const bool applied = ApplyEntries(*this, characters.size(), rects.size(), [&](size_t i) {
        int r[4];
        if (characters[i].size() != 1 || !ElementToInts(rects[i], 4, r))
            return Entry::Invalid;
        // Sizes are checked too: a negative one would pass the edge tests and turn the glyph inside out.
        if (r[0] < 0 || r[1] < 0 || r[2] < 0 || r[3] < 0 || (long long)r[0] + r[2] > image->GetWidth() ||
            (long long)r[1] + r[3] > image->GetHeight()) {
            Error(L"Image rectangle out of bounds");
            stopped = true;
            return Entry::Stop;
        }
        layer->GetCharData(characters[i][0]).mImageRect = Rect(r[0], r[1], r[2], r[3]);
        return Entry::Applied;
    });
    if (stopped || characters.size() != rects.size())
        return false;

    // The height scan covers the codes 0 to 255 and creates their records.
    long long height = 0;
    for (int code = 0; code < 256; ++code) {
        const CharData& data = layer->GetCharData(wchar_t(code));
        height = std::max(height, (long long)data.mImageRect.mHeight + data.mOffset.mY);
    }
    layer->mDefaultHeight = int(std::min<long long>(height, std::numeric_limits<int>::max()));
    return applied;
}

bool FontData::CmdLayerSetCharOffsets(const ListDataElement& params)
{
    if (params.size() != 4)
        return Error(L"Invalid Number of Parameters");
    FontLayer* layer = nullptr;
    std::vector<std::wstring> characters;
    ListDataElement offsets;
    if (!ParamToLayer(params[1], layer))
        return false;
    if (!DataToStringVector(params[2], characters) || !DataToList(params[3], offsets))
        return Error(L"Invalid Paramater Type");
    return ApplyEntries(*this, characters.size(), offsets.size(), [&](size_t i) {
        int offset[2];
        if (characters[i].size() != 1 || !ElementToInts(offsets[i], 2, offset))
            return Entry::Invalid;
        layer->GetCharData(characters[i][0]).mOffset = Point(offset[0], offset[1]);
        return Entry::Applied;
    });
}

bool FontData::CmdLayerSetKerningPairs(const ListDataElement& params)
{
    if (params.size() != 4)
        return Error(L"Invalid Number of Parameters");
    FontLayer* layer = nullptr;
    std::vector<std::wstring> pairs;
    std::vector<int> amounts;
    if (!ParamToLayer(params[1], layer))
        return false;
    if (!DataToStringVector(params[2], pairs) || !DataToIntVector(params[3], amounts))
        return Error(L"Invalid Paramater Type");
    return ApplyEntries(*this, pairs.size(), amounts.size(), [&](size_t i) {
        if (pairs[i].size() != 2)
            return Entry::Invalid;
        // Kept as 8 bits: 200 is stored as -56.
        layer->GetCharData(pairs[i][0]).mKerningOffsets[pairs[i][1]] = int8_t(uint8_t(amounts[i] & 0xFF));
        return Entry::Applied;
    });
}

bool FontData::CmdLayerSetCharOrders(const ListDataElement& params)
{
    if (params.size() != 4)
        return Error(L"Invalid Number of Parameters");
    FontLayer* layer = nullptr;
    std::vector<std::wstring> characters;
    std::vector<int> orders;
    if (!ParamToLayer(params[1], layer))
        return false;
    if (!DataToStringVector(params[2], characters) || !DataToIntVector(params[3], orders))
        return Error(L"Invalid Paramater Type");
    return ApplyEntries(*this, characters.size(), orders.size(), [&](size_t i) {
        if (characters[i].size() != 1)
            return Entry::Invalid;
        layer->GetCharData(characters[i][0]).mOrder = orders[i];
        return Entry::Applied;
    });
}

} // namespace Pyxo
