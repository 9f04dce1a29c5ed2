#include "base/Currency.h"

#include <QRegularExpression>

#include <cmath>
#include <limits>

namespace Rounding {
double nearest(double x)
{
    return std::nearbyint(x);
} // default FE_TONEAREST: ties to even
double Fix(double x)
{
    return std::trunc(x);
}
double Int(double x)
{
    return std::floor(x);
}
} // namespace Rounding

bool Currency::fits(double value)
{
    const double scaled = Rounding::nearest(value * double(Scale));
    // 2^63 is exactly representable; every double below it converts without overflow.
    return std::isfinite(scaled) && scaled < 9223372036854775808.0 && scaled >= -9223372036854775808.0;
}

Currency Currency::fromDouble(double value)
{
    // Beyond the range the value saturates instead of overflowing the conversion.
    if (!fits(value)) {
        if (std::isnan(value))
            return Currency();
        return fromRaw(value > 0 ? std::numeric_limits<std::int64_t>::max() : std::numeric_limits<std::int64_t>::min());
    }
    return fromRaw(static_cast<std::int64_t>(Rounding::nearest(value * double(Scale))));
}

Currency Currency::fromText(const QString &text, bool *ok)
{
    const QString t = text.trimmed();
    bool good = false;
    // Exact path for plain decimals, so "0.0001" does not pass through binary floating point.
    static const QRegularExpression plain(QStringLiteral("^([+-]?)(\\d*)(?:\\.(\\d*))?$"));
    const auto m = plain.match(t);
    if (m.hasMatch() && (!m.captured(2).isEmpty() || !m.captured(3).isEmpty()) && m.captured(2).size() < 15) {
        const std::int64_t whole = m.captured(2).isEmpty() ? 0 : m.captured(2).toLongLong();
        QString frac = m.captured(3);
        std::int64_t fracRaw = 0;
        if (frac.size() <= 4) {
            fracRaw = (frac + QStringLiteral("0000")).left(4).toLongLong();
            std::int64_t raw = whole * Scale + fracRaw;
            if (ok)
                *ok = true;
            return fromRaw(m.captured(1) == QLatin1String("-") ? -raw : raw);
        }
    }
    const double d = t.toDouble(&good);
    good = good && fits(d);
    if (ok)
        *ok = good;
    return good ? fromDouble(d) : Currency();
}

Currency Currency::fromVariant(const QVariant &value, bool *ok)
{
    if (value.metaType() == QMetaType::fromType<Currency>()) {
        if (ok)
            *ok = true;
        return value.value<Currency>();
    }
    switch (value.typeId()) {
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::UInt:
    case QMetaType::ULongLong:
    case QMetaType::Short:
    case QMetaType::UShort:
        if (ok)
            *ok = true;
        return fromInt(value.toLongLong());
    case QMetaType::Double:
    case QMetaType::Float:
        if (ok)
            *ok = true;
        return fromDouble(value.toDouble());
    default:
        if (value.isNull()) {
            if (ok)
                *ok = false;
            return {};
        }
        return fromText(value.toString(), ok);
    }
}

QString Currency::toString() const
{
    const bool neg = m_raw < 0;
    const std::uint64_t a = neg ? std::uint64_t(-(m_raw + 1)) + 1 : std::uint64_t(m_raw);
    QString s = QString::number(a / Scale);
    std::uint64_t frac = a % Scale;
    if (frac) {
        QString f = QStringLiteral("%1").arg(frac, 4, 10, QLatin1Char('0'));
        while (f.endsWith(QLatin1Char('0')))
            f.chop(1);
        s += QLatin1Char('.') + f;
    }
    return neg ? QLatin1Char('-') + s : s;
}
