#pragma once

// Small helpers shared by the test programs.

#include "core/viewstate.h"

#include <QByteArray>
#include <QProcess>
#include <QString>
#include <QStringList>

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
