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
///   bool CanJoin() const;                                  whether ShadeSpans may take two adjacent spans
///   void ShadeSpans(Pixel*, int32_t countA, const int32_t* valuesA, const int32_t* stepsA, int32_t countB,
///                   const int32_t* valuesB, const int32_t* stepsB) const;
///                                                          two adjacent spans, the second right of the first
template <class Stage>
class TriangleWalker {
public:
    static constexpr int kCarried = Stage::kCarried;
    using Pixel = typename Stage::Pixel;
    using Values = std::array<int32_t, static_cast<std::size_t>(kCarried)>;

    struct Span {
        Pixel* pixels;
        int32_t count;
        Values value; // at the first pixel
    };

    TriangleWalker(const TriVertexFx* vertices, const TriFrameBuffer& target, const Stage& stage)
        : mTarget(target), mOrigin(static_cast<Pixel*>(target.bits)),
          // The pitch is a whole number of pixels (the entry refuses any other).
          mRowStride(target.pitch >> (sizeof(Pixel) == 4 ? 2 : 1))
    {
        for (int i = 0; i < 3; ++i) {
            mCorners[i].x = vertices[i].x;
            mCorners[i].y = vertices[i].y;
            stage.Load(vertices[i], mCorners[i].value.data());
        }

        // Three compare-exchanges that swap only on a strictly greater y: equal heights keep their input order.
        const Corner* top = &mCorners[0];
        mMid = &mCorners[1];
        mBot = &mCorners[2];
        if (top->y > mMid->y)
            std::swap(top, mMid);
        if (mMid->y > mBot->y)
            std::swap(mMid, mBot);
        if (top->y > mMid->y)
            std::swap(top, mMid);

        const int32_t yTop = Ceil16(top->y);
        mYMid = Ceil16(mMid->y);
        const int32_t yBot = Ceil16(mBot->y);
        if (yTop == yBot)
            return;

        const int32_t dyLong = FxSub(mBot->y, top->y);
        mDxLong = FxEdgeSlope(FxSub(mBot->x, top->x), dyLong);
        for (int i = 0; i < kCarried; ++i)
            mDLong[i] = FxRatio(FxSub(mBot->value[i], top->value[i]), dyLong);

        const int32_t dyMid = FxSub(mMid->y, top->y);
        const int32_t xAtMid = FxAdd(top->x, FxMul(mDxLong, dyMid));
        if (mMid->x == xAtMid)
            return; // no area

        // Gradients across a row, taken at the middle vertex's height and constant for the whole triangle.
        const int32_t width = FxSub(mMid->x, xAtMid);
        for (int i = 0; i < kCarried; ++i) {
            const int64_t across = static_cast<int64_t>(mMid->value[i]) - top->value[i] - FxMul64(mDLong[i], dyMid);
            mDRow[i] = FxRatio(across, width);
        }

        // The long edge, pre-stepped to the first row's centre. Its accumulators run on through both parts.
        const int32_t preY = FxSub(WrapInt32(static_cast<int64_t>(yTop) * kFxOne), top->y);
        mXLong = FxAdd(top->x, FxMul(mDxLong, preY));
        for (int i = 0; i < kCarried; ++i)
            mValueLong[i] = FxAdd(top->value[i], FxMul(mDLong[i], preY));
        mLongOnLeft = xAtMid < mMid->x;

        mRow = yTop;
        mUpper = mYMid > yTop;
        if (mUpper) {
            mDxShort = FxEdgeSlope(FxSub(mMid->x, top->x), dyMid);
            mXShort = FxAdd(top->x, FxMul(mDxShort, preY));
        } else {
            EnterLowerPart();
        }
        mFirst = std::max(yTop, target.top);
        mEnd = std::min(yBot, target.bottom);
    }

    /// The rows to draw, cut to the writable rows; none when end ≤ first.
    int32_t FirstRow() const { return mFirst; }
    int32_t EndRow() const { return mEnd; }
    const Values& Steps() const { return mDRow; }

    /// The span of a row, asked for in increasing row order within FirstRow .. EndRow − 1: columns
    /// ceil(left) .. ceil(right) − 1, cut to the writable columns. False when the row has no pixel.
    bool SpanAt(int32_t row, Span& span)
    {
        // Rows skipped step the edges all at once (wrapping sums are the same either way), so the rows
        // drawn come out exactly as if every row had been walked.
        if (mUpper && row >= mYMid) {
            StepLong(mYMid - mRow);
            mRow = mYMid;
            mUpper = false;
            EnterLowerPart();
        }
        if (row > mRow) {
            StepLong(row - mRow);
            mXShort = FxAdd(mXShort, FxTimes(mDxShort, row - mRow));
            mRow = row;
        }
        const int32_t xLeft = mLongOnLeft ? mXLong : mXShort;
        const int32_t xRight = mLongOnLeft ? mXShort : mXLong;
        const int32_t c0 = Ceil16(xLeft);
        const int32_t c1 = Ceil16(xRight);
        const int32_t first = std::max(c0, mTarget.left);
        const int32_t end = std::min(c1, mTarget.right);
        if (end <= first)
            return false;
        // The carried values start from the long edge, wherever it lies; a span cut on the left steps them as
        // if its pixels had been drawn.
        const int32_t preX = FxSub(WrapInt32(static_cast<int64_t>(c0) * kFxOne), mXLong);
        for (int i = 0; i < kCarried; ++i)
            span.value[i] = FxAdd(FxAdd(mValueLong[i], FxMul(mDRow[i], preX)), FxTimes(mDRow[i], first - c0));
        span.pixels = mOrigin + static_cast<std::ptrdiff_t>(row) * mRowStride + first;
        span.count = end - first;
        return true;
    }

