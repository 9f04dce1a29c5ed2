#include "import/MarginImport.h"

#include "base/DateUtil.h"
#include "base/MainModule.h"
#include "db/Database.h"
#include "import/ImportPaths.h"
#include "import/ImportRun.h"
#include "import/InputProblems.h"
#include "import/InputRecords.h"

#include <QFile>
#include <QHash>

namespace importer {

namespace {

struct Balances
{
    qint64 sell = 0;
    qint64 buy = 0;
};

// Writes the products of the records read so far into the weekly rows of the Friday. One pass over
// that Friday's weekly rows replaces a look-up per record: each row gets the product of its code's
// record, and rows without a record keep the cleared zeros, as with the look-ups.
void applyToWeeklyRows(db::Database &database, const QDate &friday, const QHash<qint64, Balances> &products)
{
    if (products.isEmpty())
        return;
    db::Recordset week = database.openRecordset(QStringLiteral("select * from weekdata where 日付 =?;"), {friday});
    for (; !week.eof(); week.moveNext()) {
        const auto it = products.constFind(week.toLong(QStringLiteral("コード")));
        if (it == products.constEnd())
            continue;
        week.edit();
        week.setValue(QStringLiteral("売残"), it->sell);
        week.setValue(QStringLiteral("買残"), it->buy);
        week.update();
    }
}

bool importFile(db::Database &database, const QString &path, Progress &progress, SkipReport *skipped)
{
    const QString fileName = baseName(path);
    auto skip = [&](int line, const QString &reason) {
        if (skipped)
            skipped->add(fileName, line, reason);
    };
    TextFile::DecodedText text;
    QString why;
    if (!readTextLines(path, text, &why))
        throw InputError(QStringLiteral("%1 を読み込めません（%2）。").arg(fileName, why));
    const QStringList &lines = text.lines;
    const QDate date = lines.isEmpty() || text.isUndecodable(0) ? QDate() : parseMarginDate(lines.first());
    if (!date.isValid()) {
        skip(1, QStringLiteral("1 行目が年月日 8 桁ではありません"));
        return false;
    }
    // The balances are stored under the Friday of the file's week (a holiday week's file is dated
    // on another day), so that Friday's rows are the ones replaced.
    const QDate friday = DateUtil::FridayOnOrAfter(date);
    database.execute(QStringLiteral("delete * from ShinYo where 日付=?;"), {friday});
    database.execute(QStringLiteral("UPDATE weekData SET 売残 = 0, 買残 = 0 WHERE 日付=?;"), {friday});
    db::Recordset shinyo = database.openRecordset(QStringLiteral("select * from ShinYo where 日付=?;"), {friday});

    // Line 2: the record count before its first comma. Without a comma the count is unknown: the
    // line is reported and every following line is read as a record.
    qint64 total = -1;
    if (lines.size() >= 2) {
        const auto count = text.isUndecodable(1) ? std::nullopt : parseMarginCount(lines.at(1), &why);
        if (count)
            total = *count;
        else
            skip(2, text.isUndecodable(1) ? undecodableReason() : why);
    }
    progress.setPhase(QStringLiteral("Ys") + fileName.mid(2) + QStringLiteral(" 処理中....."));

    QHash<qint64, Balances> products;
    PercentLabel percent(progress);
    const double shownTotal = total >= 0 ? double(total) : double(lines.size() - 2);
    bool stored = false;
    int count = 0;
    for (int i = 2; i < lines.size() && (total < 0 || count <= total); ++i) {
        ++count;
        percent.update(count, shownTotal);
        const int lineNumber = i + 1;
        if (text.isUndecodable(i)) {
            skip(lineNumber, undecodableReason());
            continue;
        }
        MarginRecord r;
        const LineKind kind = parseMarginRecord(lines.at(i), fileName, lineNumber, r, why);
        if (kind == LineKind::End)
            break;
        if (kind == LineKind::Skipped) {
            skip(lineNumber, why);
            continue;
        }
        shinyo.addNew();
        shinyo.setValue(QStringLiteral("コード"), r.code);
        shinyo.setValue(QStringLiteral("日付"), friday);
        shinyo.setValue(QStringLiteral("売残"), r.sell);
        shinyo.setValue(QStringLiteral("買残"), r.buy);
        shinyo.setValue(QStringLiteral("単位"), r.unit);
        try {
            shinyo.update();
        } catch (const db::DbError &e) {
            if (e.number() != db::ErrorNumber::DuplicateKey)
                throw;
            shinyo.cancelUpdate();
            skip(lineNumber, QStringLiteral("銘柄コード %1 が重複しています").arg(r.code));
            continue;
        }
        stored = true;
        products.insert(r.code, Balances{r.sellBalance, r.buyBalance});
    }
    applyToWeeklyRows(database, friday, products);
    return stored;
}

} // namespace

bool ImportMarginBalances(QDate periodStart, QDate periodEnd, const QString &marginFolder, Progress &progress,
                          SkipReport *skipped)
{
    if (marginFolder.trimmed().isEmpty())
        return false;
    db::Database database(MainModule::DBPath);
    bool result = false;
    {
        const FolderFiles folder(marginFolder);
        db::WriteBatch batch(database);
        for (QDate d = periodStart; d.isValid() && d <= periodEnd; d = d.addDays(1)) {
            const QString path = folder.find(marginFileName(d));
            if (path.isEmpty())
                continue;
            FileWrites fileWrites(database);
            if (importFile(database, path, progress, skipped))
                result = true;
            fileWrites.release();
            batch.commit();
        }
        batch.finish();
    }
    database.close();
    return result;
}

} // namespace importer
