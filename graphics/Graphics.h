#pragma once

#include "graphics/Color.h"
#include "graphics/Rect.h"

#include <memory>
#include <string>
#include <vector>

namespace Pyxo {

class Font;
class Image;
class Matrix3;

/// The state of a drawing context that is copied, pushed and popped.
struct GraphicsState {
    Image* mDestImage = nullptr; // borrowed; a static empty image when made without one
    float mTransX = 0.0f;        // added to every integer position, truncated after the addition
    float mTransY = 0.0f;
    float mScaleX = 1.0f; // image scale of DrawImage and DrawImageSrcRect
    float mScaleY = 1.0f;
    float mScaleOrigX = 0.0f; // the point about which images are scaled
    float mScaleOrigY = 0.0f;
    Rect mClipRect;                  // destination coordinates, translation already applied
    Color mColor;                    // fills, lines, text; images when colourising
    Font* mFont = nullptr;           // borrowed
    int mDrawMode = 0;               // 0 normal (alpha blending), 1 additive
    bool mColorizeImages = false;    // images drawn multiplied by mColor instead of White
    bool mFastStretch = false;       // nearest pixel instead of filtered stretching
    bool mWriteColoredString = true; // WriteString interprets inline colour codes
    bool mLinearBlend = false;       // bilinear filtering of matrix blits and textured triangles
    bool mIs3D = false;              // the destination is drawn through the 3-D display
};

/// The drawing context: binds a destination image, translation, clip, colour, font and draw mode, turns each call
/// into one call of the destination's drawing operations, and keeps a stack of saved states. Borrows the image
/// and the font. Lives for one chain of draw calls on one thread.
class Graphics : public GraphicsState {
public:
    /// Draws into the image, or into a static empty image when null.
    explicit Graphics(Image* destImage = nullptr);
    /// Copies the state; the new stack is empty.
    Graphics(const Graphics& other);
    Graphics& operator=(const Graphics&) = delete;
    virtual ~Graphics();

    /// A heap copy of this context.
    [[nodiscard]] std::unique_ptr<Graphics> Create() const;

    void PushState();
    void PopState(); // nothing on an empty stack

    [[nodiscard]] Font* GetFont() const { return mFont; }
    void SetFont(Font* font) { mFont = font; }
    [[nodiscard]] const Color& GetColor() const { return mColor; }
    void SetColor(const Color& color) { mColor = color; }
    [[nodiscard]] int GetDrawMode() const { return mDrawMode; }
    void SetDrawMode(int drawMode) { mDrawMode = drawMode; }
    [[nodiscard]] bool GetColorize() const { return mColorizeImages; }
    void SetColorize(bool colorize) { mColorizeImages = colorize; }
    void SetFastStretch(bool fastStretch) { mFastStretch = fastStretch; }
    void SetLinearBlend(bool linearBlend) { mLinearBlend = linearBlend; }

    void Translate(int x, int y);
    /// Clip = (translated rectangle) intersected with the destination.
    void SetClipRect(int x, int y, int width, int height);
    /// Clip = clip intersected with the translated rectangle: it only ever shrinks.
    void ClipRect(int x, int y, int width, int height);

    void FillRect(int x, int y, int width, int height);
    /// The outline covers (width + 1) x (height + 1) pixels.
    void DrawRect(int x, int y, int width, int height);
    void DrawImage(Image* image, int x, int y);
    void DrawImageSrcRect(Image* image, int x, int y, const Rect& srcRect);
    void DrawImageStretched(Image* image, int x, int y, int width, int height);
    void DrawImageStretchedSrcRect(Image* image, const Rect& destRect, const Rect& srcRect);
    /// Flipped left to right when mirror is set.
    void DrawImageMirror(Image* image, const Rect& destRect, const Rect& srcRect, bool mirror);
    /// x and y are passed as they are (the translation is not added).
    void DrawImageMatrix(Image* image, const Matrix3& matrix, const Rect& srcRect, float x, float y);
    /// A nine-part box of the whole image filling destRect.
    void DrawImageTiledBox(const Rect& destRect, Image* image);
    void DrawImageTiledBoxSrcRect(const Rect& srcRect, const Rect& destRect, Image* image);
    /// y is the baseline; nothing without a font.
    void DrawString(const std::wstring& text, int x, int y);

    /// Draws or measures one line with inline colour codes; returns the width of the processed text.
    /// justification 0 centres within width, 1 aligns right, others left; length -1 runs to the end;
    /// restoreColor -1 takes the current colour (0xAARRGGBB), which "oldclr" restores.
    int WriteString(const std::wstring& text, int x, int y, int width = -1, int justification = -1, bool draw = true,
                    int offset = 0, int length = -1, int restoreColor = -1);
    /// WriteString cut at limit characters; -1 when nothing is left to draw.
    int WriteStringLimited(const std::wstring& text, int x, int y, int width, int justification, bool draw, int offset,
                           int length, int restoreColor, int limit);
    /// Word-wraps the text into rect; returns the height used. lineSpacing -1 takes the font's; widest receives
    /// the widest line; maxChars -1 draws all; lineOffset holds the first line's x offset on entry and the last
    /// line's width on return.
    int DrawWrappedText(const Rect& rect, const std::wstring& text, int lineSpacing = -1, int justification = -1,
                        int* widest = nullptr, int maxChars = -1, int* lineOffset = nullptr);
    /// The height DrawWrappedText would use with the current font, drawing nothing.
    int GetWrappedTextHeight(int width, const std::wstring& text, int lineSpacing, int* widest);

private:
    /// The colour of image draws: the current colour when colourising, else White.
    [[nodiscard]] const Color& ImageColor() const;

    std::vector<GraphicsState> mStateStack; // last in, first out
};

} // namespace Pyxo
