#include "splits/Adjustments.h"

#include "base/Settings.h"
#include "base/TextFile.h"
#include "db/Database.h"
#include "db/DbError.h"

#include <QFile>
#include <QRegularExpression>

#include <algorithm>
#include <limits>

namespace splits {

namespace {

constexpr qint64 LargestShareCount = 1000000;

using Wide = __int128;

// a / b rounded to the nearest whole number, ties to even (b > 0).
Wide divideNearestEven(Wide a, Wide b)
{
    Wide q = a / b;
    Wide r = a % b;
    if (r < 0) {
        --q;
        r += b;
    }
    const Wide twice = r * 2;
    if (twice > b || (twice == b && q % 2 != 0))
        ++q;
    return q;
}

Wide greatestCommonDivisor(Wide a, Wide b)
{
    while (b != 0) {
        const Wide r = a % b;
        a = b;
        b = r;
    }
    return a;
}

qint64 saturated64(Wide v)
{
    const Wide hi = std::numeric_limits<qint64>::max();
    const Wide lo = std::numeric_limits<qint64>::min();
    return qint64(std::clamp(v, lo, hi));
}

} // namespace

std::optional<Ratio> parseRatio(const QString &text)
{
    static const QRegularExpression pattern(QStringLiteral("^\\s*(\\d{1,7})\\s*[:：/]\\s*(\\d{1,7})\\s*$"));
    const QRegularExpressionMatch m = pattern.match(text);
    if (!m.hasMatch())
        return std::nullopt;
    const qint64 oldShares = m.captured(1).toLongLong();
    const qint64 newShares = m.captured(2).toLongLong();
    if (oldShares < 1 || newShares < 1 || oldShares > LargestShareCount || newShares > LargestShareCount)
        return std::nullopt;
    return Ratio{oldShares, newShares};
}

QString ratioText(const Ratio &ratio)
{
    return QStringLiteral("%1:%2").arg(ratio.oldShares).arg(ratio.newShares);
}

Factor multiply(Factor a, Ratio b)
{
    Wide n = Wide(a.numerator) * b.oldShares;
    Wide d = Wide(a.denominator) * b.newShares;
    const Wide g = greatestCommonDivisor(n, d);
    n /= g;
    d /= g;
    const Wide hi = std::numeric_limits<qint64>::max();
    while (n > hi || d > hi) { // keeps the value, loses exactness only beyond any real history
        n = (n + 1) / 2;
        d = (d + 1) / 2;
    }
    return Factor{qint64(n), qint64(d)};
}

Currency adjustPrice(Currency price, Factor factor)
{
    if (factor.isOne())
        return price;
    const Wide yen = divideNearestEven(Wide(price.raw()) * factor.numerator, Wide(factor.denominator) * Currency::Scale);
    return Currency::fromRaw(saturated64(yen * Currency::Scale));
}

std::int32_t adjustShares(qint64 shares, Factor factor)
{
    const Wide v = factor.isOne() ? Wide(shares) : divideNearestEven(Wide(shares) * factor.denominator, factor.numerator);
    const Wide hi = std::numeric_limits<std::int32_t>::max();
    const Wide lo = std::numeric_limits<std::int32_t>::min();
    return std::int32_t(std::clamp(v, lo, hi));
}

FactorSchedule::FactorSchedule(std::vector<AdjustmentEvent> events)
    : m_events(std::move(events))
{
    std::sort(m_events.begin(), m_events.end(), [](const auto &a, const auto &b) { return a.date < b.date; });
    m_after.assign(m_events.size() + 1, Factor{});
    for (size_t i = m_events.size(); i-- > 0;)
        m_after[i] = multiply(m_after[i + 1], m_events[i].ratio);
}

Factor FactorSchedule::factorOn(const QDate &day) const
{
    if (m_events.empty())
        return Factor{};
    // The first event dated after the day and every one after it.
    const auto it = std::upper_bound(m_events.begin(), m_events.end(), day,
                                     [](const QDate &d, const AdjustmentEvent &e) { return d < e.date; });
    return m_after[size_t(it - m_events.begin())];
}

namespace {

std::vector<AdjustmentEvent> eventsOf(db::Recordset &rs)
{
    std::vector<AdjustmentEvent> events;
    for (; !rs.eof(); rs.moveNext())
        events.push_back({int(rs.toLong(QStringLiteral("コード"))), rs.toDate(QStringLiteral("日付")), {rs.toLong(QStringLiteral("旧株数")), rs.toLong(QStringLiteral("新株数"))}});
    rs.close();
    return events;
}

} // namespace

std::vector<AdjustmentEvent> ReadEvents(db::Database &database, int code)
{
    db::Recordset rs = database.openRecordset(
        QStringLiteral("select コード, 日付, 旧株数, 新株数 from adjustment where コード=? order by 日付;"), {code});
    return eventsOf(rs);
}

std::vector<AdjustmentEvent> ReadAllEvents(db::Database &database)
{
    db::Recordset rs =
        database.openRecordset(QStringLiteral("select コード, 日付, 旧株数, 新株数 from adjustment order by コード, 日付;"), db::Params{});
    return eventsOf(rs);
}

FactorSchedule ReadSchedule(db::Database &database, int code)
{
    std::vector<AdjustmentEvent> events = ReadEvents(database, code);
    // A ratio that the table should never hold (zero or negative) is no event at all.
    std::erase_if(events, [](const AdjustmentEvent &e) { return e.ratio.oldShares < 1 || e.ratio.newShares < 1; });
    return FactorSchedule(std::move(events));
}

void StoreEvent(db::Database &database, const AdjustmentEvent &event)
{
    db::Transaction transaction(database);
    database.execute(QStringLiteral("delete * from adjustment where コード=? and 日付=?;"), {event.code, event.date});
    database.execute(QStringLiteral("insert into adjustment (コード, 日付, 旧株数, 新株数) values (?, ?, ?, ?);"),
                     {event.code, event.date, event.ratio.oldShares, event.ratio.newShares});
    transaction.commit();
}

bool RemoveEvent(db::Database &database, int code, const QDate &date)
{
    return database.execute(QStringLiteral("delete * from adjustment where コード=? and 日付=?;"), {code, date}) > 0;
}

CsvEvents ParseEventsCsv(const QByteArray &bytes)
{
    CsvEvents result;
    const TextFile::DecodedText text = TextFile::decodeLines(bytes);
    for (int i = 0; i < text.lines.size(); ++i) {
        const int lineNumber = i + 1;
        auto skip = [&](const QString &reason) { result.skipped.push_back({lineNumber, reason}); };
        if (text.isUndecodable(i)) {
            skip(QStringLiteral("文字コードが読めません"));
            continue;
        }
        const QString line = text.lines[i].trimmed();
        if (line.isEmpty())
            continue;
        QStringList fields = line.split(QLatin1Char(','));
        for (QString &f : fields) {
            f = f.trimmed();
            if (f.size() >= 2 && f.startsWith(QLatin1Char('"')) && f.endsWith(QLatin1Char('"')))
                f = f.mid(1, f.size() - 2).trimmed();
        }
        bool codeOk = false;
        const int code = fields.value(0).toInt(&codeOk);
        if (!codeOk && result.events.empty() && result.skipped.empty())
            continue; // the header line
        if (fields.size() < 3) {
            skip(QStringLiteral("項目が足りません"));
            continue;
        }
        if (!codeOk || code < 1 || code > 9999) {
            skip(QStringLiteral("コードが1から9999ではありません"));
            continue;
        }
        QDate date = QDate::fromString(fields[1], QStringLiteral("yyyy/M/d"));
        if (!date.isValid())
            date = QDate::fromString(fields[1], QStringLiteral("yyyy-M-d"));
        if (!date.isValid()) {
            skip(QStringLiteral("日付が読めません"));
            continue;
        }
        const std::optional<Ratio> ratio = parseRatio(fields[2]);
        if (!ratio) {
            skip(QStringLiteral("分割比率が読めません"));
            continue;
        }
        if (ratio->oldShares == ratio->newShares) {
            skip(QStringLiteral("分割比率が1:1です"));
            continue;
        }
        result.events.push_back({code, date, *ratio});
    }
    return result;
}

bool ImportEventsCsv(db::Database &database, const QString &path, ImportResult *result, QString *error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("ファイル %1 を読めません。").arg(path);
        return false;
    }
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        *error = QStringLiteral("ファイル %1 を読めません。").arg(path);
        return false;
    }
    CsvEvents parsed = ParseEventsCsv(bytes);
    result->skipped = std::move(parsed.skipped);
    result->stored = 0;
    try {
        db::Transaction transaction(database);
        for (const AdjustmentEvent &event : parsed.events)
            StoreEvent(database, event);
        transaction.commit();
    } catch (const db::DbError &e) {
        *error = QStringLiteral("分割情報を保存できませんでした (何も保存していません): %1").arg(e.description());
        return false;
    }
    result->stored = int(parsed.events.size());
    return true;
}

