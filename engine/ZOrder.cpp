#include "engine/ZOrder.h"

#include "engine/EngineLog.h"
#include "engine/TMItem.h"
#include "engine/TMItemPart.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <set>

ZOrder* gZOrder = nullptr;

namespace {

using Points = std::array<EffectPoint, 3>;

const char* ItemName(const TMItemPart* part)
{
    return part->GetOwner() ? part->GetOwner()->GetName().c_str() : "";
}

bool OnScreen(EffectPoint point)
{
    return point.x >= 0 && point.x < ZOrder::kWidth && point.y >= 0 && point.y < ZOrder::kHeight;
}

/// The points ordered by x; equal x keep their order.
Points SortedByX(const Points& points)
{
    Points sorted = points;
    for (size_t i = 0; i < 2; ++i) {
        for (size_t j = i + 1; j < 3; ++j) {
            if (sorted[i].x > sorted[j].x)
                std::swap(sorted[i], sorted[j]);
        }
    }
    return sorted;
}

int32_t SegmentY(EffectPoint from, EffectPoint to, int32_t x)
{
    const double t = double(x - int64_t(from.x)) / double(int64_t(to.x) - from.x);
    return static_cast<int32_t>(from.y + double(int64_t(to.y) - from.y) * t);
}

/// Calls visit(x, y) for every column of the two segments of the sorted base line that lies on the screen, left
/// to right; a segment without width adds nothing.
template <typename Visit>
void ForEachColumn(const Points& sorted, Visit visit)
{
    for (size_t s = 0; s < 2; ++s) {
        const EffectPoint from = sorted[s];
        const EffectPoint to = sorted[s + 1];
        if (from.x >= to.x)
            continue;
        // Columns off the screen own no cell; clamping also keeps a wild mover position from looping for long.
        const int32_t first = std::max(from.x, 0);
        const int32_t end = std::min(to.x, ZOrder::kWidth);
        for (int32_t x = first; x < end; ++x) {
            if (!visit(x, SegmentY(from, to, x)))
                return;
        }
    }
}

} // namespace

ZOrder::ZOrder() = default;

ZOrder::~ZOrder() = default;

void ZOrder::AddPart(TMItemPart* part, bool isMover)
{
    if (!part)
        return;
    if (isMover) {
        mMovers.push_back(part);
        return;
    }
    const Points& points = part->mOrderPoints;
    if (!std::all_of(points.begin(), points.end(), OnScreen))
        return;
    if (!part->mParentZ.empty()) {
        TMItemPart* parent = part->GetParentPart();
        // A part naming itself could never join a chain; it keeps its own base line.
        if (parent && parent != part) {
            mZChildren.emplace_back(part, parent);
            return;
        }
    }
    Rasterise(part);
    mRegistered.push_back(part);
}

void ZOrder::AddOverPart(TMItemPart* part)
{
    if (part)
        mOverParts.push_back(part);
}

void ZOrder::AddPartLink(TMItemPart* base, TMItemPart* linked)
{
    const auto link = std::make_pair(base, linked);
    if (std::find(mPartLinks.begin(), mPartLinks.end(), link) == mPartLinks.end())
        mPartLinks.push_back(link);
}

ZOrder::Cell ZOrder::GetCell(int32_t x, int32_t y) const
{
    const Cell* cell = CellAt(x, y);
    return cell ? *cell : Cell{};
}

const ZOrder::Cell* ZOrder::CellAt(int32_t x, int32_t y) const
{
    if (x < 0 || x >= kWidth || y < 0 || y >= kHeight || mGrid.empty())
        return nullptr;
    return &mGrid[size_t(x) * kHeight + size_t(y)];
}

void ZOrder::Rasterise(TMItemPart* part)
{
    // The grid is made with the first base line: a board that is never loaded holds only the empty builder.
    if (mGrid.empty())
        mGrid.resize(size_t(kWidth) * kHeight);
    ForEachColumn(SortedByX(part->mOrderPoints), [&](int32_t x, int32_t y) {
        for (int32_t row = y; row < kHeight; ++row) {
            Cell& cell = mGrid[size_t(x) * kHeight + size_t(row)];
            const int32_t depth = row - y + 1;
            // A nearer base line above keeps the rest of the column.
            if (cell.depth != 0 && cell.depth <= depth)
                break;
            cell.depth = depth;
            cell.owner = part;
        }
        return true;
    });
}

