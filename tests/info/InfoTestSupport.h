#pragma once

// A program folder with a database, a loopback data server and the ports the downloads run with.

#include "importwin/WindowTestSupport.h" // readable Japanese texts in failure messages
#include "loopback/LoopbackServer.h"
#include "support/TestSupport.h"

#include "base/MainModule.h"
#include "base/TextFile.h"
#include "db/SqlTranslator.h"
#include "info/InfoDownload.h"
#include "info/InfoKinds.h"
#include "net/HttpClient.h"

#include <QDate>

#include <memory>
#include <optional>

namespace info_test {

using namespace testing_support;

inline InfoKinds::Kind kind(const QString &code, const QString &name, int order)
{
    return InfoKinds::Kind{code, name, order};
}

// A ranking file as the server writes it: "YYYYMMDD,count,kind,comment" then one line per row.
// count < 0 announces the rows given.
inline QByteArray rankingFile(const QDate &date, const QString &kindCode, const QString &comment,
                              const QStringList &rows, int count = -1)
{
    QString text = date.toString(QStringLiteral("yyyyMMdd")) + QLatin1Char(',')
        + QString::number(count < 0 ? rows.size() : count) + QLatin1Char(',') + kindCode
        + QLatin1Char(',') + comment + QStringLiteral("\r\n");
    for (const QString &row : rows)
        text += row + QStringLiteral("\r\n");
    return TextFile::encode(text);
}

class ServerFixture : public ::testing::Test
{
protected:
    void SetUp() override
    {
        MainModule::reset();
        folder = std::make_unique<TempProgramFolder>();
        folder->createDatabase();
        MainModule::DURL = server.hostAndPort() + QStringLiteral("/kabu");
    }
    void TearDown() override { MainModule::reset(); }

    QString path(const QDate &date, const QString &kindCode) const
    {
        return QStringLiteral("/kabu/jyhodata/") + date.toString(QStringLiteral("yyyyMMdd")) + QLatin1Char('.') + kindCode;
    }

    info::DownloadEnd download(int mode, const QString &first = QString(), const QString &last = QString())
    {
        info::DownloadView view{&http, prompt, progress, {}, {}, cancelled ? &*cancelled : nullptr};
        info::DownloadRequest request;
        request.mode = mode;
        request.firstText = first;
        request.lastText = last;
        request.today = QDate(2000, 7, 20);
        request.timeoutMs = 5000;
        outcome = info::DownloadInformation(request, view);
        return outcome.end;
    }

    void storeKinds(const QList<InfoKinds::Kind> &kinds)
    {
        for (const auto &k : kinds) {
            for (const char *table : {"informationClass", "wrkinformationClass"})
                executeSql(QStringLiteral("insert into %1 (種類コード, 種類名, 表示順) values (%2, '%3', %4)")
                               .arg(QLatin1String(table), db::quoteText(k.code), k.name)
                               .arg(k.order));
        }
    }

    qint64 count(const QString &where) { return scalarOf(QStringLiteral("select count(*) from informationData where ") + where).toLongLong(); }

    LoopbackServer server;
    HttpClient http;
    ScriptedPrompt prompt;
    RecordingProgress progress;
    std::optional<bool> cancelled;
    info::DownloadResult outcome; // of the last download()
    std::unique_ptr<TempProgramFolder> folder;
};

} // namespace info_test
