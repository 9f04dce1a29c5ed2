// The import's shortcuts across days give the rows of one run per day, on generated data.

#include "ImportFixture.h"

#include "import/DailyImport.h"
#include "import/DataGenerator.h"

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

} // namespace
