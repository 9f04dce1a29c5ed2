#include "maint/DataFiles.h"

#include "base/BusyGuard.h"
#include "base/Helpers.h"
#include "base/MainModule.h"
#include "base/Ports.h"
#include "base/TextFile.h"
#include "db/Database.h"
#include "db/DbError.h"
#include "ui/IssueEntry.h"

#include <QDir>
#include <QFileInfo>

namespace maint {

namespace {

bool leadingNumber(const QString &line, qint64 *code)
{
    bool ok = false;
    const qint64 whole = line.trimmed().toLongLong(&ok);
    if (ok) {
        *code = whole;
        return true;
    }
    const qsizetype comma = line.indexOf(QLatin1Char(','));
    if (comma < 0)
        return false;
    const qint64 first = line.left(comma).trimmed().toLongLong(&ok);
    if (ok)
        *code = first;
    return ok;
}

} // namespace

QString PriceCsvPath(const QString &code)
{
    return MainModule::dataFolder() + QLatin1Char('/') + code + QStringLiteral(".Csv");
}

QStringList PriceCsvLines(const QString &dbPath, const QString &code, const QString &market, const QString &name,
                          int periodMode)
{
    QStringList lines;
    lines.append(QStringList{name, code, market, periodMode == 1 ? QStringLiteral("日足データ") : QStringLiteral("週足データ")}
                     .join(QLatin1Char(',')));
    lines.append(QStringLiteral("日付,出来高,始値,高値,安値,終値"));
    const qint64 issue = code.trimmed().toLongLong();
    db::Database database(dbPath);
    db::Recordset units = database.openRecordset(QStringLiteral("select * from mei where コード=?;"), {issue});
    if (units.eof())
        return lines;
    const qint64 volumeUnit = SafeLong(units.value(QStringLiteral("出来高単位")));
    const qint64 priceUnit = SafeLong(units.value(QStringLiteral("株価単位")));
    units.close();
    db::Recordset rs = database.openRecordset(QStringLiteral("SELECT * FROM %1 where コード=? order by 日付 ;").arg(PriceTableOf(periodMode)), {issue});
    for (; !rs.eof(); rs.moveNext()) {
        QStringList fields{rs.toDate(QStringLiteral("日付")).toString(QStringLiteral("yyyy/MM/dd")),
                           Currency::fromRaw(rs.toCurrency(QStringLiteral("出来高")).raw() * volumeUnit).toString()};
        for (const char16_t *price : {u"始値", u"高値", u"安値", u"終値"})
            fields.append(QString::number(rs.toLong(QString::fromUtf16(price)) * priceUnit));
        lines.append(fields.join(QLatin1Char(',')));
    }
    return lines;
}

bool ExportPriceCsv(const QString &dbPath, const QString &code, const QString &market, const QString &name,
                    int periodMode, QString *error)
{
    return TextFile::writeLines(PriceCsvPath(code), PriceCsvLines(dbPath, code, market, name, periodMode), error);
}

QString priceCsvDoneText(const QString &code)
{
    return QStringLiteral("Data ﾌｫﾙﾀﾞに %1.Csv と言うﾌｧｲﾙ名で出力しました。").arg(code);
}

QString DefaultListName(const QString &folder, const QDate &today)
{
    const QString day = today.toString(QStringLiteral("yyMMdd"));
    QString name;
    for (int n = 0; n < 100; ++n) {
        name = day + (n < 10 ? QStringLiteral("_%1").arg(n) : QString::number(n)) + QStringLiteral(".Lis");
        if (!QFileInfo::exists(QDir(folder).filePath(name)))
            break;
    }
    return name;
}

bool WriteIssueList(const QString &path, const QStringList &entries, QString *error)
{
    if (entries.isEmpty())
        return true;
    QStringList codes;
    for (const QString &entry : entries)
        codes.append(entry.left(4));
    return TextFile::writeLines(path, codes, error);
}

std::vector<qint64> IssueListCodes(const QStringList &lines)
{
    std::vector<qint64> codes;
    qint64 code = 0;
    for (const QString &line : lines) {
        leadingNumber(line, &code);
        codes.push_back(code);
    }
    return codes;
}

QStringList ReadIssueList(const QString &dbPath, const QString &path, bool *ok)
{
    const QStringList lines = TextFile::readLines(path, ok);
    QStringList entries;
    if (!*ok)
        return entries;
    db::Database database(dbPath);
    for (const qint64 code : IssueListCodes(lines)) {
        db::Recordset rs = database.openRecordset(QStringLiteral("select * from mei where コード=? ;"), {code});
        if (!rs.eof())
            entries.append(ui::issueListEntry(code, int(rs.toLong(QStringLiteral("市場コード"))),
                                              SafeText(rs.value(QStringLiteral("銘柄")))));
    }
    return entries;
}

void ExportShownIssueCsv(Prompt &prompt, const QString &code, const QString &market, const QString &name,
                         int periodMode)
{
    if (!prompt.askYesNo(QStringLiteral("株価データをCsv形式で出力します よろしいですか？"), QStringLiteral("確認")))
        return;
    if (market.isEmpty() || name.isEmpty()) {
        prompt.inform(QStringLiteral("銘柄コードを入力して下さい。"));
        return;
    }
    QString error;
    bool ok = false;
    try {
        BusyGuard wait;
        ok = ExportPriceCsv(MainModule::DBPath, code, market, name, periodMode, &error);
    } catch (const db::DbError &e) {
        error = e.description();
    }
    if (ok)
        prompt.inform(priceCsvDoneText(code));
    else
        prompt.inform(error, QString(), PromptIcon::Critical);
}

void WriteIssueListFile(Prompt &prompt, const QStringList &entries, const QDate &today)
{
    const QString folder = MainModule::dataFolder();
    const QString path = prompt.pickSaveFile(QStringLiteral("銘柄リスト(*.Lis)|*.Lis|すべてのﾌｧｲﾙ(*.*)|*.*"), folder,
                                             DefaultListName(folder, today));
    if (path.isEmpty())
        return;
    if (QFileInfo::exists(path)
        && !prompt.askYesNo(QDir::toNativeSeparators(path) + QStringLiteral("のファイルは存在します 上書きしますか？"),
                            QStringLiteral("確認")))
        return;
    QString error;
    if (!WriteIssueList(path, entries, &error))
        prompt.inform(error, QString(), PromptIcon::Critical);
}

bool ReadIssueListFile(Prompt &prompt, QStringList *entries)
{
    const QString path = prompt.pickOpenFile(
        QStringLiteral("銘柄出力ファイル（*.Lis） |*.TXT;*.Lis|すべてのﾌｧｲﾙ(*.*)|*.*"), MainModule::dataFolder());
    if (path.isEmpty() || !QFileInfo::exists(path))
        return false;
    try {
        bool ok = false;
        *entries = ReadIssueList(MainModule::DBPath, path, &ok);
        if (!ok)
            prompt.inform(QStringLiteral("%1 を読み込めません。").arg(QDir::toNativeSeparators(path)), QString(),
                          PromptIcon::Critical);
        return ok;
    } catch (const db::DbError &e) {
        prompt.inform(e.description(), QString(), PromptIcon::Critical);
        return false;
    }
}

} // namespace maint
