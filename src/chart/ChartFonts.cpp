#include "chart/ChartFonts.h"

#include <QFontDatabase>
#include <QStringList>

namespace chart {

namespace {

QFont pick(const QStringList &families, QFontDatabase::SystemFont fallback)
{
    const QStringList installed = QFontDatabase::families();
    for (const QString &family : families) {
        if (installed.contains(family)) {
            QFont f(family);
            f.setPixelSize(12);
            return f;
        }
    }
    QFont f = QFontDatabase::systemFont(fallback);
    f.setPixelSize(12);
    return f;
}

} // namespace

QFont chartTextFont()
{
    static const QFont font = pick({QStringLiteral("Noto Sans Mono CJK JP"), QStringLiteral("Noto Sans CJK JP")},
                                   QFontDatabase::FixedFont);
    return font;
}

QFont fixedPitchFont()
{
    static const QFont font = pick({QStringLiteral("Noto Sans Mono CJK JP")}, QFontDatabase::FixedFont);
    return font;
}

QFont priceListFont()
{
    static const QFont font = pick({QStringLiteral("ＭＳ ゴシック"), QStringLiteral("MS Gothic"),
                                    QStringLiteral("Noto Sans Mono CJK JP")},
                                   QFontDatabase::FixedFont);
    return font;
}

} // namespace chart
