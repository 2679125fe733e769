// Frame presentation and the drawn cursor of the display.
#include "graphics/D3DInterface.h"
#include "graphics/DDImage.h"
#include "graphics/DDInterface.h"
#include "graphics/Graphics.h"
#include "platform/directdraw/DirectDrawEmulation.h"
#include "platform/directdraw/DirectDrawSurface.h"
#include "platform/time/Clock.h"
#include "platform/window/WindowSystem.h"
#include "shell/PyxoAppBase.h"

#include <algorithm>

namespace Pyxo {
namespace {

using Platform::HResult;
using Platform::WindowRect;

// Both scan-line polls of a windowed present end after this long, or after this many reads when the clock does
// not move, so that a display whose scan line never comes right cannot hold the present.
constexpr uint32_t kScanLinePollMs = 200;
constexpr int kMaxScanLineReads = 100000;

WindowRect ToWindowRect(const Rect& r)
{
    return {r.mX, r.mY, r.mX + r.mWidth, r.mY + r.mHeight};
}

WindowRect Offset(const WindowRect& r, int dx, int dy)
{
    return {r.left + dx, r.top + dy, r.right + dx, r.bottom + dy};
}

/// The client origin of the display's window in screen coordinates; (0, 0) for a window without one.
Platform::WindowPoint ClientOrigin(Platform::WindowHandle window)
{
    Platform::WindowPoint origin{0, 0};
    Platform::ClientToScreen(window, origin);
    return origin;
}

} // namespace

bool DDInterface::Redraw(const Rect* rect)
{
    AutoCrit lock(mCritSect);
    if (!mInitialized || !mDD || !mPrimarySurface || !mDrawSurface)
        return false;
    Platform::BltFx fx;
    mInRedraw = true;

    if (mIs3D) {
        if (!D3DInterface::sErrorString.empty()) {
            // A 3-D error during the frame: report failure so that the application starts the display again.
            mInRedraw = false;
            mIs3D = false;
            m3DMayNotHaveWorked = true;
            return false;
        }
        mD3DInterface->Flush();
    }

    WindowRect source{0, 0, mWidth, mHeight};
    WindowRect dest = ToWindowRect(mPresentationRect);
    if (rect && !mIsWidescreen)
        source = dest = ToWindowRect(*rect);
    uint32_t bltFlags = Platform::DDBLT_WAIT;
    if (mIsWidescreen) {
        fx.ddfx = Platform::DDBLTFX_ARITHSTRETCHY;
        bltFlags |= Platform::DDBLT_DDFX;
    }
    const Platform::WindowPoint origin = ClientOrigin(mHWnd);
    dest = Offset(dest, origin.x, origin.y);

    // Finishes whatever drawing is still pending on the draw surface.
    Platform::SurfaceDesc pending;
    if (Platform::Succeeded(mDrawSurface->Lock(nullptr, &pending, Platform::DDLOCK_WAIT | Platform::DDLOCK_READONLY)))
        mDrawSurface->Unlock();

    const bool waitForVSync = mApp && mApp->mWaitForVSync && !mApp->mNoVSyncWait;
    HResult result = Platform::DD_OK;
    const char* label = nullptr;
    if (mIsWindowed) {
        label = "Redraw Windowed";
        if (mVideoOnlyDraw && mSecondarySurface) {
            if (waitForVSync)
                mDD->WaitForVerticalBlank(Platform::DDWAITVB_BLOCKBEGIN);
            mCursorX = mNextCursorX.load();
            mCursorY = mNextCursorY.load();
            DrawCursorTo(mSecondarySurface.Get(), true);
            result = mPrimarySurface->Blt(&dest, mSecondarySurface.Get(), &source, bltFlags, &fx);
        } else {
            mCursorX = mNextCursorX.load();
            mCursorY = mNextCursorY.load();
            DrawCursorTo(mDrawSurface.Get(), false);
            bool presented = false;
            if (waitForVSync && mScanLineFailCount < 3) {
                // Against tearing: blit the top half once the beam has passed the middle of the window, the
                // bottom half once it has wrapped or passed the window's bottom.
                const int logicalHeight = mApp ? mApp->mHeight : mHeight;
                const int half = logicalHeight / 2;
                const int middle = dest.top + half;
                const int bottom = dest.top + logicalHeight;
                const int screenHeight = Platform::CurrentDisplayMode().height;
                bool found = false;
                uint32_t line = 0;
                const uint32_t start = Platform::GetTickCount();
                for (int reads = 0; reads < kMaxScanLineReads && Platform::GetTickCount() - start < kScanLinePollMs;
                     ++reads) {
                    const HResult scan = mDD->GetScanLine(&line);
                    if (scan == Platform::DDERR_VERTICALBLANKINPROGRESS)
                        continue;
                    if (Platform::Failed(scan))
                        break;
                    if (static_cast<int64_t>(line) > middle && static_cast<int64_t>(line) < screenHeight) {
                        found = true;
                        break;
                    }
                }
                if (found) {
                    mScanLineFailCount = 0;
                    const WindowRect topDest{dest.left, dest.top, dest.right, middle};
                    const WindowRect topSource{source.left, source.top, source.right, source.top + half};
                    result = mPrimarySurface->Blt(&topDest, mDrawSurface.Get(), &topSource, bltFlags, &fx);
                    const uint32_t previous = line;
                    const uint32_t wrapStart = Platform::GetTickCount();
                    for (int reads = 0;
                         reads < kMaxScanLineReads && Platform::GetTickCount() - wrapStart < kScanLinePollMs; ++reads) {
                        const HResult scan = mDD->GetScanLine(&line);
                        if (Platform::Failed(scan) || line < previous || static_cast<int64_t>(line) >= bottom)
                            break;
                    }
                    const WindowRect bottomDest{dest.left, middle, dest.right, dest.bottom};
                    const WindowRect bottomSource{source.left, source.top + half, source.right, source.bottom};
                    if (Platform::Succeeded(result))
                        result = mPrimarySurface->Blt(&bottomDest, mDrawSurface.Get(), &bottomSource, bltFlags, &fx);
                    presented = true;
                } else {
                    ++mScanLineFailCount;
                }
            }
            if (!presented) {
                if (waitForVSync)
                    mDD->WaitForVerticalBlank(Platform::DDWAITVB_BLOCKBEGIN);
                result = mPrimarySurface->Blt(&dest, mDrawSurface.Get(), &source, bltFlags, &fx);
            }
            if (mHasOldCursorArea) {
                // The cursor is on screen now; the draw surface gets its background back for the next frame.
                RestoreCursorArea(mDrawSurface.Get(), false);
                mHasOldCursorArea = true;
            }
        }
    } else if (mApp && !mApp->mNoFlip && mApp->mFullScreenPageFlip && mSecondarySurface) {
        label = "Redraw FullScreen Flip";
        if (!mVideoOnlyDraw)
            result = mSecondarySurface->Blt(&dest, mDrawSurface.Get(), &source, bltFlags, &fx);
        // A frame that did not reach the back buffer is not flipped and reported as a failure.
        if (Platform::Succeeded(result)) {
            mCursorX = mNextCursorX.load();
            mCursorY = mNextCursorY.load();
            DrawCursorTo(mSecondarySurface.Get(), true);
            result = mPrimarySurface->Flip(nullptr, Platform::DDFLIP_WAIT);
        }
    } else {
        label = "Redraw FullScreen Blt";
        result = mPrimarySurface->Blt(&dest, mDrawSurface.Get(), &source, bltFlags, &fx);
    }
    mInRedraw = false;
    const bool failed = CheckResult(result, label);
    mDD->ShowScreen(false);
    return !failed;
}

void DDInterface::ShowScreenChanges()
{
    AutoCrit lock(mCritSect);
    if (mInitialized && mDD)
        mDD->ShowScreen(true);
}

void DDInterface::SetCursorPos(int x, int y)
{
    mNextCursorX = x;
    mNextCursorY = y;
    if (mInRedraw)
        return;
    AutoCrit lock(mCritSect);
    if (!mInitialized)
        return;
    if (!mHasOldCursorArea) {
        mCursorX = x;
        mCursorY = y;
        DrawCursorTo(mPrimarySurface.Get(), true);
    } else {
        MoveCursor(mPrimarySurface.Get(), true, x, y);
    }
}

namespace {

/// Saves the part of `target` under the cursor area at `area` into `into` (a cursor-area surface). The visible part
/// is the area's intersection with `bounds`; a save that fails is tried once more with the screen rectangle also
/// cut to the primary. Returns whether the save succeeded.
bool SaveArea(Platform::DirectDrawSurface* into, Platform::DirectDrawSurface* target,
              Platform::DirectDrawSurface* primary, const WindowRect& area, const WindowRect& bounds,
              Platform::WindowPoint offset)
{
    const WindowRect visible = area.Intersection(bounds);
    if (visible.IsEmpty())
        return false;
    WindowRect screen = Offset(visible, offset.x, offset.y);
    WindowRect local = Offset(visible, -area.left, -area.top);
    if (Platform::Succeeded(into->Blt(&local, target, &screen, Platform::DDBLT_WAIT, nullptr)))
        return true;
    Platform::SurfaceDesc desc;
    desc.flags = Platform::DDSD_WIDTH | Platform::DDSD_HEIGHT;
    if (Platform::Failed(primary->GetSurfaceDesc(&desc)))
        return false;
    screen = screen.Intersection(WindowRect{0, 0, desc.width, desc.height});
    if (screen.IsEmpty())
        return false;
    local = Offset(screen, -offset.x - area.left, -offset.y - area.top);
    return Platform::Succeeded(into->Blt(&local, target, &screen, Platform::DDBLT_WAIT, nullptr));
}

} // namespace

void DDInterface::DrawCursorTo(Platform::DirectDrawSurface* target, bool offset)
{
    if (!mCursorImage || !mPrimarySurface || !target || !mOldCursorArea || !mNewCursorArea) {
        mHasOldCursorArea = false;
        return;
    }
    const Platform::WindowPoint shift = offset ? ClientOrigin(mHWnd) : Platform::WindowPoint{0, 0};
    const int cursorX = mCursorX;
    const int cursorY = mCursorY;
    const WindowRect area{cursorX - mCursorWidth / 2, cursorY - mCursorHeight / 2,
                          cursorX - mCursorWidth / 2 + mCursorWidth, cursorY - mCursorHeight / 2 + mCursorHeight};
    mHasOldCursorArea =
        SaveArea(mOldCursorArea.Get(), target, mPrimarySurface.Get(), area, ToWindowRect(mPresentationRect), shift);
    // Without a saved background the cursor could not be taken off again; the next move draws it afresh.
    if (!mHasOldCursorArea)
        return;

    const int imageWidth = mCursorImage->GetWidth();
    const int imageHeight = mCursorImage->GetHeight();
    if (target == mDrawSurface && !mIs3D && mScreenImage) {
        Graphics g(mScreenImage.get());
        g.DrawImage(mCursorImage, cursorX - imageWidth / 2, cursorY - imageHeight / 2);
        return;
    }
    mNewCursorArea->Blt(nullptr, mOldCursorArea.Get(), nullptr, Platform::DDBLT_WAIT, nullptr);
    {
        Graphics g(mNewCursorAreaImage.get());
        g.DrawImage(mCursorImage, mCursorWidth / 2 - imageWidth / 2, mCursorHeight / 2 - imageHeight / 2);
    }
    const WindowRect visible = area.Intersection(ToWindowRect(mPresentationRect));
    const WindowRect screen = Offset(visible, shift.x, shift.y);
    const WindowRect local = Offset(visible, -area.left, -area.top);
    target->Blt(&screen, mNewCursorArea.Get(), &local, Platform::DDBLT_WAIT, nullptr);
}

void DDInterface::MoveCursor(Platform::DirectDrawSurface* target, bool offset, int x, int y)
{
    if (!mCursorImage || !mPrimarySurface || !target || !mOldCursorArea || !mNewCursorArea) {
        mHasOldCursorArea = false;
        return;
    }
    const Platform::WindowPoint shift = offset ? ClientOrigin(mHWnd) : Platform::WindowPoint{0, 0};
    const WindowRect bounds = ToWindowRect(mPresentationRect);
    const int oldX = mCursorX;
    const int oldY = mCursorY;
    const WindowRect oldArea{oldX - mCursorWidth / 2, oldY - mCursorHeight / 2, oldX - mCursorWidth / 2 + mCursorWidth,
                             oldY - mCursorHeight / 2 + mCursorHeight};
    const WindowRect newArea{x - mCursorWidth / 2, y - mCursorHeight / 2, x - mCursorWidth / 2 + mCursorWidth,
                             y - mCursorHeight / 2 + mCursorHeight};
    const int imageWidth = mCursorImage->GetWidth();
    const int imageHeight = mCursorImage->GetHeight();

    const bool saved = SaveArea(mNewCursorArea.Get(), target, mPrimarySurface.Get(), newArea, bounds, shift);
    const WindowRect overlap = oldArea.Intersection(newArea);
    if (saved && !overlap.IsEmpty()) {
        // Where the areas overlap the screen shows the old cursor; the old saved background is the truth there.
        const WindowRect fromOld = Offset(overlap, -oldArea.left, -oldArea.top);
        const WindowRect intoNew = Offset(overlap, -newArea.left, -newArea.top);
        mNewCursorArea->Blt(&intoNew, mOldCursorArea.Get(), &fromOld, Platform::DDBLT_WAIT, nullptr);
        Graphics g(mOldCursorAreaImage.get());
        g.DrawImage(mCursorImage, x - oldX + mCursorWidth / 2 - imageWidth / 2,
                    y - oldY + mCursorHeight / 2 - imageHeight / 2);
    }
    // Erases the old cursor (and, where they overlap, shows part of the new one).
    const WindowRect oldVisible = oldArea.Intersection(bounds);
    if (!oldVisible.IsEmpty()) {
        const WindowRect screen = Offset(oldVisible, shift.x, shift.y);
        const WindowRect local = Offset(oldVisible, -oldArea.left, -oldArea.top);
        target->Blt(&screen, mOldCursorArea.Get(), &local, Platform::DDBLT_WAIT, nullptr);
    }
    mCursorX = x;
    mCursorY = y;
    mHasOldCursorArea = saved;
    if (!saved)
        return;
    mOldCursorArea->Blt(nullptr, mNewCursorArea.Get(), nullptr, Platform::DDBLT_WAIT, nullptr);
    {
        Graphics g(mNewCursorAreaImage.get());
        g.DrawImage(mCursorImage, mCursorWidth / 2 - imageWidth / 2, mCursorHeight / 2 - imageHeight / 2);
    }
    const WindowRect newVisible = newArea.Intersection(bounds);
    const WindowRect screen = Offset(newVisible, shift.x, shift.y);
    const WindowRect local = Offset(newVisible, -newArea.left, -newArea.top);
    target->Blt(&screen, mNewCursorArea.Get(), &local, Platform::DDBLT_WAIT, nullptr);
}

void DDInterface::RestoreCursorArea(Platform::DirectDrawSurface* target, bool offset)
{
    if (!mHasOldCursorArea || !mPrimarySurface || !target || !mOldCursorArea)
        return;
    const Platform::WindowPoint shift = offset ? ClientOrigin(mHWnd) : Platform::WindowPoint{0, 0};
    const int cursorX = mCursorX;
    const int cursorY = mCursorY;
    const WindowRect area{cursorX - mCursorWidth / 2, cursorY - mCursorHeight / 2,
                          cursorX - mCursorWidth / 2 + mCursorWidth, cursorY - mCursorHeight / 2 + mCursorHeight};
    const WindowRect visible = area.Intersection(WindowRect{0, 0, mWidth, mHeight});
    if (!visible.IsEmpty()) {
        const WindowRect screen = Offset(visible, shift.x, shift.y);
        const WindowRect local = Offset(visible, -area.left, -area.top);
        target->Blt(&screen, mOldCursorArea.Get(), &local, Platform::DDBLT_WAIT, nullptr);
    }
    mHasOldCursorArea = false;
}

} // namespace Pyxo
