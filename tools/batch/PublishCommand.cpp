// publish: writes the data server's tree (registration, kinds, rankings, daily and margin files)
// from the program folder's database.

#include "BatchCommon.h"

#include "base/DateUtil.h"
#include "base/MainModule.h"
#include "publish/Publisher.h"

#include <QDir>

namespace batch {

namespace {

int runPublish(Context &context, const QStringList &arguments)
{
    const QString line = QStringLiteral("publish OUTDIR [--from D] [--to D]");
    QStringList args = arguments;
    publish::PublishRequest request;
    while (!args.isEmpty()) {
        const QString a = args.takeFirst();
        if ((a == QLatin1String("--from") || a == QLatin1String("--to")) && !args.isEmpty()) {
            const QDate date = parseDateArgument(args.takeFirst());
            if (!date.isValid()) {
                err(QStringLiteral("日付の入力が誤っています。"));
                return ExitUsage;
            }
            (a == QLatin1String("--from") ? request.from : request.to) = date;
        } else if (!a.startsWith(QLatin1String("--")) && request.outputFolder.isEmpty()) {
            request.outputFolder = QDir(a).absolutePath();
        } else {
            err(QStringLiteral("usage: miravel-batch [--folder DIR] ") + line);
            return ExitUsage;
        }
    }
    if (request.outputFolder.isEmpty()) {
        err(QStringLiteral("usage: miravel-batch [--folder DIR] ") + line);
        return ExitUsage;
    }
    if (request.from.isValid() && request.to.isValid() && request.to < request.from) {
        out(QStringLiteral("日付の範囲が誤っています。"));
        return ExitUsage;
    }
    if (!openProgramFolder(context))
        return ExitError;
    const publish::PublishResult result = publish::publish(MainModule::DBPath, request, err);
    if (!result.ok) {
        err(result.error);
        return ExitError;
    }
    out(QStringLiteral("公開終了: %1 ～ %2 日々 %3、信用 %4、情報 %5 ファイル、株価ページ %6")
            .arg(result.from.isValid() ? DateUtil::formatYYMMDD(result.from) : QString(),
                 result.to.isValid() ? DateUtil::formatYYMMDD(result.to) : QString())
            .arg(result.dailyFiles)
            .arg(result.marginFiles)
            .arg(result.rankingFiles)
            .arg(result.quotePages));
    return ExitOk;
}

} // namespace

std::vector<Command> publishCommands()
{
    return {{QStringLiteral("publish"), QStringLiteral("publish OUTDIR [--from D] [--to D]"),
             QStringLiteral("データサーバーのファイル（銘柄・情報種類・情報・日々・信用・株価ページ）を OUTDIR に書き出す"), runPublish}};
}

} // namespace batch
