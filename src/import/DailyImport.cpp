#include "import/DailyImport.h"

#include "base/DateUtil.h"
#include "base/MainModule.h"
#include "db/Database.h"
#include "db/RowInserter.h"
#include "import/DailyFileReader.h"
#include "import/ImportPaths.h"
#include "import/ImportRun.h"
#include "import/InputProblems.h"
#include "import/InputRecords.h"
#include "import/MarginImport.h"
#include "import/PriceRecords.h"
#include "import/WeeklyBuilder.h"

#include <algorithm>
#include <future>
#include <limits>
#include <optional>
#include <vector>

namespace importer {

namespace {

// The window repaints the phase text before the work behind it starts.
void showPhase(Progress &progress, const QString &text)
{
    progress.setPhase(text);
    progress.yield();
}

constexpr int LookBackDays = 60;
constexpr int NameLength = 20;

// Market code of a market position in the daily files.
int marketCodeOfIndex(qint64 position)
{
    switch (position) {
    case 0: return 1;
    case 1: return 2;
    case 2: return 4;
    case 3: return 5;
    case 4: return 6;
    case 5: return 3;
    default: return 0;
    }
}

struct CachedIssue
{
    qint64 code = 0; // 0: not registered
    qint64 market = 0;
    QString name;
    bool seen = false;
};

struct PreviousDay
{
    bool present = false;
    qint64 reference = 0;
};

// A daily file found in the range, by the date in its name.
struct DailyFile
{
    QDate date;
    QString path;
};

class DailyRun
{
public:
    DailyRun(const DailyImportRequest &request, ImportContext &context, ImportResult &result)
        : m_request(request), m_context(context), m_result(result), m_issues(IssueCodeLimit), m_previous(IssueCodeLimit),
          m_written(IssueCodeLimit)
    {
    }

    // Each file is read and parsed on a second thread while the file before it is stored; every
    // database write stays on this thread. A day is stored whole or not at all: the files before
    // an error stay, the file of the error leaves nothing.
    void run(db::Database &database)
    {
        const FolderFiles folder(m_request.dailyFolder);
        std::vector<DailyFile> files;
        for (QDate d = m_request.start; d.isValid() && d <= m_request.end; d = d.addDays(1))
            if (QString path = folder.find(dailyFileName(d)); !path.isEmpty())
                files.push_back({d, std::move(path)});
        if (files.empty())
            return;
        const QDate lastFileDate = files.back().date;
        const auto readAhead = [&files](size_t i) {
            return std::async(std::launch::async, readDailyFile, files[i].path);
        };

        db::WriteBatch batch(database);
        size_t firstUncommitted = 0;
        ResultMark committed = mark();
        std::future<ParsedDailyFile> ahead = readAhead(0);
        loadIssues(database); // while the first file is read
        for (size_t i = 0; i < files.size(); ++i) {
            const ParsedDailyFile file = ahead.get();
            if (i + 1 < files.size())
                ahead = readAhead(i + 1);
            if (!batch.isOuter()) {
                // Inside another's transaction the file's writes are a savepoint of it.
                FileWrites fileWrites(database);
                storeFile(database, file, lastFileDate);
                fileWrites.release();
                continue;
            }
            try {
                storeFile(database, file, lastFileDate);
            } catch (const db::DbError &) {
                // The rows of the file so far cannot be taken back alone (a savepoint per file
                // would copy every index page the day touches): everything since the last commit
                // is, and the whole files among it are stored again, one commit each.
                batch.rollback();
                restore(committed);
                for (size_t k = firstUncommitted; k < i; ++k) {
                    try {
                        storeFile(database, readDailyFile(files[k].path), lastFileDate);
                        batch.commitNow();
                    } catch (...) {
                        batch.rollback();
                        throw;
                    }
                }
                throw;
            }
            if (batch.commit()) {
                firstUncommitted = i + 1;
                committed = mark();
            }
        }
        batch.finish();
    }

private:
    // What the result says at a commit, to go back to when the writes after it are taken back.
    struct ResultMark
    {
        int skipped = 0;
        qint64 stored = 0;
    };
    ResultMark mark() const { return {m_result.skipped.count(), m_result.storedRecords}; }
    void restore(const ResultMark &m)
    {
        m_result.skipped.keepFirst(m.skipped);
        m_result.storedRecords = m.stored;
        // The caches may hold what was taken back: they are read again from the tables.
        m_issuesLoaded = false;
        for (CachedIssue &c : m_issues)
            c = CachedIssue();
        m_writtenDate = QDate();
    }

