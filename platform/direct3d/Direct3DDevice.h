#pragma once

#include "graphics/raster/SoftwareTriangle.h"
#include "platform/direct3d/Direct3DTypes.h"
#include "platform/directx/ComRef.h"

#include <array>
#include <atomic>
#include <cstdint>
#include <vector>

namespace Platform {

class Direct3D;
class DirectDrawSurface;
struct LineRun;

/// The 3-D device of the Direct3D 7 stand-in: draws pre-transformed, lit vertices into its render target, a
/// DirectDraw stand-in surface, through the software rasterizer (graphics/raster/). The states map onto the
/// rasterizer's converters: stage 0 texture times diffuse (D3DTOP_MODULATE) takes the vertex-colour converters, or
/// the global-colour ones when every diffuse of a primitive is the same colour, or none at all when that colour is
/// opaque white, so that an unshaded texture keeps its exact texels; SRCALPHA/INVSRCALPHA blending is the normal
/// draw mode, SRCALPHA/ONE and ONE/ONE the additive one; a linear minifying or magnifying filter takes the
/// bilinear converters; texture alpha is used when some texel is not opaque. The device adds only what the
/// rasterizer lacks: line strips, Clear, culling, and render targets in formats the rasterizer does not draw,
/// which it draws through an 8888 copy of the part concerned. Drawing is clipped to the viewport and the target.
/// Counted: Release frees it when the last reference goes; it holds references on its Direct3D object, its render
/// target and its texture. Not locked internally: main thread.
class Direct3DDevice {
public:
    Direct3DDevice(const Direct3DDevice&) = delete;
    Direct3DDevice& operator=(const Direct3DDevice&) = delete;

    uint32_t AddRef();
    uint32_t Release();

    /// The emulated card's limits (Direct3DEmulation.h).
    HResult GetCaps(DeviceDesc7* desc);
    /// Calls back once per texture format the card offers, until the callback answers D3DENUMRET_CANCEL.
    HResult EnumTextureFormats(EnumTextureFormatsCallback callback, void* context);
    /// A viewport of positive size; it may reach past the render target, which still bounds every write.
    HResult SetViewport(const Viewport7* viewport);
    /// Fills the rectangles (all of the viewport with count 0), cut to the viewport and the target, with the colour
    /// in the target's format. D3DCLEAR_TARGET only: the device has neither depth nor stencil buffer.
    HResult Clear(uint32_t count, const ClearRect* rects, uint32_t flags, uint32_t color, float z, uint32_t stencil);
    /// A surface with DDSCAPS_3DDEVICE; the viewport stays as it is.
    HResult SetRenderTarget(DirectDrawSurface* target, uint32_t flags);
    HResult BeginScene();
    HResult EndScene();
    /// The states listed in Direct3DTypes.h; other states are refused.
    HResult SetRenderState(uint32_t state, uint32_t value);
    /// Stage 0 only: MODULATE or SELECTARG1 for colour and alpha with their default arguments, any addressing, point
    /// or linear filters.
    HResult SetTextureStageState(uint32_t stage, uint32_t state, uint32_t value);
    /// Stage 0; a surface with DDSCAPS_TEXTURE in an RGB format, or null for none.
    HResult SetTexture(uint32_t stage, DirectDrawSurface* texture);
    /// D3DFVF_TLVERTEX vertices as a triangle list, strip or fan, or a line strip, inside BeginScene / EndScene.
    /// Depth and reciprocal w are ignored. Refused while the target or the texture is locked.
    HResult DrawPrimitive(uint32_t primitiveType, uint32_t vertexFormat, const TLVertex* vertices, uint32_t count,
                          uint32_t flags);

    // Stand-in only: what tests read.
    [[nodiscard]] bool InScene() const { return mInScene; }
    [[nodiscard]] DirectDrawSurface* RenderTarget() const { return mTarget; }
    [[nodiscard]] DirectDrawSurface* Texture() const { return mTexture; }
    [[nodiscard]] const Viewport7& Viewport() const { return mViewport; }
    [[nodiscard]] uint32_t RenderState(uint32_t state) const;
    [[nodiscard]] uint32_t TextureStageState(uint32_t state) const;

private:
    friend class Direct3D;

    Direct3DDevice(Direct3D* direct3D, DirectDrawSurface* target);
    ~Direct3DDevice();

    /// How one primitive is handed to the rasterizer.
    struct Batch {
        const Raster::TriTexture* texture = nullptr;
        uint32_t color = 0xFFFFFFFF;
        Raster::DrawMode mode = Raster::DrawMode::Normal;
        Raster::TriClipRect clip;
        Raster::TriDestination destination;
        bool filter = false;
        bool vertexColours = false;
    };

    /// The viewport cut to the render target.
    [[nodiscard]] Raster::TriClipRect ClipRect() const;
    /// The draw mode of the blend states; false for a combination no converter draws.
    [[nodiscard]] bool BlendMode(Raster::DrawMode& mode) const;
    /// Converts the vertices into mVertices with the diffuse that stage 0 uses; true when all are one colour.
    bool ConvertVertices(const TLVertex* vertices, uint32_t count);
    void DrawTriangles(uint32_t primitiveType, const Raster::TriVertex* vertices, int count, const Batch& batch);
    void DrawCulledTriangles(uint32_t primitiveType, const Raster::TriVertex* vertices, int count, const Batch& batch);
    void DrawLineStrip(const Raster::TriVertex* vertices, int count, const Batch& batch);
    void DrawLineRun(const Raster::TriVertex& from, const Raster::TriVertex& to, const LineRun& run,
                     const Batch& batch);
    /// The bounding box of mVertices, a pixel wider on each side, within the clip.
    [[nodiscard]] Raster::TriClipRect AreaTouched(const Raster::TriClipRect& clip) const;
    /// For targets the rasterizer cannot draw into: the area between the target and the 8888 scratch copy.
    void CopyTargetToScratch(const Raster::TriClipRect& area, bool back);

    std::atomic<uint32_t> mRefCount = 1;
    ComRef<Direct3D> mDirect3D;
    ComRef<DirectDrawSurface> mTarget;
    ComRef<DirectDrawSurface> mTexture; // or null
    Viewport7 mViewport;
    bool mInScene = false;
    std::array<uint32_t, 256> mRenderStates{};
    std::array<uint32_t, 32> mStageStates{};
    std::vector<Raster::TriVertex> mVertices; // the current primitive's vertices, kept to avoid allocating
    std::vector<uint32_t> mScratch;           // 8888 copy of a target the rasterizer cannot draw into
};

} // namespace Platform
