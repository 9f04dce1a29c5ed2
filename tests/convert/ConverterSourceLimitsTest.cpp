// Source lines whose fields lie beyond what a daily file holds: each is reported with its line and
// a short echo, and left out; the lines around it still convert.

#include "convert/Converter.h"
#include "import/InputProblems.h"

#include <gtest/gtest.h>

TEST(ConverterSourceLimits, OversizedFieldsAreReportedNotConverted)
{
    const QByteArray text = "code,date,open,high,low,close,volume\n"
                            "1301,1704412800000,1,1,1,1,100\n" // a timestamp, not a date
                            "1301,2024-01-05,1,1,1,3000000000,100\n" // beyond 32-bit yen
                            "1301,"
        + QByteArray(5000, '2') + ",1,1,1,1,100\n"
                                  "1301,2024-01-05,1,2,1,2,100\n";
    std::vector<convert::SourceRow> rows;
    importer::SkipReport problems;
    convert::parseSource(QStringLiteral("bulk.csv"), text, 0, QDate(2024, 1, 1), QDate(2024, 12, 31), rows, problems);

    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].close.raw(), 2 * Currency::Scale);
    ASSERT_EQ(problems.count(), 3);
    EXPECT_EQ(problems.lines()[0].line, 2);
    EXPECT_EQ(problems.lines()[1].reason, QStringLiteral("株価が範囲外です"));
    EXPECT_LT(problems.message().size(), 300);

    // The largest price a line may hold stays within 32 bits in any price unit.
    EXPECT_EQ(convert::priceInUnits(Currency::fromInt(2147483647), 1), 2147483647);
    EXPECT_EQ(convert::priceInUnits(Currency::fromInt(2147483647), 10), 214748365);
}

TEST(ConverterSourceLimits, ImpossiblePricesOfATradedDayAreReportedNotConverted)
{
    const QByteArray text = "code,date,open,high,low,close,volume\n"
                            "1301,2024-01-05,100,90,110,100,1000\n" // high below low
                            "1302,2024-01-05,0,0,0,0,1000\n" // no prices on a traded day
                            "1303,2024-01-05,-5,10,1,5,1000\n" // a negative price
                            "1304,2024-01-05,100,120,90,130,1000\n" // close above the high
                            "1305,2024-01-05,-,-,-,-,0\n" // no trade: no prices needed
                            "1306,2024-01-05,100,110,90,110,1000\n";
    std::vector<convert::SourceRow> rows;
    importer::SkipReport problems;
    convert::parseSource(QStringLiteral("bulk.csv"), text, 0, QDate(2024, 1, 1), QDate(2024, 12, 31), rows, problems);

    QStringList reported;
    for (const importer::SkippedLine &p : problems.lines())
        reported << QStringLiteral("%1 %2").arg(p.line).arg(p.reason);
    EXPECT_EQ(reported, (QStringList{
                            QStringLiteral("2 高値 90 が安値 110 より低くなっています"),
                            QStringLiteral("3 株価が 0 以下です"),
                            QStringLiteral("4 株価が 0 以下です"),
                            QStringLiteral("5 始値・終値が安値～高値の外にあります"),
                        }));
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].code, 1305);
    EXPECT_EQ(rows[1].code, 1306);
}
