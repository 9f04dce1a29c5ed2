#include "splits/Adjustments.h"

#include "support/TestSupport.h"

#include "base/MainModule.h"
#include "base/TextFile.h"
#include "db/Database.h"

#include <gtest/gtest.h>

using namespace splits;
using testing_support::TempProgramFolder;

namespace {

Currency yen(qint64 v)
{
    return Currency::fromInt(v);
}

Factor factorOf(std::initializer_list<Ratio> ratios)
{
    Factor f;
    for (const Ratio &r : ratios)
        f = multiply(f, r);
    return f;
}

} // namespace

TEST(SplitArithmetic, EveryCommonRatioIsExactAndHalvesRoundToEven)
{
    const Ratio split2{1, 2}, split3{1, 3}, split5{1, 5}, split10{1, 10}, split3for2{2, 3}, reverse10{10, 1};
    // 1:2 — halves go to the even neighbour, downwards and upwards, on both signs.
    EXPECT_EQ(adjustPrice(yen(1000), factorOf({split2})), yen(500));
    EXPECT_EQ(adjustPrice(yen(1001), factorOf({split2})), yen(500));
    EXPECT_EQ(adjustPrice(yen(1003), factorOf({split2})), yen(502));
    EXPECT_EQ(adjustPrice(yen(-1001), factorOf({split2})), yen(-500));
    EXPECT_EQ(adjustPrice(yen(-1003), factorOf({split2})), yen(-502));
    // 1:3 never meets a half: a third rounds down, two thirds up.
    EXPECT_EQ(adjustPrice(yen(1000), factorOf({split3})), yen(333));
    EXPECT_EQ(adjustPrice(yen(1001), factorOf({split3})), yen(334));
    EXPECT_EQ(adjustPrice(yen(4150), factorOf({split3})), yen(1383));
    EXPECT_EQ(adjustPrice(yen(1003), factorOf({split5})), yen(201));
    EXPECT_EQ(adjustPrice(yen(1002), factorOf({split5})), yen(200));
    EXPECT_EQ(adjustPrice(yen(1005), factorOf({split10})), yen(100));
    EXPECT_EQ(adjustPrice(yen(1015), factorOf({split10})), yen(102));
    // 3:2 multiplies by two thirds.
    EXPECT_EQ(adjustPrice(yen(1000), factorOf({split3for2})), yen(667));
    EXPECT_EQ(adjustPrice(yen(999), factorOf({split3for2})), yen(666));
    // 10:1 raises the price exactly; a price with a fraction of a yen still comes out whole.
    EXPECT_EQ(adjustPrice(yen(272), factorOf({reverse10})), yen(2720));
    EXPECT_EQ(adjustPrice(Currency::fromRaw(7778000), factorOf({Ratio{5, 1}})), yen(3889));
    EXPECT_EQ(adjustPrice(Currency::fromRaw(2500), factorOf({split2})), yen(0)); // 0.125 yen

    // Share counts are divided by the factor, the halves again to even.
    EXPECT_EQ(adjustShares(1000, factorOf({split2})), 2000);
    EXPECT_EQ(adjustShares(1000, factorOf({split3for2})), 1500);
    EXPECT_EQ(adjustShares(1005, factorOf({reverse10})), 100);
    EXPECT_EQ(adjustShares(1015, factorOf({reverse10})), 102);
    EXPECT_EQ(adjustShares(2000000000, factorOf({split10})), std::numeric_limits<std::int32_t>::max());

    // Factors compose exactly in lowest terms: 1:2 then 1:5 is a tenth, a split undone by a
    // reverse split is no factor at all.
    EXPECT_EQ(factorOf({split2, split5}), (Factor{1, 10}));
    EXPECT_EQ(factorOf({split3, Ratio{3, 1}}), (Factor{1, 1}));
    EXPECT_EQ(factorOf({split3for2, split3for2, split3}), (Factor{4, 27}));
    EXPECT_EQ(adjustPrice(yen(2700), factorOf({split3for2, split3for2, split3})), yen(400));
}

TEST(SplitArithmetic, TheFactorOfADayCountsOnlyTheEventsAfterIt)
{
    const FactorSchedule schedule({{7203, QDate(2021, 9, 29), {1, 5}}, {7203, QDate(2012, 4, 2), {1, 2}}});
    EXPECT_EQ(schedule.factorOn(QDate(2012, 3, 30)), (Factor{1, 10}));
    EXPECT_EQ(schedule.factorOn(QDate(2012, 4, 2)), (Factor{1, 5})); // the event's day trades at the new count
    EXPECT_EQ(schedule.factorOn(QDate(2021, 9, 28)), (Factor{1, 5}));
    EXPECT_EQ(schedule.factorOn(QDate(2021, 9, 29)), (Factor{1, 1}));
    EXPECT_TRUE(FactorSchedule().factorOn(QDate(2000, 1, 1)).isOne());
}

