#include "graphics/DDInterface.h"

#include "graphics/D3DInterface.h"
#include "graphics/D3DTester.h"
#include "graphics/DDImage.h"
#include "graphics/DirectXErrors.h"
#include "platform/directdraw/DirectDrawClipper.h"
#include "platform/directdraw/DirectDrawEmulation.h"
#include "platform/directdraw/DirectDrawSurface.h"
#include "platform/window/WindowSystem.h"
#include "shell/PyxoAppBase.h"
#include "shell/StrFormat.h"

#include <algorithm>
#include <bit>

namespace Pyxo {

std::atomic<bool> gDisplayRGBOrder = false;

namespace {

using Platform::HResult;

/// Whether two aspect ratios differ. Cross-multiplied exactly in 64 bits, so that a ratio larger than the other
/// counts as different as well as a smaller one: a desktop wider than the screen is corrected too.
bool AspectDiffers(const Ratio& a, const Ratio& b)
{
    return int64_t{a.mNumerator} * b.mDenominator != int64_t{b.mNumerator} * a.mDenominator;
}

int ScaleByRatio(int value, const Ratio& ratio)
{
    return ratio.mDenominator == 0 ? value : static_cast<int>(int64_t{ratio.mNumerator} * value / ratio.mDenominator);
}

Platform::SurfaceDesc PlainSurfaceDesc(int width, int height, uint32_t caps)
{
    Platform::SurfaceDesc desc;
    desc.flags = Platform::DDSD_CAPS | Platform::DDSD_HEIGHT | Platform::DDSD_WIDTH;
    desc.width = width;
    desc.height = height;
    desc.caps.caps = caps;
    return desc;
}

void ChannelShape(uint32_t mask, int& shift, int& bits)
{
    // A zero mask leaves the channel as it was.
    if (mask == 0)
        return;
    shift = std::countr_zero(mask);
    bits = 31 - std::countl_zero(mask) - shift + 1;
}

void BuildTables(uint32_t mask, int bits, std::vector<int>& saturation, std::array<int, 256>& scale)
{
    const int max = bits > 0 && bits < 31 ? (1 << bits) - 1 : 0;
    saturation.resize(static_cast<size_t>(2 * max + 1));
    for (int i = 0; i <= 2 * max; ++i)
        saturation[static_cast<size_t>(i)] = std::min(i, max);
    for (uint32_t v = 0; v < 256; ++v)
        scale[v] = static_cast<int>(static_cast<uint32_t>(uint64_t{v} * mask / 255) & mask);
}

} // namespace

DDInterface::DDInterface(PyxoAppBase* app) : mApp(app), mD3DInterface(std::make_unique<D3DInterface>())
{
    // The application loaded ddraw as well; this counted load keeps the entry points valid as long as we live.
    mDDrawLibrary = Platform::LoadLibraryA("ddraw.dll");
    if (mDDrawLibrary) {
        mDirectDrawCreate = reinterpret_cast<Platform::DirectDrawCreateProc>(
            Platform::GetProcAddress(mDDrawLibrary, "DirectDrawCreate"));
        mDirectDrawCreateEx = reinterpret_cast<Platform::DirectDrawCreateProc>(
            Platform::GetProcAddress(mDDrawLibrary, "DirectDrawCreateEx"));
    }
}

DDInterface::~DDInterface()
{
    mRedAddTable.clear();
    mGreenAddTable.clear();
    mBlueAddTable.clear();
    Cleanup();
    mD3DInterface.reset();
    mD3DTester.reset();
    {
        AutoCrit lock(mCritSect);
        // Images that outlive the display forget it instead of reaching into a display that is gone.
        for (DDImage* image : mDDImageSet)
            image->mDDInterface = nullptr;
        mDDImageSet.clear();
    }
    if (mDDrawLibrary)
        Platform::FreeLibrary(mDDrawLibrary);
}

std::string DDInterface::ResultToString(int result)
{
    switch (result) {
    case RESULT_OK:
        return "RESULT_OK";
    case RESULT_FAIL:
        return "RESULT_FAIL";
    case RESULT_DD_CREATE_FAIL:
        return "RESULT_DD_CREATE_FAIL";
    case RESULT_SURFACE_FAIL:
        return "RESULT_SURFACE_FAIL";
    case RESULT_EXCLUSIVE_FAIL:
        return "RESULT_EXCLUSIVE_FAIL";
    case RESULT_DISPCHANGE_FAIL:
        return "RESULT_DISPCHANGE_FAIL";
    case RESULT_INVALID_COLORDEPTH:
        return "RESULT_INVALID_COLORDEPTH";
    default:
        return "RESULT_UNKNOWN";
    }
}

bool DDInterface::CheckResult(int32_t result, const std::string& label)
{
    if (result >= 0)
        return false;
    mErrorString = label + ": " + GetDirectXErrorString(result);
    return true;
}

void DDInterface::AddImage(DDImage* image)
{
    AutoCrit lock(mCritSect);
    mDDImageSet.insert(image);
}

void DDInterface::RemoveImage(DDImage* image)
{
    AutoCrit lock(mCritSect);
    mDDImageSet.erase(image);
}

void DDInterface::DropTextureData(MemoryImage* image)
{
    mD3DInterface->RemoveTextureData(image);
}

bool DDInterface::SetCursorImage(Image* image)
{
    AutoCrit lock(mCritSect);
    if (mCursorImage == image)
        return false;
    mCursorImage = image;
    return true;
}

int32_t DDInterface::CreateSurface(const Platform::SurfaceDesc& desc,
                                   Platform::ComRef<Platform::DirectDrawSurface>& surface)
{
    AutoCrit lock(mCritSect);
    surface.Reset();
    if (!mDD)
        return Platform::DDERR_NOTINITIALIZED;
    Platform::SurfaceDesc version = desc;
    version.size = mIsDD7 ? Platform::kSurfaceDescSize2 : Platform::kSurfaceDescSize1;
    const HResult result = mDD->CreateSurface(version, surface.Put());
    if (Platform::Failed(result))
        return result;

    // The out reference may be the primary slot itself, so the primary is read only now.
    if (mPrimarySurface) {
        Platform::SurfaceDesc primary;
        primary.flags = Platform::DDSD_PIXELFORMAT;
        if (Platform::Succeeded(mPrimarySurface->GetSurfaceDesc(&primary))) {
            const Platform::PixelFormat& format = primary.pixelFormat;
            gDisplayRGBOrder = format.blueMask < format.greenMask && format.greenMask < format.redMask;
            if (format.rgbBitCount != 16 && format.rgbBitCount != 32) {
                surface.Reset();
                return Platform::DDERR_INVALIDPIXELFORMAT;
            }
        }
    }
    return result;
}

bool DDInterface::Run3DTest(Platform::WindowHandle window)
{
    if (mD3DTester || !mApp || (!mApp->mTest3D && !mApp->mAutoEnable3D))
        return false;
    mD3DTester = std::make_unique<D3DTester>();
    mD3DTester->SetVideoMemoryLimits(mApp->mMinVidMemory3D, mApp->mRecommendedVidMemory3D);
    mD3DTester->Test(window, mDD.Get());
    const bool failed = !mD3DTester->mFailureReason.empty();
    const bool warned = !mD3DTester->mWarning.empty();
    if (mApp->mAutoEnable3D && !failed && !warned)
        mIs3D = true;
    if (failed)
        mIs3D = false;
    if (mD3DTester->mResultsChanged && (failed || warned))
        mIs3D = false;
    return true;
}

void DDInterface::SetSurfaceOnlyDraw(bool videoOnlyDraw)
{
    AutoCrit lock(mCritSect);
    mVideoOnlyDraw = videoOnlyDraw;
    if (!mSecondarySurface) {
        const Platform::SurfaceDesc desc = PlainSurfaceDesc(mWidth, mHeight, Platform::DDSCAPS_VIDEOMEMORY);
        if (Platform::Failed(CreateSurface(desc, mSecondarySurface)))
            mVideoOnlyDraw = false;
    }
    mScreenImage.reset();
    mScreenImage = std::make_unique<DDImage>(this);
    mScreenImage->SetSurface(mVideoOnlyDraw ? mSecondarySurface.Get() : mDrawSurface.Get());
    mScreenImage->mNoLock = mVideoOnlyDraw;
    mScreenImage->mVideoMemory = mVideoOnlyDraw;
    mScreenImage->SetImageMode(false, false);
}

void DDInterface::Cleanup()
{
    AutoCrit lock(mCritSect);
    mInitialized = false;
    mD3DInterface->Cleanup();
    mOldCursorAreaImage.reset();
    mNewCursorAreaImage.reset();
    mOldCursorArea.Reset();
    mNewCursorArea.Reset();
    mHasOldCursorArea = false;
    mScreenImage.reset();
    mDrawSurface.Reset();
    mSecondarySurface.Reset();
    mPrimarySurface.Reset();
    if (mDD) {
        mDD->SetCooperativeLevel(mHWnd, Platform::DDSCL_NORMAL);
        mDD.Reset();
    }
    mIsDD7 = false;
}

int DDInterface::Init(Platform::WindowHandle window, bool isWindowed)
{
    AutoCrit lock(mCritSect);
    mInitialized = false;
    Cleanup();

    // Without the version-7 entry the older one's result is looked at only after the set-up that does not need it.
    HResult createResult = Platform::DD_OK;
    if (const int result = CreateDirectDraw(createResult); result != RESULT_OK)
        return result;
    // The 3-D test decides whether 3-D stays on.
    Run3DTest(window);
    ReadSizes(window, isWindowed);
    if (!mIsDD7 && CheckResult(createResult, "DirectDrawCreate"))
        return RESULT_DD_CREATE_FAIL;

    if (const int result = isWindowed ? CreateWindowedPrimary(window) : CreateFullScreenPrimary(window);
        result != RESULT_OK)
        return result;
    if (const int result = CreateDrawSurface(window, isWindowed); result != RESULT_OK)
        return result;
    ReadRefreshRate();
    if (const int result = CreateCursorAreas(); result != RESULT_OK)
        return result;
    if (const int result = ReadPixelFormat(); result != RESULT_OK)
        return result;

    SetSurfaceOnlyDraw(mVideoOnlyDraw);

    if (mIs3D && !mD3DInterface->InitFromDisplay(this)) {
        mErrorString = "3D init error: " + D3DInterface::sErrorString;
        return RESULT_3D_FAIL;
    }
    if (mIs3D)
        OutputDebug(L"Drawing through the 3-D device\n");
    mInitialized = true;
    return RESULT_OK;
}

int DDInterface::CreateDirectDraw(HResult& createResult)
{
    if (mDirectDrawCreateEx) {
        if (CheckResult(mDirectDrawCreateEx(nullptr, mDD.Put(), nullptr), "DirectDrawCreateEx"))
            return RESULT_DD_CREATE_FAIL;
        mIsDD7 = true;
    } else if (mDirectDrawCreate) {
        createResult = mDirectDrawCreate(nullptr, mDD.Put(), nullptr);
    } else {
        // Without either entry point there is nothing to start; say so instead of calling through null.
        mErrorString = "DirectDrawCreate: " + GetDirectXErrorString(Platform::DDERR_NOTLOADED);
        return RESULT_DD_CREATE_FAIL;
    }
    return RESULT_OK;
}

void DDInterface::ReadSizes(Platform::WindowHandle window, bool isWindowed)
{
    mHWnd = window;
    mWidth = mApp ? mApp->mWidth : 800;
    mHeight = mApp ? mApp->mHeight : 600;
    mAspect.Set(mWidth, mHeight);
    const Platform::DisplayMode desktop = Platform::CurrentDisplayMode();
    mDesktopWidth = desktop.width;
    mDesktopHeight = desktop.height;
    mDesktopAspect.Set(mDesktopWidth, mDesktopHeight);
    mIsWidescreen = false;
    mDisplayWidth = mWidth;
    mDisplayHeight = mHeight;
    mDisplayAspect = mAspect;
    mPresentationRect = Rect(0, 0, mWidth, mHeight);
    if (mApp) {
        mApp->mScreenBounds = mPresentationRect;
        mFullscreenBits = mApp->mColorDepth;
    }
    mIsWindowed = isWindowed;
    mHasOldCursorArea = false;

    OutputDebug(L"Application requests %4lu x %4lu [%2d:%2d]\n", static_cast<unsigned long>(mWidth),
                static_cast<unsigned long>(mHeight), mAspect.mNumerator, mAspect.mDenominator);
}

int DDInterface::CreateWindowedPrimary(Platform::WindowHandle window)
{
    const Ratio hack = mApp ? mApp->mWindowAspect : Ratio();
    OutputDebug(L"Hack aspect is                   [%2d:%2d]\n", hack.mNumerator, hack.mDenominator);
    if (mApp && mApp->mEnableWindowAspect && AspectDiffers(hack, mAspect)) {
        mIsWidescreen = true;
        mDisplayHeight = mHeight;
        mDisplayWidth = ScaleByRatio(mHeight, hack);
        mDisplayAspect = hack;
        // The window takes the display's size, grown evenly around its client area and kept on the desktop.
        Platform::WindowPoint origin{0, 0};
        Platform::ClientToScreen(window, origin);
        Platform::SetWindowSize(window, mDisplayWidth, mDisplayHeight);
        Platform::MoveWindow(window, std::max(0, origin.x - (mDisplayWidth - mWidth) / 2),
                             std::max(0, origin.y - (mDisplayHeight - mHeight) / 2));
        if (!mApp->mWidescreenAware) {
            mPresentationRect = Rect((mDisplayWidth - mWidth) / 2, 0, mWidth, mHeight);
        } else {
            mWidth = mDisplayWidth;
            mHeight = mDisplayHeight;
            mAspect = mDisplayAspect;
            mPresentationRect = Rect(0, 0, mDisplayWidth, mDisplayHeight);
        }
    }
    OutputDebug(L"Window is            %4lu x %4lu [%2d:%2d]\n", static_cast<unsigned long>(mDisplayWidth),
                static_cast<unsigned long>(mDisplayHeight), mDisplayAspect.mNumerator, mDisplayAspect.mDenominator);

    mDD->SetCooperativeLevel(window, Platform::DDSCL_NORMAL);

    Platform::SurfaceDesc primary;
    primary.flags = Platform::DDSD_CAPS;
    primary.caps.caps = Platform::DDSCAPS_PRIMARYSURFACE | (mIs3D ? Platform::DDSCAPS_3DDEVICE : 0);
    const HResult result = CreateSurface(primary, mPrimarySurface);
    if (result == Platform::DDERR_INVALIDPIXELFORMAT) {
        // Named too, so that whoever reads the error text learns why the window cannot be used.
        CheckResult(result, "CreateSurface Windowed Primary");
        return RESULT_INVALID_COLORDEPTH;
    }
    if (CheckResult(result, "CreateSurface Windowed Primary"))
        return RESULT_SURFACE_FAIL;
    return RESULT_OK;
}

int DDInterface::CreateFullScreenPrimary(Platform::WindowHandle window)
{
    OutputDebug(L"Desktop is           %4lu x %4lu [%2d:%2d]\n", static_cast<unsigned long>(mDesktopWidth),
                static_cast<unsigned long>(mDesktopHeight), mDesktopAspect.mNumerator, mDesktopAspect.mDenominator);
    if (mIs3D && AspectDiffers(mAspect, mDesktopAspect)) {
        mIsWidescreen = true;
        mDisplayWidth = mDesktopWidth;
        mDisplayHeight = mDesktopHeight;
        mDisplayAspect = mDesktopAspect;
        if (mApp && mApp->mWidescreenAware) {
            mAspect = mDesktopAspect;
            mWidth = ScaleByRatio(mHeight, mDesktopAspect);
            mPresentationRect = Rect(0, 0, mDesktopWidth, mDesktopHeight);
        } else {
            const int shownWidth = mHeight == 0 ? mWidth : static_cast<int>(int64_t{mWidth} * mDesktopHeight / mHeight);
            mPresentationRect = Rect((mDesktopWidth - shownWidth) / 2, 0, shownWidth, mDesktopHeight);
        }
    }
    OutputDebug(L"Display is           %4lu x %4lu [%2d:%2d]\n", static_cast<unsigned long>(mDisplayWidth),
                static_cast<unsigned long>(mDisplayHeight), mDisplayAspect.mNumerator, mDisplayAspect.mDenominator);

    if (CheckResult(mDD->SetCooperativeLevel(window, Platform::DDSCL_EXCLUSIVE | Platform::DDSCL_FULLSCREEN),
                    "SetCooperativeLevel FullScreen"))
        return RESULT_EXCLUSIVE_FAIL;
    if (CheckResult(mDD->SetDisplayMode(mDisplayWidth, mDisplayHeight, mFullscreenBits), "SetDisplayMode FullScreen"))
        return RESULT_DISPCHANGE_FAIL;

    Platform::SurfaceDesc primary;
    primary.flags = Platform::DDSD_CAPS | Platform::DDSD_BACKBUFFERCOUNT;
    primary.backBufferCount = 1;
    primary.caps.caps = Platform::DDSCAPS_PRIMARYSURFACE | Platform::DDSCAPS_FLIP | Platform::DDSCAPS_COMPLEX |
                        (mIs3D ? Platform::DDSCAPS_3DDEVICE : 0);
    if (CheckResult(CreateSurface(primary, mPrimarySurface), "CreateSurface FullScreen Primary"))
        return RESULT_SURFACE_FAIL;
    if (CheckResult(mPrimarySurface->GetAttachedSurface({Platform::DDSCAPS_BACKBUFFER, 0}, mSecondarySurface.Put()),
                    "GetAttachedSurface"))
        return RESULT_SURFACE_FAIL;
    if (mIsWidescreen) {
        ClearSurface(mPrimarySurface);
        ClearSurface(mSecondarySurface);
    }
    return RESULT_OK;
}

int DDInterface::CreateDrawSurface(Platform::WindowHandle window, bool isWindowed)
{
    const uint32_t drawCaps =
        mIs3D ? Platform::DDSCAPS_OFFSCREENPLAIN | Platform::DDSCAPS_VIDEOMEMORY | Platform::DDSCAPS_3DDEVICE
              : Platform::DDSCAPS_OFFSCREENPLAIN | Platform::DDSCAPS_SYSTEMMEMORY;
    if (CheckResult(CreateSurface(PlainSurfaceDesc(mWidth, mHeight, drawCaps), mDrawSurface),
                    isWindowed ? "CreateSurface Windowed DrawSurface" : "CreateSurface FullScreen DrawSurface"))
        return RESULT_SURFACE_FAIL;
    Platform::ComRef<Platform::DirectDrawClipper> clipper;
    if (CheckResult(mDD->CreateClipper(0, clipper.Put()),
                    isWindowed ? "CreateClipper Windowed" : "CreateClipper FullScreen"))
        return RESULT_FAIL;
    if (Platform::Succeeded(clipper->SetHWnd(0, window)))
        mPrimarySurface->SetClipper(clipper);
    if (!isWindowed && mApp && !mApp->mFullScreenPageFlip)
        mDD->FlipToGDISurface();

    OutputDebug(L"Draw buffer is       %4lu x %4lu [%2d:%2d]\n", static_cast<unsigned long>(mWidth),
                static_cast<unsigned long>(mHeight), mAspect.mNumerator, mAspect.mDenominator);
    return RESULT_OK;
}

void DDInterface::ReadRefreshRate()
{
    // The refresh rate is never trusted outside 60..100 Hz.
    uint32_t frequency = 0;
    const bool rateRead = Platform::Succeeded(mDD->GetMonitorFrequency(&frequency));
    if (rateRead && frequency >= 60 && frequency <= 100) {
        mRefreshRate = static_cast<int>(frequency);
    } else {
        mRefreshRate = rateRead && frequency > 100 ? 100 : 60;
        if (mApp)
            mApp->mRefreshRateSubstituted = true;
    }
    mMillisecondsPerFrame = 1000 / mRefreshRate;
}

int DDInterface::CreateCursorAreas()
{
    const struct {
        Platform::ComRef<Platform::DirectDrawSurface>* surface;
        std::unique_ptr<DDImage>* image;
        const char* label;
    } areas[] = {{&mOldCursorArea, &mOldCursorAreaImage, "CreateSurface OldCursorArea"},
                 {&mNewCursorArea, &mNewCursorAreaImage, "CreateSurface NewCursorArea"}};
    for (const auto& area : areas) {
        const Platform::SurfaceDesc desc = PlainSurfaceDesc(
            mCursorWidth, mCursorHeight, Platform::DDSCAPS_OFFSCREENPLAIN | Platform::DDSCAPS_SYSTEMMEMORY);
        if (CheckResult(CreateSurface(desc, *area.surface), area.label))
            return RESULT_SURFACE_FAIL;
        *area.image = std::make_unique<DDImage>(this);
        (*area.image)->SetSurface(*area.surface);
        (*area.image)->SetImageMode(false, false);
    }
    return RESULT_OK;
}

int DDInterface::ReadPixelFormat()
{
    Platform::SurfaceDesc format;
    format.flags = Platform::DDSD_PIXELFORMAT | Platform::DDSD_HEIGHT | Platform::DDSD_WIDTH;
    if (CheckResult(mPrimarySurface->GetSurfaceDesc(&format), "GetSurfaceDesc Primary"))
        return RESULT_SURFACE_FAIL;
    const Platform::PixelFormat& pixels = format.pixelFormat;
    if (pixels.rgbBitCount != 16 && pixels.rgbBitCount != 32) {
        mErrorString = StrFormat("Unsupported colour depth: %u bits", pixels.rgbBitCount);
        return RESULT_INVALID_COLORDEPTH;
    }
    mRGBBits = static_cast<int>(pixels.rgbBitCount);
    mRedMask = pixels.redMask;
    mGreenMask = pixels.greenMask;
    mBlueMask = pixels.blueMask;
    ChannelShape(mRedMask, mRedShift, mRedBits);
    ChannelShape(mGreenMask, mGreenShift, mGreenBits);
    ChannelShape(mBlueMask, mBlueShift, mBlueBits);
    BuildTables(mRedMask, mRedBits, mRedAddTable, mRedConvTable);
    BuildTables(mGreenMask, mGreenBits, mGreenAddTable, mGreenConvTable);
    BuildTables(mBlueMask, mBlueBits, mBlueAddTable, mBlueConvTable);
    return RESULT_OK;
}

void DDInterface::ClearSurface(Platform::DirectDrawSurface* surface)
{
    Platform::SurfaceDesc desc;
    if (!surface || Platform::Failed(surface->Lock(nullptr, &desc, Platform::DDLOCK_WAIT | Platform::DDLOCK_WRITEONLY)))
        return;
    const size_t rowBytes = static_cast<size_t>(desc.width) * (desc.pixelFormat.rgbBitCount / 8);
    for (int y = 0; y < desc.height; ++y)
        std::fill_n(desc.surface + static_cast<ptrdiff_t>(y) * desc.pitch, rowBytes, uint8_t{0});
    surface->Unlock();
}

} // namespace Pyxo
