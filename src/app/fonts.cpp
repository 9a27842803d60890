#include "app/fonts.h"

namespace ramulet {

QFont UiFont(int pixelSize, bool bold)
{
    QFont f;
    f.setFamilies({QStringLiteral("Noto Sans CJK JP"), QStringLiteral("Noto Sans CJK"),
                   QStringLiteral("Noto Sans")});
    f.setPixelSize(pixelSize);
    f.setBold(bold);
    return f;
}

QFont LatinFont(const QString &classic, const QString &standIn, int pixelSize, bool bold)
{
    QFont f;
    f.setFamilies({classic, standIn});
    f.setPixelSize(pixelSize);
    f.setBold(bold);
    return f;
}

} // namespace ramulet
