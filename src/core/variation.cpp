#include "core/variation.h"

#include "core/numeric.h"
#include "core/random.h"

#include <algorithm>
#include <cmath>

namespace ramulet {

namespace {

constexpr long double Pi = 3.141592653589793238462643383279502884L;
constexpr long double Degree = Pi / 180.0L;

// Changed values are kept on a grid of 10^-6 trunk lengths: the file shows them exactly, and
// last-bit differences of the arithmetic before (none are expected) cannot reach the result.
// Rounding halves to even treats v and -v alike, so mirrored rows stay mirrored.
long double Quantize(long double v)
{
    return static_cast<long double>(RoundEven64(v * 1.0e6L)) / 1.0e6L;
}

// sin and cos for |x| <= pi by their series, with + - * / only, which IEEE arithmetic rounds
// the same everywhere (the library's sinl may differ in the last bit between versions).
void SinCos(long double x, long double &s, long double &c)
{
    const long double x2 = x * x;
    long double ts = x;
    long double tc = 1.0L;
    s = 0.0L;
    c = 0.0L;
    for (int k = 0; k < 24; ++k) {
        s += ts;
        c += tc;
        const auto n = static_cast<long double>(2 * k + 1);
        ts *= -x2 / ((n + 1.0L) * (n + 2.0L));
        tc *= -x2 / (n * (n + 1.0L));
    }
}

// e^x for |x| <= 1 by its series (the same reason as SinCos).
long double Exp(long double x)
{
    long double sum = 0.0L;
    long double term = 1.0L;
    for (int k = 1; k < 30; ++k) {
        sum += term;
        term *= x / static_cast<long double>(k);
    }
    return sum;
}

long double Length(const TPointE &v) { return std::sqrt(v.x * v.x + v.y * v.y); }

bool Near(long double a, long double b)
{
    return std::fabs(a - b) <= 1.0e-12L * std::max(1.0L, std::fabs(a));
}

bool Mirrored(const TBranch &a, const TBranch &b)
{
    return a.kind == b.kind && a.V.x != 0.0L && Near(a.P.y, b.P.y) && Near(a.V.y, b.V.y) &&
           Near(a.V.x, -b.V.x);
}

TBranch &Row(BranchTable &t, int32_t i) { return t.Branches[static_cast<size_t>(i)]; }
const TBranch &Row(const BranchTable &t, int32_t i) { return t.Branches[static_cast<size_t>(i)]; }

// Rows that change together: one row, or with keep-symmetry a row and its mirror image.
struct Unit {
    int32_t row = 0;
    int32_t mirror = 0; // 0: none
};

std::vector<Unit> Units(const BranchTable &t, bool symmetry)
{
    std::vector<Unit> units;
    std::array<bool, MaxBranches + 1> taken{};
    for (int32_t i = 1; i <= t.BranchCount; ++i) {
        if (taken[static_cast<size_t>(i)]) {
            continue;
        }
        Unit u{i, 0};
        for (int32_t j = i + 1; symmetry && j <= t.BranchCount; ++j) {
            if (!taken[static_cast<size_t>(j)] && Mirrored(Row(t, i), Row(t, j))) {
                u.mirror = j;
                taken[static_cast<size_t>(j)] = true;
                break;
            }
        }
        units.push_back(u);
    }
    return units;
}

int RecursingUnits(const BranchTable &t, const std::vector<Unit> &units)
{
    return static_cast<int>(std::count_if(units.begin(), units.end(), [&](const Unit &u) {
        return Row(t, u.row).kind != kindSegment;
    }));
}

// The mirror row of a unit follows its first row.
void Reflect(BranchTable &t, const Unit &u)
{
    if (u.mirror == 0) {
        return;
    }
    const TBranch &a = Row(t, u.row);
    TBranch &b = Row(t, u.mirror);
    b.P = a.P;
    b.V = {-a.V.x, a.V.y};
    b.kind = a.kind;
}

void SetVector(TBranch &row, long double x, long double y)
{
    row.V = {Quantize(x), Quantize(y)};
    row.P.x = 0.0L;
}

// Turns the branch by delta radians, counter-clockwise (V = length x (-sin, cos) of its angle).
void Turn(TBranch &row, long double delta)
{
    long double s = 0.0L;
    long double c = 0.0L;
    SinCos(delta, s, c);
    SetVector(row, row.V.x * c - row.V.y * s, row.V.y * c + row.V.x * s);
}

// A row's vector as (length, angle) made from random numbers.
void SetPolar(TBranch &row, long double length, long double angle)
{
    long double s = 0.0L;
    long double c = 0.0L;
    SinCos(angle, s, c);
    SetVector(row, -length * s, length * c);
}

enum class Op { Turn, Stretch, Slide, Kind, Add, Remove };

struct Weighted {
    Op op;
    int32_t weight;
};

// How often each change is chosen, out of the sum of those that can be made. Seen in rings
// of the examples: a new branch and a change of kind give the most interesting neighbours, a
// stretch the least visible ones.
constexpr Weighted OpWeights[] = {
    {Op::Turn, 30}, {Op::Stretch, 18}, {Op::Slide, 15},
    {Op::Kind, 13}, {Op::Add, 14},     {Op::Remove, 10},
};

// Whether every row off the trunk's axis has its mirror image: the tree is then symmetric,
// and a row on the axis looks the same upright and mirrored.
bool Symmetric(const BranchTable &t)
{
    for (int32_t i = 1; i <= t.BranchCount; ++i) {
        bool found = Row(t, i).V.x == 0.0L;
        for (int32_t j = 1; j <= t.BranchCount && !found; ++j) {
            found = j != i && Mirrored(Row(t, i), Row(t, j));
        }
        if (!found) {
            return false;
        }
    }
    return true;
}

// The size of one change: 0.25 (subtle) to 1 (wild).
long double Scale(int32_t strength)
{
    return 0.25L + 0.75L * static_cast<long double>(strength - VariationMinStrength) /
                       static_cast<long double>(VariationMaxStrength - VariationMinStrength);
}

class Mutator {
public:
    Mutator(BranchTable &t, Random &rng, const VariationOptions &o)
        : m_t(t), m_rng(rng), m_o(o), m_scale(Scale(o.strength))
    {
    }

