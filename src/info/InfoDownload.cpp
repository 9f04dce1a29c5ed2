#include "info/InfoDownload.h"

#include "base/DateUtil.h"
#include "base/MainModule.h"
#include "base/ProgramLocation.h"
#include "base/TextFile.h"
#include "db/Database.h"
#include "import/ImportWindowLogic.h"
#include "import/InputProblems.h"
#include "info/InfoServer.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace info {

namespace {

const QString kFinished = QStringLiteral("ダウンロード終了しました。");
const QString kNothingFound = QStringLiteral("取得するファイルが見つかりません。");
const QString kConfirm = QStringLiteral("確認");

// The texts stored in fields of a fixed size (コメント, 値) are cut to it rather than refused.
constexpr int kShortTextSize = 10;

// A portable copy keeps infodata in the program folder; an installed one in its shared files.
QString shipped(const QString &folder)
{
    const QString beside = QDir(folder).filePath(QStringLiteral("infodata"));
    return QFileInfo::exists(beside) ? beside : ProgramLocation::shippedFile(QStringLiteral("infodata"));
}
QString copied()
{
    return QDir(MainModule::dataFolder()).filePath(QStringLiteral("infodata"));
}

class Download
{
public:
    Download(const DownloadRequest &request, DownloadView &view)
        : m_request(request), m_view(view) { }

    DownloadResult run()
    {
        QDate first, last;
        if (m_request.interactive) {
            if (m_request.mode == int(DownloadMode::Rankings)) {
                first = importer::ParseBoxDate(m_request.firstText, m_request.today);
                last = importer::ParseBoxDate(m_request.lastText, m_request.today);
                if (!first.isValid() || !last.isValid()) {
                    m_view.prompt.inform(QStringLiteral("日付を入力して下さい。"));
                    return {};
                }
                if (last < first) {
                    m_view.prompt.inform(QStringLiteral("日付範囲が誤っています。"));
                    return {};
                }
            }
            if (!m_view.prompt.askYesNo(questionText(), kConfirm))
                return {};
            if (m_view.confirmed)
                m_view.confirmed();
            status(QStringLiteral("情報自動取得..."));
        }
        try {
            if (m_request.mode == int(DownloadMode::Kinds)) {
                downloadKinds();
            } else if (m_request.mode == int(DownloadMode::Rankings)) {
                // Rankings are fetched per kind: a database without kinds gets them first, so that
                // "情報取込" works without "情報の種類取り込み" before it. The outcome is the rankings'.
                if (m_request.interactive && !hasKinds()) {
                    downloadKinds();
                    m_found = false;
                }
                downloadRankings(first, last);
            }
        } catch (const db::DbError &e) {
            m_view.prompt.inform(e.description(), QString(), PromptIcon::Critical);
            m_refused.showThrough(m_view.prompt);
            return {DownloadEnd::Failed, QString(), false};
        } catch (const FormatError &e) {
            m_view.prompt.inform(e.description(), QString(), PromptIcon::Critical);
            m_refused.showThrough(m_view.prompt);
            return {DownloadEnd::Failed, QString(), false};
        }
        m_refused.showThrough(m_view.prompt);
        if (cancelled())
            return {DownloadEnd::Cancelled, QString(), false};
        if (!m_request.interactive)
            QFile::remove(copied());
        return {DownloadEnd::Finished, m_found ? kFinished : kNothingFound, m_found};
    }

private:
    bool cancelled() const { return m_view.cancelled && *m_view.cancelled; }
    void status(const QString &text) { m_view.progress.setPhase(text); }
    void bar(double fraction)
    {
        if (m_view.bar)
            m_view.bar(fraction);
    }

    static bool hasKinds()
    {
        db::Database database(MainModule::DBPath);
        return database.scalar(QStringLiteral("select count(*) from informationClass")).toLongLong() > 0;
    }

    QString questionText() const
    {
        if (m_request.mode != int(DownloadMode::Kinds))
            return QStringLiteral("データーを取得します　よろしいですか？");
        return hasKinds() ? QStringLiteral("種類データーはすでに読込みされています　再読込みを行いますか？")
                          : QStringLiteral("種類データーを取得します　よろしいですか？");
    }

