// Reading quote pages: the EUC-JP to Shift_JIS byte rule against ICU, value extraction and numbers,
// the page handler's rules on hand-made pages, and pages written by QuotePage read back.

#include "board/QuotePage.h"
#include "board/QuoteParser.h"

#include <QLocale>
#include <QStringDecoder>
#include <QStringEncoder>

#include <gtest/gtest.h>

#include <limits>
#include <tuple>
#include <vector>

using namespace board;

namespace {

QByteArray euc(const QString &text)
{
    QStringEncoder encoder("EUC-JP");
    return encoder.encode(text);
}

// A page of one issue in the quote site's layout; cells are given as they appear in the row.
QString page(int code, const QString &cells)
{
    return QStringLiteral("<html><body><table><tr><th>コード</th></tr>\r\n<tr><td nowrap align=left><a href=\"/q?s=%1\">%1</a></td>"
                          "<td nowrap>銘柄</td><td nowrap><small>15:00</small></td>%2"
                          "<td nowrap><a href=\"/c?s=%1\">チャート</a></td></tr></table></body></html>")
        .arg(code)
        .arg(cells);
}

} // namespace

TEST(EucToSjis, MatchesIcuForEveryJisX0208Character)
{
    ASSERT_TRUE(QStringDecoder("EUC-JP").isValid() && QStringEncoder("Shift_JIS").isValid());
    int compared = 0;
    for (int b1 = 0xA1; b1 <= 0xF4; ++b1) {
        if (b1 > 0xA8 && b1 < 0xB0)
            continue; // rows 9-15 hold no JIS X 0208 characters (row 13 is a vendor extension)
        for (int b2 = 0xA1; b2 <= 0xFE; ++b2) {
            QByteArray pair;
            pair.append(char(b1)).append(char(b2));
            // Fresh converters per character: an undefined code leaves ICU's converters in error.
            QStringDecoder fromEuc("EUC-JP");
            QStringEncoder toSjis("Shift_JIS");
            const QString character = fromEuc.decode(pair);
            if (fromEuc.hasError() || character.size() != 1 || character.at(0) == QChar::ReplacementCharacter)
                continue;
            const QByteArray expected = toSjis.encode(character);
            if (toSjis.hasError() || expected.size() != 2)
                continue;
            ++compared;
            EXPECT_EQ(EucToSjis(pair, 3), expected) << std::hex << b1 << ' ' << b2;
        }
    }
    EXPECT_GE(compared, 6879); // every character JIS X 0208 defines
}

TEST(EucToSjis, HalfWidthKatakanaLineEndsAndForeignBytes)
{
    EXPECT_EQ(EucToSjis(euc(QStringLiteral("ｲﾝﾀｰﾈｯﾄ")), 3), QByteArray("\xB2\xDD\xC0\xB0\xC8\xAF\xC4"));
    const QByteArray lines("a\r\nb\rc\nd");
    EXPECT_EQ(EucToSjis(lines, 3), QByteArray("a\r\nb\r\nc\r\nd"));
    EXPECT_EQ(EucToSjis(lines, 1), QByteArray("a\rb\rc\rd"));
    EXPECT_EQ(EucToSjis(lines, 2), QByteArray("a\nb\nc\nd"));
    EXPECT_EQ(EucToSjis(lines, 0), lines);
    // A lead byte at the very end pairs with 0 and is copied; 0x8E before a byte outside the
    // katakana range is copied too.
    EXPECT_EQ(EucToSjis(QByteArray("x\xA4"), 3), QByteArray("x\xA4"));
    EXPECT_EQ(EucToSjis(QByteArray("\x8E\x41"), 3), QByteArray("\x8E\x41"));
    // Pages already in Shift_JIS or UTF-8 give what the rule gives, and read as text.
    QStringEncoder toSjis("Shift_JIS");
    const QByteArray sjis = toSjis.encode(QStringLiteral("現在値 チャート"));
    const QByteArray utf8 = QStringLiteral("現在値 チャート").toUtf8();
    EXPECT_TRUE(pageText(sjis).contains(QStringLiteral("チャート"))); // Shift_JIS katakana pass the rule unchanged
    EXPECT_EQ(EucToSjis(utf8, 3).size(), utf8.size());
    EXPECT_FALSE(pageText(utf8).contains(QStringLiteral("チャート")));
}

