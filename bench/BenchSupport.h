#pragma once

// Pieces the benchmark programs share: a prompt that answers Yes, a fresh program folder, and the
// rows the daily import stores inserted raw (for large databases made quickly).

#include "base/MainModule.h"
#include "base/Ports.h"
#include "datagen/DataGenerator.h"
#include "db/Schema.h"

#include <QDate>
#include <QDir>

#include <sqlite3.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

namespace bench {

class QuietPrompt final : public Prompt
{
public:
    bool askYesNo(const QString &, const QString &, PromptIcon) override { return true; }
    void inform(const QString &text, const QString &, PromptIcon) override
    {
        std::fprintf(stderr, "message: %s\n", qPrintable(text));
    }
    QString pickOpenFile(const QString &, const QString &) override { return {}; }
    QString pickSaveFile(const QString &, const QString &, const QString &) override { return {}; }
    QString pickFolder(const QString &, const QString &current) override { return current; }
};

// A program folder with an empty database; MainModule points at it.
inline QString makeProgramFolder(const QString &parent, const QString &name)
{
    QDir(parent).mkpath(name + QStringLiteral("/Data"));
    QDir(parent).mkpath(name + QStringLiteral("/Margin"));
    const QString folder = QDir(parent).filePath(name);
    MainModule::reset();
    MainModule::setProgramFolder(folder);
    MainModule::hibiPath = QDir::toNativeSeparators(folder + QStringLiteral("/Data/"));
    MainModule::sinyoPath = QDir::toNativeSeparators(folder + QStringLiteral("/Margin/"));
    if (!db::CreateDatabaseFile(MainModule::DBPath, nullptr)) {
        std::fprintf(stderr, "cannot create %s\n", qPrintable(MainModule::DBPath));
        std::exit(1);
    }
    return folder;
}

// The rows the import stores, inserted raw: markets 0, 1 and 5, zero prices without volume, the
// change against the carried reference.
struct RawInserter
{
    explicit RawInserter(sqlite3 *handle)
        : h(handle), previous(10000, -1)
    {
        sqlite3_prepare_v2(h, "INSERT INTO dayData (コード,日付,始値,高値,安値,終値,前日比,出来高,基準前日比) VALUES (?,?,?,?,?,?,?,?,?)", -1, &s, nullptr);
    }
    ~RawInserter() { sqlite3_finalize(s); }

    qint64 day(const QDate &date, const std::vector<importer::GeneratedRecord> &records)
    {
        const QByteArray d = date.toString(Qt::ISODate).toLatin1();
        qint64 n = 0;
        for (const auto &r : records) {
            if (r.position != 0 && r.position != 1 && r.position != 5)
                continue;
            const qint64 prev = previous[size_t(r.code)];
            qint64 change = 0, reference = r.close;
            if (prev >= 0 && r.volume == 0)
                reference = prev;
            else if (prev > 0)
                change = r.close - prev;
            previous[size_t(r.code)] = reference;
            sqlite3_bind_int(s, 1, r.code);
            sqlite3_bind_text(s, 2, d.constData(), int(d.size()), SQLITE_STATIC);
            sqlite3_bind_int(s, 3, r.open);
            sqlite3_bind_int(s, 4, r.high);
            sqlite3_bind_int(s, 5, r.low);
            sqlite3_bind_int(s, 6, r.close);
            sqlite3_bind_int64(s, 7, change);
            sqlite3_bind_int64(s, 8, r.volume);
            sqlite3_bind_int64(s, 9, reference);
            if (sqlite3_step(s) != SQLITE_DONE) {
                std::fprintf(stderr, "raw insert failed: %s\n", sqlite3_errmsg(h));
                std::exit(1);
            }
            sqlite3_reset(s);
            ++n;
        }
        return n;
    }

    sqlite3 *h;
    sqlite3_stmt *s = nullptr;
    std::vector<qint64> previous;
};

} // namespace bench
