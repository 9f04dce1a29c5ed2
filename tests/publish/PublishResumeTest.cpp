// A publish without a first day carries on from where the tree stops being complete, so that any
// interruption followed by such a run gives, byte for byte, the tree of an uninterrupted run.

#include "import/ImportFixture.h"

#include "base/TextFile.h"
#include "datagen/DataGenerator.h"
#include "import/DailyImport.h"
#include "import/ImportPaths.h"
#include "import/ImportRun.h"
#include "import/Registration.h"
#include "publish/Publisher.h"

#include <QDirIterator>
#include <QMap>
#include <QTemporaryDir>

using namespace import_test;
using testing_support::readFileBytes;
using testing_support::writeFileBytes;

namespace {

class PublishResumeTest : public ImportFixture
{
protected:
    void SetUp() override
    {
        ImportFixture::SetUp();
        importer::GeneratorOptions o;
        o.issues = 20;
        o.tradingDays = 14;
        o.firstDay = QDate(2023, 12, 20); // over the year-end holidays: weekdays without rows
        o.seed = 11;
        importer::DataGenerator generator(o);
        days = generator.tradingDays();
        ASSERT_TRUE(generator.writeRegistration(folder.filePath(QStringLiteral("Data/Regist.Mei"))));
        ASSERT_GT(generator.writeFiles(importer::folderPath(MainModule::hibiPath), importer::folderPath(MainModule::sinyoPath)), 0);
        importer::ImportContext c{progress, prompt};
        ASSERT_TRUE(importer::ImportRegistration(c, importer::ImportMode::Registration).completed);
        ASSERT_TRUE(importer::ImportDailyFiles(importer::DailyImportRequest::fromSettings(days.front(), days.back(), true, true), c).completed);
        const publish::PublishResult r = run(reference.path());
        ASSERT_TRUE(r.ok) << r.error.toStdString();
        expected = treeOf(reference.path());
        filesOfAFullRun = 2 + r.dailyFiles + r.marginFiles + r.rankingFiles + r.quotePages;
        quotePages = r.quotePages;
    }

    publish::PublishResult run(const QString &tree, int stopAfterFiles = 0, const QDate &from = {}, const QDate &to = {})
    {
        publish::PublishRequest request{tree, from, to};
        request.stopAfterFiles = stopAfterFiles;
        return publish::publish(MainModule::DBPath, request);
    }

    static QMap<QString, QByteArray> treeOf(const QString &root) { return testing_support::publishedTreeOf(root); }

    static QString stamp(const QDate &day) { return day.toString(QStringLiteral("yyyyMMdd")); }

    // The day through which the publisher knows the tree whole; its files are only looked for.
    QByteArray checkedThrough(const QString &tree) const
    {
        return readFileBytes(QDir(tree).filePath(QStringLiteral(".previous/checked-through")));
    }

    // A tree as an older version left it: nothing says its files were written whole.
    void writtenByAnOlderVersion(const QString &tree) const
    {
        ASSERT_TRUE(QFile::remove(QDir(tree).filePath(QStringLiteral(".previous/checked-through"))));
    }

