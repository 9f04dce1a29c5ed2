#pragma once

#include <QString>
#include <QVariant>

#include <compare>
#include <cstdint>

// Fixed-point money: a signed 64-bit count of 1/10000. Additions, subtractions and comparisons are
// exact; conversions from floating point round to the nearest 1/10000, ties to even.
class Currency final
{
public:
    static constexpr std::int64_t Scale = 10000;

    constexpr Currency() = default;
    static constexpr Currency fromRaw(std::int64_t raw)
    {
        Currency c;
        c.m_raw = raw;
        return c;
    }
    static constexpr Currency fromInt(std::int64_t whole) { return fromRaw(whole * Scale); }
    // A value beyond the range saturates (NaN gives 0); fits() tells beforehand.
    static Currency fromDouble(double value);
    static bool fits(double value);
    // Parses a plain decimal text ("12", "-3.5", " 1e3 "); ok is false when it is not a number or
    // does not fit.
    static Currency fromText(const QString &text, bool *ok = nullptr);
    static Currency fromVariant(const QVariant &value, bool *ok = nullptr);

    constexpr std::int64_t raw() const { return m_raw; }
    double toDouble() const { return double(m_raw) / double(Scale); }
    // Plain decimal text with at most four fractional digits and no trailing zeros ("1250", "0.948").
    QString toString() const;
    bool isZero() const { return m_raw == 0; }

    constexpr Currency operator-() const { return fromRaw(-m_raw); }
    constexpr Currency operator+(Currency o) const { return fromRaw(m_raw + o.m_raw); }
    constexpr Currency operator-(Currency o) const { return fromRaw(m_raw - o.m_raw); }
    Currency &operator+=(Currency o)
    {
        m_raw += o.m_raw;
        return *this;
    }
    Currency &operator-=(Currency o)
    {
        m_raw -= o.m_raw;
        return *this;
    }
    // Products and quotients go through double and round back to 1/10000, as the stored figures
    // have always been computed (a change would move rounded results of existing data).
    Currency operator*(Currency o) const { return fromDouble(toDouble() * o.toDouble()); }
    Currency operator/(Currency o) const { return fromDouble(toDouble() / o.toDouble()); }
    constexpr auto operator<=>(const Currency &) const = default;

private:
    std::int64_t m_raw = 0;
};

// Named rounding helpers: never inline casts.
namespace Rounding {
// Nearest integer, ties to even.
double nearest(double x);
// Drops the fraction toward zero.
double Fix(double x);
// Largest integer not above x.
double Int(double x);
} // namespace Rounding

Q_DECLARE_METATYPE(Currency)
