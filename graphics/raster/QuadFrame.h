#pragma once

#include "graphics/raster/FixedPoint.h"
#include "graphics/raster/ScanConverter.h"
#include "graphics/raster/SpanKernels.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>

namespace Raster {

/// The two triangles of an upright image quad, walked as one: corners top-left, top-right, bottom-left,
/// bottom-right as a strip cuts them (first (tl, tr, bl), then (tr, br, bl)), u following x and v following y.
/// Corners may lie anywhere in a pixel (images put them half a pixel up and left, so that texel centres fall on
/// pixel centres): the edges are pre-stepped to the first row's and column's centres as the triangle walk does.
/// ScanTrianglePair would walk two triangles; here each row's two spans come from the same arithmetic,
/// specialised to this layout, so the pixels are the same. Rows whose texels lie in runs go to the stage's run
/// kernel, many rows to a call for unscaled images and images a hair off unscaled, a row at a time for images
/// mirrored across; other rows take the stage's span kernels as ScanTrianglePair does.
///
/// Stage supplies, besides what TriangleWalker asks for (with kCarried == 2: u, v):
///   const SpanContext& Context() const;                 the texture
///   void ShadeRuns(Pixel*, std::ptrdiff_t pitch, int32_t rows, const uint32_t* texels, std::ptrdiff_t stride,
///                  const TexelRun* runs, int32_t runCount) const;
///                                                       rows of runs of texels, as SpanRunKernel draws them
template <class Stage>
class AxisQuadWalker {
public:
    using Pixel = typename Stage::Pixel;

    /// False when the six vertices (the pair's two triangles) are not such a quad, or the pixels are not
    /// certain to match; the caller walks the triangles then.
    static bool Scan(const TriVertexFx* first, const TriVertexFx* second, const TriFrameBuffer& target,
                     const Stage& stage)
    {
        static_assert(Stage::kCarried == 2);
        AxisQuadWalker walker;
        if (!walker.SetUp(first, second, target))
            return false;
        walker.Walk(target, stage);
        return true;
    }

private:
    static constexpr int kPieces = 4;

    /// A row's two spans: the first triangle's from firstA, the second's from firstB to endB, and the values
    /// at their first pixels (the first triangle's u is the same in every row).
    struct Row {
        int32_t middle; // the diagonal's column, where the second span begins unless cut
        int32_t countA;
        int32_t firstB;
        int32_t countB;
        int32_t vA;
        int32_t valuesB[2];
    };

    static bool Same(const TriVertexFx& a, const TriVertexFx& b)
    {
        return a.x == b.x && a.y == b.y && a.u == b.u && a.v == b.v;
    }

