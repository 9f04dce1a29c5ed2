// The registration import: new, renamed and unchanged issues, the file's fate and the messages.

#include "ImportFixture.h"

#include "import/ImportRun.h"
#include "import/Registration.h"

#include <QFile>

using namespace import_test;
using importer::ImportContext;
using importer::ImportMode;
using importer::ImportResult;

namespace {

class RegistrationTest : public ImportFixture
{
protected:
    void writeRegistration(const QStringList &records, int headerCount = -1)
    {
        QStringList lines;
        lines << QStringLiteral("20000714,%1").arg(headerCount >= 0 ? headerCount : records.size());
        lines << records;
        testing_support::writeCp932File(importer::registrationFilePath(), lines);
    }

    ImportResult run(ImportMode mode = ImportMode::Registration)
    {
        ImportContext context{progress, prompt, QStringLiteral("ミラベル")};
        return importer::ImportRegistration(context, mode);
    }

    QStringList register_() { return rowsOf(QStringLiteral("select コード, 市場コード, 銘柄, 出来高単位, 株価単位, 更新Flg from Mei order by コード")); }
};

TEST_F(RegistrationTest, IntoAnEmptyRegisterEveryRecordIsAdded)
{
    writeRegistration({QStringLiteral("1301,1,極洋,1000,1"), QString(), QStringLiteral("1332,2,ﾆｯｽｲ,100,5")}, 2);
    const ImportResult result = run();
    EXPECT_TRUE(result.completed);
    EXPECT_EQ(result.message, QStringLiteral("読み込み終了"));
    EXPECT_TRUE(result.closeWindow);
    EXPECT_EQ(register_(), QStringList({QStringLiteral("1301,1,極洋,1000,1,true"), QStringLiteral("1332,2,ﾆｯｽｲ,100,5,true")}));
    EXPECT_FALSE(QFile::exists(importer::registrationFilePath()));
    // The main window's caption shows the percentage and is restored afterwards.
    EXPECT_EQ(progress.captions, QStringList({QStringLiteral("50%"), QStringLiteral("100%"), QStringLiteral("ミラベル")}));
}

TEST_F(RegistrationTest, AddsNewRenamesChangedAndLeavesUnitOnlyChanges)
{
    addIssue(1301, 1, QStringLiteral("極洋"), false, 1000, 1);
    addIssue(1332, 1, QStringLiteral("日本水産"), false, 1000, 1);
    addIssue(1333, 1, QStringLiteral("マルハ"), false, 1000, 1);
    writeRegistration({QStringLiteral("1301,1,極洋,1000,1"), QStringLiteral("1332,2,ﾆｯｽｲ,100,1"),
                       QStringLiteral("1333,1,マルハ,100,5"), QStringLiteral("1400,3,新規,1000,1")});
    run();
    EXPECT_EQ(register_(), QStringList({QStringLiteral("1301,1,極洋,1000,1,false"), QStringLiteral("1332,2,ﾆｯｽｲ,100,1,false"), QStringLiteral("1333,1,マルハ,1000,1,false"), QStringLiteral("1400,3,新規,1000,1,true")}));

    // A file that changes nothing is still deleted.
    writeRegistration({QStringLiteral("1301,1,極洋,1000,1")});
    EXPECT_EQ(run().message, QStringLiteral("読み込み終了"));
    EXPECT_EQ(count(QStringLiteral("Mei")), 4);
    EXPECT_FALSE(QFile::exists(importer::registrationFilePath()));
}

TEST_F(RegistrationTest, MissingFileIsReportedAndConversionModeKeepsTheWindowOpen)
{
    ImportResult result = run(ImportMode::FirstRun);
    EXPECT_EQ(result.message, QStringLiteral("銘柄ファイルが見つかりません。"));
    EXPECT_TRUE(result.completed);
    EXPECT_TRUE(result.closeWindow);
    EXPECT_TRUE(prompt.messages().isEmpty());

    writeRegistration({QStringLiteral("1301,1,極洋,1000,1")});
    result = run(ImportMode::BeforeConversion);
    EXPECT_TRUE(result.completed);
    EXPECT_FALSE(result.closeWindow);
}

TEST_F(RegistrationTest, ShortLinesUnknownMarketsAndUnitsBelowOneAreSkippedAndLongNamesCut)
{
    writeRegistration({QStringLiteral("1301,1,極洋"), QStringLiteral("1332,1,日本水産株式会社ホールディングス東京本社ビル,1000,1"),
                       QStringLiteral("1400,999,架空市場,1000,1"), QStringLiteral("1401,0,市場なし,1000,1"),
                       QStringLiteral("1402,6,その他,0,1"), QStringLiteral("1403,3,店頭,100,-5"), QStringLiteral("1404,6,その他,1,1")});
    const ImportResult result = run();
    EXPECT_TRUE(result.completed);
    EXPECT_EQ(register_(), QStringList({
                               QStringLiteral("1332,1,日本水産株式会社ホールディングス東京本社,1000,1,true"),
                               QStringLiteral("1404,6,その他,1,1,true"),
                           }));
    QStringList reasons;
    for (const auto &s : result.skipped.lines())
        reasons << QStringLiteral("%1 %2").arg(s.line).arg(s.reason);
    EXPECT_EQ(reasons, QStringList({
                           QStringLiteral("2 項目が 5 つありません"),
                           QStringLiteral("4 市場コード '999' は市場の表にありません"),
                           QStringLiteral("5 市場コード '0' は市場の表にありません"),
                           QStringLiteral("6 出来高単位 '0' が 0 以下です"),
                           QStringLiteral("7 株価単位 '-5' が 0 以下です"),
                       }));
    ASSERT_EQ(prompt.messages().size(), 1);
    EXPECT_TRUE(prompt.messages().first().contains(QStringLiteral("Regist.Mei の 2 行目"))) << prompt.messages().first().toStdString();
}

TEST_F(RegistrationTest, BadCodeOrUnitEndsTheImportKeepingRowsAndTheFile)
{
    writeRegistration({QStringLiteral("1301,1,極洋,1000,1"), QStringLiteral("10000,1,範囲外,1000,1"), QStringLiteral("1332,1,日本水産,1000,1")});
    const ImportResult result = run();
    EXPECT_FALSE(result.completed);
    EXPECT_TRUE(result.message.isEmpty());
    ASSERT_EQ(prompt.messages().size(), 1);
    EXPECT_EQ(prompt.messages().first(), QStringLiteral("Regist.Mei の 3 行目: 銘柄コード '10000' を読み込めません。"));
    EXPECT_EQ(register_(), QStringList({QStringLiteral("1301,1,極洋,1000,1,true")}));
    EXPECT_TRUE(QFile::exists(importer::registrationFilePath()));
    EXPECT_TRUE(result.closeWindow);

    writeRegistration({QStringLiteral("1301,1,極洋,千,1")});
    EXPECT_FALSE(run().completed);
    EXPECT_TRUE(prompt.messages().last().contains(QStringLiteral("'千'")));
}

TEST_F(RegistrationTest, EmptyOrHeaderOnlyFileReadsNothingAndIsDeleted)
{
    for (const QStringList &lines : {QStringList(), QStringList{QStringLiteral("20000714,0")}}) {
        testing_support::writeCp932File(importer::registrationFilePath(), lines);
        const ImportResult result = run();
        EXPECT_TRUE(result.completed);
        EXPECT_EQ(result.message, QStringLiteral("読み込み終了"));
        EXPECT_FALSE(QFile::exists(importer::registrationFilePath()));
        EXPECT_EQ(count(QStringLiteral("Mei")), 0);
    }
}

} // namespace
