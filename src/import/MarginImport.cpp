#include "import/MarginImport.h"

#include "base/DateUtil.h"
#include "base/MainModule.h"
#include "db/Database.h"
#include "db/SqlTranslator.h"

#include <QFile>
#include <QHash>

namespace importer {

namespace {

constexpr int FieldCount = 6;

struct Balances
{
    qint64 sell = 0;
    qint64 buy = 0;
};

qint64 convert(const QString &text, const QString &what, const QString &file, int line)
{
    const auto n = wholeNumber(text);
    if (!n || *n < INT32_MIN || *n > INT32_MAX)
        throw InputError(QStringLiteral("%1 の %2 行目: %3 '%4' を読み込めません。").arg(file).arg(line).arg(what, text));
    return *n;
}

// Line 1: eight digits, year from characters 1-4, month from 5-6, day from the last two.
QDate balanceDate(const QString &line)
{
    const QString t = line.trimmed();
    if (t.size() < 8)
        return {};
    bool ok1 = false, ok2 = false, ok3 = false;
    const int y = t.left(4).toInt(&ok1);
    const int m = t.mid(4, 2).toInt(&ok2);
    const int d = t.right(2).toInt(&ok3);
    if (!ok1 || !ok2 || !ok3)
        return {};
    return QDate(y, m, d);
}

// Writes the products of the records read so far into the weekly rows of the Friday. One pass over
// that Friday's weekly rows replaces a look-up per record: each row gets the product of its code's
// record (the last one when a code repeats), and rows without a record keep the cleared zeros, as
// with the look-ups. It runs after the file's records, and also when an error ends the file.
void applyToWeeklyRows(db::Database &database, const QDate &friday, const QHash<qint64, Balances> &products)
{
    if (products.isEmpty())
        return;
    db::Recordset week = database.openRecordset(
        QStringLiteral("select * from weekdata where 日付 =%1;").arg(db::dateLiteral(friday)));
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
    QStringList lines;
    QString why;
    if (!readTextLines(path, lines, &why)) {
        skip(0, QStringLiteral("読み込めません: %1").arg(why));
        return false;
    }
    const QDate date = lines.isEmpty() ? QDate() : balanceDate(lines.first());
    if (!date.isValid()) {
        skip(1, QStringLiteral("1 行目が年月日 8 桁ではありません"));
        return false;
    }
    const QString dateText = db::dateLiteral(date);
    database.execute(QStringLiteral("delete * from ShinYo where 日付=%1;").arg(dateText));
    database.execute(QStringLiteral("UPDATE weekData SET 売残 = 0, 買残 = 0 WHERE 日付=%1;").arg(dateText));
    db::Recordset shinyo = database.openRecordset(QStringLiteral("select * from ShinYo where 日付=%1;").arg(dateText));

    // Line 2: the record count before its first comma. Without a comma the count is unknown: the
    // line is reported and every following line is read as a record.
    qint64 total = -1;
    if (lines.size() >= 2) {
        const QString &second = lines.at(1);
        const qsizetype comma = second.indexOf(QLatin1Char(','));
        if (comma < 0)
            skip(2, QStringLiteral("件数の後に ',' がありません"));
        else
            total = safeLong(second.left(comma));
    }
    progress.setPhase(QStringLiteral("Ys") + fileName.mid(2) + QStringLiteral(" 処理中....."));

    const QDate friday = DateUtil::FridayOnOrAfter(date);
    QHash<qint64, Balances> products;
    PercentLabel percent(progress);
    const double shownTotal = total >= 0 ? double(total) : double(lines.size() - 2);
    bool stored = false;
    int count = 0;
    try {
        for (int i = 2; i < lines.size() && (total < 0 || count <= total); ++i) {
            ++count;
            percent.update(count, shownTotal);
            const int lineNumber = i + 1;
            const QStringList f = cutFields(lines.at(i), FieldCount);
            if (!wholeNumber(f.at(0)))
                break;
            if (f.size() < FieldCount) {
                skip(lineNumber, QStringLiteral("項目が 6 つありません"));
                continue;
            }
            const qint64 code = wholeNumber(f.at(0)).value();
            if (code < -32768 || code > 32767)
                throw InputError(QStringLiteral("%1 の %2 行目: 銘柄コード '%3' を読み込めません。").arg(fileName).arg(lineNumber).arg(f.at(0)));
            const qint64 sell = convert(f.at(3), QStringLiteral("売残"), fileName, lineNumber);
            const qint64 buy = convert(f.at(4), QStringLiteral("買残"), fileName, lineNumber);
            const qint64 unit = convert(f.at(5), QStringLiteral("単位"), fileName, lineNumber);

            shinyo.addNew();
            shinyo.setValue(QStringLiteral("コード"), code);
            shinyo.setValue(QStringLiteral("日付"), friday);
            shinyo.setValue(QStringLiteral("売残"), sell);
            shinyo.setValue(QStringLiteral("買残"), buy);
            shinyo.setValue(QStringLiteral("単位"), unit);
            stored = true;
            products.insert(code, Balances{sell * unit, buy * unit});
            shinyo.update();
        }
    } catch (...) {
        applyToWeeklyRows(database, friday, products);
        throw;
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
        db::WriteBatch batch(database);
        for (QDate d = periodStart; d.isValid() && d <= periodEnd; d = d.addDays(1)) {
            const QString path = fileIn(marginFolder, marginFileName(d));
            if (!QFile::exists(path))
                continue;
            if (importFile(database, path, progress, skipped))
                result = true;
            batch.commit();
        }
        batch.finish();
    }
    database.close();
    return result;
}

} // namespace importer
