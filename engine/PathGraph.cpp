#include "engine/PathGraph.h"

#include "engine/TMPickItem.h"
#include "engine/XmlConfig.h"

#include <utility>

PathGraph::PathGraph(std::string name) : mName(std::move(name)) {}

void PathGraph::LoadNamedLayer(pugi::xml_node node, PathLayer& layer) const
{
    for (const pugi::xpath_node& graph : XmlSelectNodes(node, "graphs/graph")) {
        if (XmlReadString(graph.node(), "name") == mName)
            layer.LoadLayer(graph.node());
    }
}

void PathGraph::LoadBaseLayer(pugi::xml_node sceneRoot)
{
    LoadNamedLayer(sceneRoot, mBase);
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
    LoadNamedLayer(level, mLevel);
    mWorking.CopyLayer(mBase);
    mWorking.MergeLayer(mLevel);
    mWorking.MergeLayer(mPick);
    mWorking.DropZeroLengthEdges();
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
