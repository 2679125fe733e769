#pragma once

#include "engine/TextAttr.h"
#include "graphics/Rect.h"

#include <array>
#include <memory>
#include <string>

class TMCandyWidget;
class TextureHandle;
namespace Pyxo {
class Graphics;
class Image;
class MemoryImage;
class PyxoAppBase;
} // namespace Pyxo

/// How the engine's controls draw: their colour under faded ancestors, and a cached text image placed through the
/// widget's world matrix.
namespace ControlDrawing {

/// 255 x the widget's alpha x the alpha of every logical ancestor, in single precision, truncated.
[[nodiscard]] int InheritedAlpha(const TMCandyWidget& widget);

/// White at the inherited alpha with image colourising on: what the widget's texture sets are drawn in.
void SetFadedWhite(Pyxo::Graphics* g, const TMCandyWidget& widget);

/// The image through the world matrix plus the widget's shift, clipped to the bounds through that matrix cut to
/// the screen, source rectangle (0, 0, widget width, widget height). The graphics' clip is restored after.
void DrawThroughWorld(Pyxo::Graphics* g, TMCandyWidget& widget, Pyxo::Image* image);

/// The cache image of a control's layout size: kept when it has that size, else made anew (cleared). Returns
/// whether it was made anew.
bool FitCacheImage(std::unique_ptr<Pyxo::MemoryImage>& image, const Pyxo::Rect& layout, Pyxo::PyxoAppBase* app);

/// A label's wrapped text in its three layers (shadow, outline, text; a layer without a font is skipped), each in
/// its colour or its disabled colour, written into the cache image. The block spans the layout's width: from
/// hOffset down for vAlign -1, else of the normal (last) layer's wrapped height, centred (0) or at the bottom (1).
/// Nothing is written without a normal font. maxChars -1 writes the whole text.
void WriteLayeredText(Pyxo::MemoryImage* image, const std::array<TextAttr, 3>& layers, const Pyxo::Rect& layout,
                      int hOffset, int vAlign, const std::wstring& text, int lineSpacing, int justify, bool disabled,
                      int maxChars = -1);

/// Gives a control one picture: every state of a text or a button shows the texture, any other widget's "normal"
/// set takes it. Nothing happens without a widget.
void SetTexture(TMCandyWidget* widget, const TextureHandle& texture);

} // namespace ControlDrawing
