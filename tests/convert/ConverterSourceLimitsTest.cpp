// Source lines whose fields lie beyond what a daily file holds: each is reported with its line and
// a short echo, and left out; the lines around it still convert.

#include "convert/Converter.h"

#include <gtest/gtest.h>

TEST(ConverterSourceLimits, OversizedFieldsAreReportedNotConverted)
{
    const QByteArray text = "code,date,open,high,low,close,volume\n"
                            "1301,1704412800000,1,1,1,1,100\n"       // a timestamp, not a date
                            "1301,2024-01-05,1,1,1,3000000000,100\n" // beyond 32-bit yen
                            "1301," + QByteArray(5000, '2') + ",1,1,1,1,100\n"
                            "1301,2024-01-05,1,1,1,2,100\n";
    std::vector<convert::SourceRow> rows;
    importer::SkipReport problems;
    convert::parseSource(QStringLiteral("bulk.csv"), text, 0, QDate(2024, 1, 1), QDate(2024, 12, 31), rows, problems);

    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].close.raw(), 2 * Currency::Scale);
    ASSERT_EQ(problems.count(), 3);
    EXPECT_EQ(problems.lines()[0].line, 2);
    EXPECT_EQ(problems.lines()[1].reason, QStringLiteral("株価が範囲外です"));
    EXPECT_LT(problems.message().size(), 300);

    // Rounding to the price unit never leaves the 32-bit range either.
    EXPECT_EQ(convert::roundToPriceUnit(Currency::fromInt(2147483647), 10), 2147483640);
}