    void Run()
    {
        // Subtle: one change; wild: up to four.
        const int32_t changes = 1 + m_rng.Below(1 + m_o.strength / 3);
        for (int32_t i = 0; i < changes; ++i) {
            Change();
        }
    }

private:
    void Change();
    Op Choose(bool canAdd, bool canRemove);
    void TurnUnit(const Unit &u);
    void StretchUnit(const Unit &u);
    void SlideUnit(const Unit &u);
    void KindUnit(const Unit &u, bool lastRecursing);
    void AddUnit();
    void RemoveUnit(const Unit &u);
    long double Magnitude(long double least, long double most)
    {
        return static_cast<long double>(m_rng.Sign()) * m_scale * m_rng.Real(least, most);
    }

    BranchTable &m_t;
    Random &m_rng;
    const VariationOptions &m_o;
    long double m_scale;
    bool m_manyRecursing = false; // of the change being made
};

Op Mutator::Choose(bool canAdd, bool canRemove)
{
    int32_t total = 0;
    auto usable = [&](Op op) {
        return (op != Op::Add || canAdd) && (op != Op::Remove || canRemove);
    };
    for (const Weighted &w : OpWeights) {
        total += usable(w.op) ? w.weight : 0;
    }
    int32_t pick = m_rng.Below(total);
    for (const Weighted &w : OpWeights) {
        if (!usable(w.op)) {
            continue;
        }
        if (pick < w.weight) {
            return w.op;
        }
        pick -= w.weight;
    }
    return Op::Turn;
}

void Mutator::Change()
{
    const std::vector<Unit> units = Units(m_t, m_o.keepSymmetry);
    const bool canAdd = !m_o.keepCount && m_t.BranchCount < MaxBranches;
    if (units.empty()) {
        if (canAdd) {
            AddUnit();
        }
        return;
    }
    const Unit u = units[static_cast<size_t>(m_rng.Below(static_cast<int32_t>(units.size())))];
    const bool lastRecursing =
        Row(m_t, u.row).kind != kindSegment && RecursingUnits(m_t, units) <= 1;
    // A template left with one recursing branch (one removed, or made a plain line) grows a
    // sparse chain: seen in rings, those neighbours were the dull ones.
    const int recursing = RecursingUnits(m_t, units);
    const bool canRemove = !m_o.keepCount && units.size() > 1 &&
                           recursing - (Row(m_t, u.row).kind != kindSegment ? 1 : 0) >= 2;
    m_manyRecursing = recursing >= 3;
    switch (Choose(canAdd, canRemove)) {
    case Op::Turn:
        TurnUnit(u);
        break;
    case Op::Stretch:
        StretchUnit(u);
        break;
    case Op::Slide:
        SlideUnit(u);
        break;
    case Op::Kind:
        KindUnit(u, lastRecursing);
        break;
    case Op::Add:
        AddUnit();
        break;
    case Op::Remove:
        RemoveUnit(u);
        break;
    }
}

void Mutator::TurnUnit(const Unit &u)
{
    TBranch &row = Row(m_t, u.row);
    // A lone row on the axis of a symmetric template stays on it: it changes its length.
    if ((m_o.keepSymmetry && u.mirror == 0 && row.V.x == 0.0L) || Length(row.V) < 0.02L) {
        StretchUnit(u);
        return;
    }
    Turn(row, Magnitude(10.0L, 50.0L) * Degree);
    Reflect(m_t, u);
}

void Mutator::StretchUnit(const Unit &u)
{
    TBranch &row = Row(m_t, u.row);
    if (Length(row.V) < 0.02L) {
        SetVector(row, 0.0L, 0.3L); // a branch of no length has no direction to keep
    }
    const long double factor = Exp(Magnitude(0.15L, 0.55L));
    SetVector(row, row.V.x * factor, row.V.y * factor);
    Reflect(m_t, u);
}

void Mutator::SlideUnit(const Unit &u)
{
    TBranch &row = Row(m_t, u.row);
    // Along the trunk, or as far as the parent's row lay beyond it; off an end it bounces
    // back, so that a branch at the trunk's end moves too.
    const long double lo = std::min(0.0L, row.P.y);
    const long double hi = std::max(1.0L, row.P.y);
    long double y = row.P.y + Magnitude(0.12L, 0.5L);
    if (y > hi) {
        y = hi - (y - hi);
    } else if (y < lo) {
        y = lo + (lo - y);
    }
    row.P = {0.0L, Quantize(std::clamp(y, lo, hi))};
    Reflect(m_t, u);
}

void Mutator::KindUnit(const Unit &u, bool lastRecursing)
{
    TBranch &row = Row(m_t, u.row);
    // A row on the axis of a symmetric tree looks the same upright and mirrored: it becomes a
    // plain line, or, when it is the last that recurses, turns.
    if (row.kind != kindSegment && row.V.x == 0.0L && Symmetric(m_t)) {
        if (!m_manyRecursing) {
            TurnUnit(u);
        } else {
            row.kind = kindSegment;
        }
        return;
    }
    if (row.kind == kindSegment) {
        row.kind = m_rng.Sign();
    } else if (lastRecursing || !m_manyRecursing || m_rng.Chance(0.75L)) {
        row.kind = -row.kind;
    } else {
        row.kind = kindSegment;
    }
    Reflect(m_t, u);
}

void Mutator::AddUnit()
{
    const bool pair = m_o.keepSymmetry && m_t.BranchCount + 2 <= MaxBranches;
    const bool axis = m_o.keepSymmetry && !pair;
    TBranch &row = Row(m_t, ++m_t.BranchCount);
    row = TBranch{};
    row.P = {0.0L, m_rng.Chance(0.5L) ? 1.0L : Quantize(m_rng.Real(0.25L, 1.0L))};
    // A new branch at any strength: 10 to 100 degrees to either side.
    const long double angle =
        axis ? 0.0L
             : static_cast<long double>(m_rng.Sign()) * m_rng.Real(10.0L, 100.0L) * Degree;
    SetPolar(row, m_rng.Real(0.25L, 0.7L), angle);
    row.kind = m_rng.Chance(0.6L) ? kindReverse : kindOrder;
    if (pair) {
        TBranch &mirror = Row(m_t, ++m_t.BranchCount);
        mirror = TBranch{};
        Reflect(m_t, {m_t.BranchCount - 1, m_t.BranchCount});
    }
}

void Mutator::RemoveUnit(const Unit &u)
{
    if (u.mirror != 0) {
        DeleteBranch(m_t, std::max(u.row, u.mirror));
    }
    DeleteBranch(m_t, u.row);
}

// Row i and the rows that mirror it.
template <typename Fn> void ForRowAndMirrors(BranchTable &t, int32_t i, Fn fn)
{
    const TBranch original = Row(t, i);
    for (int32_t j = 1; j <= t.BranchCount; ++j) {
        if (j == i || Mirrored(original, Row(t, j))) {
            fn(Row(t, j));
        }
    }
}

// Makes the tree bounded: recursing branches shortened below the limit, at least one
// recursing branch (a template without branches gets one).
void Legalise(BranchTable &t)
{
    constexpr long double Longest = 0.93L; // below VariationMaxRatio after the rounding
    if (t.BranchCount == 0) {
        t.BranchCount = 1;
        Row(t, 1) = TBranch{};
        Row(t, 1).P = {0.0L, 1.0L};
        SetVector(Row(t, 1), 0.0L, 0.6L);
        Row(t, 1).kind = kindReverse;
    }
    auto shorten = [&](TBranch &row, long double to) {
        const long double length = Length(row.V);
        SetVector(row, row.V.x * to / length, row.V.y * to / length);
    };
    bool recursing = false;
    for (int32_t i = 1; i <= t.BranchCount; ++i) {
        TBranch &row = Row(t, i);
        if (row.kind != kindSegment && Length(row.V) >= Longest) {
            shorten(row, Longest);
        }
        recursing = recursing || row.kind != kindSegment;
    }
    if (!recursing) {
        int32_t shortest = 1;
        for (int32_t i = 2; i <= t.BranchCount; ++i) {
            shortest = Length(Row(t, i).V) < Length(Row(t, shortest).V) ? i : shortest;
        }
        const bool tooLong = Length(Row(t, shortest).V) >= Longest;
        ForRowAndMirrors(t, shortest, [&](TBranch &row) {
            if (tooLong) {
                shorten(row, 0.6L);
            }
            row.kind = kindReverse;
        });
    }
    for (int32_t i = 0; i <= t.BranchCount; ++i) {
        Row(t, i).ratio = i == 0 ? Row(t, 0).ratio : Length(Row(t, i).V);
    }
}

// Hue and lightness of a colour 0x00BBGGRR shifted: hue by `hue` degrees, lightness (0..1) by
// `light`, kept between 0.08 and 0.92 so that the colour stays a colour.
uint32_t ShiftColor(uint32_t color, long double hue, long double light)
{
    const long double r = static_cast<long double>(color & 0xFF) / 255.0L;
    const long double g = static_cast<long double>((color >> 8) & 0xFF) / 255.0L;
    const long double b = static_cast<long double>((color >> 16) & 0xFF) / 255.0L;
    const long double hi = std::max({r, g, b});
    const long double lo = std::min({r, g, b});
    const long double d = hi - lo;
    long double l = (hi + lo) / 2.0L;
    const long double s = d == 0.0L ? 0.0L : d / (1.0L - std::fabs(2.0L * l - 1.0L));
    long double h = 0.0L; // degrees
    if (d != 0.0L) {
        h = hi == r ? 60.0L * std::fmod((g - b) / d + 6.0L, 6.0L)
            : hi == g ? 60.0L * ((b - r) / d + 2.0L)
                      : 60.0L * ((r - g) / d + 4.0L);
    }
    h = std::fmod(h + hue + 720.0L, 360.0L);
    l = std::clamp(l + light, 0.08L, 0.92L);
    const long double c = (1.0L - std::fabs(2.0L * l - 1.0L)) * s;
    const long double x = c * (1.0L - std::fabs(std::fmod(h / 60.0L, 2.0L) - 1.0L));
    const long double m = l - c / 2.0L;
    long double rgb[3] = {c, x, 0.0L}; // hue sector 0; rotated below
    const int sector = std::min(5, static_cast<int>(h / 60.0L));
    static constexpr int order[6][3] = {{0, 1, 2}, {1, 0, 2}, {2, 0, 1},
                                        {2, 1, 0}, {1, 2, 0}, {0, 2, 1}};
    uint32_t out = 0;
    for (int ch = 0; ch < 3; ++ch) {
        const long double v = (rgb[order[sector][ch]] + m) * 255.0L;
        out |= static_cast<uint32_t>(std::clamp(RoundEven(v), 0, 255)) << (8 * ch);
    }
    return out;
}

void ShiftColors(VariationColors &colors, Random &rng, long double scale)
{
    const long double hue =
        static_cast<long double>(rng.Sign()) * scale * rng.Real(15.0L, 120.0L);
    const long double tip = static_cast<long double>(rng.Sign()) * scale * rng.Real(0.0L, 0.2L);
    const long double trunk = static_cast<long double>(rng.Sign()) * scale * rng.Real(0.0L, 0.2L);
    colors.tip = ShiftColor(colors.tip, hue, tip);
    colors.trunk = ShiftColor(colors.trunk, hue, trunk);
}

VariationOptions Clamped(VariationOptions o)
{
    o.strength = std::clamp(o.strength, VariationMinStrength, VariationMaxStrength);
    return o;
}

} // namespace

VariationTemplate MakeVariation(const VariationTemplate &parent, uint64_t seed,
                                const VariationOptions &options)
{
    const VariationOptions o = Clamped(options);
    const long double scale = Scale(o.strength);
    Random rng(seed);
    // Drawn again from the same stream while the result equals the parent: a few tries at
    // most, since almost every change is visible in the file's digits.
    for (int attempt = 0; attempt < 64; ++attempt) {
        VariationTemplate v = parent;
        Mutator(v.table, rng, o).Run();
        if (o.colors) {
            ShiftColors(v.colors, rng, scale);
        }
        Legalise(v.table);
        if (!SameTemplate(v, parent)) {
            return v;
        }
    }
    // Not reached for any template seen; a change that is always one.
    VariationTemplate v = parent;
    Turn(Row(v.table, std::max(1, v.table.BranchCount)), 20.0L * Degree);
    Legalise(v.table);
    return v;
}

VariationTemplate RandomTemplate(uint64_t seed, const VariationColors &colors,
                                 const VariationOptions &options)
{
    Random rng(seed);
    VariationTemplate v;
    v.colors = colors;
    BranchTable &t = v.table;
    Row(t, 0).P = {0.0L, 0.0L};
    Row(t, 0).V = {0.0L, 1.0L};
    Row(t, 0).kind = kindSegment;
    Row(t, 0).ratio = 1.0L;
    const int32_t count = 2 + rng.Below(4);
    // Half of them mirror-symmetric: pairs and, for an odd count, one row on the axis.
    const bool symmetric = rng.Chance(0.5L);
    while (t.BranchCount < count) {
        const bool pair = symmetric && t.BranchCount + 2 <= count;
        TBranch &row = Row(t, ++t.BranchCount);
        row.P = {0.0L, rng.Chance(0.5L) ? 1.0L : Quantize(rng.Real(0.2L, 1.0L))};
        const long double angle = symmetric && !pair ? 0.0L
                                  : static_cast<long double>(rng.Sign()) *
                                        rng.Real(10.0L, 110.0L) * Degree;
        SetPolar(row, rng.Real(0.3L, 0.75L), angle);
        row.kind = rng.Chance(0.15L) ? kindSegment
                   : rng.Chance(0.6L) ? kindReverse
                                      : kindOrder;
        if (pair) {
            ++t.BranchCount;
            Reflect(t, {t.BranchCount - 1, t.BranchCount});
        }
    }
    if (options.colors) {
        ShiftColors(v.colors, rng, 1.0L);
    }
    Legalise(t);
    return v;
}

bool SameTemplate(const VariationTemplate &a, const VariationTemplate &b)
{
    if (a.table.BranchCount != b.table.BranchCount || !(a.colors == b.colors)) {
        return false;
    }
    for (int32_t i = 0; i <= a.table.BranchCount; ++i) {
        const TBranch &x = Row(a.table, i);
        const TBranch &y = Row(b.table, i);
        if (!(x.P == y.P) || !(x.V == y.V) || x.kind != y.kind) {
            return false;
        }
    }
    return true;
}

bool BoundedTemplate(const BranchTable &t)
{
    bool recursing = false;
    for (int32_t i = 1; i <= t.BranchCount; ++i) {
        const TBranch &row = Row(t, i);
        if (row.kind != kindSegment) {
            recursing = true;
            if (!(Length(row.V) < VariationMaxRatio)) {
                return false;
            }
        }
    }
    return recursing;
}

std::vector<VariationNeighbour> MakeVariationRing(const VariationTemplate &parent,
                                                  uint64_t ringSeed, int count,
                                                  const VariationOptions &options)
{
    std::vector<VariationNeighbour> ring;
    uint64_t state = ringSeed;
    // A few seeds more than neighbours are enough; the bound only guards the loop.
    for (int tries = 0; static_cast<int>(ring.size()) < count && tries < 64 * count; ++tries) {
        const uint64_t seed = SplitMix64(state) >> 32;
        VariationTemplate v = MakeVariation(parent, seed, options);
        const bool repeated = std::any_of(ring.begin(), ring.end(), [&](const auto &n) {
            return SameTemplate(n.variation, v);
        });
        if (!repeated) {
            ring.push_back({seed, std::move(v)});
        }
    }
    return ring;
}

} // namespace ramulet
