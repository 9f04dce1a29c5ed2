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
    QList<std::pair<qint64, qint64>> changes(const QString &table)
    {
        QList<std::pair<qint64, qint64>> out;
        for (const QDate &d : dates(table, 1301)) {
            const auto r = priceRow(table, 1301, d);
            out.append({r->change, r->reference});
        }
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

    using P = std::pair<qint64, qint64>;
    EXPECT_EQ(changes(QStringLiteral("daydata")),
              (QList<P>{P(-77, -88), P(-77, 102), P(8, -88), P(0, 110), P(0, 110), P(-15, -88)}));
}

TEST_F(ChangeRecalcTest, ZeroFirstCloseGivesTheNextCloseNoChange)
{
    addIssue(1301, 1, QStringLiteral("極洋"));
    rows(QStringLiteral("weekdata"), {0, 120, 125});
    importer::RecalculateChanges(QStringLiteral("weekdata"), First, progress);
    using P = std::pair<qint64, qint64>;
    EXPECT_EQ(changes(QStringLiteral("weekdata")), (QList<P>{P(-77, 0), P(0, -88), P(5, -88)}));
}

TEST_F(ChangeRecalcTest, IssuesOutsideTheRegisterAreNotTouched)
{
    addIssue(1332, 1, QStringLiteral("日本水産"));
    rows(QStringLiteral("daydata"), {100, 110});
    importer::RecalculateChanges(QStringLiteral("daydata"), First, progress);
    using P = std::pair<qint64, qint64>;
    EXPECT_EQ(changes(QStringLiteral("daydata")), (QList<P>{P(-77, -88), P(-77, -88)}));
    EXPECT_EQ(progress.percents, QStringList({QStringLiteral("100")}));
}

} // namespace
