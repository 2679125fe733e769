#include "platform/direct3d/Direct3DDevice.h"

#include "platform/direct3d/Direct3D.h"
#include "platform/direct3d/Direct3DEmulation.h"
#include "platform/direct3d/LineRuns.h"
#include "platform/directdraw/DirectDrawEmulation.h"
#include "platform/directdraw/DirectDrawSurface.h"
#include "platform/directdraw/PixelCodec.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace Platform {
namespace {

// More vertices than this in one call are refused, so that every index fits an int.
constexpr uint32_t kMaxVertices = 1u << 24;

bool RasterFormatOf(const PixelFormat& format, Raster::PixelFormat& raster)
{
    if (format == kFormat8888)
        raster = Raster::PixelFormat::Argb8888;
    else if (format == kFormatX888)
        raster = Raster::PixelFormat::Rgb888;
    else if (format == kFormat565)
        raster = Raster::PixelFormat::Rgb565;
    else if (format == kFormat555)
        raster = Raster::PixelFormat::Rgb555;
    else
        return false;
    return true;
}

bool IsSampledFormat(const PixelFormat& format)
{
    return (format.flags & DDPF_RGB) != 0 && (format.flags & DDPF_PALETTEINDEXED8) == 0 &&
           (format.rgbBitCount == 16 || format.rgbBitCount == 24 || format.rgbBitCount == 32);
}

uint32_t LerpColour(uint32_t from, uint32_t to, float t)
{
    if (from == to)
        return from;
    uint32_t result = 0;
    for (int shift = 0; shift < 32; shift += 8) {
        const float a = static_cast<float>((from >> shift) & 0xFF);
        const float b = static_cast<float>((to >> shift) & 0xFF);
        const float channel = std::clamp(a + (b - a) * t + 0.5f, 0.0f, 255.0f);
        result |= static_cast<uint32_t>(channel) << shift;
    }
    return result;
}

void Rasterize(const Raster::TriVertex* vertices, int count, const Raster::TriClipRect& clip,
               const Raster::TriDestination& destination, const Raster::TriTexture* texture, uint32_t color,
               Raster::DrawMode mode, bool filter, bool vertexColours)
{
    Raster::SoftwareDrawTriangleStrip(vertices, count, texture, color, mode, clip, destination, filter, vertexColours);
}

} // namespace

Direct3DDevice::Direct3DDevice(Direct3D* direct3D, DirectDrawSurface* target)
    : mDirect3D(ComRef<Direct3D>::Share(direct3D)), mTarget(ComRef<DirectDrawSurface>::Share(target))
{
    mViewport.width = static_cast<uint32_t>(target->Width());
    mViewport.height = static_cast<uint32_t>(target->Height());

    // A new device has no depth buffer, culls counter-clockwise triangles, copies its source without blending,
    // and takes stage 0's colour as texture times diffuse and its alpha from the texture.
    mRenderStates[D3DRENDERSTATE_ZENABLE] = 0;
    mRenderStates[D3DRENDERSTATE_ZWRITEENABLE] = 1;
    mRenderStates[D3DRENDERSTATE_SRCBLEND] = D3DBLEND_ONE;
    mRenderStates[D3DRENDERSTATE_DESTBLEND] = D3DBLEND_ZERO;
    mRenderStates[D3DRENDERSTATE_CULLMODE] = D3DCULL_CCW;
    mRenderStates[D3DRENDERSTATE_LIGHTING] = 1;
    mStageStates[D3DTSS_COLOROP] = D3DTOP_MODULATE;
    mStageStates[D3DTSS_COLORARG1] = D3DTA_TEXTURE;
    mStageStates[D3DTSS_COLORARG2] = D3DTA_CURRENT;
    mStageStates[D3DTSS_ALPHAOP] = D3DTOP_SELECTARG1;
    mStageStates[D3DTSS_ALPHAARG1] = D3DTA_TEXTURE;
    mStageStates[D3DTSS_ALPHAARG2] = D3DTA_CURRENT;
    mStageStates[D3DTSS_ADDRESSU] = D3DTADDRESS_WRAP;
    mStageStates[D3DTSS_ADDRESSV] = D3DTADDRESS_WRAP;
    mStageStates[D3DTSS_MAGFILTER] = D3DTFG_POINT;
    mStageStates[D3DTSS_MINFILTER] = D3DTFN_POINT;
    mStageStates[D3DTSS_MIPFILTER] = D3DTFP_NONE;
    CountDirect3DDevice(1);
}