    bool SetUp(const TriVertexFx* first, const TriVertexFx* second, const TriFrameBuffer& target)
    {
        const TriVertexFx& tl = first[0];
        const TriVertexFx& tr = first[1];
        const TriVertexFx& bl = first[2];
        const TriVertexFx& br = second[1];
        if (!Same(second[0], tr) || !Same(second[2], bl))
            return false;
        if (tl.y != tr.y || bl.y != br.y || tl.x != bl.x || tr.x != br.x || tl.u != bl.u || tr.u != br.u ||
            tl.v != tr.v || bl.v != br.v)
            return false;
        if (tl.x >= tr.x || tl.y >= bl.y)
            return false;

        const int32_t height = FxSub(bl.y, tl.y);
        const int32_t width = FxSub(tr.x, tl.x);
        // The first triangle: its long edge the left side, its lower short edge the diagonal.
        // One division per divisor: the ratios are as FxRatio and FxEdgeSlope give them.
        const int64_t perHeight = FxReciprocal(height);
        mStepU = FxRatio(static_cast<int64_t>(tr.u) - tl.u, width);
        mStepV = FxRatioOver(FxSub(bl.v, tl.v), perHeight);
        mDiagonalStep = FxEdgeSlopeOver(FxSub(bl.x, tr.x), perHeight);
        // The second triangle: its long edge the diagonal, from the top-right corner.
        mLongStepU = FxRatioOver(FxSub(bl.u, tr.u), perHeight);
        const int32_t xAtMid = FxAdd(tr.x, FxMul(mDiagonalStep, height));
        if (xAtMid >= tr.x)
            return false; // the second triangle would be empty or mirrored
        const int32_t across = FxSub(tr.x, xAtMid);
        const int64_t perAcross = FxReciprocal(across);
        mRowStepU = FxRatioOver(-FxMul64(mLongStepU, height), perAcross);
        mRowStepV = FxRatioOver(static_cast<int64_t>(bl.v) - tr.v - FxMul64(mStepV, height), perAcross);

        // Rows top .. bottom − 1 and columns left .. right − 1 have their centres inside. The edges and their
        // values start at the first row's centre, the first triangle's u at the first column's, pre-stepped
        // as TriangleWalker does (the long edges of both triangles start at the top corners).
        mTop = Ceil16(tl.y);
        mLeft = Ceil16(tl.x);
        mRight = Ceil16(tr.x);
        const int32_t bottom = Ceil16(bl.y);
        mFirstRow = std::max(mTop, target.top);
        mEndRow = std::min(bottom, target.bottom);
        const int32_t preY = FxSub(WrapInt32(static_cast<int64_t>(mTop) * kFxOne), tl.y);
        const int32_t preX = FxSub(WrapInt32(static_cast<int64_t>(mLeft) * kFxOne), tl.x);
        mU0 = FxAdd(tl.u, FxMul(mStepU, preX));
        mV0 = FxAdd(tl.v, FxMul(mStepV, preY));
        mU1 = FxAdd(tr.u, FxMul(mLongStepU, preY));
        mX1 = FxAdd(tr.x, FxMul(mDiagonalStep, preY));
        // The diagonal's ceiling stays inside the columns in every row: it falls from at most the right edge,
        // and in the last row it is still right of the left edge's column before.
        const bool inColumns =
            mDiagonalStep <= 0 &&
            (bottom <= mTop || Ceil16(FxAdd(mX1, FxTimes(mDiagonalStep, bottom - mTop - 1))) >= mLeft);
        mUnscaled = mStepU == kFxOne && mStepV == kFxOne && mRowStepU == kFxOne && mRowStepV == 0 &&
                    mLongStepU == mDiagonalStep && FxSub(tr.u, tl.u) == width && inColumns;
        // Mirrored across, give or take the truncated gradients' hair: each row is checked before it is drawn.
        const auto near = [](int64_t step, int64_t target) { return step - target >= -64 && step - target <= 64; };
        mMirrored = near(mStepU, -kFxOne) && near(mRowStepU, -kFxOne) && near(mRowStepV, 0);
        return true;
    }

    void Walk(const TriFrameBuffer& target, const Stage& stage)
    {
        mRowStride = target.pitch >> (sizeof(Pixel) == 4 ? 2 : 1);
        mOrigin = static_cast<Pixel*>(target.bits);
        // The first triangle's columns start at the same texel in every row, and break into runs at the same
        // places.
        mFirstA = std::max(mLeft, target.left);
        mEndB = std::min(mRight, target.right);
        mUA = static_cast<uint32_t>(FxAdd(mU0, FxTimes(mStepU, mFirstA - mLeft)));
        if (mUnscaled && DrawBlock(stage))
            return;
        if (mMirrored) {
            DrawMirrored(target, stage);
            return;
        }
        for (int32_t offset = 0; offset < mEndB - mFirstA && mPieceCount < kPieces;) {
            const uint32_t u = static_cast<uint32_t>(FxAdd(static_cast<int32_t>(mUA), FxTimes(mStepU, offset)));
            const int32_t length = Run(u, mStepU, mEndB - mFirstA - offset);
            mPieces[mPieceCount++] = {offset, length, u >> 16};
            mColumnEnd = std::max<int64_t>(mColumnEnd, (u >> 16) + static_cast<int64_t>(length));
            offset += length;
        }
        mPiecesEnd = mPieceCount > 0 ? mPieces[mPieceCount - 1].offset + mPieces[mPieceCount - 1].length : 0;
        if (mPiecesEnd == mEndB - mFirstA && DrawGrid(target, stage))
            return;
        Edges edges = EdgesAt(mFirstRow);
        for (int32_t row = mFirstRow; row < mEndRow; ++row, StepDown(edges))
            DrawRow(stage, row, RowAt(edges, target));
    }

