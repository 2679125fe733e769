// Walking graphs: loading the four layers, shortest routes (ties, detours, failures), walking a route by distance,
// and the refused "self" point and zero-length edges.
#include "engine/PathGraph.h"

#include "engine/XmlConfig.h"
#include "platform/log/Log.h"
#include "tests/TestHelpers.h"
#include "tests/engine/EngineTestKit.h"
#include "tests/engine/SceneTestKit.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using namespace EngineTest;

using TestHelpers::LogCapture;

/// A working layer made from the text of one graph element, without the load-time checks of PathGraph.
PathLayer LayerOf(const char* graph)
{
    const XmlText xml(graph);
    PathLayer loaded;
    loaded.LoadLayer(xml.Root());
    PathLayer working;
    working.CopyLayer(loaded);
    return working;
}

/// The route as the list of its segments' end points.
std::vector<Pyxo::Point> Ends(const PathLayer& layer)
{
    std::vector<Pyxo::Point> ends;
    for (const RouteSegment& segment : layer.Route())
        ends.push_back({segment.x1, segment.y1});
    return ends;
}

using Points = std::vector<Pyxo::Point>;

// a -- b is straight; c is reached through a detour; z has no edge; the edge list never names a missing point.
const char* const kSmallGraph = R"(<graph name="boss">
  <points>
    <point name="a" x="0" y="0" direction="b"/>
    <point name="b" x="30" y="40" direction="r"/>
    <point name="c" x="30" y="100"/>
    <point name="d" x="200" y="0"/>
    <point name="z" x="500" y="500"/>
  </points>
  <edges>
    <edge p1="a" p2="b"/>
    <edge p1="c" p2="b"/>
    <edge p1="a" p2="d"/>
    <edge p1="d" p2="c"/>
  </edges>
</graph>)";

