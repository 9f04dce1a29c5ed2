// HTTPS through Qt's TLS backend against a loopback server: a certificate made for these tests is
// accepted only by the client that trusts its authority; any other client refuses the connection
// before a request is sent. Also what a paced service client needs of the transfer: its own request
// headers and the answer's Retry-After.

#include "loopback/LoopbackServer.h"
#include "loopback/TestCertificates.h"
#include "net/HttpClient.h"

#include <QSslCertificate>
#include <QSslKey>

#include <gtest/gtest.h>

using testing_support::LoopbackServer;
using testing_support::ServerCertificate;
using testing_support::ServerKey;
using testing_support::TestAuthority;

namespace {

class TlsTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (!HttpClient::tlsAvailable())
            GTEST_SKIP() << "no TLS backend";
        server.useTls(QSslCertificate(QByteArray(ServerCertificate)), QSslKey(QByteArray(ServerKey), QSsl::Ec));
        server.serve(QStringLiteral("/v2/markets/calendar?from=20240104&to=20240105"), "{\"data\":[]}");
    }

    QString address() const { return server.baseUrl() + QStringLiteral("/v2/markets/calendar?from=20240104&to=20240105"); }

    LoopbackServer server;
};

TEST_F(TlsTest, AClientThatTrustsTheTestAuthorityFetchesOverTls)
{
    ASSERT_TRUE(address().startsWith(QLatin1String("https://127.0.0.1:")));
    HttpClient http;
    http.trustAuthorities({QSslCertificate(QByteArray(TestAuthority))});
    const HttpResult r = http.fetch(address());
    ASSERT_TRUE(r.ok) << r.error.toStdString();
    EXPECT_EQ(r.body, QByteArray("{\"data\":[]}"));
    EXPECT_EQ(server.totalRequests(), 1);
}

TEST_F(TlsTest, AnUntrustedCertificateIsRefusedBeforeAnythingIsSent)
{
    HttpClient http; // the system's authorities only
    const HttpResult r = http.fetch(address());
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.failure, HttpFailure::Certificate);
    EXPECT_TRUE(r.error.startsWith(QStringLiteral("サーバーの証明書を確認できません: "))) << r.error.toStdString();
    EXPECT_TRUE(r.body.isEmpty());
    EXPECT_EQ(server.totalRequests(), 0);

    // Trusting another authority does not make this one trusted.
    HttpClient other;
    other.trustAuthorities({QSslCertificate(QByteArray(ServerCertificate))});
    EXPECT_EQ(other.fetch(address()).failure, HttpFailure::Certificate);
    EXPECT_EQ(server.totalRequests(), 0);
}

TEST(HttpHeaders, RequestHeadersAreSentAndRetryAfterIsKept)
{
    LoopbackServer server;
    QByteArray keySeen;
    server.respondWith([&](const LoopbackServer::Request &request) {
        keySeen = request.headers.value("x-api-key");
        return LoopbackServer::Reply{429, "{\"message\":\"Rate limit exceeded\"}", {{"Retry-After", "7"}}, -1};
    });
    HttpClient http;
    HttpRequest request{server.baseUrl() + QStringLiteral("/v2/equities/master"), 1024};
    request.headers.emplace_back("x-api-key", "secret-key");
    const HttpResult r = http.fetch(request);
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.status, 429);
    EXPECT_EQ(r.retryAfter, QByteArray("7"));
    EXPECT_EQ(keySeen, QByteArray("secret-key"));
}

} // namespace
