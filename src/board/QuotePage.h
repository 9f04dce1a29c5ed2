#pragma once

// Writes the quote page of one issue in the layout the board's page handler reads, so that a
// static web server can stand in for the quote site (QURL = host + "/q/{code}.html").

#include <QByteArray>
#include <QDateTime>
#include <QString>

namespace QuotePage {

struct Quote
{
    int code = 0;
    QString name;
    QDateTime time; // shown as the quote time (LblInt)
    qint32 price = 0; // 現在値
    qint32 change = 0; // 現前日比 (negative for a fall)
    qint32 volume = 0; // 現出来高, as the board stores it
    qint32 open = 0, high = 0, low = 0; // shown on the page; the handler need not read them
};

// A quote page in EUC-JP that the board's page handler reads back into price, change and volume.
// The quote time is written "yyyy/MM/dd　hh:mm" (an ideographic space, as a blank ends a value).
QByteArray render(const Quote &quote);

} // namespace QuotePage
