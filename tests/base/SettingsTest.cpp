#include "base/Settings.h"
#include "base/MainModule.h"
#include "base/TextFile.h"
#include "support/TestSupport.h"

#include <QDir>

#include <gtest/gtest.h>

using namespace testing_support;

namespace {

QString readKey(const QString &path, const QString &key, const QString &section = QStringLiteral("Miravel"))
{
    cINI ini;
    ini.cstrPath = path;
    ini.cstrSection = section;
    ini.cstrkey = key;
    return ini.GetLineINI();
}

void writeKey(const QString &path, const QString &key, const QString &value, const QString &section = QStringLiteral("Miravel"))
{
    cINI ini;
    ini.cstrPath = path;
    ini.cstrSection = section;
    ini.cstrkey = key;
    ini.cstrData = value;
    ASSERT_TRUE(ini.WriteIni());
}

// Reading a key of [Miravel] out of a file given as raw bytes.
struct LookupCase
{
    const char *name;
    QByteArray file;
    const char *key;
    QString expected;
};

class ProfileLookup : public ::testing::TestWithParam<LookupCase>
{
};

TEST_P(ProfileLookup, ReadsTheValueAProfileReaderWould)
{
    TempProgramFolder folder;
    const LookupCase &c = GetParam();
    writeFileBytes(folder.iniPath(), c.file);
    EXPECT_EQ(readKey(folder.iniPath(), QString::fromUtf8(c.key)), c.expected);
}

QByteArray cp932(const QString &text)
{
    return TextFile::encode(text);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ProfileLookup,
    ::testing::Values(
        LookupCase{"CaseInsensitiveNames", "[MIRAVEL]\r\nMOVE1=7\r\n", "move1", QStringLiteral("7")},
        LookupCase{"BlanksAroundAreNotPartOfIt", "  [ Miravel ]  \r\n  move1 =   12 \t\r\n", "move1", QStringLiteral("12")},
        LookupCase{"MissingKeyIsEmpty", "[Miravel]\r\nmove1=3\r\n", "move2", QString()},
        LookupCase{"KeysBeforeAnySectionBelongToNone", "move1=3\r\n[Miravel]\r\nmove2=4\r\n", "move1", QString()},
        LookupCase{"KeyOfAnotherSectionIsNotTaken", "[Other]\r\nmove1=1\r\n[Miravel]\r\nmove1=2\r\n", "move1", QStringLiteral("2")},
        LookupCase{"SectionEndsAtNextHeader", "[Miravel]\r\nmove1=2\r\n[Other]\r\nmove2=9\r\n", "move2", QString()},
        LookupCase{"FirstOfTwoEqualKeysAndNoComment", "[Miravel]\r\n;move1=9\r\nmove1=2\r\nmove1=9\r\n", "move1", QStringLiteral("2")},
        LookupCase{"ValueKeepsInnerEqualsSign", "[Miravel]\r\nDURL=a=b\r\n", "DURL", QStringLiteral("a=b")},
        LookupCase{"LfOnlyLines", "[Miravel]\nmove1=5\nmove2=6\n", "move2", QStringLiteral("6")},
        LookupCase{"LastLineWithoutLineEnd", "[Miravel]\r\nmove1=5", "move1", QStringLiteral("5")},
        LookupCase{"Utf8ByteOrderMark", "\xEF\xBB\xBF[Miravel]\r\nReadSinyo=\xE6\xB0\xB4\xE6\x9B\x9C\r\n", "ReadSinyo", QStringLiteral("水曜")},
        LookupCase{"ValueCutAtNul", QByteArray("[Miravel]\r\nDURL=abc\0def\r\n", 24), "DURL", QStringLiteral("abc")},
        LookupCase{"HalfWidthKatakanaInCodePage932", cp932(QStringLiteral("[Miravel]\r\nX=ﾁｬｰﾄ･ｽﾗｲﾄﾞ\r\n")), "X", QStringLiteral("ﾁｬｰﾄ･ｽﾗｲﾄﾞ")},
        LookupCase{"EmptyFile", QByteArray(), "move1", QString()},
        LookupCase{"DoubleQuotesAroundAreDropped", "[Miravel]\r\nhibiPath=\"C:\\kabu\\\" \r\n", "hibiPath", QStringLiteral("C:\\kabu\\")},
        LookupCase{"InnerQuotesStay", "[Miravel]\r\nDURL=a\"b\"\r\n", "DURL", QStringLiteral("a\"b\"")}),
    [](const ::testing::TestParamInfo<LookupCase> &info) { return std::string(info.param.name); });

TEST(ProfileFile, ValuesAreCappedAt1023Characters)
{
    TempProgramFolder folder;
    const QByteArray longValue(5000, 'x');
    writeFileBytes(folder.iniPath(), "[Miravel]\r\nDURL=" + longValue + "\r\nmove1=4\r\n");
    EXPECT_EQ(readKey(folder.iniPath(), QStringLiteral("DURL")).size(), 1023);
    EXPECT_EQ(readKey(folder.iniPath(), QStringLiteral("move1")), QStringLiteral("4"));

    writeKey(folder.iniPath(), QStringLiteral("BackPath"), QString(3000, QLatin1Char('y')));
    EXPECT_EQ(readKey(folder.iniPath(), QStringLiteral("BackPath")), QString(1023, QLatin1Char('y')));
}

TEST(ProfileFile, AMissingFileOrAVeryLongLineWithoutLineEndsIsRead)
{
    TempProgramFolder folder;
    EXPECT_EQ(readKey(folder.filePath(QStringLiteral("none.ini")), QStringLiteral("a")), QString());
    writeFileBytes(folder.iniPath(), QByteArray(2'000'000, 'z'));
    EXPECT_EQ(readKey(folder.iniPath(), QStringLiteral("move1")), QString());
    writeKey(folder.iniPath(), QStringLiteral("move1"), QStringLiteral("9"));
    EXPECT_EQ(readKey(folder.iniPath(), QStringLiteral("move1")), QStringLiteral("9"));
}

TEST(ProfileFile, WritingReplacesInPlaceAndKeepsEveryOtherLineByteForByte)
{
    TempProgramFolder folder;
    const QByteArray before = "; settings\r\n\r\n[Other]\r\nmove1=111\r\n[miravel]\r\n  Move1 = 5   \r\nodd line without equals\n"
        + cp932(QStringLiteral("ReadSinyo=水曜")) + "\r\n\r\n[Last]\r\nx=1";
    writeFileBytes(folder.iniPath(), before);
    writeKey(folder.iniPath(), QStringLiteral("move1"), QStringLiteral("25"));
    QByteArray expected = before;
    expected.replace("  Move1 = 5   \r\n", "  Move1 =25\r\n");
    EXPECT_EQ(readFileBytes(folder.iniPath()), expected);
    EXPECT_EQ(readKey(folder.iniPath(), QStringLiteral("move1"), QStringLiteral("Other")), QStringLiteral("111"));
}

TEST(ProfileFile, WritingCreatesTheFileKeepsLfOnlyAndAddsKeysAtTheEndOfTheirSection)
{
    TempProgramFolder folder;
    const QString fresh = folder.filePath(QStringLiteral("new.ini"));
    writeKey(fresh, QStringLiteral("ScreenMode"), QStringLiteral("2"));
    EXPECT_EQ(readFileBytes(fresh), QByteArray("[Miravel]\r\nScreenMode=2\r\n"));

    writeFileBytes(folder.iniPath(), "[Miravel]\nmove1=5");
    writeKey(folder.iniPath(), QStringLiteral("move2"), QStringLiteral("6"));
    EXPECT_EQ(readFileBytes(folder.iniPath()), QByteArray("[Miravel]\nmove1=5\nmove2=6\n"));

    // A new key goes at the end of its section, a new section at the end of the file.
    writeFileBytes(folder.iniPath(), "[Miravel]\r\nmove1=5\r\n\r\n[Other]\r\nz=1\r\n");
    writeKey(folder.iniPath(), QStringLiteral("Version"), QStringLiteral("1.0.12"));
    writeKey(folder.iniPath(), QStringLiteral("k"), QStringLiteral("v"), QStringLiteral("Third"));
    EXPECT_EQ(readFileBytes(folder.iniPath()),
              QByteArray("[Miravel]\r\nmove1=5\r\nVersion=1.0.12\r\n\r\n[Other]\r\nz=1\r\n[Third]\r\nk=v\r\n"));
}

TEST(ProfileFile, JapaneseValuesRoundTripInCodePage932)
{
    TempProgramFolder folder;
    const QString katakana = QStringLiteral("ﾁｬｰﾄ・ｽﾗｲﾄﾞｼｮｰ・ｽﾀｰﾄ");
    writeKey(folder.iniPath(), QStringLiteral("ReadSinyo"), QStringLiteral("しない"));
    writeKey(folder.iniPath(), QStringLiteral("Caption"), katakana);
    EXPECT_EQ(readFileBytes(folder.iniPath()),
              cp932(QStringLiteral("[Miravel]\r\nReadSinyo=しない\r\nCaption=") + katakana + QStringLiteral("\r\n")));
    // Half-width katakana are single bytes in code page 932.
    EXPECT_EQ(cp932(katakana).size(), katakana.size() + 2); // the two "・" are double-byte
    EXPECT_EQ(readKey(folder.iniPath(), QStringLiteral("ReadSinyo")), QStringLiteral("しない"));
    EXPECT_EQ(readKey(folder.iniPath(), QStringLiteral("Caption")), katakana);
}

TEST(Settings, DefaultFileHasTheMainKeysThenTheFilterKeysAndReadsBackAsTheDefaults)
{
    TempProgramFolder folder;
    ASSERT_TRUE(Settings::WriteSettings(Settings::defaultValues(), true));
    QStringList expected{QStringLiteral("[Miravel]")};
    const QStringList keys = Settings::mainKeys();
    for (int i = 0; i < keys.size(); ++i)
        expected.append(keys[i] + QLatin1Char('=') + Settings::defaultValues()[i]);
    expected << QStringLiteral("FilterGaku=") << QStringLiteral("FilterDekidaka=") << QStringLiteral("[Convt]")
             << QStringLiteral("Source=");
    EXPECT_EQ(TextFile::readLines(folder.iniPath()), expected);

    // Reading the defaults back over other values yields the defaults.
    MainModule::move1 = 99;
    MainModule::ReadSinyo = QStringLiteral("金曜");
    MainModule::SonPa = Currency::fromInt(7);
    ScriptedPrompt prompt;
    ASSERT_TRUE(Settings::ReadSettings(&prompt));
    EXPECT_TRUE(prompt.messages().isEmpty());
    EXPECT_EQ(MainModule::move1, 5);
    EXPECT_EQ(MainModule::ReadSinyo, QStringLiteral("しない"));
    EXPECT_EQ(MainModule::SonPa, Currency::fromInt(4));
    EXPECT_EQ(MainModule::hibiPath, MainModule::ProgramFolder + QStringLiteral("\\Data\\"));
    EXPECT_EQ(Settings::currentValues(), Settings::defaultValues());
}

TEST(Settings, WritingWithoutFilterKeysLeavesThemAlone)
{
    TempProgramFolder folder;
    writeCp932File(folder.iniPath(), {QStringLiteral("[Miravel]"), QStringLiteral("FilterGaku=500"), QStringLiteral("JyohoHi=3")});
    ASSERT_TRUE(Settings::WriteSettings(Settings::defaultValues(), false));
    EXPECT_EQ(Settings::settingsValue(QStringLiteral("FilterGaku")), QStringLiteral("500"));
    EXPECT_EQ(Settings::settingsValue(QStringLiteral("JyohoHi")), QStringLiteral("3"));
    EXPECT_EQ(Settings::settingsValue(QStringLiteral("FilterDekidaka")), QString());
    EXPECT_EQ(TextFile::readLines(folder.iniPath()).size(), 1 + 2 + 22);
}

TEST(Settings, FoldersGetATrailingBackslashOnLoadButTheFileKeepsTheValue)
{
    TempProgramFolder folder;
    QStringList values = Settings::defaultValues();
    values[11] = QStringLiteral("C:\\Kabu\\Data");
    values[12] = QString();
    ASSERT_TRUE(Settings::WriteSettings(values, false));
    ScriptedPrompt prompt;
    ASSERT_TRUE(Settings::ReadSettings(&prompt));
    EXPECT_EQ(MainModule::hibiPath, QStringLiteral("C:\\Kabu\\Data\\"));
    EXPECT_EQ(MainModule::sinyoPath, QString());
    EXPECT_EQ(Settings::settingsValue(QStringLiteral("hibiPath")), QStringLiteral("C:\\Kabu\\Data"));
    EXPECT_EQ(Settings::folderPath(MainModule::hibiPath), QStringLiteral("C:/Kabu/Data/"));
}

// A value that does not load is reported once, put back to its default (in the file too), and the
// keys after it still load.
struct FailureCase
{
    const char *name;
    const char *key;
    QString text; // null: the key is left out of the file
    QString message;
};

class ReadSettingsFailure : public ::testing::TestWithParam<FailureCase>
{
};

TEST_P(ReadSettingsFailure, RepairsTheBadKeyAndLoadsTheRest)
{
    TempProgramFolder folder;
    const FailureCase &c = GetParam();
    QStringList lines{QStringLiteral("[Miravel]")};
    const QStringList keys = Settings::mainKeys();
    QStringList values = Settings::defaultValues();
    values[2] = QStringLiteral("8"); // move1
    values[6] = QStringLiteral("20"); // RSIVR
    values[7] = QStringLiteral("durl.example/kabu/");
    values[17] = QStringLiteral("3"); // ITORSO
    const QString key = QString::fromLatin1(c.key);
    const QString defaultText = Settings::defaultValues()[keys.indexOf(key)];
    for (int i = 0; i < keys.size(); ++i) {
        if (keys[i] == key) {
            if (!c.text.isNull())
                lines.append(keys[i] + QLatin1Char('=') + c.text);
        } else {
            lines.append(keys[i] + QLatin1Char('=') + values[i]);
        }
    }
    writeCp932File(folder.iniPath(), lines);

    ScriptedPrompt prompt;
    EXPECT_FALSE(Settings::ReadSettings(&prompt));
    EXPECT_EQ(prompt.messages(), QStringList{c.message + QStringLiteral("\n既定値に戻しました。")});
    EXPECT_EQ(Settings::currentValue(key), defaultText);
    EXPECT_EQ(Settings::settingsValue(key), defaultText) << "the file is repaired, so the next start is quiet";
    EXPECT_EQ(MainModule::ITORSO, 3) << "keys after the bad one load";
    EXPECT_EQ(MainModule::RSIVR, 20);
    EXPECT_EQ(MainModule::DURL, QStringLiteral("durl.example/kabu/"));

    ScriptedPrompt again;
    EXPECT_TRUE(Settings::ReadSettings(&again));
    EXPECT_TRUE(again.messages().isEmpty());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ReadSettingsFailure,
    ::testing::Values(
        FailureCase{"NotANumber", "move2", QStringLiteral("abc"), QStringLiteral("設定 move2 の値 'abc' を数値に変換できません。")},
        FailureCase{"MissingNumberKey", "move3", QString(), QStringLiteral("設定 move3 の値 '' を数値に変換できません。")},
        FailureCase{"FloatNotANumber", "slidechart", QStringLiteral("1秒"), QStringLiteral("設定 slidechart の値 '1秒' を数値に変換できません。")},
        FailureCase{"OutsideSixteenBits", "move2", QStringLiteral("70000"), QStringLiteral("設定 move2 の値 '70000' は範囲外です。")},
        FailureCase{"AfterTheTextKeys", "RDel", QStringLiteral("x"), QStringLiteral("設定 RDel の値 'x' を数値に変換できません。")}),
    [](const ::testing::TestParamInfo<FailureCase> &info) { return std::string(info.param.name); });

TEST(ProfileFile, AValueCodePage932CannotHoldTurnsTheFileIntoUtf8AndUtf8FilesStayUtf8)
{
    TempProgramFolder folder;
    writeCp932File(folder.iniPath(), {QStringLiteral("[Miravel]"), QStringLiteral("ReadSinyo=水曜"), QStringLiteral("hibiPath=C:\\")});
    const QString folderName = QStringLiteral("/home/josé/데이터/𠮷野家/");
    writeKey(folder.iniPath(), QStringLiteral("hibiPath"), folderName);
    EXPECT_TRUE(readFileBytes(folder.iniPath()).startsWith("\xEF\xBB\xBF"));
    EXPECT_EQ(readKey(folder.iniPath(), QStringLiteral("hibiPath")), folderName);
    EXPECT_EQ(readKey(folder.iniPath(), QStringLiteral("ReadSinyo")), QStringLiteral("水曜"));

    // A file with a byte order mark stays UTF-8.
    writeFileBytes(folder.iniPath(), "\xEF\xBB\xBF[Miravel]\r\nmove1=5\r\n");
    writeKey(folder.iniPath(), QStringLiteral("ReadSinyo"), QStringLiteral("金曜"));
    EXPECT_EQ(readFileBytes(folder.iniPath()),
              QByteArray("\xEF\xBB\xBF[Miravel]\r\nmove1=5\r\nReadSinyo=\xE9\x87\x91\xE6\x9B\x9C\r\n"));
}

TEST(Settings, IntegerKeysRoundAFractionToEvenAndAMissingTextKeyReadsEmpty)
{
    TempProgramFolder folder;
    QStringList values = Settings::defaultValues();
    values[2] = QStringLiteral(" 2.5 ");
    values[3] = QStringLiteral("3.5");
    values[1] = QStringLiteral("0.5");
    values[10] = QStringLiteral("2.25");
    ASSERT_TRUE(Settings::WriteSettings(values, false));
    QStringList lines = TextFile::readLines(folder.iniPath());
    lines.removeIf([](const QString &line) { return line.startsWith(QLatin1String("MURL=")); });
    writeCp932File(folder.iniPath(), lines);
    MainModule::MURL = QStringLiteral("previous");
    ScriptedPrompt prompt;
    ASSERT_TRUE(Settings::ReadSettings(&prompt));
    EXPECT_EQ(MainModule::move1, 2);
    EXPECT_EQ(MainModule::move2, 4);
    EXPECT_EQ(MainModule::slidechart, 0.5f);
    EXPECT_EQ(MainModule::SonPa, Currency::fromRaw(22500));
    EXPECT_EQ(MainModule::MURL, QString());
}

TEST(Settings, BrowseForFolderKeepsTheCurrentFolderWhenCancelled)
{
    ScriptedPrompt prompt;
    prompt.answerPath(QString());
    EXPECT_EQ(Settings::BrowseForFolder(prompt, QStringLiteral("C:\\old\\"), QStringLiteral("日々データーフォルダ選択")),
              QStringLiteral("C:\\old\\"));
    prompt.answerPath(QStringLiteral("/data/new"));
    EXPECT_EQ(Settings::BrowseForFolder(prompt, QStringLiteral("C:\\old\\"), QStringLiteral("t")),
              QDir::toNativeSeparators(QStringLiteral("/data/new")));
    ASSERT_EQ(prompt.records().size(), 2u);
    EXPECT_EQ(prompt.records()[0].title, QStringLiteral("日々データーフォルダ選択"));
}

} // namespace
