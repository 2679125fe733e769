// The rules the cafes' actor settings and upgrade catalogue keep, checked on the built configuration: one row per
// rule, each miss named with the source file and line of the element at fault.
#include "tests/game/content/CoreContentKit.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <ostream>
#include <set>

namespace {

using namespace CoreContent;

constexpr const char* kUi = "cfg/ui.xml";
constexpr const char* kLoc = "cfg/loc.xml";
constexpr const char* kCfg = "cfg/cfg.xml";

void ForEach(ContentChecker& checker, const char* file, const char* query,
             const std::function<void(const pugi::xml_node&)>& check)
{
    if (const pugi::xml_document* document = checker.Document(file)) {
        for (const pugi::xpath_node& node : document->select_nodes(query))
            check(node.node());
    }
}

/// Every element the query selects carries every key.
void RequireKeys(ContentChecker& c, const char* query, const std::vector<const char*>& keys)
{
    ForEach(c, kCfg, query, [&](const pugi::xml_node& node) {
        for (const char* key : keys) {
            if (!node.attribute(key))
                c.Report(kCfg, node, std::string("<") + node.name() + "> has no " + key);
        }
    });
}

bool IsMask(const std::string& text)
{
    return text.size() == 4 && text.find_first_not_of("01") == std::string::npos;
}

/// The worker types in file order: their position (from 1) is their number in the upgrade flags.
std::vector<std::string> WorkerTypes(ContentChecker& c)
{
    std::vector<std::string> names;
    ForEach(c, kCfg, "/root/workers/worker",
            [&](const pugi::xml_node& node) { names.push_back(node.attribute("name").value()); });
    return names;
}

/// The owned-flag index of a catalogue entry, or -1 when it fits no flag.
int FlagIndex(const pugi::xml_node& entry, const std::vector<std::string>& workers)
{
    const std::string kind = entry.name();
    const std::string name = entry.attribute("name").value();
    const std::string object = entry.attribute("object").value();
    const int minLevel = entry.attribute("min_level").as_int();
    if (kind == "functional") {
        if (object == "bonus" && name == "money")
            return 13;
        if (object == "boss" && name == "speed")
            return 12;
        for (size_t w = 0; w < workers.size(); ++w) {
            if (object == workers[w])
                return name == "speed" ? int(6 + w) : name == "tidiness" ? int(w) : -1;
        }
        return -1;
    }
    const std::pair<const char*, int> prefixes[] = {
        {"floor", 9}, {"worker_table", 10}, {"bar", 11}, {"decor", 12}, {"client_table", 13}};
    for (const auto& [prefix, base] : prefixes) {
        if (object.rfind(prefix, 0) == 0)
            return 5 * minLevel + base;
    }
    return -1;
}

const char* LocText(ContentChecker& checker, const std::string& id)
{
    const pugi::xml_document* loc = checker.Document(kLoc);
    if (!loc)
        return nullptr;
    const pugi::xml_node node = loc->select_node(("/root/loc[@id='" + id + "']").c_str()).node();
    return node ? node.attribute("text").value() : nullptr;
}

/// The texture id must be declared and its file present.
void RequireTexture(ContentChecker& c, const pugi::xml_node& askedBy, const std::string& id)
{
    const pugi::xml_document* ui = c.Document(kUi);
    if (!ui)
        return;
    if (!ui->select_node(("/root/texture[@id='" + id + "']").c_str()))
        c.Report(kCfg, askedBy, "no texture \"" + id + "\"");
}

struct Rule {
    const char* name;
    void (*check)(ContentChecker& checker);
};

const Rule kRules[] = {
    {"BossHasItsCharacterRecord",
     [](ContentChecker& c) {
         c.RequireNamed(kCfg, "/root/perses/pers", "name", {"boss"});
         RequireKeys(c, "/root/perses/pers",
                     {"move_speed", "wash_time", "speed_bonus", "idle_rastart_time_min", "idle_rastart_time_max",
                      "idle_stop_frame"});
         c.RequireRange(kCfg, "/root/perses/pers", "move_speed", 1, 1000);
     }},
    {"ClientKindsCarryEveryKey",
     [](ContentChecker& c) {
         RequireKeys(c, "/root/clients",
                     {"patience_g_level", "patience_y_level", "patience_r_level", "patience_critical", "scandal_effect",
                      "client_juke_box_effect", "client_reminder_timeout", "client_alpha_blend_time",
                      "juice_cup_effect", "client_scandal_bubble_present"});
         c.RequireCount(kCfg, "/root/clients/client[@name]", 4);
         RequireKeys(c, "/root/clients/client",
                     {"idle_stop_frame", "idle_restart_time_min", "idle_restart_time_max", "client_patience_speed",
                      "client_decision_timeout", "client_eating_time", "client_money01_g", "client_money01_y",
                      "client_money01_r", "client_money02_g", "client_money02_y", "client_money02_r",
                      "client_losses_money", "client_scandal_level", "client_scandal_timeout", "client_bonus_timeout",
                      "client_bonus_time_effect"});
         c.RequireRange(kCfg, "/root/clients/client", "client_patience_speed", 0.1, 50);
     }},
    {"PatienceLevelsDescend",
     [](ContentChecker& c) {
         ForEach(c, kCfg, "/root/clients", [&](const pugi::xml_node& node) {
             const double g = node.attribute("patience_g_level").as_double();
             const double y = node.attribute("patience_y_level").as_double();
             const double r = node.attribute("patience_r_level").as_double();
             if (!(100 > g && g > y && y > r && r > 0))
                 c.Report(kCfg, node, "patience levels must fall from green to red within 0..100");
         });
         ForEach(c, kCfg, "/root/workers", [&](const pugi::xml_node& node) {
             const double g = node.attribute("tidiness_g_level").as_double();
             const double y = node.attribute("tidiness_y_level").as_double();
             const double r = node.attribute("tidiness_r_level").as_double();
             if (!(100 > g && g > y && y > r && r > 0))
                 c.Report(kCfg, node, "tidiness levels must fall from green to red within 0..100");
         });
     }},
    {"WorkerTypesEachMakeOneSlotWithALoopingSound",
     [](ContentChecker& c) {
         RequireKeys(c, "/root/workers",
                     {"tidiness_g_level", "tidiness_y_level", "tidiness_r_level", "cleanser_effect", "brush_effect",
                      "worker_alpha_blend_time"});
         RequireKeys(c, "/root/workers/worker",
                     {"name", "work_time", "tidiness_up", "tidiness_down", "direct_character_break_frame",
                      "direct_character_break_time", "upgrade_tidiness_down", "upgrade_work_speed",
                      "idle_rastart_time_min", "idle_rastart_time_max", "idle_stop_frame", "snd_worker_begin",
                      "product", "product_type"});
         c.RequireCount(kCfg, "/root/workers/worker", 4);
         if (WorkerTypes(c).size() > 6)
             c.Report(kCfg, c.Document(kCfg)->select_node("/root/workers").node(),
                      "more than six worker types collide in the upgrade flags");
         std::set<size_t> slots;
         ForEach(c, kCfg, "/root/workers/worker", [&](const pugi::xml_node& node) {
             const std::string product = node.attribute("product").value();
             if (!IsMask(product) || std::count(product.begin(), product.end(), '1') != 1)
                 c.Report(kCfg, node, "product \"" + product + "\" is not a one-slot mask of four");
             else if (!slots.insert(product.find('1')).second)
                 c.Report(kCfg, node, "two worker types make the slot of " + product);
         });
         c.RequireReferences(kCfg, "/root/workers/worker", "snd_worker_begin", kCfg,
                             "/root/sounds/sound[@loop='true' and @group='game']", "name");
     }},
    {"PeriodItemsAndBonusParametersAreSet",
     [](ContentChecker& c) {
         c.RequireNamed(kCfg, "/root/period_items/period_item", "name", {"coffeemachine", "super_material"});
         RequireKeys(c, "/root/period_items/period_item", {"timeout_min", "timeout_max"});
         RequireKeys(c, "/root/level",
                     {"bonus_cash", "bonus_cash_upgrade", "bonus_wstamina", "bonus_cstamina", "bonus_iceagetimeout",
                      "client_pause"});
     }},
    {"ChainStagesRiseAndAreLocalised",
     [](ContentChecker& c) {
         c.RequireRange(kCfg, "/root/bonus_config", "rush_timeout", 0.5, 60);
         c.RequireCount(kCfg, "/root/bonus_config/bonus_stages", 1);
         int last = 0;
         ForEach(c, kCfg, "/root/bonus_config/bonus_stages", [&](const pugi::xml_node& node) {
             const int action = node.attribute("action").as_int();
             if (action <= last)
                 c.Report(kCfg, node, "stage actions must rise");
             last = action;
         });
         c.RequireReferences(kCfg, "/root/bonus_config/bonus_stages", "loc_str", kLoc, "/root/loc", "id");
     }},
    {"ActorSoundsPlayInTheLevel",
     [](ContentChecker& c) {
         const std::vector<std::string> sounds = {"boss_take_item", "make_trash",     "boss_steps",   "client_scandal",
                                                  "client_positiv", "client_negativ", "client_ready", "client_spawn",
                                                  "worker_clean",   "worker_broke",   "worker_finish"};
         c.RequireNamed(kCfg, "/root/sounds/sound[@group='game']", "name", sounds);
         c.RequireNamed(kCfg, "/root/sounds/sound[@loop='true']", "name", {"boss_steps"});
         c.RequireFiles(kCfg, "/root/sounds/sound", "path");
     }},
    {"UpgradeFlagsAreDistinctAndInRange",
     [](ContentChecker& c) {
         const std::vector<std::string> workers = WorkerTypes(c);
         std::map<int, std::string> taken;
         ForEach(c, kCfg, "/root/upgrade/*", [&](const pugi::xml_node& entry) {
             const int flag = FlagIndex(entry, workers);
             const std::string what =
                 std::string(entry.attribute("object").value()) + "/" + entry.attribute("name").value();
             if (flag < 0 || flag > 28)
                 c.Report(kCfg, entry, what + " has no owned flag in 0..28");
             else if (!taken.emplace(flag, what).second)
                 c.Report(kCfg, entry, what + " shares flag " + std::to_string(flag) + " with " + taken[flag]);
         });
         c.RequireRange(kCfg, "/root/upgrade/*", "min_level", 1, 3);
         c.RequireRange(kCfg, "/root/upgrade/*", "max_level", 1, 3);
         c.RequireCount(kCfg, "/root/upgrade/visual[object]", 5 * 3);
         for (int cafe = 1; cafe <= 3; ++cafe) {
             c.RequireCount(kCfg,
                            "/root/upgrade/visual[@min_level<=" + std::to_string(cafe) +
                                " and @max_level>=" + std::to_string(cafe) + "]",
                            1);
         }
     }},
    {"UpgradeOffersHavePicturesAndTexts",
     [](ContentChecker& c) {
         ForEach(c, kCfg, "/root/upgrade/*", [&](const pugi::xml_node& entry) {
             const std::string object = entry.attribute("object").value();
             const std::string offer = entry.attribute("name").value();
             RequireTexture(c, entry, "mn09_char_small_" + object + "_" + offer);
             RequireTexture(c, entry, "mn09_char_" + object);
             RequireTexture(c, entry, "mn09_medal_" + offer);
             const char* text = LocText(c, "mn09_desc_" + offer + "_" + object);
             if (!text || !*text)
                 c.Report(kCfg, entry, "no text mn09_desc_" + offer + "_" + object);
         });
         c.RequireFiles(kUi, "/root/texture[starts-with(@id,'mn09_')]", "file");
     }},
};

void PrintTo(const Rule& rule, std::ostream* out)
{
    *out << rule.name;
}

class CafesContentRules : public ::testing::TestWithParam<Rule> {};

TEST_P(CafesContentRules, Holds)
{
    ContentChecker checker = MakeChecker();
    GetParam().check(checker);
    EXPECT_TRUE(checker.Problems().empty()) << checker.ReportText();
}

INSTANTIATE_TEST_SUITE_P(BuiltData, CafesContentRules, ::testing::ValuesIn(kRules),
                         [](const ::testing::TestParamInfo<Rule>& info) { return std::string(info.param.name); });

} // namespace
