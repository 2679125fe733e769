#include "graphics/D3DTester.h"

#include "graphics/D3DInterface.h"
#include "graphics/DirectXErrors.h"
#include "graphics/TextureData.h"
#include "platform/direct3d/Direct3D.h"
#include "platform/direct3d/Direct3DDevice.h"
#include "platform/directdraw/DirectDraw.h"
#include "platform/directdraw/DirectDrawEmulation.h"
#include "platform/directdraw/DirectDrawSurface.h"
#include "platform/files/FileSystem.h"
#include "platform/process/StandInLibrary.h"
#include "shell/StrFormat.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cctype>
#include <cstdio>
#include <cstring>

namespace Pyxo {

namespace {

constexpr int kFarDistance = 768;
constexpr int kTextureSide = 64;
constexpr int kRenderSide = 100;
// A card list's lines are read in pieces of at most this many bytes, the terminating zero included.
constexpr int kListLineLimit = 4000;
// Makers whose cards carry 3-D whatever their driver's date; matched against the adapter description only.
constexpr std::array<const char*, 3> kKnownMakers = {"nvidia", "radeon", "ati "};

int Channel(uint32_t color, int shift)
{
    return static_cast<int>((color >> shift) & 0xFF);
}

} // namespace

void D3DTestImage::Create(int width, int height)
{
    mBits.reset();
    mWidth = 0;
    mHeight = 0;
    if (width <= 0 || height <= 0)
        return;
    mBits = std::make_unique<uint32_t[]>(size_t(width) * size_t(height));
    mWidth = width;
    mHeight = height;
}

void D3DTestImage::FillRect(int x, int y, int width, int height, uint32_t color)
{
    const int left = std::max(x, 0);
    const int top = std::max(y, 0);
    const int right = std::min(x + width, mWidth);
    const int bottom = std::min(y + height, mHeight);
    for (int row = top; row < bottom; ++row)
        std::fill(mBits.get() + size_t(row) * size_t(mWidth) + size_t(left),
                  mBits.get() + size_t(row) * size_t(mWidth) + size_t(right), color);
}

void D3DTestImage::FillStripes()
{
    for (int x = 0; x < mWidth; ++x)
        FillRect(x, 0, 1, mHeight, (x & 1) ? 0xFFFFFFFF : 0xFF000000);
}

int D3DTestImage::ColorDistance(uint32_t a, uint32_t b)
{
    int sum = 0;
    for (int shift : {16, 8, 0}) {
        const int delta = Channel(a, shift) - Channel(b, shift);
        sum += delta * delta;
    }
    return sum;
}

bool D3DTestImage::CheckUniform(uint32_t expected, int& farCount, int width, int height) const
{
    farCount = 0;
    width = std::min(width, mWidth);
    height = std::min(height, mHeight);
    if (width <= 0 || height <= 0)
        return true;
    bool uniform = true;
    const uint32_t first = mBits[0];
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const uint32_t pixel = mBits[size_t(y) * size_t(mWidth) + size_t(x)];
            uniform = uniform && pixel == first;
            if (ColorDistance(pixel, expected) > kFarDistance)
                ++farCount;
        }
    }
    return uniform;
}

int D3DTestImage::CountStripeErrors(int width, int height, int x, int y) const
{
    int errors = 0;
    for (int row = 0; row < height; ++row) {
        for (int column = 0; column < width; ++column) {
            const int px = x + column;
            const int py = y + row;
            if (px < 0 || py < 0 || px >= mWidth || py >= mHeight)
                continue;
            const uint32_t stripe = (column & 1) ? 0xFFFFFF : 0x000000;
            if (ColorDistance(mBits[size_t(py) * size_t(mWidth) + size_t(px)], stripe) > kFarDistance)
                ++errors;
        }
    }
    return errors;
}

