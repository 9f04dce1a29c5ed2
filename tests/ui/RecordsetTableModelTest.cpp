#include "ui/RecordsetTableModel.h"
#include "db/Database.h"
#include "db/SqlTranslator.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

using namespace testing_support;

namespace {

void addIssue(db::Database &database, int code, int market, const QString &name)
{
    database.execute(QStringLiteral("insert into Mei (コード, 市場コード, 銘柄, 出来高単位, 株価単位, 更新Flg) values (%1, %2, %3, 1000, 1, True)")
                         .arg(code)
                         .arg(market)
                         .arg(db::quoteText(name)));
}

class TableModel : public ::testing::Test
{
protected:
    void SetUp() override
    {
        folder.createDatabase();
        db::Database database(folder.dbPath());
        addIssue(database, 1301, 1, QStringLiteral("極洋"));
        addIssue(database, 7203, 1, QStringLiteral("ﾄﾖﾀ自動車"));
        addIssue(database, 9999, 3, QStringLiteral("it's"));
    }
    int columnOf(const RecordsetTableModel &model, const QString &field) const
    {
        for (int c = 0; c < model.columnCount(); ++c)
            if (model.fieldOfColumn(c) == field)
                return c;
        return -1;
    }
    TempProgramFolder folder;
    ScriptedPrompt prompt;
};

TEST_F(TableModel, ShowsTheRowsOfASelectAndReportsABadOne)
{
    RecordsetTableModel model(&prompt);
    EXPECT_FALSE(model.setRecordSource(folder.dbPath(), QStringLiteral("select * from NoSuchTable")));
    EXPECT_EQ(model.rowCount(), 0);
    EXPECT_EQ(model.columnCount(), 0);
    ASSERT_EQ(prompt.messages().size(), 1);
    ASSERT_TRUE(model.setRecordSource(folder.dbPath(), QStringLiteral("select コード, 銘柄, 市場コード from Mei order by コード desc")));
    ASSERT_EQ(model.rowCount(), 3);
    ASSERT_EQ(model.columnCount(), 3);
    EXPECT_EQ(model.headerData(0, Qt::Horizontal).toString(), QStringLiteral("コード"));
    EXPECT_EQ(model.headerData(1, Qt::Horizontal).toString(), QStringLiteral("銘柄"));
    model.setHeaderCaption(QStringLiteral("銘柄"), QStringLiteral("銘柄名"));
    EXPECT_EQ(model.headerData(1, Qt::Horizontal).toString(), QStringLiteral("銘柄名"));
    EXPECT_EQ(model.data(model.index(0, 0)).toString(), QStringLiteral("9999"));
    EXPECT_EQ(model.data(model.index(1, 1)).toString(), QStringLiteral("ﾄﾖﾀ自動車"));
    EXPECT_EQ(model.data(model.index(2, 1)).toString(), QStringLiteral("極洋"));
    EXPECT_EQ(prompt.messages().size(), 1) << "a good source reports nothing";
}

TEST_F(TableModel, FormatsDatesCurrencyAndBooleans)
{
    {
        db::Database database(folder.dbPath());
        db::Recordset rs = database.openRecordset(QStringLiteral("dayData"));
        rs.addNew();
        rs.setValue(QStringLiteral("コード"), 1301);
        rs.setValue(QStringLiteral("日付"), QDate(2000, 7, 14));
        rs.setValue(QStringLiteral("終値"), 250);
        rs.setValue(QStringLiteral("出来高"), QVariant::fromValue(Currency::fromRaw(12345000)));
        rs.update();
    }
    RecordsetTableModel model(&prompt);
    ASSERT_TRUE(model.setRecordSource(folder.dbPath(), QStringLiteral("select 日付, 出来高, 始値 from daydata")));
    ASSERT_EQ(model.rowCount(), 1);
    EXPECT_EQ(model.data(model.index(0, 0)).toString(), QStringLiteral("2000/07/14"));
    EXPECT_EQ(model.data(model.index(0, 1)).toString(), QStringLiteral("1234.5"));
    EXPECT_EQ(model.data(model.index(0, 2)).toString(), QString()) << "a null shows as nothing";
    model.setDateFormat(QStringLiteral("yy/MM/dd"));
    EXPECT_EQ(model.data(model.index(0, 0)).toString(), QStringLiteral("00/07/14"));

    ASSERT_TRUE(model.setRecordSource(folder.dbPath(), QStringLiteral("select 更新Flg from Mei")));
    EXPECT_EQ(model.data(model.index(0, 0)).toString(), QStringLiteral("True"));
}

TEST_F(TableModel, EditIsWrittenBackAndSurvivesARefresh)
{
    RecordsetTableModel model(&prompt);
    ASSERT_TRUE(model.setRecordSource(folder.dbPath(), QStringLiteral("select * from Mei order by コード")));
    model.setKeyFields({QStringLiteral("コード")});
    const int name = columnOf(model, QStringLiteral("銘柄"));
    const int unit = columnOf(model, QStringLiteral("出来高単位"));
    ASSERT_GE(name, 0);
    ASSERT_GE(unit, 0);
    EXPECT_TRUE(model.flags(model.index(1, name)).testFlag(Qt::ItemIsEditable));
    ASSERT_TRUE(model.setData(model.index(1, name), QStringLiteral("トヨタ")));
    ASSERT_TRUE(model.setData(model.index(1, unit), QStringLiteral("100")));
    EXPECT_EQ(model.data(model.index(1, name)).toString(), QStringLiteral("トヨタ"));
    {
        db::Database database(folder.dbPath());
        EXPECT_EQ(database.scalar(QStringLiteral("select 銘柄 from Mei where コード=7203")).toString(), QStringLiteral("トヨタ"));
        EXPECT_EQ(database.scalar(QStringLiteral("select 出来高単位 from Mei where コード=7203")).toLongLong(), 100);
        EXPECT_EQ(database.scalar(QStringLiteral("select 銘柄 from Mei where コード=1301")).toString(), QStringLiteral("極洋"));
    }
    ASSERT_TRUE(model.refresh());
    EXPECT_EQ(model.data(model.index(1, name)).toString(), QStringLiteral("トヨタ"));
    EXPECT_TRUE(prompt.messages().isEmpty());
}

TEST_F(TableModel, RowIsFoundByAllItsFieldsWhenNoKeyIsGiven)
{
    RecordsetTableModel model(&prompt);
    ASSERT_TRUE(model.setRecordSource(folder.dbPath(), QStringLiteral("Mei")));
    int row = -1;
    for (int r = 0; r < model.rowCount(); ++r)
        if (model.rawValue(r, QStringLiteral("コード")).toLongLong() == 9999)
            row = r;
    ASSERT_GE(row, 0);
    ASSERT_TRUE(model.setData(model.index(row, columnOf(model, QStringLiteral("市場コード"))), QStringLiteral("6")));
    db::Database database(folder.dbPath());
    EXPECT_EQ(database.scalar(QStringLiteral("select 市場コード from Mei where 銘柄='it''s'")).toLongLong(), 6);
}

TEST_F(TableModel, EngineErrorIsShownAndTheValueStays)
{
    RecordsetTableModel model(&prompt);
    ASSERT_TRUE(model.setRecordSource(folder.dbPath(), QStringLiteral("select * from Mei order by コード")));
    model.setKeyFields({QStringLiteral("コード")});
    const int name = columnOf(model, QStringLiteral("銘柄"));
    EXPECT_FALSE(model.setData(model.index(0, name), QString(30, QChar(u'株'))));
    ASSERT_EQ(prompt.messages().size(), 1);
    EXPECT_EQ(model.data(model.index(0, name)).toString(), QStringLiteral("極洋"));

    EXPECT_FALSE(model.setData(model.index(0, columnOf(model, QStringLiteral("市場コード"))), QStringLiteral("東証")));
    EXPECT_EQ(prompt.messages().size(), 2);
    db::Database database(folder.dbPath());
    EXPECT_EQ(database.scalar(QStringLiteral("select 銘柄 from Mei where コード=1301")).toString(), QStringLiteral("極洋"));
}

TEST_F(TableModel, RefreshRerunsTheQueryAndHiddenFieldsLeaveTheColumns)
{
    RecordsetTableModel model(&prompt);
    ASSERT_TRUE(model.setRecordSource(folder.dbPath(), QStringLiteral("select * from Mei where 市場コード = 1")));
    EXPECT_EQ(model.rowCount(), 2);
    const int all = model.columnCount();
    model.setFieldHidden(QStringLiteral("更新flg"), true);
    EXPECT_EQ(model.columnCount(), all - 1);
    EXPECT_EQ(columnOf(model, QStringLiteral("更新Flg")), -1);
    EXPECT_TRUE(model.rawValue(0, QStringLiteral("更新Flg")).toBool());
    {
        db::Database database(folder.dbPath());
        addIssue(database, 8001, 1, QStringLiteral("伊藤忠"));
    }
    EXPECT_EQ(model.rowCount(), 2);
    ASSERT_TRUE(model.refresh());
    EXPECT_EQ(model.rowCount(), 3);
}

} // namespace
