#include "engine/TMPickItem.h"

#include "engine/EngineLog.h"
#include "engine/ItemFactory.h"
#include "engine/TMItemPart.h"
#include "engine/XmlConfig.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>

std::map<std::string, TMPickItem*> gPickItems;

namespace {

// Whitespace-separated signed integers in (x, y) pairs, up to the first token that is not a number; an unpaired
// last number is dropped.
std::vector<Pyxo::Point> ParsePolygon(const std::string& text)
{
    std::vector<Pyxo::Point> points;
    std::vector<int> numbers;
    const char* at = text.c_str();
    for (;;) {
        char* end = nullptr;
        errno = 0;
        const long value = std::strtol(at, &end, 10);
        if (end == at)
            break;
        numbers.push_back(static_cast<int>(std::clamp<long>(value, INT_MIN, INT_MAX)));
        at = end;
    }
    for (size_t i = 0; i + 1 < numbers.size(); i += 2)
        points.push_back({numbers[i], numbers[i + 1]});
    return points;
}

} // namespace

void TMPickItem::Activate(bool on)
{
    TMItem::Activate(on);
    if (!on)
        return;
    for (size_t i = 0; i < mCheckmarks.size(); ++i) {
        mCheckmarks[i] = FindPart("checkmark", static_cast<int>(i));
        mCheckmarkInUse[i] = false;
        if (mCheckmarks[i]) {
            mCheckmarks[i]->SetVisible(false);
            mCheckmarks[i]->PlayAnimation("idle", false);
        }
    }
}

void TMPickItem::SetMouseOver(Pyxo::Point point, bool over)
{
    TMItem::SetMouseOver(point, over);
    TMItem* occupant = FindPlaceOccupant(this);
    if (occupant && occupant != this)
        occupant->SetMouseOver(point, over);
    for (TMItem* pair : mPairItems) {
        if (pair != this && pair != occupant)
            pair->SetMouseOver(point, over);
    }
}

void TMPickItem::LoadLevelState(pugi::xml_node node)
{
    TMItem::LoadLevelState(node);
    for (const std::string& name : mPairNames) {
        if (TMItem* item = TMItem::FindByName(name))
            mPairItems.push_back(item);
    }
    for (const std::string& name : mBlockerNames) {
        if (TMPickItem* item = FindPickItem(name))
            mBlockerItems.push_back(item);
    }
}

void TMPickItem::ReleaseLevelState()
{
    TMItem::ReleaseLevelState();
    mPairNames.clear();
    mPairItems.clear();
    mBlockerNames.clear();
    mBlockerItems.clear();
}

void TMPickItem::Load(pugi::xml_node node)
{
    TMItem::Load(node);
    gPickItems.emplace(mName, this);

    for (pugi::xml_node child = node.child("select_block"); child; child = child.next_sibling("select_block")) {
        std::string pair = XmlReadString(child, "pair_item");
        if (!pair.empty())
            mPairNames.push_back(std::move(pair));
    }
    for (pugi::xml_node child = node.child("picks"); child; child = child.next_sibling("picks")) {
        std::string blocker = XmlReadString(child, "pick", 260);
        if (!blocker.empty())
            mBlockerNames.push_back(std::move(blocker));
    }
    for (pugi::xml_node child = node.child("point"); child; child = child.next_sibling("point")) {
        PickPoint pick;
        pick.owner = XmlReadString(child, "owner");
        pick.direction = XmlReadString(child, "direction");
        XmlGetAttrInt(child, "offs_x", pick.x);
        XmlGetAttrInt(child, "offs_y", pick.y);
        mPicks.push_back(std::move(pick));
    }
    mRegion = PolygonRegion(ParsePolygon(XmlReadString(node, "rgn", 2048)));
}

void TMPickItem::Unload()
{
    // Only this item's own entry: an earlier item of the same name keeps its place.
    if (const auto found = gPickItems.find(mName); found != gPickItems.end() && found->second == this)
        gPickItems.erase(found);
    TMItem::Unload();
    mCheckmarks = {};
    mCheckmarkInUse = {};
}

bool TMPickItem::HitTest(Pyxo::Point point) const
{
    std::vector<const TMPickItem*> asked;
    return HitTest(point, asked);
}

bool TMPickItem::HitTest(Pyxo::Point point, std::vector<const TMPickItem*>& asked) const
{
    if (!mRegion.Contains(point))
        return false;
    // Blockers that name each other would ask each other without end. An item met again is already known to
    // hold the point, and counts as taking the click, so the item first asked keeps it.
    if (std::find(asked.begin(), asked.end(), this) != asked.end())
        return true;
    asked.push_back(this);
    for (const TMPickItem* blocker : mBlockerItems) {
        if (blocker->mPresent && blocker->mVisible && blocker->HitTest(point, asked))
            return false;
    }
    return true;
}

void TMPickItem::ShowNextCheckmark()
{
    for (size_t i = 0; i < mCheckmarks.size(); ++i) {
        if (mCheckmarks[i] && !mCheckmarks[i]->IsVisible()) {
            mCheckmarks[i]->Show(true);
            mCheckmarkInUse[i] = true;
            return;
        }
    }
    EngineLog("Warning: object <%s> is over clicked... oh... slowly, please!", mName.c_str());
}

void TMPickItem::ReleaseCheckmark()
{
    for (size_t i = mCheckmarks.size(); i-- > 0;) {
        if (mCheckmarks[i] && mCheckmarkInUse[i]) {
            mCheckmarks[i]->Show(false);
            mCheckmarkInUse[i] = false;
            return;
        }
    }
}

bool TMPickItem::GetPickPoint(const std::string& owner, Pyxo::Point& position, std::string& direction) const
{
    for (const PickPoint& pick : mPicks) {
        if (pick.owner == owner) {
            position = {pick.x, pick.y};
            direction = pick.direction;
            return true;
        }
    }
    return false;
}

TMPickItem* TMPickItem::FindPickItem(const std::string& name)
{
    const auto found = gPickItems.find(name);
    return found != gPickItems.end() ? found->second : nullptr;
}
