#include "graphics/ImageFont.h"

#include "graphics/FontData.h"
#include "graphics/Graphics.h"
#include "graphics/MemoryImage.h"
#include "platform/log/Log.h"
#include "shell/CritSect.h"
#include "shell/StringHelpers.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>

namespace Pyxo {
namespace {

/// Truncation toward zero, held inside int so that absurd sizes cannot overflow.
int TruncToInt(double value)
{
    if (!(value > double(std::numeric_limits<int>::min())))
        return std::isnan(value) ? 0 : std::numeric_limits<int>::min();
    if (!(value < double(std::numeric_limits<int>::max())))
        return std::numeric_limits<int>::max();
    return int(value);
}

/// A strip image larger than this is not made: its glyphs would not fit any screen.
constexpr long long kMaxScaledWidth = 1 << 20;
constexpr long long kMaxScaledPixels = 1 << 26;

/// One queued glyph.
struct RenderCommand {
    MemoryImage* mImage = nullptr;
    int mX = 0;
    int mY = 0;
    Rect mSrcRect;
    int mDrawMode = -1; // -1 keeps the context's mode
    Color mColor;
    int mNext = -1; // next command of the same bucket
};

/// The glyph queue that every draw reuses, so that drawing allocates nothing. Guarded by FontLock.
struct RenderQueue {
    std::array<RenderCommand, ImageFont::kMaxQueuedGlyphs> mCommands;
    int mCount = 0;
    std::array<int, ImageFont::kOrderBuckets> mHeads;
    std::array<int, ImageFont::kOrderBuckets> mTails;

    void Reset()
    {
        mCount = 0;
        mHeads.fill(-1);
        mTails.fill(-1);
    }