    /// One row as the triangles would draw it: runs of texels across both spans (the first triangle's pieces,
    /// the second's span joined to the last one where its texels follow on), else the spans through the span
    /// kernels. Every run is checked against the texture before any is drawn.
    void DrawRow(const Stage& stage, int32_t row, const Row& r) const
    {
        const SpanContext& texture = stage.Context();
        Pixel* const line = mOrigin + static_cast<std::ptrdiff_t>(row) * mRowStride;
        const uint32_t rowBase = (static_cast<uint32_t>(r.vA) >> 16) * texture.stride;
        const auto uB = static_cast<uint32_t>(r.valuesB[0]);
        const auto vB = static_cast<uint32_t>(r.valuesB[1]);
        const uint32_t baseB = (vB >> 16) * texture.stride + (uB >> 16);
        const bool inRuns = (r.countA == 0 || (r.countA <= mPiecesEnd && rowBase + mColumnEnd <= texture.count)) &&
                            (r.countB == 0 || (InOneRun(uB, mRowStepU, vB, mRowStepV, r.countB) &&
                                               baseB + static_cast<int64_t>(r.countB) <= texture.count));
        if (inRuns) {
            TexelRun runs[kPieces + 1];
            int runCount = 0;
            bool joined = false;
            for (int k = 0; k < mPieceCount && mPieces[k].offset < r.countA; ++k) {
                int32_t length = std::min(mPieces[k].length, r.countA - mPieces[k].offset);
                const uint32_t base = rowBase + mPieces[k].column;
                if (mPieces[k].offset + length == r.countA && r.countB > 0 && base + length == baseB) {
                    length += r.countB;
                    joined = true;
                }
                runs[runCount++] = {mFirstA + mPieces[k].offset, length, base};
            }
            if (r.countB > 0 && !joined)
                runs[runCount++] = {r.firstB, r.countB, baseB};
            stage.ShadeRuns(line, 0, 1, texture.texels, 0, runs, runCount);
            return;
        }
        const int32_t valuesA[2] = {static_cast<int32_t>(mUA), r.vA};
        const int32_t stepsA[2] = {mStepU, 0};
        const int32_t stepsB[2] = {mRowStepU, mRowStepV};
        if (r.countA > 0 && r.countB > 0)
            stage.ShadeSpans(line + mFirstA, r.countA, valuesA, stepsA, r.countB, r.valuesB, stepsB);
        else if (r.countA > 0)
            stage.ShadeSpan(line + mFirstA, r.countA, valuesA, stepsA);
        else if (r.countB > 0)
            stage.ShadeSpan(line + r.firstB, r.countB, r.valuesB, stepsB);
    }

    /// Where a row meets the long edges: the diagonal's x and u, and v down the left side. Stepped a row at a
    /// time by adding (wrapping sums are the same either way).
    struct Edges {
        int32_t diagonal;
        int32_t u;
        int32_t v;
    };

    Edges EdgesAt(int32_t row) const
    {
        const int32_t down = row - mTop;
        return {FxAdd(mX1, FxTimes(mDiagonalStep, down)), FxAdd(mU1, FxTimes(mLongStepU, down)),
                FxAdd(mV0, FxTimes(mStepV, down))};
    }

    void StepDown(Edges& edges) const
    {
        edges.diagonal = FxAdd(edges.diagonal, mDiagonalStep);
        edges.u = FxAdd(edges.u, mLongStepU);
        edges.v = FxAdd(edges.v, mStepV);
    }

    Row RowAt(const Edges& edges, const TriFrameBuffer& target) const
    {
        Row r;
        r.middle = Ceil16(edges.diagonal);
        r.countA = std::max(std::min(r.middle, target.right) - mFirstA, 0);
        r.firstB = std::max(r.middle, target.left);
        r.countB = std::max(mEndB - r.firstB, 0);
        r.vA = edges.v;
        // The second triangle's values start on the diagonal and step to its first pixel.
        const int32_t preX = FxSub(WrapInt32(static_cast<int64_t>(r.middle) * kFxOne), edges.diagonal);
        r.valuesB[0] = FxAdd(FxAdd(edges.u, FxMul(mRowStepU, preX)), FxTimes(mRowStepU, r.firstB - r.middle));
        r.valuesB[1] = FxAdd(FxAdd(r.vA, FxMul(mRowStepV, preX)), FxTimes(mRowStepV, r.firstB - r.middle));
        return r;
    }

