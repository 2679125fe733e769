#include "engine/TMMoveItem.h"

#include "engine/EngineLog.h"
#include "engine/GameClock.h"
#include "engine/PathGraph.h"
#include "engine/PersInfo.h"
#include "engine/TMBoard_Game.h"
#include "engine/TMItemPart.h"
#include "engine/TMPickItem.h"
#include "engine/XmlConfig.h"

#include <array>
#include <cmath>
#include <cstdlib>
#include <numbers>

namespace {

/// Compass sectors, clockwise from up: every row whose threshold lies below the angle names it; the last wins.
/// The straight ways cover 22.5 degrees, the diagonals 67.5.
struct Sector {
    float threshold; // radians
    const char* name;
};

constexpr float Radians(double degrees)
{
    return static_cast<float>(degrees * std::numbers::pi / 180.0);
}

constexpr std::array<Sector, 9> kSectors{{
    {Radians(0.0), "t"},
    {Radians(11.25), "tr"},
    {Radians(78.75), "r"},
    {Radians(101.25), "br"},
    {Radians(168.75), "b"},
    {Radians(191.25), "bl"},
    {Radians(258.75), "l"},
    {Radians(281.25), "tl"},
    {Radians(348.75), "t"},
}};

void ResetClickCount(TMItem* item)
{
    if (auto* pick = dynamic_cast<TMPickItem*>(item))
        pick->ResetClickCount();
}

void FlagOrderDirty()
{
    if (gCurrentBoard)
        gCurrentBoard->SetOrderDirty();
}

} // namespace

TMMoveItem::~TMMoveItem() = default;

std::string TMMoveItem::OrientationForDirection(Pyxo::Point direction, const std::string& current)
{
    const int dx = direction.mX;
    const int up = -direction.mY;
    if (dx == 0)
        return up == 0 ? current : up > 0 ? "t" : "b";
    if (up == 0)
        return dx > 0 ? "r" : "l";

    const double fx = dx;
    const double fup = up;
    const double a = std::acos(std::abs(fx) / std::sqrt(fx * fx + fup * fup));
    const double pi = std::numbers::pi;
    double theta = 0.0;
    if (dx > 0)
        theta = up > 0 ? pi / 2 - a : pi / 2 + a;
    else
        theta = up < 0 ? 3 * pi / 2 - a : 3 * pi / 2 + a;

    std::string name = current;
    for (const Sector& sector : kSectors) {
        if (static_cast<double>(sector.threshold) < theta)
            name = sector.name;
    }
    return name;
}

PersInfo* TMMoveItem::FindPers(const std::string& name)
{
    const auto found = gPersByName.find(name);
    return found != gPersByName.end() ? &found->second : nullptr;
}

void TMMoveItem::LoadPerses(pugi::xml_node node)
{
    gPersByName.clear();
    for (const pugi::xpath_node& element : XmlSelectNodes(node, "perses/pers")) {
        PersInfo pers;
        pers.Load(element.node());
        if (pers.moveSpeed <= 0.0f)
            EngineContentWarning("character <%s> has no positive move speed; it walks at %g pixels per second",
                                 pers.name.c_str(), static_cast<double>(kDefaultMoveSpeed));
        gPersByName.emplace(pers.name, std::move(pers));
    }
}

void TMMoveItem::ClearPerses()
{
    gPersByName.clear();
}

PathGraph* TMMoveItem::FindPathGraph() const
{
    return gCurrentBoard ? gCurrentBoard->GetPathGraph(mName) : nullptr;
}

void TMMoveItem::Activate(bool on)
{
    if (!on) {
        ClearTargets();
        mDelay = 0.0f;
        mMoving = false;
        mCarried = nullptr;
        mGraph = nullptr;
        TMItem::Activate(false);
        return;
    }
    mGraph = FindPathGraph();
    mCurrentPoint = mStartPoint;
    PlaceAt(mCurrentPoint);
    mDelay = 0.0f;
    mMoving = false;
    mCarried = nullptr;
    ClearTargets();
    SetOrientation("b", false);
    TMItem::Activate(true);
}

void TMMoveItem::Load(pugi::xml_node node)
{
    TMItem::Load(node);
    mStartPoint = XmlReadString(node, "start_point");
    mCurrentPoint = mStartPoint;
    if (!FindPers(mName))
        EngineContentWarning("mover <%s> has no character description; it walks at %g pixels per second", mName.c_str(),
                             static_cast<double>(kDefaultMoveSpeed));
}

