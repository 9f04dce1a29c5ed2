// The rows of the price service's answers, as it could send them or worse: the issue list, a day's
// prices with their split factors, a week's margin balances. Every record made of a row must come
// out as a file line the imports read back as it was; a row left out says why in a message a box
// can show.

#include "FuzzRecords.h"

#include "convert/JQuantsRows.h"
#include "convert/JQuantsSource.h"
#include "import/InputProblems.h"
#include "import/InputRecords.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

using fuzzing::check;
using fuzzing::checkReadable;

namespace {

template <typename Records>
bool inCodeOrderOncePerCode(const Records &records)
{
    for (size_t i = 1; i < records.size(); ++i) {
        if (!(records[i - 1].code < records[i].code))
            return false;
    }
    return true;
}

void checkDay(const QDate &date, const convert::jquants::Day &day)
{
    check(inCodeOrderOncePerCode(day.records) && inCodeOrderOncePerCode(day.factors), "records out of code order or repeated");
    check(day.traded >= int(day.records.size()), "more records than traded rows");
    for (const convert::jquants::Factor &f : day.factors)
        check(f.ratio.before >= 1 && f.ratio.before <= 100 && f.ratio.after >= 1 && f.ratio.after <= 100, "a ratio beyond 100");
    for (const importer::DailyFileRecord &record : day.records)
        fuzzing::checkDailyLineReadsBack(date, record);
}

void checkWeek(const QDate &friday, const std::vector<importer::MarginFileRecord> &records)
{
    check(inCodeOrderOncePerCode(records), "margin records out of code order or repeated");
    const QStringList lines = importer::marginFileLines(friday, records);
    for (size_t i = 0; i < records.size(); ++i) {
        importer::MarginRecord back;
        QString why;
        try {
            const importer::LineKind kind = importer::parseMarginRecord(lines.at(qsizetype(i) + 2), QStringLiteral("Ys"), int(i) + 3, back, why);
            check(kind == importer::LineKind::Record, "a margin line is not read back");
        } catch (const importer::InputError &) {
            check(false, "a margin line is not read back");
        }
        check(back.code == records[i].code && back.sell == records[i].sell && back.buy == records[i].buy, "a margin line reads back different");
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const convert::IssueRegister &issues = fuzzing::registeredIssues();
    // The answer's rows: an array, or the first array of an object, as the service wraps them.
    const QJsonDocument document = QJsonDocument::fromJson(fuzzing::bytesOf(data, size));
    QJsonArray rows = document.array();
    const QJsonObject wrapped = document.object();
    for (auto it = wrapped.begin(); rows.isEmpty() && it != wrapped.end(); ++it)
        rows = it.value().toArray();
    importer::SkipReport problems;
    convert::jquants::RowReader reader(issues, problems);
    const QDate date(2024, 3, 4), friday(2024, 3, 8);
    checkDay(date, reader.dayOf(date, rows)); // issues known from the register alone
    reader.listing.add(rows, reader.skippedCodes);
    for (const auto &[code, listed] : reader.listing.rows())
        check(code >= 1 && code <= 9999, "a listed code outside 1-9999");
    checkDay(date, reader.dayOf(date, rows));
    checkWeek(friday, reader.marginsOf(friday, rows));
    checkReadable(problems.message());
    for (const importer::SkippedLine &p : problems.lines())
        checkReadable(p.reason);
    // The end of the run names the codes left out.
    convert::jquants::RunResult result;
    result.skippedCodes = reader.skippedCodes.values();
    checkReadable(convert::jquants::summaryLines(result).join(QLatin1Char('\n')));
    return 0;
}
