#pragma once

#include "graphics/NativeDisplay.h"
#include "graphics/Rect.h"
#include "platform/directdraw/DirectDraw.h"
#include "platform/directx/ComRef.h"
#include "platform/process/StandInLibrary.h"
#include "platform/window/WindowMessage.h"
#include "shell/CritSect.h"
#include "shell/Ratio.h"

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace Platform {
class DirectDrawSurface;
struct SurfaceDesc;
} // namespace Platform

namespace Pyxo {

class D3DInterface;
class D3DTester;
class DDImage;
class Image;
class MemoryImage;
class PyxoAppBase;

/// 1 when the primary surface's masks order blue < green < red; the surface pixel loops read it.
extern std::atomic<bool> gDisplayRGBOrder;

/// The display back-end: owns the display's surfaces for the application window, presents an off-screen draw
/// surface of the logical screen size once per frame, draws the software cursor over the presented picture and
/// describes the display's pixel format. With 3-D on it hands the draw surface to the D3DInterface as render
/// target. Created once by the application; Init runs again on every change of screen mode.
/// Thread: main thread, except SetCursorPos, which the cursor thread calls. mCritSect guards every surface, the
/// image set, the cursor, the 3-D interface's set of textured images and the application's image sets.
class DDInterface : public NativeDisplay {
public:
    /// Results of Init, shown through ResultToString. RESULT_3D_FAIL (3-D set-up failed) has no name of its own.
    enum Result {
        RESULT_OK = 0,
        RESULT_FAIL = 1,
        RESULT_DD_CREATE_FAIL = 2,
        RESULT_SURFACE_FAIL = 3,
        RESULT_EXCLUSIVE_FAIL = 4,
        RESULT_DISPCHANGE_FAIL = 5,
        RESULT_INVALID_COLORDEPTH = 6,
        RESULT_3D_FAIL = 7,
    };

    explicit DDInterface(PyxoAppBase* app);
    ~DDInterface() override;

    /// Tears down and rebuilds every surface for the window; returns a Result.
    int Init(Platform::WindowHandle window, bool isWindowed);
    /// Presents the frame (or the rectangle); true when the last presenting call succeeded.
    bool Redraw(const Rect* rect = nullptr);
    /// Moves the software cursor. Cursor thread.
    void SetCursorPos(int x, int y);
    /// Main thread: shows on screen what the cursor thread drew onto the primary since the last present.
    void ShowScreenChanges();
    /// Stores the drawn cursor image (borrowed; null for none); false when it was that image already.
    bool SetCursorImage(Image* image);
    void SetSurfaceOnlyDraw(bool videoOnlyDraw);
    [[nodiscard]] DDImage* GetScreenImage() const { return mScreenImage.get(); }
    void AddImage(DDImage* image);    // the DDImage constructor
    void RemoveImage(DDImage* image); // the DDImage destructor
    /// Drops the image's 3-D texture data.
    void DropTextureData(MemoryImage* image);
    /// The one way surfaces are made; an HRESULT-style code (negative on failure).
    int32_t CreateSurface(const Platform::SurfaceDesc& desc, Platform::ComRef<Platform::DirectDrawSurface>& surface);
    [[nodiscard]] static std::string ResultToString(int result);
    /// False for a non-negative result; otherwise sets mErrorString to "label: error name" and returns true.
    bool CheckResult(int32_t result, const std::string& label);
    void Cleanup();
    /// Runs the 3-D capability test once, when the application asks for it; true when it ran.
    bool Run3DTest(Platform::WindowHandle window);

    // The drawn cursor: a 64 x 64 area centred on the cursor position, what lies under it saved in the old
    // cursor area. The window-origin offset moves screen rectangles by the client origin of the window.
    void DrawCursorTo(Platform::DirectDrawSurface* target, bool offset);
    void MoveCursor(Platform::DirectDrawSurface* target, bool offset, int x, int y);
    void RestoreCursorArea(Platform::DirectDrawSurface* target, bool offset);
    /// Zeroes every row of the surface.
    void ClearSurface(Platform::DirectDrawSurface* surface);