void TMMoveItem::BindPers()
{
    mPers = FindPers(mName);
}

float TMMoveItem::GetMoveSpeed() const
{
    // Without a usable description a walk would never start or never end; the mover keeps a pace of its own.
    if (!mPers || !(mPers->moveSpeed > 0.0f))
        return kDefaultMoveSpeed;
    return mPers->moveSpeed;
}

void TMMoveItem::AddTarget(TMItem* target)
{
    if (!target)
        return;
    mTargets.push_back(target);
    if (auto* pick = dynamic_cast<TMPickItem*>(target))
        pick->ShowNextCheckmark();
}

TMItem* TMMoveItem::SetCarried(TMItem* object)
{
    TMItem* previous = mCarried;
    mCarried = object;
    if (previous)
        ResetClickCount(previous);
    return previous;
}

void TMMoveItem::PlaceAt(const std::string& point)
{
    int32_t x = 0;
    int32_t y = 0;
    if (!mGraph || !mGraph->GetPointPosition(point, x, y))
        return;
    mCurrentPoint = point;
    mPosX = x;
    mPosY = y;
    PlaceDepthPoints();
}

void TMMoveItem::PlaceDepthPoints()
{
    for (const auto& part : mParts) {
        part->mOrderPoints[0] = {mPosX - 20, mPosY};
        part->mOrderPoints[1] = {mPosX, mPosY};
        part->mOrderPoints[2] = {mPosX + 20, mPosY};
    }
}

bool TMMoveItem::WalkTo(const std::string& point, float speed)
{
    if (!mPresent || !mGraph)
        return false;
    if (mCurrentPoint == point)
        return false;
    if (!mGraph->SetStart(mCurrentPoint))
        return false;
    if (!mGraph->StartRoute(point, speed))
        return false;
    mCurrentPoint = point;
    mMoving = true;
    return true;
}

void TMMoveItem::SetTrail(bool on, float fadeRate, float interval)
{
    if (on) {
        if (!mTrailOn)
            mTrailClock = 0.0f;
        mTrailInterval = interval;
        mTrailFadeRate = fadeRate;
    }
    mTrailOn = on;
}

void TMMoveItem::ClearTargets()
{
    for (TMItem* target : mTargets) {
        if (auto* pick = dynamic_cast<TMPickItem*>(target))
            pick->ReleaseCheckmark();
    }
    mTargets.clear();
}

void TMMoveItem::ServeFrontTarget()
{
    TMItem* target = mTargets.front();
    if (mCurrentPoint != target->GetName()) {
        if (!WalkTo(target->GetName(), GetMoveSpeed()))
            ClearTargets();
        return;
    }

    OnDelayedEvent(3);
    int32_t extra = 0;
    const bool agreed = target->Interact(this, true, &extra) && Interact(target, true, &extra);
    if (!agreed) {
        for (TMItem* queued : mTargets)
            ResetClickCount(queued);
        ClearTargets();
        return;
    }
    target->Interact(this, false, &extra);
    Interact(target, false, &extra);
    ResetClickCount(target);
    if (auto* pick = dynamic_cast<TMPickItem*>(target))
        pick->ReleaseCheckmark();
    // The interaction may itself have changed the queue; only the served target leaves it.
    if (!mTargets.empty() && mTargets.front() == target)
        mTargets.pop_front();
}

void TMMoveItem::Update()
{
    const float dt = gFrameDelta;
    TMItem::Update();

    if (mMoving && mGraph) {
        Pyxo::Point position{mPosX, mPosY};
        Pyxo::Point direction{0, 0};
        mMoving = mGraph->Advance(dt, position, direction);
        mWalkOrientation = OrientationForDirection(direction, mOrientation);
        SetOrientation(mWalkOrientation, true);
        mPosX = position.mX;
        mPosY = position.mY;
        PlaceDepthPoints();
        FlagOrderDirty();
    }

    if (!mTargets.empty() && !IsBusy()) {
        ServeFrontTarget();
        FlagOrderDirty();
    }

    UpdateVisual();

    for (const auto& part : mParts)
        part->AgeAfterimages(mTrailFadeRate * dt);
    if (mTrailOn) {
        mTrailClock += dt;
        if (mTrailInterval <= mTrailClock) {
            for (const auto& part : mParts)
                part->RecordAfterimage();
            mTrailClock = 0.0f;
        }
    }
}