    // The whole body of an address, or nothing (no answer, error status, cancel). An answer that
    // broke off or passed its size limit ends the run with a message naming the address.
    QString fetch(const QString &address, qint64 maxBytes)
    {
        if (!m_view.http || cancelled())
            return {};
        const HttpResult result = m_view.http->fetch(HttpRequest{address, maxBytes, m_request.timeoutMs});
        if (result.broken() && !cancelled())
            throw FormatError(fetchFailureMessage(address, result));
        return result.ok ? TextFile::decode(result.body) : QString();
    }

    void downloadKinds()
    {
        QString body;
        if (m_request.interactive) {
            status(QStringLiteral("情報種類取得中"));
            body = fetch(KindsAddress(MainModule::DURL), KindsFileLimit);
        } else {
            QFile file(copied());
            if (file.open(QIODevice::ReadOnly))
                body = TextFile::decode(file.readAll());
        }
        if (!LeadingDate(body).isValid()) {
            if (m_request.interactive)
                status(QStringLiteral("情報種類取得中 スキップ....."));
            return;
        }
        const KindsFile file = ParseKindsFile(body);
        db::Database database(MainModule::DBPath);
        db::WriteBatch batch(database);
        database.execute(QStringLiteral("delete * from wrkinformationClass ;"));
        {
            db::Recordset work = database.openRecordset(QStringLiteral("wrkinformationClass"));
            for (const InfoKinds::Kind &kind : file.kinds) {
                work.addNew();
                setKind(work, kind);
                work.update();
            }
        }
        if (file.kinds.size() == file.count) {
            for (const InfoKinds::Kind &kind : file.kinds) {
                db::Recordset rs = database.openRecordset(QStringLiteral("select * from informationClass where 種類コード=? ;"), {kind.code});
                if (rs.eof())
                    rs.addNew();
                else
                    rs.edit();
                setKind(rs, kind);
                rs.update();
            }
            m_found = true;
        }
        batch.finish();
    }

    static void setKind(db::Recordset &rs, const InfoKinds::Kind &kind)
    {
        rs.setValue(QStringLiteral("種類コード"), kind.code);
        rs.setValue(QStringLiteral("種類名"), kind.name);
        rs.setValue(QStringLiteral("表示順"), kind.order);
    }

    void downloadRankings(const QDate &first, const QDate &last)
    {
        // One write batch for the run: each file is a safe point, so the files before an error or a
        // stop stay and the file in progress is never half-stored.
        db::Database database(MainModule::DBPath);
        db::WriteBatch batch(database);
        for (const QChar letter : {QLatin1Char('d'), QLatin1Char('w')}) {
            if (!runPass(database, batch, letter, first, last) && cancelled())
                break;
        }
        batch.finish();
        if (cancelled())
            return;
        bar(1.0);
    }

    // One pass; false when an empty answer ended it.
    bool runPass(db::Database &database, db::WriteBatch &batch, QChar letter, const QDate &first, const QDate &last)
    {
        const QString like = QStringLiteral(" WHERE 種類コード Like ? & '*'");
        const db::Params kindsOfPass{QString(letter)};
        for (QDate day = first; day <= last; day = day.addDays(1)) {
            const int weekday = DateUtil::weekdayNumber(day);
            if (letter == QLatin1Char('d') ? (weekday == 1 || weekday == 7) : weekday != 6)
                continue;
            bar(0.0);
            m_view.progress.yield();
            if (cancelled())
                return false;
            QStringList kinds;
            int n = 0;
            {
                const QVariant count = database.scalar(QStringLiteral("SELECT Count(Left([種類コード],1)) AS wCount From wrkinformationClass")
                                                           + like + QStringLiteral(" ;"),
                                                       kindsOfPass);
                if (count.isValid() && !count.isNull())
                    n = int(count.toLongLong());
                db::Recordset rs = database.openRecordset(QStringLiteral("select * from informationClass") + like + QStringLiteral("  order by 表示順 ;"),
                                                          kindsOfPass);
                for (; !rs.eof(); rs.moveNext())
                    kinds.append(rs.toText(QStringLiteral("種類コード")));
            }
            int i = 0;
            for (const QString &kind : kinds) {
                ++i;
                if (n > 0) {
                    const int p = int(Rounding::nearest(double(i) / n * 100.0));
                    if (p % 10 == 0 || p % 10 == 5)
                        bar(std::min(1.0, double(i) / n));
                }
                const QString stamp = day.toString(QStringLiteral("yyyyMMdd"));
                status(stamp + kind);
                const QString body = fetch(RankingAddress(MainModule::DURL, day, kind), RankingFileLimit);
                if (body.isEmpty())
                    return false;
                if (!LeadingDate(body).isValid()) {
                    status(stamp + QStringLiteral(" ｽｷｯﾌﾟ.."));
                    continue;
                }
                storeRanking(database, kind, day, body);
                batch.commit();
            }
        }
        return true;
    }