    /// Whether a row reads what the first triangle's plane gives across the whole width: its spans make the
    /// columns firstA .. endB − 1, and the second span's texels are the pieces' there.
    bool OnPlane(const Row& r) const
    {
        const auto u = static_cast<uint32_t>(r.valuesB[0]);
        const auto v = static_cast<uint32_t>(r.valuesB[1]);
        const int32_t offset = r.firstB - mFirstA;
        int k = mPieceCount - 1; // mostly the last piece
        while (k > 0 && mPieces[k].offset > offset)
            --k;
        const TexelRun& piece = mPieces[k];
        // Every condition worked out and combined without a branch: rows are checked in long series.
        const bool inColumns = (r.middle >= mLeft) & (r.middle <= mRight);
        const bool onPieces = ((v >> 16) == (static_cast<uint32_t>(r.vA) >> 16)) &
                              ((u >> 16) == piece.column + static_cast<uint32_t>(offset - piece.offset)) &
                              (offset + r.countB <= piece.offset + piece.length) &
                              InOneRun(u, mRowStepU, v, mRowStepV, r.countB);
        return inColumns & ((r.countB == 0) | onPieces);
    }

    /// An image a hair off unscaled (a truncated gradient of 1 − 1/65536 texel per pixel) reads runs of texels
    /// that break at the same columns in every row and at the same rows in every column: a grid of unscaled
    /// blocks, drawn as such where rows lie on the first triangle's plane. Rows are checked a stretch at a
    /// time just before they are drawn, so the checks overlap the drawing's memory traffic; a row off the
    /// plane is drawn by itself. False, drawing nothing, when the blocks do not lie inside the texture.
    bool DrawGrid(const TriFrameBuffer& target, const Stage& stage) const
    {
        const SpanContext& texture = stage.Context();
        const int32_t rows = mEndRow - mFirstRow;
        if (rows <= 0 || mEndB <= mFirstA)
            return true;
        const uint32_t v = static_cast<uint32_t>(FxAdd(mV0, FxTimes(mStepV, mFirstRow - mTop)));
        TexelRun bands[kPieces]; // runs of rows: offset and length in rows, column the texel row
        int bandCount = 0;
        int32_t covered = 0;
        while (covered < rows && bandCount < kPieces) {
            const uint32_t at = static_cast<uint32_t>(FxAdd(static_cast<int32_t>(v), FxTimes(mStepV, covered)));
            const int32_t length = Run(at, mStepV, rows - covered);
            bands[bandCount++] = {covered, length, at >> 16};
            covered += length;
        }
        if (covered < rows)
            return false;
        for (int i = 0; i < bandCount; ++i)
            for (int k = 0; k < mPieceCount; ++k)
                if ((bands[i].column + static_cast<uint64_t>(bands[i].length) - 1) * texture.stride +
                        mPieces[k].column + static_cast<uint64_t>(mPieces[k].length) >
                    texture.count)
                    return false;

        // The shortcut's quantities that are the same in every row.
        const TexelRun& last = mPieces[mPieceCount - 1];
        const bool shortcut = mRowStepV == 0;
        const int32_t lowest = std::max({target.left, mLeft, mFirstA + last.offset});
        const uint32_t columnBase = last.column - static_cast<uint32_t>(mFirstA + last.offset);
        const int64_t stepOff = static_cast<int64_t>(mRowStepU) - kFxOne;
        // A cheaper test that implies OnPlane, for rows whose second span starts on the diagonal inside the last
        // piece while v stays the same across a row: the span then ends where the piece does, inside 65536
        // texel columns, and on the first triangle's texel row.
        const auto onPlaneShortcut = [&](const Edges& edges) -> bool {
            const int32_t middle = Ceil16(edges.diagonal);
            if (middle < lowest || middle > mRight)
                return false;
            const int32_t countB = mEndB - middle;
            if (countB <= 0)
                return true;
            const int32_t preX = FxSub(WrapInt32(static_cast<int64_t>(middle) * kFxOne), edges.diagonal);
            const auto u = static_cast<uint32_t>(FxAdd(edges.u, FxMul(mRowStepU, preX)));
            return ((u >> 16) == columnBase + static_cast<uint32_t>(middle)) &
                   (static_cast<uint64_t>((u & 0xFFFF) + stepOff * (countB - 1)) <= 0xFFFF);
        };

        constexpr int32_t kStretch = 16;
        for (int i = 0; i < bandCount; ++i) {
            const int32_t bandFirst = mFirstRow + bands[i].offset;
            const int32_t bandEnd = bandFirst + bands[i].length;
            for (int32_t first = bandFirst; first < bandEnd; first += kStretch) {
                const int32_t end = std::min(first + kStretch, bandEnd);
                Edges edges = EdgesAt(first);
                int32_t onPlane = first;
                for (; onPlane < end && ((shortcut && onPlaneShortcut(edges)) || OnPlane(RowAt(edges, target)));
                     ++onPlane)
                    StepDown(edges);
                const auto rowsFrom = [&](int32_t row, int32_t count) {
                    stage.ShadeRuns(mOrigin + static_cast<std::ptrdiff_t>(row) * mRowStride + mFirstA, mRowStride,
                                    count,
                                    texture.texels + (static_cast<std::size_t>(bands[i].column) + (row - bandFirst)) *
                                                         texture.stride,
                                    texture.stride, mPieces, mPieceCount);
                };
                if (onPlane > first)
                    rowsFrom(first, onPlane - first);
                for (int32_t row = onPlane; row < end; ++row, StepDown(edges)) {
                    const Row r = RowAt(edges, target);
                    if (OnPlane(r))
                        rowsFrom(row, 1);
                    else
                        DrawRow(stage, row, r);
                }
            }
        }
        return true;
    }

