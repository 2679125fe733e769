// The one-line edit control driven through the widget manager's key and character path, the mouse, the blink,
// the scrolling and the real clipboard on SDL's dummy video driver.
#include "engine/TMEditWidget.h"

#include "engine/DialogControlFactory.h"
#include "engine/TMDialog.h"
#include "graphics/Font.h"
#include "graphics/Graphics.h"
#include "graphics/MemoryImage.h"
#include "platform/window/Clipboard.h"
#include "platform/window/Utf16Conversion.h"
#include "platform/window/VirtualKeys.h"
#include "shell/WidgetManager.h"
#include "tests/engine/DialogTestKit.h"
#include "tests/engine/EngineTestKit.h"
#include "tests/shell/PyxoAppBaseTestApp.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

using namespace Platform;

constexpr wchar_t kWide = 0x2588;       // drawn 40 pixels wide
constexpr wchar_t kUndrawable = 0x2603; // the font has no glyph for it

/// Every character 6 pixels wide, except the wide one and the one without a glyph; draws nothing.
class TestFont : public Pyxo::Font {
public:
    TestFont()
    {
        mAscent = 10;
        mHeight = 14;
    }
    int StringWidth(const std::wstring& text) override
    {
        int width = 0;
        for (const wchar_t c : text)
            width += c == kWide ? 40 : c == kUndrawable ? 0 : 6;
        return width;
    }
    [[nodiscard]] std::unique_ptr<Pyxo::Font> Duplicate() const override { return std::make_unique<TestFont>(*this); }
    TestFont(const TestFont&) = default;
};

class EditFixture : public PyxoTest::AppFixture {
protected:
    void SetUp() override
    {
        AppFixture::SetUp();
        mApp = std::make_unique<PyxoTest::TestApp>();
        mApp->mUnicodeWindows = true;
        mEdit = std::make_unique<TMEditWidget>(nullptr);
        mEdit->SetTextAttr(2, &mFont, Pyxo::Color(0, 0, 0), Pyxo::Color(255, 255, 255));
        mEdit->Resize(0, 0, 200, 20);
        Manager().AddWidget(mEdit.get());
        Manager().SetFocus(mEdit.get());
    }

    void TearDown() override
    {
        mEdit.reset();
        AppFixture::TearDown();
    }

    Pyxo::WidgetManager& Manager() { return *mApp->mWidgetManager; }

    void Key(uint32_t key, wchar_t character = 0)
    {
        Manager().KeyDown(static_cast<int>(key));
        if (character != 0)
            Manager().KeyChar(character);
        Manager().KeyUp(static_cast<int>(key));
    }

    /// "type:<utf-8 text>" types it as key and character pairs; "clip:<utf-8 text>" puts it on the clipboard;
    /// otherwise optional "C-" (Ctrl) and "S-" (Shift) then Left, Right, Home, End, Back, Del or a letter with
    /// Ctrl, which arrives as its control character.
    void Run(const std::string& step)
    {
        if (step.rfind("type:", 0) == 0) {
            for (const wchar_t c : Utf8ToUtf16(step.substr(5))) {
                uint32_t key = c;
                if (c >= L'a' && c <= L'z')
                    key = c - L'a' + L'A';
                else if (c > 127)
                    key = 'F';
                else if (c != L' ' && !(c >= L'0' && c <= L'9') && !(c >= L'A' && c <= L'Z'))
                    key = VK_OEM_1;
                Key(key, c);
            }
            return;
        }
        if (step.rfind("clip:", 0) == 0) {
            ASSERT_TRUE(SetClipboardText(Utf8ToUtf16(step.substr(5))));
            return;
        }
        std::string name = step;
        const bool ctrl = name.rfind("C-", 0) == 0;
        if (ctrl)
            name = name.substr(2);
        const bool shift = name.rfind("S-", 0) == 0;
        if (shift)
            name = name.substr(2);
        if (ctrl)
            Manager().KeyDown(VK_CONTROL);
        if (shift)
            Manager().KeyDown(VK_SHIFT);
        if (name == "Left")
            Key(VK_LEFT);
        else if (name == "Right")
            Key(VK_RIGHT);
        else if (name == "Home")
            Key(VK_HOME);
        else if (name == "End")
            Key(VK_END);
        else if (name == "Back")
            Key(VK_BACK, 8);
        else if (name == "Del")
            Key(VK_DELETE);
        else if (name.size() == 1 && ctrl)
            Key(static_cast<uint32_t>(name[0] - 'a' + 'A'), static_cast<wchar_t>(name[0] - 'a' + 1));
        else
            ADD_FAILURE() << "unknown step " << step;
        if (shift)
            Manager().KeyUp(VK_SHIFT);
        if (ctrl)
            Manager().KeyUp(VK_CONTROL);
    }

