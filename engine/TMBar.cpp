#include "engine/TMBar.h"

#include "engine/ControlDrawing.h"
#include "engine/EngineLog.h"
#include "engine/TMEngine.h"
#include "engine/TextureTable.h"
#include "engine/XmlConfig.h"
#include "graphics/Graphics.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>

namespace {

// More segments than any screen shows side by side.
constexpr int kManySegments = 10000;

/// The widget's scale times the scale of every ancestor.
float ScaleWithAncestors(const TMCandyWidget* widget)
{
    float scale = 1.0f;
    for (; widget; widget = widget->GetLogicalParent())
        scale *= widget->mScale;
    return scale;
}

void LoadSegmentTexture(pugi::xml_node node, TMTexture& texture, int segmentWidth, int barHeight)
{
    if (!node)
        return;
    std::string name;
    XmlGetAttrString(node, "texture", name, kXmlNarrowSize);
    TMEngine* engine = TMEngine::GetEngine();
    TextureTable* table = engine ? engine->GetTextureTable() : nullptr;
    texture.SetFrame(table ? table->Find(name) : TextureHandle());
    int32_t u = 0, v = 0, height = barHeight;
    XmlGetAttrInt(node, "u", u);
    XmlGetAttrInt(node, "v", v);
    XmlGetAttrInt(node, "height", height);
    texture.SetRect(u, v, segmentWidth, height);
}

} // namespace

void TMBar::Load(pugi::xml_node node, Pyxo::PyxoAppBase* /*app*/)
{
    LoadCommon(node);
    int32_t segmentWidth = 0;
    if (!XmlGetAttrInt(node, "seg_width", segmentWidth) || segmentWidth <= 0) {
        EngineContentWarning("bar: \"seg_width\" is missing or not above 0; the bar draws nothing");
        segmentWidth = 0;
    }
    mSegmentWidth = segmentWidth;
    if (segmentWidth > 0 && mWidth / segmentWidth > kManySegments)
        EngineLog("%s: bar \"%s\" has %d segments (width %d, seg_width %d); only those on screen are drawn",
                  XmlFileOf(node).c_str(), XmlReadString(node, "name").c_str(), mWidth / segmentWidth, mWidth,
                  segmentWidth);
    LoadSegmentTexture(XmlSelectNode(node, "texture[@id='fill']"), mFill, mSegmentWidth, mHeight);
    LoadSegmentTexture(XmlSelectNode(node, "texture[@id='empty']"), mEmpty, mSegmentWidth, mHeight);
}

void TMBar::SetTextureAll(const TextureHandle& texture)
{
    mFill.SetFrame(texture);
    mEmpty.SetFrame(texture);
}

void TMBar::Activate()
{
    TMCandyWidget::Activate();
    mFill.AcquireAll();
    mEmpty.AcquireAll();
}

void TMBar::Deactivate()
{
    TMCandyWidget::Deactivate();
    mFill.ReleaseAll();
    mEmpty.ReleaseAll();
}

void TMBar::Draw(Pyxo::Graphics* g)
{
    ControlDrawing::SetFadedWhite(g, *this);
    if (mSegmentWidth <= 0 || !mFill.GetCurrentImage() || !mEmpty.GetCurrentImage())
        return;
    const float scale = ScaleWithAncestors(this);
    const int count = mWidth / mSegmentWidth;
    // Without a maximum nothing is filled.
    const float filled = mMaximum != 0 ? static_cast<float>(mValue) / static_cast<float>(mMaximum) : 0.0f;
    const int segmentWidth = static_cast<int>(static_cast<float>(mSegmentWidth) * scale);
    if (segmentWidth <= 0)
        return; // every segment is empty of pixels
    // Each segment starts where the scaled ones before it end: the scale is already in x. Only the segments that
    // meet the clip are drawn; the others would leave no pixel, and a huge count would take hours.
    const double clipLeft = static_cast<double>(g->mClipRect.mX) - g->mTransX;
    const double clipRight = clipLeft + g->mClipRect.mWidth;
    const double first = std::floor(clipLeft / segmentWidth) - 1.0;
    const double last = std::ceil(clipRight / segmentWidth) + 1.0;
    const int begin = static_cast<int>(std::clamp(first, 0.0, static_cast<double>(count)));
    const int end = static_cast<int>(std::clamp(last, 0.0, static_cast<double>(count)));
    for (int i = begin; i < end; ++i) {
        const bool empty = mMaximum == 0 || static_cast<float>(i) / static_cast<float>(count) >= filled;
        const int64_t x = std::clamp<int64_t>(int64_t{i} * segmentWidth, INT32_MIN, INT32_MAX);
        (empty ? mEmpty : mFill).Draw(g, Pyxo::Rect(static_cast<int>(x), 0, segmentWidth, mHeight));
    }
}
