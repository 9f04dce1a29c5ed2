#include "import/ChangeRecalc.h"

#include "base/MainModule.h"
#include "db/Database.h"
#include "import/ImportRun.h"
#include "import/PriceRecords.h"

#include <optional>

namespace importer {

void RecalculateChanges(const QString &table, QDate start, Progress &progress)
{
    db::Database database(MainModule::DBPath);
    db::WriteBatch batch(database);
    const IssueCodes issues = readIssueCodes(database);

    // All issues' rows from the start date in one pass, ordered by issue and date: each issue's rows
    // come together in the order its own query would give them. Only rows whose values change are
    // written back; the others would be stored unchanged. +日付 keeps the read in primary key order
    // (through the date index the rows would first be sorted in memory).
    db::Recordset rows = database.openRecordset(
        QStringLiteral("select コード, 日付, 前日比, 終値, 基準前日比 from %1 where +日付>=? order by コード, 日付 ;").arg(table), {start},
        db::RecordsetType::ForwardOnly);
    PercentLabel percent(progress);
    int count = 0;
    for (const qint64 code : issues.codes) {
        ++count;
        percent.update(count, issues.total);
        progress.yield();
        while (!rows.eof() && rows.toLong(QStringLiteral("コード")) < code)
            rows.moveNext();
        qint64 base = 0;
        bool first = true;
        for (; !rows.eof() && rows.toLong(QStringLiteral("コード")) == code; rows.moveNext()) {
            const qint64 close = rows.toLong(QStringLiteral("終値"));
            std::optional<qint64> change; // set when the row's 前日比 is recomputed
            std::optional<qint64> reference; // set when the row's 基準前日比 is recomputed
            if (first) {
                base = close;
                reference = close;
                first = false;
            } else if (close != 0) {
                change = base != 0 ? close - base : 0;
                base = close;
            } else {
                change = 0;
                reference = base;
            }
            const bool newChange = change && (rows.isNull(QStringLiteral("前日比")) || rows.toLong(QStringLiteral("前日比")) != *change);
            const bool newReference = reference
                && (rows.isNull(QStringLiteral("基準前日比")) || rows.toLong(QStringLiteral("基準前日比")) != *reference);
            if (newChange || newReference) {
                rows.edit();
                if (newChange)
                    rows.setValue(QStringLiteral("前日比"), *change);
                if (newReference)
                    rows.setValue(QStringLiteral("基準前日比"), *reference);
                rows.update();
            }
        }
    }
    rows.close();
    batch.finish();
    database.close();
}

} // namespace importer
