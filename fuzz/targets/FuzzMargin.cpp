// A margin balance file: decoding, the date and count lines, every record line.

#include "FuzzSupport.h"

#include "base/DateUtil.h"
#include "base/TextFile.h"
#include "db/SqlTranslator.h"
#include "import/InputProblems.h"
#include "import/InputRecords.h"

using namespace importer;
using fuzzing::check;
using fuzzing::checkReadable;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const TextFile::DecodedText text = TextFile::decodeLines(fuzzing::bytesOf(data, size));
    if (text.lines.isEmpty())
        return 0;
    const QDate date = parseMarginDate(text.lines.first());
    if (date.isValid()) {
        const QDate friday = DateUtil::FridayOnOrAfter(date);
        check(friday.isValid() && DateUtil::weekdayNumber(friday) == 6, "balance date has no Friday");
        check(!db::translate(QStringLiteral("delete * from ShinYo where 日付=%1;").arg(db::dateLiteral(friday))).sql.contains(QLatin1Char('#')),
              "balance date does not translate");
    }
    QString why;
    if (text.lines.size() >= 2) {
        const auto count = parseMarginCount(text.lines.at(1), &why);
        check(count ? *count >= 0 : !why.isEmpty(), "count refused without a reason");
        checkReadable(why);
    }
    for (int i = 2; i < text.lines.size(); ++i) {
        MarginRecord r;
        try {
            const LineKind kind = parseMarginRecord(text.lines.at(i), QStringLiteral("Ys200007.14"), i + 1, r, why);
            if (kind == LineKind::End)
                break;
            if (kind == LineKind::Record) {
                check(r.code >= -32768 && r.code <= 32767, "issue code beyond 16 bits");
                check(qint64(r.sell) * r.unit == r.sellBalance && qint64(r.buy) * r.unit == r.buyBalance,
                      "balance × unit wrapped");
            } else {
                checkReadable(why);
            }
        } catch (const InputError &e) {
            checkReadable(e.description());
        }
    }
    return 0;
}