Direct3DDevice::~Direct3DDevice()
{
    CountDirect3DDevice(-1);
}

uint32_t Direct3DDevice::AddRef()
{
    return ++mRefCount;
}

uint32_t Direct3DDevice::Release()
{
    const uint32_t left = --mRefCount;
    if (left == 0)
        delete this;
    return left;
}

uint32_t Direct3DDevice::RenderState(uint32_t state) const
{
    return state < mRenderStates.size() ? mRenderStates[state] : 0;
}

uint32_t Direct3DDevice::TextureStageState(uint32_t state) const
{
    return state < mStageStates.size() ? mStageStates[state] : 0;
}

HResult Direct3DDevice::GetCaps(DeviceDesc7* desc)
{
    if (const HResult injected = TakeInjectedFailure(DirectDrawCall::GetCaps); Failed(injected))
        return injected;
    if (!desc)
        return DDERR_INVALIDPARAMS;
    *desc = EmulatedDeviceCaps();
    return D3D_OK;
}

HResult Direct3DDevice::EnumTextureFormats(EnumTextureFormatsCallback callback, void* context)
{
    if (const HResult injected = TakeInjectedFailure(DirectDrawCall::EnumTextureFormats); Failed(injected))
        return injected;
    if (!callback)
        return DDERR_INVALIDPARAMS;
    for (PixelFormat format : EmulatedTextureFormats()) {
        if (callback(&format, context) == D3DENUMRET_CANCEL)
            break;
    }
    return D3D_OK;
}

HResult Direct3DDevice::SetViewport(const Viewport7* viewport)
{
    if (const HResult injected = TakeInjectedFailure(DirectDrawCall::SetViewport); Failed(injected))
        return injected;
    if (!viewport || viewport->width == 0 || viewport->height == 0)
        return DDERR_INVALIDPARAMS;
    mViewport = *viewport;
    return D3D_OK;
}

Raster::TriClipRect Direct3DDevice::ClipRect() const
{
    const int64_t left = std::min<int64_t>(mViewport.x, mTarget->Width());
    const int64_t top = std::min<int64_t>(mViewport.y, mTarget->Height());
    const int64_t right = std::min<int64_t>(int64_t{mViewport.x} + mViewport.width, mTarget->Width());
    const int64_t bottom = std::min<int64_t>(int64_t{mViewport.y} + mViewport.height, mTarget->Height());
    return {static_cast<int32_t>(left), static_cast<int32_t>(top),
            static_cast<int32_t>(std::max<int64_t>(right - left, 0)),
            static_cast<int32_t>(std::max<int64_t>(bottom - top, 0))};
}

HResult Direct3DDevice::Clear(uint32_t count, const ClearRect* rects, uint32_t flags, uint32_t color, float /*z*/,
                              uint32_t /*stencil*/)
{
    if (const HResult injected = TakeInjectedFailure(DirectDrawCall::Clear); Failed(injected))
        return injected;
    if (flags & D3DCLEAR_ZBUFFER)
        return D3DERR_ZBUFFER_NOTPRESENT;
    if (flags & D3DCLEAR_STENCIL)
        return D3DERR_STENCILBUFFER_NOTPRESENT;
    if (count > 0 && !rects)
        return DDERR_INVALIDPARAMS;
    if ((flags & D3DCLEAR_TARGET) == 0)
        return D3D_OK;
    if (mTarget->LockCount() > 0)
        return DDERR_SURFACEBUSY;

    const Raster::TriClipRect clip = ClipRect();
    const PixelCodec codec(mTarget->Format());
    const int bytes = codec.BytesPerPixel();
    const uint32_t value = codec.FromArgb(color);
    uint8_t* top = mTarget->DrawingTopRow();
    const int32_t pitch = mTarget->Pitch();
    const auto fill = [&](int64_t left, int64_t upper, int64_t right, int64_t lower) {
        left = std::max<int64_t>(left, clip.x);
        upper = std::max<int64_t>(upper, clip.y);
        right = std::min<int64_t>(right, int64_t{clip.x} + clip.width);
        lower = std::min<int64_t>(lower, int64_t{clip.y} + clip.height);
        for (int64_t y = upper; y < lower; ++y) {
            uint8_t* pixel = top + y * pitch + left * bytes;
            for (int64_t x = left; x < right; ++x, pixel += bytes)
                PixelCodec::Write(pixel, bytes, value);
        }
    };
    if (count == 0) {
        fill(clip.x, clip.y, int64_t{clip.x} + clip.width, int64_t{clip.y} + clip.height);
    } else {
        for (uint32_t i = 0; i < count; ++i)
            fill(rects[i].x1, rects[i].y1, rects[i].x2, rects[i].y2);
    }
    mTarget->NoteDrawn();
    return D3D_OK;
}

