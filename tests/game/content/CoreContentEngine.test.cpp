// The interface core's content as the engine reads it: the game starts on the built data folder without a content
// warning, every dialog builds with the controls the game binds, the fonts, cursors and effects load, and every
// sound and music stream decodes to something audible.
#include "engine/CursorTable.h"
#include "engine/EffectLibrary.h"
#include "engine/TMButton.h"
#include "engine/TMDialog.h"
#include "engine/TMEffect.h"
#include "engine/TMFont.h"
#include "engine/TMText.h"
#include "engine/TMTutorialDialog.h"
#include "engine/XmlConfig.h"
#include "graphics/Graphics.h"
#include "graphics/ImageFont.h"
#include "platform/audio/DirectSound.h"
#include "platform/audio/WaveFormat.h"
#include "shell/DSoundManager.h"
#include "shell/WidgetManager.h"
#include "tests/SuiteLabels.h"
#include "tests/game/content/CoreContentKit.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <memory>

namespace {

using namespace CoreContent;

using CoreContentEngineTest = DataFolderFixture;

/// The control at the path of names below the dialog, or null.
TMCandyWidget* FindPath(TMCandyWidget* dialog, const std::string& path)
{
    TMCandyWidget* at = dialog;
    size_t start = 0;
    while (at) {
        const size_t slash = path.find('/', start);
        at = at->FindChild(path.substr(start, slash == std::string::npos ? std::string::npos : slash - start));
        if (slash == std::string::npos)
            break;
        start = slash + 1;
    }
    return at;
}

ILVANE_THREADED_SUITE(CoreContentEngineTest);

TEST_F(CoreContentEngineTest, TheGameStartsWithoutAContentWarning)
{
    EngineTest::Headless<TMEngine3>& game = MakeGame();
    ASSERT_EQ(InitExitCode(game), -1);
    game.LoadContent(); // the engine's tables, the message boxes and the boards
    game.mWidgetManager->ApplyQueuedChanges();
    EXPECT_EQ(ContentWarnings(), std::vector<std::string>()) << Lines(mLog);
    for (const std::string& line : mLog) {
        for (const char* fault : {"missing or not readable", "cannot be opened", "cannot be read", "not well-formed",
                                  "not loaded", "did not load"})
            EXPECT_EQ(line.find(fault), std::string::npos) << line;
    }
}

TEST_F(CoreContentEngineTest, EveryDialogBuildsWithTheControlsTheGameBinds)
{
    EngineTest::Headless<TMEngine3>& game = StartedGame();
    const std::unique_ptr<pugi::xml_document> interface = XmlOpenDocument("cfg\\ui.xml");
    ASSERT_TRUE(interface);
    const pugi::xml_node root = XmlSelectNode(*interface, "root");
    size_t hudControls = 0;
    for (const DialogNames& names : CoreDialogs()) {
        SCOPED_TRACE(names.dialog);
        TMDialog dialog(nullptr, &game);
        dialog.LoadByName(root, names.dialog);
        EXPECT_FALSE(dialog.mWidgets.empty()) << "no dialog " << names.dialog;
        for (const std::string& path : names.paths)
            EXPECT_NE(FindPath(&dialog, path), nullptr) << names.dialog << " has no " << path;
        if (std::string(names.dialog) == "hud")
            hudControls = names.paths.size();
    }
    EXPECT_EQ(hudControls, 78u);
    // Loading them resolved every texture, font and effect they name.
    EXPECT_EQ(ContentWarnings(), std::vector<std::string>());
}

TEST_F(CoreContentEngineTest, ControlsAreOfTheKindsTheGameCastsThemTo)
{
    EngineTest::Headless<TMEngine3>& game = StartedGame();
    const std::unique_ptr<pugi::xml_document> interface = XmlOpenDocument("cfg\\ui.xml");
    ASSERT_TRUE(interface);
    const pugi::xml_node root = XmlSelectNode(*interface, "root");
    struct Kind {
        const char* dialog;
        const char* path;
        const char* kind; // "button", "text", "dialog" or "tutorial"
    };
    std::vector<Kind> kinds = {
        {"hud", "menu_btn", "button"},
        {"hud", "left_survival_part/upgrade_btn", "button"},
        {"hud", "left_part/clock", "text"},
        {"hud", "left_survival_part/clock", "text"},
        {"briefing_dialog", "start", "button"},
        {"briefing_dialog", "goal_text", "text"},
        {"briefing_dialog", "expert_text", "text"},
        {"briefing_dialog", "settings_text", "text"},
        {"briefing_dialog", "picture", "text"},
        {"upgrade_menu", "upgrade_dialog", "dialog"},
        {"upgrade_menu", "upgrade_dialog/upgrade", "button"},
        {"upgrade_menu", "upgrade_dialog/upgrade_description", "text"},
        {"dialogbox_2button", "btn_yes", "button"},
        {"dialogbox_2button", "btn_no", "button"},
        {"dialogbox_2button", "text1", "text"},
        {"dialogbox_2button", "text2", "text"},
        {"dialogbox_1button", "btn_yes", "button"},
        {"dialogbox_1button", "text1", "text"},
        {"load_screen", "loading", "text"},
    };
    kinds.push_back({"hud", nullptr, "tutorial"}); // tutorial1 .. tutorial24
    for (const Kind& kind : kinds) {
        TMDialog dialog(nullptr, &game);
        dialog.LoadByName(root, kind.dialog);
        std::vector<TMCandyWidget*> controls;
        if (kind.path) {
            controls.push_back(FindPath(&dialog, kind.path));
        } else {
            for (int hint = 1; hint <= 24; ++hint)
                controls.push_back(dialog.FindChild("tutorial" + std::to_string(hint)));
        }
        for (TMCandyWidget* control : controls) {
            const std::string what = std::string(kind.dialog) + "/" + (kind.path ? kind.path : "tutorial..");
            ASSERT_NE(control, nullptr) << what;
            const std::string k = kind.kind;
            if (k == "button")
                EXPECT_NE(dynamic_cast<TMButton*>(control), nullptr) << what;
            else if (k == "text")
                EXPECT_NE(dynamic_cast<TMText*>(control), nullptr) << what;
            else if (k == "tutorial")
                EXPECT_NE(dynamic_cast<TMTutorialDialog*>(control), nullptr) << what;
            else
                EXPECT_NE(dynamic_cast<TMDialog*>(control), nullptr) << what;
            // Pictures that the game replaces need a normal texture set to take them.
            if (k == "text" && (what.find("clock") != std::string::npos || what.find("picture") != std::string::npos)) {
                EXPECT_NE(control->GetNormalTextureSet(), nullptr) << what;
            }
        }
    }
}

/// Every control below the container, depth first.
void Controls(Pyxo::WidgetContainer& container, std::vector<TMCandyWidget*>& out)
{
    for (Pyxo::Widget* child : container.mWidgets) {
        if (auto* control = dynamic_cast<TMCandyWidget*>(child)) {
            out.push_back(control);
            Controls(*control, out);
        }
    }
}

TEST_F(CoreContentEngineTest, ShowEffectsShowAtOnceAndHideEffectsHideInTime)
{
    EngineTest::Headless<TMEngine3>& game = StartedGame();
    const std::unique_ptr<pugi::xml_document> interface = XmlOpenDocument("cfg\\ui.xml");
    ASSERT_TRUE(interface);
    size_t driven = 0;
    for (const DialogNames& names : CoreDialogs()) {
        auto dialog = std::make_unique<TMDialog>(nullptr, &game);
        dialog->LoadByName(XmlSelectNode(*interface, "root"), names.dialog);
        std::vector<TMCandyWidget*> controls = {dialog.get()};
        Controls(*dialog, controls);
        for (TMCandyWidget* control : controls) {
            TMEffect* effect = control->GetEffect();
            if (!effect || !effect->HasMessage("onshow") || !effect->HasMessage("onhide"))
                continue;
            const std::string what = std::string(names.dialog) + " " + (control == dialog.get() ? "" : "control");
            control->SetVisible(false);
            control->Show();
            EXPECT_TRUE(control->mVisible) << what << ": shown only later, or never";
            control->Hide();
            for (int frame = 0; frame < 100 && control->mVisible; ++frame)
                effect->Update(0.05f);
            EXPECT_FALSE(control->mVisible) << what << ": still shown 5 s after it was hidden";
            ++driven;
        }
    }
    EXPECT_GT(driven, 40u);
}

TEST_F(CoreContentEngineTest, MinigamePartsStandAlongTheShelf)
{
    EngineTest::Headless<TMEngine3>& game = StartedGame();
    const std::unique_ptr<pugi::xml_document> interface = XmlOpenDocument("cfg\\ui.xml");
    ASSERT_TRUE(interface);
    TMDialog minigame(nullptr, &game);
    minigame.LoadByName(XmlSelectNode(*interface, "root"), "minigame");
    int x = 15;
    for (int i = 1; i <= 16; ++i) {
        const std::string number = (i < 10 ? "0" : "") + std::to_string(i);
        auto* part = dynamic_cast<TMButton*>(minigame.FindChild("tray" + number));
        ASSERT_NE(part, nullptr) << number;
        EXPECT_EQ(part->mX, x) << number;
        EXPECT_EQ(part->mY, 54) << number;
        EXPECT_GE(part->mX + part->mWidth, 0);
        EXPECT_LE(part->mX + part->mWidth, minigame.mWidth) << number << " sticks out of the tray";
        for (int state = 0; state <= 3; ++state)
            EXPECT_NE(part->GetTexture(state, 0), nullptr) << number << " state " << state;
        x += part->mWidth - 1;
        TMCandyWidget* burst = minigame.FindChild("effect_ele" + number);
        ASSERT_NE(burst, nullptr) << number;
        EXPECT_NE(burst->GetNormalTextureSet(), nullptr) << number;
    }
}

TEST_F(CoreContentEngineTest, FontsResolveAndNamesCanBeWrittenInCyrillic)
{
    StartedGame();
    ContentChecker checker = MakeChecker();
    const pugi::xml_document* ui = checker.Document("cfg/ui.xml");
    ASSERT_NE(ui, nullptr);
    size_t imageFonts = 0;
    for (const pugi::xpath_node& node : ui->select_nodes("/root/font")) {
        const std::string name = node.node().attribute("name").value();
        Pyxo::Font* font = TMEngine::GetFont(name);
        EXPECT_NE(font, nullptr) << name;
        if (std::string(node.node().attribute("type").value()) == "Image") {
            EXPECT_NE(dynamic_cast<Pyxo::ImageFont*>(font), nullptr) << name;
            ++imageFonts;
        }
    }
    EXPECT_GE(imageFonts, 1u);
    for (const char* name : {"font_body", "font_name"}) {
        Pyxo::Font* font = TMEngine::GetFont(name);
        ASSERT_NE(font, nullptr) << name;
        for (wchar_t letter = 0x410; letter <= 0x44F; ++letter)
            EXPECT_GT(font->CharWidth(letter), 0) << name << " has no U+" << std::hex << int(letter);
    }
}

TEST_F(CoreContentEngineTest, TheThreeCursorsLoad)
{
    EngineTest::Headless<TMEngine3>& game = StartedGame();
    for (const char* mode : {"normal", "active", "text"}) {
        const CursorTable::Cursor* cursor = game.GetCursorTable()->Find(mode);
        ASSERT_NE(cursor, nullptr) << mode;
        TextureHandle texture = cursor->texture;
        EXPECT_NE(texture.GetImage(), nullptr) << mode;
    }
}

TEST_F(CoreContentEngineTest, EveryEffectOfTheLibraryBuilds)
{
    StartedGame();
    ContentChecker checker = MakeChecker();
    const pugi::xml_document* library = checker.Document("cfg/effect.xml");
    ASSERT_NE(library, nullptr);
    size_t effects = 0;
    for (const pugi::xpath_node& node : library->select_nodes("/effects/effect")) {
        const std::string name = node.node().attribute("name").value();
        std::unique_ptr<TMEffect> effect(CreateEffect(name.c_str()));
        EXPECT_NE(effect, nullptr) << name;
        ++effects;
    }
    EXPECT_GT(effects, 0u);
    EXPECT_EQ(ContentWarnings(), std::vector<std::string>()) << "every function resolved";
}

TEST_F(CoreContentEngineTest, FixedTextsFitTheirControls)
{
    StartedGame();
    ContentChecker checker = MakeChecker();
    const pugi::xml_document* ui = checker.Document("cfg/ui.xml");
    ASSERT_NE(ui, nullptr);
    size_t measured = 0;
    for (const DialogNames& names : CoreDialogs()) {
        const std::string dialog = names.dialog;
        for (const pugi::xpath_node& found :
             ui->select_nodes(("/root/element[@name='" + dialog + "']//element[@label]").c_str())) {
            const pugi::xml_node element = found.node();
            const std::wstring text = TMEngine::GetLocText(element.attribute("label").value());
            // Texts with variables depend on the game's values; those of the core are short figures.
            if (text.find(L'%') != std::wstring::npos)
                continue;
            const std::string fontName = element.select_node("textattr[@id='normal']/@font").attribute().value();
            Pyxo::Font* font = TMEngine::GetFont(fontName);
            ASSERT_NE(font, nullptr) << fontName;
            Pyxo::Graphics g;
            g.SetFont(font);
            const int width = element.attribute("width").as_int();
            // Lines wrap at the width; what can overflow is the height.
            const int height = g.GetWrappedTextHeight(width, text, -1, nullptr);
            const XmlConvert::Origin origin = checker.OriginOf("cfg/ui.xml", element);
            const std::string where = origin.file + ":" + std::to_string(origin.line) + ": " +
                                      element.attribute("name").value() + " (" + element.attribute("label").value() +
                                      ")";
            EXPECT_LE(height, element.attribute("height").as_int()) << where << " overflows its height";
            if (std::string(element.attribute("type").value()) == "tmbutton") {
                EXPECT_LE(height, font->GetLineSpacing()) << where << ": a button label on more than one line";
            }
            ++measured;
        }
    }
    EXPECT_GT(measured, 30u);
}

/// The decoded samples of the manager's sound id, as 16-bit values.
std::vector<int16_t> Samples(Pyxo::DSoundManager& manager, unsigned id, Platform::WaveFormat& format)
{
    std::vector<int16_t> samples;
    Platform::DirectSoundBuffer* buffer = manager.GetSourceBuffer(id);
    if (!buffer)
        return samples;
    buffer->GetFormat(&format, sizeof format, nullptr);
    void* data = nullptr;
    uint32_t bytes = 0;
    if (buffer->Lock(0, 0, &data, &bytes, nullptr, nullptr, Platform::DSBLOCK_ENTIREBUFFER) != Platform::DS_OK)
        return samples;
    const auto* bytesIn = static_cast<const uint8_t*>(data);
    for (uint32_t i = 0; i + 1 < bytes; i += 2)
        samples.push_back(int16_t(bytesIn[i] | bytesIn[i + 1] << 8));
    buffer->Unlock(data, bytes, nullptr, 0);
    return samples;
}

TEST_F(CoreContentEngineTest, EverySoundAndStreamDecodesAudibly)
{
    ContentChecker checker = MakeChecker();
    const pugi::xml_document* cfg = checker.Document("cfg/cfg.xml");
    ASSERT_NE(cfg, nullptr);
    Pyxo::DSoundManager manager(Platform::WindowHandle{1}, false);
    struct Sound {
        std::string name;
        std::string path;
        bool music;
    };
    std::vector<Sound> sounds;
    for (const pugi::xpath_node& node : cfg->select_nodes("/root/sounds/sound"))
        sounds.push_back({node.node().attribute("name").value(), node.node().attribute("path").value(), false});
    for (const pugi::xpath_node& node : cfg->select_nodes("/root/music/stream"))
        sounds.push_back({node.node().attribute("name").value(), node.node().attribute("path").value(), true});
    ASSERT_FALSE(sounds.empty());
    unsigned id = 0;
    for (const Sound& sound : sounds) {
        SCOPED_TRACE(sound.name + " " + sound.path);
        std::string path = sound.path;
        std::replace(path.begin(), path.end(), '\\', '/');
        path = std::string(ILVANE_DATA_FOLDER) + "/" + path;
        const bool ogg = path.size() > 4 && path.compare(path.size() - 4, 4, ".ogg") == 0;
        ASSERT_TRUE(ogg ? manager.ReadOgg(id, path) : manager.ReadWav(id, path));
        Platform::WaveFormat format{};
        const std::vector<int16_t> samples = Samples(manager, id, format);
        ASSERT_FALSE(samples.empty());
        int peak = 0;
        for (int16_t sample : samples)
            peak = std::max(peak, std::abs(int(sample)));
        EXPECT_GT(peak, 0.05 * 32767);
        ASSERT_GT(format.samplesPerSecond, 0u);
        const double seconds = double(samples.size()) / format.channels / format.samplesPerSecond;
        if (sound.music) {
            EXPECT_TRUE(ogg);
            EXPECT_GE(seconds, 8.0);
            EXPECT_LE(seconds, 20.0);
        } else {
            EXPECT_FALSE(ogg);
            EXPECT_EQ(format.channels, 1);
            EXPECT_EQ(format.bitsPerSample, 16);
            EXPECT_EQ(format.samplesPerSecond, 44100u);
            EXPECT_LT(seconds, 1.5);
        }
        manager.ReleaseSound(id);
        ++id;
    }
}

} // namespace
