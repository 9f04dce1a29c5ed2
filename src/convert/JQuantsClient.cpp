#include "convert/JQuantsClient.h"

#include "base/Ports.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QHostAddress>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTimer>
#include <QUrl>
#include <QUrlQuery>

#include <algorithm>
#include <chrono>

namespace convert::jquants {

namespace {

// A day of every issue is a few MB; a page is smaller still.
constexpr qint64 AnswerLimit = 64LL * 1024 * 1024;
// The longest wait a Retry-After is followed for; the service blocks for about 5 minutes at most.
constexpr int LongestRateWaitMs = 10 * 60 * 1000;

qint64 steadyMs()
{
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

// Retry-After in seconds or as an HTTP date; -1 when absent or unreadable.
int retryAfterMs(const QByteArray &value)
{
    const QByteArray text = value.trimmed();
    if (text.isEmpty())
        return -1;
    bool ok = false;
    const qint64 seconds = text.toLongLong(&ok);
    if (ok)
        return seconds < 0 ? -1 : int(std::min<qint64>(seconds * 1000, LongestRateWaitMs));
    const QDateTime when = QDateTime::fromString(QString::fromLatin1(text), Qt::RFC2822Date);
    if (!when.isValid())
        return -1;
    return int(std::clamp<qint64>(QDateTime::currentDateTimeUtc().msecsTo(when), 0, LongestRateWaitMs));
}

} // namespace

std::optional<Plan> planNamed(const QString &text)
{
    const QString t = text.trimmed().toLower();
    if (t.isEmpty() || t == QLatin1String("free"))
        return Plan::Free;
    if (t == QLatin1String("light"))
        return Plan::Light;
    if (t == QLatin1String("standard"))
        return Plan::Standard;
    if (t == QLatin1String("premium"))
        return Plan::Premium;
    return std::nullopt;
}

QString planName(Plan plan)
{
    switch (plan) {
    case Plan::Free:
        return QStringLiteral("Free");
    case Plan::Light:
        return QStringLiteral("Light");
    case Plan::Standard:
        return QStringLiteral("Standard");
    case Plan::Premium:
        return QStringLiteral("Premium");
    }
    return {};
}

int requestsPerMinute(Plan plan)
{
    switch (plan) {
    case Plan::Free:
        return 5;
    case Plan::Light:
        return 60;
    case Plan::Standard:
        return 120;
    case Plan::Premium:
        return 500;
    }
    return 5;
}

int paceOf(Plan plan)
{
    // 5 % above the even spacing: the service counts by its own clock.
    return 63000 / requestsPerMinute(plan);
}

bool planHasMargins(Plan plan)
{
    return plan == Plan::Standard || plan == Plan::Premium;
}

QString defaultBaseUrl()
{
    return QStringLiteral("https://api.jquants.com/v2");
}

QString baseUrlProblem(const QString &url)
{
    const QUrl u(url.trimmed(), QUrl::StrictMode);
    if (!u.isValid() || u.host().isEmpty())
        return QStringLiteral("J-Quants のアドレス %1 を読めません。").arg(url);
    if (u.scheme() == QLatin1String("https"))
        return {};
    if (u.scheme() == QLatin1String("http")) {
        const QHostAddress host(u.host());
        if (u.host() == QLatin1String("localhost") || (!host.isNull() && host.isLoopback()))
            return {};
        return QStringLiteral("J-Quants のアドレス %1 は https:// で始めてください（http:// はこのコンピューター内の"
                              "アドレスにだけ使えます）。")
            .arg(url);
    }
    return QStringLiteral("J-Quants のアドレス %1 は https:// で始めてください。").arg(url);
}

struct Client::Page
{
    Outcome outcome = Outcome::Ok;
    QJsonArray rows;
    QString nextKey;
    QString error;
};

Client::Client(Http &http, ClientOptions options, std::function<bool(int)> wait)
    : m_http(http), m_options(std::move(options)), m_wait(std::move(wait))
{
    while (m_options.baseUrl.endsWith(QLatin1Char('/')))
        m_options.baseUrl.chop(1);
}

bool Client::waitForTurn()
{
    if (m_lastStart >= 0 && m_options.paceMs > 0) {
        const qint64 due = m_lastStart + m_options.paceMs - steadyMs();
        if (due > 0 && !m_wait(int(due)))
            return false;
    }
    m_lastStart = steadyMs();
    return true;
}

Client::Page Client::fetchPage(const QString &address)
{
    Page page;
    int rateLimited = 0;
    int rateWait = m_options.rateLimitWaitMs;
    int failures = 0;
    while (true) {
        if (!waitForTurn()) {
            page.outcome = Outcome::Stopped;
            return page;
        }
        HttpRequest request{address, AnswerLimit, m_options.timeoutMs};
        request.headers.emplace_back("x-api-key", m_options.apiKey.toUtf8());
        ++m_requests;
        const HttpResult r = m_http.fetch(request);

        int waitMs = 0;
        if (r.ok) {
            QJsonParseError parseError{};
            const QJsonDocument doc = QJsonDocument::fromJson(r.body, &parseError);
            const QJsonValue data = doc.object().value(QLatin1String("data"));
            if (doc.isObject() && data.isArray()) {
                page.rows = data.toArray();
                page.nextKey = doc.object().value(QLatin1String("pagination_key")).toString();
                return page;
            }
            page.error = QStringLiteral("応答が JSON の data ではありません");
            waitMs = m_options.retryDelayMs;
        } else if (r.status == 429) {
            if (++rateLimited >= m_options.rateLimitTries) {
                page.outcome = Outcome::RateLimited;
                page.error = QStringLiteral("HTTP 429（リクエスト数の上限）が続きます");
                return page;
            }
            // As the service asks; else a minute, the span its limit counts, longer while it repeats.
            waitMs = retryAfterMs(r.retryAfter);
            if (waitMs < 0) {
                waitMs = rateWait;
                rateWait = std::min(rateWait * 2, LongestRateWaitMs);
            }
            if (!m_wait(waitMs)) {
                page.outcome = Outcome::Stopped;
                return page;
            }
            continue; // a 429 is not a failure of the answer: it does not use up the retries
        } else if (r.status == 401 || r.status == 403) {
            page.outcome = Outcome::BadKey;
            page.error = r.error;
            return page;
        } else if (r.status >= 400 && r.status < 500) {
            page.outcome = Outcome::Refused;
            page.error = r.error;
            return page;
        } else if (r.failure == HttpFailure::Certificate) {
            page.outcome = Outcome::Certificate;
            page.error = r.error;
            return page;
        } else {
            page.error = r.error; // 5xx, cut short, too large, no connection, timed out
            waitMs = std::max(m_options.retryDelayMs, retryAfterMs(r.retryAfter));
        }
        if (++failures > m_options.retries) {
            const bool noAnswer = r.failure == HttpFailure::Connection || r.failure == HttpFailure::TimedOut;
            page.outcome = noAnswer ? Outcome::NoConnection : Outcome::Failed;
            return page;
        }
        if (!m_wait(waitMs)) {
            page.outcome = Outcome::Stopped;
            return page;
        }
    }
}

Answer Client::fetchAll(const QString &path, const QList<QPair<QString, QString>> &query)
{
    Answer answer;
    QString nextKey;
    // A key the service hands out twice would page for ever.
    QStringList seenKeys;
    do {
        QUrlQuery q;
        q.setQueryItems(query);
        if (!nextKey.isEmpty())
            q.addQueryItem(QStringLiteral("pagination_key"), QString::fromLatin1(QUrl::toPercentEncoding(nextKey)));
        QUrl url(m_options.baseUrl + path);
        url.setQuery(q);
        Page page = fetchPage(url.toString(QUrl::FullyEncoded));
        if (page.outcome != Outcome::Ok) {
            answer.outcome = page.outcome;
            answer.error = page.error;
            answer.rows = {};
            return answer;
        }
        for (const auto &row : std::as_const(page.rows))
            answer.rows.append(row);
        if (!page.nextKey.isEmpty() && seenKeys.contains(page.nextKey)) {
            answer.outcome = Outcome::Failed;
            answer.error = QStringLiteral("同じ pagination_key が繰り返されました");
            answer.rows = {};
            return answer;
        }
        seenKeys.append(page.nextKey);
        nextKey = page.nextKey;
    } while (!nextKey.isEmpty());
    return answer;
}

bool waitUnlessStopped(int ms, const std::function<bool()> &stopRequested)
{
    QElapsedTimer elapsed;
    elapsed.start();
    while (true) {
        if (stopRequested && stopRequested())
            return false;
        const qint64 left = ms - elapsed.elapsed();
        if (left <= 0)
            return true;
        QEventLoop loop;
        QTimer::singleShot(int(std::min<qint64>(left, 100)), &loop, &QEventLoop::quit);
        loop.exec();
    }
}

} // namespace convert::jquants