    // A file's rows: nothing is written before everything that could end the run has been checked.
    void storeFile(db::Database &database, const ParsedDailyFile &file, const QDate &lastFileDate)
    {
        try {
            importFile(database, file, lastFileDate);
        } catch (...) {
            m_meiAppend.close();
            throw;
        }
    }

    void importFile(db::Database &database, const ParsedDailyFile &file, const QDate &lastFileDate)
    {
        Progress &progress = m_context.progress;
        const QString &fileName = file.fileName;
        // A file that is there but cannot be read ends the run: going on would report "no data".
        if (!file.readable)
            throw InputError(QStringLiteral("%1 を読み込めません（%2）。").arg(fileName, file.why));
        if (!file.header) {
            m_result.skipped.add(fileName, 1, file.why);
            return;
        }
        const DailyHeader &header = *file.header;
        const QDate tradingDate = header.date;
        const int weekday = DateUtil::weekdayNumber(tradingDate);
        const bool weekdayFile = weekday >= 2 && weekday <= 6;

        const bool isNew = m_request.rdel == 1
            || database.scalar(QStringLiteral("select Top 1 日付 from daydata Where 日付=? ;"), {tradingDate}).isNull();
        // A file cut short (or grown) is not the day's prices: when it would be read it ends the
        // run before anything of it is written (the day's stored rows too stay), so that the days
        // after it are not computed against a missing day.
        if (const int found = file.recordLineCount; isNew && weekdayFile && found != header.records)
            throw InputError(QStringLiteral("%1 を読み込みません（%2）。正しいファイルに替えてから、この日付から読み込み直して下さい。")
                                 .arg(fileName, recordCountMismatch(header.records, found)));
        // The rows of the date written by the file below are then all the date's rows.
        if (tradingDate == m_writtenDate)
            m_writtenDate = QDate();

        showPhase(progress, QStringLiteral("前処理中..."));
        const QVariant previousDay = database.scalar(QStringLiteral("SELECT Max(日付) AS MaxDate FROM daydata WHERE 日付 between ? and ? ;"),
                                                     {tradingDate.addDays(-LookBackDays), tradingDate.addDays(-1)});

        showPhase(progress, QStringLiteral("銘柄データ読込み中..."));
        loadIssues(database);

        showPhase(progress, QStringLiteral("前日データ読込み中..."));
        loadPreviousDay(database, previousDay);

        const bool reading = isNew && weekdayFile;
        if (reading && file.error) {
            // A line the run cannot go past: the lines before it are reported as they would have
            // been, and nothing of the file is written.
            for (const ParsedDailyLine &line : file.lines) {
                if (line.kind == LineKind::Skipped)
                    m_result.skipped.add(fileName, line.lineNumber, line.why);
                else if (line.kind == LineKind::Record && !priceRow(line.record, tradingDate))
                    m_result.skipped.add(fileName, line.lineNumber, changeOutOfRange());
            }
            throw InputError(*file.error);
        }
        if (m_request.rdel == 1) {
            showPhase(progress, QStringLiteral("データ削除中..."));
            database.execute(QStringLiteral("delete * from daydata Where 日付=? ;"), {tradingDate});
        }

        showPhase(progress, fileName + QStringLiteral(" 処理中....."));
        if (reading)
            startWrittenDay(tradingDate);
        PercentLabel percent(progress);
        int counted = 0;
        int storedFromFile = 0;
        for (size_t i = 0; reading && i < file.lines.size(); ++i) {
            progress.yield();
            const ParsedDailyLine &line = file.lines[i];
            percent.update(++counted, header.records);
            if (line.kind == LineKind::Skipped)
                m_result.skipped.add(fileName, line.lineNumber, line.why);
            if (line.kind != LineKind::Record)
                continue;
            if (storeRecord(database, line.record, tradingDate, fileName, line.lineNumber))
                ++storedFromFile;
        }
        m_meiAppend.close();
        m_result.storedRecords += storedFromFile;

        // Only a file that was actually imported says which issues are current.
        if (storedFromFile > 0 && tradingDate == lastFileDate) {
            showPhase(progress, QStringLiteral("銘柄処理中..."));
            markIssuesOfLastFile(database);
        }
    }

