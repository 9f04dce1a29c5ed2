#include "board/QuoteFetch.h"

#include "base/Ports.h"
#include "base/Settings.h"
#include "board/Dialup.h"
#include "board/InetHttp.h"
#include "board/QuoteParser.h"
#include "db/Database.h"

#include <QTimer>

namespace board {

QString quoteUrl(const QString &address, qint32 code)
{
    const QString codeText = QString::number(code);
    if (address.contains(QLatin1String("{code}")))
        return QStringLiteral("http://") + QString(address).replace(QLatin1String("{code}"), codeText);
    return QStringLiteral("http://") + address + QStringLiteral("/q?s=") + codeText + QStringLiteral("&d=v2");
}

QuoteFetch::QuoteFetch(const QString &dbPath, int kind, Http &http, Prompt &prompt, const Clock &clock, QObject *parent)
    : QObject(parent), m_dbPath(dbPath), m_kind(kind), m_http(http), m_prompt(prompt), m_clock(clock),
      Timer1(new QTimer(this))
{
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(TimerIntervalMs);
    connect(Timer1, &QTimer::timeout, this, &QuoteFetch::Timer1_Timer);
}

QuoteFetch::~QuoteFetch() = default;

bool QuoteFetch::timerRunning() const
{
    return m_connecting || Timer1->isActive();
}

bool QuoteFetch::isFetching() const
{
    return m_connecting || Timer1->isActive() || m_busy1 || m_busy2;
}

bool QuoteFetch::start()
{
    if (isFetching())
        return false;
    if (!m_prompt.askYesNo(QStringLiteral("インターネットから株価を取得します　宜しいですか？"), QStringLiteral("確認")))
        return false;
    m_address = Settings::quoteAddress();
    // Events run while the host is tried: the window keeps its buttons and its close box shut.
    m_connecting = true;
    const bool connected = Dialup::AttemptConnect(m_address);
    m_connecting = false;
    if (!connected) {
        m_prompt.inform(QStringLiteral("接続に失敗しました。"));
        return false;
    }
    Q_EMIT busyChanged(true);
    const QString stamp = m_clock.now().toString(QStringLiteral("yy/MM/dd hh:mm"));
    Settings::writeSettingsValue(dateKey(m_kind), stamp);
    Q_EMIT fetchTimeChanged(stamp);
    BoardContext ctx{m_dbPath, m_prompt, m_clock.today()};
    m_failures.clear();
    m_endedByError = false;
    if (!ClearQuotes(ctx, m_kind)) {
        Q_EMIT busyChanged(false);
        return false;
    }
    Q_EMIT rowsChanged();
    try {
        m_codes = boardCodes(m_dbPath, m_kind);
        // Open for the whole fetch: each quote is then one short write, and the file is
        // checkpointed once when the fetch ends instead of after every page.
        m_database = std::make_unique<db::Database>(m_dbPath);
    } catch (const db::DbError &e) {
        Q_EMIT busyChanged(false);
        m_prompt.inform(e.description(), QStringLiteral("ミラベル"), PromptIcon::Critical);
        return false;
    }
    m_next = 0;
    if (m_codes.empty()) {
        m_database.reset();
        Q_EMIT busyChanged(false);
        m_prompt.inform(QStringLiteral("取得する銘柄がありません。"));
        return false;
    }
    Timer1->start();
    return true;
}

void QuoteFetch::Timer1_Timer()
{
    for (int channel = 1; channel <= 2; ++channel) {
        // Rows without a usable code are passed over without a request.
        while (m_next < m_codes.size() && m_codes[m_next] <= 0)
            ++m_next;
        if (m_next >= m_codes.size()) {
            stopTimer();
            endIfDone();
            return;
        }
        bool &busy = channel == 1 ? m_busy1 : m_busy2;
        if (busy)
            continue;
        busy = true;
        const qint32 code = m_codes[m_next++];
        auto *getter = new InetHttp(m_http, m_timeoutMs, this);
        if (channel == 1) {
            GetHttp1 = getter;
            connect(getter, &InetHttp::Gethtm1, this, &QuoteFetch::GetHttp1_Gethtm1);
        } else {
            GetHttp2 = getter;
            connect(getter, &InetHttp::Gethtm2, this, &QuoteFetch::GetHttp2_Gethtm2);
        }
        getter->DL(channel, code, quoteUrl(m_address, code));
    }
}

void QuoteFetch::GetHttp1_Gethtm1(const QString &html, qint32 cookie)
{
    handlePage(1, html, cookie);
}
void QuoteFetch::GetHttp2_Gethtm2(const QString &html, qint32 cookie)
{
    handlePage(2, html, cookie);
}

void QuoteFetch::handlePage(int channel, const QString &html, qint32 cookie)
{
    if (!(channel == 1 ? m_busy1 : m_busy2))
        return; // the fetch ended while the page was on its way
    InetHttp *&getter = channel == 1 ? GetHttp1 : GetHttp2;
    const QString failure = getter ? getter->failure(channel) : QString();
    if (getter) {
        getter->deleteLater(); // we are inside its signal
        getter = nullptr;
    }
    (channel == 1 ? m_busy1 : m_busy2) = false;
    if (const auto quote = ParseQuotePage(html, cookie)) {
        Q_EMIT quoteTimeChanged(quote->quoteTime);
        try {
            if (m_database)
                StoreQuote(*m_database, m_kind, cookie, quote->price, quote->change, quote->volume);
        } catch (const db::DbError &e) {
            abandon(e.description());
            return;
        }
    } else {
        m_failures.append(failure.isEmpty() ? QStringLiteral("%1 に株価がありません。").arg(quoteUrl(m_address, cookie))
                                            : failure);
    }
    Q_EMIT rowsChanged();
    endIfDone();
}

void QuoteFetch::stopTimer()
{
    Timer1->stop();
}

QString QuoteFetch::endMessage() const
{
    QString text = QStringLiteral("取得終了しました。");
    if (m_failures.isEmpty())
        return text;
    constexpr qsizetype Shown = 3;
    text += QStringLiteral("（取得できなかった銘柄: %1件）").arg(m_failures.size());
    for (qsizetype i = 0; i < m_failures.size() && i < Shown; ++i)
        text += QLatin1Char('\n') + m_failures.at(i);
    if (m_failures.size() > Shown)
        text += QStringLiteral("\n…");
    return text;
}

void QuoteFetch::endIfDone()
{
    if (Timer1->isActive() || m_busy1 || m_busy2)
        return;
    // The quotes are written through this connection: its close is their last write.
    QString error;
    try {
        if (m_database)
            m_database->close();
    } catch (const db::DbError &e) {
        error = e.description();
    }
    m_database.reset();
    if (error.isEmpty())
        end(endMessage(), false);
    else
        end(error, true);
}

void QuoteFetch::abandon(const QString &error)
{
    stopTimer();
    for (InetHttp **getter : {&GetHttp1, &GetHttp2}) {
        if (*getter) {
            disconnect(*getter, nullptr, this, nullptr); // its page, when it comes, goes nowhere
            (*getter)->deleteLater();
            *getter = nullptr;
        }
    }
    m_busy1 = m_busy2 = false;
    m_database.reset();
    Q_EMIT rowsChanged();
    end(error, true);
}

void QuoteFetch::end(const QString &message, bool error)
{
    m_endedByError = error;
    Q_EMIT busyChanged(false);
    if (Dialup::IsDialupConnected(true))
        Dialup::HangUpDialup();
    if (error)
        m_prompt.inform(message, QStringLiteral("ミラベル"), PromptIcon::Critical);
    else
        m_prompt.inform(message);
    Q_EMIT finished();
}

} // namespace board