    std::vector<QDate> days;
    QTemporaryDir reference;
    QMap<QString, QByteArray> expected;
    int filesOfAFullRun = 0;
    int quotePages = 0;
};

// Stopped after the first files, inside the daily files, between the kinds, the margin files and
// the quote pages, into a new tree and into the tree of the days before.
TEST_F(PublishResumeTest, RunsInterruptedAnywhereEndAsAnUninterruptedRun)
{
    ASSERT_GT(expected.size(), 150);
    const int beforeQuotePages = filesOfAFullRun - quotePages;
    for (int stop : {1, 3, 14, filesOfAFullRun / 2, beforeQuotePages - 1, filesOfAFullRun - 1}) {
        QTemporaryDir tree;
        const publish::PublishResult broken = run(tree.path(), stop);
        ASSERT_FALSE(broken.ok) << stop;
        EXPECT_EQ(broken.error, QStringLiteral("%1 ファイルで公開を中断しました。").arg(stop));
        const publish::PublishResult resumed = run(tree.path());
        ASSERT_TRUE(resumed.ok) << resumed.error.toStdString();
        EXPECT_EQ(treeOf(tree.path()), expected) << "stopped after " << stop << " files";
    }
    const QDate middle = days[7];
    for (int stop : {3, 30}) {
        QTemporaryDir tree;
        ASSERT_TRUE(run(tree.path(), 0, {}, middle).ok);
        ASSERT_FALSE(run(tree.path(), stop).ok);
        const publish::PublishResult resumed = run(tree.path());
        ASSERT_TRUE(resumed.ok) << resumed.error.toStdString();
        EXPECT_GT(resumed.from, middle);
        EXPECT_EQ(treeOf(tree.path()), expected) << "the days after the middle stopped after " << stop << " files";
    }
}

// A tree an older version left with files missing, emptied or cut short (part-way through a line
// or at a line end) is written again from the first such day; the days before it stay.
TEST_F(PublishResumeTest, MissingEmptyAndCutFilesAreWrittenAgain)
{
    writtenByAnOlderVersion(reference.path());
    const QDir tree(reference.path());
    const QDate firstBad = days[4], cutAtLineEnd = days[6], later = days[10];
    const QString ds = QStringLiteral("kabudata/") + importer::dailyFileName(firstBad);
    const QByteArray whole = readFileBytes(tree.filePath(ds));
    writeFileBytes(tree.filePath(ds), whole.left(512));
    writeFileBytes(tree.filePath(QStringLiteral("jyhodata/%1.d03").arg(stamp(firstBad))), QByteArray());
    const QString lineCut = QStringLiteral("kabudata/") + importer::dailyFileName(cutAtLineEnd);
    QByteArray lines = readFileBytes(tree.filePath(lineCut));
    lines.chop(2);
    writeFileBytes(tree.filePath(lineCut), lines.left(lines.lastIndexOf('\n') + 1));
    QFile::remove(tree.filePath(QStringLiteral("jyhodata/%1.d07").arg(stamp(later))));
    writeFileBytes(tree.filePath(QStringLiteral("kabudata/.Ds202401.05.0123abcd.tmp")), "left by a killed run");
    const QString untouched = tree.filePath(QStringLiteral("kabudata/") + importer::dailyFileName(days[3]));
    const QDateTime untouchedTime = QFileInfo(untouched).lastModified();

    const publish::PublishResult r = run(reference.path());
    ASSERT_TRUE(r.ok) << r.error.toStdString();
    EXPECT_EQ(r.from, firstBad);
    EXPECT_EQ(treeOf(reference.path()), expected);
    EXPECT_EQ(QFileInfo(untouched).lastModified(), untouchedTime);
    EXPECT_EQ(checkedThrough(reference.path()), stamp(days.back()).toLatin1() + "\r\n");

    // Checked through: a missing file is still found, a file's content is no longer read.
    QFile::remove(tree.filePath(QStringLiteral("jyhodata/%1.d05").arg(stamp(days[2]))));
    const QString empty = QStringLiteral("jyhodata/%1.d01").arg(stamp(days[1]));
    writeFileBytes(tree.filePath(empty), QByteArray());
    const publish::PublishResult checked = run(reference.path());
    ASSERT_TRUE(checked.ok);
    EXPECT_EQ(checked.from, days[2]);
    EXPECT_EQ(QFileInfo(tree.filePath(empty)).size(), 0);
}

// Each of a day's files counts: a margin file and a weekly ranking alone are enough to go back.
TEST_F(PublishResumeTest, EveryFileOfADayCounts)
{
    const QDir tree(reference.path());
    QDate friday;
    for (const QDate &d : days) {
        if (d.dayOfWeek() == Qt::Friday && QFileInfo::exists(tree.filePath(QStringLiteral("kabudata/") + importer::marginFileName(d))))
            friday = d;
    }
    ASSERT_TRUE(friday.isValid());
    for (const QString &relative : {QStringLiteral("kabudata/") + importer::marginFileName(friday),
                                    QStringLiteral("jyhodata/%1.w02").arg(stamp(friday))}) {
        const QByteArray bytes = readFileBytes(tree.filePath(relative));
        writeFileBytes(tree.filePath(relative), bytes.left(bytes.indexOf('\n') + 1));
        writtenByAnOlderVersion(reference.path());
        const publish::PublishResult r = run(reference.path());
        ASSERT_TRUE(r.ok);
        EXPECT_EQ(r.from, friday) << relative.toStdString();
        EXPECT_EQ(treeOf(reference.path()), expected) << relative.toStdString();
    }
}

// A complete tree has no day to write again; a tree published from a later day keeps that start.
TEST_F(PublishResumeTest, ACompleteTreeStartsAfterItsLastDay)
{
    const publish::PublishResult again = run(reference.path());
    ASSERT_TRUE(again.ok);
    EXPECT_EQ(again.from, days.back().addDays(1));
    EXPECT_EQ(again.dailyFiles + again.rankingFiles + again.marginFiles, 0);
    EXPECT_EQ(treeOf(reference.path()), expected);

    QTemporaryDir tree;
    ASSERT_TRUE(run(tree.path(), 0, days[8], days[10]).ok);
    EXPECT_FALSE(QFileInfo::exists(QDir(tree.path()).filePath(QStringLiteral(".previous/checked-through")))); // the days before were not checked
    const publish::PublishResult next = run(tree.path());
    ASSERT_TRUE(next.ok);
    EXPECT_GT(next.from, days[10]);
    EXPECT_LE(next.from, days[11]);
    EXPECT_EQ(checkedThrough(tree.path()), stamp(days.back()).toLatin1() + "\r\n");
    EXPECT_FALSE(QFileInfo::exists(QDir(tree.path()).filePath(QStringLiteral("kabudata/") + importer::dailyFileName(days[7]))));
}

} // namespace
