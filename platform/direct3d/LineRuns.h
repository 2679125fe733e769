#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace Platform {

/// Pixels first..last (inclusive) of a line along its major axis, all at one coordinate of the other axis, and
/// the line's parameter (0 at its start, 1 at its end) at the run's outer pixel edges, first - 0.5 and last + 0.5.
struct LineRun {
    bool xMajor = true; // runs along a row; otherwise along a column
    int32_t first = 0;
    int32_t last = 0;
    int32_t minor = 0; // the row of an x-major run, the column of a y-major one
    float tFirst = 0;
    float tLast = 0;
};

/// The pixels a line from (x0, y0) to (x1, y1) covers, without its last pixel, so that the segments of a strip
/// meet without drawing their shared pixel twice. Pixel centres lie on whole coordinates. Along the major axis
/// (x when |dx| >= |dy|) the pixels run from the one holding the start up to the one holding the end; each takes
/// the other coordinate of the line at its centre, rounded half up. Only pixels in columns left .. right - 1 and
/// rows top .. bottom - 1 are given, in runs of pixels that share their row (or column), so a line off the target
/// costs nothing and a huge one no more than the bounds. Non-finite input gives nothing.
template <class Emit>
void ForEachLineRun(float x0, float y0, float x1, float y1, int32_t left, int32_t top, int32_t right, int32_t bottom,
                    Emit&& emit)
{
    if (!std::isfinite(x0) || !std::isfinite(y0) || !std::isfinite(x1) || !std::isfinite(y1))
        return;
    const double dx = double{x1} - x0;
    const double dy = double{y1} - y0;
    const bool xMajor = std::fabs(dx) >= std::fabs(dy);
    const double a0 = xMajor ? x0 : y0;
    const double b0 = xMajor ? y0 : x0;
    const double da = xMajor ? dx : dy;
    const double db = xMajor ? dy : dx;
    if (da == 0)
        return;
    const double start = std::floor(a0 + 0.5);
    const double end = std::floor(a0 + da + 0.5);
    if (start == end)
        return;
    double low = end > start ? start : end + 1;
    double high = end > start ? end - 1 : start;
    const int32_t minA = xMajor ? left : top;
    const int32_t maxA = (xMajor ? right : bottom) - 1;
    const int32_t minB = xMajor ? top : left;
    const int32_t maxB = (xMajor ? bottom : right) - 1;
    low = std::max(low, static_cast<double>(minA));
    high = std::min(high, static_cast<double>(maxA));
    if (low > high || minB > maxB)
        return;

    const auto t = [&](double a) { return static_cast<float>(std::clamp((a - a0) / da, 0.0, 1.0)); };
    const auto flush = [&](int32_t first, int32_t last, int32_t minor) {
        if (minor < minB || minor > maxB)
            return;
        emit(LineRun{xMajor, first, last, minor, t(first - 0.5), t(last + 0.5)});
    };
    const auto from = static_cast<int32_t>(low);
    const auto to = static_cast<int32_t>(high);
    int32_t runFirst = from;
    int32_t runMinor = 0;
    for (int32_t i = from; i <= to; ++i) {
        const double b = std::floor(b0 + (i - a0) / da * db + 0.5);
        // Kept just outside the bounds, so that far-off rows convert safely and are still dropped.
        const auto minor =
            static_cast<int32_t>(std::clamp(b, static_cast<double>(minB) - 1, static_cast<double>(maxB) + 1));
        if (i == from) {
            runMinor = minor;
        } else if (minor != runMinor) {
            flush(runFirst, i - 1, runMinor);
            runFirst = i;
            runMinor = minor;
        }
    }
    flush(runFirst, to, runMinor);
}

} // namespace Platform
