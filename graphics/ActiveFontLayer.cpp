#include "graphics/ActiveFontLayer.h"

#include "graphics/DDImage.h"
#include "graphics/FontData.h"
#include "graphics/FontLayer.h"
#include "graphics/MemoryImage.h"
#include "shell/PyxoAppBase.h"

namespace Pyxo {

ActiveFontLayer::ActiveFontLayer(const ActiveFontLayer& other)
    : mBaseFontLayer(other.mBaseFontLayer), mScaledImage(other.mScaledImage),
      mScaledCharImageRects(other.mScaledCharImageRects)
{
    if (!other.mOwnedImage)
        return;
    PyxoAppBase* app = mBaseFontLayer != nullptr ? mBaseFontLayer->mFontData->mApp : nullptr;
    if (app != nullptr)
        mOwnedImage = app->CopyImage(other.mOwnedImage.get());
    else
        mOwnedImage = std::make_unique<MemoryImage>(*other.mOwnedImage);
    mScaledImage = mOwnedImage.get();
}

ActiveFontLayer::~ActiveFontLayer() = default;

Rect ActiveFontLayer::GetCharRect(wchar_t character) const
{
    const auto it = mScaledCharImageRects.find(character);
    return it == mScaledCharImageRects.end() ? Rect() : it->second;
}

} // namespace Pyxo
