#include "engine/PathGraph.h"

#include "engine/EngineLog.h"
#include "engine/TMPickItem.h"
#include "engine/XmlConfig.h"

#include <algorithm>
#include <utility>

PathGraph::PathGraph(std::string name) : mName(std::move(name)) {}

std::string PathGraph::LoadNamedLayer(pugi::xml_node node, PathLayer& layer) const
{
    std::string file;
    for (const pugi::xpath_node& graph : XmlSelectNodes(node, "graphs/graph")) {
        if (XmlReadString(graph.node(), "name") == mName) {
            layer.LoadLayer(graph.node());
            file = XmlFileOf(graph.node());
        }
    }
    return file;
}

void PathGraph::LoadBaseLayer(pugi::xml_node sceneRoot)
{
    mBaseFile = LoadNamedLayer(sceneRoot, mBase);
}

void PathGraph::BuildPickLayer()
{
    mPick.CopyLayer(PathLayer()); // an empty composite layer: it takes generated points
    for (const auto& [name, item] : gPickItems) {
        Pyxo::Point position;
        std::string direction;
        if (item && item->GetPickPoint(mName, position, direction))
            mPick.AddPoint(position.mX, position.mY, name, direction);
    }
}

void PathGraph::LoadLevelLayer(pugi::xml_node level)
{
    mLevelFile = LoadNamedLayer(level, mLevel);
    mWorking.CopyLayer(mBase);
    mWorking.MergeLayer(mLevel);
    mWorking.MergeLayer(mPick);
    mWorking.DropZeroLengthEdges();
    // The route search refuses every route while an edge names a point that is not there; said once, here.
    for (const PathEdge& edge : mWorking.Edges()) {
        for (const std::string* point : {&edge.p1, &edge.p2}) {
            if (mWorking.HasPoint(*point))
                continue;
            const bool fromLevel = std::any_of(mLevel.Edges().begin(), mLevel.Edges().end(),
                                               [&](const PathEdge& e) { return e.p1 == edge.p1 && e.p2 == edge.p2; });
            const std::string& file = fromLevel ? mLevelFile : mBaseFile;
            EngineLog("%s: path graph \"%s\": edge <%s - %s> names the point \"%s\", which does not exist; no route "
                      "can be found on this graph",
                      file.c_str(), mName.c_str(), edge.p1.c_str(), edge.p2.c_str(), point->c_str());
            break;
        }
    }
}

void PathGraph::ReleaseBase()
{
    mWorking.Clear();
    mBase.Clear();
    mCurrentPoint.clear();
}

void PathGraph::ReleaseLevel()
{
    mWorking.Clear();
    mLevel.Clear();
    mCurrentPoint.clear();
}

void PathGraph::ReleasePick()
{
    mWorking.Clear();
    mPick.Clear();
    mCurrentPoint.clear();
}

bool PathGraph::SetStart(const std::string& name)
{
    if (!mWorking.HasPoint(name))
        return false;
    mCurrentPoint = name;
    return true;
}

bool PathGraph::StartRoute(const std::string& target, float speed)
{
    if (!mWorking.HasPoint(target) || !mWorking.SearchRoute(mCurrentPoint, target))
        return false;
    mSpeed = speed;
    mTravelled = 0.0f;
    return true;
}

bool PathGraph::GetPointPosition(const std::string& name, int32_t& x, int32_t& y) const
{
    return mWorking.GetPointPosition(name, x, y);
}

bool PathGraph::Advance(float dt, Pyxo::Point& position, Pyxo::Point& direction)
{
    mTravelled += dt;
    return mWorking.FollowRoute(mTravelled * mSpeed, position, direction);
}
