// A daily price file: decoding, the header, every record line.

#include "FuzzSupport.h"

#include "base/TextFile.h"
#include "db/SqlTranslator.h"
#include "import/DailyFileReader.h"
#include "import/InputProblems.h"
#include "import/InputRecords.h"
#include "import/PriceRecords.h"

using namespace importer;
using fuzzing::check;
using fuzzing::checkReadable;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const TextFile::DecodedText text = TextFile::decodeLines(fuzzing::bytesOf(data, size));
    check(text.undecodable.empty() || text.undecodable.back() < text.lines.size(), "undecodable line beyond the file");
    if (text.lines.isEmpty())
        return 0;

    QString why;
    const int recordLines = dailyRecordLineCount(text.lines);
    check(recordLines >= 0 && recordLines < text.lines.size(), "more record lines than lines");
    if (const auto header = parseDailyHeader(text.lines.first(), &why)) {
        check(isPlausibleFileDate(header->date) && header->records >= 0, "header accepted out of range");
        // The dates the import writes into its queries must translate.
        const db::TranslatedQuery q = db::translate(
            QStringLiteral("SELECT Max(日付) AS MaxDate FROM daydata WHERE 日付 between %1 and %2 ;")
                .arg(db::dateLiteral(header->date.addDays(-60)), db::dateLiteral(header->date.addDays(-1))));
        check(q.isSelect && !q.sql.contains(QLatin1Char('#')), "header date does not translate");
    } else {
        check(!why.isEmpty(), "header refused without a reason");
        checkReadable(why);
    }

    const qint64 previousReference = qint64(size) * 7919 - 1000000; // any stored reference
    for (int i = 1; i < text.lines.size(); ++i) {
        DailyRecord r;
        try {
            switch (parseDailyRecord(text.lines.at(i), QStringLiteral("Ds200007.14"), i + 1, r, why)) {
            case LineKind::Record: {
                check(r.code >= 0 && r.code < 10000, "issue code out of range");
                check(!r.volume.isZero() || (r.open == 0 && r.high == 0 && r.low == 0 && r.close == 0),
                      "prices kept on a day without trade");
                PriceRecord row{r.code, QDate(2000, 7, 14), r.open, r.high, r.low, r.close, 0, r.volume, 0};
                setChangeFromPrevious(row, previousReference, r.volume.isZero());
                break;
            }
            case LineKind::Skipped:
                check(!why.isEmpty(), "line skipped without a reason");
                checkReadable(why);
                break;
            case LineKind::Ignored:
            case LineKind::End:
                break;
            }
        } catch (const InputError &e) {
            checkReadable(e.description());
        }
    }

    // The whole file as the import reads it ahead: record lines in order, up to the header's count,
    // and a line that ends the run ends the list.
    ParsedDailyFile file;
    file.fileName = QStringLiteral("Ds200007.14");
    file.readable = true;
    file.text = text;
    parseDailyFile(file);
    check(file.header || !file.why.isEmpty(), "file refused without a reason");
    if (file.header) {
        check(int(file.lines.size()) <= file.header->records && int(file.lines.size()) <= file.recordLineCount, "more lines than announced");
        for (size_t i = 1; i < file.lines.size(); ++i)
            check(file.lines[i].lineNumber > file.lines[i - 1].lineNumber, "record lines out of order");
        if (file.error)
            checkReadable(*file.error);
    }
    return 0;
}
