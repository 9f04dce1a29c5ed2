#pragma once

// A program folder with a fresh database and helpers to write import files and read rows back.

#include "support/TestSupport.h"

#include "base/MainModule.h"
#include "db/Database.h"
#include "db/SqlTranslator.h"
#include "import/ImportPaths.h"

#include <QDate>
#include <QDir>
#include <QString>
#include <QStringList>

#include <gtest/gtest.h>

#include <limits>
#include <optional>
#include <utility>

namespace import_test {

struct PriceRow
{
    qint64 open = 0, high = 0, low = 0, close = 0, change = 0, reference = 0;
    QString volume;
    qint64 sell = 0, buy = 0; // weekdata only
};

class ImportFixture : public ::testing::Test
{
protected:
    void SetUp() override
    {
        folder.createDatabase();
        QDir(folder.path()).mkdir(QStringLiteral("Margin"));
        MainModule::sinyoPath = QDir::toNativeSeparators(folder.filePath(QStringLiteral("Margin"))) + QLatin1Char('\\');
    }

    QString dailyPath(const QDate &date) const { return importer::fileIn(MainModule::hibiPath, importer::dailyFileName(date)); }
    QString marginPath(const QDate &date) const { return importer::fileIn(MainModule::sinyoPath, importer::marginFileName(date)); }

    // A daily file: header with the record count (or the count given), then the records.
    void writeDaily(const QDate &date, const QStringList &records, int headerCount = -1, const QDate &headerDate = {})
    {
        QStringList lines;
        lines << QStringLiteral("%1,%2,0").arg((headerDate.isValid() ? headerDate : date).toString(QStringLiteral("yyyyMMdd"))).arg(headerCount >= 0 ? headerCount : records.size());
        lines << records;
        testing_support::writeCp932File(dailyPath(date), lines);
    }

    void writeMargin(const QDate &fileDate, const QStringList &records, int headerCount = -1)
    {
        QStringList lines;
        lines << fileDate.toString(QStringLiteral("yyyyMMdd"))
              << QStringLiteral("%1,").arg(headerCount >= 0 ? headerCount : records.size());
        lines << records;
        testing_support::writeCp932File(marginPath(fileDate), lines);
    }

    void execute(const QString &sql) { testing_support::executeSql(sql); }
    QVariant scalar(const QString &sql) { return testing_support::scalarOf(sql); }

    qint64 count(const QString &table, const QString &where = QString())
    {
        return scalar(QStringLiteral("select Count(コード) from %1 %2").arg(table, where)).toLongLong();
    }

    std::optional<PriceRow> priceRow(const QString &table, qint64 code, const QDate &date)
    {
        db::Database database(MainModule::DBPath);
        db::Recordset rs = database.openRecordset(
            QStringLiteral("select * from %1 where コード=%2 and 日付=%3").arg(table).arg(code).arg(db::dateLiteral(date)));
        if (rs.eof())
            return std::nullopt;
        PriceRow r;
        r.open = rs.toLong(QStringLiteral("始値"));
        r.high = rs.toLong(QStringLiteral("高値"));
        r.low = rs.toLong(QStringLiteral("安値"));
        r.close = rs.toLong(QStringLiteral("終値"));
        r.change = rs.toLong(QStringLiteral("前日比"));
        r.reference = rs.toLong(QStringLiteral("基準前日比"));
        r.volume = rs.toCurrency(QStringLiteral("出来高")).toString();
        if (table.compare(QLatin1String("weekdata"), Qt::CaseInsensitive) == 0) {
            r.sell = rs.toLong(QStringLiteral("売残"));
            r.buy = rs.toLong(QStringLiteral("買残"));
        }
        return r;
    }

    // 前日比 and 基準前日比 of a row; both the least qint64 when there is no row.
    using Change = std::pair<qint64, qint64>;
    Change changeOf(const QString &table, qint64 code, const QDate &date)
    {
        const auto r = priceRow(table, code, date);
        return r ? Change(r->change, r->reference) : Change(std::numeric_limits<qint64>::min(), std::numeric_limits<qint64>::min());
    }

    // Every row of a query as comma-joined values, for comparing whole tables.
    QStringList rowsOf(const QString &select)
    {
        db::Database database(MainModule::DBPath);
        db::Recordset rs = database.openRecordset(select);
        QStringList out;
        for (; !rs.eof(); rs.moveNext()) {
            QStringList values;
            for (int i = 0; i < rs.fieldCount(); ++i)
                values << rs.value(i).toString();
            out << values.join(QLatin1Char(','));
        }
        return out;
    }

    QStringList table(const QString &name, const QString &order = QStringLiteral("コード, 日付"))
    {
        return rowsOf(QStringLiteral("select * from %1 order by %2").arg(name, order));
    }

    // The dates of an issue's rows in a table, oldest first.
    QList<QDate> dates(const QString &table, qint64 code)
    {
        db::Database database(MainModule::DBPath);
        db::Recordset rs = database.openRecordset(
            QStringLiteral("select 日付 from %1 where コード=%2 order by 日付").arg(table).arg(code));
        QList<QDate> out;
        for (; !rs.eof(); rs.moveNext())
            out.append(rs.toDate(QStringLiteral("日付")));
        return out;
    }

    void addIssue(qint64 code, int market, const QString &name, bool flag = false, qint64 volumeUnit = 1000, qint64 priceUnit = 1)
    {
        execute(QStringLiteral("insert into Mei (コード, 市場コード, 銘柄, 出来高単位, 株価単位, 更新Flg) values (%1, %2, %3, %4, %5, %6)")
                    .arg(code)
                    .arg(market)
                    .arg(db::quoteText(name))
                    .arg(volumeUnit)
                    .arg(priceUnit)
                    .arg(flag ? QStringLiteral("True") : QStringLiteral("False")));
    }

    void addPrice(const QString &table, qint64 code, const QDate &date, qint64 open, qint64 high, qint64 low, qint64 close,
                  qint64 volume, qint64 change = 0, qint64 reference = 0)
    {
        execute(QStringLiteral("insert into %1 (コード, 日付, 始値, 高値, 安値, 終値, 前日比, 出来高, 基準前日比) values (%2, %3, %4, %5, %6, %7, %8, %9, %10)")
                    .arg(table)
                    .arg(code)
                    .arg(db::dateLiteral(date))
                    .arg(open)
                    .arg(high)
                    .arg(low)
                    .arg(close)
                    .arg(change)
                    .arg(volume)
                    .arg(reference));
    }

    testing_support::TempProgramFolder folder;
    testing_support::ScriptedPrompt prompt;
    testing_support::RecordingProgress progress;
};

} // namespace import_test
