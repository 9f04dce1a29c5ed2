#include "datagen/DataGenerator.h"

#include "base/Currency.h"
#include "base/Helpers.h"
#include "base/TextFile.h"
#include "import/ImportPaths.h"
#include "import/PriceRecords.h"

#include <QDir>

#include <algorithm>
#include <cmath>

namespace importer {

namespace {

const char16_t *const Heads[] = {
    u"日本",
    u"東洋",
    u"大和",
    u"三和",
    u"北海道",
    u"関西",
    u"中央",
    u"昭和",
    u"富士",
    u"新日本",
    u"ｱｻﾋ",
    u"ﾄﾖﾀ",
    u"ｻﾝﾜ",
    u"ﾆｯｺｰ",
    u"ﾐﾗｲ",
    u"ｴｰｽ",
    u"ｺｽﾓ",
    u"ﾀｶﾗ",
    u"ﾊﾟｲｵﾆｱ",
    u"ﾌｼﾞ",
};
const char16_t *const Middles[] = {u"", u"", u"", u"第一", u"ﾃﾞﾝｼ", u"国際", u"ｸﾞﾛｰﾊﾞﾙ", u"精密"};
const char16_t *const Tails[] = {
    u"製作所",
    u"電気",
    u"化学",
    u"工業",
    u"銀行",
    u"商事",
    u"建設",
    u"食品",
    u"ﾎｰﾙﾃﾞｨﾝｸﾞｽ",
    u"精機",
    u"物産",
    u"薬品",
    u"証券",
    u"ｼｽﾃﾑ",
    u"ｺｰﾎﾟﾚｰｼｮﾝ",
    u"運輸",
    u"紙業",
    u"鉄鋼",
};

template <size_t N>
QString pick(const char16_t *const (&list)[N], int index)
{
    return QString::fromUtf16(list[size_t(index) % N]);
}

// Japanese holidays that fall on fixed dates, and the year-end break.
bool isHoliday(const QDate &d)
{
    const int m = d.month(), day = d.day();
    return (m == 1 && day <= 3) || (m == 12 && day == 31) || (m == 2 && day == 11) || (m == 2 && day == 23)
        || (m == 4 && day == 29) || (m == 5 && day >= 3 && day <= 5) || (m == 8 && day == 11)
        || (m == 11 && day == 3) || (m == 11 && day == 23);
}

qint32 tickRound(double price)
{
    const double tick = price < 3000 ? 1 : price < 30000 ? 5
                                                         : 10;
    return qint32(std::max(1.0, Rounding::nearest(price / tick) * tick));
}

} // namespace

DataGenerator::DataGenerator(const GeneratorOptions &options)
    : m_options(options), m_state(options.seed * 0x9E3779B97F4A7C15ull + 0x2545F4914F6CDD1Dull)
{
    for (QDate d = options.firstDay; int(m_days.size()) < options.tradingDays; d = d.addDays(1)) {
        const int wd = d.dayOfWeek();
        if (wd <= 5 && !isHoliday(d))
            m_days.push_back(d);
    }

    // Codes from 1301 upward with small gaps, below 10000.
    const int count = std::clamp(options.issues, 0, 8000);
    const int span = 9999 - 1301;
    const double meanGap = count > 0 ? std::max(1.0, double(span) / count) : 1.0;
    int code = 1300;
    for (int i = 0; i < count; ++i) {
        const int room = (9999 - code) - (count - i - 1);
        int gap = 1 + below(int(2 * meanGap - 1));
        gap = std::clamp(gap, 1, std::max(1, room));
        code += gap;
        GeneratedIssue issue;
        issue.code = code;
        const int m = below(100);
        if (m < options.otherMarketPercent)
            issue.position = 2 + below(3);
        else if (m < 65)
            issue.position = 0;
        else if (m < 85)
            issue.position = 1;
        else
            issue.position = 5;
        issue.name = fitName(pick(Heads, below(20)) + pick(Middles, below(8)) + pick(Tails, below(18)));
        issue.volumeUnit = below(4) == 0 ? 100 : 1000;
        issue.listDay = below(100) < options.newListingPercent && !m_days.empty() ? 1 + below(int(m_days.size())) : 0;
        issue.price = std::exp(std::log(80.0) + uniform() * (std::log(9000.0) - std::log(80.0)));
        m_issues.push_back(issue);
    }
}

std::uint64_t DataGenerator::next()
{
    // splitmix64: the same sequence on every platform.
    std::uint64_t z = (m_state += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

double DataGenerator::uniform()
{
    return double(next() >> 11) * (1.0 / 9007199254740992.0);
}

double DataGenerator::normal()
{
    const double u1 = std::max(uniform(), 1e-12);
    const double u2 = uniform();
    return std::sqrt(-2.0 * std::log(u1)) * std::cos(6.283185307179586 * u2);
}

int DataGenerator::marketCodeOfPosition(int position)
{
    return MarketCodeOfIndex(position);
}

QStringList DataGenerator::registrationLines() const
{
    QStringList lines;
    lines.reserve(qsizetype(m_issues.size()) + 1);
    const QDate first = m_days.empty() ? m_options.firstDay : m_days.front();
    lines.append(first.toString(QStringLiteral("yyyyMMdd")) + QLatin1Char(',') + QString::number(m_issues.size()));
    for (const GeneratedIssue &i : m_issues)
        lines.append(QStringLiteral("%1,%2,%3,%4,1").arg(i.code).arg(marketCodeOfPosition(i.position)).arg(i.name).arg(i.volumeUnit));
    return lines;
}

bool DataGenerator::writeRegistration(const QString &path, QString *error) const
{
    return TextFile::writeLines(path, registrationLines(), error);
}

void DataGenerator::generate(const std::function<void(int, const QDate &, const std::vector<GeneratedRecord> &)> &day,
                             const std::function<void(const QDate &, const std::vector<GeneratedMargin> &)> &weekEnd)
{
    std::vector<GeneratedRecord> records;
    std::vector<GeneratedMargin> margins;
    records.reserve(m_issues.size());
    for (size_t di = 0; di < m_days.size(); ++di) {
        const QDate date = m_days[di];
        records.clear();
        for (GeneratedIssue &issue : m_issues) {
            if (int(di) < issue.listDay)
                continue;
            GeneratedRecord r;
            r.code = issue.code;
            r.position = issue.position;
            r.name = &issue.name;
            const double before = issue.price;
            issue.price = std::clamp(before * std::exp(0.018 * normal()), 5.0, 500000.0);
            if (below(1000) < m_options.zeroVolumePerMille) {
                records.push_back(r);
                continue;
            }
            const double open = before * (1.0 + 0.006 * normal());
            const double close = issue.price;
            const double high = std::max(open, close) * (1.0 + std::fabs(0.008 * normal()));
            const double low = std::min(open, close) * (1.0 - std::fabs(0.008 * normal()));
            r.open = tickRound(open);
            r.close = tickRound(close);
            r.high = std::max({tickRound(high), r.open, r.close});
            r.low = std::min({tickRound(low), r.open, r.close});
            // Daily files give the volume in the issue's volume unit (1 to 400 units a day).
            r.volume = 1 + qint64(below(400));
            records.push_back(r);
        }
        if (day)
            day(int(di), date, records);

        const bool lastOfWeek = di + 1 == m_days.size() || m_days[di + 1].weekNumber() != date.weekNumber()
            || m_days[di + 1].daysTo(date) < -6;
        if (weekEnd && lastOfWeek) {
            margins.clear();
            for (const GeneratedIssue &issue : m_issues) {
                if (int(di) < issue.listDay || (issue.position != 0 && issue.position != 1))
                    continue;
                const qint32 scale = issue.volumeUnit == 100 ? 100 : 1000;
                margins.push_back({issue.code, qint32(below(500)), qint32(below(2000)), scale});
            }
            weekEnd(date, margins);
        }
    }
}

qint64 DataGenerator::writeFiles(const QString &dailyFolder, const QString &marginFolder, QString *error)
{
    qint64 written = 0;
    bool failed = false;
    const QDir daily(dailyFolder);
    const QDir margin(marginFolder);
    generate(
        [&](int, const QDate &date, const std::vector<GeneratedRecord> &records) {
            failed = failed || !TextFile::writeLines(daily.filePath(dailyFileName(date)), dailyFileLines(date, records), error);
            written += qint64(records.size());
        },
        [&](const QDate &date, const std::vector<GeneratedMargin> &records) {
            if (!marginFolder.isEmpty())
                failed = failed || !TextFile::writeLines(margin.filePath(marginFileName(date)), marginFileLines(date, records), error);
        });
    return failed ? -1 : written;
}

QStringList DataGenerator::dailyFileLines(const QDate &date, const std::vector<GeneratedRecord> &records)
{
    QStringList lines;
    lines.reserve(qsizetype(records.size()) + 1);
    lines.append(dailyHeaderLine(date, qsizetype(records.size())));
    for (const GeneratedRecord &r : records)
        lines.append(dailyRecordLine(r.code, r.position, r.name ? QStringView(*r.name) : QStringView(), r.open, r.high,
                                     r.low, r.close, Currency::fromInt(r.volume)));
    return lines;
}

QStringList DataGenerator::marginFileLines(const QDate &date, const std::vector<GeneratedMargin> &records)
{
    return importer::marginFileLines(date, records);
}

} // namespace importer
