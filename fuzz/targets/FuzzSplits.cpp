// A file of split events a user keeps: every event read is within the rules, every line left out
// is named once with a short reason, and an event written back as a line reads back the same.

#include "FuzzSupport.h"

#include "splits/Adjustments.h"

using fuzzing::check;
using fuzzing::checkReadable;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray bytes = fuzzing::bytesOf(data, size);
    const splits::CsvEvents parsed = splits::ParseEventsCsv(bytes);
    const qsizetype lines = bytes.count('\n') + bytes.count('\r') + 1;
    check(qsizetype(parsed.events.size() + parsed.skipped.size()) <= lines, "more results than lines");
    int previousLine = 0;
    for (const splits::CsvLine &line : parsed.skipped) {
        check(line.lineNumber > previousLine && line.lineNumber <= lines, "a skipped line numbered out of order");
        previousLine = line.lineNumber;
        checkReadable(splits::skippedLine(line));
    }
    for (const splits::AdjustmentEvent &event : parsed.events) {
        check(event.code >= 1 && event.code <= 9999, "a code outside 1 to 9999");
        check(event.date.isValid(), "an invalid date");
        const splits::Ratio &r = event.ratio;
        check(r.oldShares >= 1 && r.oldShares <= 1000000 && r.newShares >= 1 && r.newShares <= 1000000, "a ratio out of range");
        check(r.oldShares != r.newShares, "a ratio of 1:1");
        checkReadable(splits::eventLine(event));
        const QString line = QStringLiteral("%1,%2,%3").arg(event.code).arg(event.date.toString(QStringLiteral("yyyy/MM/dd")), splits::ratioText(r));
        const splits::CsvEvents again = splits::ParseEventsCsv(line.toUtf8());
        check(again.skipped.empty() && again.events.size() == 1 && again.events.front() == event, "an event does not read back");
    }
    return 0;
}