TEST(ExtractValue, TakesOneWordAfterTheMarker)
{
    EXPECT_EQ(ExtractValue(QStringLiteral("<b>1,234</b>"), QStringLiteral("<B>"), QStringLiteral("</B>")), u"1,234");
    EXPECT_EQ(ExtractValue(QStringLiteral("x=\"'abc def"), QStringLiteral("X"), QStringLiteral("<")), u"abc");
    EXPECT_EQ(ExtractValue(QStringLiteral("<b> 12</b>"), QStringLiteral("<b>"), QStringLiteral("</b>")), u"");
    EXPECT_EQ(ExtractValue(QStringLiteral("<td>-</td>"), QStringLiteral("<td>"), QStringLiteral("</td>")), u"0");
    EXPECT_EQ(ExtractValue(QStringLiteral(">12.5%<"), QStringLiteral(">"), QStringLiteral("<")), u"12.5");
    EXPECT_EQ(ExtractValue(QStringLiteral("<td>12</td>"), QStringLiteral("<small>"), QStringLiteral("<")), u"");
    EXPECT_EQ(ExtractValue(QStringLiteral("15:00</small>"), QStringLiteral(""), QStringLiteral("</small>")), u"15:00");
}

TEST(ToNumber, CommasSignsAndWhatIsNotANumber)
{
    for (const auto &[text, number] : {std::pair{"12,300", 12300}, {"-1,200", -1200}, {"+35", 35}, {"0", 0}, {"abc", 0}, {"", 0}, {"2,147,483,647", 2147483647}, {"2,147,483,648", 0}, {"99999999999999999999", 0}, {"-2147483649", 0}})
        EXPECT_EQ(ToNumber(QString::fromLatin1(text)), number) << text;
}

TEST(ParseQuotePage, PriceChangeAndVolumeOfBothLayouts)
{
    const auto coloured = ParseQuotePage(
        page(7203, QStringLiteral("<td nowrap><b>1,234</b></td><td nowrap><font color=#cc0000>+12</font></td>"
                                  "<td nowrap><font color=#cc0000>+0.98%</font></td><td nowrap>12,300</td>")),
        7203);
    ASSERT_TRUE(coloured);
    EXPECT_EQ(coloured->quoteTime, u"15:00");
    EXPECT_EQ(coloured->price, 1234);
    EXPECT_EQ(coloured->change, 12);
    EXPECT_EQ(coloured->volume, 12300);

    const auto plain = ParseQuotePage(
        page(7203, QStringLiteral("<td nowrap><b>980</b></td><td nowrap>0</td><td nowrap align=right>0.00%</td>"
                                  "<td nowrap>5,000</td>")),
        7203);
    ASSERT_TRUE(plain);
    EXPECT_EQ(plain->change, 0);
    EXPECT_EQ(plain->volume, 5000);

    const auto untraded = ParseQuotePage(
        page(7203, QStringLiteral("<td nowrap><b>-</b></td><td nowrap>-</td><td nowrap>-</td>")), 7203);
    ASSERT_TRUE(untraded);
    EXPECT_EQ(untraded->price, 0);
    EXPECT_EQ(untraded->change, 0);
    EXPECT_EQ(untraded->volume, 0);
}

TEST(ParseQuotePage, PagesWithoutTheIssueGiveNothing)
{
    const QString cells = QStringLiteral("<td nowrap><b>1,234</b></td><td nowrap>0</td><td nowrap>1</td>");
    EXPECT_FALSE(ParseQuotePage(page(7203, cells), 6758)); // another issue's row
    EXPECT_FALSE(ParseQuotePage(page(7203, cells).remove(QStringLiteral("チャート")), 7203));
    EXPECT_FALSE(ParseQuotePage(QString(), 7203)); // failed download
    EXPECT_TRUE(ParseQuotePage(page(7203, cells).toUpper(), 7203)); // markers ignore case
}

TEST(QuotePage, RenderedPagesReadBackThroughTheHandler)
{
    QuotePage::Quote q;
    q.code = 8306;
    q.name = QStringLiteral("三菱ＵＦＪ＆ｶﾌﾞ");
    q.time = QDateTime(QDate(2026, 12, 4), QTime(15, 0));
    for (const auto &[price, change, volume] : {std::tuple{1234, 12, 12300}, std::tuple{1234, -1205, 2147483647},
                                                std::tuple{980, 0, 0}, std::tuple{0, 0, 5}}) {
        q.price = price;
        q.change = change;
        q.volume = volume;
        const auto read = ParseQuotePage(pageText(QuotePage::render(q)), q.code);
        ASSERT_TRUE(read) << price << ' ' << change;
        EXPECT_EQ(read->price, price);
        EXPECT_EQ(read->change, change);
        EXPECT_EQ(read->volume, volume);
        EXPECT_EQ(read->quoteTime, u"2026/12/04　15:00");
    }
}

