#include "chart/Indicators.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace chart {

using Wide = __int128;

Currency currencyFromDouble(double value)
{
    if (std::isnan(value))
        return Currency();
    // 9.2e14 is the largest whole amount the 64-bit count of 1/10000 holds.
    constexpr double limit = 922337203685477.0;
    return Currency::fromDouble(std::clamp(value, -limit, limit));
}

Currency chartTopOf(Currency maxHigh)
{
    return currencyFromDouble(Rounding::Int(maxHigh.toDouble() / 10.0) * 10.0 + 10.0);
}

Currency chartBottomOf(Currency minLow)
{
    return currencyFromDouble(Rounding::Fix(minLow.toDouble() / 10.0) * 10.0);
}

namespace {

Currency fromWide(Wide raw)
{
    const Wide hi = std::numeric_limits<std::int64_t>::max();
    const Wide lo = std::numeric_limits<std::int64_t>::min();
    return Currency::fromRaw(std::int64_t(std::clamp(raw, lo, hi)));
}

double wideToDouble(Wide raw)
{
    return double(raw) / double(Currency::Scale);
}

std::int16_t saturated16(double value)
{
    if (std::isnan(value))
        return 0;
    return std::int16_t(std::clamp(value, -32768.0, 32767.0));
}

enum class Pass
{
    MaShort,
    MaMiddle,
    MaLong,
    Psychological,
    RsiVr
};

struct WindowSums
{
    Wide S = 0; // CloseCarried, raw currency
    int Z = 0; // non-zero CloseCarried values
    int U = 0; // up days
    Wide G = 0, A = 0;
    Wide VU = 0, VS = 0, VD = 0; // volumes as raw currency

    void apply(const ChartRecord &r, int sign)
    {
        S += Wide(r.CloseCarried.raw()) * sign;
        if (!r.CloseCarried.isZero())
            Z += sign;
        const std::int64_t change = r.Change.raw();
        if (change > 0) {
            U += sign;
            G += Wide(change) * sign;
        }
        if (change != 0)
            A += Wide(change < 0 ? -Wide(change) : Wide(change)) * sign;
        const Wide volume = Wide(r.Volume) * Currency::Scale * sign;
        if (change > 0)
            VU += volume;
        else if (change == 0)
            VS += volume;
        else
            VD += volume;
    }
};

struct QuadSums
{
    std::int64_t sx2 = 0;
    std::int64_t sx4 = 0;
    Wide sy = 0, sxy = 0, sx2y = 0;
    Currency y;
};

class PassRunner
{
public:
    PassRunner(ChartSeries &series, QuadSums &quad)
        : m_s(series), m_quad(quad) { }

    void run(Pass pass, int period)
    {
        m_pass = pass;
        m_period = period;
        WindowSums w;
        int p = 1;
        for (; p <= period; ++p) {
            w.apply(rec(p - 1), +1);
            if (p < period) {
                if (pass == Pass::Psychological)
                    rec(p - 1).Psychological = -1;
                else if (pass == Pass::RsiVr)
                    rec(p - 1).Rsi = rec(p - 1).Vr = -1;
            } else {
                compute(w, p, false);
            }
            if (pass == Pass::MaShort)
                visit(p);
        }
        p = period;
        int leaving = 0;
        while (p < m_s.Count) {
            ++p;
            w.apply(rec(leaving), -1);
            ++leaving;
            w.apply(rec(p - 1), +1);
            compute(w, p, true);
            if (pass == Pass::MaShort)
                visit(p);
        }
    }

private:
    ChartRecord &rec(int index) { return m_s.Records[size_t(index)]; }

    Currency &average(ChartRecord &r)
    {
        return m_pass == Pass::MaShort ? r.MaShort : m_pass == Pass::MaMiddle ? r.MaMiddle
                                                                              : r.MaLong;
    }
    Currency &slope(ChartRecord &r)
    {
        return m_pass == Pass::MaShort ? r.SlopeShort : m_pass == Pass::MaMiddle ? r.SlopeMiddle
                                                                                 : r.SlopeLong;
    }
    std::int16_t &deviation(ChartRecord &r)
    {
        return m_pass == Pass::MaShort ? r.DevShort : m_pass == Pass::MaMiddle ? r.DevMiddle
                                                                               : r.DevLong;
    }

    void compute(const WindowSums &w, int p, bool rolling)
    {
        const int k = p - 1;
        ChartRecord &r = rec(k);
        switch (m_pass) {
        case Pass::MaShort:
        case Pass::MaMiddle:
        case Pass::MaLong: {
            if (w.Z == 0)
                return;
            const Currency ma = currencyFromDouble(Rounding::Fix(wideToDouble(w.S) / w.Z + 0.5));
            average(r) = ma;
            if (rolling && p > 2 * m_period)
                slope(r) = fromWide(Wide(ma.raw()) - Wide(average(rec(k - m_period)).raw()));
            deviation(r) = ma.isZero()
                ? std::int16_t(0)
                : saturated16(Rounding::nearest(r.CloseCarried.toDouble() / ma.toDouble() * 1000.0 - 1000.0));
            break;
        }
        case Pass::Psychological:
            r.Psychological = (w.U != 0 && m_period > 0)
                ? saturated16(Rounding::nearest(double(w.U) / double(m_period) * 100.0))
                : std::int16_t(0);
            break;
        case Pass::RsiVr: {
            r.Rsi = w.A != 0 ? saturated16(Rounding::nearest(double(w.G) / double(w.A) * 100.0)) : std::int16_t(0);
            const Wide total = w.VU + w.VS + w.VD;
            if (total != 0) {
                // VS / 2 becomes currency before the addition.
                const Currency halfSame = currencyFromDouble(wideToDouble(w.VS) / 2.0);
                const double up = wideToDouble(w.VU + Wide(halfSame.raw()));
                r.Vr = saturated16(Rounding::nearest(up / wideToDouble(total) * 100.0));
            } else {
                r.Vr = 0;
            }
            break;
        }
        }
    }

