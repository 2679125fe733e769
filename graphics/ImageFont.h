#pragma once

#include "graphics/ActiveFontLayer.h"
#include "graphics/Font.h"

#include <list>
#include <string>
#include <vector>

namespace Pyxo {

class CritSect;
class FontData;
class PyxoAppBase;

/// The process-wide lock around image-font drawing, whose glyph queue is shared by every image font.
CritSect& FontLock();

/// A bitmap font drawn from the layers of a font descriptor. For its point size, scale and tags it picks the
/// layers that apply (the active layers, rebuilt lazily after a change), measures text with per-pair kerning and
/// draws every glyph of every layer sorted into 256 drawing-order buckets, so that, for instance, all outline
/// glyphs of a string lie under all fill glyphs. Copies share the font data. Measuring is not locked; drawing
/// runs under FontLock.
class ImageFont : public Font {
public:
    static constexpr int kMaxQueuedGlyphs = 10240; // glyphs one draw can queue, over all layers
    static constexpr int kOrderBuckets = 256;

    /// Reads the descriptor; without success the font data stays uninitialised and the font draws nothing.
    ImageFont(PyxoAppBase* app, const std::string& fontDescFileName);
    ImageFont(const ImageFont& other);
    ~ImageFont() override;

    [[nodiscard]] int StringWidth(const std::wstring& text) override;
    [[nodiscard]] int CharWidth(wchar_t character) override;
    /// The advance of the character after the previous one (0: none), the widest over the active layers.
    [[nodiscard]] int CharWidthKern(wchar_t character, wchar_t previous) override;
    void DrawString(Graphics* g, int x, int y, const std::wstring& text, const Color& color,
                    const Rect& clipRect) override;
    [[nodiscard]] std::unique_ptr<Font> Duplicate() const override;

    /// Rebuilds the active layers and the metrics; nothing while the font data is not initialised.
    virtual void GenerateActiveFontLayers();
    /// Draws the text with y as the baseline, in the context's clip (clipRect is not used). drawnRects, when
    /// given, receives every queued glyph's rectangle; width the advance of the text.
    virtual void DrawStringEx(Graphics* g, int x, int y, const std::wstring& text, const Color& color,
                              const Rect& clipRect, std::vector<Rect>* drawnRects, int* width);
    virtual void SetPointSize(int pointSize);
    [[nodiscard]] virtual int GetPointSize() const { return mPointSize; }
    virtual void SetScale(double scale);
    [[nodiscard]] virtual int GetDefaultPointSize() const;
    /// Stores the tag upper-cased; false when it is there already.
    virtual bool AddTag(const std::string& tag);
    /// Removes the upper-cased tag; false when it was not there.
    virtual bool RemoveTag(const std::string& tag);
    /// Whether the tag is stored exactly as given.
    [[nodiscard]] virtual bool HasTag(const std::string& tag) const;
    /// The descriptor's definition as text: a list as "(a, b, ...)"; "" when there is none.
    [[nodiscard]] virtual std::wstring GetDefine(const std::wstring& name) const;
    /// Rebuilds the active layers when a change made them stale.
    virtual void Prepare();

    FontData* mFontData = nullptr; // counted reference
    int mPointSize = 0;
    std::vector<std::string> mTagVector; // upper-cased
    bool mActiveListValid = false;
    std::list<ActiveFontLayer> mActiveLayerList; // descriptor order
    double mScale = 1.0;

private:
    void MakeScaledImage(ActiveFontLayer& active, const FontLayer& layer, double factor);
};

} // namespace Pyxo