    void RunAll(const std::vector<std::string>& steps)
    {
        for (const std::string& step : steps)
            Run(step);
    }

    TestFont mFont;
    std::unique_ptr<TMEditWidget> mEdit;
};

struct KeyCase {
    const char* name;
    const char* setText; // SetText before the steps; null for none
    wchar_t mask;
    int maxChars;
    int maxWidth;
    std::vector<std::string> steps;
    const char* text; // UTF-8
    int caret;
    int anchor;
    const char* afterUndo; // the text after one more Ctrl+Z
    const char* clipboard; // the clipboard after the steps; null: not checked
};

const KeyCase kKeyCases[] = {
    {"typing stops at 15 characters",
     nullptr,
     0,
     -1,
     -1,
     {"type:abcdefghijklmnopq"},
     "abcdefghijklmno",
     15,
     -1,
     "",
     nullptr},
    {"Backspace at 15 then typing works",
     nullptr,
     0,
     -1,
     -1,
     {"type:abcdefghijklmnop", "Back", "type:z"},
     "abcdefghijklmnz",
     15,
     -1,
     "",
     nullptr},
    {"paste at 13 characters fits",
     nullptr,
     0,
     -1,
     -1,
     {"type:abcdefghijklm", "clip:x", "C-v"},
     "abcdefghijklmx",
     14,
     -1,
     "abcdefghijklm",
     nullptr},
    {"paste at 14 characters would reach 15",
     nullptr,
     0,
     -1,
     -1,
     {"type:abcdefghijklmn", "clip:x", "C-v"},
     "abcdefghijklmn",
     14,
     -1,
     "",
     nullptr},
    {"paste at 15 characters without a selection",
     nullptr,
     0,
     -1,
     -1,
     {"type:abcdefghijklmno", "clip:x", "C-v"},
     "abcdefghijklmno",
     15,
     -1,
     "",
     nullptr},
    {"paste at 15 over a selection is cut to 15",
     nullptr,
     0,
     -1,
     -1,
     {"type:abcdefghijklmno", "S-Left", "S-Left", "clip:xyz", "C-v"},
     "abcdefghijklmxy",
     15,
     -1,
     "abcdefghijklmno",
     nullptr},
    {"paste stops at a line break and drops what the font lacks",
     nullptr,
     0,
     -1,
     -1,
     {"clip:a\xE2\x98\x83"
      "b\r\nc",
      "C-v"},
     "ab",
     2,
     -1,
     "",
     nullptr},
    {"Shift+Left twice selects the last two",
     nullptr,
     0,
     -1,
     -1,
     {"type:abc", "S-Left", "S-Left"},
     "abc",
     1,
     3,
     "",
     nullptr},
    {"then Left goes to the selection start",
     nullptr,
     0,
     -1,
     -1,
     {"type:abc", "S-Left", "S-Left", "Left"},
     "abc",
     1,
     -1,
     "",
     nullptr},
    {"Right with a selection goes to its end",
     nullptr,
     0,
     -1,
     -1,
     {"type:abc", "S-Left", "S-Left", "Right"},
     "abc",
     3,
     -1,
     "",
     nullptr},
    {"Ctrl+Left to the word start", nullptr, 0, -1, -1, {"type:ab  cd", "C-Left"}, "ab  cd", 4, -1, "", nullptr},
    {"Ctrl+Left twice over the blanks",
     nullptr,
     0,
     -1,
     -1,
     {"type:ab  cd", "C-Left", "C-Left"},
     "ab  cd",
     0,
     -1,
     "",
     nullptr},
    {"Ctrl+Right to the next word",
     nullptr,
     0,
     -1,
     -1,
     {"type:ab  cd", "Home", "C-Right"},
     "ab  cd",
     4,
     -1,
     "",
     nullptr},
    {"Ctrl+Right twice to the end",
     nullptr,
     0,
     -1,
     -1,
     {"type:ab  cd", "Home", "C-Right", "C-Right"},
     "ab  cd",
     6,
     -1,
     "",
     nullptr},
    {"Ctrl+Shift+Left selects the word", nullptr, 0, -1, -1, {"type:ab  cd", "C-S-Left"}, "ab  cd", 4, 6, "", nullptr},
    {"copy with a mask copies the mask",
     nullptr,
     L'*',
     -1,
     -1,
     {"type:abc", "S-Left", "S-Left", "C-c"},
     "abc",
     1,
     -1,
     "",
     "**"},
    {"cut with a mask removes the text",
     nullptr,
     L'*',
     -1,
     -1,
     {"type:abc", "S-Left", "S-Left", "C-x"},
     "a",
     1,
     -1,
     "abc",
     "**"},
    {"undo of a typing run", nullptr, 0, -1, -1, {"type:xy", "Home", "type:abc"}, "abcxy", 3, -1, "xy", nullptr},
    {"a second undo redoes", nullptr, 0, -1, -1, {"type:abc", "C-z"}, "", 0, -1, "abc", nullptr},
    {"a run of Deletes is one step",
     nullptr,
     0,
     -1,
     -1,
     {"type:abcd", "Home", "Del", "Del"},
     "cd",
     0,
     -1,
     "abcd",
     nullptr},
    {"a run of Backspaces is one step",
     nullptr,
     0,
     -1,
     -1,
     {"type:abcd", "Left", "Back", "Back"},
     "ad",
     1,
     -1,
     "abcd",
     nullptr},
    {"'Z' replaces a set name", "Anna", 0, -1, -1, {"type:Z"}, "Z", 1, -1, "Anna", nullptr},
    {"'7' replaces a set name", "Anna", 0, -1, -1, {"type:7"}, "7", 1, -1, "Anna", nullptr},
    {"a space replaces a set name", "Anna", 0, -1, -1, {"type: "}, " ", 1, -1, "Anna", nullptr},
    {"a letter without a glyph is not typed",
     nullptr,
     0,
     -1,
     -1,
     {"type:a\xE2\x98\x83"
      "b"},
     "ab",
     2,
     -1,
     "",
     nullptr},
    {"the owner's character limit", nullptr, 0, 3, -1, {"type:abcde"}, "abc", 3, -1, "", nullptr},
    {"the owner's width limit", nullptr, 0, -1, 20, {"type:abcde"}, "abc", 3, -1, "", nullptr},
    {"a Cyrillic name copied and pasted",
     nullptr,
     0,
     -1,
     -1,
     {"type:\xD0\x96\xD0\xBE\xD1\x80\xD0\xB0", "C-S-Left", "C-c", "C-v"},
     "\xD0\x96\xD0\xBE\xD1\x80\xD0\xB0\xD0\x96\xD0\xBE\xD1\x80\xD0\xB0",
     4,
     -1,
     "\xD0\x96\xD0\xBE\xD1\x80\xD0\xB0",
     "\xD0\x96\xD0\xBE\xD1\x80\xD0\xB0"},
};

