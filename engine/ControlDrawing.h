#pragma once

#include "graphics/Rect.h"

#include <memory>

class TMCandyWidget;
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

} // namespace ControlDrawing
