#pragma once

// Reading a quote page: the byte conversion of the downloaded page, the value extraction and the
// page handler's rules that find the quote time, price, change and volume of one issue.

#include <QByteArray>
#include <QString>

#include <optional>

namespace board {

// EUC-JP bytes to Shift_JIS bytes, walking the bytes pairwise: 0x8E + a half-width katakana byte
// gives that byte alone; two bytes in 0xA1..0xFE give the Shift_JIS pair of the same JIS X 0208
// character; a line end (CR LF, lone CR or lone LF) becomes CR LF in lineMode 3, CR in mode 1 and
// LF in mode 2, and is copied in mode 0; every other byte is copied.
QByteArray EucToSjis(const QByteArray &bytes, int lineMode);

// The downloaded body as the page handler sees it: EucToSjis with line mode 3, read as Shift_JIS.
QString pageText(const QByteArray &body);

// The value after startMarker (found without regard to case): leading quote marks, "=", "<" and a
// one-character stopMarker are skipped, then the characters up to the next blank, quote mark, "=",
// "<", "%" or stopMarker are taken; a blank before any value gives "". "-" becomes "0".
QString ExtractValue(const QString &text, const QString &startMarker, const QString &stopMarker);

// Digit-grouping commas removed, the rest as a 32-bit integer; text that is not a number and a
// number beyond the 32-bit range give 0.
qint32 ToNumber(const QString &text);

struct PageQuote
{
    QString quoteTime; // LblInt
    qint32 price = 0; // 現在値
    qint32 change = 0; // 現前日比
    qint32 volume = 0; // 現出来高
};

// The quote of the issue code on the page, or nothing when the page holds no "チャート" or no row
// of that issue (a failed download, an error page, a page of another issue).
std::optional<PageQuote> ParseQuotePage(const QString &html, qint32 code);

} // namespace board
