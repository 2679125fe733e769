#pragma once

#include "engine/TextureHandle.h"
#include "graphics/Color.h"
#include "graphics/Matrix3.h"
#include "graphics/Rect.h"

#include <pugixml.hpp>

#include <vector>

namespace Pyxo {
class Graphics;
class Image;
} // namespace Pyxo

/// A frame set that widgets, cursors and particles draw: one frame or a numbered sequence of textures with a frame
/// rate, a source rectangle, a draw mode, a colour and a transform. Its frames are acquired while the owning
/// widget is shown (AcquireAll) and released when it is hidden (ReleaseAll). Main thread.
class TMTexture {
public:
    TMTexture() = default;
    /// Copies frames (not acquired), the source rectangle, additive flag, animation state and shown flag; the
    /// copy starts with an identity transform and colour (0, 0, 0, 0).
    TMTexture(const TMTexture& other);
    TMTexture& operator=(const TMTexture&) = delete;
    virtual ~TMTexture();

    /// The most frames a numbered sequence is looked for; real content stays far below.
    static constexpr int kMaxFrames = 1000;

    /// Reads one texture description ("u", "v", "width", "height", "fps", "count", "oneshot", "texture", "mode").
    /// A numbered sequence ends before its first id missing from the texture table, and at kMaxFrames (logged).
    void Load(pugi::xml_node node, int defaultWidth, int defaultHeight);
    /// The handle becomes the only frame; the animation stops at frame 0.
    void SetFrame(const TextureHandle& handle);
    void AcquireAll();
    void ReleaseAll();
    /// One frame at most per call, at the texture's frame rate.
    void Advance(float seconds);
    /// The current frame's source rectangle stretched into the destination.
    void Draw(Pyxo::Graphics* g, const Pyxo::Rect& destination);
    /// The current frame's source rectangle through the transform, in the texture's colour.
    void DrawTransformed(Pyxo::Graphics* g);
    /// The current frame's source rectangle through the transform, in the graphics' colour, cut to the clip
    /// rectangle; the graphics' clip and draw mode are restored after. How a widget draws its texture sets.
    void DrawClipped(Pyxo::Graphics* g);
    /// The current frame's image (acquiring its handle when needed), or null.
    [[nodiscard]] Pyxo::Image* GetCurrentImage();
    void SetRect(int x, int y, int width, int height) { mSourceRect = Pyxo::Rect(x, y, width, height); }
    /// Screen rectangle that DrawClipped stays inside.
    void SetClipRect(const Pyxo::Rect& clip) { mClipRect = clip; }
    void SetTransform(const Pyxo::Matrix3& matrix) { mTransform = matrix; }
    void SetColor(const Pyxo::Color& color) { mColor = color; }

    std::vector<TextureHandle> mFrames;
    Pyxo::Rect mSourceRect;
    bool mAdditive = false;
    Pyxo::Matrix3 mTransform{true}; // identity
    Pyxo::Color mColor{0, 0, 0, 0};
    int mFps = 0;
    int mCurrentFrame = 0;
    int mFrameCount = 0;
    int mOneShot = 1;
    float mAccumulator = 0.0f;
    bool mShown = true;
    Pyxo::Rect mClipRect{0, 0, 800, 600};
};
