#include "engine/PathLayer.h"

#include "engine/EngineLog.h"
#include "engine/XmlConfig.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <set>

namespace {

float Distance(int32_t x0, int32_t y0, int32_t x1, int32_t y1)
{
    const float dx = static_cast<float>(static_cast<int64_t>(x1) - x0);
    const float dy = static_cast<float>(static_cast<int64_t>(y1) - y0);
    return std::sqrt(dx * dx + dy * dy);
}

int32_t Clamp32(int64_t value)
{
    return static_cast<int32_t>(std::clamp<int64_t>(value, INT32_MIN, INT32_MAX));
}

bool SameEnds(const PathEdge& a, const PathEdge& b)
{
    return (a.p1 == b.p1 && a.p2 == b.p2) || (a.p1 == b.p2 && a.p2 == b.p1);
}

} // namespace

void PathLayer::Clear()
{
    mPoints.clear();
    mEdges.clear();
    mComposite = false;
}

void PathLayer::LoadLayer(pugi::xml_node element)
{
    Clear();
    for (pugi::xml_node node : element.child("points").children("point")) {
        PathPoint point;
        point.name = XmlReadString(node, "name");
        point.direction = XmlReadString(node, "direction");
        point.x = XmlReadInt(node, "x");
        point.y = XmlReadInt(node, "y");
        if (point.name == kPathSelf) {
            EngineContentWarning("path graph: the point name \"%s\" is reserved; point refused", kPathSelf);
            continue;
        }
        mPoints.emplace(point.name, point); // the first of a name stays
    }
    for (pugi::xml_node node : element.child("edges").children("edge")) {
        PathEdge edge;
        edge.p1 = XmlReadString(node, "p1");
        edge.p2 = XmlReadString(node, "p2");
        if (edge.p1 == kPathSelf || edge.p2 == kPathSelf) {
            EngineContentWarning("path graph: edge <%s - %s> names the reserved point \"%s\"; edge refused",
                                 edge.p1.c_str(), edge.p2.c_str(), kPathSelf);
            continue;
        }
        mEdges.push_back(edge);
    }
}

void PathLayer::CopyLayer(const PathLayer& source)
{
    Clear();
    mComposite = true;
    mPoints = source.mPoints;
    mEdges = source.mEdges;
}

void PathLayer::MergeLayer(const PathLayer& source)
{
    if (!mComposite)
        return;
    for (const auto& [name, point] : source.mPoints)
        mPoints.emplace(name, point);
    for (const PathEdge& edge : source.mEdges) {
        bool present = false;
        for (const PathEdge& own : mEdges)
            present = present || SameEnds(own, edge);
        if (!present)
            mEdges.push_back(edge);
    }
}

void PathLayer::AddPoint(int32_t x, int32_t y, const std::string& name, const std::string& direction)
{
    if (!mComposite)
        return;
    if (name == kPathSelf) {
        EngineContentWarning("path graph: the point name \"%s\" is reserved; point refused", kPathSelf);
        return;
    }
    PathPoint point;
    point.x = x;
    point.y = y;
    point.name = name;
    point.direction = direction;
    mPoints[name] = point;
}

void PathLayer::DropZeroLengthEdges()
{
    std::erase_if(mEdges, [this](const PathEdge& edge) {
        const auto a = mPoints.find(edge.p1);
        const auto b = mPoints.find(edge.p2);
        if (a == mPoints.end() || b == mPoints.end())
            return false;
        if (a->second.x != b->second.x || a->second.y != b->second.y)
            return false;
        EngineContentWarning("path graph: edge <%s - %s> joins two points at (%d, %d); edge refused", edge.p1.c_str(),
                             edge.p2.c_str(), a->second.x, a->second.y);
        return true;
    });
}

bool PathLayer::HasPoint(const std::string& name) const
{
    return mPoints.count(name) != 0;
}

bool PathLayer::GetPointPosition(const std::string& name, int32_t& x, int32_t& y) const
{
    const auto it = mPoints.find(name);
    if (it == mPoints.end())
        return false;
    x = it->second.x;
    y = it->second.y;
    return true;
}

