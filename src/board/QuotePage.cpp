#include "board/QuotePage.h"

#include <QLocale>
#include <QStringEncoder>

namespace QuotePage {

namespace {

QString grouped(qint32 value)
{
    return QLocale::c().toString(value); // "12,300"
}

QString escaped(const QString &text)
{
    return text.toHtmlEscaped();
}

} // namespace

QByteArray render(const Quote &q)
{
    const QString code = QString::number(q.code);
    // Rises red, falls green. An unchanged price has no coloured cell at all: the handler tells the
    // two layouts apart by the word COLOR, and finds the volume in the first plain cell after the
    // change (the percentage cell of an unchanged price carries an alignment, so it is not taken).
    QString changeCells;
    if (q.change == 0) {
        changeCells = QStringLiteral("<td nowrap>0</td><td nowrap align=right>0.00%</td>");
    } else {
        const QString colour = q.change > 0 ? QStringLiteral("#cc0000") : QStringLiteral("#008000");
        const QString sign = q.change > 0 ? QStringLiteral("+") : QString();
        const qint64 previous = qint64(q.price) - q.change;
        const QString percent =
            previous > 0 ? QString::number(double(q.change) * 100.0 / double(previous), 'f', 2) : QStringLiteral("0.00");
        changeCells = QStringLiteral("<td nowrap><font color=%1>%2%3</font></td><td nowrap><font color=%1>%4%5%</font></td>")
                          .arg(colour, sign, grouped(q.change), q.change > 0 ? QStringLiteral("+") : QString(), percent);
    }
    const QString priceText = q.price == 0 ? QStringLiteral("-") : grouped(q.price);
    const QString html =
        QStringLiteral("<html><head><meta http-equiv=\"Content-Type\" content=\"text/html; charset=EUC-JP\">\r\n"
                       "<title>%1 (%2)</title></head>\r\n<body>\r\n<table border=1 cellspacing=0 cellpadding=3>\r\n"
                       "<tr><th>コード</th><th>銘柄</th><th>時刻</th><th>現在値</th><th>前日比</th><th>騰落率</th>"
                       "<th>出来高</th><th>始値</th><th>高値</th><th>安値</th><th></th></tr>\r\n")
            .arg(escaped(q.name), code)
        + QStringLiteral("<tr><td nowrap align=left><a href=\"/q?s=%1\">%1</a></td><td nowrap>%2</td>"
                         "<td nowrap><small>%3</small></td><td nowrap><b>%4</b></td>")
              .arg(code, escaped(q.name), q.time.toString(QStringLiteral("yyyy/MM/dd　hh:mm")), priceText)
        + changeCells
        + QStringLiteral("<td nowrap>%1</td><td nowrap>%2</td><td nowrap>%3</td><td nowrap>%4</td>"
                         "<td nowrap><a href=\"/c?s=%5\">チャート</a></td></tr>\r\n</table>\r\n</body></html>\r\n")
              .arg(grouped(q.volume), grouped(q.open), grouped(q.high), grouped(q.low), code);
    QStringEncoder encoder("EUC-JP");
    return encoder.encode(html);
}

} // namespace QuotePage
