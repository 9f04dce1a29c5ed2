#pragma once

// Trades brought in from a broker's CSV file (code page 932 or UTF-8, with a header): a purchase
// adds a lot, a sale is matched to the oldest unsold lots of its code, splitting a lot as the
// grid's partial sale does. Lines that cannot be used are reported with their line number.

#include "ledger/Ledger.h"

#include <QString>
#include <QStringList>

namespace ledger {

struct ImportReport
{
    bool readable = false; // false: the file could not be read or has no usable header
    int purchases = 0;
    int sales = 0;
    QStringList skipped;   // "3行目: ..." for each line left out
    QString summary() const;
};

// Decodes a file a user brings: UTF-8 (with or without a byte order mark) when the bytes are valid
// UTF-8, else code page 932.
QString decodeUserText(const QByteArray &bytes);

// Reads the file and applies it to the ledger, then values the lots as the window does on opening.
// Throws db::DbError.
ImportReport ImportTrades(const Context &context, const QString &path);

} // namespace ledger