namespace {

struct DailyClose
{
    QDate date;
    Currency close;
    double volume = 0;
};

// The ratio whose price step the close made, within a tenth of it.
std::optional<Ratio> ratioOfStep(double closeOverPrevious)
{
    for (const qint64 n : {2, 3, 4, 5, 10}) {
        const double nd = double(n);
        if (std::abs(closeOverPrevious * nd - 1.0) <= 0.1)
            return Ratio{1, n};
        if (std::abs(closeOverPrevious / nd - 1.0) <= 0.1)
            return Ratio{n, 1};
    }
    return std::nullopt;
}

double averageVolume(const std::vector<DailyClose> &rows, size_t from, size_t to)
{
    double sum = 0;
    for (size_t i = from; i < to; ++i)
        sum += rows[i].volume;
    return to > from ? sum / double(to - from) : 0.0;
}

constexpr size_t VolumeWindow = 10; // trading days before and from the day
// How much the volume must move with the price step (a 1:2 split doubles the shares traded).
constexpr double VolumeJump = 1.5;

void suggestForIssue(int code, const std::vector<DailyClose> &rows, const std::vector<AdjustmentEvent> &stored,
                     std::vector<Suggestion> &out)
{
    for (size_t i = 1; i < rows.size(); ++i) {
        const Currency previous = rows[i - 1].close;
        const Currency close = rows[i].close;
        if (previous.raw() <= 0 || close.raw() <= 0)
            continue;
        const std::optional<Ratio> ratio = ratioOfStep(double(close.raw()) / double(previous.raw()));
        if (!ratio)
            continue;
        const double before = averageVolume(rows, i >= VolumeWindow ? i - VolumeWindow : 0, i);
        const double after = averageVolume(rows, i, std::min(rows.size(), i + VolumeWindow));
        if (before <= 0 || after <= 0)
            continue;
        const double change = after / before;
        const bool split = ratio->newShares > ratio->oldShares;
        if (split ? change < VolumeJump : change > 1.0 / VolumeJump)
            continue;
        Suggestion s{code, rows[i].date, previous, close, *ratio, change, false};
        s.stored = std::any_of(stored.begin(), stored.end(), [&](const AdjustmentEvent &e) { return e.code == code && e.date == s.date; });
        out.push_back(s);
    }
}

} // namespace

