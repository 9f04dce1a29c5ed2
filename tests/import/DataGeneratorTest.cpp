// The data generator: reproducible files that the import reads completely, in one run or day by day.

#include "ImportFixture.h"

#include "datagen/DataGenerator.h"
#include "import/DailyImport.h"
#include "import/ImportPaths.h"
#include "import/ImportRun.h"
#include "import/Registration.h"

#include <QDir>

#include <algorithm>

using namespace import_test;

namespace {

class DataGeneratorTest : public ImportFixture
{
protected:
    importer::GeneratorOptions options()
    {
        importer::GeneratorOptions o;
        o.issues = 60;
        o.tradingDays = 30;
        o.firstDay = QDate(2023, 4, 24); // over the May holidays
        o.seed = 7;
        o.zeroVolumePerMille = 50;
        o.newListingPercent = 10;
        return o;
    }
};

TEST_F(DataGeneratorTest, SameSeedSameFilesOtherSeedOtherPrices)
{
    QTemporaryDir a, b, c;
    importer::DataGenerator(options()).writeFiles(a.path(), a.path());
    importer::DataGenerator(options()).writeFiles(b.path(), b.path());
    auto o = options();
    o.seed = 8;
    importer::DataGenerator(o).writeFiles(c.path(), c.path());
    const QStringList names = QDir(a.path()).entryList(QDir::Files, QDir::Name);
    ASSERT_EQ(names.size(), 30 + 7); // daily files and one margin file per week
    EXPECT_EQ(names, QDir(b.path()).entryList(QDir::Files, QDir::Name));
    for (const QString &n : names)
        EXPECT_EQ(testing_support::readFileBytes(a.filePath(n)), testing_support::readFileBytes(b.filePath(n))) << n.toStdString();
    EXPECT_NE(testing_support::readFileBytes(a.filePath(names.first())), testing_support::readFileBytes(c.filePath(names.first())));
    // Holidays and weekends have no file.
    EXPECT_FALSE(names.contains(QStringLiteral("Ds202305.03")));
    EXPECT_FALSE(names.contains(QStringLiteral("Ds202304.29")));
}

TEST_F(DataGeneratorTest, ImportReadsEveryGeneratedRecordAndOneRunEqualsARunPerDay)
{
    importer::DataGenerator generator(options());
    ASSERT_TRUE(generator.writeRegistration(importer::registrationFilePath()));
    const QString daily = importer::folderPath(MainModule::hibiPath);
    generator.writeFiles(daily, importer::folderPath(MainModule::sinyoPath));

    // Every trading day from its listing on, for the issues on the markets the import keeps.
    qint64 expected = 0;
    for (const importer::GeneratedIssue &i : generator.issues())
        if (i.position == 0 || i.position == 1 || i.position == 5)
            expected += qint64(generator.tradingDays().size()) - i.listDay;
    EXPECT_TRUE(std::any_of(generator.issues().begin(), generator.issues().end(), [](const auto &i) {
        return std::any_of(i.name.begin(), i.name.end(), [](QChar c) { return c.unicode() >= 0xFF61 && c.unicode() <= 0xFF9F; });
    }));

    testing_support::ScriptedPrompt p;
    importer::ImportContext context{progress, p};
    ASSERT_TRUE(importer::ImportRegistration(context).completed);
    const auto result = importer::ImportDailyFiles(
        importer::DailyImportRequest::fromSettings(generator.tradingDays().front(), generator.tradingDays().back(), true, true), context);
    EXPECT_TRUE(result.completed);
    EXPECT_TRUE(result.skipped.isEmpty());
    EXPECT_EQ(count(QStringLiteral("daydata")), expected);
    EXPECT_EQ(count(QStringLiteral("Mei")), 60);
    EXPECT_GT(count(QStringLiteral("weekdata")), 0);
    EXPECT_GT(count(QStringLiteral("shinyo")), 0);
    // Issues listed during the range start later than the first day.
    EXPECT_GT(scalar(QStringLiteral("select Max(日付) from daydata where コード=%1").arg(generator.issues().front().code)).toDate(),
              generator.tradingDays().front());
    EXPECT_TRUE(std::any_of(generator.issues().begin(), generator.issues().end(), [](const auto &i) { return i.listDay > 0; }));

    // The shortcuts across days give the rows of one run per day.
    const QStringList together = table(QStringLiteral("daydata"));
    const QStringList issues = table(QStringLiteral("Mei"), QStringLiteral("コード"));
    execute(QStringLiteral("delete * from daydata"));
    for (const QDate &d : generator.tradingDays())
        importer::ImportDailyFiles(importer::DailyImportRequest::fromSettings(d, d, false, false), context);
    EXPECT_EQ(table(QStringLiteral("daydata")), together);
    EXPECT_EQ(table(QStringLiteral("Mei"), QStringLiteral("コード")), issues);
}

} // namespace
