#include "publish/PublishResume.h"

#include "base/TextFile.h"
#include "db/Recordset.h"
#include "import/ImportPaths.h"
#include "info/InfoKinds.h"
#include "publish/PublishWriter.h"

#include <QFile>
#include <QRegularExpression>
#include <QSet>

#include <algorithm>
#include <vector>

namespace publish {

namespace {

// The date a published file's name carries: DsYYYYMM.DD and YsYYYYMM.DD, YYYYMMDD.<kind>.
QDate dateOfName(const QString &name)
{
    static const QRegularExpression priceFile(QStringLiteral("^[DY]s(\\d{6})\\.(\\d{2})$"));
    static const QRegularExpression ranking(QStringLiteral("^(\\d{8})\\.[dw]\\d\\d$"));
    if (const auto m = priceFile.match(name); m.hasMatch())
        return QDate::fromString(m.captured(1) + m.captured(2), QStringLiteral("yyyyMMdd"));
    if (const auto m = ranking.match(name); m.hasMatch())
        return QDate::fromString(m.captured(1), QStringLiteral("yyyyMMdd"));
    return {};
}

// A published file is whole when its first line starts with its date and its count (on the line
// countLine: 0 for daily and ranking files, 1 for margin files) is the number of lines after the
// count line, every line ended. A file that an older version's write cut short, or left empty,
// fails; so does one whose name and content disagree. One buffer serves every file read.
class WholeFileCheck final
{
public:
    bool operator()(const QString &path, const QDate &date, int countLine)
    {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            return false;
        const qint64 size = file.size();
        if (size < 10 || size > (qint64(1) << 30))
            return false;
        m_bytes.resize(qsizetype(size));
        if (file.read(m_bytes.data(), size) != size)
            return false;
        const char *bytes = m_bytes.constData();
        const char *const end = bytes + size;
        const QByteArray stamp = date.toString(QStringLiteral("yyyyMMdd")).toLatin1();
        if (!m_bytes.startsWith(stamp) || end[-2] != '\r' || end[-1] != '\n')
            return false;
        const char *at = bytes + stamp.size();
        if (countLine == 0) {
            if (*at != ',')
                return false;
            ++at;
        } else {
            if (*at != '\r')
                return false;
            at += 2;
        }
        qint64 count = 0;
        const char *const digits = at;
        for (; at < end && *at >= '0' && *at <= '9' && at - digits < 9; ++at)
            count = count * 10 + (*at - '0');
        if (at == digits || at == end || *at != ',')
            return false;
        return std::count(bytes, end, '\n') == count + countLine + 1;
    }

private:
    QByteArray m_bytes;
};

// Which of the given days have rows in a table: one query for many days.
QSet<QDate> datesWithRows(db::Database &database, const QString &table, const std::vector<QDate> &days)
{
    QSet<QDate> found;
    const QString query = QStringLiteral("select distinct 日付 from %1 where 日付 in %2 ;").arg(table, inListMarks());
    for (size_t first = 0; first < days.size(); first += InListSize) {
        db::Recordset rs = database.openRecordset(query, inListValues(days, first), db::RecordsetType::ForwardOnly);
        for (; !rs.eof(); rs.moveNext())
            found.insert(rs.toDate(QStringLiteral("日付")));
    }
    return found;
}

// The names in a folder of the tree, after removing the temporary files that a killed run left.
QSet<QString> publishedNames(const QDir &folder)
{
    QSet<QString> names;
    for (const QString &name : folder.entryList(QDir::Files | QDir::Hidden, QDir::Unsorted)) {
        if (TextFile::isTemporaryFileName(name))
            QFile::remove(folder.filePath(name));
        else
            names.insert(name);
    }
    return names;
}

QStringList rankedKinds(QChar letter)
{
    QStringList kinds;
    for (const InfoKinds::Kind &kind : InfoKinds::shipped()) {
        if (kind.code.startsWith(letter) && isRankedKind(kind.code))
            kinds.append(kind.code);
    }
    return kinds;
}

} // namespace

QDate checkedThrough(const QDir &root)
{
    QFile file(root.filePath(CheckedThroughFile));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QDate::fromString(QString::fromLatin1(file.read(8)), QStringLiteral("yyyyMMdd"));
}

// See PublishRequest::from. A day should have its daily file and daily rankings when it has rows,
// daily rankings (without rows) on any other weekday up to the last stored day, weekly rankings on
// a weekly date and on every Friday up to the last stored day, and a margin file on a margin date:
// what writeDays, writeWeeks, writeClosedDays and writeMargins write for it. A file present says
// its day has such rows; the database is asked only about the days without the file. The files of
// the days after `checked` are read to see that they are whole.
QDate resumeDay(db::Database &database, const QDir &root, const QDate &firstStored, const QDate &lastStored, const QDate &to,
                const QDate &checked)
{
    for (const char *folder : {"kabumei", ".previous"})
        (void)publishedNames(QDir(root.filePath(QLatin1String(folder))));
    const QDir kabudata(root.filePath(QStringLiteral("kabudata")));
    const QDir jyhodata(root.filePath(QStringLiteral("jyhodata")));
    const QSet<QString> prices = publishedNames(kabudata);
    const QSet<QString> rankings = publishedNames(jyhodata);
    QDate earliest;
    for (const QSet<QString> *names : {&prices, &rankings}) {
        for (const QString &name : *names) {
            const QDate d = dateOfName(name);
            if (d.isValid() && (!earliest.isValid() || d < earliest))
                earliest = d;
        }
    }
    if (!earliest.isValid() || !firstStored.isValid())
        return firstStored;
    const QDate start = std::max(earliest, firstStored);
    if (!to.isValid() || start > to)
        return start;

    const QStringList dailyKinds = rankedKinds(QLatin1Char('d')), weeklyKinds = rankedKinds(QLatin1Char('w'));
    struct Day
    {
        QDate date;
        QString stamp, daily, margin;
    };
    std::vector<Day> range;
    for (QDate day = start; day <= to; day = day.addDays(1))
        range.push_back({day, day.toString(QStringLiteral("yyyyMMdd")), importer::dailyFileName(day), importer::marginFileName(day)});
    const auto anyRanking = [&](const Day &day, const QStringList &kinds) {
        return std::any_of(kinds.begin(), kinds.end(),
                           [&](const QString &k) { return rankings.contains(day.stamp + QLatin1Char('.') + k); });
    };
    const auto fridayUpToLast = [&](const QDate &day) { return day.dayOfWeek() == Qt::Friday && day <= lastStored; };
    std::vector<QDate> askDaily, askWeekly, askMargin;
    for (const Day &day : range) {
        if (!prices.contains(day.daily))
            askDaily.push_back(day.date);
        if (!fridayUpToLast(day.date) && !anyRanking(day, weeklyKinds))
            askWeekly.push_back(day.date);
        if (!prices.contains(day.margin))
            askMargin.push_back(day.date);
    }
    const QSet<QDate> trading = datesWithRows(database, QStringLiteral("daydata"), askDaily);
    const QSet<QDate> weekly = datesWithRows(database, QStringLiteral("weekdata"), askWeekly);
    const QSet<QDate> margin = datesWithRows(database, QStringLiteral("ShinYo"), askMargin);

    WholeFileCheck readsWhole;
    // Present, and whole: by its content after the checked days.
    const auto isWhole = [&](const QSet<QString> &names, const QDir &folder, const QString &name, const QDate &day, int countLine) {
        return names.contains(name) && ((checked.isValid() && day <= checked) || readsWhole(folder.filePath(name), day, countLine));
    };
    const auto rankingsWhole = [&](const Day &day, const QStringList &kinds) {
        return std::all_of(kinds.begin(), kinds.end(),
                           [&](const QString &k) { return isWhole(rankings, jyhodata, day.stamp + QLatin1Char('.') + k, day.date, 0); });
    };
    for (const Day &day : range) {
        const bool hasRows = prices.contains(day.daily) || trading.contains(day.date);
        if (hasRows && !isWhole(prices, kabudata, day.daily, day.date, 0))
            return day.date;
        if ((hasRows || (day.date.dayOfWeek() <= Qt::Friday && day.date <= lastStored)) && !rankingsWhole(day, dailyKinds))
            return day.date;
        if ((fridayUpToLast(day.date) || anyRanking(day, weeklyKinds) || weekly.contains(day.date)) && !rankingsWhole(day, weeklyKinds))
            return day.date;
        if ((prices.contains(day.margin) || margin.contains(day.date)) && !isWhole(prices, kabudata, day.margin, day.date, 1))
            return day.date;
    }
    return to.addDays(1);
}

} // namespace publish
