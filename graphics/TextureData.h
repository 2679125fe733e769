#pragma once

#include "platform/directdraw/DirectDrawSurface.h"
#include "platform/directx/ComRef.h"

#include <cstdint>
#include <vector>

namespace Pyxo {

class MemoryImage;

/// Texture formats of the 3-D path, one bit each: the bit set of the device's formats and the format of a set.
inline constexpr int kTextureFormatNone = 0; // none yet, or creation failed
inline constexpr int kTextureFormatA8R8G8B8 = 1;
inline constexpr int kTextureFormatA4R4G4B4 = 2;
inline constexpr int kTextureFormatR5G6B5 = 4;
inline constexpr int kTextureFormatPalettized = 8;

/// Image 3-D flags that steer the texture choice.
inline constexpr int kD3DImageFlagPowerOfTwo = 1; // whole powers of two, no subdivision table
inline constexpr int kD3DImageFlagTile64 = 2;     // always 64 x 64 pieces
inline constexpr int kD3DImageFlagPrefer4444 = 4; // A4R4G4B4 rather than A8R8G8B8
inline constexpr int kD3DImageFlagNo565 = 8;      // never R5G6B5

/// One texture of an image's set: its surface (null until made) and its size.
struct TexturePiece {
    Platform::ComRef<Platform::DirectDrawSurface> mTexture;
    int mWidth = 0;
    int mHeight = 0;
};

/// The textures of one image: the image cut into pieces no larger than the device allows, row-major, pieces
/// across times pieces down. Owned by its image (MemoryImage::mD3DData); made, refilled and deleted by the
/// D3DInterface. Main thread.
class TextureData {
public:
    TextureData() = default;
    ~TextureData();
    TextureData(const TextureData&) = delete;
    TextureData& operator=(const TextureData&) = delete;

    /// Releases every piece's surface and resets the texture memory.
    void ReleaseTextures();
    /// The piece layout for an image of width x height (D3DInterface::GetTextureSize sizes the pieces); the pieces
    /// have no surfaces yet.
    void CreateTextureDimensions(int width, int height);
    /// The piece holding image point (x, y): its surface, and, for the part of width x height from there that lies
    /// in the piece, the part's size (written back) and its texture coordinates. Null outside the image.
    Platform::DirectDrawSurface* GetTexture(int x, int y, int& width, int& height, float& u1, float& v1, float& u2,
                                            float& v2) const;
    /// The piece at column, row of the layout; null outside it.
    [[nodiscard]] const TexturePiece* PieceAt(int column, int row) const;

    std::vector<TexturePiece> mTextures;
    int mWidth = 0; // the image's size when the textures were made
    int mHeight = 0;
    int mTexVecWidth = 0;    // pieces across
    int mTexVecHeight = 0;   // pieces down
    int mTexPieceWidth = 64; // an ordinary piece
    int mTexPieceHeight = 64;
    int mBitsChangedCount = 0; // the image's change count when the textures were filled
    int64_t mTexMemSize = 0;   // bytes of every piece
    float mMaxTotalU = 0;      // image width / piece width
    float mMaxTotalV = 0;
    int mPixelFormat = kTextureFormatNone;
    int mImageFlags = 0; // the image's 3-D flags when the textures were made
};

} // namespace Pyxo