    // Extremes and quadratic-curve sums at position p (short-average pass only).
    void visit(int p)
    {
        const ChartRecord &r = rec(p - 1);
        if (r.High > m_s.MaxHigh)
            m_s.MaxHigh = r.High;
        if (!r.Low.isZero() && r.Low < m_s.MinLow)
            m_s.MinLow = r.Low;
        const Currency volume = Currency::fromInt(r.Volume);
        if (volume > m_s.MaxVolume)
            m_s.MaxVolume = volume;
        if (r.MarginSell <= r.MarginBuy) {
            if (Currency::fromInt(r.MarginBuy) > m_s.MaxMargin)
                m_s.MaxMargin = Currency::fromInt(r.MarginBuy);
        } else if (Currency::fromInt(r.MarginSell) > m_s.MaxMargin) {
            m_s.MaxMargin = Currency::fromInt(r.MarginSell);
        }

        const Wide x = p - m_s.CenterIndex;
        // A day without a close carries the last close into the curve.
        if (p == 1 || !r.Close.isZero())
            m_quad.y = r.Close;
        const Wide y = m_quad.y.raw();
        m_quad.sx2 += x * x;
        m_quad.sx4 += x * x * x * x;
        m_quad.sy += y;
        m_quad.sxy += y * x;
        m_quad.sx2y += y * (x * x);
    }

    ChartSeries &m_s;
    QuadSums &m_quad;
    Pass m_pass = Pass::MaShort;
    int m_period = 0;
};

void computeAngles(ChartSeries &s, const IndicatorSettings &st)
{
    const Currency unit = currencyFromDouble((s.ChartTop - s.ChartBottom).toDouble() / 256.0);
    const double pi = 4.0 * std::atan(1.0);
    const int periods[3] = {st.move1, st.move2, st.move3};
    Currency maxAngle[3];
    for (int k = 0; k < s.Count; ++k) {
        ChartRecord &r = s.Records[size_t(k)];
        Currency *slopes[3] = {&r.SlopeShort, &r.SlopeMiddle, &r.SlopeLong};
        for (int a = 0; a < 3; ++a) {
            if (slopes[a]->isZero())
                continue;
            if (unit <= Currency() || periods[a] <= 0) {
                *slopes[a] = Currency(); // no price axis: no angle
                continue;
            }
            const double ratio = slopes[a]->toDouble() / (5.0 * unit.toDouble() * double(periods[a]));
            *slopes[a] = currencyFromDouble(std::atan(ratio) * 180.0 / pi);
            const Currency magnitude = *slopes[a] < Currency() ? -*slopes[a] : *slopes[a];
            if (magnitude > maxAngle[a])
                maxAngle[a] = magnitude;
        }
    }
    const int chosen = st.ITORSO - 1;
    for (int p = 1; p <= s.Count; ++p) {
        ChartRecord &r = s.Records[size_t(p - 1)];
        Currency *slopes[3] = {&r.SlopeShort, &r.SlopeMiddle, &r.SlopeLong};
        for (int a = 0; a < 3; ++a) {
            if (p > 2 * periods[a])
                *slopes[a] += maxAngle[a];
        }
        r.ItoRatio = p > 2 * periods[chosen] ? *slopes[chosen] : Currency();
    }
    s.ItoMaxAngle = maxAngle[chosen];
}

void computeCurve(ChartSeries &s, const QuadSums &q)
{
    const double n = (s.Count % 2 != 0) ? s.Count : s.Count - 1;
    const double sx2 = double(q.sx2);
    const double sx4 = double(q.sx4);
    const double sy = fromWide(q.sy).toDouble();
    const double sxy = fromWide(q.sxy).toDouble();
    const double sx2y = fromWide(q.sx2y).toDouble();
    // The divisions by 100 keep the products in range, as the stored figures always were.
    const double d = ((n / 100.0) * sx4 / 100.0 - (sx2 / 100.0) * sx2 / 100.0) * 100.0;
    s.QuadC = s.QuadB = s.QuadA = Currency();
    if (d > 0)
        s.QuadC = currencyFromDouble(((n / 100.0) * sx2y / 100.0 - (sy / 100.0) * sx2 / 100.0) * 100.0 / d);
    if (q.sx2 > 0)
        s.QuadB = currencyFromDouble(sxy / sx2);
    if (d <= 0)
        return;
    s.QuadA = currencyFromDouble(((sy / 100.0) * sx4 / 100.0 - (sx2 / 100.0) * sx2y / 100.0) * 100.0 / d);
}

} // namespace

void ComputeIndicators(ChartSeries &series, const IndicatorSettings &settings)
{
    const IndicatorSettings st = settings.clamped();
    QuadSums quad;
    PassRunner runner(series, quad);
    runner.run(Pass::MaShort, st.move1);
    series.ChartTop = chartTopOf(series.MaxHigh);
    series.ChartBottom = chartBottomOf(series.MinLow);
    runner.run(Pass::MaMiddle, st.move2);
    runner.run(Pass::MaLong, st.move3);
    runner.run(Pass::Psychological, st.SaicoL);
    runner.run(Pass::RsiVr, st.RSIVR);
    computeAngles(series, st);
    computeCurve(series, quad);
}

} // namespace chart
