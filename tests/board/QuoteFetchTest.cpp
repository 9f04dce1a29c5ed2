// The quote fetch against a loopback quote site: pages that work and pages that fail in every way,
// the end of the fetch, the board window during a fetch, and the batch tool's board commands.

#include "board/QuoteFetch.h"
#include "board/InetHttp.h"
#include "board/QuotePage.h"
#include "board/frmKabukaboard.h"

#include "base/AppServices.h"
#include "base/Currency.h"
#include "base/MainModule.h"
#include "base/Settings.h"
#include "db/Database.h"
#include "loopback/LoopbackServer.h"
#include "net/HttpClient.h"
#include "support/TestSupport.h"
#include "ui/RecordsetTableModel.h"

#include <QApplication>
#include <QEventLoop>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QTableView>
#include <QTimer>

#include <gtest/gtest.h>

using namespace testing_support;

namespace {

QByteArray pageOf(int code, qint32 price, qint32 change, qint32 volume)
{
    QuotePage::Quote q;
    q.code = code;
    q.name = QStringLiteral("銘柄%1").arg(code);
    q.time = QDateTime(QDate(2026, 12, 4), QTime(15, 0));
    q.price = price;
    q.change = change;
    q.volume = volume;
    return QuotePage::render(q);
}

class QuoteFetchTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        folder.createDatabase();
        Settings::writeSettingsValue(QStringLiteral("QURL"), server.hostAndPort());
        services.prompt = &prompt;
        services.http = &http;
        services.clock = &clock;
    }
    void addRows(int kind, const QList<int> &codes)
    {
        for (int code : codes)
            executeSql(QStringLiteral("insert into board (区分, コード, 市場コード, 銘柄, 現在値) values (%1, %2, 1, 'x', 7)")
                           .arg(kind)
                           .arg(code));
    }
    QString path(int code) const { return QStringLiteral("/q?s=%1&d=v2").arg(code); }
    qint64 value(const QString &field, int code)
    {
        const QVariant v = scalarOf(QStringLiteral("select %1 from board where コード=%2").arg(field).arg(code));
        return v.canConvert<Currency>() && v.metaType() == QMetaType::fromType<Currency>() ? qint64(v.value<Currency>().toDouble())
                                                                                           : v.toLongLong();
    }
    // Runs the fetch to its end; false when it did not start or did not end in time.
    bool fetchAll(board::QuoteFetch &fetch)
    {
        QEventLoop loop;
        QObject::connect(&fetch, &board::QuoteFetch::finished, &loop, &QEventLoop::quit);
        QTimer::singleShot(20000, &loop, &QEventLoop::quit);
        prompt.answerYes();
        if (!fetch.start())
            return false;
        loop.exec();
        return !fetch.isFetching();
    }

    TempProgramFolder folder;
    LoopbackServer server;
    HttpClient http;
    ScriptedPrompt prompt;
    FixedClock clock{QDate(2026, 12, 5), QTime(15, 30)};
    AppServices services;
};

} // namespace