TEST(SplitArithmetic, RatiosAreReadAsOldToNewShares)
{
    EXPECT_EQ(parseRatio(QStringLiteral("1:5")), (Ratio{1, 5}));
    EXPECT_EQ(parseRatio(QStringLiteral(" 10 : 1 ")), (Ratio{10, 1}));
    EXPECT_EQ(parseRatio(QStringLiteral("2：3")), (Ratio{2, 3}));
    for (const char *bad : {"", "5", "1:0", "0:1", "1:-2", "1.5:1", "1:2:3", "a:b", "1:10000000"})
        EXPECT_FALSE(parseRatio(QString::fromUtf8(bad))) << bad;
}

class SplitEventsTest : public ::testing::Test
{
protected:
    void SetUp() override { folder.createDatabase(); }

    std::vector<AdjustmentEvent> stored()
    {
        db::Database d(MainModule::DBPath);
        return ReadAllEvents(d);
    }

    TempProgramFolder folder;
};

TEST_F(SplitEventsTest, ACsvInCodePage932OrUtf8IsStoredWholeWithItsBadLinesListed)
{
    const QString cp932 = folder.filePath(QStringLiteral("splits.csv"));
    testing_support::writeCp932File(cp932, {QStringLiteral("コード,日付,分割比率"), QStringLiteral("7203,2021/09/29,1:5"), QStringLiteral("6758,2000/03/28,1：2"), QStringLiteral("1301,2016-09-28,10:1"), QStringLiteral("9999,2020/02/30,1:2"), QStringLiteral("12345,2020/01/06,1:2"), QStringLiteral("7203,2020/01/06,１:2"), QStringLiteral("7203,2020/01/06"), QStringLiteral("7203,2020/01/07,3:3")});
    db::Database d(MainModule::DBPath);
    ImportResult result;
    QString error;
    ASSERT_TRUE(ImportEventsCsv(d, cp932, &result, &error)) << error.toStdString();
    EXPECT_EQ(result.stored, 3);
    QStringList skipped;
    for (const CsvLine &line : result.skipped)
        skipped << skippedLine(line);
    EXPECT_EQ(skipped, (QStringList{QStringLiteral("5 行目: 日付が読めません"), QStringLiteral("6 行目: コードが1から9999ではありません"), QStringLiteral("7 行目: 分割比率が読めません"), QStringLiteral("8 行目: 項目が足りません"), QStringLiteral("9 行目: 分割比率が1:1です")}));
    EXPECT_EQ(ReadEvents(d, 6758), (std::vector<AdjustmentEvent>{{6758, QDate(2000, 3, 28), {1, 2}}}));

    // A UTF-8 file with a byte order mark, no header, replacing the ratio of a stored day.
    const QString utf8 = folder.filePath(QStringLiteral("utf8.csv"));
    QString writeError;
    ASSERT_TRUE(TextFile::writeBytes(utf8, "\xEF\xBB\xBF"
                                           "6758,2000/03/28,2:3\n\"8889\",\"2014/03/27\",\"1:10\"\n",
                                     &writeError));
    ASSERT_TRUE(ImportEventsCsv(d, utf8, &result, &error)) << error.toStdString();
    EXPECT_EQ(result.stored, 2);
    EXPECT_TRUE(result.skipped.empty());
    d.close();
    QStringList lines;
    for (const AdjustmentEvent &e : stored())
        lines << eventLine(e);
    EXPECT_EQ(lines, (QStringList{QStringLiteral("1301 2016/09/28 10:1"), QStringLiteral("6758 2000/03/28 2:3"), QStringLiteral("7203 2021/09/29 1:5"), QStringLiteral("8889 2014/03/27 1:10")}));

    db::Database again(MainModule::DBPath);
    EXPECT_FALSE(ImportEventsCsv(again, folder.filePath(QStringLiteral("missing.csv")), &result, &error));
    EXPECT_EQ(error, QStringLiteral("ファイル %1 を読めません。").arg(folder.filePath(QStringLiteral("missing.csv"))));
    EXPECT_TRUE(RemoveEvent(again, 7203, QDate(2021, 9, 29)));
    EXPECT_FALSE(RemoveEvent(again, 7203, QDate(2021, 9, 29)));
    again.close();
    EXPECT_EQ(stored().size(), 3u);
}