    // Replaces the rows of one kind and date with the file's records, all or nothing. Records out
    // of range are left out and reported once the run ends.
    void storeRanking(db::Database &database, const QString &kind, const QDate &day, const QString &body)
    {
        const RankingFile file = ParseRankingFile(body, day.toString(QStringLiteral("yyyyMMdd.")) + kind);
        for (const importer::SkippedLine &line : file.refused.lines())
            m_refused.add(line.file, line.line, line.reason);
        database.executeRaw(QStringLiteral("SAVEPOINT ranking_file"));
        try {
            database.execute(QStringLiteral("delete * from informationData where 種類コード =? and 日付 =?;"), {kind, day});
            db::Recordset rs = database.openRecordset(QStringLiteral("informationData"));
            const QString top = kind.left(1);
            const QString comment = file.comment.left(kShortTextSize);
            for (const RankingRecord &r : file.records) {
                rs.addNew();
                rs.setValue(QStringLiteral("種類コード"), kind);
                rs.setValue(QStringLiteral("日付"), file.date);
                rs.setValue(QStringLiteral("順位"), r.rank);
                rs.setValue(QStringLiteral("コード"), r.code);
                rs.setValue(QStringLiteral("株価"), r.price);
                rs.setValue(QStringLiteral("出来高"), QVariant::fromValue(Currency::fromInt(r.volume)));
                rs.setValue(QStringLiteral("前日比"), r.change);
                rs.setValue(QStringLiteral("値"), r.value.left(kShortTextSize));
                rs.setValue(QStringLiteral("コメント"), comment);
                rs.setValue(QStringLiteral("Top種類コード"), top);
                rs.update();
            }
        } catch (const db::DbError &) {
            database.executeRaw(QStringLiteral("ROLLBACK TO ranking_file"));
            database.executeRaw(QStringLiteral("RELEASE ranking_file"));
            throw;
        }
        database.executeRaw(QStringLiteral("RELEASE ranking_file"));
        m_found = true;
    }

    const DownloadRequest &m_request;
    DownloadView &m_view;
    bool m_found = false;
    importer::SkipReport m_refused; // ranking lines left out
};

} // namespace

DownloadResult DownloadInformation(const DownloadRequest &request, DownloadView &view)
{
    Download download(request, view);
    return download.run();
}

ProposedRange ProposeRankingRange(const QString &databasePath, const QDate &today)
{
    db::Database database(databasePath);
    const QVariant max = database.scalar(QStringLiteral("SELECT Max(日付) AS MaxDate FROM informationData ;"));
    const QDate newest = max.toDate();
    if (!max.isValid() || max.isNull() || !newest.isValid())
        return {today, today};
    const int weekday = DateUtil::weekdayNumber(newest);
    const QDate first = weekday == 6 || weekday == 7 ? DateUtil::MondayOnOrAfter(newest) : newest.addDays(1);
    return {first, first > today ? first : today};
}

DownloadResult LoadShippedKinds(Prompt &prompt)
{
    try {
        {
            db::Database database(MainModule::DBPath);
            if (database.scalar(QStringLiteral("select count(*) from informationClass")).toLongLong() > 0)
                return {};
        }
        QFile::remove(copied());
        QFile::copy(shipped(MainModule::ProgramFolder), copied());
    } catch (const db::DbError &e) {
        prompt.inform(e.description(), QString(), PromptIcon::Critical);
        return {DownloadEnd::Failed, QString(), false};
    }
    NullProgress progress;
    DownloadView view{nullptr, prompt, progress, {}, {}, nullptr};
    DownloadRequest request;
    request.mode = int(DownloadMode::Kinds);
    request.interactive = false;
    return DownloadInformation(request, view);
}

} // namespace info
