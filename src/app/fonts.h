#pragma once

// The window's faces: the Japanese UI face and the stand-ins for the classic Latin faces.

#include <QFont>
#include <QStringList>
#include <QString>

namespace ramulet {

// The Japanese UI face at `pixelSize` pixels.
QFont UiFont(int pixelSize, bool bold = false);

// The classic face where it is installed, else its metric-compatible stand-in.
QFont LatinFont(const QString &classic, const QString &standIn, int pixelSize, bool bold);

} // namespace ramulet
