#include "base/Helpers.h"

#include "base/Currency.h"
#include "base/MainModule.h"
#include "base/Ports.h"

#include <QCoreApplication>

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

// A value the program has always treated as numeric: a number, a Boolean, or a text holding a
// decimal number (blanks around allowed).
bool numericValue(const QVariant &value, double *out)
{
    if (!value.isValid() || value.isNull())
        return false;
    if (value.metaType() == QMetaType::fromType<Currency>()) {
        *out = value.value<Currency>().toDouble();
        return true;
    }
    switch (value.metaType().id()) {
    case QMetaType::Bool:
        *out = value.toBool() ? -1.0 : 0.0;
        return true;
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Long:
    case QMetaType::ULong:
    case QMetaType::Double:
    case QMetaType::Float:
        *out = value.toDouble();
        return std::isfinite(*out);
    case QMetaType::QString:
    case QMetaType::QByteArray: {
        bool ok = false;
        const double v = value.toString().trimmed().toDouble(&ok);
        if (!ok || !std::isfinite(v))
            return false;
        *out = v;
        return true;
    }
    default:
        return false;
    }
}

bool isTextKind(const QVariant &kind)
{
    return kind.metaType().id() == QMetaType::QString && kind.toString().isEmpty();
}

bool isZeroNumberKind(const QVariant &kind)
{
    double v = 1;
    return kind.metaType().id() != QMetaType::QString && numericValue(kind, &v) && v == 0.0;
}

} // namespace

QVariant SafeValue(const QVariant &value, const QVariant &kind)
{
    if (isZeroNumberKind(kind))
        return QVariant(SafeLong(value));
    if (isTextKind(kind))
        return (value.isNull() || !value.isValid() || value.toString().isEmpty()) ? QVariant(QString()) : value;
    return QVariant();
}

qint32 SafeLong(const QVariant &value)
{
    double v = 0;
    if (!numericValue(value, &v))
        return 0;
    v = Rounding::nearest(v);
    if (v < double(std::numeric_limits<qint32>::min()) || v > double(std::numeric_limits<qint32>::max()))
        return 0;
    return qint32(v);
}

QString SafeText(const QVariant &value)
{
    if (!value.isValid() || value.isNull())
        return QString();
    if (value.metaType() == QMetaType::fromType<Currency>())
        return value.value<Currency>().toString();
    return value.toString();
}

QString PriceTableOf(int mode)
{
    switch (mode) {
    case 1:
        return QStringLiteral("daydata");
    case 2:
        return QStringLiteral("weekdata");
    default:
        return QString();
    }
}

QString ToggleDayWeek()
{
    QString caption;
    if (MainModule::PeriodMode == 1) {
        MainModule::PeriodMode = 2;
        caption = QStringLiteral("日チャートを表示");
    } else if (MainModule::PeriodMode == 2) {
        MainModule::PeriodMode = 1;
        caption = QStringLiteral("週チャートを表示");
    }
    MainModule::PriceTableName = PriceTableOf(MainModule::PeriodMode);
    return caption;
}

QString PeriodCaptionText(const QString &caption, int mode)
{
    QString suffix;
    if (mode == 1)
        suffix = QStringLiteral("(日)");
    else if (mode == 2)
        suffix = QStringLiteral("(週)");
    else
        return caption;
    if (!caption.endsWith(QLatin1Char(')')))
        return caption + suffix;
    return caption.left(std::max<qsizetype>(0, caption.size() - 3)) + suffix;
}

QString PeriodButtonText(int mode)
{
    if (mode == 1)
        return QStringLiteral("週　足　チャートへ");
    if (mode == 2)
        return QStringLiteral("日　足　チャートへ");
    return QString();
}

void cShellFile::ShellFile(const QString &pathOrAddress)
{
    if (pathOrAddress.isEmpty())
        return;
    (void)m_shell.open(pathOrAddress);
}

void OpenWebPage(Shell &shell, const QString &address)
{
    cShellFile(shell).ShellFile(QStringLiteral("http://") + address);
    if (QCoreApplication::instance())
        QCoreApplication::processEvents();
}

std::int16_t MarketCodeOfIndex(int position)
{
    static constexpr std::int16_t codes[] = {1, 2, 4, 5, 6, 3};
    if (position < 0 || position > 5)
        return 0;
    return codes[position];
}

int MarketIndexOfCode(int marketCode)
{
    for (int position = 0; position <= 5; ++position) {
        if (MarketCodeOfIndex(position) == marketCode)
            return position;
    }
    return -1;
}

QString echoedText(QStringView field)
{
    constexpr int Length = 40;
    if (field.size() <= Length)
        return field.toString();
    return field.left(Length).toString() + QStringLiteral("…");
}