HResult Direct3DDevice::SetRenderTarget(DirectDrawSurface* target, uint32_t /*flags*/)
{
    if (const HResult injected = TakeInjectedFailure(DirectDrawCall::SetRenderTarget); Failed(injected))
        return injected;
    if (!target)
        return DDERR_INVALIDPARAMS;
    if ((target->Caps() & DDSCAPS_3DDEVICE) == 0)
        return DDERR_INVALIDCAPS;
    mTarget = ComRef<DirectDrawSurface>::Share(target);
    return D3D_OK;
}

HResult Direct3DDevice::BeginScene()
{
    if (const HResult injected = TakeInjectedFailure(DirectDrawCall::BeginScene); Failed(injected))
        return injected;
    if (mInScene)
        return D3DERR_SCENE_IN_SCENE;
    mInScene = true;
    return D3D_OK;
}

HResult Direct3DDevice::EndScene()
{
    if (const HResult injected = TakeInjectedFailure(DirectDrawCall::EndScene); Failed(injected))
        return injected;
    if (!mInScene)
        return D3DERR_SCENE_NOT_IN_SCENE;
    mInScene = false;
    return D3D_OK;
}

HResult Direct3DDevice::SetRenderState(uint32_t state, uint32_t value)
{
    if (RecordingDeviceCalls())
        RecordDeviceCall({RecordedDeviceCall::Kind::SetRenderState, state, value, nullptr, 0, {}});
    if (const HResult injected = TakeInjectedFailure(DirectDrawCall::SetRenderState); Failed(injected))
        return injected;
    switch (state) {
    case D3DRENDERSTATE_ZENABLE:
    case D3DRENDERSTATE_ZWRITEENABLE:
    case D3DRENDERSTATE_DITHERENABLE:
    case D3DRENDERSTATE_ALPHABLENDENABLE:
    case D3DRENDERSTATE_SPECULARENABLE:
    case D3DRENDERSTATE_LIGHTING:
        break;
    case D3DRENDERSTATE_SRCBLEND:
    case D3DRENDERSTATE_DESTBLEND:
        if (value < D3DBLEND_ZERO || value > 13)
            return DDERR_INVALIDPARAMS;
        break;
    case D3DRENDERSTATE_CULLMODE:
        if (value < D3DCULL_NONE || value > D3DCULL_CCW)
            return DDERR_INVALIDPARAMS;
        break;
    default:
        return DDERR_INVALIDPARAMS;
    }
    mRenderStates[state] = value;
    return D3D_OK;
}

