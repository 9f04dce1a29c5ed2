// Inserts N dayData rows through the record-set layer (AddNew/Update inside a WriteBatch) and the
// same rows through one raw prepared SQLite statement in one transaction, into the same schema, and
// prints both rates and their ratio.
//   db_insert [rows=1000000] [work folder]

#include "db/Database.h"
#include "db/Schema.h"

#include <QCoreApplication>
#include <QDate>
#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <sqlite3.h>

#include <cstdio>

namespace {

struct Row
{
    int code;
    QDate date;
    int open, high, low, close, change;
    qint64 volume;
};

Row rowAt(int i)
{
    // 4,000 issues per day, consecutive days.
    const int code = 1000 + i % 4000;
    const QDate date = QDate(2000, 1, 3).addDays(i / 4000);
    const int base = 500 + (i * 7919) % 3000;
    return {code, date, base, base + 12, base - 9, base + 3, 3, qint64(1000 + (i % 97) * 100)};
}

double viaRecordSet(const QString &path, int n)
{
    db::Database d(path);
    QElapsedTimer t;
    t.start();
    {
        db::WriteBatch batch(d);
        db::Recordset rs = d.openRecordset(QStringLiteral("dayData"));
        const QString fCode = QStringLiteral("コード"), fDate = QStringLiteral("日付"), fOpen = QStringLiteral("始値"),
                      fHigh = QStringLiteral("高値"), fLow = QStringLiteral("安値"), fClose = QStringLiteral("終値"),
                      fChange = QStringLiteral("前日比"), fVolume = QStringLiteral("出来高"), fBase = QStringLiteral("基準前日比");
        for (int i = 0; i < n; ++i) {
            const Row r = rowAt(i);
            rs.addNew();
            rs.setValue(fCode, r.code);
            rs.setValue(fDate, r.date);
            rs.setValue(fOpen, r.open);
            rs.setValue(fHigh, r.high);
            rs.setValue(fLow, r.low);
            rs.setValue(fClose, r.close);
            rs.setValue(fChange, r.change);
            rs.setValue(fVolume, QVariant::fromValue(Currency::fromInt(r.volume)));
            rs.setValue(fBase, r.close);
            rs.update();
            if (i % 4000 == 3999)
                batch.commit(); // a safe point per day file, as the import has
        }
    }
    d.close();
    return t.elapsed() / 1000.0;
}

double viaRawStatement(const QString &path, int n)
{
    db::Database d(path);
    sqlite3 *h = d.handle();
    QElapsedTimer t;
    t.start();
    sqlite3_exec(h, "BEGIN", nullptr, nullptr, nullptr);
    sqlite3_stmt *s = nullptr;
    sqlite3_prepare_v2(h, "INSERT INTO dayData (コード,日付,始値,高値,安値,終値,前日比,出来高,基準前日比) VALUES (?,?,?,?,?,?,?,?,?)", -1, &s, nullptr);
    for (int i = 0; i < n; ++i) {
        const Row r = rowAt(i);
        const QByteArray date = r.date.toString(Qt::ISODate).toLatin1();
        sqlite3_bind_int(s, 1, r.code);
        sqlite3_bind_text(s, 2, date.constData(), int(date.size()), SQLITE_TRANSIENT);
        sqlite3_bind_int(s, 3, r.open);
        sqlite3_bind_int(s, 4, r.high);
        sqlite3_bind_int(s, 5, r.low);
        sqlite3_bind_int(s, 6, r.close);
        sqlite3_bind_int(s, 7, r.change);
        sqlite3_bind_int64(s, 8, r.volume);
        sqlite3_bind_int(s, 9, r.close);
        if (sqlite3_step(s) != SQLITE_DONE) {
            std::fprintf(stderr, "raw insert failed: %s\n", sqlite3_errmsg(h));
            break;
        }
        sqlite3_reset(s);
    }
    sqlite3_finalize(s);
    sqlite3_exec(h, "COMMIT", nullptr, nullptr, nullptr);
    d.close();
    return t.elapsed() / 1000.0;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const int n = argc > 1 ? std::atoi(argv[1]) : 1000000;
    QTemporaryDir tmp(argc > 2 ? QString::fromLocal8Bit(argv[2]) + QStringLiteral("/db_insert-XXXXXX") : QDir::tempPath() + QStringLiteral("/db_insert-XXXXXX"));
    const QString layerDb = tmp.filePath(QStringLiteral("layer.mdb"));
    const QString rawDb = tmp.filePath(QStringLiteral("raw.mdb"));
    if (!db::CreateDatabaseFile(layerDb, nullptr) || !db::CreateDatabaseFile(rawDb, nullptr)) {
        std::fprintf(stderr, "cannot create the databases\n");
        return 1;
    }
    const double raw = viaRawStatement(rawDb, n);
    const double layer = viaRecordSet(layerDb, n);
    std::printf("rows                 %d\n", n);
    std::printf("raw statement        %.2f s  %.0f rows/s\n", raw, n / raw);
    std::printf("record-set layer     %.2f s  %.0f rows/s\n", layer, n / layer);
    std::printf("layer / raw rate     %.2f  (target >= 0.50)\n", raw / layer);
    return 0;
}
