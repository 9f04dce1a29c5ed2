#pragma once

// A loopback stand-in for the price service as docs/JQUANTS.md describes it: the key in
// x-api-key (403 without it), rows under "data" split into pages chained by "pagination_key",
// the calendar, the listed issues, the daily bars and the margin balances of a date; and answers
// put in front of the next request for a target (a 429 with Retry-After, a 500, a body cut short).

#include "loopback/LoopbackServer.h"

#include <QDate>
#include <QHash>
#include <QJsonArray>
#include <QJsonObject>
#include <QList>
#include <QMap>
#include <QStringList>

#include <functional>
#include <optional>

namespace testing_support {

class ServiceFixture final
{
public:
    explicit ServiceFixture(LoopbackServer &server, QByteArray key = "test-key");

    QString baseUrl() const { return m_server.baseUrl() + QStringLiteral("/v2"); }
    const QByteArray &key() const { return m_key; }

    // Weekdays are trading days (1), weekends 0, unless set here.
    void setHoliday(const QDate &date) { m_holidays.insert(date, 0); }

    // An issue listed on every date.
    void list(const QString &code, const QString &name, const QString &segment);
    // A day's bar; no volume: a day without trade (the service then gives null prices).
    void bar(const QDate &date, const QString &code, double open, double high, double low, double close,
             std::optional<double> volume, double factor = 1.0);
    void margin(const QDate &date, const QString &code, double sell, double buy);

    // Rows on demand instead of the ones above (the benchmark's market of thousands of issues).
    std::function<QJsonArray(const QDate &)> barsOf;
    std::function<QJsonArray(const QDate &)> listingOf;
    std::function<QJsonArray(const QDate &)> marginsOf;

    int pageSize = 1000;

    // The next request for target ("/v2/equities/bars/daily?date=20240105") gets reply instead.
    void answerNext(const QString &target, const LoopbackServer::Reply &reply) { m_queued[target].append(reply); }
    // The next request for target gets its real answer cut short.
    void cutNext(const QString &target) { m_cut[target] += 1; }

    // Every request as it arrived (the path with its query), and how many carried the wrong key.
    const QStringList &requests() const { return m_requests; }
    int requestsFor(const QString &prefix) const;

private:
    LoopbackServer::Reply answer(const LoopbackServer::Request &request);
    QJsonArray rowsFor(const QString &path, const QMap<QString, QString> &query) const;

    LoopbackServer &m_server;
    QByteArray m_key;
    QMap<QDate, int> m_holidays;
    QJsonArray m_listing;
    QMap<QDate, QJsonArray> m_bars;
    QMap<QDate, QJsonArray> m_margins;
    QHash<QString, QList<LoopbackServer::Reply>> m_queued;
    QHash<QString, int> m_cut;
    QStringList m_requests;
};

} // namespace testing_support