HResult Direct3DDevice::SetTextureStageState(uint32_t stage, uint32_t state, uint32_t value)
{
    if (RecordingDeviceCalls())
        RecordDeviceCall({RecordedDeviceCall::Kind::SetTextureStageState, state, value, nullptr, 0, {}});
    if (const HResult injected = TakeInjectedFailure(DirectDrawCall::SetTextureStageState); Failed(injected))
        return injected;
    if (stage != 0)
        return DDERR_INVALIDPARAMS;
    switch (state) {
    case D3DTSS_COLOROP:
        if (value != D3DTOP_MODULATE && value != D3DTOP_SELECTARG1)
            return D3DERR_UNSUPPORTEDCOLOROPERATION;
        break;
    case D3DTSS_ALPHAOP:
        if (value != D3DTOP_MODULATE && value != D3DTOP_SELECTARG1)
            return D3DERR_UNSUPPORTEDALPHAOPERATION;
        break;
    case D3DTSS_COLORARG1:
    case D3DTSS_ALPHAARG1:
        if (value != D3DTA_TEXTURE)
            return state == D3DTSS_COLORARG1 ? D3DERR_UNSUPPORTEDCOLORARG : D3DERR_UNSUPPORTEDALPHAARG;
        break;
    case D3DTSS_COLORARG2:
    case D3DTSS_ALPHAARG2:
        if (value != D3DTA_CURRENT && value != D3DTA_DIFFUSE)
            return state == D3DTSS_COLORARG2 ? D3DERR_UNSUPPORTEDCOLORARG : D3DERR_UNSUPPORTEDALPHAARG;
        break;
    case D3DTSS_ADDRESSU:
    case D3DTSS_ADDRESSV:
        if (value < D3DTADDRESS_WRAP || value > D3DTADDRESS_CLAMP)
            return DDERR_INVALIDPARAMS;
        break;
    case D3DTSS_MAGFILTER:
    case D3DTSS_MINFILTER:
        if (value != D3DTFG_POINT && value != D3DTFG_LINEAR)
            return D3DERR_UNSUPPORTEDTEXTUREFILTER;
        break;
    case D3DTSS_MIPFILTER:
        if (value < D3DTFP_NONE || value > D3DTFP_LINEAR)
            return D3DERR_UNSUPPORTEDTEXTUREFILTER;
        break;
    default:
        return DDERR_INVALIDPARAMS;
    }
    mStageStates[state] = value;
    return D3D_OK;
}

HResult Direct3DDevice::SetTexture(uint32_t stage, DirectDrawSurface* texture)
{
    if (RecordingDeviceCalls())
        RecordDeviceCall({RecordedDeviceCall::Kind::SetTexture, 0, 0, texture, 0, {}});
    if (const HResult injected = TakeInjectedFailure(DirectDrawCall::SetTexture); Failed(injected))
        return injected;
    if (stage != 0)
        return DDERR_INVALIDPARAMS;
    if (texture) {
        if ((texture->Caps() & DDSCAPS_TEXTURE) == 0)
            return DDERR_INVALIDCAPS;
        if (!IsSampledFormat(texture->Format()))
            return D3DERR_TEXTURE_NO_SUPPORT;
    }
    mTexture = ComRef<DirectDrawSurface>::Share(texture);
    return D3D_OK;
}

bool Direct3DDevice::BlendMode(Raster::DrawMode& mode) const
{
    // Without blending the source is copied, which is the normal mode for every opaque source.
    if (mRenderStates[D3DRENDERSTATE_ALPHABLENDENABLE] == 0) {
        mode = Raster::DrawMode::Normal;
        return true;
    }
    const uint32_t source = mRenderStates[D3DRENDERSTATE_SRCBLEND];
    const uint32_t dest = mRenderStates[D3DRENDERSTATE_DESTBLEND];
    if (source == D3DBLEND_SRCALPHA && dest == D3DBLEND_INVSRCALPHA) {
        mode = Raster::DrawMode::Normal;
        return true;
    }
    if ((source == D3DBLEND_SRCALPHA || source == D3DBLEND_ONE) && dest == D3DBLEND_ONE) {
        mode = Raster::DrawMode::Additive;
        return true;
    }
    return false;
}

bool Direct3DDevice::ConvertVertices(const TLVertex* vertices, uint32_t count)
{
    // SELECTARG1 takes the texture's own colour or alpha: the diffuse then multiplies by white or opaque.
    const bool textured = mTexture != nullptr;
    uint32_t forced = 0;
    if (textured && mStageStates[D3DTSS_COLOROP] == D3DTOP_SELECTARG1)
        forced |= 0x00FFFFFFu;
    if (textured && mStageStates[D3DTSS_ALPHAOP] == D3DTOP_SELECTARG1)
        forced |= 0xFF000000u;
    mVertices.resize(count);
    const uint32_t first = vertices[0].color | forced;
    bool uniform = true;
    for (uint32_t i = 0; i < count; ++i) {
        const TLVertex& in = vertices[i];
        const uint32_t color = in.color | forced;
        mVertices[i] = Raster::TriVertex{in.sx, in.sy, in.tu, in.tv, color};
        uniform = uniform && color == first;
    }
    return uniform;
}

