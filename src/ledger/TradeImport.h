#pragma once

// Trades brought in from a broker's CSV file (code page 932 or UTF-8, with a header): a purchase
// adds a lot, a sale is matched to the oldest unsold lots of its code, splitting a lot as the
// grid's partial sale does. Lines that cannot be used are reported with their line number. A row
// already imported from this or an earlier file is recognised and passed over, so importing the
// same export again, or a later one that overlaps it, adds only the rows not yet in the ledger.

#include "ledger/Ledger.h"

#include <QString>
#include <QStringList>

namespace ledger {

struct ImportReport
{
    bool readable = false; // false: the file could not be read or has no usable header
    bool stored = false; // the file's rows and the valuation of the lots are committed
    int purchases = 0;
    int sales = 0;
    int alreadyImported = 0; // rows passed over because an earlier import stored them
    QStringList skipped; // "3行目: ..." for each line left out
    // When not stored: why, and that no row of the file was kept. When stored: what went wrong
    // after the commit (the rows stay).
    QString failure;
    QString summary() const;
};

// Decodes a file a user brings: UTF-8 (with or without a byte order mark) when the bytes are valid
// UTF-8, else code page 932.
QString decodeUserText(const QByteArray &bytes);

// Reads the file and applies it to the ledger, then values the lots as the window does on opening,
// all in one transaction: either every usable row of the file and the valuation are stored, or
// nothing is. A database error ends in the report, not in an exception.
ImportReport ImportTrades(const Context &context, const QString &path);

} // namespace ledger
