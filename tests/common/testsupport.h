#pragma once

// Small helpers shared by the test programs.

#include "core/branches.h"
#include "core/viewstate.h"

#include <QByteArray>
#include <QFile>
#include <QProcess>
#include <QString>
#include <QStringList>

#include <cstring>
#include <limits>

namespace ramulet::test {

// The default view of a view of w x h pixels. 500 x 500 gives exactly 150 pixels per model
// unit (the trunk from (250, 475) up to (250, 325)); 600 x 600 gives 180.
inline ViewState DefaultView(int32_t w, int32_t h)
{
    ViewState v;
    v.SetViewSize(w, h);
    v.ResetView();
    return v;
}

// Whether two 80-bit reals are the same value bit for bit (a negative zero differs from a
// positive one).
inline bool SameBits(long double a, long double b) { return std::memcmp(&a, &b, 10) == 0; }
inline bool SameBits(TPointE a, TPointE b) { return SameBits(a.x, b.x) && SameBits(a.y, b.y); }

// The whole of a file, or nothing when it cannot be read.
inline QByteArray ReadAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

inline constexpr int32_t I32Min = std::numeric_limits<int32_t>::min();
inline constexpr int32_t I32Max = std::numeric_limits<int32_t>::max();

// A 600 x 600 view: 180 pixels per model unit, origin (300, 300) showing model (0, 1.5), so
// the grid line of model y = i/6 lies on pixel row 570 - 30 i and that of x = j/6 on column
// 300 + 30 j.
inline ViewState View600() { return DefaultView(600, 600); }

// The trunk from model (0, 0) to (0, 1) in View600, pointing up from (300, 570) to
// (300, 390), and no branches.
inline BranchTable TrunkOnly()
{
    BranchTable t;
    t.Branches[0].screenStart = {300, 570};
    t.Branches[0].screenEnd = {300, 390};
    t.Branches[0].kind = kindSegment;
    t.BranchCount = 0;
    return t;
}

// One run of a command-line program: its exit code (-1 when it crashed or hung) and output.
struct ProcessRun {
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

inline ProcessRun RunProgram(const QString &program, const QStringList &args)
{
    QProcess p;
    p.start(program, args);
    p.waitForFinished(120000);
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, p.readAllStandardOutput(),
            p.readAllStandardError()};
}

} // namespace ramulet::test
