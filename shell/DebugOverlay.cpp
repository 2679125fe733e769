#include "shell/DebugOverlay.h"

#include "graphics/Color.h"
#include "graphics/DDImage.h"
#include "graphics/Graphics.h"
#include "graphics/SysFont.h"
#include "shell/StrFormat.h"

#include <cmath>

namespace Pyxo {

DebugOverlay::DebugOverlay(DDInterface* display)
    : mFont(std::make_unique<SysFont>("Tahoma", 8, false, false, false)), mImage(std::make_unique<DDImage>(display))
{
    mImage->Create(kImageWidth, mFont->GetHeight() + 4);
}

DebugOverlay::~DebugOverlay() = default;

void DebugOverlay::Update(int mode, int mouseX, int mouseY)
{
    if (mode == kModeMousePosition) {
        Render(WStrFormat(L"%d,%d", mouseX, mouseY));
        return;
    }
    ++mFrames;
    int rate = 0;
    if (mResetPending) {
        mResetPending = false;
    } else {
        const double elapsed = mTimer.GetDuration();
        if (elapsed < 1000.0)
            return;
        rate = static_cast<int>(std::lround(mFrames * 1000.0 / elapsed));
    }
    mTimer.Start();
    mFrames = 0;
    Render(WStrFormat(L"FPS: %d", rate));
}

void DebugOverlay::Render(const std::wstring& text)
{
    mText = text;
    Graphics g(mImage.get());
    g.SetColor(Color::Black);
    g.FillRect(0, 0, mImage->mWidth, mImage->mHeight);
    g.SetFont(mFont.get());
    g.SetColor(Color::White);
    g.DrawString(text, 2, 2 + mFont->GetAscent());
}

void DebugOverlay::Draw(Graphics* g, int screenWidth, int screenHeight)
{
    g->DrawImage(mImage.get(), screenWidth - mImage->mWidth - kMargin, screenHeight - mImage->mHeight - kMargin);
}

} // namespace Pyxo