bool PathLayer::SearchRoute(const std::string& start, const std::string& target)
{
    std::map<std::string, PathPoint> points = mPoints;
    std::vector<PathEdge> edges = mEdges;
    for (auto& [name, point] : points) {
        point.cost = 0.0f;
        point.via = name == start ? kPathSelf : "";
    }
    for (PathEdge& edge : edges) {
        const auto a = points.find(edge.p1);
        const auto b = points.find(edge.p2);
        if (a == points.end() || b == points.end()) {
            mRoute.clear();
            return false;
        }
        edge.length = Distance(a->second.x, a->second.y, b->second.x, b->second.y);
    }

    // Every shortest route visits each point at most once, so it is found within one wave per point. The bound
    // only bites on data that the loaders refuse (zero-length edges), where equal costs could otherwise be passed
    // back and forth for ever.
    std::set<std::string> wave{start};
    size_t waves = 0;
    while (!wave.empty()) {
        if (waves++ == points.size()) {
            EngineContentWarning("path graph: the search from <%s> did not settle after %zu waves; stopped",
                                 start.c_str(), points.size());
            break;
        }
        std::set<std::string> next;
        for (const std::string& name : wave) {
            const auto p = points.find(name);
            if (p == points.end())
                continue;
            for (const PathEdge& edge : edges) {
                const std::string* other = nullptr;
                if (edge.p1 == name)
                    other = &edge.p2;
                else if (edge.p2 == name)
                    other = &edge.p1;
                else
                    continue;
                const auto q = points.find(*other);
                if (q == points.end())
                    continue;
                const float newCost = edge.length + p->second.cost;
                PathPoint& to = q->second;
                // Equal cost replaces: of two equally long routes the one found later wins.
                if ((to.cost >= newCost || to.via.empty()) && to.via != kPathSelf) {
                    to.via = name;
                    to.cost = newCost;
                    next.insert(q->first);
                }
            }
        }
        wave = std::move(next);
    }

    // Walk back from the target; a chain longer than the number of points has looped.
    std::vector<const PathPoint*> chain;
    for (auto it = points.find(target); it != points.end(); it = points.find(it->second.via)) {
        if (it->second.via.empty())
            break;
        if (chain.size() == points.size()) {
            EngineContentWarning("path graph: the walk back from <%s> loops; no route", target.c_str());
            mRoute.clear();
            return false;
        }
        chain.push_back(&it->second);
    }

    mRoute.clear();
    if (chain.size() < 2)
        return false;
    for (size_t i = chain.size() - 1; i > 0; --i) {
        const PathPoint& from = *chain[i];
        const PathPoint& to = *chain[i - 1];
        RouteSegment segment;
        segment.x0 = from.x;
        segment.y0 = from.y;
        segment.x1 = to.x;
        segment.y1 = to.y;
        segment.length = Distance(from.x, from.y, to.x, to.y);
        segment.direction = to.direction;
        mRoute.push_back(segment);
    }
    return true;
}

bool PathLayer::FollowRoute(float distance, Pyxo::Point& position, Pyxo::Point& direction) const
{
    if (mRoute.empty())
        return false;
    float d = distance;
    for (const RouteSegment& segment : mRoute) {
        if (segment.length >= d) {
            // A segment of no length (refused at load) is taken as walked to its end.
            float f = segment.length > 0.0f ? d / segment.length : 1.0f;
            if (!(f >= 0.0f)) // a negative or undefined distance stays at the start
                f = 0.0f;
            // Points may lie anywhere in 32 bits: the differences are taken wide and the results held to 32 bits.
            const int64_t dx = int64_t{segment.x1} - segment.x0;
            const int64_t dy = int64_t{segment.y1} - segment.y0;
            direction = {Clamp32(dx), Clamp32(dy)};
            position = {Clamp32(segment.x0 + static_cast<int64_t>(f * static_cast<float>(dx))),
                        Clamp32(segment.y0 + static_cast<int64_t>(f * static_cast<float>(dy)))};
            return true;
        }
        d -= segment.length;
    }
    const RouteSegment& last = mRoute.back();
    position = {last.x1, last.y1};
    static const struct {
        const char* name;
        Pyxo::Point direction;
    } kDirections[] = {
        {"t", {0, -1}}, {"tr", {1, -1}}, {"r", {1, 0}},  {"br", {1, 1}},
        {"b", {0, 1}},  {"bl", {-1, 1}}, {"l", {-1, 0}}, {"tl", {-1, -1}},
    };
    for (const auto& entry : kDirections) {
        if (last.direction == entry.name)
            direction = entry.direction;
    }
    return false;
}
