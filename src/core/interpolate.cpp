#include "core/interpolate.h"

#include "core/numeric.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace ramulet {

namespace {

constexpr long double kPi = std::numbers::pi_v<long double>;

// A row vector in polar form: V = length x (-sin angle, cos angle), the angle in radians
// from the trunk's forward axis, counter-clockwise positive.
struct Polar {
    long double angle = 0.0L;
    long double length = 0.0L;
};

Polar ToPolar(const TPointE &v) {
    return {std::atan2(-v.x, v.y), std::hypot(v.x, v.y)};
}

TPointE FromPolar(long double angle, long double length) {
    return {-length * std::sin(angle), length * std::cos(angle)};
}

long double Lerp(long double a, long double b, long double t) {
    return a + (b - a) * t;
}

// The angle the shorter way round from `from` to `to`, in [-pi, pi].
long double AngleStep(long double from, long double to) {
    return std::remainder(to - from, 2.0L * kPi);
}

long double LengthBetween(long double a, long double b, long double t) {
    if (a > 0.0L && b > 0.0L && std::isfinite(a) && std::isfinite(b)) {
        return std::exp(Lerp(std::log(a), std::log(b), t));
    }
    return Lerp(a, b, t);
}

// The row blend of two rows both templates have.
void BlendRow(const TBranch &ra, const TBranch &rb, long double t, TBranch &out) {
    Polar pa = ToPolar(ra.V);
    Polar pb = ToPolar(rb.V);
    // A row of no length has no direction of its own: it takes the other end's.
    if (pa.length == 0.0L) {
        pa.angle = pb.angle;
    } else if (pb.length == 0.0L) {
        pb.angle = pa.angle;
    }
    const long double angle = pa.angle + AngleStep(pa.angle, pb.angle) * t;
    long double length = LengthBetween(pa.length, pb.length, t);
    out.kind = ra.kind;
    if (ra.kind != rb.kind) {
        // Through length 0 at the middle: the first kind shrinks away, the second grows.
        length *= std::fabs(1.0L - 2.0L * t);
        out.kind = t < 0.5L ? ra.kind : rb.kind;
    }
    out.P = {Lerp(ra.P.x, rb.P.x, t), Lerp(ra.P.y, rb.P.y, t)};
    out.V = FromPolar(angle, length);
}

// A row only one template has, `scale` (0..1) of its length.
void ScaleRow(const TBranch &r, long double scale, TBranch &out) {
    const Polar p = ToPolar(r.V);
    out.kind = r.kind;
    out.P = r.P;
    out.V = FromPolar(p.angle, p.length * scale);
}

} // namespace

BranchTable InterpolateTemplates(const BranchTable &a, const BranchTable &b, long double t) {
    if (!(t > 0.0L)) {
        return a;
    }
    if (t >= 1.0L) {
        return b;
    }
    BranchTable out = a;
    out.BranchCount = std::max(a.BranchCount, b.BranchCount);
    for (int32_t r = 0; r <= out.BranchCount; ++r) {
        const size_t i = static_cast<size_t>(r);
        TBranch &row = out.Branches[i];
        if (r <= a.BranchCount && r <= b.BranchCount) {
            BlendRow(a.Branches[i], b.Branches[i], t, row);
        } else if (r <= a.BranchCount) {
            ScaleRow(a.Branches[i], 1.0L - t, row);
        } else {
            row = b.Branches[i];
            ScaleRow(b.Branches[i], t, row);
        }
        row.ratio = std::hypot(row.V.x, row.V.y);
        row.moved = false;
        row.shownP = row.P;
        row.shownV = row.V;
    }
    // The trunk is a segment in model space, not a row in its own frame: its kind plays no
    // part, and its start moves in a straight line.
    out.Branches[0].kind = a.Branches[0].kind;
    return out;
}

uint32_t InterpolateColor(uint32_t a, uint32_t b, long double t) {
    if (!(t > 0.0L)) {
        return a & 0xFFFFFFu;
    }
    if (t >= 1.0L) {
        return b & 0xFFFFFFu;
    }
    uint32_t out = 0;
    for (int shift = 0; shift <= 16; shift += 8) {
        const long double ca = static_cast<long double>((a >> shift) & 0xFFu);
        const long double cb = static_cast<long double>((b >> shift) & 0xFFu);
        const int32_t c = std::clamp(RoundEven(Lerp(ca, cb, t)), 0, 255);
        out |= static_cast<uint32_t>(c) << shift;
    }
    return out;
}

} // namespace ramulet
