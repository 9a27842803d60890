#pragma once

#include <algorithm>
#include <cmath>

namespace ramulet {

// An axis-aligned box, borders included.
struct ClipRect {
    long double left;
    long double top;
    long double right;
    long double bottom;

    bool contains(long double x, long double y) const
    {
        return x >= left && x <= right && y >= top && y <= bottom;
    }
};

// Clips the segment (x0, y0)-(x1, y1) to `box` (Liang-Barsky) in extended precision, so that
// coordinates far outside any surface reach a painter only as the part that can show.
// Returns false when nothing of the segment lies inside or a value is not finite.
inline bool ClipSegment(long double &x0, long double &y0, long double &x1, long double &y1,
                        const ClipRect &box)
{
    // The common case first: wholly inside (NaN fails every comparison and goes on).
    if (box.contains(x0, y0) && box.contains(x1, y1)) {
        return true;
    }
    const long double dx = x1 - x0;
    const long double dy = y1 - y0;
    if (!std::isfinite(dx) || !std::isfinite(dy)) {
        return false; // also catches a non-finite end point
    }
    long double t0 = 0.0L;
    long double t1 = 1.0L;
    int edge0 = -1; // the edge that cut the start, if any: 0 left, 1 right, 2 top, 3 bottom
    int edge1 = -1; // likewise for the end
    const long double p[4] = {-dx, dx, -dy, dy};
    const long double q[4] = {x0 - box.left, box.right - x0, y0 - box.top, box.bottom - y0};
    for (int i = 0; i < 4; ++i) {
        if (p[i] == 0.0L) {
            if (q[i] < 0.0L) {
                return false; // parallel to this edge and outside it
            }
            continue;
        }
        const long double r = q[i] / p[i];
        if (p[i] < 0.0L) {
            if (r > t1) {
                return false;
            }
            if (r > t0) {
                t0 = r;
                edge0 = i;
            }
        } else {
            if (r < t0) {
                return false;
            }
            if (r < t1) {
                t1 = r;
                edge1 = i;
            }
        }
    }
    // A cut point lies exactly on its edge; setting that coordinate outright keeps it there
    // even where the interpolation loses digits to very large coordinates.
    const auto cut = [&](int edge, long double t, long double &x, long double &y) {
        const long double sx = x;
        const long double sy = y;
        x = sx + t * dx;
        y = sy + t * dy;
        const long double edges[4] = {box.left, box.right, box.top, box.bottom};
        (edge < 2 ? x : y) = edges[edge];
    };
    const long double sx = x0;
    const long double sy = y0;
    if (edge0 >= 0) {
        cut(edge0, t0, x0, y0);
    }
    if (edge1 >= 0) {
        x1 = sx;
        y1 = sy;
        cut(edge1, t1, x1, y1);
    }
    return true;
}

} // namespace ramulet
