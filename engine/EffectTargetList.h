#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

/// An x, y pair that effect functions move (a drawing offset, a scale point).
struct EffectPoint {
    int32_t x = 0;
    int32_t y = 0;
};

/// What an effect function may change on one drawable of its host: pointers into the drawable's own fields.
struct EffectTarget {
    EffectPoint* offset = nullptr;
    float* scale = nullptr;
    EffectPoint* scalePoint = nullptr;
    float* alpha = nullptr;
    bool* visible = nullptr;
    bool* unused = nullptr;
    uint32_t* color = nullptr;       // 0xRRGGBBAA
    uint32_t* secondColor = nullptr; // 0xRRGGBBAA
};

/// The drawables of an effect's host, handed to the effect as parameter 256: a scene item lists its parts, a part
/// lists itself. Borrowed pointers; the host keeps the list as long as its effect.
struct EffectTargetList {
    static constexpr int32_t kCapacity = 16;
    // Deliberate: one slot stays empty; registration stops at 15 entries as it always has.
    static constexpr int32_t kUsable = kCapacity - 1;

    int32_t count = 0;
    bool* present = nullptr; // the host's present flag
    std::array<EffectTarget, kCapacity> entries{};

    /// Appends the target; false, with nothing added, when the list already holds kUsable entries.
    bool Register(const EffectTarget& target)
    {
        if (count >= kUsable)
            return false;
        entries[static_cast<size_t>(count++)] = target;
        return true;
    }
};