namespace {

// The page written straight from its text template through one converter, as it is meant to read.
QByteArray pageByTemplate(const QuotePage::Quote &q)
{
    const auto grouped = [](qint32 v) { return QLocale::c().toString(v); };
    const QString code = QString::number(q.code), name = q.name.toHtmlEscaped();
    QString change = QStringLiteral("<td nowrap>0</td><td nowrap align=right>0.00%</td>");
    if (q.change != 0) {
        const qint64 previous = qint64(q.price) - q.change;
        const QString percent =
            previous > 0 ? QString::number(double(q.change) * 100.0 / double(previous), 'f', 2) : QStringLiteral("0.00");
        const QString sign = q.change > 0 ? QStringLiteral("+") : QString();
        change = QStringLiteral("<td nowrap><font color=%1>%2%3</font></td><td nowrap><font color=%1>%2%4%</font></td>")
                     .arg(q.change > 0 ? QStringLiteral("#cc0000") : QStringLiteral("#008000"), sign, grouped(q.change), percent);
    }
    const QString html =
        QStringLiteral("<html><head><meta http-equiv=\"Content-Type\" content=\"text/html; charset=EUC-JP\">\r\n"
                       "<title>%1 (%2)</title></head>\r\n<body>\r\n<table border=1 cellspacing=0 cellpadding=3>\r\n"
                       "<tr><th>コード</th><th>銘柄</th><th>時刻</th><th>現在値</th><th>前日比</th><th>騰落率</th>"
                       "<th>出来高</th><th>始値</th><th>高値</th><th>安値</th><th></th></tr>\r\n"
                       "<tr><td nowrap align=left><a href=\"/q?s=%2\">%2</a></td><td nowrap>%1</td>"
                       "<td nowrap><small>%3</small></td><td nowrap><b>%4</b></td>")
            .arg(name, code, q.time.toString(QStringLiteral("yyyy/MM/dd　hh:mm")), q.price == 0 ? QStringLiteral("-") : grouped(q.price))
        + change
        + QStringLiteral("<td nowrap>%1</td><td nowrap>%2</td><td nowrap>%3</td><td nowrap>%4</td>"
                         "<td nowrap><a href=\"/c?s=%5\">チャート</a></td></tr>\r\n</table>\r\n</body></html>\r\n")
              .arg(grouped(q.volume), grouped(q.open), grouped(q.high), grouped(q.low), code);
    return euc(html);
}

} // namespace

// Signs, digit groups at the limits of the type, percentages that fall on a rounding tie (1/800),
// names the page must escape or cannot encode, and times outside four-digit years.
TEST(QuotePage, BytesMatchTheTemplateThroughOneConverter)
{
    constexpr qint32 low = std::numeric_limits<qint32>::min(), high = std::numeric_limits<qint32>::max();
    const std::vector<std::tuple<qint32, qint32, qint32>> prices{
        {1234, 12, 12300}, {801, 1, 999}, {799, -1, 1000}, {0, 0, 5}, {980, 0, 0}, {5, 7, 100}, {high, low, low}, {low, high, high}, {100, -100, -999999}};
    const std::vector<QString> names{QStringLiteral("三菱ＵＦＪ＆ｶﾌﾞ"), QStringLiteral("<A&B> \"x\" 100%"), QStringLiteral("𠮷野家 №1 ①"),
                                     QString(), QStringLiteral("銘柄1234")};
    const std::vector<QDateTime> times{QDateTime(QDate(2026, 12, 4), QTime(15, 0), Qt::UTC), QDateTime(QDate(987, 1, 2), QTime(9, 5), Qt::UTC),
                                       QDateTime(QDate(2026, 1, 31), QTime(23, 59)), QDateTime()};
    for (const auto &[price, change, volume] : prices) {
        for (const QString &name : names) {
            for (const QDateTime &time : times) {
                QuotePage::Quote q;
                q.code = price == 5 ? 0 : 1301;
                q.name = name;
                q.time = time;
                q.price = price;
                q.change = change;
                q.volume = volume;
                q.open = volume;
                q.high = volume == low ? high : -volume; // the other limit where the sign cannot turn
                q.low = change;
                ASSERT_EQ(QuotePage::render(q).toStdString(), pageByTemplate(q).toStdString()) << price << ' ' << change << ' ' << name.toStdString();
            }
        }
    }
}