TEST_F(SplitEventsTest, AFailingImportStoresNothing)
{
    const QString path = folder.filePath(QStringLiteral("splits.csv"));
    testing_support::writeCp932File(path, {QStringLiteral("7203,2021/09/29,1:5"), QStringLiteral("6758,2000/03/28,1:2")});
    // A trigger refuses the second row, as a full disk or a locked file would refuse a write.
    testing_support::executeSql(QStringLiteral("CREATE TRIGGER refuse BEFORE INSERT ON adjustment WHEN NEW.\"コード\" = 6758 "
                                               "BEGIN SELECT RAISE(ABORT, 'refused'); END;"));
    db::Database d(MainModule::DBPath);
    ImportResult result;
    QString error;
    EXPECT_FALSE(ImportEventsCsv(d, path, &result, &error));
    EXPECT_TRUE(error.startsWith(QStringLiteral("分割情報を保存できませんでした (何も保存していません)"))) << error.toStdString();
    d.close();
    EXPECT_TRUE(stored().empty());
}

namespace {

struct Day
{
    qint64 close;
    qint64 volume;
};

void storeDays(int code, QDate first, const std::vector<Day> &days)
{
    db::Database d(MainModule::DBPath);
    db::WriteBatch batch(d);
    QDate date = first;
    for (const Day &day : days) {
        while (date.dayOfWeek() > 5)
            date = date.addDays(1);
        d.execute(QStringLiteral("insert into dayData (コード, 日付, 始値, 高値, 安値, 終値, 前日比, 出来高) values (?, ?, ?, ?, ?, ?, 0, ?)"),
                  {code, date, day.close, day.close, day.close, day.close, day.volume});
        date = date.addDays(1);
    }
    batch.finish();
    d.close();
}

std::vector<Day> steady(int count, qint64 close, qint64 volume)
{
    return std::vector<Day>(size_t(count), Day{close, volume});
}

template <typename... Parts>
std::vector<Day> joined(const Parts &...parts)
{
    std::vector<Day> all;
    (all.insert(all.end(), parts.begin(), parts.end()), ...);
    return all;
}

} // namespace

TEST_F(SplitEventsTest, SuggestionsNeedThePriceStepAndTheVolumeToMoveTogether)
{
    // 1301: a 1:2 split with the volume doubling (2020-01-15), and a halving without it (2020-02-12).
    storeDays(1301, QDate(2020, 1, 6), joined(steady(7, 1000, 5000), steady(20, 505, 10000), steady(20, 250, 10000)));
    // 1332: a 10:1 reverse split with the volume falling to a tenth (2020-01-20).
    storeDays(1332, QDate(2020, 1, 6), joined(steady(10, 80, 90000), steady(10, 790, 9000)));
    // 1333: a 1:3 step but the volume falls: a collapse, not a split.
    storeDays(1333, QDate(2020, 1, 6), joined(steady(10, 900, 9000), steady(10, 300, 3000)));
    {
        db::Database d(MainModule::DBPath);
        StoreEvent(d, {1332, QDate(2020, 1, 20), {10, 1}});
    }

    db::Database d(MainModule::DBPath);
    const std::vector<Suggestion> all = SuggestEvents(d, 0);
    ASSERT_EQ(all.size(), 2u);
    EXPECT_EQ(all[0].code, 1301);
    EXPECT_EQ(all[0].date, QDate(2020, 1, 15));
    EXPECT_EQ(all[0].ratio, (Ratio{1, 2}));
    EXPECT_EQ(all[0].previousClose, yen(1000));
    EXPECT_EQ(all[0].close, yen(505));
    EXPECT_DOUBLE_EQ(all[0].volumeChange, 2.0);
    EXPECT_FALSE(all[0].stored);
    EXPECT_EQ(all[1].code, 1332);
    EXPECT_EQ(all[1].date, QDate(2020, 1, 20));
    EXPECT_EQ(all[1].ratio, (Ratio{10, 1}));
    EXPECT_TRUE(all[1].stored);

    const std::vector<Suggestion> one = SuggestEvents(d, 1333);
    EXPECT_TRUE(one.empty());
    EXPECT_EQ(SuggestEvents(d, 1301).size(), 1u);
}