    /// Asks for the start and end of the next row's span while this one is drawn: each row is a new stream
    /// of addresses.
    void Prefetch(const Span& span) const
    {
        // Two rows ahead, every line of a short span; a longer stream the processor follows by itself.
        constexpr int32_t kLine = 64 / sizeof(Pixel);
        const Pixel* ahead = span.pixels + 2 * mRowStride;
        const int32_t reach = std::min<int32_t>(span.count, 8 * kLine);
        for (int32_t i = 0; i < reach; i += kLine)
            __builtin_prefetch(ahead + i, 1);
        __builtin_prefetch(ahead + (span.count - 1), 1);
    }

private:
    struct Corner {
        int32_t x;
        int32_t y;
        Values value;
    };

    void StepLong(int32_t rows)
    {
        mXLong = FxAdd(mXLong, FxTimes(mDxLong, rows));
        for (int i = 0; i < kCarried; ++i)
            mValueLong[i] = FxAdd(mValueLong[i], FxTimes(mDLong[i], rows));
    }

    // The short edge from the middle to the bottom vertex, pre-stepped to the middle row's centre.
    void EnterLowerPart()
    {
        if (Ceil16(mBot->y) <= mYMid)
            return;
        mDxShort = FxEdgeSlope(FxSub(mBot->x, mMid->x), FxSub(mBot->y, mMid->y));
        const int32_t preMid = FxSub(WrapInt32(static_cast<int64_t>(mYMid) * kFxOne), mMid->y);
        mXShort = FxAdd(mMid->x, FxMul(mDxShort, preMid));
    }

    TriFrameBuffer mTarget;
    Pixel* mOrigin;
    std::ptrdiff_t mRowStride;
    Corner mCorners[3];
    const Corner* mMid = nullptr;
    const Corner* mBot = nullptr;
    int32_t mYMid = 0;
    int32_t mFirst = 0;
    int32_t mEnd = 0;
    int32_t mRow = 0;
    bool mUpper = false;
    bool mLongOnLeft = false;
    int32_t mXLong = 0;
    int32_t mDxLong = 0;
    int32_t mXShort = 0;
    int32_t mDxShort = 0;
    Values mValueLong{};
    Values mDLong{};
    Values mDRow{};
};

template <class Stage>
void ScanTriangle(const TriVertexFx* vertices, const TriFrameBuffer& target, const Stage& stage)
{
    TriangleWalker<Stage> walker(vertices, target, stage);
    typename TriangleWalker<Stage>::Span span;
    for (int32_t row = walker.FirstRow(); row < walker.EndRow(); ++row) {
        if (walker.SpanAt(row, span)) {
            walker.Prefetch(span);
            stage.ShadeSpan(span.pixels, span.count, span.value.data(), walker.Steps().data());
        }
    }
}

/// Two triangles, as two consecutive calls of ScanTriangle would draw them, but row by row together: in each
/// row the first triangle's span is drawn before the second's, so even pixels that both cover come out as in
/// the one-after-the-other order. Where the second span starts right after the first, the stage may take
/// both at once (the two halves of a quad's row).
template <class Stage>
void ScanTrianglePair(const TriVertexFx* first, const TriVertexFx* second, const TriFrameBuffer& target,
                      const Stage& stage)
{
    TriangleWalker<Stage> a(first, target, stage);
    TriangleWalker<Stage> b(second, target, stage);
    const bool hasA = a.EndRow() > a.FirstRow();
    const bool hasB = b.EndRow() > b.FirstRow();
    const int32_t firstRow = !hasA ? b.FirstRow() : !hasB ? a.FirstRow() : std::min(a.FirstRow(), b.FirstRow());
    const int32_t endRow = !hasA ? b.EndRow() : !hasB ? a.EndRow() : std::max(a.EndRow(), b.EndRow());
    const bool canJoin = stage.CanJoin();
    typename TriangleWalker<Stage>::Span spanA, spanB;
    for (int32_t row = firstRow; row < endRow; ++row) {
        const bool inA = hasA && row >= a.FirstRow() && row < a.EndRow() && a.SpanAt(row, spanA);
        const bool inB = hasB && row >= b.FirstRow() && row < b.EndRow() && b.SpanAt(row, spanB);
        if (inA && inB && canJoin && spanA.pixels + spanA.count == spanB.pixels) {
            a.Prefetch(spanA);
            b.Prefetch(spanB);
            stage.ShadeSpans(spanA.pixels, spanA.count, spanA.value.data(), a.Steps().data(), spanB.count,
                             spanB.value.data(), b.Steps().data());
            continue;
        }
        if (inA) {
            a.Prefetch(spanA);
            stage.ShadeSpan(spanA.pixels, spanA.count, spanA.value.data(), a.Steps().data());
        }
        if (inB) {
            b.Prefetch(spanB);
            stage.ShadeSpan(spanB.pixels, spanB.count, spanB.value.data(), b.Steps().data());
        }
    }
}

} // namespace Raster
