#pragma once

#include "engine/PathLayer.h"

#include <pugixml.hpp>

#include <string>

/// The walking graph of one mover, named like it: the scene's layer, the level's layer, the layer of the pick
/// items' pick points for this mover, and their union, on which routes are searched and walked. Owned by the
/// board (one per graph name). Filled by the level loader while nothing walks; walked on the main thread.
class PathGraph {
public:
    explicit PathGraph(std::string name);

    /// The scene's "graphs/graph" element of this name (the last one wins) into the base layer.
    void LoadBaseLayer(pugi::xml_node sceneRoot);
    /// The pick point of every pick item for this graph's name, as a point named like the item.
    void BuildPickLayer();
    /// The level's element into the level layer; then the working layer becomes base + level + pick, without
    /// edges that join two points at one position. An edge naming a point that is not there is logged with its
    /// file: the route search refuses every route while it stays.
    void LoadLevelLayer(pugi::xml_node level);
    /// Each clears the working layer, its own layer and the current point.
    void ReleaseBase();
    void ReleaseLevel();
    void ReleasePick();

    /// Makes the point the start of the next route; false when the working layer lacks it.
    bool SetStart(const std::string& name);
    /// Searches a route from the current point to the target and starts walking it at speed (pixels per second).
    bool StartRoute(const std::string& target, float speed);
    [[nodiscard]] bool GetPointPosition(const std::string& name, int32_t& x, int32_t& y) const;
    /// Walks on by dt seconds: the new position and direction; false once the walk is over (see FollowRoute).
    bool Advance(float dt, Pyxo::Point& position, Pyxo::Point& direction);

    [[nodiscard]] const std::string& GetName() const { return mName; }
    [[nodiscard]] const std::string& GetCurrentPoint() const { return mCurrentPoint; }
    [[nodiscard]] const PathLayer& Base() const { return mBase; }
    [[nodiscard]] const PathLayer& Level() const { return mLevel; }
    [[nodiscard]] const PathLayer& Pick() const { return mPick; }
    [[nodiscard]] const PathLayer& Working() const { return mWorking; }

private:
    /// Loads the layer from the last "graphs/graph" element under the node that carries this graph's name; the
    /// file it came from, for messages.
    std::string LoadNamedLayer(pugi::xml_node node, PathLayer& layer) const;

    std::string mName;
    std::string mBaseFile; // the files the base and level layers came from
    std::string mLevelFile;
    std::string mCurrentPoint;
    PathLayer mBase;
    PathLayer mLevel;
    PathLayer mPick;
    PathLayer mWorking;
    float mSpeed = 0.0f;     // pixels per second of the running walk
    float mTravelled = 0.0f; // seconds since the running walk started
};
