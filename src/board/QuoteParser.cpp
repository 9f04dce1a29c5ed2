#include "board/QuoteParser.h"

#include "base/Currency.h"
#include "base/TextFile.h"

#include <limits>

namespace board {

namespace {

bool inRange(unsigned char b, unsigned char low, unsigned char high)
{
    return b >= low && b <= high;
}

void appendLineEnd(QByteArray &out, int lineMode)
{
    if (lineMode == 1)
        out.append('\r');
    else if (lineMode == 2)
        out.append('\n');
    else
        out.append("\r\n");
}

// The text after the first marker; the text as it is when the marker is absent, so that a page
// without a coloured cell still leads to the volume cell (markers and text are upper case).
QString after(const QString &text, const QString &marker)
{
    const qsizetype at = text.indexOf(marker);
    return at < 0 ? text : text.mid(at + marker.size());
}

bool isBreak(QChar c, QChar stop)
{
    return c == u' ' || c == u'"' || c == u'\'' || c == u'=' || c == u'<' || c == u'%' || c == stop;
}

} // namespace

QByteArray EucToSjis(const QByteArray &bytes, int lineMode)
{
    QByteArray out;
    out.reserve(bytes.size());
    const qsizetype n = bytes.size();
    qsizetype i = 0;
    while (i < n) {
        const auto b1 = static_cast<unsigned char>(bytes[i]);
        const auto b2 = i + 1 < n ? static_cast<unsigned char>(bytes[i + 1]) : 0;
        if (b1 == 0x8E && inRange(b2, 0xA1, 0xDF)) {
            out.append(char(b2));
            i += 2;
        } else if (inRange(b1, 0xA1, 0xFE) && inRange(b2, 0xA1, 0xFE)) {
            const int j1 = b1 & 0x7F;
            const int j2 = b2 & 0x7F;
            int s1 = ((j1 - 0x21) >> 1) + 0x81;
            if (s1 > 0x9F)
                s1 += 0x40;
            int s2;
            if (j1 & 1) {
                s2 = j2 + 0x1F;
                if (s2 >= 0x7F)
                    ++s2;
            } else {
                s2 = j2 + 0x7E;
            }
            out.append(char(s1));
            out.append(char(s2));
            i += 2;
        } else if ((b1 == '\r' || b1 == '\n') && lineMode != 0) {
            appendLineEnd(out, lineMode);
            i += (b1 == '\r' && b2 == '\n') ? 2 : 1;
        } else {
            out.append(char(b1));
            i += 1;
        }
    }
    return out;
}

QString pageText(const QByteArray &body)
{
    return TextFile::decode(EucToSjis(body, 3));
}

QString ExtractValue(const QString &text, const QString &startMarker, const QString &stopMarker)
{
    const qsizetype at = text.indexOf(startMarker, 0, Qt::CaseInsensitive);
    if (at < 0)
        return QString();
    const QString stopUpper = stopMarker.toUpper();
    const QChar stop = stopUpper.size() == 1 ? stopUpper.at(0) : QChar(0xFFFF);
    QString value;
    for (qsizetype i = at + startMarker.size(); i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c == u' ')
            break;
        if (c == u'"' || c == u'\'' || c == u'=' || c == u'<' || c == stop)
            continue;
        qsizetype end = i;
        while (end < text.size() && !isBreak(text.at(end), stop))
            ++end;
        // The character that opened the value is taken even when it is a "%".
        value = text.mid(i, qMax<qsizetype>(end - i, 1));
        break;
    }
    return value == u"-" ? QStringLiteral("0") : value;
}

qint32 ToNumber(const QString &text)
{
    QString plain = text;
    plain.remove(u',');
    plain = plain.trimmed();
    bool ok = false;
    const qlonglong whole = plain.toLongLong(&ok);
    if (ok)
        return whole >= std::numeric_limits<qint32>::min() && whole <= std::numeric_limits<qint32>::max()
            ? qint32(whole)
            : 0;
    const double real = plain.toDouble(&ok);
    if (!ok || !(real >= double(std::numeric_limits<qint32>::min()) && real <= double(std::numeric_limits<qint32>::max())))
        return 0;
    return qint32(Rounding::nearest(real));
}

std::optional<PageQuote> ParseQuotePage(const QString &html, qint32 code)
{
    const QString chart = QStringLiteral("チャート");
    QString h = html.toUpper();
    if (!h.contains(chart))
        return std::nullopt;
    const QString rowMarker = QStringLiteral("<TD NOWRAP ALIGN=LEFT><A HREF=\"/Q?S=") + QString::number(code);
    if (!h.contains(rowMarker))
        return std::nullopt;
    h = after(h, rowMarker);
    const qsizetype chartAt = h.indexOf(chart);
    if (chartAt >= 0)
        h.truncate(chartAt);

    PageQuote q;
    q.quoteTime = ExtractValue(h, QStringLiteral("<SMALL>"), QStringLiteral("</SMALL>"));
    q.price = ToNumber(ExtractValue(h, QStringLiteral("<TD NOWRAP><B>"), QStringLiteral("</B></TD>")));
    h = after(h, QStringLiteral("</B></TD>"));
    if (h.contains(QStringLiteral("COLOR")))
        h = after(h, QStringLiteral("<TD NOWRAP><FONT COLOR"));
    else
        h = after(h, QStringLiteral("<TD NOWR"));
    q.change = ToNumber(ExtractValue(h, QStringLiteral(">"), QStringLiteral("<")));
    h = after(h, QStringLiteral("<TD NOWRAP><FONT COLOR"));
    q.volume = ToNumber(ExtractValue(h, QStringLiteral("<TD NOWRAP>"), QStringLiteral("</TD>")));
    return q;
}

} // namespace board