TEST_F(EditFixture, KeysAndCharactersEditTextCaretSelectionAndUndo)
{
    for (const KeyCase& c : kKeyCases) {
        SCOPED_TRACE(c.name);
        mEdit = std::make_unique<TMEditWidget>(nullptr);
        mEdit->SetTextAttr(2, &mFont, Pyxo::Color(0, 0, 0), Pyxo::Color(255, 255, 255));
        mEdit->Resize(0, 0, 200, 20);
        Manager().AddWidget(mEdit.get());
        Manager().SetFocus(mEdit.get());
        mEdit->SetMaskChar(c.mask);
        mEdit->SetMaxChars(c.maxChars);
        mEdit->SetMaxWidth(c.maxWidth);
        if (c.setText)
            mEdit->SetText(Utf8ToUtf16(c.setText), false);
        ASSERT_TRUE(SetClipboardText(L"-"));

        RunAll(c.steps);
        EXPECT_EQ(Utf16ToUtf8(mEdit->GetText()), c.text);
        EXPECT_EQ(mEdit->GetCaret(), c.caret);
        EXPECT_EQ(mEdit->GetAnchor(), c.anchor);
        if (c.clipboard) {
            EXPECT_EQ(mApp->GetClipboardText(), c.clipboard);
        }
        Run("C-z");
        EXPECT_EQ(Utf16ToUtf8(mEdit->GetText()), c.afterUndo) << "after undo";
    }
}