TEST(PathLayer, RoutesOnASmallGraph)
{
    const struct {
        const char* name;
        const char* start;
        const char* target;
        bool found;
        Points ends;
    } cases[] = {
        {"straight", "a", "b", true, {{30, 40}}},
        {"detour: through b, shorter than through d", "a", "c", true, {{30, 40}, {30, 100}}},
        {"backwards", "c", "a", true, {{30, 40}, {0, 0}}},
        {"unreachable", "a", "z", false, {}},
        {"missing target", "a", "nowhere", false, {}},
        {"missing start", "nowhere", "b", false, {}},
        {"start equal to target", "b", "b", false, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        PathLayer layer = LayerOf(kSmallGraph);
        ASSERT_TRUE(layer.SearchRoute("a", "d")) << "leaves a route behind";
        EXPECT_EQ(layer.SearchRoute(c.start, c.target), c.found);
        EXPECT_EQ(Ends(layer), c.ends) << "a failed search empties the route";
    }

    PathLayer layer = LayerOf(kSmallGraph);
    ASSERT_TRUE(layer.SearchRoute("a", "c"));
    ASSERT_EQ(layer.Route().size(), 2u);
    EXPECT_FLOAT_EQ(layer.Route()[0].length, 50.0f);
    EXPECT_EQ(layer.Route()[0].direction, "r") << "each segment carries its end point's direction";
    EXPECT_FLOAT_EQ(layer.Route()[1].length, 60.0f);
    EXPECT_EQ(layer.Route()[1].direction, "");
}

TEST(PathLayer, AnEdgeNamingAMissingPointFailsEverySearch)
{
    PathLayer layer = LayerOf(R"(<graph><points><point name="a"/><point name="b" x="10"/></points>
        <edges><edge p1="a" p2="b"/><edge p1="b" p2="gone"/></edges></graph>)");
    EXPECT_FALSE(layer.SearchRoute("a", "b"));
    EXPECT_TRUE(layer.Route().empty());
}

TEST(PathLayer, OfTwoEquallyLongRoutesTheOneRelaxedLaterWins)
{
    // The left and the right way from s to t are equally long. The second wave holds both middle points and works
    // them in name order, so "z" relaxes t last, although its edges come first in the file.
    PathLayer layer = LayerOf(R"(<graph><points>
        <point name="s" x="0" y="0"/><point name="t" x="0" y="100"/>
        <point name="z" x="-50" y="50"/><point name="a" x="50" y="50"/></points>
      <edges><edge p1="s" p2="z"/><edge p1="z" p2="t"/><edge p1="s" p2="a"/><edge p1="a" p2="t"/></edges></graph>)");
    ASSERT_TRUE(layer.SearchRoute("s", "t"));
    EXPECT_EQ(Ends(layer), (Points{{-50, 50}, {0, 100}}));
    ASSERT_TRUE(layer.SearchRoute("t", "s"));
    EXPECT_EQ(Ends(layer), (Points{{-50, 50}, {0, 0}}));
}

TEST(PathLayer, FollowingARouteByDistance)
{
    PathLayer layer = LayerOf(kSmallGraph);
    ASSERT_TRUE(layer.SearchRoute("a", "c")); // (0,0) -> (30,40) -> (30,100), lengths 50 and 60
    const struct {
        const char* name;
        float distance;
        bool walking;
        Pyxo::Point position;
        Pyxo::Point direction;
    } cases[] = {
        {"start", 0.0f, true, {0, 0}, {30, 40}},
        {"inside the first segment, truncated", 26.0f, true, {15, 20}, {30, 40}},
        {"on the segment boundary: its end, still walking", 50.0f, true, {30, 40}, {30, 40}},
        {"just past the boundary", 50.5f, true, {30, 40}, {0, 60}},
        {"exactly the whole route", 110.0f, true, {30, 100}, {0, 60}},
        // c has no direction: the caller's direction stays as it was set.
        {"past the end, empty final direction", 111.0f, false, {30, 100}, {7, 7}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Pyxo::Point position{-1, -1};
        Pyxo::Point direction{7, 7};
        EXPECT_EQ(layer.FollowRoute(c.distance, position, direction), c.walking);
        EXPECT_EQ(position, c.position);
        EXPECT_EQ(direction, c.direction);
    }

    const struct {
        const char* name;
        Pyxo::Point direction;
    } names[] = {{"t", {0, -1}},  {"tr", {1, -1}}, {"r", {1, 0}},    {"br", {1, 1}}, {"b", {0, 1}},
                 {"bl", {-1, 1}}, {"l", {-1, 0}},  {"tl", {-1, -1}}, {"x", {7, 7}},  {"T", {7, 7}}};
    for (const auto& n : names) {
        SCOPED_TRACE(n.name);
        PathLayer two;
        two.CopyLayer(PathLayer());
        two.AddPoint(0, 0, "p", "");
        two.AddPoint(0, 10, "q", n.name);
        PathLayer loaded = LayerOf(R"(<graph><edges><edge p1="p" p2="q"/></edges></graph>)");
        two.MergeLayer(loaded);
        ASSERT_TRUE(two.SearchRoute("p", "q"));
        Pyxo::Point position;
        Pyxo::Point direction{7, 7};
        EXPECT_FALSE(two.FollowRoute(20.0f, position, direction));
        EXPECT_EQ(direction, n.direction);
    }

    PathLayer empty;
    Pyxo::Point position{3, 4};
    Pyxo::Point direction{5, 6};
    EXPECT_FALSE(empty.FollowRoute(1.0f, position, direction));
    EXPECT_EQ(position, Pyxo::Point(3, 4)) << "no route: nothing is touched";
}

TEST(PathLayer, ARouteAcrossTheWholeCoordinateRangeWalksWithoutWrapping)
{
    PathLayer layer = LayerOf(R"(<graph><points><point name="a" x="-2147483648" y="2147483647"/>
        <point name="b" x="2147483647" y="-2147483648"/></points><edges><edge p1="a" p2="b"/></edges></graph>)");
    ASSERT_TRUE(layer.SearchRoute("a", "b"));
    const float length = layer.Route().front().length;
    const struct {
        float distance;
        Pyxo::Point position;
    } cases[] = {{0.0f, {INT32_MIN, INT32_MAX}}, {length / 2, {0, -1}}, {length, {INT32_MAX, INT32_MIN}}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.distance);
        Pyxo::Point position;
        Pyxo::Point direction;
        EXPECT_TRUE(layer.FollowRoute(c.distance, position, direction));
        EXPECT_EQ(position, c.position);
        EXPECT_EQ(direction, Pyxo::Point(INT32_MAX, INT32_MIN)) << "right and up, held to 32 bits";
    }
}

TEST(PathLayer, LoadingKeepsTheFirstPointOfANameAndOnlyCompositeLayersTakeMore)
{
    const XmlText xml(R"(<graph><points><point name="a" x="1" y="2" direction="t"/><point name="a" x="9"/>
        <point name="b"/></points><edges><edge p1="a" p2="b"/><edge p1="b" p2="a"/></edges></graph>)");
    PathLayer loaded;
    loaded.LoadLayer(xml.Root());
    ASSERT_EQ(loaded.Points().size(), 2u);
    EXPECT_EQ(loaded.Points().at("a").x, 1);
    EXPECT_EQ(loaded.Points().at("b").y, 0) << "a missing coordinate reads as 0";
    EXPECT_EQ(loaded.Edges().size(), 2u) << "a loaded layer keeps its edges as they are";

    loaded.AddPoint(5, 5, "c", "");
    loaded.MergeLayer(LayerOf(R"(<graph><points><point name="d"/></points></graph>)"));
    EXPECT_FALSE(loaded.HasPoint("c")) << "a loaded layer takes no generated point";
    EXPECT_FALSE(loaded.HasPoint("d")) << "nor a merge";

    PathLayer working;
    working.CopyLayer(loaded);
    working.MergeLayer(LayerOf(R"(<graph><points><point name="a" x="50"/><point name="d" x="4"/></points>
        <edges><edge p1="b" p2="a"/><edge p1="a" p2="d"/></edges></graph>)"));
    EXPECT_EQ(working.Points().at("a").x, 1) << "a merged name already present keeps its own point";
    EXPECT_EQ(working.Points().at("d").x, 4);
    EXPECT_EQ(working.Edges().size(), 3u) << "b - a is already there, either way round";
    working.AddPoint(8, 9, "a", "l");
    EXPECT_EQ(working.Points().at("a").x, 8) << "an added point replaces one of its name";

    int32_t x = -1;
    int32_t y = -1;
    EXPECT_TRUE(working.GetPointPosition("a", x, y));
    EXPECT_EQ(Pyxo::Point(x, y), Pyxo::Point(8, 9));
    EXPECT_FALSE(working.GetPointPosition("nowhere", x, y));
    EXPECT_EQ(Pyxo::Point(x, y), Pyxo::Point(8, 9));
}

TEST(PathLayer, APointNamedSelfIsRefusedWithItsEdges)
{
    LogCapture log;
    // Without the refusal, the start's mark "self" would name this point, and the walk back would run on into it.
    PathLayer layer = LayerOf(R"(<graph><points>
        <point name="a" x="0" y="0"/><point name="self" x="10" y="0"/><point name="b" x="20" y="0"/>
        <point name="c" x="10" y="30"/></points>
      <edges><edge p1="a" p2="self"/><edge p1="self" p2="b"/><edge p1="a" p2="c"/><edge p1="c" p2="b"/></edges>
      </graph>)");
    EXPECT_TRUE(log.Has("\"self\" is reserved"));
    EXPECT_FALSE(layer.HasPoint("self"));
    EXPECT_EQ(layer.Edges().size(), 2u);
    ASSERT_TRUE(layer.SearchRoute("a", "b"));
    EXPECT_EQ(Ends(layer), (Points{{10, 30}, {20, 0}}));
    ASSERT_TRUE(layer.SearchRoute("b", "a"));
    EXPECT_EQ(Ends(layer), (Points{{10, 30}, {0, 0}}));

    layer.AddPoint(1, 1, "self", "");
    EXPECT_FALSE(layer.HasPoint("self")) << "nor may a pick item of that name add one";
}

// d reaches a and b, which stand at one position and are joined: a and b then pass the same cost to each other for
// ever, and each names the other as the point it was reached from.
const char* const kZeroLengthEdge = R"(<graph name="boss"><points>
    <point name="d" x="0" y="0"/><point name="a" x="10" y="0"/><point name="b" x="10" y="0"/>
    <point name="e" x="0" y="50"/></points>
  <edges><edge p1="d" p2="a"/><edge p1="d" p2="b"/><edge p1="a" p2="b"/><edge p1="d" p2="e"/></edges></graph>)";

TEST(PathLayer, TheSearchEndsEvenOnAZeroLengthEdge)
{
    LogCapture log;
    PathLayer layer = LayerOf(kZeroLengthEdge); // without the load-time check
    EXPECT_FALSE(layer.SearchRoute("d", "a"));
    EXPECT_TRUE(log.Has("did not settle"));
    EXPECT_TRUE(log.Has("loops"));
    ASSERT_TRUE(layer.SearchRoute("d", "e")) << "a route not taking the edge still works";
    EXPECT_EQ(Ends(layer), (Points{{0, 50}}));

    layer.DropZeroLengthEdges();
    EXPECT_TRUE(log.Has("edge <a - b> joins two points at (10, 0)"));
    EXPECT_EQ(layer.Edges().size(), 3u);
    ASSERT_TRUE(layer.SearchRoute("d", "a"));
    EXPECT_EQ(Ends(layer), (Points{{10, 0}}));
}

class PathGraphTest : public SceneFixture {};

TEST_F(PathGraphTest, TheWorkingLayerJoinsSceneLevelAndPickPoints)
{
    LogCapture log;
    // The scene names two graphs "boss": the last wins. The level adds a point and an edge to the pick point of
    // the tray, and repeats a scene edge backwards. The zero-length edge is dropped from the union.
    const XmlText scene(R"(<root><graphs>
        <graph name="boss"><points><point name="old"/></points></graph>
        <graph name="other"><points><point name="x"/></points></graph>
        <graph name="boss"><points><point name="door" x="0" y="0"/><point name="hall" x="100" y="0"/>
          <point name="twin" x="100" y="0"/></points>
          <edges><edge p1="door" p2="hall"/><edge p1="hall" p2="twin"/></edges></graph>
      </graphs></root>)");
    const XmlText level(R"(<level><graphs><graph name="boss">
        <points><point name="hall" x="999" y="999"/><point name="bar" x="100" y="80" direction="l"/></points>
        <edges><edge p1="hall" p2="door"/><edge p1="hall" p2="bar"/><edge p1="bar" p2="tray"/></edges>
      </graph></graphs></level>)");
    const XmlText trayXml(R"(<object name="tray"><point owner="cook" offs_x="1" offs_y="1"/>
        <point owner="boss" offs_x="160" offs_y="80" direction="br"/></object>)");
    TMPickItem tray;
    tray.Load(trayXml.Root());

    PathGraph graph("boss");
    graph.LoadBaseLayer(scene.Root());
    graph.BuildPickLayer();
    graph.LoadLevelLayer(level.Root());
    tray.Unload();

    EXPECT_FALSE(graph.Base().HasPoint("old"));
    EXPECT_EQ(graph.Pick().Points().size(), 1u);
    EXPECT_EQ(graph.Pick().Points().at("tray").direction, "br") << "the pick point of this graph's owner";
    int32_t x = 0;
    int32_t y = 0;
    ASSERT_TRUE(graph.GetPointPosition("hall", x, y));
    EXPECT_EQ(Pyxo::Point(x, y), Pyxo::Point(100, 0)) << "the scene's point stays";
    ASSERT_TRUE(graph.GetPointPosition("tray", x, y));
    EXPECT_EQ(Pyxo::Point(x, y), Pyxo::Point(160, 80));
    EXPECT_EQ(graph.Working().Edges().size(), 3u) << "hall - twin dropped, door - hall not repeated";
    EXPECT_TRUE(log.Has("edge <hall - twin> joins two points"));

    EXPECT_FALSE(graph.StartRoute("tray", 10.0f)) << "no start point yet";
    EXPECT_FALSE(graph.SetStart("nowhere"));
    ASSERT_TRUE(graph.SetStart("door"));
    EXPECT_FALSE(graph.StartRoute("nowhere", 10.0f));
    ASSERT_TRUE(graph.StartRoute("tray", 20.0f)); // 100 + 80 + 60 pixels
    Pyxo::Point position;
    Pyxo::Point direction;
    EXPECT_TRUE(graph.Advance(2.5f, position, direction));
    EXPECT_EQ(position, Pyxo::Point(50, 0));
    EXPECT_TRUE(graph.Advance(5.0f, position, direction));
    EXPECT_EQ(position, Pyxo::Point(100, 50));
    EXPECT_FALSE(graph.Advance(5.0f, position, direction));
    EXPECT_EQ(position, Pyxo::Point(160, 80));
    EXPECT_EQ(direction, Pyxo::Point(1, 1));
    EXPECT_FALSE(graph.StartRoute("door", 10.0f)) << "the start stays where it was set";
    ASSERT_TRUE(graph.SetStart("tray"));
    ASSERT_TRUE(graph.StartRoute("door", 1000.0f));
    EXPECT_TRUE(graph.Advance(0.03f, position, direction)) << "the new walk counts its time from 0";
    EXPECT_EQ(position, Pyxo::Point(130, 80));

    graph.ReleaseBase();
    EXPECT_TRUE(graph.Working().Points().empty());
    EXPECT_TRUE(graph.Base().Points().empty());
    EXPECT_EQ(graph.GetCurrentPoint(), "");
    EXPECT_FALSE(graph.Level().Points().empty());
    graph.ReleaseLevel();
    graph.ReleasePick();
    EXPECT_TRUE(graph.Level().Points().empty());
    EXPECT_TRUE(graph.Pick().Points().empty());
}

TEST_F(PathGraphTest, AnEdgeToAPointThatIsNotThereIsLoggedOnceWithItsFile)
{
    WriteXml(fs::current_path() / "scene.xml",
             R"(<root><graphs><graph name="boss"><points><point name="door" x="0" y="0"/>
        <point name="hall" x="100" y="0"/></points><edges><edge p1="door" p2="hall"/></edges></graph></graphs></root>)");
    WriteXml(fs::current_path() / "cfg" / "l3.xml", R"(<level><graphs><graph name="boss"><points/>
        <edges><edge p1="hall" p2="kitchen"/></edges></graph></graphs></level>)");
    const auto scene = XmlOpenDocument("scene.xml");
    const auto level = XmlOpenDocument("cfg\\l3.xml");
    ASSERT_TRUE(scene && level);
    LogCapture log;
    PathGraph graph("boss");
    graph.LoadBaseLayer(XmlSelectNode(*scene, "root"));
    graph.BuildPickLayer();
    graph.LoadLevelLayer(XmlSelectNode(*level, "level"));
    EXPECT_TRUE(log.Has("cfg\\l3.xml: path graph \"boss\": edge <hall - kitchen> names the point \"kitchen\""));
    ASSERT_TRUE(graph.SetStart("door"));
    const LogCapture later;
    EXPECT_FALSE(graph.StartRoute("hall", 10.0f)) << "the search still refuses every route";
    EXPECT_FALSE(later.Has("path graph")) << "logged at load only";
}

TEST_F(PathGraphTest, ADocumentWithoutTheGraphLeavesItsLayerEmpty)
{
    const XmlText empty("<root/>");
    PathGraph graph("boss");
    graph.LoadBaseLayer(empty.Root());
    graph.BuildPickLayer();
    graph.LoadLevelLayer(empty.Root());
    EXPECT_TRUE(graph.Working().Points().empty());
    EXPECT_FALSE(graph.SetStart("door"));

    graph.LoadBaseLayer(pugi::xml_node()); // a document that did not open
    graph.LoadLevelLayer(pugi::xml_node());
    EXPECT_TRUE(graph.Working().Points().empty());
}

} // namespace
