#include "info/InfoKinds.h"

#include "base/TextFile.h"

namespace InfoKinds {

const QList<Kind> &shipped()
{
    static const QList<Kind> kinds = {
        {QStringLiteral("d01"), QStringLiteral("値上がり率上位"), 1},
        {QStringLiteral("d02"), QStringLiteral("値下がり率上位"), 2},
        {QStringLiteral("d03"), QStringLiteral("出来高上位"), 3},
        {QStringLiteral("d04"), QStringLiteral("出来高急増"), 4},
        {QStringLiteral("d05"), QStringLiteral("売買代金上位"), 5},
        {QStringLiteral("d06"), QStringLiteral("25日線上方乖離"), 6},
        {QStringLiteral("d07"), QStringLiteral("25日線下方乖離"), 7},
        {QStringLiteral("d08"), QStringLiteral("年初来高値更新"), 8},
        {QStringLiteral("d09"), QStringLiteral("年初来安値更新"), 9},
        {QStringLiteral("w01"), QStringLiteral("週間値上がり率上位"), 10},
        {QStringLiteral("w02"), QStringLiteral("週間値下がり率上位"), 11},
        {QStringLiteral("w03"), QStringLiteral("週間出来高上位"), 12},
    };
    return kinds;
}

QDate listDate()
{
    return QDate(2026, 12, 1);
}

QByteArray kindsFileBytes(const QList<Kind> &kinds, const QDate &date)
{
    QString text = date.toString(QStringLiteral("yyyyMMdd")) + QLatin1Char(',')
        + QString::number(kinds.size()) + QStringLiteral("\r\n");
    for (const Kind &kind : kinds)
        text += kind.code + QLatin1Char(',') + kind.name + QLatin1Char(',') + QString::number(kind.order)
            + QStringLiteral("\r\n");
    return TextFile::encode(text);
}

} // namespace InfoKinds
