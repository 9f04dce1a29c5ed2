#pragma once

// The ranking kinds our data server publishes. The shipped `infodata` file and the publishing tool
// are both generated from this one list.

#include <QByteArray>
#include <QDate>
#include <QList>
#include <QString>

namespace InfoKinds {

struct Kind
{
    QString code; // "d.." daily, "w.." weekly
    QString name;
    int order = 0; // display order
};

// Every kind, in display order.
const QList<Kind> &shipped();

// The date of this version of the list; it is the date line of the shipped file.
QDate listDate();

// The kinds file as the data server serves it: "YYYYMMDD" + "," + count + CR LF, then
// "code,name,order" + CR LF per kind, in code page 932.
QByteArray kindsFileBytes(const QList<Kind> &kinds, const QDate &date);

} // namespace InfoKinds
