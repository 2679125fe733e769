#include "graphics/TextureData.h"

#include "graphics/D3DInterface.h"
#include "platform/directdraw/DirectDrawSurface.h"

#include <algorithm>

namespace Pyxo {

TextureData::~TextureData()
{
    ReleaseTextures();
}

void TextureData::ReleaseTextures()
{
    for (TexturePiece& piece : mTextures)
        piece.mTexture.Reset();
    mTexMemSize = 0;
}

void TextureData::CreateTextureDimensions(int width, int height)
{
    ReleaseTextures();
    mTextures.clear();
    mWidth = std::max(width, 0);
    mHeight = std::max(height, 0);

    int tileWidth = mWidth;
    int tileHeight = mHeight;
    D3DInterface::GetTextureSize(tileWidth, tileHeight, false, true, mImageFlags);
    mTexPieceWidth = std::max(tileWidth, 1);
    mTexPieceHeight = std::max(tileHeight, 1);

    // The right column and the bottom row hold what is left over, in pieces of their own size.
    int rightWidth = mTexPieceWidth;
    int rightHeight = mTexPieceHeight;
    if (mWidth % mTexPieceWidth > 0) {
        rightWidth = mWidth % mTexPieceWidth;
        D3DInterface::GetTextureSize(rightWidth, rightHeight, true, true, mImageFlags);
    }
    int bottomWidth = mTexPieceWidth;
    int bottomHeight = mTexPieceHeight;
    if (mHeight % mTexPieceHeight > 0) {
        bottomHeight = mHeight % mTexPieceHeight;
        D3DInterface::GetTextureSize(bottomWidth, bottomHeight, true, true, mImageFlags);
    }
    int cornerWidth = rightWidth;
    int cornerHeight = bottomHeight;
    D3DInterface::GetTextureSize(cornerWidth, cornerHeight, true, true, mImageFlags);

    mTexVecWidth = (mWidth + mTexPieceWidth - 1) / mTexPieceWidth;
    mTexVecHeight = (mHeight + mTexPieceHeight - 1) / mTexPieceHeight;
    mTextures.assign(static_cast<size_t>(mTexVecWidth) * static_cast<size_t>(mTexVecHeight),
                     TexturePiece{nullptr, mTexPieceWidth, mTexPieceHeight});
    if (!mTextures.empty()) {
        const auto at = [&](int column, int row) -> TexturePiece& {
            return mTextures[static_cast<size_t>(row) * static_cast<size_t>(mTexVecWidth) +
                             static_cast<size_t>(column)];
        };
        for (int row = 0; row < mTexVecHeight; ++row) {
            at(mTexVecWidth - 1, row).mWidth = rightWidth;
            at(mTexVecWidth - 1, row).mHeight = rightHeight;
        }
        for (int column = 0; column < mTexVecWidth; ++column) {
            at(column, mTexVecHeight - 1).mWidth = bottomWidth;
            at(column, mTexVecHeight - 1).mHeight = bottomHeight;
        }
        at(mTexVecWidth - 1, mTexVecHeight - 1).mWidth = cornerWidth;
        at(mTexVecWidth - 1, mTexVecHeight - 1).mHeight = cornerHeight;
    }
    mMaxTotalU = static_cast<float>(mWidth) / static_cast<float>(mTexPieceWidth);
    mMaxTotalV = static_cast<float>(mHeight) / static_cast<float>(mTexPieceHeight);
}

const TexturePiece* TextureData::PieceAt(int column, int row) const
{
    if (column < 0 || row < 0 || column >= mTexVecWidth || row >= mTexVecHeight)
        return nullptr;
    return &mTextures[static_cast<size_t>(row) * static_cast<size_t>(mTexVecWidth) + static_cast<size_t>(column)];
}

Platform::DirectDrawSurface* TextureData::GetTexture(int x, int y, int& width, int& height, float& u1, float& v1,
                                                     float& u2, float& v2) const
{
    if (x < 0 || y < 0 || x >= mWidth || y >= mHeight)
        return nullptr;
    const TexturePiece* piece = PieceAt(x / mTexPieceWidth, y / mTexPieceHeight);
    if (piece == nullptr || piece->mWidth <= 0 || piece->mHeight <= 0)
        return nullptr;
    const int left = x % mTexPieceWidth;
    const int top = y % mTexPieceHeight;
    const int right = std::min(left + width, piece->mWidth);
    const int bottom = std::min(top + height, piece->mHeight);
    width = right - left;
    height = bottom - top;
    u1 = static_cast<float>(left) / static_cast<float>(piece->mWidth);
    v1 = static_cast<float>(top) / static_cast<float>(piece->mHeight);
    u2 = static_cast<float>(right) / static_cast<float>(piece->mWidth);
    v2 = static_cast<float>(bottom) / static_cast<float>(piece->mHeight);
    return piece->mTexture.Get();
}

} // namespace Pyxo