void Direct3DDevice::DrawTriangles(uint32_t primitiveType, const Raster::TriVertex* vertices, int count,
                                   const Batch& batch)
{
    const auto draw = [&](const Raster::TriVertex* strip, int length) {
        Rasterize(strip, length, batch.clip, batch.destination, batch.texture, batch.color, batch.mode, batch.filter,
                  batch.vertexColours);
    };
    switch (primitiveType) {
    case D3DPT_TRIANGLESTRIP:
        // The rasterizer's strip order, (0, 1, 2), (1, 3, 2), (2, 3, 4), ..., is the device's.
        draw(vertices, count);
        break;
    case D3DPT_TRIANGLEFAN:
        // Fan triangles (0, k, k + 1) and (0, k + 1, k + 2) are the strip k, 0, k + 1, k + 2: a fan of four, as
        // clipped quads come, is one strip, which the rasterizer fills as a pair.
        for (int k = 1; k + 1 < count; k += 2) {
            if (k + 2 < count) {
                const Raster::TriVertex quad[4] = {vertices[k], vertices[0], vertices[k + 1], vertices[k + 2]};
                draw(quad, 4);
            } else {
                const Raster::TriVertex triangle[3] = {vertices[0], vertices[k], vertices[k + 1]};
                draw(triangle, 3);
            }
        }
        break;
    default: // D3DPT_TRIANGLELIST; spare vertices after the last whole triangle are ignored
        for (int k = 0; k + 2 < count; k += 3)
            draw(vertices + k, 3);
        break;
    }
}

void Direct3DDevice::DrawCulledTriangles(uint32_t primitiveType, const Raster::TriVertex* vertices, int count,
                                         const Batch& batch)
{
    const uint32_t cull = mRenderStates[D3DRENDERSTATE_CULLMODE];
    // Triangles keep the winding their vertices are given in; with y growing downwards a positive cross product
    // runs clockwise on screen.
    const auto drawUnlessCulled = [&](const Raster::TriVertex& a, const Raster::TriVertex& b,
                                      const Raster::TriVertex& c) {
        const double cross = (double{b.x} - a.x) * (double{c.y} - a.y) - (double{b.y} - a.y) * (double{c.x} - a.x);
        if ((cull == D3DCULL_CW && cross > 0) || (cull == D3DCULL_CCW && cross < 0))
            return;
        const Raster::TriVertex triangle[3] = {a, b, c};
        Rasterize(triangle, 3, batch.clip, batch.destination, batch.texture, batch.color, batch.mode, batch.filter,
                  batch.vertexColours);
    };
    switch (primitiveType) {
    case D3DPT_TRIANGLESTRIP:
        for (int j = 0; j + 2 < count; ++j) {
            if (j % 2 == 0)
                drawUnlessCulled(vertices[j], vertices[j + 1], vertices[j + 2]);
            else
                drawUnlessCulled(vertices[j + 1], vertices[j], vertices[j + 2]);
        }
        break;
    case D3DPT_TRIANGLEFAN:
        for (int j = 1; j + 1 < count; ++j)
            drawUnlessCulled(vertices[0], vertices[j], vertices[j + 1]);
        break;
    default:
        for (int k = 0; k + 2 < count; k += 3)
            drawUnlessCulled(vertices[k], vertices[k + 1], vertices[k + 2]);
        break;
    }
}

void Direct3DDevice::DrawLineRun(const Raster::TriVertex& from, const Raster::TriVertex& to, const LineRun& run,
                                 const Batch& batch)
{
    // The run's pixels as a quad from edge to edge, its attributes taken where the line crosses those edges, so
    // that the rasterizer's interpolation gives each pixel the line's value at the pixel's centre.
    const auto at = [&](float t) {
        Raster::TriVertex vertex;
        vertex.u = from.u + (to.u - from.u) * t;
        vertex.v = from.v + (to.v - from.v) * t;
        vertex.color = LerpColour(from.color, to.color, t);
        return vertex;
    };
    const Raster::TriVertex start = at(run.tFirst);
    const Raster::TriVertex end = at(run.tLast);
    const auto corner = [](Raster::TriVertex vertex, float major, float minor, bool xMajor) {
        vertex.x = xMajor ? major : minor;
        vertex.y = xMajor ? minor : major;
        return vertex;
    };
    const float low = static_cast<float>(run.first) - 0.5f;
    const float high = static_cast<float>(run.last) + 0.5f;
    const float inner = static_cast<float>(run.minor) - 0.5f;
    const float outer = static_cast<float>(run.minor) + 0.5f;
    // Top-left, top-right, bottom-left, bottom-right: the rasterizer's quad order.
    const Raster::TriVertex quad[4] = {
        corner(start, low, inner, run.xMajor),
        run.xMajor ? corner(end, high, inner, true) : corner(start, low, outer, false),
        run.xMajor ? corner(start, low, outer, true) : corner(end, high, inner, false),
        corner(end, high, outer, run.xMajor),
    };
    Rasterize(quad, 4, batch.clip, batch.destination, batch.texture, batch.color, batch.mode, batch.filter,
              batch.vertexColours);
}