std::vector<Suggestion> SuggestEvents(db::Database &database, int code)
{
    const std::vector<AdjustmentEvent> stored = code == 0 ? ReadAllEvents(database) : ReadEvents(database, code);
    db::Recordset rs = code == 0
        ? database.openRecordset(QStringLiteral("select コード, 日付, 終値, 出来高 from daydata order by コード, 日付;"), db::Params{})
        : database.openRecordset(QStringLiteral("select コード, 日付, 終値, 出来高 from daydata where コード=? order by 日付;"), {code});
    std::vector<Suggestion> out;
    std::vector<DailyClose> rows;
    int current = -1;
    for (; !rs.eof(); rs.moveNext()) {
        const int rowCode = int(rs.toLong(QStringLiteral("コード")));
        if (rowCode != current) {
            if (current >= 0)
                suggestForIssue(current, rows, stored, out);
            rows.clear();
            current = rowCode;
        }
        rows.push_back({rs.toDate(QStringLiteral("日付")), rs.toCurrency(QStringLiteral("終値")),
                        rs.toCurrency(QStringLiteral("出来高")).toDouble()});
    }
    rs.close();
    if (current >= 0)
        suggestForIssue(current, rows, stored, out);
    return out;
}

namespace {
const QString AdjustedChartKey = QStringLiteral("SplitAdjust");
}

bool AdjustedChartSetting()
{
    return Settings::settingsValue(AdjustedChartKey).trimmed() != QLatin1String("0");
}

bool SaveAdjustedChartSetting(bool on, QString *error)
{
    return Settings::writeSettingsValue(AdjustedChartKey, on ? QStringLiteral("1") : QStringLiteral("0"), error);
}

QString eventLine(const AdjustmentEvent &event)
{
    return QStringLiteral("%1 %2 %3").arg(event.code).arg(event.date.toString(QStringLiteral("yyyy/MM/dd")), ratioText(event.ratio));
}

QString skippedLine(const CsvLine &line)
{
    return QStringLiteral("%1 行目: %2").arg(line.lineNumber).arg(line.reason);
}

QString suggestionLine(const Suggestion &s)
{
    return QStringLiteral("%1,%2,%3,%4,%5,%6%7")
        .arg(s.code)
        .arg(s.date.toString(QStringLiteral("yyyy/MM/dd")), ratioText(s.ratio), s.previousClose.toString(), s.close.toString(),
             QString::number(s.volumeChange, 'f', 2), s.stored ? QStringLiteral(",登録済") : QString());
}

} // namespace splits
