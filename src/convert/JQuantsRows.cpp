#include "convert/JQuantsRows.h"

#include "base/Helpers.h"
#include "import/ImportPaths.h"

#include <QJsonObject>
#include <QJsonValue>

#include <algorithm>
#include <cmath>
#include <limits>

namespace convert::jquants {

namespace {

std::optional<double> numberIn(const QJsonObject &row, QLatin1String field)
{
    const QJsonValue v = row.value(field);
    if (v.isDouble())
        return v.toDouble();
    if (v.isString()) { // some fields come as text
        bool ok = false;
        const double d = v.toString().toDouble(&ok);
        if (ok)
            return d;
    }
    return std::nullopt;
}

std::optional<Currency> currencyIn(const QJsonObject &row, QLatin1String field)
{
    const std::optional<double> d = numberIn(row, field);
    if (!d || !Currency::fits(*d))
        return std::nullopt;
    return Currency::fromDouble(*d);
}

} // namespace

std::optional<int> positionOfSegment(const QString &segmentCode)
{
    static const std::map<QString, int> positions = {
        {QStringLiteral("0111"), 0}, // プライム
        {QStringLiteral("0112"), 1}, // スタンダード
        {QStringLiteral("0113"), 5}, // グロース
        {QStringLiteral("0101"), 0}, // 東証一部 (before April 2022)
        {QStringLiteral("0102"), 1}, // 東証二部
        {QStringLiteral("0104"), 5}, // マザーズ
        {QStringLiteral("0106"), 5}, // JASDAQ スタンダード
        {QStringLiteral("0107"), 5}, // JASDAQ グロース
    };
    const auto it = positions.find(segmentCode.trimmed());
    if (it == positions.end())
        return std::nullopt;
    return it->second;
}

int issueCodeOf(const QString &serviceCode)
{
    const QString t = serviceCode.trimmed();
    if ((t.size() != 4 && t.size() != 5) || (t.size() == 5 && t.at(4) != QLatin1Char('0')))
        return 0;
    for (qsizetype i = 0; i < 4; ++i) {
        if (t.at(i) < QLatin1Char('0') || t.at(i) > QLatin1Char('9'))
            return 0;
    }
    return t.left(4).toInt();
}

std::optional<ShareRatio> shareRatioOf(double factor)
{
    if (!(factor > 0) || !std::isfinite(factor))
        return std::nullopt;
    // The service writes a 1:3 split as 0.333333: the simplest ratio within a hundred-thousandth of
    // the factor is the one meant. Ratios up to 100 lie further apart than that.
    constexpr qint32 Largest = 100;
    for (qint32 after = 1; after <= Largest; ++after) {
        const double before = std::round(factor * after);
        if (before >= 1 && before <= Largest && std::abs(before / after - factor) <= factor * 1e-5)
            return ShareRatio{qint32(before), after};
    }
    return std::nullopt;
}

QString dayText(const QDate &date)
{
    return date.toString(Qt::ISODate);
}

namespace {

// A row's code as the program's; 0, with the service's code added to skipped, for a code of no issue.
// serviceCode: the service's code as messages show it, cut whatever the answer holds.
int codeOfRow(const QJsonObject &row, QString *serviceCode, QSet<QString> &skipped)
{
    *serviceCode = echoedText(row.value(QLatin1String("Code")).toString().trimmed());
    const int code = issueCodeOf(*serviceCode);
    if (code == 0)
        skipped.insert(*serviceCode);
    return code;
}

} // namespace

void Listing::add(const QJsonArray &rows, QSet<QString> &skipped)
{
    for (const auto &value : rows) {
        const QJsonObject row = value.toObject();
        QString serviceCode;
        const int code = codeOfRow(row, &serviceCode, skipped);
        if (code == 0)
            continue;
        if (!m_rows.count(code))
            m_rows[code] = {row.value(QLatin1String("CoName")).toString().trimmed(),
                            positionOfSegment(row.value(QLatin1String("Mkt")).toString())};
    }
}

RowReader::Placing RowReader::placeOf(int code, int *position, QString *name) const
{
    if (const Listed *listed = listing.find(code)) {
        if (!listed->position)
            return Placing::NotStored;
        *position = *listed->position;
        *name = listed->name;
        return Placing::Stored;
    }
    if (const IssueInfo *known = m_issues.find(code)) {
        *position = known->position;
        *name = known->name;
        return Placing::Stored;
    }
    return Placing::Unknown;
}

Day RowReader::dayOf(const QDate &date, const QJsonArray &rows)
{
    Day day;
    const QString where = dayText(date);
    for (const auto &value : rows) {
        const QJsonObject row = value.toObject();
        QString serviceCode;
        const int code = codeOfRow(row, &serviceCode, skippedCodes);
        if (code == 0)
            continue;
        if (QDate::fromString(row.value(QLatin1String("Date")).toString(), Qt::ISODate) != date) {
            m_problems.add(where, 0, QStringLiteral("%1 の日付が %2 です").arg(serviceCode, echoedText(row.value(QLatin1String("Date")).toString())));
            continue;
        }
        SourceRow source;
        source.code = code;
        source.date = date;
        const Placing placing = placeOf(code, &source.position, &source.name);
        if (placing == Placing::NotStored) {
            unstored.insert(code);
            continue;
        }
        if (placing == Placing::Unknown) {
            m_problems.add(where, 0, QStringLiteral("%1 は銘柄一覧になく、市場が分かりません").arg(serviceCode));
            continue;
        }
        // The factor counts on a day without trade too.
        const std::optional<double> factor = numberIn(row, QLatin1String("AdjFactor"));
        if (factor && *factor != 1.0) {
            if (const std::optional<ShareRatio> ratio = shareRatioOf(*factor))
                day.factors.push_back({code, *ratio});
            else
                m_problems.add(where, 0, QStringLiteral("%1 の調整係数 %2 を保存できません").arg(serviceCode).arg(*factor));
        }
        const std::optional<Currency> volume = currencyIn(row, QLatin1String("Vo"));
        if (!volume || volume->raw() <= 0)
            continue; // no trade: the service gives no prices and no volume
        const std::optional<Currency> o = currencyIn(row, QLatin1String("O")), h = currencyIn(row, QLatin1String("H")),
                                      l = currencyIn(row, QLatin1String("L")), c = currencyIn(row, QLatin1String("C"));
        if (!o || !h || !l || !c) {
            m_problems.add(where, 0, QStringLiteral("%1: 株価を読めません").arg(serviceCode));
            continue;
        }
        const QString problem = tradedPricesProblem(*o, *h, *l, *c);
        if (!problem.isEmpty()) {
            m_problems.add(where, 0, QStringLiteral("%1: %2").arg(serviceCode, problem));
            continue;
        }
        source.open = *o;
        source.high = *h;
        source.low = *l;
        source.close = *c;
        source.shares = *volume;
        if (std::optional<importer::DailyFileRecord> record = dailyRecordOf(source, m_issues)) {
            day.records.push_back(std::move(*record));
            ++day.traded;
        }
    }
    const auto byCode = [](const auto &a, const auto &b) { return a.code < b.code; };
    const auto sameCode = [](const auto &a, const auto &b) { return a.code == b.code; };
    std::stable_sort(day.records.begin(), day.records.end(), byCode);
    day.records.erase(std::unique(day.records.begin(), day.records.end(), sameCode), day.records.end());
    std::stable_sort(day.factors.begin(), day.factors.end(), byCode);
    day.factors.erase(std::unique(day.factors.begin(), day.factors.end(), sameCode), day.factors.end());
    return day;
}

std::vector<importer::MarginFileRecord> RowReader::marginsOf(const QDate &week, const QJsonArray &rows)
{
    std::vector<importer::MarginFileRecord> records;
    const QString where = importer::marginFileName(week);
    for (const auto &value : rows) {
        const QJsonObject row = value.toObject();
        QString serviceCode;
        const int code = codeOfRow(row, &serviceCode, skippedCodes);
        if (code == 0)
            continue;
        int position = 0;
        QString name;
        const Placing placing = placeOf(code, &position, &name);
        if (placing == Placing::NotStored)
            unstored.insert(code);
        if (placing != Placing::Stored)
            continue;
        const std::optional<double> sell = numberIn(row, QLatin1String("ShrtVol"));
        const std::optional<double> buy = numberIn(row, QLatin1String("LongVol"));
        const auto fits = [](double v) { return v >= 0 && v <= std::numeric_limits<qint32>::max() && v == std::floor(v); };
        if (!sell || !buy || !fits(*sell) || !fits(*buy)) {
            m_problems.add(where, 0, QStringLiteral("%1: 信用残を読めません").arg(serviceCode));
            continue;
        }
        // Balances in shares: the unit is 1, so the weekly rows get the shares as they are.
        records.push_back({code, qint32(*sell), qint32(*buy), 1});
    }
    const auto byCode = [](const auto &a, const auto &b) { return a.code < b.code; };
    std::stable_sort(records.begin(), records.end(), byCode);
    records.erase(std::unique(records.begin(), records.end(), [](const auto &a, const auto &b) { return a.code == b.code; }),
                  records.end());
    return records;
}

} // namespace convert::jquants
