// The rules the interface core's content keeps, checked on the built configuration: one row per rule, each miss
// named with the source file and line of the element at fault.
#include "engine/EffectFunctionRegistry.h"
#include "game/DialogEffectFunctions.h"
#include "game/ItemEffectFunctions.h"
#include "game/ParticleEffectFunctions.h"
#include "tests/game/content/CoreContentKit.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>
#include <ostream>
#include <set>

namespace {

using namespace CoreContent;

constexpr const char* kUi = "cfg/ui.xml";
constexpr const char* kLoc = "cfg/loc.xml";
constexpr const char* kCfg = "cfg/cfg.xml";
constexpr const char* kEffects = "cfg/effect.xml";

const char* const kDialogNames[] = {"hud",         "minigame",          "briefing_dialog",  "upgrade_menu",
                                    "load_screen", "dialogbox_2button", "dialogbox_1button"};

/// The text of a localised id, or null.
const char* LocText(ContentChecker& checker, const std::string& id)
{
    const pugi::xml_document* loc = checker.Document(kLoc);
    if (!loc)
        return nullptr;
    const pugi::xml_node node = loc->select_node(("/root/loc[@id='" + id + "']").c_str()).node();
    return node ? node.attribute("text").value() : nullptr;
}

/// The localised texts of the labels below an element.
std::string LabelTexts(ContentChecker& checker, const pugi::xml_node& element)
{
    std::string texts;
    for (const pugi::xpath_node& label : element.select_nodes(".//element/@label")) {
        if (const char* text = LocText(checker, label.attribute().value()))
            texts += std::string(text) + "\n";
    }
    return texts;
}

pugi::xml_node Dialog(ContentChecker& checker, const std::string& name)
{
    const pugi::xml_document* ui = checker.Document(kUi);
    return ui ? ui->select_node(("/root/element[@name='" + name + "']").c_str()).node() : pugi::xml_node();
}

void ForEach(ContentChecker& checker, const char* file, const char* query,
             const std::function<void(const pugi::xml_node&)>& check)
{
    if (const pugi::xml_document* document = checker.Document(file)) {
        for (const pugi::xpath_node& node : document->select_nodes(query))
            check(node.node());
    }
}

void RegisterGameFunctions()
{
    RegisterDialogEffectFunctions();
    RegisterItemEffectFunctions();
    RegisterParticleEffectFunctions();
}

/// The timers that the commands of a message start, in the effect element.
std::vector<pugi::xml_node> StartedTimers(const pugi::xml_node& effect, const std::string& message)
{
    std::vector<pugi::xml_node> timers;
    for (const pugi::xpath_node& command :
         effect.select_nodes(("messages/message[@name='" + message + "' and @command='start']").c_str())) {
        const std::string timer = command.node().attribute("timer_id").value();
        if (const pugi::xml_node node = effect.select_node(("timers/timer[@name='" + timer + "']").c_str()).node())
            timers.push_back(node);
    }
    return timers;
}

struct Rule {
    const char* name;
    void (*check)(ContentChecker& checker);
};

const Rule kRules[] = {
    {"DialogsAreTopLevelTmdialogs",
     [](ContentChecker& c) {
         c.RequireNamed(kUi, "/root/element[@type='tmdialog']", "name",
                        std::vector<std::string>(std::begin(kDialogNames), std::end(kDialogNames)));
     }},
    {"HudAndMinigameLetClicksThroughToTheBoard",
     [](ContentChecker& c) {
         // Only buttons and tutorial notes take clicks; everything else over the board lets them through.
         for (const char* name : {"hud", "minigame"}) {
             const pugi::xml_node dialog = Dialog(c, name);
             if (!dialog) {
                 c.Report(kUi, c.Document(kUi)->document_element(), std::string("no dialog ") + name);
                 continue;
             }
             if (std::string(dialog.attribute("mousevisible").value()) != "false")
                 c.Report(kUi, dialog, std::string(name) + ": its root takes clicks (mousevisible is not false)");
             for (const pugi::xpath_node& found :
                  dialog.select_nodes(".//element[@type!='tmbutton' and @type!='tmtutorial' and "
                                      "not(ancestor::element[@type='tmtutorial'])]")) {
                 const pugi::xml_node element = found.node();
                 if (std::string(element.attribute("mousevisible").value()) != "false")
                     c.Report(kUi, element,
                              std::string(element.attribute("name").value()) + " over the board takes clicks");
             }
         }
     }},
    {"TutorialNotesCloseOnAClickThroughTheirHideEffect",
     [](ContentChecker& c) {
         c.RequireCount(kUi,
                        "/root/element[@name='hud']/element[@type='tmtutorial' and starts-with(@name,'tutorial') and "
                        "@clickhide='true' and @effect]",
                        24);
         ForEach(c, kUi, "/root/element[@name='hud']/element[@type='tmtutorial']", [&c](const pugi::xml_node& note) {
             // The script waits for the note to close, so its effect must hide it.
             const std::string effect = note.attribute("effect").value();
             const pugi::xml_document* library = c.Document(kEffects);
             const pugi::xml_node node =
                 library ? library->select_node(("/effects/effect[@name='" + effect + "']").c_str()).node()
                         : pugi::xml_node();
             if (node && StartedTimers(node, "onhide").empty())
                 c.Report(kUi, note, "the effect \"" + effect + "\" of the note has no \"onhide\"");
         });
     }},
    {"TutorialNotesExplainTheirStep",
     [](ContentChecker& c) {
         ForEach(c, kUi, "/root/element[@name='hud']/element[@type='tmtutorial']", [&c](const pugi::xml_node& note) {
             if (LabelTexts(c, note).size() < 30)
                 c.Report(kUi, note, std::string(note.attribute("name").value()) + " says too little");
         });
     }},
    {"BriefingIsNotModalByItself",
     [](ContentChecker& c) {
         ForEach(c, kUi, "/root/element[@name='briefing_dialog' and @modal]",
                 [&c](const pugi::xml_node& node) { c.Report(kUi, node, "the board makes the card modal itself"); });
     }},
    {"BriefingShowsTheDayAndItsStory",
     [](ContentChecker& c) {
         const pugi::xml_node dialog = Dialog(c, "briefing_dialog");
         const std::string texts = dialog ? LabelTexts(c, dialog) : "";
         for (const char* variable : {"%level_briefing%", "%currentcafe%", "%currentday%"}) {
             if (texts.find(variable) == std::string::npos)
                 c.Report(kUi, dialog, std::string("no text of the card shows ") + variable);
         }
     }},
    {"HudShowsGoalsAndMoney",
     [](ContentChecker& c) {
         const pugi::xml_node dialog = Dialog(c, "hud");
         const std::string texts = dialog ? LabelTexts(c, dialog) : "";
         for (const char* variable : {"%normal%", "%expert%", "%money%"}) {
             if (texts.find(variable) == std::string::npos)
                 c.Report(kUi, dialog, std::string("no text of the HUD shows ") + variable);
         }
     }},
    {"TexturesOfControlsAreDeclared",
     [](ContentChecker& c) { c.RequireReferences(kUi, "//element/texture", "texture", kUi, "/root/texture", "id"); }},
    {"TexturesTheCodeAsksForAreDeclared",
     [](ContentChecker& c) { c.RequireNamed(kUi, "/root/texture", "id", CodeTextureIds()); }},
    {"DeclaredTextureFilesExist", [](ContentChecker& c) { c.RequireFiles(kUi, "/root/texture", "file"); }},
    {"CursorsAreDeclaredWithTheirTextures",
     [](ContentChecker& c) {
         c.RequireNamed(kUi, "/root/cursors", "mode", {"normal", "active", "text"});
         c.RequireReferences(kUi, "/root/cursors", "image", kUi, "/root/texture", "id");
     }},
    {"FontsNamedByTextsAreDeclared",
     [](ContentChecker& c) {
         c.RequireReferences(kUi, "//textattr", "font", kUi, "/root/font", "name");
         c.RequireCount(kUi, "/root/font[@type='System']", 1);
         c.RequireCount(kUi, "/root/font[@type='Image']", 1);
         c.RequireFiles(kUi, "/root/font[@type='Image']", "face");
         // Image fonts are drawn at their sheet size; another size gets a sheet of its own.
         ForEach(c, kUi, "/root/font[@scale]", [&c](const pugi::xml_node& font) {
             if (font.attribute("scale").as_double() != 1.0)
                 c.Report(kUi, font, "an image font drawn scaled");
         });
     }},
    {"TitleFontHasAnOutline",
     [](ContentChecker& c) {
         c.RequireFiles(kUi, "/root/font[@name='font_title']", "face");
         if (!fs::exists(fs::path(ILVANE_DATA_FOLDER) / "fonts" / "core_title_outline.png"))
             c.Report(kUi, Dialog(c, "hud"), "the title font has no outline layer");
     }},
    {"EffectsNamedByControlsExist",
     [](ContentChecker& c) {
         c.RequireReferences(kUi, "//element[@effect]", "effect", kEffects, "/effects/effect", "name");
     }},
    {"EffectNamesAreUnique",
     [](ContentChecker& c) {
         std::set<std::string> seen;
         ForEach(c, kEffects, "/effects/effect", [&](const pugi::xml_node& effect) {
             if (!seen.insert(effect.attribute("name").value()).second)
                 c.Report(kEffects, effect,
                          std::string("effect \"") + effect.attribute("name").value() +
                              "\" is defined again; the first one is used");
         });
     }},
    {"EffectFunctionsAreRegistered",
     [](ContentChecker& c) {
         RegisterGameFunctions();
         ForEach(c, kEffects, "//timer/control", [&c](const pugi::xml_node& control) {
             const std::string function = control.attribute("function").value();
             if (!FindEffectFunction(function))
                 c.Report(kEffects, control, "no effect function \"" + function + "\"");
         });
         ForEach(c, kEffects, "//messages/message[@command='call']", [&c](const pugi::xml_node& message) {
             const std::string function = message.attribute("timer_id").value();
             if (!FindEffectMessageFunction(function))
                 c.Report(kEffects, message, "no message function \"" + function + "\"");
         });
         ForEach(c, kEffects, "//messages/message[@command!='call']", [&c](const pugi::xml_node& message) {
             const std::string timer = message.attribute("timer_id").value();
             if (!message.parent().parent().select_node(("timers/timer[@name='" + timer + "']").c_str()))
                 c.Report(kEffects, message, "no timer \"" + timer + "\"");
         });
     }},
    {"ShowEffectsShowAtOnceAndHideEffectsEndHidden",
     [](ContentChecker& c) {
         ForEach(c, kEffects, "/effects/effect", [&c](const pugi::xml_node& effect) {
             const std::string name = effect.attribute("name").value();
             if (effect.select_node("messages/message[@name='onshow']")) {
                 bool shows = false;
                 for (const pugi::xml_node& timer : StartedTimers(effect, "onshow"))
                     shows = shows || timer.select_node("control[@function='DlgShow' and @type='point' and "
                                                        "number(@starttime)=0 and not(@active='false')]");
                 if (!shows)
                     c.Report(kEffects, effect, name + ": \"onshow\" does not show the widget at its start");
             }
             if (effect.select_node("messages/message[@name='onhide']")) {
                 bool hides = false;
                 for (const pugi::xml_node& timer : StartedTimers(effect, "onhide")) {
                     // The last control to act hides the widget: DlgHide, or WindowFadeOut up to its end.
                     double hideAt = -1;
                     double lastAt = 0;
                     for (const pugi::xml_node& control : timer.children("control")) {
                         const std::string function = control.attribute("function").value();
                         const double end =
                             control
                                 .attribute(std::string(control.attribute("type").value()) == "range" ? "endtime"
                                                                                                      : "starttime")
                                 .as_double();
                         lastAt = std::max(lastAt, end);
                         if (function == "DlgHide" || function == "WindowFadeOut")
                             hideAt = std::max(hideAt, end);
                     }
                     hides =
                         hides || (hideAt >= 0 && hideAt >= lastAt && hideAt <= timer.attribute("ftime").as_double());
                 }
                 if (!hides)
                     c.Report(kEffects, effect, name + ": \"onhide\" does not end with the widget hidden");
             }
         });
     }},
    {"SplashesBurstAndDrawStars",
     [](ContentChecker& c) {
         for (const char* splash : {"goal_splash", "expert_splash"}) {
             const pugi::xml_document* ui = c.Document(kUi);
             const pugi::xml_node node =
                 ui ? ui->select_node(("//element[@name='" + std::string(splash) + "']").c_str()).node()
                    : pugi::xml_node();
             const pugi::xml_document* library = c.Document(kEffects);
             const pugi::xml_node effect =
                 node && library ? library
                                       ->select_node(("/effects/effect[@name='" +
                                                      std::string(node.attribute("effect").value()) + "']")
                                                         .c_str())
                                       .node()
                                 : pugi::xml_node();
             if (!effect) {
                 c.Report(kUi, node, std::string(splash) + " has no effect");
                 continue;
             }
             bool bursts = false;
             for (const pugi::xml_node& timer : StartedTimers(effect, "onshow"))
                 bursts = bursts || timer.select_node("control[@function='FuncOnGoalExpertPSEffect']");
             if (!bursts)
                 c.Report(kEffects, effect, std::string(splash) + ": \"onshow\" bursts no stars");
             if (!effect.select_node("messages/message[@name='render_ps' and @command='call' and "
                                     "@timer_id='RenderPSFunc']"))
                 c.Report(kEffects, effect, std::string(splash) + ": \"render_ps\" draws no stars");
         }
     }},
    {"LabelsAreLocalised",
     [](ContentChecker& c) { c.RequireReferences(kUi, "//element[@label]", "label", kLoc, "/root/loc", "id"); }},
    {"FixedTextIdsAreLocalised",
     [](ContentChecker& c) {
         std::vector<std::string> ids = {"app_title",         "mn04_goal",           "mn04_expert",       "mn04_ready",
                                         "mn04_endless_goal", "mn04_endless_expert", "mn04_endless_ready"};
         char id[64];
         for (const char* table : {"survival", "career"}) {
             for (int row = 1; row <= 10; ++row) {
                 for (const char* column : {"name", "value"}) {
                     std::snprintf(id, sizeof id, "record_%s_%s_%02d", table, column, row);
                     ids.push_back(id);
                 }
             }
         }
         for (const char* key : {"restlvl", "exitmenu", "delprof", "delcareer", "upgrade"}) {
             for (const char* part : {"db01_text1_", "db01_text2_", "db01_btnyes_"})
                 ids.push_back(part + std::string(key));
             if (std::string(key) != "upgrade")
                 ids.push_back("db01_btnno_" + std::string(key));
         }
         for (int number = 1; number <= 24; ++number)
             ids.push_back(std::to_string(number));
         c.RequireNamed(kLoc, "/root/loc", "id", ids);
     }},
    {"RecordValuesAreDecimalAndLow",
     [](ContentChecker& c) {
         c.RequireRange(kLoc, "/root/loc[starts-with(@id,'record_') and contains(@id,'_value_')]", "text", 1, 1000);
         ForEach(c, kLoc, "/root/loc[starts-with(@id,'record_') and contains(@id,'_value_')]",
                 [&c](const pugi::xml_node& loc) {
                     const std::string text = loc.attribute("text").value();
                     if (text.find_first_not_of("0123456789") != std::string::npos)
                         c.Report(kLoc, loc, "record value \"" + text + "\" is not a whole number");
                 });
     }},
    {"InterfaceSoundsAndMusicAreDeclared",
     [](ContentChecker& c) {
         c.RequireNamed(kCfg, "/root/sounds/sound", "name",
                        {"click", "goal", "expert", "minigame_coin", "minigame_clean", "minigame_ice", "minigame_happy",
                         "minigame_speed", "minigame_hit", "window_open", "briefing_show", "debriefing_money"});
         c.RequireNamed(kCfg, "/root/music/stream", "name", {"main_menu", "level1", "level2", "level3"});
         c.RequireReferences(kUi, "//element[@snd_hover]", "snd_hover", kCfg, "/root/sounds/sound", "name");
         c.RequireReferences(kUi, "//element[@snd_click]", "snd_click", kCfg, "/root/sounds/sound", "name");
     }},
    {"InLevelSoundsPauseWithTheLevelAndTheOthersDoNot",
     [](ContentChecker& c) {
         const std::set<std::string> inLevel = {"click",          "goal",           "expert",
                                                "minigame_coin",  "minigame_clean", "minigame_ice",
                                                "minigame_happy", "minigame_speed", "minigame_hit"};
         const std::set<std::string> interface = {"window_open", "briefing_show", "debriefing_money", "button_hover",
                                                  "button_click"};
         ForEach(c, kCfg, "/root/sounds/sound", [&](const pugi::xml_node& sound) {
             const std::string name = sound.attribute("name").value();
             const bool game = std::string(sound.attribute("group").value()) == "game";
             if (inLevel.count(name) && !game)
                 c.Report(kCfg, sound, name + " plays in a level but is not in the group \"game\"");
             if (interface.count(name) && game)
                 c.Report(kCfg, sound, name + " must play while a level is paused, outside the group \"game\"");
         });
     }},
    {"SoundAndMusicFilesExist",
     [](ContentChecker& c) {
         c.RequireFiles(kCfg, "/root/sounds/sound", "path");
         c.RequireFiles(kCfg, "/root/music/stream", "path");
     }},
};

void PrintTo(const Rule& rule, std::ostream* out)
{
    *out << rule.name;
}

class CoreContentRules : public ::testing::TestWithParam<Rule> {};

TEST_P(CoreContentRules, Holds)
{
    ContentChecker checker = MakeChecker();
    GetParam().check(checker);
    EXPECT_TRUE(checker.Problems().empty()) << checker.ReportText();
}

INSTANTIATE_TEST_SUITE_P(BuiltData, CoreContentRules, ::testing::ValuesIn(kRules),
                         [](const ::testing::TestParamInfo<Rule>& info) { return std::string(info.param.name); });

} // namespace
