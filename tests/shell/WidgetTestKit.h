// Small fixtures for the widget tests: a widget that logs what the tree and the manager call on it, a
// destination image that logs the drawing operations that reach it, and a font of fixed metrics.
#pragma once

#include "graphics/Color.h"
#include "graphics/Font.h"
#include "graphics/Graphics.h"
#include "graphics/Image.h"
#include "graphics/Rect.h"
#include "shell/Widget.h"

#include <memory>
#include <string>
#include <vector>

namespace WidgetTestKit {

using Log = std::vector<std::string>;

inline std::string Call(const std::string& name, const std::string& what)
{
    return name + ":" + what;
}

/// Logs every handler call as "name:handler(args)".
class ProbeWidget : public Pyxo::Widget {
public:
    ProbeWidget(Log& log, std::string name, int x = 0, int y = 0, int width = 0, int height = 0)
        : mLog(log), mName(std::move(name))
    {
        mX = x;
        mY = y;
        mWidth = width;
        mHeight = height;
    }

    void Update() override
    {
        Widget::Update();
        Add("update");
    }
    void Draw(Pyxo::Graphics* g) override
    {
        Add("draw@" + std::to_string(int(g->mTransX)) + "," + std::to_string(int(g->mTransY)));
    }
    void GotFocus() override
    {
        Widget::GotFocus();
        Add("gotfocus");
    }
    void LostFocus() override
    {
        Widget::LostFocus();
        Add("lostfocus");
    }
    void KeyChar(wchar_t character) override { Add("char(" + std::to_string(int(character)) + ")"); }
    void KeyDown(int key) override
    {
        Widget::KeyDown(key);
        Add("keydown(" + std::to_string(key) + ")");
    }
    void KeyUp(int key) override { Add("keyup(" + std::to_string(key) + ")"); }
    void MouseEnter() override { Add("enter"); }
    void MouseLeave() override { Add("leave"); }
    void MouseMove(int x, int y) override { Add("move(" + Pair(x, y) + ")"); }
    void MouseDown(int x, int y, int button, int clickCount) override
    {
        Add("down(" + Pair(x, y) + "," + std::to_string(button) + "," + std::to_string(clickCount) + ")");
    }
    void MouseUp(int x, int y, int button, int clickCount) override
    {
        Add("up(" + Pair(x, y) + "," + std::to_string(button) + "," + std::to_string(clickCount) + ")");
    }
    void MouseDrag(int x, int y) override { Add("drag(" + Pair(x, y) + ")"); }
    void MouseWheel(int delta) override { Add("wheel(" + std::to_string(delta) + ")"); }
    [[nodiscard]] bool IsPointVisible(int x, int y) const override
    {
        return !mHoleInside || !(x >= 0 && y >= 0 && x < mWidth && y < mHeight);
    }

    bool mHoleInside = false; // lets the mouse through everywhere
    bool mLogUpdates = true;

protected:
    void Add(const std::string& what)
    {
        if (what == "update" && !mLogUpdates) {
            return;
        }
        mLog.push_back(Call(mName, what));
    }

private:
    static std::string Pair(int x, int y) { return std::to_string(x) + "," + std::to_string(y); }

    Log& mLog;
    std::string mName;
};

/// A destination image that records fills, outlines and blits in destination coordinates.
class RecordingImage : public Pyxo::Image {
public:
    struct Op {
        std::string mKind;
        Pyxo::Rect mRect; // destination
        Pyxo::Color mColor;
        const Pyxo::Image* mSource = nullptr;
        Pyxo::Rect mSrcRect;
    };

    RecordingImage(int width, int height)
    {
        mWidth = width;
        mHeight = height;
    }

    void FillRect(const Pyxo::Rect& rect, const Pyxo::Color& color, int /*drawMode*/) override
    {
        mOps.push_back({"fill", rect, color, nullptr, {}});
    }
    void DrawRect(const Pyxo::Rect& rect, const Pyxo::Color& color, int /*drawMode*/) override
    {
        mOps.push_back({"rect", rect, color, nullptr, {}});
    }
    void Blt(Pyxo::Image* image, int x, int y, const Pyxo::Rect& srcRect, const Pyxo::Color& color,
             int /*drawMode*/) override
    {
        mOps.push_back({"blt", Pyxo::Rect(x, y, srcRect.mWidth, srcRect.mHeight), color, image, srcRect});
    }

    std::vector<Op> mOps;
};

/// A source image of a given size that draws nothing itself.
inline std::unique_ptr<Pyxo::Image> MakeSourceImage(int width, int height)
{
    auto image = std::make_unique<Pyxo::Image>();
    image->mWidth = width;
    image->mHeight = height;
    return image;
}

/// Every character is 6 pixels wide; records the strings drawn (text, baseline position, colour).
class FixedFont : public Pyxo::Font {
public:
    struct Drawn {
        std::wstring mText;
        int mX;
        int mY;
        Pyxo::Color mColor;
    };

    explicit FixedFont(std::vector<Drawn>* drawn = nullptr, int ascent = 10, int height = 14, int padding = 0)
        : mDrawn(drawn)
    {
        mAscent = ascent;
        mHeight = height;
        mAscentPadding = padding;
    }

    int StringWidth(const std::wstring& text) override { return 6 * int(text.size()); }
    void DrawString(Pyxo::Graphics* g, int x, int y, const std::wstring& text, const Pyxo::Color& color,
                    const Pyxo::Rect& /*clipRect*/) override
    {
        if (mDrawn != nullptr) {
            mDrawn->push_back({text, x + int(g->mTransX), y + int(g->mTransY), color});
        }
    }
    [[nodiscard]] std::unique_ptr<Pyxo::Font> Duplicate() const override { return std::make_unique<FixedFont>(*this); }

    FixedFont(const FixedFont&) = default;

    std::vector<Drawn>* mDrawn; // borrowed; shared by duplicates
};

} // namespace WidgetTestKit
