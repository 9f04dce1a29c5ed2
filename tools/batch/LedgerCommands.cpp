// The ledger commands: list, add, sell, export and import of the user's trades, as the ledger
// window does them.

#include "BatchCommon.h"

#include "base/MainModule.h"
#include "db/DbError.h"
#include "ledger/Ledger.h"
#include "ledger/TradeImport.h"

namespace batch {

namespace {

const QString kUsage = QStringLiteral(
    "ledger list [--sold|--all] | ledger add CODE DATE PRICE SHARES | ledger sell ID DATE PRICE SHARES | "
    "ledger export | ledger import FILE");

int usage()
{
    err(QStringLiteral("usage: miravel-batch [--folder DIR] ") + kUsage);
    return ExitUsage;
}

bool numbers(const QStringList &texts, std::vector<qint64> &values)
{
    for (const QString &t : texts) {
        bool ok = false;
        values.push_back(t.toLongLong(&ok));
        if (!ok || !ledger::fitsColumn(values.back())) {
            err(QStringLiteral("数値ではありません: %1").arg(t));
            return false;
        }
    }
    return true;
}

int list(const ledger::Context &context, const QStringList &args)
{
    ledger::View view = ledger::View::Unsold;
    if (args.size() > 1)
        return usage();
    if (args.size() == 1) {
        if (args.first() == QLatin1String("--sold"))
            view = ledger::View::Sold;
        else if (args.first() == QLatin1String("--all"))
            view = ledger::View::All;
        else
            return usage();
    }
    ledger::RefreshLots(context);
    const auto lots = ledger::ReadLots(context.dbPath, view);
    for (const QString &line : ledger::CsvLines(lots)) {
        if (!line.isEmpty())
            out(line);
    }
    return ExitOk;
}

int addOrSell(const ledger::Context &context, const QStringList &args, bool sell)
{
    if (args.size() != 4)
        return usage();
    const QDate date = parseDateArgument(args.at(1));
    std::vector<qint64> v;
    if (!date.isValid()) {
        err(QStringLiteral("日付の入力が誤っています。"));
        return ExitUsage;
    }
    if (!numbers({args.at(0), args.at(2), args.at(3)}, v))
        return ExitUsage;
    if (!sell) {
        if (v[0] <= 0 || v[0] > 9999 || v[2] <= 0) {
            err(QStringLiteral("コードは 1 から 9999、株数は 1 以上で入力して下さい。"));
            return ExitUsage;
        }
        out(QString::number(ledger::AddLot(context, v[0], date, v[1], v[2])));
        return ExitOk;
    }
    QString error;
    if (!ledger::SellLot(context, v[0], date, v[1], v[2], &error)) {
        err(error);
        return ExitError;
    }
    return ExitOk;
}

int runLedger(Context &batchContext, const QStringList &arguments)
{
    if (arguments.isEmpty())
        return usage();
    QStringList args = arguments;
    const QString sub = args.takeFirst();
    if (!openProgramFolder(batchContext))
        return ExitError;
    TerminalPrompt prompt;
    const ledger::Context context{MainModule::DBPath, prompt, MainModule::SonPa, QDate::currentDate()};
    try {
        if (sub == QLatin1String("list"))
            return list(context, args);
        if (sub == QLatin1String("add"))
            return addOrSell(context, args, false);
        if (sub == QLatin1String("sell"))
            return addOrSell(context, args, true);
        if (sub == QLatin1String("export")) {
            if (!args.isEmpty())
                return usage();
            QString error;
            if (!ledger::ExportLedger(context.dbPath, ledger::StockCsvPath(), &error)) {
                err(error);
                return ExitError;
            }
            out(ledger::StockCsvPath());
            return ExitOk;
        }
        if (sub == QLatin1String("import")) {
            if (args.size() != 1)
                return usage();
            const ledger::ImportReport report = ledger::ImportTrades(context, args.first());
            if (!report.readable) {
                err(report.skipped.join(QLatin1Char('\n')));
                return ExitError;
            }
            if (!report.stored) {
                err(report.failure);
                return ExitError;
            }
            out(report.summary());
            if (!report.failure.isEmpty()) {
                err(report.failure);
                return ExitError;
            }
            return ExitOk;
        }
    } catch (const db::DbError &e) {
        err(e.description());
        return ExitError;
    }
    return usage();
}

} // namespace

std::vector<Command> ledgerCommands()
{
    return {{QStringLiteral("ledger"), kUsage,
             QStringLiteral("株式売買管理: 一覧 (CSV)、購入、売却、Data/stock.csv 出力、取引履歴の取込"), &runLedger}};
}

} // namespace batch
