#include "import/WeeklyBuilder.h"

#include "base/Currency.h"
#include "base/DateUtil.h"
#include "base/MainModule.h"
#include "db/Database.h"
#include "import/ImportRun.h"
#include "import/PriceRecords.h"

#include <algorithm>
#include <limits>
#include <optional>
#include <utility>

namespace importer {

namespace {

struct DailyRow
{
    qint64 code = 0;
    QDate date;
    qint64 open = 0;
    qint64 high = 0;
    qint64 low = 0;
    qint64 close = 0;
    Currency volume;
};

struct PreviousWeek
{
    QDate date;
    qint64 reference = 0;
};

struct Balances
{
    qint64 sell = 0;
    qint64 buy = 0;
};

// Reads the period's daily rows of all issues in one ordered pass. The date is written +日付 so the
// rows come in primary key order: through the date index they would be sorted in memory first. The rows of one issue come
// together and in date order, exactly as the per-issue query of the period would give them.
class DailyStream
{
public:
    DailyStream(db::Database &database, const QDate &start, const QDate &end)
        : m_rows(database.openRecordset(
            QStringLiteral("select コード, 日付, 始値, 高値, 安値, 終値, 出来高 from daydata where +日付 between ? and ? order by コード, 日付 ;"),
            {start, end}, db::RecordsetType::ForwardOnly))
    {
        read();
    }

    const std::optional<DailyRow> &current() const { return m_current; }
    void next()
    {
        m_rows.moveNext();
        read();
    }

private:
    void read()
    {
        if (m_rows.eof()) {
            m_current.reset();
            return;
        }
        DailyRow r;
        r.code = m_rows.toLong(QStringLiteral("コード"));
        r.date = m_rows.toDate(QStringLiteral("日付"));
        r.open = m_rows.toLong(QStringLiteral("始値"));
        r.high = m_rows.toLong(QStringLiteral("高値"));
        r.low = m_rows.toLong(QStringLiteral("安値"));
        r.close = m_rows.toLong(QStringLiteral("終値"));
        r.volume = m_rows.toCurrency(QStringLiteral("出来高"));
        m_current = r;
    }

    db::Recordset m_rows;
    std::optional<DailyRow> m_current;
};

class WeekWriter
{
public:
    WeekWriter(db::Database &database, const QDate &periodStart, const QDate &periodEnd)
        : m_database(database), m_periodEnd(periodEnd),
          m_week(database.openRecordset(QStringLiteral("weekdata"), db::RecordsetType::Table)),
          // The margin rows of every Friday a week of the period can be dated on, read alongside the
          // weeks in the same code and date order instead of one look-up per week (+日付 as for the
          // daily rows).
          m_margins(database.openRecordset(
              QStringLiteral("select コード, 日付, 売残, 買残, 単位 from ShinYo where +日付 between ? and ? order by コード, 日付 ;"),
              {periodStart, DateUtil::FridayOnOrAfter(periodEnd)}, db::RecordsetType::ForwardOnly))
    {
    }

    void startIssue()
    {
        m_lastWritten.reset();
    }

    void write(qint64 code, const QDate &lastDaily, qint64 open, qint64 high, qint64 low, qint64 close, Currency volume)
    {
        const QDate friday = DateUtil::FridayOnOrAfter(lastDaily);
        PriceRecord row{code, friday, open, high, low, close, 0, volume, 0};
        const std::optional<PreviousWeek> prev = previousWeek(code, friday);
        setChangeFromPrevious(row, prev ? std::optional<qint64>(prev->reference) : std::nullopt, close == 0);
        const Balances margin = marginOn(code, friday);

        m_week.addNew();
        setPriceFields(m_week, row);
        m_week.setValue(QStringLiteral("売残"), margin.sell);
        m_week.setValue(QStringLiteral("買残"), margin.buy);
        m_week.update();
        m_lastWritten = PreviousWeek{friday, row.reference};
    }

private:
    // The issue's balances on the Friday (none when no margin row is stored). Weeks are written in
    // code and date order, so the margin rows are passed once.
    Balances marginOn(qint64 code, const QDate &friday)
    {
        auto before = [&] {
            const qint64 c = m_margins.toLong(QStringLiteral("コード"));
            return c < code || (c == code && m_margins.toDate(QStringLiteral("日付")) < friday);
        };
        while (!m_margins.eof() && before())
            m_margins.moveNext();
        if (m_margins.eof() || m_margins.toLong(QStringLiteral("コード")) != code || m_margins.toDate(QStringLiteral("日付")) != friday)
            return {};
        const qint64 unit = m_margins.toLong(QStringLiteral("単位"));
        return {weeklyBalance(m_margins.toLong(QStringLiteral("売残")), unit), weeklyBalance(m_margins.toLong(QStringLiteral("買残")), unit)};
    }