TEST_F(EditFixture, CopiedCyrillicReachesThePlatformClipboardAsTheSameLetters)
{
    RunAll({"type:\xD0\x96\xD0\xBE\xD1\x80\xD0\xB0_1", "C-S-Left", "C-c"});
    EXPECT_EQ(GetClipboardText(), L"\u0416\u043E\u0440\u0430_1");
}

TEST_F(EditFixture, EnterAndEscapeAlsoReachTheScreen)
{
    class Screen : public Pyxo::Widget {
    public:
        void KeyDown(int key) override { mKeys.push_back(key); }
        std::vector<int> mKeys;
    };
    Screen screen;
    TMCandyWidget dialog(nullptr);
    Manager().RemoveWidget(mEdit.get());
    Manager().AddWidget(&screen);
    screen.AddWidget(&dialog);
    dialog.AddWidget(mEdit.get());
    Manager().SetFocus(mEdit.get());

    Key(VK_RETURN, 13);
    Key(VK_ESCAPE, 27);
    Key('A', L'a');
    EXPECT_EQ(screen.mKeys, (std::vector<int>{13, 27}));
    EXPECT_EQ(mEdit->GetText(), L"a");
    dialog.RemoveWidget(mEdit.get());
    screen.RemoveWidget(&dialog);
    Manager().RemoveWidget(&screen);
}

// x = 6k + 2 puts the caret at index k >= 1 with the 6-pixel font.
int AtIndex(int k)
{
    return 6 * k + 2;
}

struct MouseCase {
    const char* name;
    int downAt;
    int dragTo; // -1: no drag
    int clicks;
    int caret;
    int anchor;
};

TEST_F(EditFixture, MouseClicksDragsAndDoubleClicksSelect)
{
    // Words: "hi" 0-2, "Ab_7Жо" 3-9, "x" 11-12.
    const MouseCase cases[] = {
        {"a click places the caret", 4, -1, 1, 4, -1},
        {"left of the first character", 0, -1, 1, 0, -1},
        {"a drag selects", 1, 4, 1, 4, 1},
        {"double-click inside a word", 5, -1, 2, 9, 3},
        {"double-click at a word's start", 3, -1, 2, 9, 3},
        {"double-click just past a word stays in it", 2, -1, 2, 2, 0},
        {"double-click past a word before a comma", 9, -1, 2, 9, 3},
        {"double-click on the last word", 12, -1, 2, 12, 11},
    };
    mEdit->SetText(L"hi Ab_7\u0416\u043E, x", true);
    for (const MouseCase& c : cases) {
        SCOPED_TRACE(c.name);
        const int x = c.downAt == 0 ? 0 : AtIndex(c.downAt);
        for (int click = 1; click <= c.clicks; ++click) {
            mEdit->MouseDownClicks(x, 5, click);
            if (c.dragTo >= 0)
                mEdit->MouseDrag(AtIndex(c.dragTo), 5);
            mEdit->MouseUpClicks(c.dragTo >= 0 ? AtIndex(c.dragTo) : x, 5, click);
        }
        EXPECT_EQ(mEdit->GetCaret(), c.caret);
        EXPECT_EQ(mEdit->GetAnchor(), c.anchor);
    }
}

TEST_F(EditFixture, TheCaretBlinksEvery40UpdatesWhileFocused)
{
    EXPECT_TRUE(mEdit->IsCaretOn());
    std::vector<bool> phases;
    for (int i = 0; i < 82; ++i) {
        mEdit->Update();
        phases.push_back(mEdit->IsCaretOn());
    }
    EXPECT_TRUE(phases[39]);
    EXPECT_FALSE(phases[40]) << "the 41st update ends the first phase";
    EXPECT_FALSE(phases[80]);
    EXPECT_TRUE(phases[81]);

    Manager().SetFocus(nullptr);
    EXPECT_FALSE(mEdit->IsCaretOn());
    for (int i = 0; i < 100; ++i)
        mEdit->Update();
    EXPECT_FALSE(mEdit->IsCaretOn());
}

