#pragma once

// What the user sees of the window's template, shared by the window tests and the randomized
// test: a snapshot taken through the window's own accessors and widgets, and the first
// difference between two of them in the parts a test compares ("nothing changed", "back as
// it was").

#include "app/Main.h"
#include "app/swatch.h"
#include "io/templatefile.h"

#include <QComboBox>

namespace ramulet_test {

using namespace ramulet;

struct WindowLook {
    BranchTable table;
    DrawSettings settings;
    int penIndex = 0; // the pen-width list's
    QString fileName;
    QString caption;
    bool editMode = true;
    int32_t depth = 1;
    QColor tipFill, trunkFill, backFill; // the swatches
    const void *picture = nullptr;       // the tree picture that copy and export take
    QByteArray saved;                    // what a save after a growth would write now
};

// The parts of a look that Difference compares.
namespace look {
constexpr unsigned RowKinds = 1u << 0;  // the branch count and the kinds
constexpr unsigned RowPoints = 1u << 1; // the rows' pixel points
constexpr unsigned RowValues = 1u << 2; // the rows' exact P and V
constexpr unsigned Colours = 1u << 3;
constexpr unsigned PenWidth = 1u << 4; // the stored pen width setting
constexpr unsigned PenIndex = 1u << 5;
constexpr unsigned Names = 1u << 6; // the file name and the caption
constexpr unsigned Mode = 1u << 7;  // edit or view mode, and the depth
constexpr unsigned Swatches = 1u << 8;
constexpr unsigned Picture = 1u << 9;
constexpr unsigned Saved = 1u << 10;
constexpr unsigned Everything = (Saved << 1) - 1;
} // namespace look

inline QComboBox *PenList(TMainform &w)
{
    return w.findChild<QComboBox *>(QStringLiteral("cboxPenWidth"));
}

// The bytes a save after a growth would write now: the template as the tree grows from it
// (normalised, which also sets every P.x to 0), with the pen width as the list shows it (the
// stored value of a loaded file is kept only until the next render).
inline QByteArray WouldSave(TMainform &w)
{
    BranchTable copy = w.table();
    NormalizeTemplate(copy);
    TemplateSettings s;
    s.BackColor = static_cast<int32_t>(w.settings().BackColor);
    s.TipColor = static_cast<int32_t>(w.settings().TipColor);
    s.TrunkColor = static_cast<int32_t>(w.settings().TrunkColor);
    s.PenWidthSetting = PenList(w)->currentIndex() * 20;
    return FormatTemplate(copy, s);
}

inline WindowLook LookAt(TMainform &w)
{
    WindowLook s;
    s.table = w.table();
    s.settings = w.settings();
    s.penIndex = PenList(w)->currentIndex();
    s.fileName = w.fileName();
    s.caption = w.windowTitle();
    s.editMode = w.editMode();
    s.depth = w.depth();
    const auto fill = [&w](const char *name) {
        return w.findChild<ColorSwatch *>(QLatin1String(name))->fill();
    };
    s.tipFill = fill("ShapeP");
    s.trunkFill = fill("Shape1");
    s.backFill = fill("shapeB");
    s.picture = w.treePicture().get();
    s.saved = WouldSave(w);
    return s;
}

inline QString Pixel(TPixel p) { return QStringLiteral("(%1,%2)").arg(p.x).arg(p.y); }

inline QString DescribeRow(const TBranch &r)
{
    return QStringLiteral("%1-%2 P(%3,%4) V(%5,%6) kind %7")
        .arg(Pixel(r.screenStart), Pixel(r.screenEnd))
        .arg(static_cast<double>(r.P.x), 0, 'g', 21)
        .arg(static_cast<double>(r.P.y), 0, 'g', 21)
        .arg(static_cast<double>(r.V.x), 0, 'g', 21)
        .arg(static_cast<double>(r.V.y), 0, 'g', 21)
        .arg(r.kind);
}

// The first difference between the rows of `a` and `b` in `parts`; empty when none.
inline QString RowsDifference(const BranchTable &a, const BranchTable &b, unsigned parts)
{
    if (a.BranchCount != b.BranchCount) {
        return QStringLiteral("branch count %1, then %2").arg(a.BranchCount).arg(b.BranchCount);
    }
    for (int32_t i = 0; i <= std::clamp(a.BranchCount, 0, MaxBranches); ++i) {
        const TBranch &x = a.Branches[static_cast<size_t>(i)];
        const TBranch &y = b.Branches[static_cast<size_t>(i)];
        const bool same = x.kind == y.kind &&
                          (!(parts & look::RowPoints) ||
                           (x.screenStart == y.screenStart && x.screenEnd == y.screenEnd)) &&
                          (!(parts & look::RowValues) || (x.P == y.P && x.V == y.V));
        if (!same) {
            return QStringLiteral("row %1: %2, then %3").arg(i).arg(DescribeRow(x), DescribeRow(y));
        }
    }
    return QString();
}

inline QString SettingsDifference(const WindowLook &a, const WindowLook &b, unsigned parts)
{
    const DrawSettings &s = a.settings;
    const DrawSettings &t = b.settings;
    if (((parts & look::Colours) &&
         (s.BackColor != t.BackColor || s.TipColor != t.TipColor || s.TrunkColor != t.TrunkColor)) ||
        ((parts & look::PenWidth) && s.PenWidthSetting != t.PenWidthSetting)) {
        return QStringLiteral("colours %1 %2 %3 pen %4, then %5 %6 %7 pen %8")
            .arg(s.BackColor, 6, 16, QLatin1Char('0'))
            .arg(s.TipColor, 6, 16, QLatin1Char('0'))
            .arg(s.TrunkColor, 6, 16, QLatin1Char('0'))
            .arg(s.PenWidthSetting)
            .arg(t.BackColor, 6, 16, QLatin1Char('0'))
            .arg(t.TipColor, 6, 16, QLatin1Char('0'))
            .arg(t.TrunkColor, 6, 16, QLatin1Char('0'))
            .arg(t.PenWidthSetting);
    }
    if ((parts & look::PenIndex) && a.penIndex != b.penIndex) {
        return QStringLiteral("pen-width index %1, then %2").arg(a.penIndex).arg(b.penIndex);
    }
    if ((parts & look::Swatches) &&
        (a.tipFill != b.tipFill || a.trunkFill != b.trunkFill || a.backFill != b.backFill)) {
        return QStringLiteral("the swatches changed");
    }
    return QString();
}

// The first difference between `a` and `b` in `parts`; empty when they are the same there.
inline QString Difference(const WindowLook &a, const WindowLook &b, unsigned parts)
{
    if (parts & (look::RowKinds | look::RowPoints | look::RowValues)) {
        if (QString d = RowsDifference(a.table, b.table, parts); !d.isEmpty()) {
            return d;
        }
    }
    if (QString d = SettingsDifference(a, b, parts); !d.isEmpty()) {
        return d;
    }
    if ((parts & look::Names) && (a.fileName != b.fileName || a.caption != b.caption)) {
        return QStringLiteral("file \"%1\" [%2], then \"%3\" [%4]")
            .arg(a.fileName, a.caption, b.fileName, b.caption);
    }
    if ((parts & look::Mode) && (a.editMode != b.editMode || a.depth != b.depth)) {
        return QStringLiteral("mode %1 depth %2, then %3 depth %4")
            .arg(a.editMode ? "edit" : "view")
            .arg(a.depth)
            .arg(b.editMode ? "edit" : "view")
            .arg(b.depth);
    }
    if ((parts & look::Picture) && a.picture != b.picture) {
        return QStringLiteral("the tree picture was made again");
    }
    if ((parts & look::Saved) && a.saved != b.saved) {
        return QStringLiteral("a save would write\n%1\nthen\n%2")
            .arg(QString::fromLatin1(a.saved), QString::fromLatin1(b.saved));
    }
    return QString();
}

// Verifies that `actual` looks like `expected` in `parts`, naming the first difference.
#define COMPARE_LOOK(actual, expected, parts)                                                 \
    do {                                                                                      \
        const QString diff_ = ramulet_test::Difference((expected), (actual), (parts));        \
        QVERIFY2(diff_.isEmpty(), qPrintable(diff_));                                         \
    } while (false)

} // namespace ramulet_test