TEST_F(QuoteFetchTest, StoresGoodPagesAndPassesOverEveryKindOfFailure)
{
    addRows(1, {1001, 1002, 1003, 1004, 0, 1005, 1006, 1007, 1008});
    addRows(2, {1001});
    server.serve(path(1001), pageOf(1001, 12345, -1200, 2500000));
    server.serve(path(1002), pageOf(1002, 980, 0, 12300));
    server.serve(path(1003), pageOf(4444, 500, 5, 5)); // another issue's page: no row marker
    server.serve(path(1004), pageOf(1004, 500, 5, 5), 500); // error status
    server.hang(path(1005)); // never answers
    const QByteArray whole = pageOf(1006, 500, 5, 5);
    server.serveCutOff(path(1006), whole, int(whole.size()) - 12); // cut after the last marker the handler needs
    server.serve(path(1007), "<html><body>maintenance</body></html>");
    server.serveStream(path(1008), board::QuotePageLimit + 1);
    board::QuoteFetch fetch(MainModule::DBPath, 1, http, prompt, clock);
    fetch.setTimeoutMs(600);
    QString quoteTime;
    QObject::connect(&fetch, &board::QuoteFetch::quoteTimeChanged, [&](const QString &t) { quoteTime = t; });

    ASSERT_TRUE(fetchAll(fetch));
    ASSERT_EQ(prompt.messages().size(), 1);
    EXPECT_TRUE(prompt.messages().first().startsWith(QStringLiteral("取得終了しました。（取得できなかった銘柄: 6件）\n")))
        << prompt.messages().first().toStdString();
    EXPECT_FALSE(fetch.endedByError());
    QStringList failures = fetch.failures();
    failures.sort();
    const QString site = server.baseUrl();
    EXPECT_EQ(failures, (QStringList{
                            site + path(1003) + QStringLiteral(" に株価がありません。"),
                            site + path(1004) + QStringLiteral(" を取得できません（HTTP 500）。"),
                            site + path(1005) + QStringLiteral(" を取得できません（時間内に応答がありません）。"),
                            site + path(1006) + QStringLiteral(" を取得できません（%1 バイトのうち %2 バイトで接続が切れました）。").arg(whole.size()).arg(whole.size() - 12),
                            site + path(1007) + QStringLiteral(" に株価がありません。"),
                            site + path(1008) + QStringLiteral(" を取得できません（2097152 バイトを超えるため受け取りを中止しました）。"),
                        }));
    EXPECT_EQ(value(QStringLiteral("現在値"), 1001), 12345);
    EXPECT_EQ(value(QStringLiteral("現前日比"), 1001), -1200);
    EXPECT_EQ(value(QStringLiteral("現出来高"), 1001), 2500000);
    EXPECT_EQ(value(QStringLiteral("現前日比"), 1002), 0);
    EXPECT_EQ(value(QStringLiteral("現出来高"), 1002), 12300);
    for (int failed : {1003, 1004, 1005, 1006, 1007, 1008})
        EXPECT_EQ(value(QStringLiteral("現在値"), failed), 0) << failed; // cleared at the start, nothing stored
    EXPECT_EQ(scalarOf(QStringLiteral("select 現在値 from board where 区分=2")).toLongLong(), 7);
    EXPECT_EQ(quoteTime, u"2026/12/04　15:00");
    EXPECT_EQ(server.totalRequests(), 8); // the row with code 0 is never requested
    EXPECT_EQ(server.requestCount(path(1005)), 1);
    EXPECT_EQ(Settings::settingsValue(QStringLiteral("boarddateA")), u"26/12/05 15:30");
}

TEST_F(QuoteFetchTest, AWriteThatFailsEndsTheFetchWithItsErrorAndNoEndMessage)
{
    addRows(1, {1001, 1002, 1003});
    for (int code : {1001, 1002, 1003})
        server.serve(path(code), pageOf(code, 500, 5, 5));
    {
        // Quotes can no longer be stored; clearing them still works.
        db::Database database(MainModule::DBPath);
        database.executeRaw(QStringLiteral("CREATE TRIGGER no_quotes BEFORE UPDATE OF 現在値 ON board WHEN NEW.現在値 > 0 "
                                           "BEGIN SELECT RAISE(ABORT, 'quotes refused'); END"));
        database.close();
    }
    board::QuoteFetch fetch(MainModule::DBPath, 1, http, prompt, clock);
    ASSERT_TRUE(fetchAll(fetch));
    ASSERT_EQ(prompt.messages().size(), 1) << prompt.messages().join(QLatin1Char('|')).toStdString();
    EXPECT_FALSE(prompt.messages().first().contains(QStringLiteral("取得終了しました。")));
    EXPECT_TRUE(prompt.messages().first().contains(QStringLiteral("quotes refused"))) << prompt.messages().first().toStdString();
    EXPECT_TRUE(fetch.endedByError());
    EXPECT_EQ(server.requestCount(path(1003)), 0); // the fetch ended at the first failed write

    // When even clearing fails, the fetch does not start.
    {
        db::Database database(MainModule::DBPath);
        database.executeRaw(QStringLiteral("CREATE TRIGGER no_clearing BEFORE UPDATE ON board "
                                           "BEGIN SELECT RAISE(ABORT, 'board refused'); END"));
        database.close();
    }
    EXPECT_FALSE(fetchAll(fetch));
    ASSERT_EQ(prompt.messages().size(), 2) << prompt.messages().join(QLatin1Char('|')).toStdString();
    EXPECT_TRUE(prompt.messages().last().contains(QStringLiteral("board refused")));
    EXPECT_FALSE(fetch.isFetching());
}

