#pragma once

#include "graphics/Rect.h"

#include <pugixml.hpp>

#include <cstdint>
#include <map>
#include <string>
#include <vector>

/// A named point of a walking graph, in scene pixels (y downwards). direction is the way a walker faces when it
/// stops there ("t", "tr", "r", "br", "b", "bl", "l", "tl", or empty for "as it came"). cost and via are working
/// values of the route search: via names the point from which this one was last reached, kPathSelf marks the
/// start, empty means not reached yet.
struct PathPoint {
    int32_t x = 0;
    int32_t y = 0;
    std::string name;
    std::string direction;
    float cost = 0.0f;
    std::string via;
};

/// An undirected edge between two named points; length is filled by the route search.
struct PathEdge {
    std::string p1;
    std::string p2;
    float length = 0.0f;
};

/// One straight stretch of a route; direction is the name stored on its end point.
struct RouteSegment {
    int32_t x0 = 0;
    int32_t y0 = 0;
    int32_t x1 = 0;
    int32_t y1 = 0;
    float length = 0.0f;
    std::string direction;
};

/// The via of the start point during a search. A point may not carry this name: it would continue the walk back
/// past the start.
inline constexpr const char* kPathSelf = "self";

/// One layer of a walking graph: points by name, undirected edges in load order, and the last route searched on
/// it. A composite layer (a merge of other layers, or one built from generated points) accepts merges and added
/// points; a layer loaded from a document does not. Not thread-safe; the level loader fills it while nothing walks.
class PathLayer {
public:
    /// Empties points and edges and drops the composite mark; the route stays.
    void Clear();
    /// Clears, then reads "points/point" and "edges/edge" of the graph element. The first point of a name stays.
    /// Points named kPathSelf and the edges that name one are refused with a log.
    void LoadLayer(pugi::xml_node element);
    /// Clears, marks the layer composite and copies the source's points and edges.
    void CopyLayer(const PathLayer& source);
    /// Composite layers only: adds the source's points whose names are new here, and its edges unless an edge
    /// joins the same two names (either way round).
    void MergeLayer(const PathLayer& source);
    /// Composite layers only: stores the point under name, replacing one of that name. A point named kPathSelf is
    /// refused with a log.
    void AddPoint(int32_t x, int32_t y, const std::string& name, const std::string& direction);
    /// Removes, with a log, every edge whose two points exist and share a position: walking it takes no distance,
    /// and it would let equal-cost relaxations go back and forth.
    void DropZeroLengthEdges();

    [[nodiscard]] bool HasPoint(const std::string& name) const;
    [[nodiscard]] bool GetPointPosition(const std::string& name, int32_t& x, int32_t& y) const;

    /// Shortest route by Euclidean length from start to target into the route. Of two equally long routes the one
    /// relaxed later wins. False, with the route emptied, when an edge names a missing point, the target is not
    /// reached, or start equals target.
    bool SearchRoute(const std::string& start, const std::string& target);
    /// The position reached after walking distance along the route. While inside the route: the position, the
    /// direction of the segment being walked, and true. Past its end: its last point, the direction of the last
    /// point's name (left untouched for an empty or unknown name), and false. An empty route answers false and
    /// touches nothing.
    bool FollowRoute(float distance, Pyxo::Point& position, Pyxo::Point& direction) const;

    [[nodiscard]] bool IsComposite() const { return mComposite; }
    [[nodiscard]] const std::map<std::string, PathPoint>& Points() const { return mPoints; }
    [[nodiscard]] const std::vector<PathEdge>& Edges() const { return mEdges; }
    [[nodiscard]] const std::vector<RouteSegment>& Route() const { return mRoute; }

private:
    std::map<std::string, PathPoint> mPoints; // by name, byte-wise order
    std::vector<PathEdge> mEdges;             // load order
    std::vector<RouteSegment> mRoute;         // walking order
    bool mComposite = false;
};
