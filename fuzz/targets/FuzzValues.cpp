// The small readers every input goes through: dates as typed, whole numbers, money, field cutting
// and echoing. Each input line is one text.

#include "FuzzSupport.h"

#include "base/Currency.h"
#include "base/DateUtil.h"
#include "base/Helpers.h"
#include "import/InputRecords.h"
#include "import/PriceRecords.h"

using fuzzing::check;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QDate today(2026, 12, 5);
    const QStringList texts = QString::fromUtf8(fuzzing::bytesOf(data, size)).split(QLatin1Char('\n'));
    for (const QString &t : texts) {
        const QDate date = DateUtil::parseDate(t, today);
        if (date.isValid() && date.year() >= today.year() - 80 && date.year() <= today.year() + 19)
            check(DateUtil::parseDate(DateUtil::formatYYMMDD(date), today) == date, "typed date does not read back");

        const auto whole = importer::wholeNumber(t);
        const qint32 safe = importer::safeLong(t);
        check(safe == 0 || (whole && *whole == safe), "SafeValue disagrees with the number");

        bool ok = false;
        const Currency money = Currency::fromText(t, &ok);
        if (ok)
            check(Currency::fromText(money.toString()) == money, "money does not read back");

        for (int n = 1; n <= 9; ++n) {
            QStringView views[9];
            const int count = importer::cutFieldViews(t, n, views);
            const QStringList fields = importer::cutFields(t, n);
            check(count == fields.size(), "field cutters disagree on the count");
            for (int i = 0; i < count; ++i)
                check(views[i] == fields.at(i), "field cutters disagree on a field");
        }
        check(echoedText(t).size() <= 41, "echoed text not cut");
    }
    return 0;
}