void Direct3DDevice::DrawLineStrip(const Raster::TriVertex* vertices, int count, const Batch& batch)
{
    const Raster::TriClipRect& clip = batch.clip;
    for (int i = 0; i + 1 < count; ++i) {
        const Raster::TriVertex& from = vertices[i];
        const Raster::TriVertex& to = vertices[i + 1];
        ForEachLineRun(from.x, from.y, to.x, to.y, clip.x, clip.y, clip.x + clip.width, clip.y + clip.height,
                       [&](const LineRun& run) { DrawLineRun(from, to, run, batch); });
    }
}

Raster::TriClipRect Direct3DDevice::AreaTouched(const Raster::TriClipRect& clip) const
{
    double left = std::numeric_limits<double>::infinity();
    double top = left;
    double right = -left;
    double bottom = -left;
    for (const Raster::TriVertex& vertex : mVertices) {
        if (!std::isfinite(vertex.x) || !std::isfinite(vertex.y))
            continue;
        left = std::min<double>(left, vertex.x);
        right = std::max<double>(right, vertex.x);
        top = std::min<double>(top, vertex.y);
        bottom = std::max<double>(bottom, vertex.y);
    }
    if (left > right)
        return {};
    const auto within = [](double value, int32_t low, int32_t high) {
        return static_cast<int32_t>(std::clamp(value, static_cast<double>(low), static_cast<double>(high)));
    };
    const int32_t clipRight = clip.x + clip.width;
    const int32_t clipBottom = clip.y + clip.height;
    const int32_t x0 = within(std::floor(left) - 1, clip.x, clipRight);
    const int32_t y0 = within(std::floor(top) - 1, clip.y, clipBottom);
    const int32_t x1 = within(std::ceil(right) + 2, clip.x, clipRight);
    const int32_t y1 = within(std::ceil(bottom) + 2, clip.y, clipBottom);
    return {x0, y0, std::max(x1 - x0, 0), std::max(y1 - y0, 0)};
}

void Direct3DDevice::CopyTargetToScratch(const Raster::TriClipRect& area, bool back)
{
    const PixelCodec codec(mTarget->Format());
    const int bytes = codec.BytesPerPixel();
    const auto width = static_cast<size_t>(mTarget->Width());
    uint8_t* top = mTarget->DrawingTopRow();
    const int32_t pitch = mTarget->Pitch();
    for (int32_t y = area.y; y < area.y + area.height; ++y) {
        uint8_t* pixel = top + static_cast<ptrdiff_t>(y) * pitch + static_cast<ptrdiff_t>(area.x) * bytes;
        uint32_t* copy = mScratch.data() + static_cast<size_t>(y) * width + static_cast<size_t>(area.x);
        for (int32_t x = 0; x < area.width; ++x, pixel += bytes) {
            if (back)
                PixelCodec::Write(pixel, bytes, codec.FromArgb(copy[x]));
            else
                copy[x] = codec.ToArgb(PixelCodec::Read(pixel, bytes));
        }
    }
}

