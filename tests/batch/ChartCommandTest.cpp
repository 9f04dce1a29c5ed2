// miravel-batch chart as a script would use it: the key=value answer, the image, series and list
// files, and the answer when there is nothing to show.

#include "BatchTestSupport.h"

#include "base/MainModule.h"
#include "base/Settings.h"
#include "db/Database.h"
#include "db/Schema.h"
#include "db/SqlTranslator.h"

#include <QFileInfo>
#include <QImage>
#include <QRegularExpression>

#include <gtest/gtest.h>

using namespace batch_test;
using namespace testing_support;

namespace {

QStringList TextFileLines(const QString &path)
{
    return QString::fromUtf8(readFileBytes(path)).split(QRegularExpression(QStringLiteral("\\r?\\n")), Qt::SkipEmptyParts);
}

class BatchTool : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_FALSE(batchToolPath().isEmpty()) << "miravel-batch is built beside the tests"; }

    BatchRun run(const QStringList &arguments) { return runBatch(folder.path(), arguments); }

    // 130 weekdays of a rising issue ending on 2018-06-29, price unit 10.
    void fillIssue()
    {
        db::Database d(folder.dbPath());
        d.execute(QStringLiteral("insert into Mei (コード, 市場コード, 銘柄, 出来高単位, 株価単位) values (7203, 1, 'ﾄﾖﾀ自動車', 100, 10)"));
        db::WriteBatch batch(d);
        QDate day(2018, 6, 29);
        for (int i = 0; i < 130; ++i, day = day.addDays(-1)) {
            while (day.dayOfWeek() > 5)
                day = day.addDays(-1);
            const int close = 700 - i;
            d.execute(QStringLiteral("insert into dayData values (7203, %1, %2, %3, %4, %5, 1, 5000, %5)")
                          .arg(db::dateLiteral(day))
                          .arg(close - 1)
                          .arg(close + 2)
                          .arg(close - 3)
                          .arg(close));
        }
    }

    TempProgramFolder folder;
};

TEST_F(BatchTool, ChartWritesImageSeriesListAndTheSeriesFigures)
{
    ASSERT_EQ(run({QStringLiteral("init")}).exitCode, 0);
    fillIssue();
    const QString png = folder.filePath(QStringLiteral("c.png")), csv = folder.filePath(QStringLiteral("s.csv")),
                  list = folder.filePath(QStringLiteral("l.txt"));
    BatchRun r = run({QStringLiteral("chart"), QStringLiteral("7203"), QStringLiteral("--date"), QStringLiteral("18/06/29"),
                      QStringLiteral("--png"), png, QStringLiteral("--series"), csv, QStringLiteral("--list"), list});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    // The figures are the chart code's; the answer carries them with the unit of 10 applied.
    EXPECT_EQ(r.value(QStringLiteral("Count")), QStringLiteral("110"));
    EXPECT_EQ(r.value(QStringLiteral("MaxHigh")), QStringLiteral("7020"));

    const QImage image(png);
    EXPECT_EQ(image.size(), QSize(820, 460));
    const QStringList series = TextFileLines(csv);
    ASSERT_EQ(series.size(), 111);
    EXPECT_TRUE(series[0].startsWith(QStringLiteral("index,Date,Open,High,Low,Close,CloseCarried,Change,Volume")));
    EXPECT_TRUE(series[110].startsWith(QStringLiteral("109,2018-06-29,6990,7020,6970,7000,7000,10,500000")));
    const QStringList rows = TextFileLines(list);
    ASSERT_EQ(rows.size(), 110);
    EXPECT_TRUE(rows.last().startsWith(QStringLiteral("18/06/29 ")));
    EXPECT_EQ(rows.last().mid(42, 11).trimmed(), QStringLiteral("7000"));

    // An unknown issue answers with the program's message and exit 0.
    BatchRun missing = run({QStringLiteral("chart"), QStringLiteral("1111")});
    EXPECT_EQ(missing.exitCode, 0);
    EXPECT_TRUE(missing.out.contains(QStringLiteral("基準日からの表示するデーターがありません。")));
    EXPECT_EQ(missing.value(QStringLiteral("Count")), QStringLiteral("0"));
}

} // namespace
