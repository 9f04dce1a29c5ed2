#include "loopback/ServiceFixture.h"

#include <QJsonDocument>
#include <QUrl>
#include <QUrlQuery>

namespace testing_support {

namespace {

QDate dateOf(const QString &text)
{
    QDate d = QDate::fromString(text, QStringLiteral("yyyyMMdd"));
    return d.isValid() ? d : QDate::fromString(text, Qt::ISODate);
}

QByteArray json(const QJsonObject &object)
{
    return QJsonDocument(object).toJson(QJsonDocument::Compact);
}

} // namespace

ServiceFixture::ServiceFixture(LoopbackServer &server, QByteArray key)
    : m_server(server), m_key(std::move(key))
{
    m_server.respondWith([this](const LoopbackServer::Request &r) { return answer(r); });
}

void ServiceFixture::list(const QString &code, const QString &name, const QString &segment)
{
    m_listing.append(QJsonObject{{QStringLiteral("Code"), code}, {QStringLiteral("CoName"), name}, {QStringLiteral("Mkt"), segment}, {QStringLiteral("MktNm"), QStringLiteral("-")}});
}

void ServiceFixture::bar(const QDate &date, const QString &code, double open, double high, double low, double close,
                         std::optional<double> volume, double factor)
{
    const QJsonValue none(QJsonValue::Null);
    QJsonObject row{{QStringLiteral("Date"), date.toString(Qt::ISODate)}, {QStringLiteral("Code"), code}, {QStringLiteral("AdjFactor"), factor}};
    row.insert(QStringLiteral("O"), volume ? QJsonValue(open) : none);
    row.insert(QStringLiteral("H"), volume ? QJsonValue(high) : none);
    row.insert(QStringLiteral("L"), volume ? QJsonValue(low) : none);
    row.insert(QStringLiteral("C"), volume ? QJsonValue(close) : none);
    row.insert(QStringLiteral("Vo"), volume ? QJsonValue(*volume) : none);
    m_bars[date].append(row);
}

void ServiceFixture::margin(const QDate &date, const QString &code, double sell, double buy)
{
    m_margins[date].append(QJsonObject{{QStringLiteral("Date"), date.toString(Qt::ISODate)}, {QStringLiteral("Code"), code}, {QStringLiteral("ShrtVol"), sell}, {QStringLiteral("LongVol"), buy}, {QStringLiteral("IssType"), QStringLiteral("2")}});
}

int ServiceFixture::requestsFor(const QString &prefix) const
{
    int n = 0;
    for (const QString &r : m_requests)
        n += r.startsWith(prefix) ? 1 : 0;
    return n;
}

QJsonArray ServiceFixture::rowsFor(const QString &path, const QMap<QString, QString> &query) const
{
    const QDate date = dateOf(query.value(QStringLiteral("date")));
    if (path == QLatin1String("/v2/markets/calendar")) {
        QJsonArray rows;
        for (QDate d = dateOf(query.value(QStringLiteral("from"))); d.isValid() && d <= dateOf(query.value(QStringLiteral("to")));
             d = d.addDays(1)) {
            const int division = m_holidays.contains(d) ? m_holidays.value(d) : d.dayOfWeek() <= 5 ? 1
                                                                                                   : 0;
            rows.append(QJsonObject{{QStringLiteral("Date"), d.toString(Qt::ISODate)}, {QStringLiteral("HolDiv"), QString::number(division)}});
        }
        return rows;
    }
    if (path == QLatin1String("/v2/equities/master")) {
        if (listingOf)
            return listingOf(date);
        QJsonArray rows;
        for (const QJsonValue &v : m_listing) {
            QJsonObject o = v.toObject();
            o.insert(QStringLiteral("Date"), date.toString(Qt::ISODate));
            rows.append(o);
        }
        return rows;
    }
    if (path == QLatin1String("/v2/equities/bars/daily"))
        return barsOf ? barsOf(date) : m_bars.value(date);
    if (path == QLatin1String("/v2/markets/margin-interest"))
        return marginsOf ? marginsOf(date) : m_margins.value(date);
    return {};
}

LoopbackServer::Reply ServiceFixture::answer(const LoopbackServer::Request &request)
{
    m_requests.append(request.target);
    if (request.headers.value("x-api-key") != m_key)
        return {403, R"({"message":"The incoming token is invalid or expired."})", {}, -1};
    const QUrl url(request.target);
    const QUrlQuery urlQuery(url);
    QMap<QString, QString> query;
    for (const auto &[name, value] : urlQuery.queryItems(QUrl::FullyDecoded))
        query.insert(name, value);
    const QString pageKey = query.take(QStringLiteral("pagination_key"));
    if (pageKey.isEmpty()) {
        QList<LoopbackServer::Reply> &queued = m_queued[request.target];
        if (!queued.isEmpty())
            return queued.takeFirst();
    }
    static const QStringList known{QStringLiteral("/v2/markets/calendar"), QStringLiteral("/v2/equities/master"),
                                   QStringLiteral("/v2/equities/bars/daily"), QStringLiteral("/v2/markets/margin-interest")};
    if (!known.contains(url.path()))
        return {403, R"({"message":"Missing Authentication Token"})", {}, -1};

    // Pages of pageSize rows; the key names the next page, with characters that need encoding.
    const QJsonArray all = rowsFor(url.path(), query);
    const int page = pageKey.isEmpty() ? 0 : pageKey.section(QLatin1Char('+'), 0, 0).mid(1).toInt();
    QJsonArray rows;
    for (int i = page * pageSize; i < all.size() && i < (page + 1) * pageSize; ++i)
        rows.append(all.at(i));
    QJsonObject body{{QStringLiteral("data"), rows}};
    if ((page + 1) * pageSize < all.size())
        body.insert(QStringLiteral("pagination_key"), QStringLiteral("p%1+=/&x").arg(page + 1));
    LoopbackServer::Reply reply{200, json(body), {}, -1};
    if (pageKey.isEmpty() && m_cut.value(request.target) > 0) {
        m_cut[request.target] -= 1;
        reply.sentBytes = int(reply.body.size() / 2);
    }
    return reply;
}

} // namespace testing_support