namespace {

std::string Lower(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

std::string Trimmed(const char* line)
{
    std::string text(line);
    const auto blank = [](unsigned char c) { return std::isspace(c) != 0; };
    const auto first = std::find_if_not(text.begin(), text.end(), blank);
    const auto last = std::find_if_not(text.rbegin(), text.rend(), blank).base();
    return first < last ? std::string(first, last) : std::string();
}

enum class ListAnswer { NoList, Matched, NotMatched };

/// Whether a line of the card list occurs in the (lower-case) description.
ListAnswer MatchCardList(const char* name, const std::string& description)
{
    FILE* file = Platform::OpenFile(name, "r");
    if (file == nullptr)
        return ListAnswer::NoList;
    ListAnswer answer = ListAnswer::NotMatched;
    char line[kListLineLimit];
    while (std::fgets(line, sizeof line, file) != nullptr) {
        const std::string wanted = Lower(Trimmed(line));
        if (!wanted.empty() && description.find(wanted) != std::string::npos) {
            answer = ListAnswer::Matched;
            break;
        }
    }
    std::fclose(file);
    return answer;
}

/// Throws the test's exception for a failing call: "DXError - label: error name".
void Check(Platform::HResult result, const char* label)
{
    if (Platform::Failed(result))
        throw D3DTester::TestException(std::string("DXError - ") + label + ": " + GetDirectXErrorString(result));
}

template <class T>
void ReleaseObject(T*& object)
{
    if (object != nullptr) {
        object->Release();
        object = nullptr;
    }
}

Platform::HResult CollectFormats(Platform::PixelFormat* format, void* context)
{
    if (format != nullptr)
        *static_cast<int*>(context) |= D3DInterface::ClassifyTextureFormat(*format);
    return Platform::D3DENUMRET_OK;
}

/// The channel under the mask, moved so that the mask's highest bit lands on bit `top`.
uint32_t MaskedChannel(uint32_t pixel, uint32_t mask, int top)
{
    if (mask == 0)
        return 0;
    const int highest = 31 - std::countl_zero(mask);
    const uint32_t value = pixel & mask;
    return highest > top ? value >> (highest - top) : value << (top - highest);
}

/// The identity of the adapter through the Direct3D 8 interface, when that library exists. None of our stand-ins
/// offers it, so the probe finds nothing and DirectDraw names the adapter.
bool IdentifyThroughDirect3D8()
{
    Platform::HMODULE library = Platform::LoadLibraryA("d3d8.dll");
    if (library == nullptr)
        return false;
    Platform::FreeLibrary(library);
    return false;
}

} // namespace

/// One frame of the test: the states it sets and the images it draws.
struct D3DTester::BlendScene {
    struct State {
        uint32_t state;
        uint32_t value;
        const char* label;
    };
    struct Draw {
        uint32_t fill; // 0: the stripes
        int x, y;
        uint32_t color;
    };
    std::array<State, 4> states;
    bool modulateAlpha;
    std::array<Draw, 2> draws;
    int drawCount;
};

namespace {

constexpr uint32_t kAlphaBlendEnable = Platform::D3DRENDERSTATE_ALPHABLENDENABLE;
constexpr uint32_t kSrcBlend = Platform::D3DRENDERSTATE_SRCBLEND;
constexpr uint32_t kDestBlend = Platform::D3DRENDERSTATE_DESTBLEND;
constexpr uint32_t kCullMode = Platform::D3DRENDERSTATE_CULLMODE;

} // namespace

D3DTester::D3DTester() = default;

D3DTester::~D3DTester()
{
    ReleaseAll();
}

void D3DTester::SetVideoMemoryLimits(uint32_t minimumMB, uint32_t recommendedMB)
{
    mMinVidMemory = minimumMB;
    mRecommendedVidMemory = recommendedMB;
}

void D3DTester::ReleaseAll()
{
    ReleaseObject(mDD);
    ReleaseObject(mD3D);
    ReleaseObject(mD3DDevice);
    ReleaseObject(mRenderSurface);
    ReleaseObject(mTextureSurface1);
    ReleaseObject(mTextureSurface2);
}

void D3DTester::Test(Platform::WindowHandle window, Platform::DirectDraw* directDraw)
{
    if (TestD3D(window, directDraw) && TestAlphaBlend() && TestAdditiveBlend() && TestAlphaAddBlend() &&
        TestAlphaModulate())
        TestClipping();
    ReleaseAll();
}

bool D3DTester::TestD3D(Platform::WindowHandle window, Platform::DirectDraw* directDraw)
{
    ReleaseAll();
    mDriverYear = 0;
    try {
        if (directDraw != nullptr) {
            directDraw->AddRef();
            mDD = directDraw;
        } else {
            Platform::HMODULE ddraw = Platform::LoadLibraryA("ddraw.dll");
            const auto create =
                reinterpret_cast<Platform::DirectDrawCreateProc>(Platform::GetProcAddress(ddraw, "DirectDrawCreateEx"));
            if (create == nullptr) {
                if (ddraw != nullptr)
                    Platform::FreeLibrary(ddraw);
                mFailureReason = "No DirectDrawCreateEx";
                return false;
            }
            const Platform::HResult created = create(nullptr, &mDD, nullptr);
            Platform::FreeLibrary(ddraw);
            Check(created, "DirectDrawCreateEx");
        }

        if (!IdentifyThroughDirect3D8()) {
            Platform::DeviceIdentifier identifier;
            Check(mDD->GetDeviceIdentifier(&identifier, 0), "GetDeviceIdentifier");
            mDisplayGuid = identifier.deviceIdentifier;
            mDriver = identifier.driver;
            mDescription = identifier.description;
        }

        // Sums in 64 bits: a card with close to 4 GiB must not wrap round to "not enough".
        const Platform::DisplayMode screen = Platform::CurrentDisplayMode();
        Platform::SurfaceCaps videoMemory;
        videoMemory.caps = Platform::DDSCAPS_VIDEOMEMORY;
        uint32_t total = 0;
        uint32_t available = 0;
        const Platform::HResult memoryResult = mDD->GetAvailableVidMem(videoMemory, &total, &available);
        if (Platform::Failed(memoryResult))
            mWarning = StrFormat("GetAvailableVidMem failed: %s", GetDirectXErrorString(memoryResult).c_str());
        const uint64_t screenBytes = uint64_t(std::max(screen.bitsPerPixel, 0) / 8) *
                                     uint64_t(std::max(screen.width, 0)) * uint64_t(std::max(screen.height, 0));
        const uint64_t memoryMB = (screenBytes + total) >> 20;
        if (memoryMB < mMinVidMemory) {
            mFailureReason = "Not enough video memory.";
            return false;
        }
        if (memoryMB < mRecommendedVidMemory)
            mWarning = "Low video memory.";
        // Deliberate: the memory step's warnings go here, so that a card with less than the recommended memory
        // still gets 3-D.
        mFailureReason.clear();
        mWarning.clear();

        std::string driverPath = mDriver;
        if (driverPath.find_first_of("/\\") == std::string::npos)
            driverPath = (Platform::SystemFolder() / driverPath).string();
        mDriverYear = Platform::FileLastWriteYear(driverPath).value_or(0);

        if (!IsGoodCard(mDescription))
            mWarning = StrFormat("Unsupported video card: %s", mDescription.c_str());

        void* direct3D = nullptr;
        Check(mDD->QueryInterface(Platform::IID_IDirect3D7, &direct3D), "QueryInterface IID_IDirect3D7");
        mD3D = static_cast<Platform::Direct3D*>(direct3D);
        Check(mDD->SetCooperativeLevel(window, Platform::DDSCL_NORMAL), "SetCooperativeLevel");

        Platform::SurfaceDesc render;
        render.flags = Platform::DDSD_CAPS | Platform::DDSD_HEIGHT | Platform::DDSD_WIDTH;
        render.width = kRenderSide;
        render.height = kRenderSide;
        render.caps.caps = Platform::DDSCAPS_OFFSCREENPLAIN | Platform::DDSCAPS_3DDEVICE;
        Check(mDD->CreateSurface(render, &mRenderSurface), "CreateSurface (Primary)");
        mTestImage.Create(kRenderSide, kRenderSide);

        Check(mD3D->CreateDevice(Platform::IID_IDirect3DHALDevice, mRenderSurface, &mD3DDevice), "CreateDevice");

        int formats = 0;
        Check(mD3DDevice->EnumTextureFormats(&CollectFormats, &formats), "EnumTextureFormats");
        if ((formats & kTextureFormatA8R8G8B8) == 0) {
            mWarning = "A8R8G8B8 texture format not supported.";
            if ((formats & kTextureFormatA4R4G4B4) == 0) {
                mFailureReason = "A4R4G4B4 and A8R8G8B8 texture formats not supported.";
                return false;
            }
        }
        mTexture32 = (formats & kTextureFormatA8R8G8B8) != 0;

        Platform::SurfaceDesc texture;
        texture.flags = Platform::DDSD_CAPS | Platform::DDSD_HEIGHT | Platform::DDSD_WIDTH | Platform::DDSD_PIXELFORMAT;
        texture.width = kTextureSide;
        texture.height = kTextureSide;
        texture.caps.caps = Platform::DDSCAPS_TEXTURE;
        texture.caps.caps2 = Platform::DDSCAPS2_TEXTUREMANAGE;
        texture.pixelFormat = mTexture32 ? Platform::kFormat8888 : Platform::kFormat4444;
        Check(mDD->CreateSurface(texture, &mTextureSurface1), "CreateSurface (TextureSurface1)");
        // Deliberate: the label keeps its spelling.
        Check(mDD->CreateSurface(texture, &mTextureSurface2), "CreateSurface (TextureSurfacd2)");
        return true;
    } catch (const TestException& e) {
        mFailureReason = e.what();
        return false;
    }
}

bool D3DTester::IsGoodCard(const std::string& description) const
{
    const std::string haystack = Lower(description);
    const ListAnswer bad = MatchCardList("vhwb.dat", haystack);
    if (bad != ListAnswer::NoList)
        return bad == ListAnswer::NotMatched;
    const ListAnswer good = MatchCardList("vhw.dat", haystack);
    if (good != ListAnswer::NoList)
        return good == ListAnswer::Matched;
    if (mDriverYear >= 2002)
        return true;
    return std::any_of(kKnownMakers.begin(), kKnownMakers.end(),
                       [&](const char* maker) { return haystack.find(maker) != std::string::npos; });
}

void D3DTester::ReadSurface(Platform::DirectDrawSurface* surface, D3DTestImage& image)
{
    Platform::SurfaceDesc desc;
    Check(surface->Lock(nullptr, &desc, Platform::DDLOCK_WAIT), "CopyPrimary Lock");
    const Platform::PixelFormat& format = desc.pixelFormat;
    const uint32_t bits = format.rgbBitCount;
    if (bits != 16 && bits != 32) {
        surface->Unlock();
        throw TestException(bits == 24 ? "Can't test 24-bit mode." : "Invalid Color Depth");
    }
    const int width = std::min(image.mWidth, desc.width);
    const int height = std::min(image.mHeight, desc.height);
    for (int y = 0; y < height; ++y) {
        const uint8_t* row = desc.surface + static_cast<ptrdiff_t>(y) * desc.pitch;
        for (int x = 0; x < width; ++x) {
            uint32_t pixel = 0;
            if (bits == 32) {
                std::memcpy(&pixel, row + static_cast<ptrdiff_t>(x) * 4, 4);
            } else {
                uint16_t narrow = 0;
                std::memcpy(&narrow, row + static_cast<ptrdiff_t>(x) * 2, 2);
                pixel = narrow;
            }
            image.mBits[size_t(y) * size_t(image.mWidth) + size_t(x)] =
                0xFF000000 | MaskedChannel(pixel, format.redMask, 23) | MaskedChannel(pixel, format.greenMask, 15) |
                MaskedChannel(pixel, format.blueMask, 7);
        }
    }
    surface->Unlock();
}

void D3DTester::DrawImage(const D3DTestImage& image, int x, int y, uint32_t color)
{
    for (int tileY = 0; tileY < image.mHeight; tileY += kTextureSide) {
        for (int tileX = 0; tileX < image.mWidth; tileX += kTextureSide) {
            const int width = std::min(kTextureSide, image.mWidth - tileX);
            const int height = std::min(kTextureSide, image.mHeight - tileY);
            Platform::SurfaceDesc desc;
            Check(mTextureSurface1->Lock(nullptr, &desc, Platform::DDLOCK_WAIT | Platform::DDLOCK_WRITEONLY),
                  "Lock Texture");
            const size_t texel = mTexture32 ? 4 : 2;
            if (width < kTextureSide || height < kTextureSide) {
                for (int row = 0; row < kTextureSide; ++row)
                    std::memset(desc.surface + static_cast<ptrdiff_t>(row) * desc.pitch, 0, kTextureSide * texel);
            }
            for (int row = 0; row < height; ++row) {
                uint8_t* out = desc.surface + static_cast<ptrdiff_t>(row) * desc.pitch;
                const uint32_t* in = image.mBits.get() + size_t(tileY + row) * size_t(image.mWidth) + size_t(tileX);
                for (int column = 0; column < width; ++column) {
                    const uint32_t c = in[column];
                    if (mTexture32) {
                        std::memcpy(out + size_t(column) * 4, &c, 4);
                    } else {
                        const auto nibbles = static_cast<uint16_t>(((c >> 16) & 0xF000) | ((c >> 12) & 0x0F00) |
                                                                   ((c >> 8) & 0x00F0) | ((c >> 4) & 0x000F));
                        std::memcpy(out + size_t(column) * 2, &nibbles, 2);
                    }
                }
            }
            Check(mTextureSurface1->Unlock(), "Texture Unlock");
            Check(mD3DDevice->SetTexture(0, mTextureSurface1), "SetTexture theTexture");

            const float left = static_cast<float>(x + tileX) - 0.5f;
            const float top = static_cast<float>(y + tileY) - 0.5f;
            const float right = left + static_cast<float>(width);
            const float bottom = top + static_cast<float>(height);
            const float u = static_cast<float>(width) * (1.0f / kTextureSide);
            const float v = static_cast<float>(height) * (1.0f / kTextureSide);
            const auto corner = [&](float cx, float cy, float cu, float cv) {
                Platform::TLVertex vertex;
                vertex.sx = cx;
                vertex.sy = cy;
                vertex.sz = 0;
                vertex.rhw = 1;
                vertex.color = color;
                vertex.specular = 0;
                vertex.tu = cu;
                vertex.tv = cv;
                return vertex;
            };
            const Platform::TLVertex strip[4] = {corner(left, top, 0, 0), corner(right, top, u, 0),
                                                 corner(left, bottom, 0, v), corner(right, bottom, u, v)};
            Check(mD3DDevice->DrawPrimitive(Platform::D3DPT_TRIANGLESTRIP,
                                            Platform::D3DFVF_XYZRHW | Platform::D3DFVF_DIFFUSE |
                                                Platform::D3DFVF_SPECULAR | Platform::D3DFVF_TEX1,
                                            strip, 4, Platform::D3DDP_WAIT),
                  "DrawPrimitive");
            Check(mD3DDevice->SetTexture(0, nullptr), "SetTexture NULL");
        }
    }
}

bool D3DTester::RunScene(const BlendScene& scene)
{
    bool inScene = false;
    try {
        Check(mD3DDevice->BeginScene(), "");
        inScene = true;
        Check(mD3DDevice->Clear(0, nullptr, Platform::D3DCLEAR_TARGET, 0xFF000000, 1.0f, 0), "Clear");
        for (const BlendScene::State& state : scene.states)
            Check(mD3DDevice->SetRenderState(state.state, state.value), state.label);
        if (scene.modulateAlpha)
            Check(mD3DDevice->SetTextureStageState(0, Platform::D3DTSS_ALPHAOP, Platform::D3DTOP_MODULATE),
                  "D3DTSS_ALPHAOP, D3DTOP_MODULATE");
        D3DTestImage source;
        source.Create(kTextureSide, kTextureSide);
        for (int i = 0; i < scene.drawCount; ++i) {
            const BlendScene::Draw& draw = scene.draws[size_t(i)];
            if (draw.fill == 0)
                source.FillStripes();
            else
                source.FillRect(0, 0, kTextureSide, kTextureSide, draw.fill);
            DrawImage(source, draw.x, draw.y, draw.color);
        }
        inScene = false;
        mD3DDevice->EndScene();
        ReadSurface(mRenderSurface, mTestImage);
        return true;
    } catch (const TestException& e) {
        if (inScene)
            mD3DDevice->EndScene();
        mFailureReason = e.what();
        return false;
    }
}

namespace {

constexpr const char* kBlendOn = "D3DRENDERSTATE_ALPHABLENDENABLE, TRUE";
constexpr const char* kCullNone = "D3DRENDERSTATE_CULLMODE, D3DCULL_NONE";

/// Judges a blend scene: far pixels fail it, unequal pixels warn.
bool JudgeUniform(const D3DTestImage& image, uint32_t expected, const char* failure, const char* warning,
                  std::string& failureReason, std::string& warningText)
{
    int far = 0;
    const bool uniform = image.CheckUniform(expected, far, 10, 10);
    if (far > 0) {
        failureReason = failure;
        return false;
    }
    if (!uniform)
        warningText = warning;
    return true;
}

} // namespace

bool D3DTester::TestAlphaBlend()
{
    const BlendScene scene{
        {{{kAlphaBlendEnable, 1, kBlendOn},
          {kSrcBlend, Platform::D3DBLEND_SRCALPHA, "D3DRENDERSTATE_SRCBLEND, D3DBLEND_SRCALPHA"},
          {kDestBlend, Platform::D3DBLEND_INVSRCALPHA, "D3DRENDERSTATE_DESTBLEND, D3DBLEND_INVSRCALPHA"},
          {kCullMode, Platform::D3DCULL_NONE, kCullNone}}},
        false,
        {{{0xFF0000FF, 0, 0, 0xFFFFFFFF}, {0x80FF0000, 0, 0, 0xFFFFFFFF}}},
        2};
    return RunScene(scene) && JudgeUniform(mTestImage, 0x7F007F, "Alpha blend Not Supported",
                                           "Alpha blend test not uniform.", mFailureReason, mWarning);
}

bool D3DTester::TestAdditiveBlend()
{
    const BlendScene scene{{{{kAlphaBlendEnable, 1, kBlendOn},
                             {kSrcBlend, Platform::D3DBLEND_ONE, "D3DRENDERSTATE_SRCBLEND, D3DBLEND_ONE"},
                             {kDestBlend, Platform::D3DBLEND_ONE, "D3DRENDERSTATE_DESTBLEND, D3DBLEND_ONE"},
                             {kCullMode, Platform::D3DCULL_NONE, kCullNone}}},
                           false,
                           {{{0xFF404040, 0, 0, 0xFFFFFFFF}, {0xFF404040, 0, 0, 0xFFFFFFFF}}},
                           2};
    return RunScene(scene) && JudgeUniform(mTestImage, 0x808080, "Additive blend not supported.",
                                           "Additive blend test not uniform.", mFailureReason, mWarning);
}

bool D3DTester::TestAlphaAddBlend()
{
    const BlendScene scene{{{{kAlphaBlendEnable, 1, kBlendOn},
                             {kSrcBlend, Platform::D3DBLEND_SRCALPHA, "D3DRENDERSTATE_SRCBLEND, D3DBLEND_SRCALPHA"},
                             {kDestBlend, Platform::D3DBLEND_ONE, "D3DRENDERSTATE_DESTBLEND, D3DBLEND_ONE"},
                             {kCullMode, Platform::D3DCULL_NONE, kCullNone}}},
                           false,
                           {{{0xFF404040, 0, 0, 0xFFFFFFFF}, {0x80808080, 0, 0, 0xFFFFFFFF}}},
                           2};
    return RunScene(scene) && JudgeUniform(mTestImage, 0x808080, "AlphaAdd blend not supported.",
                                           "AlphaAdd blend test not uniform.", mFailureReason, mWarning);
}

bool D3DTester::TestAlphaModulate()
{
    const BlendScene scene{
        {{{kAlphaBlendEnable, 1, kBlendOn},
          {kSrcBlend, Platform::D3DBLEND_SRCALPHA, "D3DRENDERSTATE_SRCBLEND, D3DBLEND_SRCALPHA"},
          {kDestBlend, Platform::D3DBLEND_INVSRCALPHA, "D3DRENDERSTATE_DESTBLEND, D3DBLEND_INVSRCALPHA"},
          {kCullMode, Platform::D3DCULL_NONE, kCullNone}}},
        true,
        {{{0xFF0000FF, 0, 0, 0xFFFFFFFF}, {0xFFFF0000, 0, 0, 0x80FFFFFF}}},
        2};
    return RunScene(scene) && JudgeUniform(mTestImage, 0x7F007F, "AlphaModulated blend not supported.",
                                           "AlphaModulated blend test not uniform.", mFailureReason, mWarning);
}

bool D3DTester::TestClipping()
{
    const BlendScene scene{
        {{{kAlphaBlendEnable, 1, kBlendOn},
          {kSrcBlend, Platform::D3DBLEND_SRCALPHA, "D3DRENDERSTATE_SRCBLEND, D3DBLEND_SRCALPHA"},
          {kDestBlend, Platform::D3DBLEND_INVSRCALPHA, "D3DRENDERSTATE_DESTBLEND, D3DBLEND_INVSRCALPHA"},
          {kCullMode, Platform::D3DCULL_NONE, kCullNone}}},
        false,
        {{{0, -2, -2, 0xFFFFFFFF}, {}}},
        1};
    if (!RunScene(scene))
        return false;
    if (mTestImage.CountStripeErrors(62, 62, 0, 0) > 0)
        mWarning = "Clip problem detected.";
    return true;
}

} // namespace Pyxo
