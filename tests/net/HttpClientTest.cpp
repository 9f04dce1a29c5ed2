#include "net/HttpClient.h"
#include "loopback/LoopbackServer.h"

#include <QEventLoop>
#include <QTimer>

#include <gtest/gtest.h>

using namespace testing_support;

namespace {

TEST(HttpClient, FetchesTheWholeBodyWithItsQueryText)
{
    LoopbackServer server;
    QByteArray body;
    for (int i = 0; i < 20000; ++i)
        body += "1301,ｷｮｸﾖｳ\r\n";
    server.serve(QStringLiteral("/kabu/kabumei/Regist.mei"), body);
    server.serve(QStringLiteral("/q?s=1301&d=v2"), "quote");
    HttpClient http;
    const HttpResult r = http.fetch(server.baseUrl() + QStringLiteral("/kabu/kabumei/Regist.mei"));
    EXPECT_TRUE(r.ok) << r.error.toStdString();
    EXPECT_EQ(r.status, 200);
    EXPECT_EQ(r.body, body);
    EXPECT_EQ(server.requestCount(QStringLiteral("/kabu/kabumei/Regist.mei")), 1);
    EXPECT_EQ(http.fetch(server.baseUrl() + QStringLiteral("/q?s=1301&d=v2")).body, QByteArray("quote"));
}

TEST(HttpClient, NotFoundServerErrorAndRefusedConnectionAreNotOk)
{
    LoopbackServer server;
    server.serve(QStringLiteral("/broken"), "oops", 500);
    HttpClient http;
    const HttpResult missing = http.fetch(server.baseUrl() + QStringLiteral("/kabu/none.txt"));
    EXPECT_FALSE(missing.ok);
    EXPECT_EQ(missing.status, 404);
    EXPECT_TRUE(missing.body.isEmpty());
    EXPECT_FALSE(missing.error.isEmpty());
    EXPECT_EQ(missing.failure, HttpFailure::Status);
    EXPECT_FALSE(missing.broken());
    EXPECT_FALSE(http.fetch(server.baseUrl() + QStringLiteral("/broken")).ok);
    // Nothing listens on port 1 of the loopback address.
    const HttpResult refused = http.fetch(QStringLiteral("http://127.0.0.1:1/x"));
    EXPECT_FALSE(refused.ok);
    EXPECT_EQ(refused.status, 0);
    EXPECT_EQ(refused.failure, HttpFailure::Connection);
}

TEST(HttpClient, BodyBeyondItsLimitIsStoppedWhileItArrives)
{
    constexpr qint64 Huge = 50LL * 1024 * 1024;
    constexpr qint64 Limit = 1024 * 1024;
    LoopbackServer server;
    server.serveStream(QStringLiteral("/announced"), Huge);
    server.serveStream(QStringLiteral("/unannounced"), Huge, false);
    HttpClient http;
    for (const QString &path : {QStringLiteral("/announced"), QStringLiteral("/unannounced")}) {
        const HttpResult r = http.fetch(HttpRequest{server.baseUrl() + path, Limit, 20000});
        EXPECT_FALSE(r.ok) << path.toStdString();
        EXPECT_TRUE(r.broken());
        EXPECT_EQ(r.failure, HttpFailure::TooLarge) << r.error.toStdString();
        EXPECT_TRUE(r.body.isEmpty());
        // The transfer ended near the limit, not after the server had sent everything.
        EXPECT_LT(server.bytesSent(path), Huge / 5) << path.toStdString();
    }
    EXPECT_EQ(http.activeCount(), 0);

    // The limit itself is allowed; the async fetch keeps it too.
    const QByteArray body(1000, 'a');
    server.serve(QStringLiteral("/exact"), body);
    EXPECT_EQ(http.fetch(HttpRequest{server.baseUrl() + QStringLiteral("/exact"), 1000}).body, body);
    QEventLoop loop;
    HttpResult async;
    http.fetchAsync(HttpRequest{server.baseUrl() + QStringLiteral("/exact"), 999}, [&](const HttpResult &r) {
        async = r;
        loop.quit();
    });
    QTimer::singleShot(10000, &loop, &QEventLoop::quit);
    loop.exec();
    EXPECT_EQ(async.failure, HttpFailure::TooLarge);
}

TEST(HttpClient, BodyShorterThanItsContentLengthIsRefused)
{
    LoopbackServer server;
    const QByteArray body = QByteArray(1000, 'd');
    server.serveCutOff(QStringLiteral("/cut"), body, 400);
    server.serveCutOff(QStringLiteral("/headers-only"), body, 0);
    HttpClient http;
    for (const QString &path : {QStringLiteral("/cut"), QStringLiteral("/headers-only")}) {
        const HttpResult r = http.fetch(server.baseUrl() + path);
        EXPECT_FALSE(r.ok) << path.toStdString();
        EXPECT_EQ(r.failure, HttpFailure::Incomplete) << r.error.toStdString();
        EXPECT_TRUE(r.body.isEmpty());
        EXPECT_EQ(fetchFailureMessage(server.baseUrl() + path, r).left(server.baseUrl().size() + path.size() + 9),
                  server.baseUrl() + path + QStringLiteral(" を取得できません"));
    }
}

TEST(HttpClient, AnswerLateWithinTheTimeOutArrivesAndNoAnswerTimesOut)
{
    LoopbackServer server;
    server.hang(QStringLiteral("/slow"));
    server.serve(QStringLiteral("/late"), "late body", 200, 100);
    HttpClient http;
    const HttpResult late = http.fetch(server.baseUrl() + QStringLiteral("/late"), 10000);
    EXPECT_TRUE(late.ok);
    EXPECT_EQ(late.body, QByteArray("late body"));
    const HttpResult r = http.fetch(server.baseUrl() + QStringLiteral("/slow"), 200);
    EXPECT_FALSE(r.ok);
    EXPECT_TRUE(r.body.isEmpty());
    EXPECT_EQ(r.failure, HttpFailure::TimedOut);
    EXPECT_EQ(r.error, QStringLiteral("時間内に応答がありません"));
    EXPECT_EQ(http.activeCount(), 0);
}

TEST(HttpClient, CancelStopsATransferInFlight)
{
    LoopbackServer server;
    server.hang(QStringLiteral("/hang"));
    HttpClient http;
    // The cancel comes from an event handled while fetch waits, as a window's button would send it.
    QTimer::singleShot(50, &http, [&http] { http.cancel(); });
    const HttpResult r = http.fetch(server.baseUrl() + QStringLiteral("/hang"), 60000);
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.failure, HttpFailure::Cancelled);
    EXPECT_EQ(r.error, QStringLiteral("転送を中止しました"));
    EXPECT_EQ(server.requestCount(QStringLiteral("/hang")), 1);
}

TEST(HttpClient, AsyncFetchCallsBackWithEachResult)
{
    LoopbackServer server;
    server.serve(QStringLiteral("/a"), "A", 200, 50);
    server.serve(QStringLiteral("/b"), "B");
    HttpClient http;
    QEventLoop loop;
    QList<QByteArray> bodies;
    auto done = [&](const HttpResult &r) {
        bodies.append(r.ok ? r.body : QByteArray("!"));
        if (bodies.size() == 3)
            loop.quit();
    };
    http.fetchAsync(server.baseUrl() + QStringLiteral("/a"), done);
    http.fetchAsync(server.baseUrl() + QStringLiteral("/b"), done);
    http.fetchAsync(server.baseUrl() + QStringLiteral("/missing"), done);
    QTimer::singleShot(10000, &loop, &QEventLoop::quit);
    loop.exec();
    ASSERT_EQ(bodies.size(), 3);
    EXPECT_TRUE(bodies.contains("A"));
    EXPECT_TRUE(bodies.contains("B"));
    EXPECT_TRUE(bodies.contains("!"));
    EXPECT_EQ(server.totalRequests(), 3);
}

} // namespace