void ZOrder::ResolveChains()
{
    mZChains.clear();
    mChainOf.clear();
    mPendingChildren.clear();
    std::unordered_map<const TMItemPart*, TMItemPart*> parentOf;
    for (const auto& [child, parent] : mZChildren) {
        mPendingChildren.push_back(child);
        parentOf.emplace(child, parent);
    }

    // Children of parts that stand on their own base line start or join that parent's chain.
    for (auto it = mPendingChildren.begin(); it != mPendingChildren.end();) {
        TMItemPart* child = *it;
        TMItemPart* parent = parentOf.at(child);
        if (parentOf.count(parent) != 0) {
            ++it;
            continue;
        }
        auto chain = mZChains.find(parent);
        if (chain == mZChains.end()) {
            mZChains.emplace(parent, PartList{parent, child});
        } else {
            chain->second.push_back(child);
            EngineContentWarning("Note: Crossparent part: part: <%s:%s>, parent: <%s:%s>", ItemName(child),
                                 child->GetName().c_str(), ItemName(parent), parent->GetName().c_str());
            const TMItemPart* primary = chain->second.front();
            EngineContentWarning(" ---primary part: <%s:%s>", ItemName(primary), primary->GetName().c_str());
        }
        mChainOf.emplace(child, parent);
        it = mPendingChildren.erase(it);
    }

    // Children of children join the chain their parent is drawn in, level by level.
    for (bool attached = true; attached;) {
        attached = false;
        for (auto it = mPendingChildren.begin(); it != mPendingChildren.end();) {
            TMItemPart* child = *it;
            TMItemPart* parent = parentOf.at(child);
            const auto member = mChainOf.find(parent);
            TMItemPart* head = mZChains.count(parent) != 0 ? parent
                               : member != mChainOf.end()  ? member->second
                                                           : nullptr;
            if (!head) {
                ++it;
                continue;
            }
            mZChains.at(head).push_back(child);
            mChainOf.emplace(child, head);
            it = mPendingChildren.erase(it);
            attached = true;
        }
    }

    if (mPendingChildren.empty())
        return;
    EngineContentWarning("Error! Isolated parts (no zorder, no zparent):");
    EngineContentWarning("--------------------------------------------");
    for (const TMItemPart* child : mPendingChildren)
        EngineContentWarning("   --- part: <%s:%s>", ItemName(child), child->GetName().c_str());
    EngineContentWarning("-end----------------------------------------");
}

void ZOrder::Place(TMItemPart* part)
{
    mOrdered.push_back(part);
    mPlaced.insert(part);
    const auto chain = mZChains.find(part);
    if (chain == mZChains.end())
        return;
    for (size_t i = 1; i < chain->second.size(); ++i) {
        mOrdered.push_back(chain->second[i]);
        mPlaced.insert(chain->second[i]);
    }
}

void ZOrder::Build()
{
    mOrdered.clear();
    mPlaced.clear();
    mDrawList.clear();
    ResolveChains();

    // Back part -> front parts and front part -> back parts, each in the order the pairs were found.
    std::vector<std::pair<TMItemPart*, TMItemPart*>> pairs;
    std::set<std::pair<TMItemPart*, TMItemPart*>> seen;
    std::unordered_map<const TMItemPart*, PartList> fronts;
    std::unordered_map<const TMItemPart*, PartList> backs;
    for (TMItemPart* part : mRegistered) {
        const Points sorted = SortedByX(part->mOrderPoints);
        const double length = std::hypot(double(sorted[1].x - sorted[0].x), double(sorted[1].y - sorted[0].y)) +
                              std::hypot(double(sorted[2].x - sorted[1].x), double(sorted[2].y - sorted[1].y));
        if (length == 0.0) {
            EngineContentWarning("Invalid part (no zorder, no zparent): <%s:%s>", ItemName(part),
                                 part->GetName().c_str());
            continue;
        }
        ForEachColumn(sorted, [&](int32_t x, int32_t y) {
            if (mGrid[size_t(x) * kHeight + size_t(y)].owner != part)
                return true;
            for (int32_t row = y + 1; row < kHeight; ++row) {
                TMItemPart* front = mGrid[size_t(x) * kHeight + size_t(row)].owner;
                if (!front || front == part)
                    continue;
                if (seen.emplace(part, front).second) {
                    pairs.emplace_back(part, front);
                    fronts[part].push_back(front);
                    backs[front].push_back(part);
                }
                break;
            }
            return true;
        });
    }

    PartList roots;
    for (TMItemPart* part : mRegistered) {
        if (backs.count(part) == 0)
            roots.push_back(part);
    }
    if (roots.empty() && !mRegistered.empty()) {
        EngineContentWarning("!!!Critical Error: Can't find root object, remake z-order");
        for (const auto& [back, front] : pairs) {
            EngineContentWarning(" <%s> ", back->GetName().c_str());
            EngineContentWarning("   -- <%s>", front->GetName().c_str());
        }
        return;
    }
    for (TMItemPart* root : roots)
        Place(root);

    const PartList none;
    auto frontsOf = [&](const TMItemPart* part) -> const PartList& {
        const auto found = fronts.find(part);
        return found == fronts.end() ? none : found->second;
    };
    // Depth-first from each root: a front part is placed once every part behind it is.
    for (TMItemPart* root : roots) {
        std::vector<std::pair<TMItemPart*, size_t>> stack{{root, 0}};
        while (!stack.empty()) {
            TMItemPart* current = stack.back().first;
            const size_t index = stack.back().second++;
            const PartList& next = frontsOf(current);
            if (index >= next.size()) {
                stack.pop_back();
                continue;
            }
            TMItemPart* front = next[index];
            if (mPlaced.count(front) != 0)
                continue;
            const PartList& behind = backs.at(front);
            if (!std::all_of(behind.begin(), behind.end(), [&](const TMItemPart* p) { return mPlaced.count(p); }))
                continue;
            Place(front);
            stack.emplace_back(front, 0);
        }
    }

    // Parts in a cycle that no root reaches would never be drawn; they go last, as registered.
    bool reported = false;
    for (TMItemPart* part : mRegistered) {
        if (mPlaced.count(part) != 0)
            continue;
        if (!reported) {
            EngineContentWarning("Error! Parts in a z-order cycle, drawn last (remake z-order):");
            reported = true;
        }
        EngineContentWarning("   --- part: <%s:%s>", ItemName(part), part->GetName().c_str());
        Place(part);
    }
}

