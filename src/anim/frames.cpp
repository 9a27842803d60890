#include "anim/frames.h"

#include "core/interpolate.h"
#include "view/pictureoutput.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>

namespace ramulet {

namespace {

constexpr long double kPi = std::numbers::pi_v<long double>;

// Swing of a branch against its parent at the tips, in radians; generations nearer the
// trunk swing less in proportion.
constexpr long double kSwayAmplitude = 4.0L * kPi / 180.0L;
// How much later each generation swings than the one below it, in radians of the cycle: the
// wind's wave runs up the tree.
constexpr long double kSwayLag = 0.5L;

long double Ease(long double x) {
    x = std::clamp(x, 0.0L, 1.0L);
    return x * x * (3.0L - 2.0L * x);
}

// The table `t` with every branch turned by `angle` radians, counter-clockwise in its own
// frame.
BranchTable Turned(const BranchTable &t, long double angle) {
    BranchTable out = t;
    const long double c = std::cos(angle);
    const long double s = std::sin(angle);
    for (int32_t r = 1; r <= out.BranchCount; ++r) {
        TPointE &v = out.Branches[static_cast<size_t>(r)].V;
        v = {v.x * c - v.y * s, v.x * s + v.y * c};
    }
    return out;
}

// The growth's recursion with a table for each remaining depth n and mirror sign: tables[n][0]
// for the sign +1, tables[n][1] for -1. A mirrored frame turns the other way, so the table
// for -1 is turned back by the same angle to bend its branches the same way on the picture.
using SwayTables = std::array<std::array<BranchTable, 2>, MaxDepth + 1>;

void SwayGrow(Tseglines &store, const SwayTables &tables, int32_t n, const TSegLine &seg,
              int32_t m) {
    if (store.Full()) {
        return;
    }
    store.AddSegment(seg);
    if (m == 0) {
        return;
    }
    const BranchTable &t = tables[static_cast<size_t>(n)][m > 0 ? 0 : 1];
    TSegLine children[MaxBranches + 1];
    ExpandChildren(t, seg, m, children);
    for (int32_t r = 1; r <= t.BranchCount; ++r) {
        children[r].level = n;
    }
    for (int32_t r = 1; r <= t.BranchCount; ++r) {
        if (n <= 1) {
            store.AddSegment(children[r]);
        } else {
            SwayGrow(store, tables, n - 1, children[r],
                     m * t.Branches[static_cast<size_t>(r)].kind);
        }
    }
}

} // namespace

int32_t AnimationFrameCount(double seconds, int32_t fps) {
    const double n = std::round(seconds * static_cast<double>(fps));
    if (!(n >= 2.0)) {
        return 2;
    }
    return n > MaxAnimationFrames ? MaxAnimationFrames : static_cast<int32_t>(n);
}

long double FrameTime(AnimationKind kind, int32_t i, int32_t n) {
    if (kind == AnimationKind::Sway) {
        return static_cast<long double>(i) / static_cast<long double>(std::max(n, 1));
    }
    if (i >= n - 1) {
        return 1.0L;
    }
    return static_cast<long double>(i) / static_cast<long double>(n - 1);
}

long double GrowthOfGeneration(int32_t g, int32_t depth, long double t) {
    // depth + 1 generations, each d long, each starting d / 2 after the one before:
    // depth * d / 2 + d = 1.
    const long double d = 2.0L / static_cast<long double>(depth + 2);
    const long double start = static_cast<long double>(g) * d / 2.0L;
    if (t >= 1.0L) {
        return 1.0L;
    }
    return Ease((t - start) / d);
}

FrameMaker::FrameMaker(AnimationKind kind, const AnimationScene &scene, int32_t frameCount)
    : m_kind(kind), m_scene(scene), m_frameCount(std::max(frameCount, 2)) {
    m_scene.depth = std::clamp(m_scene.depth, 1, MaxDepth);
    if (kind == AnimationKind::Morph) {
        NormalizeTemplate(m_scene.table);
        NormalizeTemplate(m_scene.other);
    } else {
        GrowTree(m_scene.table, m_full, m_scene.depth);
    }
}

FrameMaker::~FrameMaker() = default;

TColor FrameMaker::backColor(int32_t i) const {
    if (m_kind != AnimationKind::Morph) {
        return m_scene.settings.BackColor;
    }
    return InterpolateColor(m_scene.settings.BackColor, m_scene.otherSettings.BackColor,
                            Ease(FrameTime(m_kind, i, m_frameCount)));
}

std::vector<TColor> FrameMaker::keyColors() const {
    std::vector<TColor> colors;
    const int steps = m_kind == AnimationKind::Morph ? 4 : 0;
    for (int k = 0; k <= steps; ++k) {
        const long double t = steps == 0 ? 0.0L : static_cast<long double>(k) / steps;
        RenderRequest r = request(m_scene.settings);
        for (TColor DrawSettings::*c :
             {&DrawSettings::BackColor, &DrawSettings::TipColor, &DrawSettings::TrunkColor}) {
            r.settings.*c = InterpolateColor(m_scene.settings.*c, m_scene.otherSettings.*c, t);
        }
        const ColorRampTable ramp = RampFor(r);
        colors.push_back(r.settings.BackColor & 0xFFFFFFu);
        for (int32_t l = 1; l <= m_scene.depth + 1; ++l) {
            colors.push_back(ramp[static_cast<size_t>(l)] & 0xFFFFFFu);
        }
    }
    std::sort(colors.begin(), colors.end());
    colors.erase(std::unique(colors.begin(), colors.end()), colors.end());
    return colors;
}

QImage FrameMaker::frame(int32_t i) {
    const long double t = FrameTime(m_kind, i, m_frameCount);
    switch (m_kind) {
    case AnimationKind::Grow:
        growFrame(t);
        return draw(m_scene.settings);
    case AnimationKind::Sway:
        swayFrame(t);
        return draw(m_scene.settings);
    case AnimationKind::Morph:
        return draw(morphFrame(Ease(t)));
    }
    return {};
}

// The finished tree with generation g grown GrowthOfGeneration(g) of the way along each of its
// segments. A segment rides on its parent as the parent grows: it starts at the same fraction
// of the parent's drawn length as of its full length. Segments not yet begun are left out.
// The box stays the finished tree's, so the automatic fit places every frame alike.
void FrameMaker::growFrame(long double t) {
    const int32_t depth = m_scene.depth;
    std::array<long double, MaxDepth + 2> grown{};
    bool complete = true;
    for (int32_t g = 0; g <= depth; ++g) {
        grown[static_cast<size_t>(g)] = GrowthOfGeneration(g, depth, t);
        complete = complete && grown[static_cast<size_t>(g)] >= 1.0L;
    }
    m_frame.Clear();
    if (complete) {
        // The still picture's own segments, not a recomputation of them.
        for (int32_t i = 0; i <= m_full.lastIndex; ++i) {
            m_frame.AddSegment(m_full.line(i));
        }
    } else {
        // The drawn start offset and the drawn share of the last segment of each level: the
        // parent of a segment of level L is the last one stored before it with level L + 1.
        struct Drawn {
            TPointE offset;
            long double share;
            int32_t index;
        };
        std::array<Drawn, MaxDepth + 3> last{};
        for (int32_t i = 0; i <= m_full.lastIndex; ++i) {
            const TSegLine &s = m_full.line(i);
            const int32_t level = std::clamp(s.level, 1, depth + 1);
            const long double share = grown[static_cast<size_t>(depth + 1 - level)];
            TPointE offset{0.0L, 0.0L};
            if (i > 0 && level <= depth) {
                const Drawn &p = last[static_cast<size_t>(level + 1)];
                const TSegLine &ps = m_full.line(p.index);
                const long double vx = ps.endPt.x - ps.startPt.x;
                const long double vy = ps.endPt.y - ps.startPt.y;
                const long double len2 = vx * vx + vy * vy;
                const long double u =
                    len2 > 0.0L
                        ? ((s.startPt.x - ps.startPt.x) * vx + (s.startPt.y - ps.startPt.y) * vy) /
                              len2
                        : 0.0L;
                offset = {p.offset.x + u * (p.share - 1.0L) * vx,
                          p.offset.y + u * (p.share - 1.0L) * vy};
            }
            last[static_cast<size_t>(level)] = {offset, share, i};
            if (share <= 0.0L) {
                continue;
            }
            TSegLine d = s;
            d.startPt = {s.startPt.x + offset.x, s.startPt.y + offset.y};
            d.endPt = {d.startPt.x + share * (s.endPt.x - s.startPt.x),
                       d.startPt.y + share * (s.endPt.y - s.startPt.y)};
            m_frame.AddSegment(d);
        }
    }
    m_frame.SetFilled(m_frame.lastIndex, m_full.minX, m_full.minY, m_full.maxX, m_full.maxY);
}

// Every branch turned against its parent by a sine of the loop's phase, more toward the tips
// and later the further up the tree. The box stays the tree's at rest.
void FrameMaker::swayFrame(long double t) {
    const int32_t depth = m_scene.depth;
    auto tables = std::make_unique<SwayTables>();
    for (int32_t n = 1; n <= depth; ++n) {
        const int32_t g = depth + 1 - n; // the generation of the branches placed by tables[n]
        const long double amp = kSwayAmplitude * static_cast<long double>(g) / depth;
        const long double angle = amp * std::sin(2.0L * kPi * t - kSwayLag * g);
        (*tables)[static_cast<size_t>(n)][0] = Turned(m_scene.table, angle);
        (*tables)[static_cast<size_t>(n)][1] = Turned(m_scene.table, -angle);
    }
    m_frame.Clear();
    SwayGrow(m_frame, *tables, depth, TrunkSegment(m_scene.table, depth), +1);
    m_frame.SetFilled(m_frame.lastIndex, m_full.minX, m_full.minY, m_full.maxX, m_full.maxY);
}

// The template and the settings t of the way from the first to the other; the tree is fitted
// anew in every frame when the fit is on, as each end's still picture is.
DrawSettings FrameMaker::morphFrame(long double t) {
    const BranchTable table = InterpolateTemplates(m_scene.table, m_scene.other, t);
    GrowNormalized(table, m_frame, m_scene.depth, m_scene.fit);
    DrawSettings s = m_scene.settings;
    const DrawSettings &a = m_scene.settings;
    const DrawSettings &b = m_scene.otherSettings;
    s.BackColor = InterpolateColor(a.BackColor, b.BackColor, t);
    s.TipColor = InterpolateColor(a.TipColor, b.TipColor, t);
    s.TrunkColor = InterpolateColor(a.TrunkColor, b.TrunkColor, t);
    s.PenWidthSetting =
        RoundEven(static_cast<long double>(a.PenWidthSetting) +
                  t * static_cast<long double>(b.PenWidthSetting - a.PenWidthSetting));
    return s;
}

RenderRequest FrameMaker::request(const DrawSettings &s) const {
    RenderRequest r;
    r.depth = m_scene.depth;
    r.view = m_scene.view;
    r.settings = s;
    r.fit = m_scene.fit;
    return r;
}

QImage FrameMaker::draw(const DrawSettings &s) {
    if (size().isEmpty()) {
        return {}; // a view without area has no picture
    }
    const auto picture = m_pipeline.Record(m_frame, request(s));
    return TreePictureToImage(*picture, size(), m_scene.smooth);
}

} // namespace ramulet