    /// An unscaled image: both triangles read texel column c − left + u0 in pixel column c and texel row
    /// r − top + v0 in pixel row r, and every row's two spans make the columns firstA .. endB − 1 (the
    /// diagonal's ceiling never leaves the quad's columns). Drawn as one block of runs when every row's
    /// texels lie inside the texture; false, drawing nothing, otherwise.
    bool DrawBlock(const Stage& stage) const
    {
        const SpanContext& texture = stage.Context();
        const int32_t rows = mEndRow - mFirstRow;
        if (mEndB <= mFirstA || rows <= 0)
            return true;
        const uint64_t count = static_cast<uint64_t>(mEndB - mFirstA);
        const uint64_t column = mUA >> 16;
        const uint64_t texelRow = static_cast<uint32_t>(FxAdd(mV0, FxTimes(mStepV, mFirstRow - mTop))) >> 16;
        const uint64_t lastRow = texelRow + static_cast<uint64_t>(rows) - 1;
        if (column + count > 65536 || lastRow > 65535 || lastRow * texture.stride + column + count > texture.count)
            return false;
        const TexelRun run{0, static_cast<int32_t>(count), static_cast<uint32_t>(column)};
        stage.ShadeRuns(mOrigin + static_cast<std::ptrdiff_t>(mFirstRow) * mRowStride + mFirstA, mRowStride, rows,
                        texture.texels + texelRow * texture.stride, texture.stride, &run, 1);
        return true;
    }

    /// An image mirrored across: u falls one texel a pixel in both triangles, v stays in a row. A row whose two
    /// spans join and read one texel row, the texels of its first pixel and those left of it, is that run
    /// reversed: the texels are copied back to front, a stretch at a time, and drawn as a run. Other rows are
    /// drawn by DrawRow.
    void DrawMirrored(const TriFrameBuffer& target, const Stage& stage) const
    {
        const SpanContext& texture = stage.Context();
        const uint32_t column = mUA >> 16; // the first pixel's texel column, the same in every row
        Edges edges = EdgesAt(mFirstRow);
        for (int32_t row = mFirstRow; row < mEndRow; ++row, StepDown(edges)) {
            const Row r = RowAt(edges, target);
            const int32_t count = r.countA + r.countB;
            const uint32_t texelRow = static_cast<uint32_t>(r.vA) >> 16;
            const uint64_t base = static_cast<uint64_t>(texelRow) * texture.stride;
            const auto uB = static_cast<uint32_t>(r.valuesB[0]);
            const auto vB = static_cast<uint32_t>(r.valuesB[1]);
            const bool firstFalls =
                r.countA == 0 || Stays(mUA & 0xFFFF, static_cast<int64_t>(mStepU) + kFxOne, r.countA);
            const bool joined =
                r.countB == 0 ||
                (r.firstB == mFirstA + r.countA && (uB >> 16) == column - static_cast<uint32_t>(r.countA) &&
                 Stays(uB & 0xFFFF, static_cast<int64_t>(mRowStepU) + kFxOne, r.countB) && (vB >> 16) == texelRow &&
                 Stays(vB & 0xFFFF, mRowStepV, r.countB));
            if (count <= 0 || !firstFalls || !joined || column >= 65536 || column + 1 < static_cast<uint32_t>(count) ||
                base + column >= texture.count) {
                DrawRow(stage, row, r);
                continue;
            }
            Pixel* const line = mOrigin + static_cast<std::ptrdiff_t>(row) * mRowStride + mFirstA;
            const uint32_t* const last = texture.texels + base + column; // the first pixel's texel
            constexpr int32_t kStretch = 512;
            uint32_t reversed[kStretch];
            for (int32_t done = 0; done < count; done += kStretch) {
                const int32_t length = std::min(kStretch, count - done);
                std::reverse_copy(last - done - (length - 1), last - done + 1, reversed);
                const TexelRun run{0, length, 0};
                stage.ShadeRuns(line + done, 0, 1, reversed, 0, &run, 1);
            }
        }
    }

