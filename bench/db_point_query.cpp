// The chart's newest-110-rows query on a large dayData, through the layer and raw, same run.
//   db_point_query [rows=10000000] [queries=1000] [database file to keep between runs]

#include "db/Database.h"
#include "db/Schema.h"
#include "db/SqlTranslator.h"

#include <QCoreApplication>
#include <QDate>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QRandomGenerator>

#include <sqlite3.h>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

constexpr int Issues = 4000;

void fill(const QString &path, int rows)
{
    db::CreateDatabaseFile(path, nullptr);
    db::Database d(path);
    sqlite3 *h = d.handle();
    // A large cache keeps the index pages in memory while the table grows day by day.
    sqlite3_exec(h, "PRAGMA cache_size=-2000000", nullptr, nullptr, nullptr);
    sqlite3_exec(h, "BEGIN", nullptr, nullptr, nullptr);
    sqlite3_stmt *s = nullptr;
    sqlite3_prepare_v2(h, "INSERT INTO dayData VALUES (?,?,?,?,?,?,?,?,?)", -1, &s, nullptr);
    QDate day(2000, 1, 3);
    for (int i = 0; i < rows; ++i) {
        if (i % Issues == 0 && i) {
            day = day.addDays(1);
            while (day.dayOfWeek() > 5)
                day = day.addDays(1);
        }
        const QByteArray date = day.toString(Qt::ISODate).toLatin1();
        const int price = 500 + (i * 7919) % 3000;
        sqlite3_bind_int(s, 1, 1000 + i % Issues);
        sqlite3_bind_text(s, 2, date.constData(), int(date.size()), SQLITE_TRANSIENT);
        for (int c = 3; c <= 7; ++c)
            sqlite3_bind_int(s, c, price);
        sqlite3_bind_int(s, 7, 0);
        sqlite3_bind_int64(s, 8, 10000);
        sqlite3_bind_int(s, 9, price);
        sqlite3_step(s);
        sqlite3_reset(s);
        if (i % 1000000 == 999999) {
            sqlite3_exec(h, "COMMIT; BEGIN", nullptr, nullptr, nullptr);
            std::fprintf(stderr, "\rfilled %d rows", i + 1);
        }
    }
    sqlite3_finalize(s);
    sqlite3_exec(h, "COMMIT", nullptr, nullptr, nullptr);
    std::fprintf(stderr, "\n");
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

double percentile(std::vector<double> v, double p)
{
    std::sort(v.begin(), v.end());
    return v[std::min(v.size() - 1, size_t(p * double(v.size())))];
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const int rows = argc > 1 ? std::atoi(argv[1]) : 10000000;
    const int queries = argc > 2 ? std::atoi(argv[2]) : 1000;
    const QString path = argc > 3 ? QString::fromLocal8Bit(argv[3]) : QDir::temp().filePath(QStringLiteral("db_point_query-%1.mdb").arg(rows));
    if (!QFileInfo::exists(path)) {
        std::fprintf(stderr, "building %s ...\n", qPrintable(path));
        fill(path, rows);
    }
    const int days = rows / Issues;
    QRandomGenerator rng(42);
    struct Q
    {
        int code;
        QDate date;
    };
    std::vector<Q> qs, rawQs; // two samples of the same distribution
    for (int i = 0; i < queries; ++i) {
        qs.push_back({1000 + int(rng.bounded(Issues)), QDate(2000, 1, 3).addDays(qint64(rng.bounded(days * 7 / 5)))});
        rawQs.push_back({1000 + int(rng.bounded(Issues)), QDate(2000, 1, 3).addDays(qint64(rng.bounded(days * 7 / 5)))});
    }

    // The chart's query: one text, the issue and the date bound.
    const QString bound = QStringLiteral("select top 110 * from daydata where コード=? and 日付<=? order by 日付 desc");
    auto legacy = [](const Q &q) {
        return QStringLiteral("select top 110 * from daydata where コード=%1 and 日付<=%2 order by 日付 desc").arg(q.code).arg(db::dateLiteral(q.date));
    };

    std::vector<double> layer, layerOpenClose, raw;
    qint64 checksum = 0;
    {
        db::Database d(path);
        // Layer and raw alternate query by query (each on its own sample), so both meet the same
        // cache state.
        QElapsedTimer t;
        sqlite3 *h = d.handle();
        for (size_t i = 0; i < qs.size(); ++i) {
            const Q &q = qs[i];
            t.start();
            db::Recordset rs = d.openRecordset(bound, {q.code, q.date});
            while (!rs.eof()) {
                checksum += rs.toLong(QStringLiteral("終値"));
                rs.moveNext();
            }
            rs.close();
            layer.push_back(t.nsecsElapsed() / 1e6);

            t.start();
            // The same SQL, prepared and stepped raw (no cache, as a caller without the layer would).
            const QByteArray sql = db::translate(legacy(rawQs[i])).sql.toUtf8();
            sqlite3_stmt *s = nullptr;
            sqlite3_prepare_v2(h, sql.constData(), -1, &s, nullptr);
            while (sqlite3_step(s) == SQLITE_ROW)
                checksum -= sqlite3_column_int64(s, 5);
            sqlite3_finalize(s);
            raw.push_back(t.nsecsElapsed() / 1e6);
        }
    }
    QElapsedTimer t;
    for (const Q &q : qs) {
        t.start();
        db::Database d(path);
        db::Recordset rs = d.openRecordset(bound, {q.code, q.date});
        while (!rs.eof())
            rs.moveNext();
        rs.close();
        d.close();
        layerOpenClose.push_back(t.nsecsElapsed() / 1e6);
    }
    std::printf("rows %d, queries %d (checksum %lld)\n", rows, queries, static_cast<long long>(checksum));
    std::printf("raw SQL                   median %.3f ms  p99 %.3f ms\n", median(raw), percentile(raw, 0.99));
    std::printf("layer (open database)     median %.3f ms  p99 %.3f ms  ratio %.2f (target <= 2, median <= 1 ms)\n",
                median(layer), percentile(layer, 0.99), median(layer) / median(raw));
    std::printf("layer incl. open + close  median %.3f ms  p99 %.3f ms\n", median(layerOpenClose), percentile(layerOpenClose, 0.99));
    return 0;
}
