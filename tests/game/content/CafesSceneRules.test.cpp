// The rules the cafes' scene documents keep, checked on the built scenes: every object the actors look for by name,
// the indicators' actors, the boss's walking graph and the parts' order points. One row per rule, each miss named
// with the source file and line of the element at fault.
#include "tests/game/content/CoreContentKit.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <functional>
#include <map>
#include <ostream>
#include <regex>
#include <set>

namespace {

using namespace CoreContent;

constexpr const char* kCfg = "cfg/cfg.xml";

/// The cafes whose scenes are built, with the least each must hold.
struct Cafe {
    int number;
    size_t workers, standing, seated;
};
const Cafe kCafes[] = {{1, 3, 4, 2}, {2, 3, 4, 2}, {3, 3, 5, 4}};

std::string SceneFile(const Cafe& cafe)
{
    return "scenes/cafe" + std::to_string(cafe.number) + ".xml";
}

struct Scene {
    ContentChecker& checker;
    std::string file;
    std::map<std::string, pugi::xml_node> objects; // by name

    Scene(ContentChecker& c, const Cafe& cafe) : checker(c), file(SceneFile(cafe))
    {
        if (const pugi::xml_document* document = c.Document(file)) {
            for (const pugi::xpath_node& node : document->select_nodes("/root/objects/object")) {
                const std::string name = node.node().attribute("name").value();
                if (!objects.emplace(name, node.node()).second)
                    c.Report(file, node.node(), "object \"" + name + "\" is named twice");
            }
        }
    }
    [[nodiscard]] pugi::xml_node Root() const
    {
        const pugi::xml_document* document = checker.Document(file);
        return document ? document->child("root") : pugi::xml_node();
    }
    [[nodiscard]] bool Has(const std::string& name) const { return objects.count(name) != 0; }
    /// The objects whose name matches, in document order.
    [[nodiscard]] std::vector<pugi::xml_node> Matching(const std::string& pattern) const
    {
        std::vector<pugi::xml_node> found;
        const std::regex expression(pattern);
        if (const pugi::xml_document* document = checker.Document(file)) {
            for (const pugi::xpath_node& node : document->select_nodes("/root/objects/object")) {
                if (std::regex_match(node.node().attribute("name").value(), expression))
                    found.push_back(node.node());
            }
        }
        return found;
    }
    void Require(const pugi::xml_node& at, bool holds, const std::string& message)
    {
        if (!holds)
            checker.Report(file, at ? at : Root(), message);
    }
    static size_t PartCount(const pugi::xml_node& object, const std::string& part)
    {
        size_t count = 0;
        for (const pugi::xml_node& child : object.children("part"))
            count += part == child.attribute("name").value();
        return count;
    }
    void RequireParts(const pugi::xml_node& object, const std::vector<std::pair<std::string, size_t>>& parts)
    {
        for (const auto& [part, count] : parts) {
            Require(object, PartCount(object, part) >= count,
                    std::string(object.attribute("name").value()) + " needs " + std::to_string(count) + " part(s) \"" +
                        part + "\"");
        }
    }
    void RequireClass(const std::string& name, const std::set<std::string>& classes)
    {
        const auto found = objects.find(name);
        if (found == objects.end())
            return Require({}, false, "no object \"" + name + "\"");
        Require(found->second, classes.count(found->second.attribute("class").value()) != 0,
                name + " has the wrong class");
    }
};

using Check = void (*)(Scene& scene, const Cafe& cafe);

struct Rule {
    const char* name;
    Check check;
};

bool IsMask(const std::string& text)
{
    return text.size() == 4 && text.find_first_not_of("01") == std::string::npos;
}

const Rule kRules[] = {
    {"TutorialObjectsArePresent",
     [](Scene& s, const Cafe& cafe) {
         if (cafe.number != 1)
             return;
         for (const char* name : {"client_place02", "client_place03", "client_place04", "trash_bin", "tray",
                                  "wash_stand", "table01", "table03", "table04"})
             s.Require({}, s.Has(name), std::string("the tutorial's object \"") + name + "\" is missing");
         const std::vector<pugi::xml_node> standing = s.Matching("client[0-9]+");
         const char* first[] = {"client02", "client03", "client04"};
         for (size_t i = 0; i < 3; ++i)
             s.Require({}, standing.size() > i && std::string(standing[i].attribute("name").value()) == first[i],
                       std::string("the standing clients must begin with client02, client03, client04"));
     }},
    {"BossHasItsPartsStartAndRecord",
     [](Scene& s, const Cafe&) {
         s.RequireClass("boss", {"boss"});
         if (!s.Has("boss"))
             return;
         const pugi::xml_node boss = s.objects["boss"];
         s.RequireParts(boss, {{"boss", 1}, {"held_items", 4}});
         s.Require(boss, *boss.attribute("start_point").value() != 0, "the boss has no start_point");
         s.checker.RequireNamed(kCfg, "/root/perses/pers", "name", {"boss"});
     }},
    {"ClientsMatchTheirPlaces",
     [](Scene& s, const Cafe& cafe) {
         const auto standing = s.Matching("client[0-9]+");
         const auto seated = s.Matching("client_sit[0-9]+");
         s.Require({}, standing.size() >= cafe.standing, "too few standing clients");
         s.Require({}, seated.size() >= cafe.seated, "too few seated clients");
         for (const pugi::xml_node& client : standing) {
             const std::string digits = std::string(client.attribute("name").value()).substr(6);
             s.RequireClass(client.attribute("name").value(), {"client"});
             s.RequireParts(client, {{"client_stand_up", 1}, {"cash", 1}, {"bonus", 1}});
             s.RequireClass("client_place" + digits, {"pickable"});
             if (s.Has("client_place" + digits))
                 s.RequireParts(s.objects["client_place" + digits], {{"client_money", 1}, {"bar", 1}});
         }
         for (const pugi::xml_node& client : seated) {
             const std::string digits = std::string(client.attribute("name").value()).substr(10);
             s.RequireClass(client.attribute("name").value(), {"client_sit"});
             s.RequireParts(client, {{"client_sitting_up", 1}, {"cash", 1}, {"bonus", 1}});
             s.RequireClass("client_sit_place" + digits, {"pickable"});
             if (s.Has("client_sit_place" + digits))
                 s.RequireParts(s.objects["client_sit_place" + digits], {{"client_money", 1}});
         }
         for (const pugi::xml_node& place : s.Matching("client_(sit_)?place[0-9]+")) {
             const std::string name = place.attribute("name").value();
             const std::string client = std::regex_replace(name, std::regex("_place"), "");
             s.Require(place, s.Has(client), name + " has no client \"" + client + "\"");
         }
     }},
    {"WorkersHaveTablesAndConfiguredSkins",
     [](Scene& s, const Cafe& cafe) {
         const auto workers = s.Matching("worker[0-9]+");
         s.Require({}, workers.size() >= cafe.workers, "too few workers");
         for (const pugi::xml_node& worker : workers) {
             const std::string digits = std::string(worker.attribute("name").value()).substr(6);
             s.RequireClass(worker.attribute("name").value(), {"worker"});
             s.RequireParts(worker, {{"worker_up", 1}, {"worker_upgrade_1", 1}, {"worker_upgrade_2", 1}});
             s.RequireClass("table" + digits, {"pickable"});
             if (!s.Has("table" + digits))
                 continue;
             const pugi::xml_node table = s.objects["table" + digits];
             s.RequireParts(table, {{"soiling_table" + digits, 1}, {"cleaning", 1}});
             s.Require(table,
                       Scene::PartCount(table, "soiling_floor01") + Scene::PartCount(table, "soiling_floor02") > 0,
                       "table" + digits + " has no soiling_floor01 or 02");
         }
         s.checker.RequireCount(kCfg, "/root/workers/worker", 1);
     }},
    {"SourcesBinsAndPeriodItemsAreConfigured",
     [](Scene& s, const Cafe&) {
         s.RequireClass("wash_stand", {"tray"});
         s.Require({}, s.Has("wash_stand") && std::string(s.objects["wash_stand"].attribute("thing").value()) == "wash",
                   "the wash stand must give \"wash\"");
         s.Require({}, !s.Matching("trash_bin.*").empty(), "no trash bin");
         for (const pugi::xml_node& bin : s.Matching("trash_bin.*"))
             s.RequireClass(bin.attribute("name").value(), {"trash_bin"});
         for (const pugi::xml_node& source : s.Matching("material.*|super_material|coffeemachine")) {
             const std::string name = source.attribute("name").value();
             const std::string thing = source.attribute("thing").value();
             s.RequireClass(name, {"tray", "period_item"});
             s.Require(source, IsMask(thing) || thing == "super", name + " gives no product (\"" + thing + "\")");
         }
         for (const auto& [name, object] : s.objects) {
             if (std::string(object.attribute("class").value()) == "period_item")
                 s.checker.RequireNamed(kCfg, "/root/period_items/period_item", "name", {name});
         }
     }},
    {"BonusItemHasEnoughMoneyParts",
     [](Scene& s, const Cafe&) {
         s.RequireClass("bonus", {"item_bonus"});
         if (s.Has("bonus"))
             s.RequireParts(s.objects["bonus"], {{"cash", 6}, {"bonus", 4}});
     }},
    {"EveryActorHasItsIndicatorsAndEveryIndicatorItsActor",
     [](Scene& s, const Cafe&) {
         const std::pair<const char*, const char*> kinds[] = {{"status_bubble_worker", "worker"},
                                                              {"status_bubble_client", "client"},
                                                              {"status_hp_worker", "worker"},
                                                              {"status_hp_client", "client"}};
         for (const auto& [prefix, actor] : kinds) {
             for (const pugi::xml_node& indicator : s.Matching(std::string(prefix) + ".*")) {
                 const std::string name = indicator.attribute("name").value();
                 const std::string target = actor + name.substr(std::strlen(prefix));
                 s.Require(indicator, s.Has(target), name + " names no actor \"" + target + "\"");
             }
         }
         for (const pugi::xml_node& actor : s.Matching("worker[0-9]+|client(_sit)?[0-9]+")) {
             const std::string name = actor.attribute("name").value();
             const bool worker = name.rfind("worker", 0) == 0;
             for (const char* prefix : {"status_bubble_", "status_hp_"}) {
                 const std::string indicator = prefix + name;
                 s.RequireClass(indicator, {prefix == std::string("status_bubble_") ? "status_bubble"
                                            : worker                                ? "status_hp_worker"
                                                                                    : "status_hp_client"});
             }
             if (s.Has("status_bubble_" + name))
                 s.RequireParts(s.objects["status_bubble_" + name], {{"status_bubble", 1}, {"status_production", 1}});
         }
     }},
    {"PickItemsHaveRegionsMarksAndNoBlockerCycle",
     [](Scene& s, const Cafe&) {
         std::map<std::string, std::vector<std::string>> blockers;
         for (const auto& [name, object] : s.objects) {
             if (!object.attribute("rgn"))
                 continue;
             s.RequireParts(object, {{"checkmark", 2}});
             s.Require(object, bool(object.find_child_by_attribute("point", "owner", "boss")),
                       name + " has no pick point for the boss");
             for (const pugi::xml_node& pick : object.children("picks"))
                 blockers[name].push_back(pick.attribute("pick").value());
         }
         // A walk along the blockers that comes back to where it began is a cycle.
         for (const auto& [start, _] : blockers) {
             std::vector<std::string> open = blockers[start];
             std::set<std::string> seen;
             while (!open.empty()) {
                 const std::string next = open.back();
                 open.pop_back();
                 s.Require(s.objects[start], next != start, start + " is its own blocker through a cycle");
                 if (next == start || !seen.insert(next).second)
                     continue;
                 for (const std::string& further : blockers[next])
                     open.push_back(further);
             }
         }
     }},
    {"BossGraphReachesEveryPickPoint",
     [](Scene& s, const Cafe&) {
         const pugi::xml_node graph = s.Root().child("graphs").find_child_by_attribute("graph", "name", "boss");
         s.Require({}, bool(graph), "no graph \"boss\"");
         if (!graph)
             return;
         std::map<std::string, std::pair<int, int>> points;
         for (const pugi::xml_node& point : graph.child("points").children("point")) {
             const std::string name = point.attribute("name").value();
             s.Require(point, name != "self", "the point name \"self\" is reserved");
             points[name] = {point.attribute("x").as_int(), point.attribute("y").as_int()};
         }
         for (const auto& [name, object] : s.objects) {
             if (const pugi::xml_node pick = object.find_child_by_attribute("point", "owner", "boss"))
                 points[name] = {pick.attribute("offs_x").as_int(), pick.attribute("offs_y").as_int()};
         }
         std::map<std::string, std::vector<std::string>> next;
         for (const pugi::xml_node& edge : graph.child("edges").children("edge")) {
             const std::string p1 = edge.attribute("p1").value(), p2 = edge.attribute("p2").value();
             s.Require(edge, points.count(p1) && points.count(p2), "edge " + p1 + " - " + p2 + " names no point");
             if (!points.count(p1) || !points.count(p2))
                 continue;
             s.Require(edge, points[p1] != points[p2], "edge " + p1 + " - " + p2 + " has length 0");
             next[p1].push_back(p2);
             next[p2].push_back(p1);
         }
         const std::string start = s.Has("boss") ? s.objects["boss"].attribute("start_point").value() : "";
         s.Require(graph, points.count(start) != 0, "the boss's start point \"" + start + "\" is not on the graph");
         std::set<std::string> reached = {start};
         std::vector<std::string> open = {start};
         while (!open.empty()) {
             const std::string at = open.back();
             open.pop_back();
             for (const std::string& to : next[at]) {
                 if (reached.insert(to).second)
                     open.push_back(to);
             }
         }
         for (const auto& [name, object] : s.objects) {
             if (object.find_child_by_attribute("point", "owner", "boss"))
                 s.Require(object, reached.count(name) != 0, name + " cannot be reached from the start point");
         }
     }},
    {"StaticPartsStandOnTheScreenOrFollowAParent",
     [](Scene& s, const Cafe&) {
         for (const auto& [name, object] : s.objects) {
             const std::string kind = object.attribute("class").value();
             if (kind == "boss")
                 continue; // the mover's parts are placed by its feet
             for (const pugi::xml_node& part : object.children("part")) {
                 if (part.attribute("zover").as_bool())
                     continue;
                 for (int i = 0; i < 3; ++i) {
                     const int x = part.attribute(("order" + std::to_string(i) + "_x").c_str()).as_int(-1);
                     const int y = part.attribute(("order" + std::to_string(i) + "_y").c_str()).as_int(-1);
                     s.Require(part, x >= 0 && x < 800 && y >= 0 && y < 600,
                               name + ":" + part.attribute("name").value() + " has an order point off the screen");
                 }
                 const std::string parent = part.attribute("parent_z").value();
                 if (parent.empty())
                     continue;
                 const size_t colon = parent.find(':');
                 const bool found = colon != std::string::npos && s.Has(parent.substr(0, colon)) &&
                                    Scene::PartCount(s.objects[parent.substr(0, colon)], parent.substr(colon + 1)) > 0;
                 s.Require(part, found, "parent_z \"" + parent + "\" names no part");
             }
         }
     }},
    {"SkinsAndVisualUpgradesNameSceneObjects",
     [](Scene& s, const Cafe& cafe) {
         const pugi::xml_node param = s.Root().child("param");
         s.Require(param, param && param.attribute("upgrade_skin") && param.attribute("default_skin"),
                   "the scene's param needs upgrade_skin and default_skin");
         const pugi::xml_document* cfg = s.checker.Document(kCfg);
         if (!cfg)
             return;
         size_t entries = 0;
         for (const pugi::xpath_node& entry : cfg->select_nodes("/root/upgrade/visual")) {
             const int low = entry.node().attribute("min_level").as_int();
             const int high = entry.node().attribute("max_level").as_int();
             if (cafe.number < low || cafe.number > high)
                 continue;
             ++entries;
             for (const pugi::xml_node& object : entry.node().children("object")) {
                 if (!s.Has(object.attribute("name").value()))
                     s.checker.Report(kCfg, object,
                                      std::string("no object \"") + object.attribute("name").value() + "\" in " +
                                          s.file);
             }
         }
         s.Require({}, entries > 0, "no visual upgrade for this cafe");
     }},
    {"FurnitureAndSourcesHaveTheirSequences",
     [](Scene& s, const Cafe&) {
         // The parts of the room, furniture and sources; the actors' own parts are drawn with the actors.
         const std::set<std::string> classes = {"item", "pickable", "tray", "period_item", "trash_bin"};
         for (const auto& [name, object] : s.objects) {
             const std::string kind = object.attribute("class").value();
             if (!classes.count(kind))
                 continue;
             const bool source = kind == "tray" || kind == "period_item" || kind == "trash_bin";
             for (const pugi::xml_node& part : object.children("part")) {
                 const std::string partName = part.attribute("name").value();
                 if (partName == "cleaning") {
                     s.checker.RequireAnmSequence("anm/cleaning.anm", "cleaningactivation", s.file, part);
                     continue;
                 }
                 const bool mark = partName == "checkmark";
                 // A source's own part lights up when chosen; its other parts only stand.
                 const std::vector<std::string> animations =
                     source && partName == name
                         ? std::vector<std::string>{"idle", "activation", "deactivation", "ready"}
                         : std::vector<std::string>{"idle"};
                 const std::string orientation = mark ? "" : object.attribute("orient").value();
                 for (const char* skin : {"", "up"}) {
                     if (mark && *skin)
                         continue; // marks are not re-skinned
                     for (const std::string& animation : animations) {
                         s.checker.RequireAnmSequence("anm/" + partName + ".anm",
                                                      partName + skin + orientation + animation, s.file, part);
                     }
                 }
             }
         }
     }},
    {"BossHasEveryPoseInEveryDirection",
     [](Scene& s, const Cafe&) {
         if (!s.Has("boss"))
             return s.Require({}, false, "no boss");
         const pugi::xml_node body = s.objects["boss"].find_child_by_attribute("part", "name", "boss");
         for (const char* orientation : {"t", "tr", "r", "br", "b", "bl", "l", "tl"}) {
             for (const char* animation : {"boss_idle_full_second", "boss_idle_full", "boss_idle_second",
                                           "boss_idle_empty1", "boss_idle_empty2", "boss_move_full_second",
                                           "boss_move_full", "boss_move_second", "boss_move_empty"})
                 s.checker.RequireAnmSequence("anm/boss.anm", std::string("boss") + orientation + animation, s.file,
                                              body);
             // The hands: the tray, every mask of four slots, the super product and the cloth.
             std::vector<std::string> held = {"super", "wash"};
             for (int mask = 0; mask < 16; ++mask) {
                 std::string text;
                 for (int slot = 3; slot >= 0; --slot)
                     text += char('0' + ((mask >> slot) & 1));
                 held.push_back(text);
             }
             for (const std::string& item : held) {
                 for (const char* hand : {"boss_idle_full", "boss_idle_second", "boss_move_full", "boss_move_second"})
                     s.checker.RequireAnmSequence("anm/held_items.anm",
                                                  std::string("held_items") + orientation + item + hand, s.file, body);
             }
         }
     }},
    {"WorkersAndClientsHaveEveryPoseInEverySkin",
     [](Scene& s, const Cafe&) {
         const pugi::xml_document* cfg = s.checker.Document(kCfg);
         if (!cfg)
             return;
         const auto names = [&](const char* query) {
             std::vector<std::string> found;
             for (const pugi::xpath_node& node : cfg->select_nodes(query))
                 found.push_back(node.node().attribute("name").value());
             return found;
         };
         const std::vector<std::string> workerTypes = names("/root/workers/worker");
         const std::vector<std::string> clientKinds = names("/root/clients/client");
         const struct {
             const char* object;
             const char* part;
             const std::vector<std::string>& skins;
             std::vector<std::string> animations;
         } figures[] = {
             {"worker[0-9]+",
              "worker_up",
              workerTypes,
              {"idle_green", "direct_character", "ready_green_action", "ready_green_begin", "ready_green_end",
               "switch_work", "switch_idle", "cooking_idle", "cooking_process_01", "cooking_process_02",
               "cooking_process_03", "idle_broken_workplace"}},
             {"client[0-9]+",
              "client_stand_up",
              clientKinds,
              {"direct_green", "direct_yellow", "scandal", "go_happy", "go_unhappy", "go_sitting", "idle_thinking",
               "idle_green", "idle_yellow", "discontent"}},
             {"client_sit[0-9]+", "client_sitting_up", clientKinds, {"eating_process", "go_happy", "go_unhappy"}},
         };
         for (const auto& figure : figures) {
             for (const pugi::xml_node& object : s.Matching(figure.object)) {
                 const std::string orientation = object.attribute("orient").value();
                 const pugi::xml_node part = object.find_child_by_attribute("part", "name", figure.part);
                 for (const std::string& skin : figure.skins) {
                     for (const std::string& animation : figure.animations)
                         s.checker.RequireAnmSequence(std::string("anm/") + figure.part + ".anm",
                                                      figure.part + skin + orientation + animation, s.file, part);
                 }
             }
         }
     }},
    {"IndicatorsHaveEveryIconWishAndStep",
     [](Scene& s, const Cafe&) {
         const pugi::xml_node at = s.Root();
         const auto require = [&](const std::string& part, const std::string& animation) {
             s.checker.RequireAnmSequence("anm/" + part + ".anm", part + animation, s.file, at);
         };
         for (const char* icon : {"client", "multi_client", "aggro", "small", "broken", "worker"}) {
             require("status_bubble", icon);
             require("status_bubble", std::string(icon) + "_active");
         }
         for (int mask = 0; mask < 16; ++mask) {
             std::string text;
             for (int slot = 3; slot >= 0; --slot)
                 text += char('0' + ((mask >> slot) & 1));
             require("status_production", text);
         }
         for (const char* state : {"ready", "think", "scandal", "broken", "working"})
             require("status_production", state);
         if (const pugi::xml_document* cfg = s.checker.Document(kCfg)) {
             for (const pugi::xpath_node& worker : cfg->select_nodes("/root/workers/worker"))
                 require("status_production", worker.node().attribute("product_type").value());
         }
         for (int step = 0; step <= 12; ++step) {
             char name[16];
             std::snprintf(name, sizeof name, "point%02didle", step);
             require("status_hp_worker", name);
             if (step <= 6)
                 require("status_hp_client", name);
         }
         for (const char* mood : {"greenidle", "yellowidle", "redidle", "freezeidle"})
             require("status_hp_client_smile", mood);
         for (const char* part : {"status_hp_client_back", "status_hp_worker_back", "cash", "bonus"})
             require(part, "idle");
     }},
};

struct Case {
    Rule rule;
    Cafe cafe;
};

void PrintTo(const Case& c, std::ostream* out)
{
    *out << c.rule.name << " cafe" << c.cafe.number;
}

std::vector<Case> Cases()
{
    std::vector<Case> cases;
    for (const Cafe& cafe : kCafes) {
        for (const Rule& rule : kRules)
            cases.push_back({rule, cafe});
    }
    return cases;
}

class CafesSceneRules : public ::testing::TestWithParam<Case> {};

TEST_P(CafesSceneRules, Holds)
{
    ContentChecker checker = MakeChecker();
    Scene scene(checker, GetParam().cafe);
    GetParam().rule.check(scene, GetParam().cafe);
    EXPECT_TRUE(checker.Problems().empty()) << checker.ReportText();
}

INSTANTIATE_TEST_SUITE_P(BuiltScenes, CafesSceneRules, ::testing::ValuesIn(Cases()),
                         [](const ::testing::TestParamInfo<Case>& info) {
                             return std::string(info.param.rule.name) + "_cafe" +
                                    std::to_string(info.param.cafe.number);
                         });

} // namespace
