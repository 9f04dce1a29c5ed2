#include "publish/Publisher.h"

#include "base/TextFile.h"
#include "db/Database.h"
#include "db/DbError.h"
#include "publish/PublishResume.h"
#include "publish/PublishWriter.h"

#include <algorithm>

namespace publish {

namespace {

// The four characters between the record count and the comment, which readers skip.
const QString HeaderFiller = QStringLiteral("0000");

// Most pages are read once: a small page cache is recycled, where the usual large one takes fresh
// memory for every page read, and that costs more than the read. The window of days is read in
// date order across every issue, tens of thousands of small pages: mapping the file reads them
// without a call each. (The chart, which reads one issue here and there, is faster without.) The
// connection goes back to the pool with the cache and mapping it came with, for the import that
// may follow in the same program.
class ReadingSettings final
{
public:
    explicit ReadingSettings(db::Database &database)
        : m_database(database), m_pages(database.scalarRaw(QStringLiteral("PRAGMA cache_size")).toLongLong()),
          m_mapped(database.scalarRaw(QStringLiteral("PRAGMA mmap_size")).toLongLong())
    {
        m_database.executeRaw(QStringLiteral("PRAGMA cache_size=-2000"));
        m_database.executeRaw(QStringLiteral("PRAGMA mmap_size=%1").arg(MappedBytes));
    }
    ~ReadingSettings()
    {
        try {
            m_database.executeRaw(QStringLiteral("PRAGMA cache_size=%1").arg(m_pages));
            m_database.executeRaw(QStringLiteral("PRAGMA mmap_size=%1").arg(m_mapped));
        } catch (const db::DbError &) {
            // A connection that cannot take a pragma fails the next operation with its own message.
        }
    }
    ReadingSettings(const ReadingSettings &) = delete;
    ReadingSettings &operator=(const ReadingSettings &) = delete;

private:
    static constexpr qint64 MappedBytes = 0x7fff0000; // SQLite's own upper limit on this system
    db::Database &m_database;
    qint64 m_pages;
    qint64 m_mapped;
};

} // namespace

QByteArray rankingFileBytes(const Ranking &ranking)
{
    QString text = ranking.date.toString(QStringLiteral("yyyyMMdd")) + QLatin1Char(',') + QString::number(ranking.rows.size())
        + QLatin1Char(',') + HeaderFiller + ranking.comment + QStringLiteral("\r\n");
    int rank = 0;
    for (const RankingRow &r : ranking.rows) {
        text += QStringLiteral("%1,%2,%3,%4,%5,%6\r\n")
                    .arg(++rank)
                    .arg(r.code)
                    .arg(r.price)
                    .arg(r.thousandShares.toString())
                    .arg(r.change)
                    .arg(r.value);
    }
    return TextFile::encode(text);
}

PublishResult publish(const QString &databasePath, const PublishRequest &request,
                      const std::function<void(const QString &)> &log)
{
    PublishResult failed;
    if (request.outputFolder.isEmpty()) {
        failed.error = QStringLiteral("出力フォルダを指定して下さい。");
        return failed;
    }
    try {
        db::Database database(databasePath);
        const ReadingSettings reading(database);
        Writer writer(database, request.outputFolder, request.stopAfterFiles, log);
        PublishResult &result = writer.result;
        const QVariant first = database.scalar(QStringLiteral("SELECT Min(日付) AS MinDate FROM daydata ;"));
        const QVariant last = database.scalar(QStringLiteral("SELECT Max(日付) AS MaxDate FROM daydata ;"));
        const auto asDate = [](const QVariant &v) {
            return v.typeId() == QMetaType::QDate ? v.toDate() : QDate::fromString(v.toString().left(10), Qt::ISODate);
        };
        result.to = request.to.isValid() ? request.to : asDate(last);
        const QDir root(request.outputFolder);
        const QDate checked = checkedThrough(root);
        result.from = request.from.isValid() ? request.from
                                             : resumeDay(database, root, asDate(first), asDate(last), result.to, checked);
        writer.loadIssues();
        const QDate registrationDate = result.to.isValid() ? result.to : QDate::currentDate();
        bool ok = writer.writeRegistration(registrationDate) && writer.writeKinds();
        // The quote pages are written on a second core while the days are ranked on this one.
        if (ok)
            writer.startQuotePages(registrationDate);
        if (ok && result.from.isValid() && result.to.isValid() && result.from <= result.to) {
            // Days after the last stored one may still come: no empty rankings for them.
            const QDate lastStored = asDate(last);
            ok = writer.writeDays(result.from, result.to) && writer.writeWeeks(result.from, result.to)
                && writer.writeClosedDays(result.from, std::min(result.to, lastStored)) && writer.writeMargins(result.from, result.to);
        }
        ok = writer.finishQuotePages(ok) && ok;
        // Every day up to the end of the range is whole now, unless the run began after days that
        // were not checked.
        const bool continuous = !request.from.isValid() || (checked.isValid() && request.from <= checked.addDays(1));
        if (ok && continuous && result.to.isValid() && (!checked.isValid() || result.to > checked))
            ok = writer.writeCheckedThrough(result.to);
        if (!ok) {
            result.error = writer.error;
            return result;
        }
        result.ok = true;
        return result;
    } catch (const db::DbError &e) {
        failed.error = e.description();
        return failed;
    }
}

} // namespace publish
