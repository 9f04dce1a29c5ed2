#pragma once

// Requests to the exchange group's price service J-Quants (API version 2): the API key in the
// x-api-key header, every answer a JSON object whose rows are under "data" and continue on further
// pages while it carries a "pagination_key". One request at a time, at the pace of the plan; a 429
// waits as the service asks, a server error or a broken answer is asked again a few times.
// docs/JQUANTS.md lists the requests and fields and where they are documented.

#include <QJsonArray>
#include <QList>
#include <QPair>
#include <QString>

#include <functional>
#include <optional>

class Http;

namespace convert::jquants {

enum class Plan
{
    Free,
    Light,
    Standard,
    Premium
};

// "Free", "Light", "Standard" or "Premium" in any letter case; an empty text is Free.
std::optional<Plan> planNamed(const QString &text);
QString planName(Plan plan);
// The service's limit of requests a minute.
int requestsPerMinute(Plan plan);
// The least time between the starts of two requests that keeps below the plan's limit.
int paceOf(Plan plan);

// The Free plan gives prices 12 weeks old and older.
constexpr qint64 FreePlanDelayDays = 84;
// Whether the plan includes the margin balances (/markets/margin-interest).
bool planHasMargins(Plan plan);

QString defaultBaseUrl();
// Why the base address cannot be used, or "" when it can: https, or http to this computer only
// (the key would otherwise cross the network readable).
QString baseUrlProblem(const QString &url);

struct ClientOptions
{
    QString baseUrl; // "https://api.jquants.com/v2", without a trailing "/"
    QString apiKey;
    int paceMs = 0; // least time between the starts of two requests
    int retries = 3; // further attempts after a server error, a broken answer or no connection
    int retryDelayMs = 5000;
    int rateLimitWaitMs = 60000; // after a 429 that does not say how long; doubled while it repeats
    int rateLimitTries = 6; // 429s in a row on one request before the run gives up
    int timeoutMs = 120000;
};

enum class Outcome
{
    Ok,
    BadKey, // 401/403: a wrong or expired key, or data the plan does not include
    Refused, // another 4xx: the service will not answer this request (a date outside the plan)
    Failed, // 5xx or a broken answer, still after the retries
    NoConnection, // no answer at all, still after the retries
    Certificate, // the server's certificate was refused
    RateLimited, // still 429 after waiting as asked
    Stopped, // the user stopped the run while it waited
};

struct Answer
{
    Outcome outcome = Outcome::Ok;
    QJsonArray rows; // every page's "data", in order
    QString error; // why, when not Ok (without the key)
};

class Client final
{
public:
    // wait(ms) lets time pass with the event loop running; false when the user stopped meanwhile.
    Client(Http &http, ClientOptions options, std::function<bool(int)> wait);

    // GET baseUrl + path with the query, and its further pages.
    Answer fetchAll(const QString &path, const QList<QPair<QString, QString>> &query);
    int requestCount() const { return m_requests; }
    const ClientOptions &options() const { return m_options; }

private:
    struct Page;
    Page fetchPage(const QString &address);
    bool waitForTurn();

    Http &m_http;
    ClientOptions m_options;
    std::function<bool(int)> m_wait;
    qint64 m_lastStart = -1; // ms on the steady clock
    int m_requests = 0;
};

// Waits with an event loop, in short steps so that stopRequested is seen soon.
bool waitUnlessStopped(int ms, const std::function<bool()> &stopRequested);

} // namespace convert::jquants