    static QString changeOutOfRange() { return QStringLiteral("前日比が範囲外です"); }

    // The row a record becomes against the issue's previous day; nothing when its change does not
    // fit the column.
    std::optional<PriceRecord> priceRow(const DailyRecord &r, const QDate &tradingDate) const
    {
        const PreviousDay &prev = m_previous[size_t(r.code)];
        PriceRecord row{r.code, tradingDate, r.open, r.high, r.low, r.close, 0, r.volume, 0};
        setChangeFromPrevious(row, prev.present ? std::optional<qint64>(prev.reference) : std::nullopt, r.volume.isZero());
        if (row.change < std::numeric_limits<qint32>::min() || row.change > std::numeric_limits<qint32>::max())
            return std::nullopt;
        return row;
    }

    bool storeRecord(db::Database &database, const DailyRecord &r, const QDate &tradingDate, const QString &fileName, int lineNumber)
    {
        const std::optional<PriceRecord> row = priceRow(r, tradingDate);
        if (!row) {
            m_result.skipped.add(fileName, lineNumber, changeOutOfRange());
            return false;
        }
        checkIssue(database, r.code, marketCodeOfIndex(r.position), r.name);
        if (!m_dayRows)
            m_dayRows.emplace(database, QStringLiteral("dayData"), priceColumns());
        if (!insertPriceRow(*m_dayRows, *row))
            return false;
        PreviousDay &written = m_written[size_t(r.code)];
        written.present = r.code > 0;
        written.reference = row->reference;
        return true;
    }

    // The issue check. The cache mirrors Mei for the whole run: it is read once and every change
    // made here is written to both, so "no cached row" means the select of the code finds none and
    // the issue is appended directly.
    void checkIssue(db::Database &database, qint64 code, int market, QStringView rawName)
    {
        CachedIssue &c = m_issues[size_t(code)];
        if (c.code != code || c.market != market || c.name != rawName.left(NameLength)) {
            const QString name = fitName(rawName.toString());
            if (c.code != code) {
                if (!m_meiAppend.isOpen())
                    m_meiAppend = database.openRecordset(QStringLiteral("Mei"), db::RecordsetType::Table);
                m_meiAppend.addNew();
                m_meiAppend.setValue(QStringLiteral("コード"), code);
                m_meiAppend.setValue(QStringLiteral("市場コード"), market);
                m_meiAppend.setValue(QStringLiteral("銘柄"), name);
                m_meiAppend.setValue(QStringLiteral("出来高単位"), 1000);
                m_meiAppend.setValue(QStringLiteral("株価単位"), 1);
                m_meiAppend.setValue(QStringLiteral("更新Flg"), false);
                m_meiAppend.update();
            } else {
                db::Recordset rs = database.openRecordset(QStringLiteral("select * from Mei where コード=? ;"), {code});
                if (!rs.eof()) {
                    rs.edit();
                    if (rs.toLong(QStringLiteral("市場コード")) != market)
                        rs.setValue(QStringLiteral("市場コード"), market);
                    if (rs.toText(QStringLiteral("銘柄")) != name)
                        rs.setValue(QStringLiteral("銘柄"), name);
                    rs.update();
                }
            }
            c.code = code;
            c.market = market;
            c.name = name;
        }
        c.seen = true;
    }

    void loadIssues(db::Database &database)
    {
        for (CachedIssue &c : m_issues)
            c.seen = false;
        if (m_issuesLoaded)
            return;
        m_issuesLoaded = true;
        db::Recordset rs = database.openRecordset(QStringLiteral("select コード, 市場コード, 銘柄 from Mei ;"), db::RecordsetType::ForwardOnly);
        for (; !rs.eof(); rs.moveNext()) {
            const qint64 code = rs.toLong(0);
            if (code < 0 || code >= IssueCodeLimit)
                continue;
            CachedIssue &c = m_issues[size_t(code)];
            c.code = code;
            c.market = rs.toLong(1);
            c.name = rs.value(2).toString();
        }
    }

    // Begins remembering the references stored for a date whose rows all come from this file.
    void startWrittenDay(const QDate &date)
    {
        for (PreviousDay &p : m_written)
            p = PreviousDay();
        m_writtenDate = date;
    }

