#include "maint/DataDeletion.h"

#include "base/DateUtil.h"
#include "base/Helpers.h"
#include "base/Ports.h"
#include "db/Database.h"
#include "db/DatabaseFile.h"
#include "db/Schema.h"
#include "maint/LongWork.h"

#include <QFileInfo>

#include <functional>

namespace maint {

namespace {

const QString kConfirm = QStringLiteral("確認");
const QString kDeleted = QStringLiteral("削除終了しました。");
const QString kEnterDate = QStringLiteral("日付を入力して下さい。");
const QString kEnterCode = QStringLiteral("銘柄コードを入力して下さい。");

bool weekly(const MaintenanceContext &context)
{
    return context.periodMode == 2;
}

QString priceTable(const MaintenanceContext &context)
{
    return PriceTableOf(context.periodMode);
}

// Runs the statements of one command with the hourglass and a painting window, in one transaction
// committed at its end: a killed program leaves every table as it was before the command. An engine
// error ends the command with its description, and the statements before it stay applied.
bool run(const MaintenanceContext &context, const std::function<void(db::Database &)> &work)
{
    context.progress.setBusy(true);
    bool ok = true;
    try {
        db::Database database(context.dbPath);
        {
            YieldDuringQueries yielding(database, context.progress);
            db::WriteBatch whole(database);
            work(database);
            whole.finish();
        }
        database.close();
    } catch (const db::DbError &e) {
        ok = false;
        context.progress.setBusy(false);
        context.prompt.inform(e.description(), QString(), PromptIcon::Critical);
    }
    context.progress.setBusy(false);
    return ok;
}

bool readDate(const MaintenanceContext &context, const QString &text, QDate *date)
{
    *date = DateUtil::parseDate(text.trimmed(), context.today);
    if (!date->isValid())
        context.prompt.inform(kEnterDate);
    return date->isValid();
}

bool readCode(const MaintenanceContext &context, const QString &text, qint64 *code, const QString &message = kEnterCode)
{
    if (wholeNumber(text, code))
        return true;
    context.prompt.inform(message);
    return false;
}

bool finish(const MaintenanceContext &context, bool ok, const QString &message)
{
    if (ok)
        context.prompt.inform(message);
    return ok;
}

} // namespace

QString deletionModeText(int periodMode)
{
    return periodMode == 1 ? QStringLiteral("日データ削除モード") : QStringLiteral("週データ削除モード");
}

bool DeleteDateRange(const MaintenanceContext &context, const QString &firstDate, const QString &lastDate)
{
    QDate first, last;
    if (!readDate(context, firstDate, &first) || !readDate(context, lastDate, &last))
        return false;
    if (!context.prompt.askYesNo(QStringLiteral("日付範囲の株価ﾃﾞｰﾀｰをすべて削除します　よろしいですか？"), kConfirm))
        return false;
    const QString range = QStringLiteral(" where 日付 between ? and ? ;");
    return finish(context, run(context, [&](db::Database &database) {
                      database.execute(QStringLiteral("delete * from ") + priceTable(context) + range, {first, last});
                      if (weekly(context))
                          database.execute(QStringLiteral("delete * from shinyo") + range, {first, last});
                  }),
                  kDeleted);
}

bool DeleteInformationUpTo(const MaintenanceContext &context, const QString &date)
{
    QDate upTo;
    if (!readDate(context, date, &upTo))
        return false;
    if (!context.prompt.askYesNo(
            DateUtil::formatYYMMDD(upTo) + QStringLiteral(" 日以前の株価ﾃﾞｰﾀｰをすべて削除します　よろしいですか？"), kConfirm))
        return false;
    return finish(context, run(context, [&](db::Database &database) {
                      database.execute(QStringLiteral("delete * from informationData where 日付<=?;"), {upTo});
                  }),
                  kDeleted);
}

bool DeleteIssuePricesUpTo(const MaintenanceContext &context, const QString &code, const QString &date)
{
    qint64 issue = 0;
    QDate upTo;
    if (!readCode(context, code, &issue) || !readDate(context, date, &upTo))
        return false;
    if (!context.prompt.askYesNo(QStringLiteral("銘柄ｺｰﾄﾞ=%1 の株価ﾃﾞｰﾀｰをすべて削除します　よろしいですか？").arg(code.trimmed()),
                                 kConfirm))
        return false;
    const QString condition = QStringLiteral(" where コード=? and 日付<=?;");
    return finish(context, run(context, [&](db::Database &database) {
                      database.execute(QStringLiteral("delete * from ") + priceTable(context) + condition, {issue, upTo});
                      if (weekly(context))
                          database.execute(QStringLiteral("delete * from shinyo") + condition, {issue, upTo});
                  }),
                  kDeleted);
}

bool DeleteIssueAndPrices(const MaintenanceContext &context, const QString &code)
{
    qint64 issue = 0;
    if (!readCode(context, code, &issue))
        return false;
    if (!context.prompt.askYesNo(
            QStringLiteral("銘柄ｺｰﾄﾞ=%1 の及び株価ﾃﾞｰﾀｰをすべて削除します　よろしいですか？").arg(code.trimmed()), kConfirm))
        return false;
    return finish(context, run(context, [&](db::Database &database) {
                      db::DeleteIssueRows(database, QStringLiteral("where コード=? ;"), {issue});
                  }),
                  kDeleted);
}

bool ChangeCodeAndMarket(const MaintenanceContext &context, const QString &oldCode, const QString &oldMarket,
                         const QString &newCode, const QString &newMarket)
{
    qint64 from = 0, to = 0, fromMarket = 0, toMarket = 0;
    if (!readCode(context, oldCode, &from) || !readCode(context, newCode, &to))
        return false;
    const QString enterMarket = QStringLiteral("市場コードを入力して下さい。");
    if (!readCode(context, oldMarket, &fromMarket, enterMarket) || !readCode(context, newMarket, &toMarket, enterMarket))
        return false;
    if (!context.prompt.askYesNo(QStringLiteral("コード　又は　市場　を変更します　よろしいですか？"), kConfirm))
        return false;

    struct Check
    {
        const char16_t *table;
        const char16_t *question;
    };
    static const Check checks[] = {
        {u"daydata", u"日データに変更先のコードがすでに存在しますが　実行しますか？"},
        {u"weekdata", u"週データに変更先のコードがすでに存在します　実行しますか？"},
        {u"informationData", u"株式情報データに変更先のコードがすでに存在します　実行しますか？"},
        {u"board", u"株価ボードＡデータに変更先のコードがすでに存在します　実行しますか？"},
        {u"Mei", u"銘柄データに変更先のコードがすでに存在します　実行しますか？"},
    };
    try {
        db::Database database(context.dbPath);
        for (const Check &check : checks) {
            const QString table = QString::fromUtf16(check.table);
            const bool withMarket = table == QLatin1String("Mei");
            const QVariant found =
                database.scalar(QStringLiteral("select top 1 コード from %1 where コード=?%2 ;").arg(table, withMarket ? QStringLiteral(" and 市場コード=?") : QString()),
                                withMarket ? db::Params{to, toMarket} : db::Params{to});
            if (found.isValid() && !context.prompt.askYesNo(QString::fromUtf16(check.question), kConfirm))
                return false;
        }
    } catch (const db::DbError &e) {
        context.prompt.inform(e.description(), QString(), PromptIcon::Critical);
        return false;
    }
    return finish(context, run(context, [&](db::Database &database) {
                      db::ChangeIssueCode(database, QStringLiteral("set コード=? where コード=?"), {to, from});
                      database.execute(QStringLiteral("Update Mei set コード=?, 市場コード=? where コード=?"), {to, toMarket, from});
                  }),
                  QStringLiteral("変更終了しました。"));
}

bool ClearAllData(const MaintenanceContext &context)
{
    if (!context.prompt.askYesNo(QStringLiteral("株価データー及びその他データーをすべて削除します　よろしいですか？"), kConfirm))
        return false;
    if (!QFileInfo::exists(context.dbPath)) {
        context.prompt.inform(QStringLiteral("株価データーが無い為削除しませんでした。"));
        return false;
    }
    // The new empty database takes the name in one step, with no other program using the file:
    // at every instant the name leads to a whole database, the old one or the new.
    const QString fresh = context.dbPath + QStringLiteral(".cleared");
    try {
        db::ExclusiveHold hold(context.dbPath);
        db::RemoveDatabaseFiles(fresh);
        if (!db::CreateDatabaseFile(fresh, &context.prompt))
            return false;
        db::RenameOver(fresh, context.dbPath);
    } catch (const db::DbError &e) {
        db::RemoveDatabaseFiles(fresh);
        context.prompt.inform(e.description(), QString(), PromptIcon::Critical);
        return false;
    }
    context.prompt.inform(QStringLiteral("株価データーをすべて削除しました。"));
    return true;
}

} // namespace maint