    /// How many steps, at most limit, a coordinate u stepping du takes one texel at a time from its first
    /// texel on, so that texel − step stays fixed (pixels across a row, or rows down a column). The texel stays
    /// at most 65535.
    static int32_t Run(uint32_t u, int32_t du, int32_t limit)
    {
        int64_t run = std::min<int64_t>(limit, 65536 - (u >> 16));
        const int64_t delta = static_cast<int64_t>(du) - kFxOne;
        if (delta == 0)
            return static_cast<int32_t>(run);
        // A truncated gradient is mostly one unit off, which needs no division.
        const int64_t room = delta < 0 ? (u & 0xFFFF) : 65535 - (u & 0xFFFF);
        const int64_t magnitude = delta < 0 ? -delta : delta;
        return static_cast<int32_t>(std::min((magnitude == 1 ? room : room / magnitude) + 1, run));
    }

    /// Whether a fraction stepping delta stays inside its unit (neither below 0 nor past 0xFFFF) for count
    /// steps: the first and the last decide, the coordinate stepping linearly.
    static bool Stays(uint32_t fraction, int64_t delta, int32_t count)
    {
        return static_cast<uint64_t>(fraction + delta * (count - 1)) <= 0xFFFF;
    }

    /// Whether all count pixels read texels in a row: u a texel further each pixel (as Run counts), v in one
    /// texel row. Without a division: the coordinates step linearly, so the first and the last pixel decide.
    static bool InOneRun(uint32_t u, int32_t du, uint32_t v, int32_t dv, int32_t count)
    {
        // One combined test without branches: the three conditions as bits.
        return (unsigned((u >> 16) + static_cast<uint32_t>(count) <= 65536) &
                unsigned(Stays(u & 0xFFFF, static_cast<int64_t>(du) - kFxOne, count)) &
                unsigned(Stays(v & 0xFFFF, dv, count))) != 0;
    }

    int32_t mStepU = 0; // first triangle: u per pixel across
    int32_t mStepV = 0; // both: v per row down the long edges
    int32_t mDiagonalStep = 0;
    int32_t mLongStepU = 0; // second triangle: u per row along the diagonal
    int32_t mRowStepU = 0;  // second triangle: u and v per pixel across
    int32_t mRowStepV = 0;
    int32_t mTop = 0;
    int32_t mLeft = 0;
    int32_t mRight = 0;
    int32_t mFirstRow = 0;
    int32_t mEndRow = 0;
    int32_t mU0 = 0;
    int32_t mV0 = 0;
    int32_t mU1 = 0;
    int32_t mX1 = 0;
    bool mUnscaled = false;
    bool mMirrored = false;

    // The walk: where it draws, and the first triangle's runs of texels across the whole width.
    Pixel* mOrigin = nullptr;
    std::ptrdiff_t mRowStride = 0;
    int32_t mFirstA = 0;
    int32_t mEndB = 0;
    uint32_t mUA = 0;          // u at the first triangle's first pixel, the same in every row
    TexelRun mPieces[kPieces]; // the first mPieceCount are set
    int mPieceCount = 0;
    int32_t mPiecesEnd = 0;
    int64_t mColumnEnd = 0; // past the pieces' last texel column, for the texture bound
};

} // namespace Raster
