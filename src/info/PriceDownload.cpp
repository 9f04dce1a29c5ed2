#include "info/PriceDownload.h"

#include "base/DateUtil.h"
#include "base/MainModule.h"
#include "base/TextFile.h"
#include "import/ImportPaths.h"
#include "import/InputProblems.h"
#include "import/InputRecords.h"
#include "info/InfoServer.h"

#include <QDir>

namespace info {

namespace {

QString firstLine(const QByteArray &body)
{
    qsizetype end = body.indexOf('\n');
    if (end < 0)
        end = body.size();
    return TextFile::decode(body.first(end)).trimmed();
}

struct PriceFileKind
{
    QDate (*dateOf)(const QByteArray &);
    qint64 maxBytes;
    // Why a body that carries its date is still not a whole file; nothing to check when null.
    QString (*problemOf)(const QByteArray &);
};

QString dailyFileProblem(const QByteArray &body)
{
    const QStringList lines = TextFile::decodeLines(body).lines;
    QString why;
    const std::optional<importer::DailyHeader> header =
        lines.isEmpty() ? std::nullopt : importer::parseDailyHeader(lines.first(), &why);
    if (!header)
        return why;
    const int found = importer::dailyRecordLineCount(lines);
    return found == header->records ? QString() : importer::recordCountMismatch(header->records, found);
}

const PriceFileKind DailyFile{&DailyFileDate, DailyFileLimit, &dailyFileProblem};
const PriceFileKind MarginFile{&MarginFileDate, MarginFileLimit, nullptr};

// Fetches one price file and stores it when it carries its date; true when stored. An answer that
// broke off or passed its size limit, and a file that is not whole, set error and store nothing.
bool fetchPriceFile(Http &http, const QString &address, const QDate &date, const PriceFileKind &kind,
                    const QString &path, int timeoutMs, QString &error)
{
    const HttpResult result = http.fetch(HttpRequest{address, kind.maxBytes, timeoutMs});
    if (result.broken()) {
        error = fetchFailureMessage(address, result);
        return false;
    }
    if (!result.ok || kind.dateOf(result.body) != date)
        return false;
    if (kind.problemOf) {
        if (const QString problem = kind.problemOf(result.body); !problem.isEmpty()) {
            error = QStringLiteral("%1 を保存しません（%2）。").arg(address, problem);
            return false;
        }
    }
    return WriteWholeFile(path, result.body, &error);
}

} // namespace

bool WriteWholeFile(const QString &path, const QByteArray &bytes, QString *why)
{
    return TextFile::writeBytes(path, bytes, why);
}

QDate DailyFileDate(const QByteArray &body)
{
    const QString line = firstLine(body);
    const QDate date = LeadingDate(line);
    return line.size() == 8 || (line.size() > 8 && line.at(8) == QLatin1Char(',')) ? date : QDate();
}

QDate MarginFileDate(const QByteArray &body)
{
    const QString line = firstLine(body);
    if (line.size() < 8)
        return {};
    bool y = false, m = false, d = false;
    const int year = line.first(4).toInt(&y);
    const int month = line.sliced(4, 2).toInt(&m);
    const int day = line.last(2).toInt(&d);
    return y && m && d ? QDate(year, month, day) : QDate();
}

FileOutcome DownloadRegistrationFile(Http &http, const QString &durl, int timeoutMs)
{
    FileOutcome outcome;
    const QString address = RegistrationAddress(durl);
    const HttpResult result = http.fetch(HttpRequest{address, RegistrationFileLimit, timeoutMs});
    if (result.broken())
        outcome.error = fetchFailureMessage(address, result);
    if (!result.ok || result.body.isEmpty())
        return outcome;
    const QString text = TextFile::decode(result.body);
    if (!LeadingDate(text).isValid())
        return outcome;
    const QString path = QDir(MainModule::dataFolder()).filePath(QStringLiteral("Regist.Mei"));
    outcome.stored = WriteWholeFile(path, TextFile::encode(text + QStringLiteral("\r\n")), &outcome.error);
    return outcome;
}

PriceDownloadResult DownloadPriceFiles(const QDate &first, const QDate &last, bool margin, const QString &durl,
                                       const QString &hibiFolder, const QString &sinyoFolder, PriceDownloadView &view,
                                       int timeoutMs)
{
    PriceDownloadResult result;
    auto stopped = [&] { return view.cancelled && *view.cancelled; };
    for (QDate day = first; day <= last && result.error.isEmpty(); day = day.addDays(1)) {
        const int weekday = DateUtil::weekdayNumber(day);
        if (weekday == 1 || weekday == 7)
            continue;
        view.progress.setPhase(importer::dailyFileName(day) + QStringLiteral(" 取得中"));
        view.progress.yield();
        if (stopped())
            break;
        if (fetchPriceFile(view.http, DailyFileAddress(durl, day), day, DailyFile,
                           importer::fileIn(hibiFolder, importer::dailyFileName(day)), timeoutMs, result.error))
            ++result.dailyStored;
        if (!margin || !result.error.isEmpty() || stopped())
            continue;
        view.progress.setPhase(importer::marginFileName(day) + QStringLiteral(" 取得中"));
        if (fetchPriceFile(view.http, MarginFileAddress(durl, day), day, MarginFile,
                           importer::fileIn(sinyoFolder, importer::marginFileName(day)), timeoutMs, result.error))
            ++result.marginStored;
    }
    result.cancelled = stopped();
    return result;
}

} // namespace info