HResult Direct3DDevice::DrawPrimitive(uint32_t primitiveType, uint32_t vertexFormat, const TLVertex* vertices,
                                      uint32_t count, uint32_t /*flags*/)
{
    if (RecordingDeviceCalls()) {
        RecordedDeviceCall call{RecordedDeviceCall::Kind::DrawPrimitive, 0, 0, nullptr, primitiveType, {}};
        if (vertices && count <= kMaxVertices)
            call.vertices.assign(vertices, vertices + count);
        RecordDeviceCall(std::move(call));
    }
    if (const HResult injected = TakeInjectedFailure(DirectDrawCall::DrawPrimitive); Failed(injected))
        return injected;
    if (!mInScene)
        return D3DERR_SCENE_NOT_IN_SCENE;
    if (vertexFormat != D3DFVF_TLVERTEX)
        return D3DERR_INVALIDVERTEXTYPE;
    if (primitiveType != D3DPT_LINESTRIP && primitiveType != D3DPT_TRIANGLELIST &&
        primitiveType != D3DPT_TRIANGLESTRIP && primitiveType != D3DPT_TRIANGLEFAN)
        return D3DERR_INVALIDPRIMITIVETYPE;
    if ((count > 0 && !vertices) || count > kMaxVertices)
        return DDERR_INVALIDPARAMS;
    Batch batch;
    if (!BlendMode(batch.mode))
        return D3DERR_UNSUPPORTEDFACTORVALUE;
    if (mTarget->LockCount() > 0 || (mTexture && mTexture->LockCount() > 0))
        return DDERR_SURFACEBUSY;
    if (count < (primitiveType == D3DPT_LINESTRIP ? 2u : 3u))
        return D3D_OK;
    const Raster::TriClipRect clip = ClipRect();
    if (clip.width <= 0 || clip.height <= 0)
        return D3D_OK;

    Raster::TriTexture texture;
    if (mTexture) {
        const TexelView& view = mTexture->Texels();
        if (!view.texels)
            return D3D_OK;
        texture = {view.texels, view.width, view.height, view.pitch, view.hasAlpha, view.hasTransparency};
        batch.texture = &texture;
        const uint32_t magnify = mStageStates[D3DTSS_MAGFILTER];
        const uint32_t minify = mStageStates[D3DTSS_MINFILTER];
        batch.filter = magnify == D3DTFG_LINEAR || minify == D3DTFN_LINEAR;
    }
    // One colour for the whole primitive multiplies as the global colour, which gives the vertex-colour
    // converters' pixels at less cost; opaque white then multiplies by nothing.
    const bool uniform = ConvertVertices(vertices, count);
    if (batch.texture && uniform) {
        batch.color = mVertices[0].color;
        batch.vertexColours = false;
    } else {
        batch.color = 0xFFFFFFFF;
        batch.vertexColours = true;
    }

    const PixelFormat& format = mTarget->Format();
    Raster::PixelFormat rasterFormat = Raster::PixelFormat::Argb8888;
    const int bytes = static_cast<int>(format.rgbBitCount / 8);
    const bool direct = RasterFormatOf(format, rasterFormat) && bytes > 0 && mTarget->Pitch() % bytes == 0;
    Raster::TriClipRect area = clip;
    if (direct) {
        batch.destination = {mTarget->DrawingTopRow(), mTarget->Width(), mTarget->Height(), mTarget->Pitch(),
                             rasterFormat};
    } else {
        area = AreaTouched(clip);
        if (area.width <= 0 || area.height <= 0)
            return D3D_OK;
        mScratch.resize(static_cast<size_t>(mTarget->Width()) * static_cast<size_t>(mTarget->Height()));
        CopyTargetToScratch(area, false);
        const bool alpha = (format.flags & DDPF_ALPHAPIXELS) != 0 && format.alphaMask != 0;
        batch.destination = {mScratch.data(), mTarget->Width(), mTarget->Height(), mTarget->Width() * 4,
                             alpha ? Raster::PixelFormat::Argb8888 : Raster::PixelFormat::Rgb888};
    }
    batch.clip = area;

    const auto length = static_cast<int>(count);
    if (primitiveType == D3DPT_LINESTRIP)
        DrawLineStrip(mVertices.data(), length, batch);
    else if (mRenderStates[D3DRENDERSTATE_CULLMODE] != D3DCULL_NONE)
        DrawCulledTriangles(primitiveType, mVertices.data(), length, batch);
    else
        DrawTriangles(primitiveType, mVertices.data(), length, batch);

    if (!direct)
        CopyTargetToScratch(area, true);
    mTarget->NoteDrawn();
    return D3D_OK;
}

} // namespace Platform
