#pragma once

#include "engine/TMItem.h"
#include "graphics/Rect.h"

#include <list>
#include <string>

class PathGraph;
struct PersInfo;

/// A scene item that walks: it serves a queue of target items, walking the board's path graph of its own name
/// to the point named like each target at the speed of its character description, faces one of eight ways while
/// walking, and on arrival lets the target and itself interact. It may carry an object and leave an afterimage
/// trail. Load runs on the level-loading thread, everything else on the main thread.
class TMMoveItem : public TMItem {
public:
    /// The walking speed, in pixels per second, of a mover whose name has no character description.
    static constexpr float kDefaultMoveSpeed = 150.0f;

    TMMoveItem() = default;
    ~TMMoveItem() override;

    // TMItem
    /// On: takes the board's graph of the item's name, stands on the start point facing "b", forgets targets,
    /// delay, walk and carried object, then shows. Off: forgets them and the graph.
    void Activate(bool on) override;
    [[nodiscard]] bool IsMoveItem() const override { return true; }
    [[nodiscard]] bool IsMoving() const override { return mMoving; }
    /// Walking, or a delayed event pending: the target queue waits.
    [[nodiscard]] bool IsBusy() const override { return mMoving || IsDelayPending(); }
    /// TMItem's, then "start_point". A name without a character description is logged.
    void Load(pugi::xml_node node) override;
    void Update() override;

    virtual void BindPers();
    /// Queues the target and shows its next checkmark; null is ignored.
    virtual void AddTarget(TMItem* target);
    /// Returns the object carried before, after resetting its click count.
    virtual TMItem* SetCarried(TMItem* object);
    /// Stands on the point, when the graph knows it.
    virtual void PlaceAt(const std::string& point);
    /// Called every frame after the walk and the targets; shows what the mover carries.
    virtual void UpdateVisual() {}
    /// The description's speed; kDefaultMoveSpeed without a description, or for one without a positive speed.
    [[nodiscard]] virtual float GetMoveSpeed() const;

    /// Starts a walk from the current point to the point; false when absent from the level, already there, or
    /// the graph has no route.
    bool WalkTo(const std::string& point, float speed);
    void SetTrail(bool on, float fadeRate, float interval);
    /// Every queued target takes back its latest checkmark; the queue is emptied.
    void ClearTargets();

    /// The orientation that walking in the direction shows (y downwards); (0, 0) keeps current.
    [[nodiscard]] static std::string OrientationForDirection(Pyxo::Point direction, const std::string& current);

    [[nodiscard]] static PersInfo* FindPers(const std::string& name);
    /// Empties gPersByName and reads every "perses/pers" under the node; the first record of a name stays.
    static void LoadPerses(pugi::xml_node node);
    static void ClearPerses();

    [[nodiscard]] const std::string& GetCurrentPoint() const { return mCurrentPoint; }
    [[nodiscard]] const std::string& GetStartPoint() const { return mStartPoint; }
    [[nodiscard]] const std::string& GetWalkOrientation() const { return mWalkOrientation; }
    [[nodiscard]] const std::list<TMItem*>& GetTargets() const { return mTargets; }
    [[nodiscard]] TMItem* GetCarried() const { return mCarried; }
    [[nodiscard]] PersInfo* GetPers() const { return mPers; }
    [[nodiscard]] PathGraph* GetGraph() const { return mGraph; }
    [[nodiscard]] bool IsTrailOn() const { return mTrailOn; }
    [[nodiscard]] float GetTrailClock() const { return mTrailClock; }

protected:
    /// The board's path graph of the item's name, or null.
    [[nodiscard]] virtual PathGraph* FindPathGraph() const;

private:
    /// Puts the three depth points of every part at the feet: 20 pixels left, at, and 20 pixels right.
    void PlaceDepthPoints();
    void ServeFrontTarget();

    std::string mCurrentPoint;
    std::string mStartPoint;
    std::string mWalkOrientation;
    bool mMoving = false;
    PersInfo* mPers = nullptr;   // borrowed from gPersByName
    PathGraph* mGraph = nullptr; // borrowed from the board; null while switched off
    bool mTrailOn = false;
    float mTrailInterval = 0.0f;
    float mTrailFadeRate = 0.0f;
    float mTrailClock = 0.0f;
    std::list<TMItem*> mTargets; // borrowed; served front first
    TMItem* mCarried = nullptr;  // borrowed
};
