// The ledger import of miravel-batch: the report of a second run, and a run that cannot write.

#include "BatchTestSupport.h"
#include "import/ImportFixture.h"

#include "base/Settings.h"

using namespace batch_test;
using namespace import_test;

namespace {

class LedgerCommandTest : public ImportFixture
{
protected:
    void SetUp() override
    {
        ImportFixture::SetUp();
        if (testing_support::batchToolPath().isEmpty())
            GTEST_SKIP() << "miravel-batch was not built beside the tests";
        ASSERT_TRUE(Settings::WriteSettings(Settings::currentValues(), true));
        addIssue(1301, 1, QStringLiteral("極洋"), true);
    }

    BatchRun import(rlim_t fileSizeLimit = 0)
    {
        return runBatch(folder.path(), {QStringLiteral("ledger"), QStringLiteral("import"), path}, fileSizeLimit);
    }

    const QString path = folder.filePath(QStringLiteral("trades.csv"));
};

TEST_F(LedgerCommandTest, ImportReportsRowsPassedOverAndAFailedRunStoresNothing)
{
    QStringList lines{QStringLiteral("日付,コード,売買,単価,株数")};
    for (int i = 0; i < 2000; ++i)
        lines.append(QStringLiteral("2000/07/03,1301,買,%1,100").arg(500 + i));
    lines.append(QStringLiteral("2000/07/10,1301,売,600,150"));
    testing_support::writeCp932File(path, lines);

    BatchRun r = import(64 * 1024);
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(r.out.isEmpty()) << r.out.join(QLatin1Char('\n')).toStdString();
    EXPECT_TRUE(r.err.startsWith(QStringLiteral("取込を中止しました。取引履歴の行は1件も保存していません。\n"))) << r.err.toStdString();
    EXPECT_EQ(count(QStringLiteral("stockmarket")), 0);

    r = import();
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(r.out, QStringList{QStringLiteral("取込終了しました。 購入 2000件　売却 1件")});
    const qint64 lots = count(QStringLiteral("stockmarket"));
    EXPECT_EQ(lots, 2001); // the sale took the first lot and split the second

    r = import();
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(r.out, (QStringList{QStringLiteral("取込終了しました。 購入 0件　売却 0件"), QStringLiteral("2001件は取込済みのため読み飛ばしました。")}));
    EXPECT_EQ(count(QStringLiteral("stockmarket")), lots);
}

} // namespace