    void Push(int bucket, const RenderCommand& command)
    {
        const int index = mCount++;
        mCommands[size_t(index)] = command;
        mCommands[size_t(index)].mNext = -1;
        if (mTails[size_t(bucket)] < 0)
            mHeads[size_t(bucket)] = index;
        else
            mCommands[size_t(mTails[size_t(bucket)])].mNext = index;
        mTails[size_t(bucket)] = index;
    }
};

RenderQueue& TheRenderQueue()
{
    static RenderQueue queue;
    return queue;
}

int MixChannel(int multiply, int given, int add)
{
    const long long value = (long long)multiply * given / 255 + add;
    return int(std::clamp<long long>(value, 0, 255));
}

void AppendDefine(const DataElement& element, std::wstring& out)
{
    if (!element.mIsList) {
        out += static_cast<const SingleDataElement&>(element).mString;
        return;
    }
    out += L'(';
    bool first = true;
    for (const auto& child : static_cast<const ListDataElement&>(element).mElementVector) {
        if (!first)
            out += L", ";
        first = false;
        AppendDefine(*child, out);
    }
    out += L')';
}

} // namespace

CritSect& FontLock()
{
    static CritSect lock;
    return lock;
}

ImageFont::ImageFont(PyxoAppBase* app, const std::string& fontDescFileName) : mFontData(new FontData)
{
    mFontData->AddRef();
    mFontData->Load(app, fontDescFileName);
    mPointSize = mFontData->mDefaultPointSize;
    GenerateActiveFontLayers();
    mActiveListValid = true;
}

ImageFont::ImageFont(const ImageFont& other)
    : Font(other), mFontData(other.mFontData), mPointSize(other.mPointSize), mTagVector(other.mTagVector),
      mActiveListValid(other.mActiveListValid), mScale(other.mScale)
{
    mFontData->AddRef();
    if (mActiveListValid) {
        for (const ActiveFontLayer& active : other.mActiveLayerList)
            mActiveLayerList.emplace_back(active);
    }
}

ImageFont::~ImageFont()
{
    mActiveLayerList.clear();
    mFontData->Release();
}

std::unique_ptr<Font> ImageFont::Duplicate() const
{
    return std::make_unique<ImageFont>(*this);
}

int ImageFont::GetDefaultPointSize() const
{
    return mFontData->mDefaultPointSize;
}

void ImageFont::SetPointSize(int pointSize)
{
    mPointSize = pointSize;
    mActiveListValid = false;
}

void ImageFont::SetScale(double scale)
{
    mScale = scale;
    mActiveListValid = false;
}

bool ImageFont::AddTag(const std::string& tag)
{
    // The stored form is compared, so that the same tag in another case is not stored twice.
    const std::string upper = StringToUpper(tag);
    if (HasTag(tag) || HasTag(upper))
        return false;
    mTagVector.push_back(upper);
    mActiveListValid = false;
    return true;
}

bool ImageFont::RemoveTag(const std::string& tag)
{
    const auto it = std::find(mTagVector.begin(), mTagVector.end(), StringToUpper(tag));
    if (it == mTagVector.end())
        return false;
    mTagVector.erase(it);
    mActiveListValid = false;
    return true;
}

bool ImageFont::HasTag(const std::string& tag) const
{
    return std::find(mTagVector.begin(), mTagVector.end(), tag) != mTagVector.end();
}

std::wstring ImageFont::GetDefine(const std::wstring& name) const
{
    std::wstring text;
    if (const DataElement* element = mFontData->Dereference(name))
        AppendDefine(*element, text);
    return text;
}

void ImageFont::Prepare()
{
    if (!mActiveListValid) {
        GenerateActiveFontLayers();
        mActiveListValid = true;
    }
}

void ImageFont::GenerateActiveFontLayers()
{
    if (!mFontData->mInitialized)
        return;
    mActiveLayerList.clear();
    mAscent = 0;
    mAscentPadding = 0;
    mHeight = 0;
    mLineSpacingOffset = 0;

    const auto hasTag = [this](const std::string& tag) { return HasTag(tag); };
    bool firstLayer = true;
    for (FontLayer& layer : mFontData->mFontLayerList) {
        if (mPointSize < layer.mMinPointSize || (layer.mMaxPointSize != -1 && mPointSize > layer.mMaxPointSize))
            continue;
        if (!std::all_of(layer.mRequiredTags.begin(), layer.mRequiredTags.end(), hasTag))
            continue;
        const auto excluded = [&layer](const std::string& tag) {
            return std::find(layer.mExcludedTags.begin(), layer.mExcludedTags.end(), tag) != layer.mExcludedTags.end();
        };
        if (std::any_of(mTagVector.begin(), mTagVector.end(), excluded))
            continue;

        ActiveFontLayer& active = mActiveLayerList.emplace_back();
        active.mBaseFontLayer = &layer;
        double factor = 1.0;
        if (mScale == 1.0 && (layer.mPointSize == 0 || layer.mPointSize == mPointSize)) {
            active.mScaledImage = layer.mImage;
            for (const auto& [character, data] : layer.mCharDataMap)
                active.mScaledCharImageRects[character] = data.mImageRect;
        } else {
            factor = layer.mPointSize != 0 ? double(mPointSize) * mScale / double(layer.mPointSize) : mScale;
            MakeScaledImage(active, layer, factor);
        }

        const int height = layer.mHeight != 0 ? layer.mHeight : layer.mDefaultHeight;
        const int ascentPadding = TruncToInt(layer.mAscentPadding * factor);
        const int lineSpacingOffset = TruncToInt(layer.mLineSpacingOffset * factor);
        mAscent = std::max(mAscent, TruncToInt(layer.mAscent * factor));
        mHeight = std::max(mHeight, TruncToInt(height * factor));
        mAscentPadding = firstLayer ? ascentPadding : std::min(mAscentPadding, ascentPadding);
        mLineSpacingOffset = firstLayer ? lineSpacingOffset : std::max(mLineSpacingOffset, lineSpacingOffset);
        firstLayer = false;
    }
}

void ImageFont::MakeScaledImage(ActiveFontLayer& active, const FontLayer& layer, double factor)
{
    // Glyphs side by side from x = 0 in character order, each stretched by the factor.
    long long runningX = 0;
    int tallest = 0;
    for (const auto& [character, data] : layer.mCharDataMap) {
        const int width = std::max(0, TruncToInt(data.mImageRect.mWidth * factor));
        const int height = std::max(0, TruncToInt(data.mImageRect.mHeight * factor));
        active.mScaledCharImageRects[character] =
            Rect(int(std::min<long long>(runningX, kMaxScaledWidth)), 0, width, height);
        runningX += width;
        tallest = std::max(tallest, height);
    }
    if (runningX > kMaxScaledWidth || runningX * tallest > kMaxScaledPixels) {
        PLATFORM_LOG_WARNING("font", "%s: glyphs at scale %g too large (%lld x %d); layer not drawn",
                             layer.mFontData->mSourceFile.c_str(), factor, runningX, tallest);
        active.mScaledCharImageRects.clear();
        return;
    }

    active.mOwnedImage = std::make_unique<MemoryImage>(layer.mFontData->mApp);
    active.mOwnedImage->Create(int(runningX), tallest);
    if (MemoryImage* source = layer.mImage) {
        Graphics g(active.mOwnedImage.get());
        for (const auto& [character, data] : layer.mCharDataMap) {
            const Rect& dest = active.mScaledCharImageRects[character];
            if (dest.mWidth > 0 && dest.mHeight > 0)
                g.DrawImageStretchedSrcRect(source, dest, data.mImageRect);
        }
    }
    active.mOwnedImage->Palletize();
    active.mScaledImage = active.mOwnedImage.get();
}

int ImageFont::CharWidthKern(wchar_t character, wchar_t previous)
{
    Prepare();
    const double size = double(mPointSize) * mScale;
    long long widest = 0;
    for (const ActiveFontLayer& active : mActiveLayerList) {
        const FontLayer& layer = *active.mBaseFontLayer;
        const CharData& data = layer.FindCharData(character);
        const int kerning =
            previous != 0 ? layer.mSpacing + layer.FindCharData(previous).GetKerningOffset(character) : 0;
        int width = 0;
        int kern = 0;
        if (layer.mPointSize != 0) {
            width = TruncToInt(data.mWidth * size / layer.mPointSize);
            if (previous != 0)
                kern = TruncToInt(kerning * size / layer.mPointSize);
        } else {
            width = TruncToInt(data.mWidth * mScale);
            if (previous != 0)
                kern = TruncToInt(kerning * mScale);
        }
        widest = std::max(widest, (long long)width + kern);
    }
    return int(std::min<long long>(widest, std::numeric_limits<int>::max()));
}

int ImageFont::CharWidth(wchar_t character)
{
    return CharWidthKern(character, 0);
}

int ImageFont::StringWidth(const std::wstring& text)
{
    long long width = 0;
    wchar_t previous = 0;
    for (const wchar_t character : text) {
        width += CharWidthKern(character, previous);
        previous = character;
    }
    return int(std::clamp<long long>(width, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
}

void ImageFont::DrawString(Graphics* g, int x, int y, const std::wstring& text, const Color& color,
                           const Rect& clipRect)
{
    DrawStringEx(g, x, y, text, color, clipRect, nullptr, nullptr);
}

void ImageFont::DrawStringEx(Graphics* g, int x, int y, const std::wstring& text, const Color& color,
                             const Rect& /*clipRect*/, std::vector<Rect>* drawnRects, int* width)
{
    AutoCrit lock(FontLock());
    RenderQueue& queue = TheRenderQueue();
    queue.Reset();
    if (drawnRects != nullptr)
        drawnRects->clear();
    if (!mFontData->mInitialized) {
        if (width != nullptr)
            *width = 0;
        return;
    }

    Prepare();
    long long pen = x;
    for (size_t i = 0; i < text.size(); ++i) {
        const wchar_t character = text[i];
        const wchar_t next = i + 1 < text.size() ? text[i + 1] : 0;
        long long furthest = pen;
        for (const ActiveFontLayer& active : mActiveLayerList) {
            const FontLayer& layer = *active.mBaseFontLayer;
            const CharData& data = layer.FindCharData(character);
            const double scale =
                layer.mPointSize != 0 ? mScale * double(mPointSize) / double(layer.mPointSize) : mScale;
            const int kerning = next != 0 ? layer.mSpacing + data.GetKerningOffset(next) : 0;
            long long glyphX = 0;
            long long glyphY = 0;
            long long advance = 0;
            long long kern = 0;
            if (scale == 1.0) {
                glyphX = pen + layer.mOffset.mX + data.mOffset.mX;
                glyphY = (long long)y + layer.mOffset.mY - layer.mAscent + data.mOffset.mY;
                advance = data.mWidth;
                kern = kerning;
            } else {
                glyphX = pen + TruncToInt(((long long)data.mOffset.mX + layer.mOffset.mX) * scale);
                glyphY =
                    y - (long long)TruncToInt(((long long)layer.mAscent - layer.mOffset.mY - data.mOffset.mY) * scale);
                advance = TruncToInt(data.mWidth * scale);
                kern = next != 0 ? TruncToInt(kerning * scale) : 0;
            }

            // A full queue ends this character's layers; the pen stops where it is.
            if (queue.mCount >= kMaxQueuedGlyphs)
                break;
            RenderCommand command;
            command.mImage = active.mScaledImage;
            command.mX = int(glyphX);
            command.mY = int(glyphY);
            command.mSrcRect = active.GetCharRect(character);
            command.mDrawMode = layer.mDrawMode;
            command.mColor = Color(MixChannel(layer.mColorMult.mRed, color.mRed, layer.mColorAdd.mRed),
                                   MixChannel(layer.mColorMult.mGreen, color.mGreen, layer.mColorAdd.mGreen),
                                   MixChannel(layer.mColorMult.mBlue, color.mBlue, layer.mColorAdd.mBlue),
                                   MixChannel(layer.mColorMult.mAlpha, color.mAlpha, layer.mColorAdd.mAlpha));
            const long long order = (long long)data.mOrder + layer.mBaseOrder + 128;
            queue.Push(int(std::clamp<long long>(order, 0, kOrderBuckets - 1)), command);
            if (drawnRects != nullptr)
                drawnRects->push_back(Rect(command.mX, command.mY, command.mSrcRect.mWidth, command.mSrcRect.mHeight));
            furthest = std::max(furthest, pen + advance + kern);
        }
        pen = furthest;
    }
    if (width != nullptr)
        *width = int(pen - x);
    if (g == nullptr)
        return;

    const bool oldColorize = g->GetColorize();
    const Color oldColor = g->GetColor();
    g->SetColorize(true);
    for (int bucket = 0; bucket < kOrderBuckets; ++bucket) {
        for (int index = queue.mHeads[size_t(bucket)]; index >= 0; index = queue.mCommands[size_t(index)].mNext) {
            const RenderCommand& command = queue.mCommands[size_t(index)];
            const int oldDrawMode = g->GetDrawMode();
            if (command.mDrawMode != -1)
                g->SetDrawMode(command.mDrawMode);
            g->SetColor(command.mColor);
            if (command.mImage != nullptr)
                g->DrawImageSrcRect(command.mImage, command.mX, command.mY, command.mSrcRect);
            g->SetDrawMode(oldDrawMode);
        }
    }
    g->SetColor(oldColor);
    g->SetColorize(oldColorize);
}

} // namespace Pyxo
