// Under a file-size limit (ulimit -f) the tool ends with a message and exit status 1 instead of
// being killed by the limit's signal, and leaves no file cut short.

#include "BatchTestSupport.h"

#include "db/Database.h"
#include "import/ImportFixture.h"

#include "base/Settings.h"
#include "datagen/DataGenerator.h"
#include "import/DailyImport.h"
#include "import/ImportPaths.h"
#include "import/ImportRun.h"
#include "import/Registration.h"

#include <QDirIterator>
#include <QMap>

using namespace batch_test;
using namespace import_test;

namespace {

class FileSizeLimitTest : public ImportFixture
{
protected:
    void SetUp() override
    {
        ImportFixture::SetUp();
        if (testing_support::batchToolPath().isEmpty())
            GTEST_SKIP() << "miravel-batch was not built beside the tests";
        ASSERT_TRUE(Settings::WriteSettings(Settings::currentValues(), true));
    }

    static QMap<QString, QByteArray> treeOf(const QString &root) { return testing_support::publishedTreeOf(root); }
};

TEST_F(FileSizeLimitTest, PublishingPastTheLimitEndsWithAMessageAndARunAfterItCompletes)
{
    importer::GeneratorOptions o;
    o.issues = 100;
    o.tradingDays = 3;
    importer::DataGenerator generator(o);
    ASSERT_TRUE(generator.writeRegistration(folder.filePath(QStringLiteral("Data/Regist.Mei"))));
    ASSERT_GT(generator.writeFiles(importer::folderPath(MainModule::hibiPath), QString()), 0);
    importer::ImportContext c{progress, prompt};
    ASSERT_TRUE(importer::ImportRegistration(c, importer::ImportMode::Registration).completed);
    const auto &days = generator.tradingDays();
    ASSERT_TRUE(importer::ImportDailyFiles(importer::DailyImportRequest::fromSettings(days.front(), days.back(), false, false), c).completed);

    const QString tree = folder.filePath(QStringLiteral("tree")), reference = folder.filePath(QStringLiteral("reference"));
    ASSERT_EQ(runBatch(folder.path(), {QStringLiteral("publish"), reference}).exitCode, 0);
    const QMap<QString, QByteArray> expected = treeOf(reference);
    const QString firstDaily = QStringLiteral("kabudata/") + importer::dailyFileName(days.front());
    const qsizetype registration = std::max(expected.value(QStringLiteral("kabumei/Regist.mei")).size(),
                                            expected.value(QStringLiteral("kabumei/infodata")).size());
    ASSERT_LT(registration + 100, expected.value(firstDaily).size());

    // The registration and kinds files fit, a daily file does not.
    const BatchRun limited = runBatch(folder.path(), {QStringLiteral("publish"), tree}, rlim_t(registration + 100));
    EXPECT_EQ(limited.exitCode, 1);
    EXPECT_EQ(limited.err, QStringLiteral("ファイルの大きさの上限を超えるため、ファイル %1 を書き込めません。\n").arg(QDir::toNativeSeparators(QDir(tree).filePath(firstDaily))));
    EXPECT_EQ(treeOf(tree).keys().join(QLatin1Char(' ')), QStringLiteral("kabumei/Regist.mei kabumei/infodata"));

    ASSERT_EQ(runBatch(folder.path(), {QStringLiteral("publish"), tree}).exitCode, 0);
    EXPECT_EQ(treeOf(tree), expected);
}

TEST_F(FileSizeLimitTest, AChartPastTheLimitIsNotWritten)
{
    const QString png = folder.filePath(QStringLiteral("chart.png"));
    // A connection held here has made the database's shared index already, so the limit falls on
    // the image alone (the first program to open a database creates that index, 32 KB).
    db::Database holding(MainModule::DBPath);
    holding.scalar(QStringLiteral("select Count(*) from Mei"));
    const BatchRun r = runBatch(folder.path(), {QStringLiteral("chart"), QStringLiteral("1301"), QStringLiteral("--png"), png}, 1024);
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(r.err.endsWith(QStringLiteral("ファイルの大きさの上限を超えるため、ファイル %1 を書き込めません。\n").arg(QDir::toNativeSeparators(png))))
        << r.err.toStdString();
    EXPECT_FALSE(QFileInfo::exists(png));
}

} // namespace
