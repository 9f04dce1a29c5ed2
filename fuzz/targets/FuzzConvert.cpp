// A converter source, read as a per-issue file named by its code and as a bulk file; every row it
// yields must come out as a daily-file line that the daily import reads back unchanged.

#include "FuzzRecords.h"

#include "convert/Converter.h"
#include "import/InputProblems.h"
#include "import/InputRecords.h"

#include <cmath>

using fuzzing::check;
using fuzzing::checkReadable;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const convert::IssueRegister &issues = fuzzing::registeredIssues();
    const QByteArray bytes = fuzzing::bytesOf(data, size);
    const QDate from(1990, 1, 1), to(2030, 12, 31);
    for (const int codeFromName : {7203, 0}) {
        std::vector<convert::SourceRow> rows;
        importer::SkipReport problems;
        convert::parseSource(QStringLiteral("7203.csv"), bytes, codeFromName, from, to, rows, problems);
        checkReadable(problems.message());
        for (const importer::SkippedLine &p : problems.lines())
            checkReadable(p.reason);
        for (const convert::SourceRow &row : rows) {
            check(row.date >= from && row.date <= to, "a row outside the range");
            if (row.shares.raw() > 0)
                check(row.low.raw() > 0 && row.low <= row.open && row.open <= row.high && row.low <= row.close
                          && row.close <= row.high,
                      "a traded row with impossible prices");
            const auto record = convert::dailyRecordOf(row, issues);
            if (!record)
                continue;
            const convert::IssueInfo *known = issues.find(row.code);
            const double priceUnit = known ? double(known->priceUnit) : 1.0;
            check(std::fabs(record->close * priceUnit - row.close.toDouble()) <= priceUnit, "a price wrapped");
            fuzzing::checkDailyLineReadsBack(row.date, *record);
        }
    }
    return 0;
}
