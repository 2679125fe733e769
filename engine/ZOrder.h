#pragma once

#include <cstdint>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

class TMItemPart;

/// The back-to-front order of the level's item parts. The scene is a fixed 800 x 600 picture; a part standing on
/// the floor carries a base line of three order points, and a part lying lower on the screen at the same x stands
/// in front. Once per level the builder rasterises the static base lines into an owner grid, derives the
/// stands-in-front-of relation from it and sorts the static parts; on request it merges the moving parts (placed by
/// their feet), the parts linked to them and the "over" parts into the draw list.
/// Borrows every part it is given; Clear drops them before the level's items go. Filled on the level-loading thread
/// while the board does not draw; read and extended on the main thread.
class ZOrder {
public:
    static constexpr int32_t kWidth = 800;
    static constexpr int32_t kHeight = 600;

    /// One pixel of the scene: the static part whose base line lies nearest above it, and that distance + 1
    /// (0 = no base line above).
    struct Cell {
        int32_t depth = 0;
        TMItemPart* owner = nullptr; // borrowed
    };

    ZOrder();
    ~ZOrder();
    ZOrder(const ZOrder&) = delete;
    ZOrder& operator=(const ZOrder&) = delete;

    /// A mover's part is placed at every draw-list build. A static part takes part only when its three order
    /// points lie on the screen: with a z-parent it is drawn in its parent's place, otherwise its base line is
    /// rasterised into the owner grid.
    void AddPart(TMItemPart* part, bool isMover);
    /// Drawn after everything else, in the order added.
    void AddOverPart(TMItemPart* part);
    /// The linked part is drawn right after its base part (a mover) in the next draw-list build only; a pair
    /// already present is not added again.
    void AddPartLink(TMItemPart* base, TMItemPart* linked);
    /// Orders the static parts; after the level's parts are added.
    void Build();
    /// The draw list, rebuilt first when forced or empty.
    const std::vector<TMItemPart*>& GetDrawList(bool force);
    /// Drops every part, the order and the grid (level teardown).
    void Clear();
    /// Writes the draw list to "debug_z.log" in the working folder; false when it cannot be written.
    bool DumpToFile() const;

    /// The static order of the last Build.
    [[nodiscard]] const std::vector<TMItemPart*>& GetStaticOrder() const { return mOrdered; }
    /// The grid cell at (x, y); an empty cell outside the screen.
    [[nodiscard]] Cell GetCell(int32_t x, int32_t y) const;

private:
    using PartList = std::vector<TMItemPart*>; // borrowed parts

    void Rasterise(TMItemPart* part);
    void ResolveChains();
    /// Appends the part, then the members of its z-parent chain.
    void Place(TMItemPart* part);
    void BuildDrawList();
    /// The static part whose base line lies nearest above the mover's feet, or null.
    [[nodiscard]] TMItemPart* FindMoverOwner(const TMItemPart* mover) const;
    [[nodiscard]] const Cell* CellAt(int32_t x, int32_t y) const;

    PartList mRegistered;                                        // static parts on the grid, in registration order
    std::vector<std::pair<TMItemPart*, TMItemPart*>> mZChildren; // (child, parent) in registration order
    PartList mPendingChildren;
    std::unordered_map<TMItemPart*, PartList> mZChains;          // parent -> [parent, members...]
    std::unordered_map<const TMItemPart*, TMItemPart*> mChainOf; // every attached member -> its chain's parent
    PartList mOrdered;
    std::unordered_set<const TMItemPart*> mPlaced;
    PartList mMovers;
    PartList mOverParts;
    std::vector<std::pair<TMItemPart*, TMItemPart*>> mPartLinks; // (base, linked)
    PartList mDrawList;
    std::vector<Cell> mGrid; // kWidth x kHeight, cell (x, y) at x * kHeight + y; empty until the first base line
};

/// The board's builder; set by the board's constructor, cleared by its destructor.
extern ZOrder* gZOrder;
