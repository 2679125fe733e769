#pragma once

// Fixtures for the dialog and control tests: a listener and a screen that record what reaches them, a button whose
// sounds and cursors go to a log, a destination image that records the image draws, and helpers that read an
// interface-description snippet and drive the engine's widget manager.

#include "engine/TMButton.h"
#include "engine/TMDialog.h"
#include "graphics/Font.h"
#include "graphics/Graphics.h"
#include "graphics/Image.h"
#include "shell/ButtonListener.h"

#include <gtest/gtest.h>
#include <pugixml.hpp>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace DialogTest {

using Log = std::vector<std::string>;

inline std::string Id(intptr_t id)
{
    return std::to_string(static_cast<long long>(id));
}

/// Records every listener call as "call(id[,args])".
class RecordingListener : public Pyxo::ButtonListener {
public:
    void ButtonPressClicks(intptr_t id, int clicks) override
    {
        mLog.push_back("press(" + Id(id) + "," + std::to_string(clicks) + ")");
    }
    void ButtonRelease(intptr_t id) override { mLog.push_back("release(" + Id(id) + ")"); }
    void ButtonHeldTick(intptr_t id) override { mLog.push_back("held(" + Id(id) + ")"); }
    void ButtonMouseEnter(intptr_t id) override { mLog.push_back("enter(" + Id(id) + ")"); }
    void ButtonMouseLeave(intptr_t id) override { mLog.push_back("leave(" + Id(id) + ")"); }
    void ButtonMouseMove(intptr_t id, int x, int y) override
    {
        mLog.push_back("move(" + Id(id) + "," + std::to_string(x) + "," + std::to_string(y) + ")");
    }

    Log mLog;
};

/// A button whose sounds and cursor choices are logged as "sound:name" and "cursor:name".
class SinkButton : public TMButton {
public:
    SinkButton(TMCandyWidget* parent, intptr_t id, Pyxo::ButtonListener* listener, Log& sinks)
        : TMButton(parent, id, listener), mSinks(sinks)
    {
    }

protected:
    void PlaySound(const std::string& name) override
    {
        if (!name.empty())
            mSinks.push_back("sound:" + name);
    }
    void SelectCursor(const std::string& name) override { mSinks.push_back("cursor:" + name); }

private:
    Log& mSinks;
};

/// A screen: records every control id that reaches its OnControl.
class RecordingScreen : public TMDialog {
public:
    using TMDialog::TMDialog;
    void OnControl(intptr_t controlId) override { mControls.push_back(controlId); }
    std::vector<intptr_t> mControls;
};

/// Records the image draws that reach it: stretched ("stretch") and through a matrix ("matrix").
class DrawLogImage : public Pyxo::Image {
public:
    struct Op {
        std::string mKind;
        const Pyxo::Image* mSource = nullptr;
        Pyxo::Rect mRect; // destination of a stretch; the clip of a matrix draw
        Pyxo::Color mColor;
    };

    DrawLogImage(int width, int height)
    {
        mWidth = width;
        mHeight = height;
    }
    void StretchBlt(Pyxo::Image* image, const Pyxo::Rect& destRect, const Pyxo::Rect& /*srcRect*/,
                    const Pyxo::Rect& /*clipRect*/, const Pyxo::Color& color, int /*drawMode*/,
                    bool /*fastStretch*/) override
    {
        mOps.push_back({"stretch", image, destRect, color});
    }
    void BltTransformed(Pyxo::Image* image, const Pyxo::Rect* clipRect, const Pyxo::Color& color, int /*drawMode*/,
                        const Pyxo::Rect& /*srcRect*/, const Pyxo::Matrix3& /*transform*/, bool /*linearFilter*/,
                        float /*x*/, float /*y*/, bool /*center*/) override
    {
        mOps.push_back({"matrix", image, clipRect ? *clipRect : Pyxo::Rect(), color});
    }

    [[nodiscard]] int Count(const Pyxo::Image* source) const
    {
        int count = 0;
        for (const Op& op : mOps)
            count += op.mSource == source ? 1 : 0;
        return count;
    }

    std::vector<Op> mOps;
};

/// Every character 6 pixels wide, ascent 10, height 14; records the strings written into an image (text, baseline,
/// colour), leaving out the measuring passes, which write into no image.
class TestFont : public Pyxo::Font {
public:
    struct Drawn {
        std::wstring mText;
        int mX;
        int mY;
        Pyxo::Color mColor;
    };

    TestFont()
    {
        mAscent = 10;
        mHeight = 14;
    }
    int StringWidth(const std::wstring& text) override { return 6 * static_cast<int>(text.size()); }
    void DrawString(Pyxo::Graphics* g, int x, int y, const std::wstring& text, const Pyxo::Color& color,
                    const Pyxo::Rect& /*clipRect*/) override
    {
        if (g->mDestImage && g->mDestImage->GetWidth() > 0)
            mDrawn.push_back({text, x + static_cast<int>(g->mTransX), y + static_cast<int>(g->mTransY), color});
    }
    [[nodiscard]] std::unique_ptr<Pyxo::Font> Duplicate() const override { return std::make_unique<TestFont>(); }

    std::vector<Drawn> mDrawn;
};

/// Parses an interface-description snippet written as UTF-8.
inline pugi::xml_node Parse(pugi::xml_document& document, const char* xml)
{
    EXPECT_TRUE(document.load_string(xml)) << xml;
    return document.document_element();
}

} // namespace DialogTest