    // A balance in shares as weekdata's 32-bit column holds it: a product beyond that range is
    // kept at the nearest value the column can hold rather than ending the build.
    static qint64 weeklyBalance(qint64 balance, qint64 unit)
    {
        constexpr qint64 lo = std::numeric_limits<qint32>::min();
        constexpr qint64 hi = std::numeric_limits<qint32>::max();
        qint64 product = 0;
        if (__builtin_mul_overflow(balance, unit, &product))
            return (balance < 0) != (unit < 0) ? lo : hi;
        return std::clamp(product, lo, hi);
    }

    // The issue's latest weekly row before the date. The week written last for this issue is that
    // row whenever it lies before the date and the date lies inside the period: the period's old
    // rows were deleted, so no stored row can fall between. Otherwise the table is asked.
    std::optional<PreviousWeek> previousWeek(qint64 code, const QDate &date)
    {
        if (m_lastWritten && m_lastWritten->date < date && date <= m_periodEnd)
            return m_lastWritten;
        db::Recordset rs = m_database.openRecordset(
            QStringLiteral("SELECT TOP 1 終値, 日付, 基準前日比 FROM weekdata WHERE コード=? And 日付<? ORDER BY 日付 DESC;"), {code, date});
        if (rs.eof())
            return std::nullopt;
        return PreviousWeek{rs.toDate(QStringLiteral("日付")), rs.toLong(QStringLiteral("基準前日比"))};
    }

    db::Database &m_database;
    QDate m_periodEnd;
    db::Recordset m_week;
    db::Recordset m_margins;
    std::optional<PreviousWeek> m_lastWritten;
};

void buildWeeks(db::Database &database, QDate periodStart, QDate periodEnd, Progress &progress)
{
    // The period is deleted and rebuilt as one: a failure anywhere leaves its previous weekly rows.
    // Opened before the batch, the savepoint is the transaction itself, so the pages it changes are
    // not copied into a statement journal held in memory.
    FileWrites period(database);
    db::WriteBatch batch(database);

    // Issues in code order: the rows written do not depend on the order, and the ordered daily
    // stream below can then be read in one pass.
    const IssueCodes issues = readIssueCodes(database);
    database.execute(QStringLiteral("delete * from weekdata where 日付 between ? and ? ;"), {periodStart, periodEnd});

    WeekWriter writer(database, periodStart, periodEnd);
    PercentLabel percent(progress);
    percent.show(QStringLiteral("0"));
    DailyStream daily(database, periodStart, periodEnd);

    int count = 0;
    for (const qint64 code : issues.codes) {
        ++count;
        percent.update(count, issues.total);
        while (daily.current() && daily.current()->code < code)
            daily.next();
        if (!daily.current() || daily.current()->code != code)
            continue;

        writer.startIssue();
        qint64 open = 0, high = 0, low = 0, close = 0;
        Currency volume;
        QDate lastDaily;
        int previousWeekday = 0;
        bool weekEnded = false;
        bool hasData = false;
        for (; daily.current() && daily.current()->code == code; daily.next()) {
            progress.yield();
            const DailyRow &r = *daily.current();
            const int d = DateUtil::weekdayNumber(r.date);
            if (previousWeekday > d)
                weekEnded = true;
            previousWeekday = d;
            if (weekEnded) {
                writer.write(code, lastDaily, open, high, low, close, volume);
                open = high = low = close = 0;
                volume = Currency();
                weekEnded = false;
            }
            lastDaily = r.date;
            if (open == 0 && r.open != 0)
                open = r.open;
            if (open != 0 && r.close != 0) {
                hasData = true;
                close = r.close;
                if (high == 0 || high < r.high)
                    high = r.high;
                if (low == 0 || (r.low != 0 && low > r.low))
                    low = r.low;
                volume += r.volume;
            }
        }
        if (hasData)
            writer.write(code, lastDaily, open, high, low, close, volume);
    }
    batch.finish();
    period.release();
}

} // namespace

void BuildWeeklyData(QDate periodStart, QDate periodEnd, Progress &progress)
{
    db::Database database(MainModule::DBPath);
    buildWeeks(database, periodStart, periodEnd, progress);
    database.close();
}

} // namespace importer