TMItemPart* ZOrder::FindMoverOwner(const TMItemPart* mover) const
{
    const Points& points = mover->mOrderPoints;
    // Cells off the screen are skipped (a figure at the edge reaches beyond it), and so are cells with no base line
    // above them: they tell nothing of where the figure stands.
    auto owned = [this](int32_t x, int32_t y) {
        const Cell* cell = CellAt(x, y);
        return cell && cell->owner ? cell : nullptr;
    };
    const Cell* candidate = owned(points[1].x, points[1].y);
    ForEachColumn(SortedByX(points), [&](int32_t x, int32_t y) {
        const Cell* cell = owned(x, y);
        if (cell && (!candidate || cell->depth <= candidate->depth))
            candidate = cell;
        return true;
    });
    return candidate ? candidate->owner : nullptr;
}

void ZOrder::BuildDrawList()
{
    mDrawList = mOrdered;

    // Each mover goes right after its owner, so in front of those placed there before it: the lowest go first.
    // Equal heights are taken last-registered first, so that the parts of one figure keep their order.
    PartList movers(mMovers.rbegin(), mMovers.rend());
    std::stable_sort(movers.begin(), movers.end(), [](const TMItemPart* a, const TMItemPart* b) {
        return a->mOrderPoints[0].y > b->mOrderPoints[0].y;
    });

    PartList unowned; // back to front, after everything else
    for (TMItemPart* mover : movers) {
        PartList group{mover};
        for (const auto& [base, linked] : mPartLinks) {
            if (base == mover)
                group.push_back(linked);
        }
        TMItemPart* owner = FindMoverOwner(mover);
        auto where = owner ? std::find(mDrawList.begin(), mDrawList.end(), owner) : mDrawList.end();
        if (where == mDrawList.end()) {
            unowned.insert(unowned.begin(), group.begin(), group.end());
            continue;
        }
        ++where;
        while (where != mDrawList.end() && mChainOf.count(*where) != 0)
            ++where;
        mDrawList.insert(where, group.begin(), group.end());
    }
    mDrawList.insert(mDrawList.end(), unowned.begin(), unowned.end());
    mDrawList.insert(mDrawList.end(), mOverParts.begin(), mOverParts.end());
    mPartLinks.clear();
}

const std::vector<TMItemPart*>& ZOrder::GetDrawList(bool force)
{
    if (force || mDrawList.empty())
        BuildDrawList();
    return mDrawList;
}

void ZOrder::Clear()
{
    mRegistered.clear();
    mZChildren.clear();
    mPendingChildren.clear();
    mZChains.clear();
    mChainOf.clear();
    mOrdered.clear();
    mPlaced.clear();
    mMovers.clear();
    mOverParts.clear();
    mPartLinks.clear();
    mDrawList.clear();
    std::fill(mGrid.begin(), mGrid.end(), Cell{});
}

bool ZOrder::DumpToFile() const
{
    std::FILE* file = std::fopen("debug_z.log", "w");
    if (!file) {
        EngineLog("debug_z.log: cannot be written");
        return false;
    }
    std::fprintf(file, "============================================\n");
    std::fprintf(file, " ZOrder\n");
    for (const TMItemPart* part : mDrawList)
        std::fprintf(file, "Object: <%s>\n", part->GetName().c_str());
    const bool written = std::ferror(file) == 0;
    return std::fclose(file) == 0 && written;
}