    void loadPreviousDay(db::Database &database, const QVariant &previousDay)
    {
        const QDate date = previousDay.isNull() ? QDate() : previousDay.toDate();
        if (date.isValid() && date == m_writtenDate) {
            // The previous trading day is the file imported just before: its rows are the ones
            // remembered while they were stored.
            m_previous.swap(m_written);
            m_writtenDate = QDate();
            return;
        }
        for (PreviousDay &p : m_previous)
            p = PreviousDay();
        if (!date.isValid())
            return;
        db::Recordset rs = database.openRecordset(QStringLiteral("select コード, 基準前日比 from daydata where 日付=? ;"), {date}, db::RecordsetType::ForwardOnly);
        for (; !rs.eof(); rs.moveNext()) {
            const qint64 code = rs.toLong(QStringLiteral("コード"));
            if (code <= 0 || code >= IssueCodeLimit)
                continue;
            PreviousDay &p = m_previous[size_t(code)];
            p.present = true;
            p.reference = rs.toLong(QStringLiteral("基準前日比"));
        }
    }

    // 更新Flg becomes the seen-in-file flag: True exactly for the issues of the last file.
    void markIssuesOfLastFile(db::Database &database)
    {
        db::Recordset rs = database.openRecordset(QStringLiteral("select コード, 更新Flg from Mei ;"), db::RecordsetType::ForwardOnly);
        for (; !rs.eof(); rs.moveNext()) {
            const qint64 code = rs.toLong(0);
            const bool seen = code >= 0 && code < IssueCodeLimit && m_issues[size_t(code)].seen;
            if (const QVariant flag = rs.value(1); flag.isNull() || flag.toBool() != seen) {
                rs.edit();
                rs.setValue(QStringLiteral("更新Flg"), seen);
                rs.update();
            }
        }
    }

    const DailyImportRequest &m_request;
    ImportContext &m_context;
    ImportResult &m_result;
    std::vector<CachedIssue> m_issues;
    bool m_issuesLoaded = false;
    std::vector<PreviousDay> m_previous;
    std::vector<PreviousDay> m_written; // references stored for m_writtenDate in this run
    QDate m_writtenDate;
    db::Recordset m_meiAppend;
    std::optional<db::RowInserter> m_dayRows;
};

} // namespace

DailyImportRequest DailyImportRequest::fromSettings(QDate start, QDate end, bool readMargin, bool buildWeekly)
{
    DailyImportRequest r;
    r.start = start;
    r.end = end;
    r.dailyFolder = MainModule::hibiPath;
    r.marginFolder = MainModule::sinyoPath;
    r.rdel = MainModule::RDel;
    r.readMargin = readMargin;
    r.buildWeekly = buildWeekly;
    return r;
}

ImportResult ImportDailyFiles(const DailyImportRequest &request, ImportContext &context)
{
    ImportResult result;
    Progress &progress = context.progress;
    progress.setBusy(true);

    if (request.dailyFolder.trimmed().isEmpty()) {
        result.completed = true;
    } else {
        try {
            {
                db::Database database(MainModule::DBPath);
                DailyRun(request, context, result).run(database);
                database.close();
            }
            result.message = result.storedRecords > 0 ? QStringLiteral("読み込み終了")
                                                      : QStringLiteral("株式データーが存在しません｡");
            if (request.readMargin) {
                const QDate from = DateUtil::MondayOnOrBefore(DateUtil::MondayOnOrBefore(request.start).addDays(-1));
                ImportMarginBalances(from, DateUtil::FridayOnOrBefore(request.end), request.marginFolder, progress,
                                     &result.skipped);
            }
            if (request.buildWeekly) {
                showPhase(progress, QStringLiteral("週データー作成中..."));
                BuildWeeklyData(DateUtil::MondayOnOrBefore(request.start), DateUtil::FridayOnOrAfter(request.end), progress);
            }
            result.completed = true;
        } catch (const db::DbError &e) {
            result.errorDescription = e.description();
        } catch (const InputError &e) {
            result.errorDescription = e.description();
        }
        if (!result.completed)
            context.prompt.inform(result.errorDescription, QString(), PromptIcon::Critical);
    }

    progress.setBusy(false);
    result.closeWindow = true;
    result.skipped.showThrough(context.prompt);
    return result;
}

} // namespace importer
