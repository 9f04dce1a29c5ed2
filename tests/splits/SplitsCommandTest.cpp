#include "../batch/BatchTestSupport.h"

#include "support/TestSupport.h"

#include "db/Database.h"

#include <gtest/gtest.h>

using batch_test::BatchRun;
using batch_test::runBatch;
using testing_support::TempProgramFolder;

TEST(SplitsCommand, AddListImportSuggestAndRemoveReachTheTable)
{
    ASSERT_FALSE(testing_support::batchToolPath().isEmpty());
    TempProgramFolder folder;
    auto run = [&](const QStringList &args) { return runBatch(folder.path(), args); };
    ASSERT_EQ(run({QStringLiteral("init")}).exitCode, 0);

    BatchRun r = run({QStringLiteral("splits"), QStringLiteral("add"), QStringLiteral("7203"), QStringLiteral("2021-09-29"), QStringLiteral("1:5")});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(run({QStringLiteral("splits"), QStringLiteral("add"), QStringLiteral("7203"), QStringLiteral("21/09/29"), QStringLiteral("5:5")}).exitCode, 2);

    const QString csv = folder.filePath(QStringLiteral("s.csv"));
    testing_support::writeCp932File(csv, {QStringLiteral("コード,日付,分割比率"), QStringLiteral("6758,2000/03/28,1:2"), QStringLiteral("x,y")});
    r = run({QStringLiteral("splits"), QStringLiteral("import"), csv});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(r.out, QStringList{QStringLiteral("1 件の分割情報を保存しました。 (1 行を読み飛ばしました)")});
    EXPECT_TRUE(r.err.contains(QStringLiteral("3 行目: 項目が足りません")));

    r = run({QStringLiteral("splits"), QStringLiteral("list")});
    EXPECT_EQ(r.out, (QStringList{QStringLiteral("6758 2000/03/28 1:2"), QStringLiteral("7203 2021/09/29 1:5")}));
    r = run({QStringLiteral("splits"), QStringLiteral("list"), QStringLiteral("7203")});
    EXPECT_EQ(r.out, QStringList{QStringLiteral("7203 2021/09/29 1:5")});

    EXPECT_EQ(run({QStringLiteral("splits"), QStringLiteral("remove"), QStringLiteral("7203"), QStringLiteral("2021-09-29")}).exitCode, 0);
    r = run({QStringLiteral("splits"), QStringLiteral("remove"), QStringLiteral("7203"), QStringLiteral("2021-09-29")});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(r.err.contains(QStringLiteral("7203 の 2021/09/29 の分割情報はありません。")));
    EXPECT_EQ(run({QStringLiteral("splits"), QStringLiteral("list")}).out, QStringList{QStringLiteral("6758 2000/03/28 1:2")});

    // A day of the stored event is offered marked as stored.
    {
        db::Database d(folder.dbPath());
        QDate day(2000, 3, 16);
        for (int i = 0; i < 12; ++i, day = day.addDays(1)) {
            while (day.dayOfWeek() > 5)
                day = day.addDays(1);
            const int close = i < 8 ? 26400 : 13120;
            d.execute(QStringLiteral("insert into dayData (コード, 日付, 始値, 高値, 安値, 終値, 前日比, 出来高) values (6758, ?, ?, ?, ?, ?, 0, ?)"),
                      {day, close, close, close, close, i < 8 ? 1000 : 2500});
        }
        d.close();
    }
    r = run({QStringLiteral("splits"), QStringLiteral("suggest"), QStringLiteral("6758")});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(r.out, (QStringList{QStringLiteral("コード,日付,分割比率,前日終値,終値,出来高倍率"), QStringLiteral("6758,2000/03/28,1:2,26400,13120,2.50,登録済")}));
}
