// The recalculation of 前日比 and 基準前日比 from a start date.

#include "ImportFixture.h"

#include "import/ChangeRecalc.h"

using namespace import_test;

namespace {

class ChangeRecalcTest : public ImportFixture
{
protected:
    // Rows of issue 1301 on consecutive days from 3 July 2000, with their old change and reference.
    void rows(const QString &table, const QList<qint64> &closes)
    {
        for (int i = 0; i < closes.size(); ++i)
            addPrice(table, 1301, First.addDays(i), closes[i], closes[i], closes[i], closes[i], 100, -77, -88);
    }
    QList<Change> changes(const QString &table)
    {
        QList<Change> out;
        for (const QDate &d : dates(table, 1301))
            out.append(changeOf(table, 1301, d));
        return out;
    }
    const QDate First{2000, 7, 3};
};

TEST_F(ChangeRecalcTest, StartBetweenRowsCarriesZeroClosesAndLeavesEarlierRows)
{
    addIssue(1301, 1, QStringLiteral("極洋"));
    rows(QStringLiteral("daydata"), {100, 105, 102, 110, 0, 0, 95});
    execute(QStringLiteral("delete * from daydata where 日付=#2000/07/04#"));

    // The start date has no row: the next row only sets the reference.
    importer::RecalculateChanges(QStringLiteral("daydata"), First.addDays(1), progress);

    EXPECT_EQ(changes(QStringLiteral("daydata")),
              (QList<Change>{Change(-77, -88), Change(-77, 102), Change(8, -88), Change(0, 110), Change(0, 110), Change(-15, -88)}));
}

TEST_F(ChangeRecalcTest, ZeroFirstCloseGivesTheNextCloseNoChange)
{
    addIssue(1301, 1, QStringLiteral("極洋"));
    rows(QStringLiteral("weekdata"), {0, 120, 125});
    importer::RecalculateChanges(QStringLiteral("weekdata"), First, progress);
    EXPECT_EQ(changes(QStringLiteral("weekdata")), (QList<Change>{Change(-77, 0), Change(0, -88), Change(5, -88)}));
}

TEST_F(ChangeRecalcTest, IssuesOutsideTheRegisterAreNotTouched)
{
    addIssue(1332, 1, QStringLiteral("日本水産"));
    rows(QStringLiteral("daydata"), {100, 110});
    importer::RecalculateChanges(QStringLiteral("daydata"), First, progress);
    EXPECT_EQ(changes(QStringLiteral("daydata")), (QList<Change>{Change(-77, -88), Change(-77, -88)}));
    EXPECT_EQ(progress.percents, QStringList({QStringLiteral("100")}));
}

} // namespace
