// The split events: import of the user's file, list, add, remove, and the suggestions found in the
// daily rows, as the split window does them.

#include "BatchCommon.h"

#include "base/MainModule.h"
#include "db/Database.h"
#include "db/DbError.h"
#include "splits/Adjustments.h"

#include <QDir>

namespace batch {

namespace {

const QString kUsage = QStringLiteral("splits import FILE | splits list [CODE] | splits add CODE DATE RATIO | "
                                      "splits remove CODE DATE | splits suggest [CODE]");

int usage()
{
    err(QStringLiteral("usage: miravel-batch [--folder DIR] ") + kUsage);
    return ExitUsage;
}

// A code from 1 to 9999; 0 (with a message) otherwise.
int codeArgument(const QString &text)
{
    bool ok = false;
    const int code = text.toInt(&ok);
    if (!ok || code < 1 || code > 9999) {
        err(QStringLiteral("コード '%1' は 1 から 9999 の数字で指定して下さい。").arg(text));
        return 0;
    }
    return code;
}

int importFile(db::Database &database, const QString &path)
{
    splits::ImportResult result;
    QString error;
    const bool ok = splits::ImportEventsCsv(database, path, &result, &error);
    for (const splits::CsvLine &line : result.skipped)
        err(splits::skippedLine(line));
    if (!ok) {
        err(error);
        return ExitError;
    }
    database.close();
    out(QStringLiteral("%1 件の分割情報を保存しました。").arg(result.stored)
        + (result.skipped.empty() ? QString() : QStringLiteral(" (%1 行を読み飛ばしました)").arg(result.skipped.size())));
    return ExitOk;
}

int run(Context &context, const QStringList &args)
{
    if (args.isEmpty())
        return usage();
    const QString &sub = args.first();
    const QStringList rest = args.mid(1);
    if (!openProgramFolder(context))
        return ExitError;
    try {
        db::Database database(MainModule::DBPath);
        if (sub == QLatin1String("import") && rest.size() == 1)
            return importFile(database, QDir::fromNativeSeparators(rest[0]));
        if (sub == QLatin1String("list") && rest.size() <= 1) {
            const int code = rest.isEmpty() ? 0 : codeArgument(rest[0]);
            if (!rest.isEmpty() && code == 0)
                return ExitUsage;
            for (const auto &event : code == 0 ? splits::ReadAllEvents(database) : splits::ReadEvents(database, code))
                out(splits::eventLine(event));
            return ExitOk;
        }
        if ((sub == QLatin1String("add") && rest.size() == 3) || (sub == QLatin1String("remove") && rest.size() == 2)) {
            const int code = codeArgument(rest[0]);
            if (code == 0)
                return ExitUsage;
            const QDate date = parseDateArgument(rest[1]);
            if (!date.isValid()) {
                err(QStringLiteral("日付 '%1' を読めません (YYYY-MM-DD または YY/MM/DD)。").arg(rest[1]));
                return ExitUsage;
            }
            if (sub == QLatin1String("remove")) {
                if (!splits::RemoveEvent(database, code, date)) {
                    err(QStringLiteral("%1 の %2 の分割情報はありません。").arg(code).arg(date.toString(QStringLiteral("yyyy/MM/dd"))));
                    return ExitError;
                }
                database.close();
                out(QStringLiteral("削除しました。"));
                return ExitOk;
            }
            const std::optional<splits::Ratio> ratio = splits::parseRatio(rest[2]);
            if (!ratio || ratio->oldShares == ratio->newShares) {
                err(QStringLiteral("分割比率 '%1' を読めません (1:5 のように旧株数:新株数)。").arg(rest[2]));
                return ExitUsage;
            }
            splits::StoreEvent(database, {code, date, *ratio});
            database.close();
            out(QStringLiteral("保存しました: ") + splits::eventLine({code, date, *ratio}));
            return ExitOk;
        }
        if (sub == QLatin1String("suggest") && rest.size() <= 1) {
            const int code = rest.isEmpty() ? 0 : codeArgument(rest[0]);
            if (!rest.isEmpty() && code == 0)
                return ExitUsage;
            out(QStringLiteral("コード,日付,分割比率,前日終値,終値,出来高倍率"));
            for (const splits::Suggestion &s : splits::SuggestEvents(database, code))
                out(splits::suggestionLine(s));
            return ExitOk;
        }
    } catch (const db::DbError &e) {
        err(e.description());
        return ExitError;
    }
    return usage();
}

} // namespace

std::vector<Command> splitsCommands()
{
    return {Command{QStringLiteral("splits"), kUsage,
                    QStringLiteral("株式分割・併合の情報を読み込み・一覧・追加・削除し、株価から分割らしい日を挙げる"), &run}};
}

} // namespace batch