TEST_F(QuoteFetchTest, EmptyBoardBoardOfOnlyUnusableCodesAndAnAddressTemplate)
{
    board::QuoteFetch fetch(MainModule::DBPath, 2, http, prompt, clock);
    EXPECT_FALSE(fetchAll(fetch));
    EXPECT_EQ(prompt.messages().last(), u"取得する銘柄がありません。");

    addRows(2, {0, -5});
    ASSERT_TRUE(fetchAll(fetch));
    EXPECT_EQ(prompt.messages().last(), u"取得終了しました。");

    addRows(2, {8306});
    Settings::writeSettingsValue(QStringLiteral("QURL"), server.hostAndPort() + QStringLiteral("/q/{code}.html"));
    server.serve(QStringLiteral("/q/8306.html"), pageOf(8306, 850, 3, 10));
    ASSERT_TRUE(fetchAll(fetch));
    EXPECT_EQ(value(QStringLiteral("現在値"), 8306), 850);
}

TEST_F(QuoteFetchTest, BoardWindowStaysUsableAndOpenDuringAFetch)
{
    addRows(1, {7203});
    server.serve(path(7203), pageOf(7203, 1234, 12, 987654321), 200, 700);
    frmKabukaboard window(services, 1);
    window.show();
    window.MeiCode->setText(QStringLiteral("72031"));
    EXPECT_EQ(window.MeiCode->text(), u"7203");

    const QSize gridBefore = window.boardDBGrid->size();
    window.resize(window.width() + 100, window.height() + 50);
    QApplication::processEvents();
    EXPECT_EQ(window.boardDBGrid->size(), gridBefore + QSize(100, 50));

    // No to the question keeps the quote time of the last fetch; a fetch that starts clears it.
    window.LblInt->setText(QStringLiteral("2026/12/03　15:00"));
    prompt.answerNo();
    window.CmdInet->click();
    EXPECT_EQ(window.LblInt->text(), u"2026/12/03　15:00");
    EXPECT_EQ(server.totalRequests(), 0);

    QEventLoop loop;
    QObject::connect(window.fetch(), &board::QuoteFetch::finished, &loop, &QEventLoop::quit);
    prompt.answerYes();
    window.CmdInet->click();
    ASSERT_TRUE(window.fetch()->isFetching());
    EXPECT_EQ(window.LblInt->text(), QString());
    window.CmdfrmboardAdd->click(); // no question: buttons wait for the fetch
    executeSql(QStringLiteral("update board set 現在値=99"));
    window.Cmdclear->click(); // but clearing works
    EXPECT_EQ(window.boardData->rawValue(0, QStringLiteral("現在値")).toLongLong(), 0);
    window.close();
    EXPECT_TRUE(window.isVisible());
    // The end message stands over a grid whose quote columns already fit what was fetched.
    int volumeColumn = -1;
    for (int c = 0; c < window.boardData->columnCount(); ++c) {
        if (window.boardData->headerData(c, Qt::Horizontal).toString() == QStringLiteral("現出来高"))
            volumeColumn = c;
    }
    ASSERT_GE(volumeColumn, 0);
    int widthShort = -1;
    prompt.whileInforming = [&](const QString &) {
        const QString shown = window.boardData->index(0, volumeColumn).data().toString();
        widthShort = window.boardDBGrid->fontMetrics().horizontalAdvance(shown) - window.boardDBGrid->columnWidth(volumeColumn);
    };
    QTimer::singleShot(10000, &loop, &QEventLoop::quit);
    loop.exec();

    EXPECT_LE(widthShort, 0) << "現出来高 was cut while the message was up";
    EXPECT_EQ(prompt.messages(), QStringList{QStringLiteral("取得終了しました。")});
    EXPECT_EQ(window.LblInt->text(), u"2026/12/04　15:00");
    EXPECT_EQ(window.LblboardDate->text(), u"26/12/05 15:30");
    EXPECT_EQ(window.boardData->rawValue(0, QStringLiteral("現在値")).toLongLong(), 1234);
    window.close();
    EXPECT_FALSE(window.isVisible());
}