TEST_F(EditFixture, ScrollingEndsAndKeepsTheCaretInView)
{
    // A 10-pixel control leaves 2 pixels for text: no glyph fits, and the widest one stands before the caret.
    mEdit->Resize(0, 0, 10, 20);
    mEdit->SetText(std::wstring(L"ab") + kWide, false);
    EXPECT_EQ(mEdit->GetFirstVisible(), 2);
    Run("Home");
    EXPECT_EQ(mEdit->GetFirstVisible(), 0);
    Run("End");
    EXPECT_EQ(mEdit->GetFirstVisible(), 2);

    // 20 pixels of text room: stepping right by ten characters at a time must not pass the caret.
    mEdit->Resize(0, 0, 28, 20);
    mEdit->SetText(L"abcdefghijkl", false);
    Run("Home");
    for (int i = 1; i <= 12; ++i) {
        Run("Right");
        SCOPED_TRACE(i);
        EXPECT_LE(mEdit->GetFirstVisible(), mEdit->GetCaret());
    }
    EXPECT_GT(mEdit->GetFirstVisible(), 0);
}

struct DrawCase {
    const char* name;
    bool focused;
    bool caretOn;
    bool select; // the last two characters
    int from;    // the highlighted columns of the 4-pixel-inset text, [from, to)
    int to;
};

TEST_F(EditFixture, TheCaretAndTheSelectionAreHighlighted)
{
    const DrawCase cases[] = {
        {"caret on", true, true, false, 4 + 18, 4 + 20},
        {"caret off", true, false, false, 0, 0},
        {"selection", true, true, true, 4 + 6, 4 + 18},
        {"no focus", false, true, true, 0, 0},
    };
    pugi::xml_document doc;
    pugi::xml_node node = doc.append_child("element");
    node.append_attribute("width") = 60;
    node.append_attribute("height") = 20;
    node.append_attribute("hilite_color") = "0xFF0000FF";
    mEdit->Load(node, mApp.get());
    mEdit->SetText(L"abc", true);
    Run("End");
    for (const DrawCase& c : cases) {
        SCOPED_TRACE(c.name);
        Manager().SetFocus(c.focused ? mEdit.get() : nullptr);
        Run("End");
        if (c.select)
            RunAll({"S-Left", "S-Left"});
        if (!c.caretOn) {
            for (int i = 0; i <= TMEditWidget::kBlinkPeriod; ++i)
                mEdit->Update();
            ASSERT_FALSE(mEdit->IsCaretOn());
        }

        Pyxo::MemoryImage screen(mApp.get());
        screen.Create(60, 20);
        screen.Clear();
        Pyxo::Graphics g(&screen);
        mEdit->Draw(&g);
        const uint32_t* bits = screen.GetBits();
        for (int x = 0; x < 60; ++x) {
            // Blending may round the blue by one.
            const uint32_t pixel = bits[10 * 60 + x];
            const bool lit = (pixel >> 24) == 0xFF && (pixel & 0xFF) >= 0xF0;
            EXPECT_EQ(lit, x >= c.from && x < c.to) << "column " << x << std::hex << " " << pixel;
        }
    }
}

class EditInDialog : public EngineTest::EngineFixture {};

TEST_F(EditInDialog, TheInterfaceDescriptionBuildsEditControls)
{
    TMEngine& engine = MakeEngine();
    pugi::xml_document document;
    const char* xml = R"(<root><element name="s" type="tmdialog">
        <element type="tmedit" name="entername_text" x="3" y="4" width="120" height="24" hilite_color="0xFF3366CC">
          <textattr id="normal" color="0xFF000000" font="no such font"/>
          <texture id="normal" texture="none"/>
        </element>
      </element></root>)";
    TMDialog screen(nullptr, &engine);
    screen.LoadByName(DialogTest::Parse(document, xml), "s");
    auto* edit = dynamic_cast<TMEditWidget*>(screen.FindChild("entername_text"));
    ASSERT_NE(edit, nullptr);
    EXPECT_EQ(edit->GetRect(), Pyxo::Rect(3, 4, 120, 24));
    EXPECT_TRUE(edit->WantsFocus());
    EXPECT_NE(DialogControlFactory::Get().Find("tmedit"), nullptr);

    // Without its normal font the control types nothing.
    engine.mWidgetManager->AddWidget(&screen);
    engine.mWidgetManager->SetFocus(edit);
    engine.mWidgetManager->KeyDown('A');
    engine.mWidgetManager->KeyChar(L'a');
    EXPECT_EQ(edit->GetText(), L"");
    engine.mWidgetManager->RemoveWidget(&screen);
}

} // namespace
