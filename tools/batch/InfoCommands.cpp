// The information and download commands: kinds and rankings from the data server, the
// registration and price files for the import, and the browser's views as CSV.

#include "BatchCommon.h"

#include "base/DateUtil.h"
#include "base/MainModule.h"
#include "db/Database.h"
#include "import/ImportRun.h"
#include "import/Registration.h"
#include "info/InfoBrowser.h"
#include "info/InfoDownload.h"
#include "info/InfoSearch.h"
#include "info/PriceDownload.h"
#include "net/HttpClient.h"

namespace batch {

namespace {

int usage(const QString &line)
{
    err(QStringLiteral("usage: miravel-batch [--folder DIR] ") + line);
    return ExitUsage;
}

// Takes "--name VALUE" out of args; false when the option is there without a value.
bool takeOption(QStringList &args, const QString &name, QString &value)
{
    const qsizetype at = args.indexOf(name);
    if (at < 0)
        return true;
    if (at + 1 >= args.size())
        return false;
    value = args.at(at + 1);
    args.remove(at, 2);
    return true;
}

bool takeFlag(QStringList &args, const QString &name)
{
    return args.removeAll(name) > 0;
}

int runDownload(Context &context, int mode, const QString &first, const QString &last)
{
    if (!openProgramFolder(context))
        return ExitError;
    HttpClient http;
    TerminalPrompt prompt;
    TerminalProgress progress;
    info::DownloadView view{&http, prompt, progress, {}, {}, nullptr};
    info::DownloadRequest request;
    request.mode = mode;
    request.firstText = first;
    request.lastText = last;
    request.today = QDate::currentDate();
    const info::DownloadResult result = info::DownloadInformation(request, view);
    if (result.end != info::DownloadEnd::Finished)
        return ExitError;
    out(result.message);
    return ExitOk;
}

int runDownloadKinds(Context &context, const QStringList &args)
{
    if (!args.isEmpty())
        return usage(QStringLiteral("download-kinds"));
    return runDownload(context, int(info::DownloadMode::Kinds), QString(), QString());
}

int runDownloadInfo(Context &context, const QStringList &args)
{
    if (args.size() != 2)
        return usage(QStringLiteral("download-info FROM TO"));
    const QDate from = parseDateArgument(args.at(0)), to = parseDateArgument(args.at(1));
    // The routine reads the dates as the window's boxes hold them.
    return runDownload(context, int(info::DownloadMode::Rankings),
                       from.isValid() ? DateUtil::formatYYYYMMDD(from) : args.at(0),
                       to.isValid() ? DateUtil::formatYYYYMMDD(to) : args.at(1));
}

int runDownloadRegistration(Context &context, const QStringList &args)
{
    if (!args.isEmpty())
        return usage(QStringLiteral("download-registration"));
    if (!openProgramFolder(context))
        return ExitError;
    HttpClient http;
    const info::FileOutcome outcome = info::DownloadRegistrationFile(http, MainModule::DURL);
    if (!outcome.error.isEmpty()) {
        err(outcome.error);
        return ExitError;
    }
    if (!outcome.stored) {
        err(QStringLiteral("銘柄ﾃﾞｰﾀ ｽｷｯﾌﾟ"));
        out(QStringLiteral("取得するファイルが見つかりません。"));
        return ExitError;
    }
    TerminalPrompt prompt;
    TerminalProgress progress;
    importer::ImportContext ctx{progress, prompt};
    const importer::ImportResult result = importer::ImportRegistration(ctx);
    if (!result.completed)
        return ExitError;
    out(result.message);
    return ExitOk;
}

int runDownloadDaily(Context &context, const QStringList &arguments)
{
    QStringList args = arguments;
    const bool margin = takeFlag(args, QStringLiteral("--margin"));
    if (args.size() != 2)
        return usage(QStringLiteral("download-daily FROM TO [--margin]"));
    const QDate from = parseDateArgument(args.at(0)), to = parseDateArgument(args.at(1));
    if (!from.isValid() || !to.isValid()) {
        out(QStringLiteral("日付を入力して下さい。"));
        return ExitUsage;
    }
    if (to < from) {
        out(QStringLiteral("日付範囲が誤っています。"));
        return ExitUsage;
    }
    if (!openProgramFolder(context))
        return ExitError;
    if (MainModule::hibiPath.trimmed().isEmpty() || (margin && MainModule::sinyoPath.trimmed().isEmpty())) {
        err(margin && !MainModule::hibiPath.trimmed().isEmpty() ? QStringLiteral("信用データーフォルダが登録されていません。")
                                                                : QStringLiteral("日々データーフォルダが登録されていません。"));
        return ExitError;
    }
    HttpClient http;
    TerminalProgress progress;
    info::PriceDownloadView view{http, progress, nullptr};
    const info::PriceDownloadResult result =
        info::DownloadPriceFiles(from, to, margin, MainModule::DURL, MainModule::hibiPath, MainModule::sinyoPath, view);
    if (!result.error.isEmpty()) {
        err(result.error);
        return ExitError;
    }
    err(QStringLiteral("日々データー %1 件、信用データー %2 件を取得しました。").arg(result.dailyStored).arg(result.marginStored));
    out(result.dailyStored > 0 ? QStringLiteral("ダウンロード終了しました。") : QStringLiteral("取得するファイルが見つかりません。"));
    return result.dailyStored > 0 ? ExitOk : ExitError;
}

QString csvValue(const db::Recordset &rs, int field)
{
    const QVariant v = rs.value(field);
    if (!v.isValid() || v.isNull())
        return {};
    if (v.metaType().id() == QMetaType::QDate)
        return v.toDate().toString(QStringLiteral("yyyy/MM/dd"));
    if (v.metaType() == QMetaType::fromType<Currency>())
        return v.value<Currency>().toString();
    return v.toString();
}

// A record source as CSV with its field names as the header.
void printCsv(const QString &source)
{
    db::Database database(MainModule::DBPath);
    db::Recordset rs = database.openRecordset(source);
    QStringList header;
    for (int i = 0; i < rs.fieldCount(); ++i)
        header.append(rs.fieldName(i));
    out(header.join(QLatin1Char(',')));
    for (; !rs.eof(); rs.moveNext()) {
        QStringList row;
        for (int i = 0; i < rs.fieldCount(); ++i)
            row.append(csvValue(rs, i));
        out(row.join(QLatin1Char(',')));
    }
}

int infoShow(QStringList args)
{
    const QString line = QStringLiteral("info show KIND DATE [--days N] [--current] [--max-price P] [--min-volume V]");
    QString days, maxPrice, minVolume;
    const bool current = takeFlag(args, QStringLiteral("--current"));
    if (!takeOption(args, QStringLiteral("--days"), days) || !takeOption(args, QStringLiteral("--max-price"), maxPrice)
        || !takeOption(args, QStringLiteral("--min-volume"), minVolume) || args.size() != 2)
        return usage(line);
    const QString kind = args.at(0);
    const QDate date = parseDateArgument(args.at(1));
    if (!date.isValid()) {
        err(QStringLiteral("日付の入力が誤っています。"));
        return usage(line);
    }
    if (!days.isEmpty() && (!info::IsNumberText(days) || days.toInt() <= 0))
        return usage(line);
    if (!minVolume.isEmpty() && maxPrice.isEmpty())
        return usage(line);
    if (!maxPrice.isEmpty() && !info::IsNumberText(maxPrice)) {
        out(QStringLiteral("金額を入力して下さい。"));
        return ExitUsage;
    }
    const QDate first = days.isEmpty() ? date : info::FirstOfLastDates(MainModule::DBPath, kind, date, days.toInt());
    QString source;
    if (current) {
        info::UpdateCurrentPrices(MainModule::DBPath, kind, first, date);
        source = info::CurrentPriceSource(kind, first, date, !maxPrice.isEmpty(), maxPrice, minVolume);
    } else {
        source = info::RankingSource(kind, first, date);
        if (!maxPrice.isEmpty())
            source = info::NarrowedSource(source, kind, date, maxPrice, minVolume);
    }
    printCsv(source);
    return ExitOk;
}

int infoIssue(QStringList args)
{
    const QString line = QStringLiteral("info issue CODE [--kind KIND] [--by-kind]");
    QString kind;
    const bool byKind = takeFlag(args, QStringLiteral("--by-kind"));
    bool ok = false;
    if (!takeOption(args, QStringLiteral("--kind"), kind) || args.size() != 1)
        return usage(line);
    const qint64 code = args.at(0).toLongLong(&ok);
    if (!ok)
        return usage(line);
    printCsv(info::IssueSearchSource(code, kind, byKind ? info::SearchOrder::ByKind : info::SearchOrder::ByDate));
    return ExitOk;
}

int runInfo(Context &context, const QStringList &arguments)
{
    QStringList args = arguments;
    const QString sub = args.isEmpty() ? QString() : args.takeFirst();
    if (sub != QLatin1String("kinds") && sub != QLatin1String("show") && sub != QLatin1String("issue"))
        return usage(QStringLiteral("info kinds | info show KIND DATE ... | info issue CODE ..."));
    if (!openProgramFolder(context))
        return ExitError;
    try {
        if (sub == QLatin1String("show"))
            return infoShow(args);
        if (sub == QLatin1String("issue"))
            return infoIssue(args);
        if (!args.isEmpty())
            return usage(QStringLiteral("info kinds"));
        printCsv(QStringLiteral("select 種類コード, 種類名, 表示順 from informationClass order by 表示順"));
    } catch (const db::DbError &e) {
        err(e.description());
        return ExitError;
    }
    return ExitOk;
}

} // namespace

std::vector<Command> infoCommands()
{
    return {
        {QStringLiteral("download-kinds"), QStringLiteral("download-kinds"),
         QStringLiteral("株式情報の種類をデーターサーバーから取り込みます"), &runDownloadKinds},
        {QStringLiteral("download-info"), QStringLiteral("download-info FROM TO"),
         QStringLiteral("株式情報（日々と週間のランキング）を取得します"), &runDownloadInfo},
        {QStringLiteral("download-registration"), QStringLiteral("download-registration"),
         QStringLiteral("Regist.Mei を取得して銘柄登録を読み込みます"), &runDownloadRegistration},
        {QStringLiteral("download-daily"), QStringLiteral("download-daily FROM TO [--margin]"),
         QStringLiteral("日々の株価ファイル（--margin 信用残ファイルも）を取得します"), &runDownloadDaily},
        {QStringLiteral("info"), QStringLiteral("info kinds | info show KIND DATE [--days N] [--current] [--max-price P] [--min-volume V] | info issue CODE [--kind KIND] [--by-kind]"),
         QStringLiteral("株式情報の種類、ランキング、銘柄ごとの情報を CSV で表示します"), &runInfo},
    };
}

} // namespace batch
