#include "graphics/Graphics.h"

#include "graphics/DDImage.h"
#include "graphics/Font.h"
#include "graphics/Image.h"
#include "graphics/Matrix3.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdint>

namespace Pyxo {

namespace {

// Contexts made without a destination draw here: it has no pixels, so every clip against it is empty.
Image& EmptyImage()
{
    static Image sEmpty;
    return sEmpty;
}

int HexDigit(wchar_t c)
{
    if (c >= L'0' && c <= L'9') {
        return c - L'0';
    }
    if (c >= L'A' && c <= L'F') {
        return c - L'A' + 10;
    }
    if (c >= L'a' && c <= L'f') {
        return c - L'a' + 10;
    }
    return 0;
}

constexpr wchar_t kCodeMark = L'^';
constexpr size_t kCodeLength = 8; // a caret, six characters, a caret

// The RGB value (0x00RRGGBB) of the colour code at text[at], a caret with at least kCodeLength characters.
uint32_t ReadColorCode(const std::wstring& text, size_t at, uint32_t restoreColor)
{
    if (text[at + 1] == L'o') {
        return text.compare(at + 1, 6, L"oldclr") == 0 ? (restoreColor & 0xFFFFFF) : 0;
    }
    uint32_t rgb = 0;
    for (size_t i = 1; i <= 6; ++i) {
        rgb = (rgb << 4) | uint32_t(HexDigit(text[at + i]));
    }
    return rgb;
}

} // namespace

Graphics::Graphics(Image* destImage)
{
    mDestImage = destImage != nullptr ? destImage : &EmptyImage();
    mIs3D = destImage != nullptr && DDImage::Check3D(destImage);
    mClipRect = Rect(0, 0, mDestImage->GetWidth(), mDestImage->GetHeight());
}

Graphics::Graphics(const Graphics& other) : GraphicsState(other) {}

Graphics::~Graphics() = default;

std::unique_ptr<Graphics> Graphics::Create() const
{
    return std::make_unique<Graphics>(*this);
}

void Graphics::PushState()
{
    mStateStack.push_back(*this);
}

void Graphics::PopState()
{
    if (mStateStack.empty()) {
        return;
    }
    static_cast<GraphicsState&>(*this) = mStateStack.back();
    mStateStack.pop_back();
}

void Graphics::Translate(int x, int y)
{
    mTransX += float(x);
    mTransY += float(y);
}

void Graphics::SetClipRect(int x, int y, int width, int height)
{
    mClipRect = Rect(int(mTransX + float(x)), int(mTransY + float(y)), width, height)
                    .Intersection(Rect(0, 0, mDestImage->GetWidth(), mDestImage->GetHeight()));
}

void Graphics::ClipRect(int x, int y, int width, int height)
{
    mClipRect = mClipRect.Intersection(Rect(int(mTransX + float(x)), int(mTransY + float(y)), width, height));
}

void Graphics::FillRect(int x, int y, int width, int height)
{
    if (mColor.mAlpha == 0) {
        return;
    }
    const Rect rect = Rect(int(mTransX + float(x)), int(mTransY + float(y)), width, height).Intersection(mClipRect);
    mDestImage->FillRect(rect, mColor, mDrawMode);
}

void Graphics::DrawRect(int x, int y, int width, int height)
{
    if (mColor.mAlpha == 0) {
        return;
    }
    const Rect outline(int(mTransX + float(x)), int(mTransY + float(y)), width + 1, height + 1);
    if (outline.Intersection(mClipRect) == outline) {
        mDestImage->DrawRect(Rect(outline.mX, outline.mY, width, height), mColor, mDrawMode);
        return;
    }
    FillRect(x, y, width + 1, 1);
    FillRect(x, y + height, width + 1, 1);
    FillRect(x, y + 1, 1, height - 1);
    FillRect(x + width, y + 1, 1, height - 1);
}

const Color& Graphics::ImageColor() const
{
    return mColorizeImages ? mColor : Color::White;
}

void Graphics::DrawImage(Image* image, int x, int y)
{
    if (image == nullptr) {
        return;
    }
    if (mScaleX != 1.0f || mScaleY != 1.0f) {
        DrawImageSrcRect(image, x, y, Rect(0, 0, image->GetWidth(), image->GetHeight()));
        return;
    }
    const int destX = int(float(x) + mTransX);
    const int destY = int(float(y) + mTransY);
    const Rect rect = Rect(destX, destY, image->GetWidth(), image->GetHeight()).Intersection(mClipRect);
    if (rect.mWidth < 1 || rect.mHeight < 1) {
        return;
    }
    mDestImage->Blt(image, rect.mX, rect.mY, Rect(rect.mX - destX, rect.mY - destY, rect.mWidth, rect.mHeight),
                    ImageColor(), mDrawMode);
}

void Graphics::DrawImageSrcRect(Image* image, int x, int y, const Rect& srcRect)
{
    if (image == nullptr) {
        return;
    }
    // A source rectangle outside the image would make the blit read outside its pixels.
    if (srcRect.mX < 0 || srcRect.mY < 0 || srcRect.mX + srcRect.mWidth > image->GetWidth() ||
        srcRect.mY + srcRect.mHeight > image->GetHeight()) {
        return;
    }
    const int destX = int(float(x) + mTransX);
    const int destY = int(float(y) + mTransY);
    if (mScaleX == 1.0f && mScaleY == 1.0f) {
        const Rect rect = Rect(destX, destY, srcRect.mWidth, srcRect.mHeight).Intersection(mClipRect);
        if (rect.mWidth <= 0 || rect.mHeight <= 0) {
            return;
        }
        mDestImage->Blt(image, rect.mX, rect.mY,
                        Rect(srcRect.mX + rect.mX - destX, srcRect.mY + rect.mY - destY, rect.mWidth, rect.mHeight),
                        ImageColor(), mDrawMode);
        return;
    }
    const Rect destRect(int(std::floor((float(destX) - mScaleOrigX) * mScaleX) + mScaleOrigX),
                        int(std::floor((float(destY) - mScaleOrigY) * mScaleY) + mScaleOrigY),
                        int(std::ceil(float(srcRect.mWidth) * mScaleX)),
                        int(std::ceil(float(srcRect.mHeight) * mScaleY)));
    mDestImage->StretchBlt(image, destRect, srcRect, mClipRect, ImageColor(), mDrawMode, mFastStretch);
}

void Graphics::DrawImageStretched(Image* image, int x, int y, int width, int height)
{
    if (image == nullptr) {
        return;
    }
    mDestImage->StretchBlt(image, Rect(int(mTransX + float(x)), int(mTransY + float(y)), width, height),
                           Rect(0, 0, image->GetWidth(), image->GetHeight()), mClipRect, ImageColor(), mDrawMode,
                           mFastStretch);
}

void Graphics::DrawImageStretchedSrcRect(Image* image, const Rect& destRect, const Rect& srcRect)
{
    if (image == nullptr) {
        return;
    }
    const Rect moved(int(mTransX + float(destRect.mX)), int(mTransY + float(destRect.mY)), destRect.mWidth,
                     destRect.mHeight);
    mDestImage->StretchBlt(image, moved, srcRect, mClipRect, ImageColor(), mDrawMode, mFastStretch);
}

void Graphics::DrawImageMirror(Image* image, const Rect& destRect, const Rect& srcRect, bool mirror)
{
    if (!mirror) {
        DrawImageStretchedSrcRect(image, destRect, srcRect);
        return;
    }
    if (image == nullptr) {
        return;
    }
    const Rect moved(int(mTransX + float(destRect.mX)), int(mTransY + float(destRect.mY)), destRect.mWidth,
                     destRect.mHeight);
    mDestImage->StretchBltMirrored(image, moved, srcRect, mClipRect, ImageColor(), mDrawMode, mFastStretch);
}

void Graphics::DrawImageMatrix(Image* image, const Matrix3& matrix, const Rect& srcRect, float x, float y)
{
    if (image != nullptr) {
        mDestImage->BltTransformed(image, &mClipRect, ImageColor(), mDrawMode, srcRect, matrix, mLinearBlend, x, y,
                                   false);
    }
    mTransX = float(int(mTransX));
    mTransY = float(int(mTransY));
}

void Graphics::DrawImageTiledBox(const Rect& destRect, Image* image)
{
    if (image == nullptr) {
        return;
    }
    DrawImageTiledBoxSrcRect(Rect(0, 0, image->GetWidth(), image->GetHeight()), destRect, image);
}

void Graphics::DrawImageTiledBoxSrcRect(const Rect& srcRect, const Rect& destRect, Image* image)
{
    if (image == nullptr || srcRect.mWidth < 1 || srcRect.mHeight < 1) {
        return;
    }
    const int cw = srcRect.mWidth / 3;
    const int ch = srcRect.mHeight / 3;
    const int mw = srcRect.mWidth - 2 * cw; // at least 1
    const int mh = srcRect.mHeight - 2 * ch;
    const int sx = srcRect.mX;
    const int sy = srcRect.mY;
    const int dx = destRect.mX;
    const int dy = destRect.mY;
    const int dw = destRect.mWidth;
    const int dh = destRect.mHeight;

    DrawImageSrcRect(image, dx, dy, Rect(sx, sy, cw, ch));
    DrawImageSrcRect(image, dx + dw - cw, dy, Rect(sx + cw + mw, sy, cw, ch));
    DrawImageSrcRect(image, dx, dy + dh - ch, Rect(sx, sy + ch + mh, cw, ch));
    DrawImageSrcRect(image, dx + dw - cw, dy + dh - ch, Rect(sx + cw + mw, sy + ch + mh, cw, ch));

    // The last tile of each run overhangs; the clip of each copy cuts it to the box.
    const int columns = (dw - 2 * cw + mw - 1) / mw;
    const int rows = (dh - 2 * ch + mh - 1) / mh;

    Graphics edges(*this);
    edges.ClipRect(dx + cw, dy, dw - 2 * cw, dh);
    for (int i = 0; i < columns; ++i) {
        edges.DrawImageSrcRect(image, dx + cw + i * mw, dy, Rect(sx + cw, sy, mw, ch));
        edges.DrawImageSrcRect(image, dx + cw + i * mw, dy + dh - ch, Rect(sx + cw, sy + ch + mh, mw, ch));
    }

    Graphics sides(*this);
    sides.ClipRect(dx, dy + ch, dw, dh - 2 * ch);
    for (int j = 0; j < rows; ++j) {
        sides.DrawImageSrcRect(image, dx, dy + ch + j * mh, Rect(sx, sy + ch, cw, mh));
        sides.DrawImageSrcRect(image, dx + dw - cw, dy + ch + j * mh, Rect(sx + cw + mw, sy + ch, cw, mh));
    }

    Graphics middle(*this);
    middle.ClipRect(dx + cw, dy + ch, dw - 2 * cw, dh - 2 * ch);
    for (int i = 0; i < columns; ++i) {
        for (int j = 0; j < rows; ++j) {
            middle.DrawImageSrcRect(image, dx + cw + i * mw, dy + ch + j * mh, Rect(sx + cw, sy + ch, mw, mh));
        }
    }
}

void Graphics::DrawString(const std::wstring& text, int x, int y)
{
    if (mFont == nullptr) {
        return;
    }
    mFont->DrawString(this, x, y, text, mColor, mClipRect);
}

int Graphics::WriteString(const std::wstring& text, int x, int y, int width, int justification, bool draw, int offset,
                          int length, int restoreColor)
{
    if (mFont == nullptr) {
        return 0;
    }
    if (restoreColor == -1) {
        restoreColor = int(mColor.ToInt());
    }
    if (draw && (justification == 0 || justification == 1)) {
        const int measured = WriteString(text, 0, 0, -1, -1, false, offset, length, restoreColor);
        x += justification == 0 ? (width - measured) / 2 : width - measured;
    }

    const size_t start = size_t(std::clamp(offset, 0, int(std::min<size_t>(text.size(), INT_MAX))));
    size_t end = text.size();
    if (length >= 0 && size_t(length) < end - start) {
        end = start + size_t(length);
    }

    int runWidth = 0;
    std::wstring piece;
    const auto flush = [&] {
        if (draw && !piece.empty()) {
            DrawString(piece, x + runWidth, y);
        }
        runWidth += mFont->StringWidth(piece);
        piece.clear();
    };
    size_t i = start;
    while (i < end) {
        const wchar_t c = text[i];
        if (c != kCodeMark || !mWriteColoredString) {
            piece += c;
            ++i;
            continue;
        }
        if (i + 1 < end && text[i + 1] == kCodeMark) {
            piece += kCodeMark;
            i += 2;
            continue;
        }
        if (end - i < kCodeLength) {
            break; // an unfinished code ends the text
        }
        const uint32_t rgb = ReadColorCode(text, i, uint32_t(restoreColor));
        flush();
        if (draw) {
            // The code sets red, green and blue; the alpha in force stays.
            SetColor(Color(int((rgb >> 16) & 0xFF), int((rgb >> 8) & 0xFF), int(rgb & 0xFF), mColor.mAlpha));
        }
        i += kCodeLength;
    }
    flush();
    return runWidth;
}

int Graphics::WriteStringLimited(const std::wstring& text, int x, int y, int width, int justification, bool draw,
                                 int offset, int length, int restoreColor, int limit)
{
    // Length -1 runs to the end of the text, so the limit applies to that length too.
    const int64_t wanted = length < 0 ? int64_t(text.size()) - int64_t(offset) : int64_t(length);
    if (int64_t(offset) + wanted > int64_t(limit)) {
        const int64_t allowed = int64_t(limit) - int64_t(offset);
        if (allowed < 1) {
            return -1;
        }
        length = int(std::min<int64_t>(allowed, INT_MAX));
    }
    return WriteString(text, x, y, width, justification, draw, offset, length, restoreColor);
}

int Graphics::DrawWrappedText(const Rect& rect, const std::wstring& text, int lineSpacing, int justification,
                              int* widest, int maxChars, int* lineOffset)
{
    if (mFont == nullptr) {
        return 0;
    }
    Font& font = *mFont;
    if (lineSpacing == -1) {
        lineSpacing = font.GetLineSpacing();
    }
    const Color savedColor = mColor;
    const int restoreColor = int(savedColor.ToInt());
    const int limit = maxChars < 0 ? INT_MAX : maxChars;
    const size_t length = std::min<size_t>(text.size(), INT_MAX);

    int baseline = rect.mY + font.GetAscent() - font.GetAscentPadding();
    int lineX = lineOffset != nullptr ? *lineOffset : 0; // where the current line starts
    int lineWidth = 0;                                   // of the characters since the line start
    int maxWidth = 0;
    int lastWidth = 0;
    size_t lineStart = 0;
    size_t breakAt = SIZE_MAX;
    bool forceBreak = false;
    wchar_t previous = 0;
    bool endedByLimit = false;
    bool endsWithLineFeed = false;

    const auto lineVisible = [&] {
        const int screenY = int(float(baseline) + mTransY);
        return screenY >= mClipRect.mY && screenY < mClipRect.mY + mClipRect.mHeight + lineSpacing;
    };

    size_t i = 0;
    while (i < length) {
        wchar_t c = text[i];
        size_t step = 1;
        if (c == kCodeMark && mWriteColoredString) {
            if (i + 1 < length && text[i + 1] == kCodeMark) {
                step = 2; // one literal caret
            } else {
                i = std::min(i + kCodeLength, length);
                continue;
            }
        }
        if (c == L' ') {
            breakAt = i;
        } else if (c == L'\n') {
            breakAt = i;
            forceBreak = true;
        }
        lineWidth += font.CharWidthKern(c, previous);
        previous = c;

        if (!forceBreak && lineX + lineWidth <= rect.mWidth) {
            i += step;
            continue;
        }

        int candidate = 0;
        if (breakAt != SIZE_MAX) {
            if (lineVisible()) {
                (void)WriteStringLimited(text, rect.mX + lineX, baseline, rect.mWidth, justification, true,
                                         int(lineStart), int(breakAt - lineStart), restoreColor, limit);
            }
            // Deliberate: the candidate counts the characters after the break up to the overflowing one.
            candidate = lineX + lineWidth;
            endsWithLineFeed = text[breakAt] == L'\n';
            lineStart = breakAt + 1;
            if (!endsWithLineFeed) {
                while (lineStart < length && text[lineStart] == L' ') {
                    ++lineStart;
                }
            }
        } else {
            // One word wider than the line: cut it at the character that overflows, at least one character.
            const size_t count = std::max<size_t>(i - lineStart, 1);
            const int written = WriteStringLimited(text, rect.mX + lineX, baseline, rect.mWidth, justification, true,
                                                   int(lineStart), int(count), restoreColor, limit);
            if (written < 0) {
                endedByLimit = true;
                break;
            }
            candidate = lineX + written;
            lastWidth = candidate;
            endsWithLineFeed = false;
            lineStart += count;
        }
        maxWidth = std::max(maxWidth, candidate);
        lineX = 0;
        lineWidth = 0;
        previous = 0;
        baseline += lineSpacing;
        breakAt = SIZE_MAX;
        forceBreak = false;
        i = lineStart;
    }

    if (!endedByLimit) {
        if (lineStart < length) {
            const int written = WriteStringLimited(text, rect.mX + lineX, baseline, rect.mWidth, justification, true,
                                                   int(lineStart), int(length - lineStart), restoreColor, limit);
            if (written >= 0) {
                maxWidth = std::max(maxWidth, lineX + written);
                lastWidth = lineX + written;
            }
            baseline += lineSpacing;
        } else if (endsWithLineFeed) {
            lastWidth = 0;
            baseline += lineSpacing;
        }
    }

    SetColor(savedColor);
    if (widest != nullptr) {
        *widest = maxWidth;
    }
    if (lineOffset != nullptr) {
        *lineOffset = lastWidth;
    }
    return font.GetDescent() + baseline - lineSpacing - rect.mY;
}

int Graphics::GetWrappedTextHeight(int width, const std::wstring& text, int lineSpacing, int* widest)
{
    Graphics measure(nullptr);
    measure.SetFont(mFont);
    return measure.DrawWrappedText(Rect(0, 0, width, 0), text, lineSpacing, -1, widest, -1, nullptr);
}

} // namespace Pyxo
