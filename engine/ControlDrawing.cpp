#include "engine/ControlDrawing.h"

#include "engine/TMButton.h"
#include "engine/TMCandyWidget.h"
#include "engine/TMEngine.h"
#include "engine/TMText.h"
#include "engine/TMTexture.h"
#include "graphics/Graphics.h"
#include "graphics/MemoryImage.h"

namespace ControlDrawing {

int InheritedAlpha(const TMCandyWidget& widget)
{
    float alpha = 255.0f * widget.mAlpha;
    for (const TMCandyWidget* ancestor = widget.GetLogicalParent(); ancestor; ancestor = ancestor->GetLogicalParent())
        alpha *= ancestor->mAlpha;
    return static_cast<int>(alpha);
}

void SetFadedWhite(Pyxo::Graphics* g, const TMCandyWidget& widget)
{
    g->SetColor(Pyxo::Color(255, 255, 255, InheritedAlpha(widget)));
    g->SetColorize(true);
}

void DrawThroughWorld(Pyxo::Graphics* g, TMCandyWidget& widget, Pyxo::Image* image)
{
    Pyxo::Matrix3 matrix = widget.GetWorldMatrix();
    matrix.m[0][2] += static_cast<float>(widget.mShiftX);
    matrix.m[1][2] += static_cast<float>(widget.mShiftY);
    const Pyxo::Rect screen(0, 0, TMEngine::kScreenWidth, TMEngine::kScreenHeight);
    const Pyxo::Rect savedClip = g->mClipRect;
    // The clip is in screen coordinates like the matrix, so it is set directly rather than through ClipRect,
    // which would add the widget's translation.
    g->mClipRect = widget.GetBoundsThrough(matrix).Intersection(screen);
    g->DrawImageMatrix(image, matrix, Pyxo::Rect(0, 0, widget.mWidth, widget.mHeight), 0.0f, 0.0f);
    g->mClipRect = savedClip;
}

bool FitCacheImage(std::unique_ptr<Pyxo::MemoryImage>& image, const Pyxo::Rect& layout, Pyxo::PyxoAppBase* app)
{
    if (image && image->GetWidth() == layout.mWidth && image->GetHeight() == layout.mHeight)
        return false;
    image = app ? std::make_unique<Pyxo::MemoryImage>(app) : std::make_unique<Pyxo::MemoryImage>();
    image->Create(layout.mWidth, layout.mHeight);
    return true;
}

void WriteLayeredText(Pyxo::MemoryImage* image, const std::array<TextAttr, 3>& layers, const Pyxo::Rect& layout,
                      int hOffset, int vAlign, const std::wstring& text, int lineSpacing, int justify, bool disabled,
                      int maxChars)
{
    Pyxo::Font* normalFont = layers.back().font;
    if (!normalFont)
        return;
    Pyxo::Graphics g(image);
    Pyxo::Rect block(0, hOffset, layout.mWidth, layout.mHeight);
    if (vAlign != -1) {
        g.SetFont(normalFont);
        const int h = g.GetWrappedTextHeight(layout.mWidth, text, lineSpacing, nullptr);
        const int y = vAlign == 0 ? hOffset + (layout.mHeight - h) / 2 : hOffset + layout.mHeight - h;
        block = Pyxo::Rect(0, y, layout.mWidth, h);
    }
    for (const TextAttr& layer : layers) {
        if (!layer.font)
            continue;
        g.SetFont(layer.font);
        g.SetColor(disabled ? layer.disabledColor : layer.color);
        g.DrawWrappedText(block, text, lineSpacing, justify, nullptr, maxChars);
    }
}

void SetTexture(TMCandyWidget* widget, const TextureHandle& texture)
{
    if (auto* text = dynamic_cast<TMText*>(widget))
        text->SetTextureAll(texture);
    else if (auto* button = dynamic_cast<TMButton*>(widget))
        button->SetTextureAll(texture);
    else if (TMTexture* set = widget ? widget->GetNormalTextureSet() : nullptr)
        set->SetFrame(texture);
}

} // namespace ControlDrawing
