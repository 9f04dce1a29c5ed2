#include "board/QuotePage.h"

#include <QStringEncoder>

#include <cstdio>

namespace QuotePage {

namespace {

// Thousands of pages are written on a run: the page is put together in bytes, the fixed text
// encoded once, and only the name goes through a converter, which is opened once per thread.
QByteArray euc(const QString &text)
{
    thread_local QStringEncoder encoder("EUC-JP", QStringConverter::Flag::Stateless);
    return encoder.encode(text);
}

struct FixedText
{
    QByteArray head = euc(QStringLiteral("<html><head><meta http-equiv=\"Content-Type\" content=\"text/html; charset=EUC-JP\">\r\n<title>"));
    QByteArray columns = euc(QStringLiteral(
        ")</title></head>\r\n<body>\r\n<table border=1 cellspacing=0 cellpadding=3>\r\n"
        "<tr><th>コード</th><th>銘柄</th><th>時刻</th><th>現在値</th><th>前日比</th><th>騰落率</th>"
        "<th>出来高</th><th>始値</th><th>高値</th><th>安値</th><th></th></tr>\r\n"));
    QByteArray chart = euc(QStringLiteral("\">チャート</a></td></tr>\r\n</table>\r\n</body></html>\r\n"));
    QByteArray wideSpace = euc(QStringLiteral("　"));
};

const FixedText &fixedText()
{
    static const FixedText text;
    return text;
}

void appendCell(QByteArray &out, qint32 value)
{
    out += "<td nowrap>";
    out += QByteArray::number(value);
    out += "</td>";
}

// "yyyy/MM/dd　hh:mm", as QDateTime writes it; an invalid time is empty.
void appendTime(QByteArray &out, const QDateTime &time)
{
    if (!time.isValid())
        return;
    const QDate date = time.date();
    const QTime clock = time.time();
    if (date.year() < 1000 || date.year() > 9999) {
        out += euc(time.toString(QStringLiteral("yyyy/MM/dd　hh:mm")));
        return;
    }
    char text[32];
    std::snprintf(text, sizeof text, "%04d/%02d/%02d", date.year(), date.month(), date.day());
    out += text;
    out += fixedText().wideSpace;
    std::snprintf(text, sizeof text, "%02d:%02d", clock.hour(), clock.minute());
    out += text;
}

} // namespace

QByteArray render(const Quote &q)
{
    const FixedText &fixed = fixedText();
    const QByteArray code = QByteArray::number(q.code);
    const QByteArray name = euc(q.name.toHtmlEscaped());
    QByteArray out;
    out.reserve(1200);
    out += fixed.head;
    out += name;
    out += " (";
    out += code;
    out += fixed.columns;
    out += "<tr><td nowrap align=left><a href=\"/q?s=";
    out += code;
    out += "\">";
    out += code;
    out += "</a></td><td nowrap>";
    out += name;
    out += "</td><td nowrap><small>";
    appendTime(out, q.time);
    out += "</small></td><td nowrap><b>";
    if (q.price == 0)
        out += '-';
    else
        out += QByteArray::number(q.price);
    out += "</b></td>";
    // Rises red, falls green. An unchanged price has no coloured cell at all: the handler tells the
    // two layouts apart by the word COLOR, and finds the volume in the first plain cell after the
    // change (the percentage cell of an unchanged price carries an alignment, so it is not taken).
    if (q.change == 0) {
        out += "<td nowrap>0</td><td nowrap align=right>0.00%</td>";
    } else {
        const QByteArray font = q.change > 0 ? QByteArrayLiteral("<font color=#cc0000>") : QByteArrayLiteral("<font color=#008000>");
        const qint64 previous = qint64(q.price) - q.change;
        const QByteArray percent =
            previous > 0 ? QByteArray::number(double(q.change) * 100.0 / double(previous), 'f', 2) : QByteArrayLiteral("0.00");
        out += "<td nowrap>" + font;
        if (q.change > 0)
            out += '+';
        out += QByteArray::number(q.change);
        out += "</font></td><td nowrap>" + font;
        if (q.change > 0)
            out += '+';
        out += percent;
        out += "%</font></td>";
    }
    appendCell(out, q.volume);
    appendCell(out, q.open);
    appendCell(out, q.high);
    appendCell(out, q.low);
    out += "<td nowrap><a href=\"/c?s=";
    out += code;
    out += fixed.chart;
    return out;
}

} // namespace QuotePage
