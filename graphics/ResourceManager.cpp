#include "graphics/ResourceManager.h"

#include "graphics/DDImage.h"
#include "graphics/Font.h"
#include "graphics/FontData.h"
#include "graphics/ImageFont.h"
#include "graphics/ImageLib.h"
#include "graphics/MemoryImage.h"
#include "graphics/SysFont.h"
#include "graphics/XMLParser.h"
#include "shell/PyxoAppBase.h"
#include "shell/SoundManager.h"
#include "shell/StrFormat.h"
#include "shell/StringHelpers.h"
#include "shell/SystemVersion.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <climits>
#include <cstdint>
#include <optional>
#include <utility>

namespace Pyxo {
namespace {

/// Manifest values become narrow fields byte for byte.
std::string Narrow(const std::wstring& text)
{
    return WStringToString(text);
}

const std::wstring* FindAttribute(const XMLItem& item, const wchar_t* name)
{
    auto it = item.attributes.find(name);
    return it == item.attributes.end() ? nullptr : &it->second;
}

bool HasAttribute(const XMLItem& item, const wchar_t* name)
{
    return item.attributes.count(name) != 0;
}

std::string NarrowAttribute(const XMLItem& item, const wchar_t* name)
{
    const std::wstring* value = FindAttribute(item, name);
    return value ? Narrow(*value) : std::string();
}

bool IsBlank(wchar_t c)
{
    return c == L' ' || c == L'\t' || c == L'\n' || c == L'\v' || c == L'\f' || c == L'\r';
}

/// The ASCII run of the text from pos on, after leading blanks, for the number parsers.
std::string NumberText(const std::wstring& text, size_t pos = 0)
{
    while (pos < text.size() && IsBlank(text[pos]))
        ++pos;
    std::string out;
    for (; pos < text.size() && text[pos] > 0 && text[pos] < 128; ++pos)
        out += char(text[pos]);
    return out;
}

/// Like atoi: optional sign and leading digits, 0 when there are none; clamped to int instead of overflowing.
int ReadInt(const std::wstring& text, size_t pos = 0)
{
    const std::string digits = NumberText(text, pos);
    size_t i = 0;
    bool negative = false;
    if (i < digits.size() && (digits[i] == '+' || digits[i] == '-'))
        negative = digits[i++] == '-';
    int64_t value = 0;
    for (; i < digits.size() && digits[i] >= '0' && digits[i] <= '9'; ++i)
        value = std::min<int64_t>(value * 10 + (digits[i] - '0'), int64_t(INT_MAX) + 1);
    value = negative ? -value : value;
    return int(std::clamp<int64_t>(value, INT_MIN, INT_MAX));
}

/// Like scanf "%d": nothing when no number leads the text (or it does not fit).
std::optional<int> ScanInt(const std::wstring& text)
{
    std::string digits = NumberText(text);
    if (!digits.empty() && digits[0] == '+')
        digits.erase(0, 1);
    int value = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    if (error != std::errc())
        return std::nullopt;
    return value;
}

/// Like scanf "%lf".
std::optional<double> ScanDouble(const std::wstring& text)
{
    std::string digits = NumberText(text);
    if (!digits.empty() && digits[0] == '+')
        digits.erase(0, 1);
    double value = 0.0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    if (error != std::errc())
        return std::nullopt;
    return value;
}

/// Like scanf "%x": hexadecimal digits after an optional sign and "0x"; saturates at 32 bits.
std::optional<uint32_t> ScanHex(const std::wstring& text)
{
    const std::string digits = NumberText(text);
    size_t i = 0;
    bool negative = false;
    if (i < digits.size() && (digits[i] == '+' || digits[i] == '-'))
        negative = digits[i++] == '-';
    if (i + 2 < digits.size() && digits[i] == '0' && (digits[i + 1] | 0x20) == 'x' &&
        isxdigit(static_cast<unsigned char>(digits[i + 2])))
        i += 2;
    uint64_t value = 0;
    const size_t first = i;
    for (; i < digits.size() && isxdigit(static_cast<unsigned char>(digits[i])); ++i) {
        const char c = digits[i];
        const int nibble = c <= '9' ? c - '0' : (c | 0x20) - 'a' + 10;
        value = std::min<uint64_t>(value * 16 + uint64_t(nibble), 0xFFFFFFFFu);
    }
    if (i == first)
        return std::nullopt;
    const uint32_t result = uint32_t(value);
    return negative ? uint32_t(0u - result) : result;
}

/// Comma-separated ints: one read at the start and one after every ',', so an empty text gives [0].
std::vector<int> ReadIntList(const std::wstring& text)
{
    std::vector<int> list;
    size_t pos = 0;
    for (;;) {
        list.push_back(ReadInt(text, pos));
        const size_t comma = text.find(L',', pos);
        if (comma == std::wstring::npos)
            break;
        pos = comma + 1;
    }
    return list;
}

std::string RemoveTrailingSlash(std::string path)
{
    if (!path.empty() && (path.back() == '\\' || path.back() == '/'))
        path.pop_back();
    return path;
}

/// The file name of the path without its extension; the whole path when it has neither.
std::string FileNameStem(const std::string& path)
{
    const size_t slash = path.find_last_of("\\/");
    std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    const size_t dot = name.rfind('.');
    if (dot != std::string::npos)
        name.erase(dot);
    return name;
}

bool EqualsNoCase(const std::wstring& text, const wchar_t* word)
{
    size_t i = 0;
    for (; i < text.size() && word[i] != 0; ++i) {
        const wchar_t a = text[i] >= L'A' && text[i] <= L'Z' ? wchar_t(text[i] | 0x20) : text[i];
        if (a != word[i])
            return false;
    }
    return i == text.size() && word[i] == 0;
}

/// Tags are split into strings, so a list of any length is taken whole.
std::vector<std::string> SplitTags(const std::string& text)
{
    std::vector<std::string> tags;
    std::string tag;
    for (char c : text) {
        if (c == ',' || c == ' ' || c == '\r' || c == '\n' || c == '\t') {
            if (!tag.empty())
                tags.push_back(std::move(tag));
            tag.clear();
        } else {
            tag += c;
        }
    }
    if (!tag.empty())
        tags.push_back(std::move(tag));
    return tags;
}

} // namespace

void ResourceManager::SoundRes::DeleteResource()
{
    if (mSoundId >= 0 && mSoundManager)
        mSoundManager->ReleaseSound(unsigned(mSoundId));
    mSoundId = -1;
    mSoundManager = nullptr;
}

ResourceManager::FontRes::FontRes()
{
    mType = ResType_Font;
}

ResourceManager::FontRes::~FontRes() = default;

void ResourceManager::FontRes::DeleteResource()
{
    mFont.reset();
}

ResourceManager::ResourceManager(PyxoAppBase* app) : mApp(app) {}

ResourceManager::~ResourceManager()
{
    AutoCrit lock(mLock);
    for (ResMap* map : {&mImageMap, &mSoundMap, &mFontMap}) {
        for (auto& [id, res] : *map)
            res->DeleteResource();
        map->clear();
    }
    mResGroupMap.clear();
    mCurResList = nullptr;
    mLoadedGroups.clear();
}

std::string ResourceManager::GetErrorText() const
{
    AutoCrit lock(mLock);
    return mError;
}

bool ResourceManager::HasFailed() const
{
    AutoCrit lock(mLock);
    return mHasFailed;
}

bool ResourceManager::IsGroupLoaded(const std::string& group) const
{
    AutoCrit lock(mLock);
    return mLoadedGroups.count(group) != 0;
}

bool ResourceManager::HasGroup(const std::string& group) const
{
    AutoCrit lock(mLock);
    return mResGroupMap.count(group) != 0;
}

bool ResourceManager::Fail(const std::string& message)
{
    if (mHasFailed)
        return false;
    mHasFailed = true;
    mError = message;
    if (mXMLParser) {
        if (mXMLParser->GetLineNumber() > 0)
            mError += " on Line " + std::to_string(mXMLParser->GetLineNumber());
        if (!mXMLParser->GetFileName().empty())
            mError += " in File '" + mXMLParser->GetFileName() + "'";
    }
    return false;
}

bool ResourceManager::FailRecord(const BaseRes& res, const std::string& message)
{
    std::string located = message;
    if (res.mManifestLine > 0)
        located += " on Line " + std::to_string(res.mManifestLine);
    if (!res.mManifestFile.empty())
        located += " in File '" + res.mManifestFile + "'";
    return Fail(located);
}

bool ResourceManager::ImageRes::CompleteAnimation(AnimInfo& anim) const
{
    anim = mAnimInfo;
    return anim.Compute(std::max(mRows, mCols), mBeginDelay, mEndDelay);
}

// ---- Manifest -------------------------------------------------------------------------------------------------

bool ResourceManager::ParseResourcesFile(const std::string& fileName)
{
    AutoCrit lock(mLock);
    mXMLParser = std::make_unique<XMLParser>();
    DoParseResourcesFile(fileName);
    if (mXMLParser->HasFailed())
        Fail(Narrow(mXMLParser->GetErrorText())); // ignored when an error of ours came first
    mXMLParser.reset();
    return !mHasFailed;
}

bool ResourceManager::DoParseResourcesFile(const std::string& fileName)
{
    if (!mXMLParser->Open(fileName))
        return Fail("Resource file not found: " + fileName);

    XMLItem item;
    for (;;) {
        if (!mXMLParser->ReadItem(item)) {
            // A file that ends before any element would otherwise count as an empty manifest.
            return mXMLParser->HasFailed() ? false : Fail("Expecting ResourceManifest tag");
        }
        if (item.type == XMLItemType::Start)
            break;
    }
    if (item.value != L"ResourceManifest")
        return Fail("Expecting ResourceManifest tag");

    bool closed = false;
    while (mXMLParser->ReadItem(item)) {
        if (item.type == XMLItemType::Start) {
            if (item.value != L"Resources")
                return Fail("Invalid Section '" + Narrow(item.value) + "'");
            const std::wstring* id = FindAttribute(item, L"id");
            if (!id || id->empty())
                return Fail("No id specified.");
            mCurResGroup = Narrow(*id);
            mResGroupMap[mCurResGroup]; // a section without entries still names its group
            if (!ParseResources())
                break;
        } else if (item.type == XMLItemType::Text) {
            return Fail("Element Not Expected '" + Narrow(item.value) + "'");
        } else if (item.type == XMLItemType::End && item.value == L"ResourceManifest") {
            closed = true;
        }
    }
    // A truncated manifest must not pass for a complete one.
    if (!mHasFailed && !mXMLParser->HasFailed() && !closed)
        return Fail("Unexpected End of File");
    return !mHasFailed;
}

bool ResourceManager::ParseResources()
{
    XMLItem item;
    while (mXMLParser->ReadItem(item)) {
        if (item.type == XMLItemType::Start) {
            bool parsed = false;
            if (item.value == L"Image")
                parsed = ParseImageResource(item);
            else if (item.value == L"Sound")
                parsed = ParseSoundResource(item);
            else if (item.value == L"Font")
                parsed = ParseFontResource(item);
            else if (item.value == L"SetDefaults")
                parsed = ParseSetDefaults(item);
            else
                return Fail("Invalid Section '" + Narrow(item.value) + "'");
            if (!parsed)
                return false;
            XMLItem end;
            if (!mXMLParser->ReadItem(end))
                return false;
            if (end.type != XMLItemType::End)
                return Fail("Unexpected element found.");
        } else if (item.type == XMLItemType::Text) {
            return Fail("Element Not Expected '" + Narrow(item.value) + "'");
        } else if (item.type == XMLItemType::End) {
            return true;
        }
    }
    return false;
}

bool ResourceManager::ParseSetDefaults(XMLItem& item)
{
    if (const std::wstring* path = FindAttribute(item, L"path")) {
        // An empty value clears the default path: a lone "/" would turn every relative path into an absolute one.
        mDefaultPath = RemoveTrailingSlash(Narrow(*path));
        if (!mDefaultPath.empty())
            mDefaultPath += '/';
    }
    if (const std::wstring* prefix = FindAttribute(item, L"idprefix"))
        mDefaultIdPrefix = RemoveTrailingSlash(Narrow(*prefix));
    return true;
}

bool ResourceManager::ParseCommonResource(XMLItem& item, std::unique_ptr<BaseRes> res, ResMap& map)
{
    const std::string path = NarrowAttribute(item, L"path");
    if (path.empty())
        return Fail("No path specified.");

    res->mXMLAttributes = item.attributes;
    if (path[0] == '!') {
        res->mPath = path;
        res->mFromProgram = path == "!program";
    } else {
        res->mPath = mDefaultPath + path;
    }
    if (const std::wstring* id = FindAttribute(item, L"id"))
        res->mId = mDefaultIdPrefix + Narrow(*id);
    else
        res->mId = mDefaultIdPrefix + FileNameStem(res->mPath);
    res->mResGroup = mCurResGroup;
    if (mXMLParser) {
        res->mManifestLine = mXMLParser->GetLineNumber();
        res->mManifestFile = mXMLParser->GetFileName();
    }

    auto [it, inserted] = map.try_emplace(res->mId);
    if (!inserted)
        return Fail("Resource already defined.");
    it->second = std::move(res);
    mResGroupMap[mCurResGroup].push_back(it->second.get());
    return true;
}

bool ResourceManager::ParseImageResource(XMLItem& item)
{
    auto owned = std::make_unique<ImageRes>();
    ImageRes& res = *owned;
    if (!ParseCommonResource(item, std::move(owned), mImageMap))
        return false;

    res.mPalletize = !HasAttribute(item, L"nopal");
    res.mA4R4G4B4 = HasAttribute(item, L"a4r4g4b4");
    res.mA8R8G8B8 = HasAttribute(item, L"a8r8g8b8");
    res.mMinimizeSubdivisions = HasAttribute(item, L"minsubdivide");
    res.mDDSurface = HasAttribute(item, L"ddsurface");
    const bool is3D = mApp && mApp->Is3DAccelerated();
    res.mPurgeBits = HasAttribute(item, L"nobits") || (HasAttribute(item, L"nobits3d") && is3D) ||
                     (HasAttribute(item, L"nobits2d") && !is3D);

    if (const std::wstring* alpha = FindAttribute(item, L"alphaimage"))
        res.mAlphaImage = mDefaultPath + Narrow(*alpha);
    if (const std::wstring* grid = FindAttribute(item, L"alphagrid"))
        res.mAlphaGridImage = mDefaultPath + Narrow(*grid);
    if (const std::wstring* color = FindAttribute(item, L"alphacolor")) {
        if (std::optional<uint32_t> value = ScanHex(*color))
            res.mAlphaColor = *value;
    }
    res.mVariant = NarrowAttribute(item, L"variant");
    if (const std::wstring* rows = FindAttribute(item, L"rows"))
        res.mRows = ReadInt(*rows);
    if (const std::wstring* cols = FindAttribute(item, L"cols"))
        res.mCols = ReadInt(*cols);
    // Every cel holds at least one pixel, so no picture the readers accept has more. The loaded image bounds them
    // again by its own pixels before the animation is completed.
    if (uint64_t(std::max(res.mRows, 1)) * uint64_t(std::max(res.mCols, 1)) > ImageLib::kMaxPixels)
        return Fail("Too many rows and cols.");

    AnimInfo& anim = res.mAnimInfo;
    anim.mAnimType = AnimInfo::AnimType_None;
    if (const std::wstring* type = FindAttribute(item, L"anim")) {
        if (EqualsNoCase(*type, L"none"))
            anim.mAnimType = AnimInfo::AnimType_None;
        else if (EqualsNoCase(*type, L"once"))
            anim.mAnimType = AnimInfo::AnimType_Once;
        else if (EqualsNoCase(*type, L"pingpong"))
            anim.mAnimType = AnimInfo::AnimType_PingPong;
        else if (EqualsNoCase(*type, L"loop"))
            anim.mAnimType = AnimInfo::AnimType_Loop;
        else
            return Fail("Invalid animation type.");
    }
    if (anim.mAnimType != AnimInfo::AnimType_None) {
        if (const std::wstring* value = FindAttribute(item, L"framedelay"))
            anim.mFrameDelay = ReadInt(*value);
        if (const std::wstring* value = FindAttribute(item, L"begindelay"))
            res.mBeginDelay = ReadInt(*value);
        if (const std::wstring* value = FindAttribute(item, L"enddelay"))
            res.mEndDelay = ReadInt(*value);
        if (const std::wstring* value = FindAttribute(item, L"perframedelay"))
            anim.mPerFrameDelay = ReadIntList(*value);
        if (const std::wstring* value = FindAttribute(item, L"framemap"))
            anim.mFrameMap = ReadIntList(*value);
        // Completed when the image is loaded: the frame lists grow with the cels, which only the image bounds.
    }
    return true;
}

bool ResourceManager::ParseSoundResource(XMLItem& item)
{
    auto owned = std::make_unique<SoundRes>();
    SoundRes& res = *owned;
    if (!ParseCommonResource(item, std::move(owned), mSoundMap))
        return false;

    if (const std::wstring* volume = FindAttribute(item, L"volume")) {
        if (std::optional<double> value = ScanDouble(*volume))
            res.mVolume = *value;
    }
    if (const std::wstring* pan = FindAttribute(item, L"pan")) {
        if (std::optional<int> value = ScanInt(*pan))
            res.mPanning = *value;
    }
    return true;
}

bool ResourceManager::ParseFontResource(XMLItem& item)
{
    auto owned = std::make_unique<FontRes>();
    FontRes& res = *owned;
    if (!ParseCommonResource(item, std::move(owned), mFontMap))
        return false;

    if (res.mPath.compare(0, 5, "!sys:") == 0) {
        res.mSysFont = true;
        res.mPath.erase(0, 5);
        const std::wstring* size = FindAttribute(item, L"size");
        res.mSize = size ? ReadInt(*size) : 0;
        if (res.mSize <= 0)
            return Fail("SysFont needs point size");
        // Text taller than any screen would only cost memory.
        if (res.mSize > SysFont::kMaxPointSize)
            return Fail("SysFont point size too large (at most " + std::to_string(SysFont::kMaxPointSize) + ")");
        res.mBold = HasAttribute(item, L"bold");
        res.mItalic = HasAttribute(item, L"italic");
        res.mShadow = HasAttribute(item, L"shadow");
        res.mUnderline = HasAttribute(item, L"underline");
    } else {
        res.mImagePath = NarrowAttribute(item, L"image");
        res.mTags = NarrowAttribute(item, L"tags");
    }
    return true;
}

// ---- Loading --------------------------------------------------------------------------------------------------

void ResourceManager::StartLoadResources(const std::string& group)
{
    AutoCrit lock(mLock);
    mError.clear();
    mHasFailed = false;
    mGroupFailed = false;
    mCurResGroup = group;
    mCurResList = &mResGroupMap[group];
    mCurResPos = 0;
}

bool ResourceManager::LoadNextResource()
{
    AutoCrit lock(mLock);
    if (mGroupFailed || !mCurResList)
        return false;
    while (mCurResPos < mCurResList->size()) {
        BaseRes* res = (*mCurResList)[mCurResPos++];
        if (res->mFromProgram)
            continue;
        bool loaded = false;
        switch (res->mType) {
        case ResType_Image: {
            auto& image = static_cast<ImageRes&>(*res);
            if (static_cast<MemoryImage*>(image.mImage) != nullptr)
                continue;
            loaded = DoLoadImage(image);
            break;
        }
        case ResType_Sound: {
            auto& sound = static_cast<SoundRes&>(*res);
            if (sound.mSoundId != -1)
                continue;
            loaded = DoLoadSound(sound);
            break;
        }
        case ResType_Font: {
            auto& font = static_cast<FontRes&>(*res);
            if (font.mFont)
                continue;
            loaded = DoLoadFont(font);
            break;
        }
        default:
            continue;
        }
        // Only the group's own records stop it: a lookup that fails on another thread meanwhile concerns its
        // caller alone.
        mGroupFailed = !loaded;
        return loaded;
    }
    return false;
}

bool ResourceManager::LoadResources(const std::string& group)
{
    {
        AutoCrit lock(mLock);
        mError.clear();
        mHasFailed = false;
    }
    StartLoadResources(group);
    // The lock is taken per record, so that other threads can look up resources while a group loads.
    while (LoadNextResource()) {
    }
    AutoCrit lock(mLock);
    if (mGroupFailed)
        return false;
    mLoadedGroups.insert(group);
    return true;
}

bool ResourceManager::DoLoadImage(ImageRes& res)
{
    bool isNew = false;
    ImageLib::gAlphaComposeColor = res.mAlphaColor;
    ImagePoolRef ref = mApp->GetPooledImage(res.mPath, res.mVariant, &isNew);
    ImageLib::gAlphaComposeColor = 0xFFFFFF;

    DDImage* image = ref;
    if (!image)
        return Fail(StrFormat("Failed to load image: %s", res.mPath.c_str()));
    // A cel holds at least one pixel.
    const uint64_t cels = uint64_t(std::max(res.mRows, 1)) * uint64_t(std::max(res.mCols, 1));
    if (cels > 1 && cels > uint64_t(std::max(image->mWidth, 0)) * uint64_t(std::max(image->mHeight, 0)))
        return FailRecord(res, "Too many rows and cols.");
    AnimInfo anim;
    if (res.mAnimInfo.mAnimType != AnimInfo::AnimType_None && !res.CompleteAnimation(anim))
        return FailRecord(res, "Animation too long.");

    // A shared image that was read before has its alpha merged already.
    if (isNew) {
        if (!res.mAlphaImage.empty() && !MergeAlphaImage(res, *image))
            return false;
        if (!res.mAlphaGridImage.empty() && !MergeAlphaGrid(res, *image))
            return false;
    }

    image->CommitBits();
    res.mImage = ref;
    image->mPurgeBits = res.mPurgeBits;

    if (res.mDDSurface) {
        image->CommitBits();
        if (!image->mHasAlpha) {
            image->mWantDDSurface = true;
            image->mPurgeBits = true;
        }
    }
    if (res.mPalletize) {
        if (image->mSurface == nullptr)
            image->Palletize();
        else
            image->mWantPal = true;
    }
    if (res.mA4R4G4B4)
        image->mD3DFlags |= 4;
    if (res.mA8R8G8B8)
        image->mD3DFlags |= 8;
    if (res.mMinimizeSubdivisions)
        image->mD3DFlags |= 1;
    if (res.mAnimInfo.mAnimType != AnimInfo::AnimType_None)
        image->mAnimInfo = std::make_unique<AnimInfo>(std::move(anim));
    image->mNumRows = res.mRows;
    image->mNumCols = res.mCols;
    if (image->mPurgeBits)
        image->PurgeBits();

    ResourceLoadedHook(&res);
    return true;
}

bool ResourceManager::MergeAlphaImage(const ImageRes& res, MemoryImage& image)
{
    const std::unique_ptr<ImageLib::Image> alpha = ImageLib::GetImage(res.mAlphaImage, true);
    if (!alpha || !alpha->GetBits())
        return Fail(StrFormat("Failed to load image: %s", res.mAlphaImage.c_str()));
    if (alpha->GetWidth() != image.mWidth || alpha->GetHeight() != image.mHeight)
        return Fail(
            StrFormat("AlphaImage size mismatch between %s and %s", res.mPath.c_str(), res.mAlphaImage.c_str()));
    uint32_t* bits = image.GetBits();
    if (!bits)
        return Fail(StrFormat("Failed to load image: %s", res.mPath.c_str()));
    const uint32_t* alphaBits = alpha->GetBits();
    const size_t count = size_t(image.mWidth) * size_t(image.mHeight);
    for (size_t i = 0; i < count; ++i)
        bits[i] = (bits[i] & 0x00FFFFFF) | ((alphaBits[i] & 0xFF) << 24);
    image.BitsChanged();
    return true;
}

bool ResourceManager::MergeAlphaGrid(const ImageRes& res, MemoryImage& image)
{
    const std::unique_ptr<ImageLib::Image> grid = ImageLib::GetImage(res.mAlphaGridImage, true);
    if (!grid || !grid->GetBits())
        return Fail(StrFormat("Failed to load image: %s", res.mAlphaGridImage.c_str()));
    // Without at least one cel in each direction the grid cannot be one cel in size.
    const int celWidth = res.mCols > 0 ? image.mWidth / res.mCols : 0;
    const int celHeight = res.mRows > 0 ? image.mHeight / res.mRows : 0;
    if (res.mCols <= 0 || res.mRows <= 0 || grid->GetWidth() != celWidth || grid->GetHeight() != celHeight)
        return Fail(StrFormat("GridAlphaImage size mismatch between %s and %s", res.mPath.c_str(),
                              res.mAlphaGridImage.c_str()));
    uint32_t* bits = image.GetBits();
    if (!bits)
        return Fail(StrFormat("Failed to load image: %s", res.mPath.c_str()));
    const uint32_t* gridBits = grid->GetBits();
    for (int row = 0; row < res.mRows; ++row) {
        for (int col = 0; col < res.mCols; ++col) {
            for (int y = 0; y < celHeight; ++y) {
                uint32_t* dest = bits + size_t(row * celHeight + y) * size_t(image.mWidth) + size_t(col * celWidth);
                const uint32_t* source = gridBits + size_t(y) * size_t(celWidth);
                for (int x = 0; x < celWidth; ++x)
                    dest[x] = (dest[x] & 0x00FFFFFF) | ((source[x] & 0xFF) << 24);
            }
        }
    }
    image.BitsChanged();
    return true;
}

bool ResourceManager::DoLoadSound(SoundRes& res)
{
    SoundManager* sounds = mApp->mSoundManager.get();
    if (!sounds)
        return Fail(StrFormat("Failed to load sound: %s", res.mPath.c_str()));
    const int id = sounds->GetFreeSoundId();
    if (id < 0)
        return Fail("Out of free sound ids");
    if (!sounds->LoadSound(unsigned(id), res.mPath))
        return Fail(StrFormat("Failed to load sound: %s", res.mPath.c_str()));
    if (res.mVolume >= 0)
        sounds->SetBaseVolume(unsigned(id), res.mVolume);
    if (res.mPanning != 0)
        sounds->SetBasePan(unsigned(id), res.mPanning);
    res.mSoundId = id;
    res.mSoundManager = sounds;
    ResourceLoadedHook(&res);
    return true;
}

bool ResourceManager::DoLoadFont(FontRes& res)
{
    std::unique_ptr<Font> font;
    if (res.mSysFont) {
        bool bold = res.mBold;
        bool simulateBold = false;
        if (IsWin9x()) {
            simulateBold = bold;
            bold = false;
        }
        auto sysFont = std::make_unique<SysFont>(mApp, res.mPath, res.mSize, 0, bold, res.mItalic, res.mUnderline);
        sysFont->mDrawShadow = res.mShadow;
        sysFont->mSimulateBold = simulateBold;
        font = std::move(sysFont);
    } else if (!res.mImagePath.empty()) {
        return Fail(StrFormat("Failed to load font: %s", res.mPath.c_str()));
    } else if (res.mPath.compare(0, 5, "!ref:") == 0) {
        const std::string refId = res.mPath.substr(5);
        Font* original = FindFont(refId);
        if (!original)
            return Fail("Ref font not found: " + refId);
        font = original->Duplicate();
    } else {
        font = std::make_unique<ImageFont>(mApp, res.mPath);
    }

    if (auto* imageFont = dynamic_cast<ImageFont*>(font.get())) {
        if (!imageFont->mFontData || !imageFont->mFontData->mInitialized)
            return Fail(StrFormat("Failed to load font: %s", res.mPath.c_str()));
        if (!res.mTags.empty()) {
            for (const std::string& tag : SplitTags(res.mTags))
                imageFont->AddTag(tag);
            imageFont->Prepare();
        }
    }

    res.mFont = std::move(font);
    ResourceLoadedHook(&res);
    return true;
}

// ---- Lookups --------------------------------------------------------------------------------------------------

ImagePoolRef ResourceManager::LoadImage(const std::string& id)
{
    AutoCrit lock(mLock);
    auto it = mImageMap.find(id);
    if (it == mImageMap.end())
        return {};
    auto& res = static_cast<ImageRes&>(*it->second);
    if (static_cast<MemoryImage*>(res.mImage) != nullptr)
        return res.mImage;
    if (!res.mFromProgram && DoLoadImage(res))
        return res.mImage;
    return {};
}

Font* ResourceManager::FindFont(const std::string& id)
{
    AutoCrit lock(mLock);
    auto it = mFontMap.find(id);
    if (it == mFontMap.end())
        return nullptr;
    return static_cast<FontRes&>(*it->second).mFont.get();
}

bool ResourceManager::ReplaceImage(const std::string& id, MemoryImage* image)
{
    AutoCrit lock(mLock);
    auto it = mImageMap.find(id);
    if (it == mImageMap.end())
        return false;
    auto& res = static_cast<ImageRes&>(*it->second);
    // Releasing the image the record already holds would delete it before it is taken again.
    if (image != nullptr && static_cast<MemoryImage*>(res.mImage) == image)
        return true;
    res.DeleteResource();
    res.mImage = image;
    return true;
}

ImagePoolRef ResourceManager::GetImageThrow(const std::string& id)
{
    AutoCrit lock(mLock);
    auto it = mImageMap.find(id);
    if (it != mImageMap.end()) {
        auto& res = static_cast<ImageRes&>(*it->second);
        if (static_cast<MemoryImage*>(res.mImage) != nullptr)
            return res.mImage;
    }
    throw ResourceManagerException(StrFormat("Image resource not found: %s", id.c_str()));
}

int ResourceManager::GetSoundThrow(const std::string& id)
{
    AutoCrit lock(mLock);
    auto it = mSoundMap.find(id);
    if (it != mSoundMap.end()) {
        auto& res = static_cast<SoundRes&>(*it->second);
        if (res.mSoundId != -1)
            return res.mSoundId;
    }
    throw ResourceManagerException(StrFormat("Sound resource not found: %s", id.c_str()));
}

Font* ResourceManager::GetFontThrow(const std::string& id)
{
    AutoCrit lock(mLock);
    auto it = mFontMap.find(id);
    if (it != mFontMap.end()) {
        auto& res = static_cast<FontRes&>(*it->second);
        if (res.mFont)
            return res.mFont.get();
    }
    throw ResourceManagerException(StrFormat("Font resource not found: %s", id.c_str()));
}

// ---- Freeing --------------------------------------------------------------------------------------------------

void ResourceManager::DeleteMap(ResMap& map, const std::string& group)
{
    for (auto& [id, res] : map) {
        if (group.empty() || res->mResGroup == group)
            res->DeleteResource();
    }
}

void ResourceManager::DeleteResources(const std::string& group)
{
    AutoCrit lock(mLock);
    DeleteMap(mImageMap, group);
    DeleteMap(mSoundMap, group);
    DeleteMap(mFontMap, group);
    // Freeing every record leaves no group loaded.
    if (group.empty())
        mLoadedGroups.clear();
    else
        mLoadedGroups.erase(group);
}

} // namespace Pyxo
