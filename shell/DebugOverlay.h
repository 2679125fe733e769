#pragma once

#include "shell/Stopwatch.h"

#include <memory>
#include <string>

namespace Pyxo {

class DDImage;
class DDInterface;
class Graphics;
class SysFont;

/// The debug overlay in the bottom-right corner of the screen: the frame rate (mode 0) or the mouse position
/// (mode 1), rendered in the 8-point "Tahoma" system font into a display image 50 pixels wide and as high as the
/// font plus 4. The application makes it on the first frame that shows it and draws it after the widgets. Main
/// thread only.
class DebugOverlay {
public:
    static constexpr int kModeFrameRate = 0;
    static constexpr int kModeMousePosition = 1;
    static constexpr int kImageWidth = 50;
    static constexpr int kMargin = 10; // from the right and bottom edges

    explicit DebugOverlay(DDInterface* display);
    ~DebugOverlay();
    DebugOverlay(const DebugOverlay&) = delete;
    DebugOverlay& operator=(const DebugOverlay&) = delete;

    /// One frame: in mode 0 counts it and, a second after the last refresh (or right after ResetCounters),
    /// shows the rate over that time; in mode 1 shows the mouse position.
    void Update(int mode, int mouseX, int mouseY);
    /// The next frame in mode 0 shows "FPS: 0" and starts counting afresh.
    void ResetCounters() { mResetPending = true; }
    /// Draws the image at the bottom-right of a screen of the given size.
    void Draw(Graphics* g, int screenWidth, int screenHeight);
    /// The text the image shows.
    [[nodiscard]] const std::wstring& GetText() const { return mText; }
    [[nodiscard]] DDImage* GetImage() const { return mImage.get(); }

private:
    void Render(const std::wstring& text);

    std::unique_ptr<SysFont> mFont;
    std::unique_ptr<DDImage> mImage;
    Stopwatch mTimer; // since the last refresh of the frame rate
    int mFrames = 0;
    bool mResetPending = true;
    std::wstring mText;
};

} // namespace Pyxo
