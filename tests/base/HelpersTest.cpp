#include "base/Helpers.h"
#include "base/Currency.h"
#include "base/DateUtil.h"
#include "base/MainModule.h"
#include "base/Ports.h"
#include "base/TextFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QVariant>

#include <gtest/gtest.h>

namespace {

struct SafeCase
{
    const char *name;
    QVariant value;
    QVariant kind;
    QVariant expected;
};

class SafeValueRule : public ::testing::TestWithParam<SafeCase>
{
};

TEST_P(SafeValueRule, ConvertsByKind)
{
    const SafeCase &c = GetParam();
    const QVariant result = SafeValue(c.value, c.kind);
    EXPECT_EQ(result.isValid(), c.expected.isValid());
    if (c.expected.isValid()) {
        EXPECT_EQ(result.metaType(), c.expected.metaType());
        EXPECT_EQ(result, c.expected);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SafeValueRule,
    ::testing::Values(
        SafeCase{"NullAsNumber", QVariant(), QVariant(0), QVariant(qint32(0))},
        SafeCase{"TextNotNumeric", QVariant(QStringLiteral("abc")), QVariant(0), QVariant(qint32(0))},
        SafeCase{"NumericText", QVariant(QStringLiteral(" 1000 ")), QVariant(0), QVariant(qint32(1000))},
        SafeCase{"FractionRoundsToEven", QVariant(2.5), QVariant(0), QVariant(qint32(2))},
        SafeCase{"CurrencyValue", QVariant::fromValue(Currency::fromRaw(123456)), QVariant(0), QVariant(qint32(12))},
        SafeCase{"BeyondThirtyTwoBits", QVariant(qlonglong(5'000'000'000)), QVariant(0), QVariant(qint32(0))},
        SafeCase{"DateIsNotNumeric", QVariant(QDate(2000, 7, 14)), QVariant(0), QVariant(qint32(0))},
        SafeCase{"NullAsText", QVariant(), QVariant(QString()), QVariant(QString())},
        SafeCase{"TextKept", QVariant(QStringLiteral("ﾄﾖﾀ")), QVariant(QString()), QVariant(QStringLiteral("ﾄﾖﾀ"))},
        SafeCase{"NumberKeptAsItIsForTextKind", QVariant(qlonglong(7)), QVariant(QString()), QVariant(qlonglong(7))},
        SafeCase{"OtherKindNumber", QVariant(qlonglong(7)), QVariant(1), QVariant()},
        SafeCase{"OtherKindText", QVariant(QStringLiteral("a")), QVariant(QStringLiteral("x")), QVariant()},
        SafeCase{"NullKind", QVariant(QStringLiteral("a")), QVariant(), QVariant()}),
    [](const ::testing::TestParamInfo<SafeCase> &info) { return std::string(info.param.name); });

TEST(SafeValue, TypedFormsFollowTheSameRules)
{
    EXPECT_EQ(SafeLong(QVariant()), 0);
    EXPECT_EQ(SafeLong(QVariant(QStringLiteral("12x"))), 0);
    EXPECT_EQ(SafeLong(QVariant(true)), -1);
    EXPECT_EQ(SafeText(QVariant()), QString());
    EXPECT_EQ(SafeText(QVariant::fromValue(Currency::fromRaw(9480))), QStringLiteral("0.948"));
}

TEST(Period, ToggleDayWeekSwitchesModeTableAndCaption)
{
    MainModule::reset();
    EXPECT_EQ(ToggleDayWeek(), QStringLiteral("日チャートを表示"));
    EXPECT_EQ(MainModule::PeriodMode, 2);
    EXPECT_EQ(MainModule::PriceTableName, QStringLiteral("weekdata"));
    EXPECT_EQ(ToggleDayWeek(), QStringLiteral("週チャートを表示"));
    EXPECT_EQ(MainModule::PeriodMode, 1);
    EXPECT_EQ(MainModule::PriceTableName, QStringLiteral("daydata"));
    MainModule::PeriodMode = 5;
    EXPECT_EQ(ToggleDayWeek(), QString());
    EXPECT_EQ(MainModule::PriceTableName, QString());
    MainModule::reset();
}

struct CaptionCase
{
    QString before;
    int mode;
    QString after;
};

class PeriodCaption : public ::testing::TestWithParam<CaptionCase>
{
};

TEST_P(PeriodCaption, EndsInThePeriodMark)
{
    EXPECT_EQ(PeriodCaptionText(GetParam().before, GetParam().mode), GetParam().after);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PeriodCaption,
    ::testing::Values(CaptionCase{QStringLiteral("ミラベル"), 1, QStringLiteral("ミラベル(日)")},
                      CaptionCase{QStringLiteral("ミラベル(週)"), 1, QStringLiteral("ミラベル(日)")},
                      CaptionCase{QStringLiteral("株価(1301)"), 2, QStringLiteral("株価(13(週)")},
                      CaptionCase{QStringLiteral(")"), 1, QStringLiteral("(日)")},
                      CaptionCase{QString(), 2, QStringLiteral("(週)")},
                      CaptionCase{QStringLiteral("ミラベル(日)"), 3, QStringLiteral("ミラベル(日)")},
                      CaptionCase{QStringLiteral("ミラベル"), 0, QStringLiteral("ミラベル")}));

class RecordingShell final : public Shell
{
public:
    bool open(const QString &pathOrUrl) override
    {
        opened.append(pathOrUrl);
        return false; // the desktop refused; callers report nothing
    }
    bool start(const QString &, const QStringList &, const QString &) override { return false; }
    QStringList opened;
};

TEST(Shell, OpenWebPagePutsTheSchemeInFrontAndAnEmptyFileOpensNothing)
{
    RecordingShell shell;
    cShellFile file(shell);
    file.ShellFile(QString());
    file.ShellFile(QStringLiteral(""));
    EXPECT_TRUE(shell.opened.isEmpty());
    file.ShellFile(QStringLiteral("C:\\Miravel\\htm/index.htm"));
    OpenWebPage(shell, QStringLiteral("miravel.example.jp/kabu/default.asp?tp=a&co=1301"));
    EXPECT_EQ(shell.opened, QStringList({QStringLiteral("C:\\Miravel\\htm/index.htm"), QStringLiteral("http://miravel.example.jp/kabu/default.asp?tp=a&co=1301")}));
}

// The week-day roundings: weekday numbers count Sunday = 1.
struct RoundingCase
{
    const char *name;
    QDate (*routine)(const QDate &);
    QDate date;
    QDate expected;
};

class WeekdayRounding : public ::testing::TestWithParam<RoundingCase>
{
};

TEST_P(WeekdayRounding, GivesTheExpectedDay)
{
    EXPECT_EQ(GetParam().routine(GetParam().date), GetParam().expected);
}

// 2000-07-14 is a Friday.
INSTANTIATE_TEST_SUITE_P(
    Cases, WeekdayRounding,
    ::testing::Values(
        RoundingCase{"FridayOnOrBeforeOfFriday", &DateUtil::FridayOnOrBefore, QDate(2000, 7, 14), QDate(2000, 7, 14)},
        RoundingCase{"FridayOnOrBeforeOfThursday", &DateUtil::FridayOnOrBefore, QDate(2000, 7, 13), QDate(2000, 7, 7)},
        RoundingCase{"FridayOnOrAfterOfSaturday", &DateUtil::FridayOnOrAfter, QDate(2000, 7, 15), QDate(2000, 7, 21)},
        RoundingCase{"FridayOnOrAfterOfFriday", &DateUtil::FridayOnOrAfter, QDate(2000, 7, 14), QDate(2000, 7, 14)},
        RoundingCase{"MondayOnOrBeforeOfSunday", &DateUtil::MondayOnOrBefore, QDate(2000, 7, 16), QDate(2000, 7, 10)},
        RoundingCase{"MondayOnOrAfterOfTuesday", &DateUtil::MondayOnOrAfter, QDate(2000, 7, 11), QDate(2000, 7, 17)},
        RoundingCase{"MondayOnOrAfterAcrossYearEnd", &DateUtil::MondayOnOrAfter, QDate(2000, 12, 30), QDate(2001, 1, 1)},
        RoundingCase{"FridayOnOrBeforeAcrossLeapDay", &DateUtil::FridayOnOrBefore, QDate(2000, 3, 2), QDate(2000, 2, 25)}),
    [](const ::testing::TestParamInfo<RoundingCase> &info) { return std::string(info.param.name); });

TEST(WeekdayRounding, TimePartIsCarriedAlong)
{
    const QDateTime thursday(QDate(2000, 7, 13), QTime(15, 30, 5));
    EXPECT_EQ(DateUtil::FridayOnOrBefore(thursday), QDateTime(QDate(2000, 7, 7), QTime(15, 30, 5)));
}

} // namespace

// The shortcut for ASCII text gives what the code page's converter gives, its swapped controls too.
TEST(CodePage, AsciiReadsAndWritesAsTheConverterDoes)
{
    QStringDecoder decoder("windows-31j");
    QStringEncoder encoder("windows-31j");
    for (int c = 0; c < 0x80; ++c) {
        const QByteArray line = QByteArray("a\\~") + char(c);
        EXPECT_EQ(TextFile::decode(line), decoder.decode(line)) << c;
        const QString text = QStringLiteral("a\\~") + QChar(c);
        EXPECT_EQ(TextFile::encode(text), QByteArray(encoder.encode(text))) << c;
    }
}
