// The import's shortcuts give the rows of the plain algorithm: one run over a range equals a run per
// day, and the weekly builder equals the per-issue, per-week reading on generated data.

#include "ImportFixture.h"

#include "base/DateUtil.h"
#include "import/DailyImport.h"
#include "import/DataGenerator.h"
#include "import/WeeklyBuilder.h"

using namespace import_test;

namespace {

class EquivalenceTest : public ImportFixture
{
protected:
    void generate()
    {
        importer::GeneratorOptions o;
        o.issues = 40;
        o.tradingDays = 45;
        o.firstDay = QDate(2023, 4, 20);
        o.seed = 11;
        o.zeroVolumePerMille = 80;
        o.newListingPercent = 15;
        importer::DataGenerator generator(o);
        days = generator.tradingDays();
        generator.writeFiles(importer::folderPath(MainModule::hibiPath), importer::folderPath(MainModule::sinyoPath));
    }

    importer::ImportResult import(const QDate &from, const QDate &to, bool margin = false)
    {
        importer::ImportContext context{progress, prompt, QString(), QString()};
        return importer::ImportDailyFiles(importer::DailyImportRequest::fromSettings(from, to, margin, false), context);
    }

    // The weekly build read plainly: per issue its daily rows, per week the previous weekly row and
    // the margin row from the table.
    void plainWeeklyBuild(const QDate &start, const QDate &end)
    {
        db::Database database(MainModule::DBPath);
        database.execute(QStringLiteral("delete * from weekdata where 日付 between %1 and %2 ;").arg(db::dateLiteral(start), db::dateLiteral(end)));
        db::Recordset week = database.openRecordset(QStringLiteral("weekdata"), db::RecordsetType::Table);
        db::Recordset mei = database.openRecordset(QStringLiteral("select コード, 市場コード from mei Daydata order by 市場コード, コード ;"));
        for (; !mei.eof(); mei.moveNext()) {
            const qint64 code = mei.toLong(QStringLiteral("コード"));
            db::Recordset d = database.openRecordset(QStringLiteral("select * from daydata where コード=%1 and 日付 between %2 and %3 order by  日付 ;")
                                                         .arg(code)
                                                         .arg(db::dateLiteral(start), db::dateLiteral(end)));
            qint64 open = 0, high = 0, low = 0, close = 0;
            Currency volume;
            QDate last;
            int previous = 0;
            bool has = false;
            auto write = [&]() {
                const QDate friday = DateUtil::FridayOnOrAfter(last);
                db::Recordset p = database.openRecordset(
                    QStringLiteral("SELECT TOP 1 終値, 日付, 基準前日比 FROM weekdata WHERE コード=%1 And 日付<%2 ORDER BY 日付 DESC;")
                        .arg(code)
                        .arg(db::dateLiteral(friday)));
                qint64 change = 0, reference = close;
                if (!p.eof() && close == 0)
                    reference = p.toLong(QStringLiteral("基準前日比"));
                else if (!p.eof())
                    change = p.toLong(QStringLiteral("基準前日比")) == 0 ? 0 : close - p.toLong(QStringLiteral("基準前日比"));
                db::Recordset m = database.openRecordset(
                    QStringLiteral("select * from ShinYo where コード=%1 And 日付 =%2 ;").arg(code).arg(db::dateLiteral(friday)));
                week.addNew();
                week.setValue(QStringLiteral("コード"), code);
                week.setValue(QStringLiteral("日付"), friday);
                week.setValue(QStringLiteral("始値"), open);
                week.setValue(QStringLiteral("高値"), high);
                week.setValue(QStringLiteral("安値"), low);
                week.setValue(QStringLiteral("終値"), close);
                week.setValue(QStringLiteral("前日比"), change);
                week.setValue(QStringLiteral("出来高"), QVariant::fromValue(volume));
                week.setValue(QStringLiteral("基準前日比"), reference);
                week.setValue(QStringLiteral("売残"), m.eof() ? 0 : m.toLong(QStringLiteral("売残")) * m.toLong(QStringLiteral("単位")));
                week.setValue(QStringLiteral("買残"), m.eof() ? 0 : m.toLong(QStringLiteral("買残")) * m.toLong(QStringLiteral("単位")));
                week.update();
            };
            for (; !d.eof(); d.moveNext()) {
                const int wd = DateUtil::weekdayNumber(d.toDate(QStringLiteral("日付")));
                const bool ended = previous > wd;
                previous = wd;
                if (ended) {
                    write();
                    open = high = low = close = 0;
                    volume = Currency();
                }
                last = d.toDate(QStringLiteral("日付"));
                if (open == 0 && d.toLong(QStringLiteral("始値")) != 0)
                    open = d.toLong(QStringLiteral("始値"));
                if (open != 0 && d.toLong(QStringLiteral("終値")) != 0) {
                    has = true;
                    close = d.toLong(QStringLiteral("終値"));
                    if (high == 0 || high < d.toLong(QStringLiteral("高値")))
                        high = d.toLong(QStringLiteral("高値"));
                    if (low == 0 || (d.toLong(QStringLiteral("安値")) != 0 && low > d.toLong(QStringLiteral("安値"))))
                        low = d.toLong(QStringLiteral("安値"));
                    volume += d.toCurrency(QStringLiteral("出来高"));
                }
            }
            if (has)
                write();
        }
    }

    std::vector<QDate> days;
};

TEST_F(EquivalenceTest, OneRunOverARangeEqualsARunPerDay)
{
    generate();
    import(days.front(), days.back(), true);
    const QStringList together = table(QStringLiteral("daydata"));
    const QStringList issues = table(QStringLiteral("Mei"), QStringLiteral("コード"));
    ASSERT_GT(together.size(), 1000);

    execute(QStringLiteral("delete * from daydata"));
    execute(QStringLiteral("delete * from Mei"));
    for (const QDate &d : days)
        import(d, d);
    EXPECT_EQ(table(QStringLiteral("daydata")), together);
    EXPECT_EQ(table(QStringLiteral("Mei"), QStringLiteral("コード")), issues);
}

TEST_F(EquivalenceTest, WeeklyBuildEqualsThePlainReading)
{
    generate();
    import(days.front(), days.back(), true);
    const QDate start = DateUtil::MondayOnOrBefore(days.front()), end = DateUtil::FridayOnOrAfter(days.back());
    // A first build, then a rebuild of three middle weeks against the weeks around them.
    const QDate middleStart = start.addDays(14), middleEnd = start.addDays(14 + 18);
    execute(QStringLiteral("update daydata set 終値=0 where 日付=%1").arg(db::dateLiteral(middleStart.addDays(2))));

    importer::BuildWeeklyData(start, end, progress);
    importer::BuildWeeklyData(middleStart, middleEnd, progress);
    const QStringList built = table(QStringLiteral("weekdata"));
    ASSERT_GT(built.size(), 100);

    plainWeeklyBuild(start, end);
    plainWeeklyBuild(middleStart, middleEnd);
    EXPECT_EQ(built, table(QStringLiteral("weekdata")));
}

} // namespace