TEST_F(QuoteFetchTest, BatchCommandsShareTheWindowsRules)
{
    const QString program = batchToolPath();
    ASSERT_FALSE(program.isEmpty());
    executeSql(QStringLiteral("insert into Mei (コード, 市場コード, 銘柄, 出来高単位, 株価単位) values (7203, 1, 'トヨタ', 100, 10)"));
    executeSql(QStringLiteral("insert into daydata (コード, 日付, 始値, 高値, 安値, 終値, 前日比, 出来高) "
                              "values (7203, #2026/12/04#, 100, 110, 90, 105, 5, 20)"));
    server.serve(path(7203), pageOf(7203, 1060, 10, 400));
    auto run = [&](const QStringList &args, int *exitCode) {
        QProcess p;
        QEventLoop loop; // the loopback server answers from this process's event loop
        QObject::connect(&p, &QProcess::finished, &loop, &QEventLoop::quit);
        p.start(program, QStringList{QStringLiteral("--folder"), folder.path(), QStringLiteral("board")} + args);
        loop.exec();
        *exitCode = p.exitCode();
        return QString::fromUtf8(p.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts);
    };
    // The board rules are tested on BoardStore; here the commands reach it and print its messages.
    int status = -1;
    EXPECT_EQ(run({QStringLiteral("add"), QStringLiteral("A"), QStringLiteral("7203")}, &status),
              QStringList{QStringLiteral("登録しました。")});
    EXPECT_EQ(status, 0);
    EXPECT_EQ(run({QStringLiteral("quotes"), QStringLiteral("A")}, &status),
              QStringList({QStringLiteral("2026/12/04　15:00"), QStringLiteral("取得終了しました。")}));
    EXPECT_EQ(status, 0);
    EXPECT_EQ(run({QStringLiteral("list"), QStringLiteral("A")}, &status),
              QStringList{QStringLiteral("7203,1,トヨタ,26/12/04,1000,1100,900,1050,5,2000,1060,10,400")});
    // A page that gives no quote makes the command fail and says which.
    executeSql(QStringLiteral("insert into board (区分, コード, 市場コード, 銘柄) values (1, 7267, 1, 'ホンダ')"));
    EXPECT_EQ(run({QStringLiteral("quotes"), QStringLiteral("A")}, &status),
              QStringList({QStringLiteral("2026/12/04　15:00"), QStringLiteral("取得終了しました。（取得できなかった銘柄: 1件）"),
                           server.baseUrl() + path(7267) + QStringLiteral(" を取得できません（HTTP 404）。")}));
    EXPECT_EQ(status, 1);
    executeSql(QStringLiteral("delete from board where コード=7267"));
    const QString file = folder.filePath(QStringLiteral("Data/a.A"));
    run({QStringLiteral("save"), QStringLiteral("A"), file}, &status);
    EXPECT_EQ(run({QStringLiteral("load"), QStringLiteral("B"), file}, &status),
              QStringList{QStringLiteral("株価ボードＢに株価ボードＡのデーターを読み込もうとしています。")});
    EXPECT_EQ(status, 2);
}
