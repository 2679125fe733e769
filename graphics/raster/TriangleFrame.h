#pragma once

#include "graphics/raster/FixedPoint.h"
#include "graphics/raster/ScanConverter.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <utility>

namespace Raster {

/// The scan-conversion frame that every converter runs: the vertices are sorted by height, the triangle is cut
/// at the middle vertex into an upper and a lower part, and each part is walked row by row between the long
/// edge (top to bottom) and a short edge, each row filled left to right. Row r is covered when
/// top.y ≤ r < bottom.y and column c when left ≤ c < right (pixel centres on whole coordinates), so triangles
/// that share an edge draw no pixel twice. Besides x, the frame carries Stage::kCarried values (texture
/// coordinates, colour channels) along the long edge and across each row.
///
/// Stage supplies:
///   using Pixel;                                           the frame-buffer word
///   static constexpr int kCarried;
///   void Load(const TriVertexFx&, int32_t* values) const;  the carried values of a vertex
///   void ShadeSpan(Pixel*, int32_t count, const int32_t* values, const int32_t* steps) const;
///                                                          count pixels rightward, the values stepping by steps
template <class Stage>
void ScanTriangle(const TriVertexFx* vertices, const TriFrameBuffer& target, const Stage& stage)
{
    constexpr int kCarried = Stage::kCarried;
    using Pixel = typename Stage::Pixel;
    using Values = std::array<int32_t, static_cast<std::size_t>(kCarried)>;

    struct Corner {
        int32_t x;
        int32_t y;
        Values value;
    };
    Corner corners[3];
    for (int i = 0; i < 3; ++i) {
        corners[i].x = vertices[i].x;
        corners[i].y = vertices[i].y;
        stage.Load(vertices[i], corners[i].value.data());
    }

    // Three compare-exchanges that swap only on a strictly greater y: equal heights keep their input order.
    const Corner* top = &corners[0];
    const Corner* mid = &corners[1];
    const Corner* bot = &corners[2];
    if (top->y > mid->y)
        std::swap(top, mid);
    if (mid->y > bot->y)
        std::swap(mid, bot);
    if (top->y > mid->y)
        std::swap(top, mid);

    const int32_t yTop = Ceil16(top->y);
    const int32_t yMid = Ceil16(mid->y);
    const int32_t yBot = Ceil16(bot->y);
    if (yTop == yBot)
        return;

    const int32_t dyLong = FxSub(bot->y, top->y);
    const int32_t dxLong = FxEdgeSlope(FxSub(bot->x, top->x), dyLong);
    Values dLong;
    for (int i = 0; i < kCarried; ++i)
        dLong[i] = FxRatio(FxSub(bot->value[i], top->value[i]), dyLong);

    const int32_t dyMid = FxSub(mid->y, top->y);
    const int32_t xAtMid = FxAdd(top->x, FxMul(dxLong, dyMid));
    if (mid->x == xAtMid)
        return; // no area

    // Gradients across a row, taken at the middle vertex's height and constant for the whole triangle.
    const int32_t width = FxSub(mid->x, xAtMid);
    Values dRow;
    for (int i = 0; i < kCarried; ++i) {
        const int64_t across = static_cast<int64_t>(mid->value[i]) - top->value[i] - FxMul64(dLong[i], dyMid);
        dRow[i] = FxRatio(across, width);
    }

    // The long edge, pre-stepped to the first row's centre. Its accumulators run on through both parts.
    const int32_t preY = FxSub(WrapInt32(static_cast<int64_t>(yTop) * kFxOne), top->y);
    int32_t xLong = FxAdd(top->x, FxMul(dxLong, preY));
    Values valueLong;
    for (int i = 0; i < kCarried; ++i)
        valueLong[i] = FxAdd(top->value[i], FxMul(dLong[i], preY));

    const bool longOnLeft = xAtMid < mid->x;
    auto* const origin = static_cast<Pixel*>(target.bits);
    // A pitch that is not a multiple of the pixel size counts as the next smaller multiple.
    const std::ptrdiff_t rowStride = target.pitch >> (sizeof(Pixel) == 4 ? 2 : 1);

    // One row: columns ceil(left) .. ceil(right) − 1, cut to the writable columns. The carried values start
    // from the long edge, wherever it lies; a span cut on the left steps them as if its pixels had been drawn.
    const auto fillRow = [&](int32_t row, int32_t xShort) {
        const int32_t xLeft = longOnLeft ? xLong : xShort;
        const int32_t xRight = longOnLeft ? xShort : xLong;
        const int32_t c0 = Ceil16(xLeft);
        const int32_t c1 = Ceil16(xRight);
        const int32_t first = std::max(c0, target.left);
        const int32_t end = std::min(c1, target.right);
        if (end <= first)
            return;
        const int32_t preX = FxSub(WrapInt32(static_cast<int64_t>(c0) * kFxOne), xLong);
        Values value;
        for (int i = 0; i < kCarried; ++i)
            value[i] = FxAdd(FxAdd(valueLong[i], FxMul(dRow[i], preX)), FxTimes(dRow[i], first - c0));
        Pixel* const pixels = origin + static_cast<std::ptrdiff_t>(row) * rowStride + first;
        // The next row is a new stream of addresses: ask for its ends while this one is drawn.
        __builtin_prefetch(pixels + rowStride, 1);
        __builtin_prefetch(pixels + rowStride + (end - first - 1), 1);
        stage.ShadeSpan(pixels, end - first, value.data(), dRow.data());
    };

    // Rows above the writable rows step the edges all at once (wrapping sums are the same either way), so
    // the rows inside come out exactly as without the cut.
    const auto walk = [&](int32_t firstRow, int32_t endRow, int32_t xShort, int32_t dxShort) {
        const auto step = [&](int32_t rows) {
            xLong = FxAdd(xLong, FxTimes(dxLong, rows));
            for (int i = 0; i < kCarried; ++i)
                valueLong[i] = FxAdd(valueLong[i], FxTimes(dLong[i], rows));
            xShort = FxAdd(xShort, FxTimes(dxShort, rows));
        };
        int32_t row = firstRow;
        if (row < target.top) {
            const int32_t skipped = std::min(target.top, endRow) - row;
            step(skipped);
            row += skipped;
        }
        for (const int32_t end = std::min(endRow, target.bottom); row < end; ++row) {
            fillRow(row, xShort);
            step(1);
        }
    };

    if (yMid > yTop) {
        const int32_t dxShort = FxEdgeSlope(FxSub(mid->x, top->x), dyMid);
        walk(yTop, yMid, FxAdd(top->x, FxMul(dxShort, preY)), dxShort);
    }
    if (yBot > yMid) {
        const int32_t dxShort = FxEdgeSlope(FxSub(bot->x, mid->x), FxSub(bot->y, mid->y));
        const int32_t preMid = FxSub(WrapInt32(static_cast<int64_t>(yMid) * kFxOne), mid->y);
        walk(yMid, yBot, FxAdd(mid->x, FxMul(dxShort, preMid)), dxShort);
    }
}

} // namespace Raster
