#include "info/InfoServer.h"

#include "base/Currency.h"
#include "base/Helpers.h"
#include "import/ImportPaths.h"
#include "import/InputProblems.h"
#include "import/PriceRecords.h"

#include <cmath>
#include <limits>

namespace info {

namespace {

const QString kCrLf = QStringLiteral("\r\n");

// The lines of a served file after its header: each ends in CR LF; the list stops at an empty line
// or at a last line without CR LF.
QList<QStringView> bodyLines(QStringView text, qsizetype from)
{
    QList<QStringView> lines;
    while (from < text.size()) {
        const qsizetype end = text.indexOf(kCrLf, from);
        if (end < 0)
            break;
        const QStringView line = text.sliced(from, end - from);
        if (line.isEmpty())
            break;
        lines.append(line);
        from = end + 2;
    }
    return lines;
}

[[noreturn]] void fail(const QString &name, int line, const QString &what)
{
    throw FormatError(QStringLiteral("%1 の %2 行目が読めません（%3）。").arg(name).arg(line).arg(echoedText(what)));
}

qint64 wholeIn(QStringView field, qint64 low, qint64 high, const QString &name, int line)
{
    const auto n = importer::wholeNumber(field);
    if (!n || *n < low || *n > high)
        fail(name, line, field.toString());
    return *n;
}

} // namespace

FormatError::FormatError(const QString &description)
    : std::runtime_error(description.toStdString()), m_description(description)
{
}

QString ServerBase(const QString &durl)
{
    QString base = QStringLiteral("http://") + durl;
    if (!base.endsWith(QLatin1Char('/')))
        base += QLatin1Char('/');
    return base;
}

QString KindsAddress(const QString &durl)
{
    return ServerBase(durl) + QStringLiteral("kabumei/infodata");
}

QString RankingAddress(const QString &durl, const QDate &date, const QString &kind)
{
    return ServerBase(durl) + QStringLiteral("jyhodata/") + date.toString(QStringLiteral("yyyyMMdd")) + QLatin1Char('.')
        + kind;
}

QString RegistrationAddress(const QString &durl)
{
    return ServerBase(durl) + QStringLiteral("kabumei/Regist.mei");
}

QString DailyFileAddress(const QString &durl, const QDate &date)
{
    return ServerBase(durl) + QStringLiteral("kabudata/") + importer::dailyFileName(date);
}

QString MarginFileAddress(const QString &durl, const QDate &date)
{
    return ServerBase(durl) + QStringLiteral("kabudata/") + importer::marginFileName(date);
}

QDate LeadingDate(const QString &text)
{
    if (text.size() < 8)
        return {};
    const QStringView digits = QStringView(text).first(8);
    for (QChar c : digits)
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return {};
    return QDate::fromString(digits.toString(), QStringLiteral("yyyyMMdd"));
}

KindsFile ParseKindsFile(const QString &text)
{
    const QString name = QStringLiteral("infodata");
    KindsFile file;
    file.date = LeadingDate(text);
    qsizetype headerEnd = text.indexOf(kCrLf);
    // A header of the date alone ("20240105" CR LF) has an empty count.
    const qsizetype header = headerEnd < 0 ? text.size() : headerEnd;
    const qsizetype countFrom = std::min<qsizetype>(9, header);
    const QStringView count = QStringView(text).sliced(countFrom, header - countFrom);
    file.count = int(wholeIn(count, 0, std::numeric_limits<qint16>::max(), name, 1));
    if (headerEnd < 0)
        return file;
    int lineNumber = 1;
    for (QStringView line : bodyLines(text, headerEnd + 2)) {
        ++lineNumber;
        const qsizetype c1 = line.indexOf(QLatin1Char(','));
        const qsizetype c2 = c1 < 0 ? -1 : line.indexOf(QLatin1Char(','), c1 + 1);
        if (c2 < 0)
            fail(name, lineNumber, line.toString());
        qsizetype c3 = line.indexOf(QLatin1Char(','), c2 + 1);
        if (c3 < 0)
            c3 = line.size();
        InfoKinds::Kind kind;
        kind.code = line.first(c1).toString();
        kind.name = line.sliced(c1 + 1, c2 - c1 - 1).toString();
        kind.order = int(wholeIn(line.sliced(c2 + 1, c3 - c2 - 1), std::numeric_limits<qint16>::min(),
                                 std::numeric_limits<qint16>::max(), name, lineNumber));
        file.kinds.append(kind);
    }
    return file;
}

RankingFile ParseRankingFile(const QString &text, const QString &name)
{
    RankingFile file;
    file.date = LeadingDate(text);
    const qsizetype headerEnd = text.indexOf(kCrLf);
    const QStringView header = QStringView(text).first(headerEnd < 0 ? text.size() : headerEnd);
    if (header.size() < 9)
        fail(name, 1, header.toString());
    const QStringView afterDate = header.sliced(9);
    const qsizetype comma = afterDate.indexOf(QLatin1Char(','));
    file.count = int(wholeIn(comma < 0 ? afterDate : afterDate.first(comma), 0, std::numeric_limits<qint16>::max(),
                             name, 1));
    // The comma is followed by four characters that are not read (the kind code and its comma).
    if (comma >= 0 && comma + 5 < afterDate.size())
        file.comment = afterDate.sliced(comma + 5).toString();
    int lineNumber = 1;
    for (QStringView line : headerEnd < 0 ? QList<QStringView>() : bodyLines(text, headerEnd + 2)) {
        ++lineNumber;
        QStringView f[6];
        qsizetype from = 0;
        for (int i = 0; i < 5; ++i) {
            const qsizetype c = line.indexOf(QLatin1Char(','), from);
            if (c < 0)
                fail(name, lineNumber, line.toString());
            f[i] = line.sliced(from, c - from);
            from = c + 1;
        }
        f[5] = line.sliced(from);
        if (const qsizetype c = f[5].indexOf(QLatin1Char(',')); c >= 0)
            f[5] = f[5].first(c);
        RankingRecord r;
        const qint64 rank = wholeIn(f[0], std::numeric_limits<qint64>::min(), std::numeric_limits<qint64>::max(), name,
                                    lineNumber);
        const qint64 code = wholeIn(f[1], std::numeric_limits<qint64>::min(), std::numeric_limits<qint64>::max(), name,
                                    lineNumber);
        r.price = importer::safeLong(f[2]);
        bool ok = false;
        const double thousands = f[3].trimmed().toDouble(&ok);
        const double shares = ok ? Rounding::nearest(thousands * 1000.0) : 0.0;
        r.volume = ok && std::fabs(shares) <= std::numeric_limits<qint32>::max() ? qint32(shares) : 0;
        r.change = importer::safeLong(f[4]);
        r.value = f[5].toString();
        QString refusal;
        if (rank < 1 || rank > MaxRank)
            refusal = QStringLiteral("順位 '%1' が 1～%2 の範囲外です").arg(echoedText(f[0])).arg(MaxRank);
        else if (code < 1 || code >= importer::IssueCodeLimit)
            refusal = QStringLiteral("銘柄コード '%1' が 1～%2 の範囲外です").arg(echoedText(f[1])).arg(importer::IssueCodeLimit - 1);
        else if (r.price < 0)
            refusal = QStringLiteral("株価 '%1' が負の値です").arg(echoedText(f[2]));
        else if (r.volume < 0)
            refusal = QStringLiteral("出来高 '%1' が負の値です").arg(echoedText(f[3]));
        if (!refusal.isEmpty()) {
            file.refused.add(name, lineNumber, refusal);
            continue;
        }
        r.rank = int(rank);
        r.code = qint32(code);
        file.records.push_back(std::move(r));
    }
    if (lineNumber - 1 != file.count)
        throw FormatError(QStringLiteral("%1 を読み込みません（%2）。")
                              .arg(name, importer::recordCountMismatch(file.count, lineNumber - 1)));
    return file;
}

} // namespace info