    // The steps of Init, in order; each that can fail returns a Result and leaves the reason in mErrorString.
    int CreateDirectDraw(Platform::HResult& createResult); // the older entry's result is checked by the caller
    void ReadSizes(Platform::WindowHandle window, bool isWindowed);
    int CreateWindowedPrimary(Platform::WindowHandle window);              // sizes the window for an aspect override
    int CreateFullScreenPrimary(Platform::WindowHandle window);            // with its back buffer
    int CreateDrawSurface(Platform::WindowHandle window, bool isWindowed); // and the primary's clipper
    void ReadRefreshRate();
    int CreateCursorAreas();
    int ReadPixelFormat(); // the display's channel shapes and tables

    PyxoAppBase* mApp = nullptr;               // owner; its display settings are read, never null in use
    Platform::HMODULE mDDrawLibrary = nullptr; // counted load of the "ddraw" stand-in
    Platform::DirectDrawCreateProc mDirectDrawCreate = nullptr;   // null when the library lacks it
    Platform::DirectDrawCreateProc mDirectDrawCreateEx = nullptr; // null when the library lacks it
    std::unique_ptr<D3DInterface> mD3DInterface;
    std::unique_ptr<D3DTester> mD3DTester; // made by the first Init that tests
    bool mIs3D = true;                     // the 3-D path is in use
    CritSect mCritSect;                    // the display lock
    std::atomic<bool> mInRedraw = false;   // read without the lock by SetCursorPos
    Platform::ComRef<Platform::DirectDraw> mDD;
    bool mIsDD7 = false; // mDD came from DirectDrawCreateEx
    Platform::ComRef<Platform::DirectDrawSurface> mPrimarySurface;
    Platform::ComRef<Platform::DirectDrawSurface> mSecondarySurface;
    Platform::ComRef<Platform::DirectDrawSurface> mDrawSurface; // all drawing goes here
    int mWidth = 0;                                             // draw surface
    int mHeight = 0;
    Ratio mAspect;
    int mDesktopWidth = 0;
    int mDesktopHeight = 0;
    Ratio mDesktopAspect;
    bool mIsWidescreen = false; // presentation differs from the draw surface
    int mDisplayWidth = 0;
    int mDisplayHeight = 0;
    Ratio mDisplayAspect;
    Rect mPresentationRect; // where the draw surface is shown
    int mFullscreenBits = 0;
    int mRefreshRate = 60;                       // Hz
    std::atomic<int> mMillisecondsPerFrame = 16; // set by Init at a mode switch, read by the cursor thread
    int mScanLineFailCount = 0;
    std::vector<int> mRedAddTable; // 2 x max + 1 entries, entry i = min(i, max)
    std::vector<int> mGreenAddTable;
    std::vector<int> mBlueAddTable;
    std::array<int, 256> mRedConvTable{}; // channel value 0..255 placed in the display format
    std::array<int, 256> mGreenConvTable{};
    std::array<int, 256> mBlueConvTable{};
    bool mInitialized = false;
    Platform::WindowHandle mHWnd;
    bool mIsWindowed = true;
    std::unique_ptr<DDImage> mScreenImage;
    std::set<DDImage*> mDDImageSet; // every live surface image of this display
    bool mVideoOnlyDraw = false;
    int mCursorWidth = 64; // cursor save areas
    int mCursorHeight = 64;
    std::atomic<int> mNextCursorX = 0; // pending position, written by the cursor thread
    std::atomic<int> mNextCursorY = 0;
    std::atomic<int> mCursorX = 0; // centre of the drawn cursor
    std::atomic<int> mCursorY = 0;
    Image* mCursorImage = nullptr;  // borrowed; null = no software cursor
    bool mHasOldCursorArea = false; // the old area holds what lies under the cursor
    Platform::ComRef<Platform::DirectDrawSurface> mOldCursorArea;
    Platform::ComRef<Platform::DirectDrawSurface> mNewCursorArea;
    std::unique_ptr<DDImage> mOldCursorAreaImage;
    std::unique_ptr<DDImage> mNewCursorAreaImage;
    std::string mErrorString; // "label: error name" of the last failure

    bool m3DMayNotHaveWorked = false; // a 3-D failure turned 3-D off during this run; asked about at exit
};

} // namespace Pyxo
