#pragma once

// What the targets of the converter's sources share: two registered issues of other units, and the
// check that a record written as a daily-file line reads back as it was.

#include "FuzzSupport.h"

#include "convert/Converter.h"
#include "import/InputProblems.h"
#include "import/InputRecords.h"
#include "import/PriceFiles.h"

#include <QDate>

namespace fuzzing {

inline const convert::IssueRegister &registeredIssues()
{
    static const convert::IssueRegister issues = [] {
        convert::IssueRegister r;
        r.add(7203, {QStringLiteral("トヨタ自動車"), 0, 100, 1});
        r.add(1301, {QStringLiteral("極洋"), 0, 1000, 10});
        return r;
    }();
    return issues;
}

inline void checkDailyLineReadsBack(const QDate &date, const importer::DailyFileRecord &record)
{
    const QStringList lines = importer::dailyFileLines(date, {record});
    importer::DailyRecord back;
    QString why;
    try {
        const importer::LineKind kind = importer::parseDailyRecord(lines.at(1), QStringLiteral("Ds"), 2, back, why);
        if (kind == importer::LineKind::Ignored) // a market the import does not keep
            return;
        check(kind == importer::LineKind::Record, "a daily line is not read back");
    } catch (const importer::InputError &) {
        check(false, "a daily line is not read back");
    }
    check(back.code == record.code && back.open == record.open && back.high == record.high && back.low == record.low
              && back.close == record.close && back.volume == record.volume,
          "a daily line reads back different");
}

} // namespace fuzzing
