#include "convert/Converter.h"

#include "base/Helpers.h"
#include "base/Ports.h"
#include "base/TextFile.h"
#include "db/Database.h"
#include "db/Recordset.h"
#include "import/ImportPaths.h"
#include "import/InputProblems.h"
#include "import/PriceRecords.h"

#include <QDir>
#include <QFileInfo>
#include <QUrl>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <limits>
#include <map>

namespace convert {

namespace {

// ---- CSV fields ----

// Cuts a CSV line into fields; a field in double quotes may hold commas ("" is a quote).
void splitCsv(QStringView line, std::vector<QString> &fields)
{
    fields.clear();
    qsizetype i = 0;
    const qsizetype n = line.size();
    while (true) {
        QString field;
        while (i < n && line[i] == QLatin1Char(' '))
            ++i;
        if (i < n && line[i] == QLatin1Char('"')) {
            ++i;
            while (i < n) {
                if (line[i] == QLatin1Char('"')) {
                    if (i + 1 < n && line[i + 1] == QLatin1Char('"')) {
                        field += QLatin1Char('"');
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                field += line[i++];
            }
            while (i < n && line[i] != QLatin1Char(','))
                ++i;
        } else {
            const qsizetype start = i;
            while (i < n && line[i] != QLatin1Char(','))
                ++i;
            field = line.mid(start, i - start).trimmed().toString();
        }
        fields.push_back(field);
        if (i >= n)
            break;
        ++i; // the comma
    }
}

enum Column
{
    ColDate,
    ColOpen,
    ColHigh,
    ColLow,
    ColClose,
    ColVolume,
    ColCode,
    ColName,
    ColMarket,
    ColumnCount
};

int columnOf(const QString &header)
{
    QString h = header.trimmed().toLower();
    h.remove(QChar(0xFEFF));
    struct Name
    {
        const char16_t *text;
        Column column;
    };
    static const Name names[] = {
        {u"date", ColDate},
        {u"日付", ColDate},
        {u"年月日", ColDate},
        {u"open", ColOpen},
        {u"始値", ColOpen},
        {u"high", ColHigh},
        {u"hight", ColHigh},
        {u"高値", ColHigh},
        {u"low", ColLow},
        {u"安値", ColLow},
        {u"close", ColClose},
        {u"終値", ColClose},
        {u"volume", ColVolume},
        {u"出来高", ColVolume},
        {u"code", ColCode},
        {u"コード", ColCode},
        {u"銘柄コード", ColCode},
        {u"証券コード", ColCode},
        {u"name", ColName},
        {u"銘柄名", ColName},
        {u"銘柄", ColName},
        {u"market", ColMarket},
        {u"市場", ColMarket},
        {u"市場区分", ColMarket},
    };
    for (const Name &n : names) {
        if (h == QStringView(n.text))
            return n.column;
    }
    return -1;
}

// YYYY-MM-DD, YYYY/MM/DD or YYYYMMDD (a time after a blank is ignored).
QDate parseSourceDate(QStringView text)
{
    const qsizetype blank = text.indexOf(QLatin1Char(' '));
    if (blank > 0)
        text = text.left(blank);
    int parts[3] = {0, 0, 0};
    if (text.size() == 8) {
        bool ok = false;
        const int all = text.toInt(&ok);
        if (!ok)
            return {};
        return QDate(all / 10000, all / 100 % 100, all % 100);
    }
    int part = 0;
    int digits = 0;
    QChar separator;
    for (QChar c : text) {
        if (c.isDigit()) {
            if (++digits > 4) // no part of a date has more; a longer run is not a date
                return {};
            parts[part] = parts[part] * 10 + c.digitValue();
        } else if ((c == QLatin1Char('-') || c == QLatin1Char('/')) && part < 2 && digits > 0
                   && (separator.isNull() || separator == c)) {
            separator = c;
            ++part;
            digits = 0;
        } else {
            return {};
        }
    }
    if (part != 2 || digits == 0 || parts[0] < 1000)
        return {};
    return QDate(parts[0], parts[1], parts[2]);
}

// A decimal number, exact to four decimals; nothing when the text is not a number.
std::optional<Currency> parseNumber(const QString &text)
{
    if (text.isEmpty())
        return std::nullopt;
    bool ok = false;
    const Currency value = Currency::fromText(text, &ok);
    if (!ok)
        return std::nullopt;
    return value;
}

// The market position a source names: a position 0 to 5, or a market's name.
int positionOf(const QString &market)
{
    bool ok = false;
    const int n = market.toInt(&ok);
    if (ok)
        return n >= 0 && n <= 5 ? n : -1;
    const QString m = market.toUpper();
    const auto has = [&](const char16_t *t) { return m.contains(QStringView(t)); };
    if (has(u"１部") || has(u"1部") || has(u"プライム") || has(u"PRIME"))
        return 0;
    if (has(u"２部") || has(u"2部") || has(u"スタンダード") || has(u"STANDARD"))
        return 1;
    if (has(u"店頭") || has(u"JASDAQ") || has(u"ジャスダック") || has(u"グロース") || has(u"GROWTH")
        || has(u"マザーズ") || has(u"MOTHERS"))
        return 5;
    return -1;
}

// A code of the source: four digits, or five digits ending in 0 as some services write them.
// Sets why and returns 0 when it is not a code of ours.
int parseCode(const QString &text, QString &why)
{
    bool ok = false;
    qint64 code = text.toLongLong(&ok);
    if (!ok || code <= 0) {
        why = QStringLiteral("コードを読めません: %1").arg(echoedText(text));
        return 0;
    }
    if (text.size() == 5 && code % 10 == 0)
        code /= 10;
    if (code >= importer::IssueCodeLimit) {
        why = QStringLiteral("コードが4桁ではありません: %1").arg(echoedText(text));
        return 0;
    }
    return int(code);
}

// Integer division rounded half to even (divisor > 0).
qint64 divideHalfEven(qint64 numerator, qint64 divisor)
{
    qint64 q = numerator / divisor;
    qint64 r = numerator % divisor;
    if (r < 0) {
        r += divisor;
        --q;
    }
    if (2 * r > divisor || (2 * r == divisor && (q & 1) != 0))
        ++q;
    return q;
}

struct Fetched
{
    QString name;
    QByteArray bytes;
    int codeFromName = 0;
};

QString expand(QString address, const QDate &date, int code)
{
    if (date.isValid())
        address.replace(QStringLiteral("{date}"), date.toString(QStringLiteral("yyyyMMdd")));
    if (code > 0)
        address.replace(QStringLiteral("{code}"), QString::number(code));
    return address;
}

bool isAddress(const QString &source)
{
    return source.startsWith(QLatin1String("http://"), Qt::CaseInsensitive)
        || source.startsWith(QLatin1String("https://"), Qt::CaseInsensitive);
}

bool isSourceFile(const QFileInfo &info)
{
    const QString suffix = info.suffix().toLower();
    return info.isFile() && (suffix == QLatin1String("csv") || suffix == QLatin1String("txt"));
}

} // namespace

// ---- IssueRegister ----

IssueRegister IssueRegister::load(const QString &databasePath)
{
    IssueRegister reg;
    db::Database database(databasePath);
    db::Recordset rs = database.openRecordset(
        QStringLiteral("select コード, 市場コード, 銘柄, 出来高単位, 株価単位 from Mei order by コード ;"));
    for (; !rs.eof(); rs.moveNext()) {
        const qint64 code = rs.toLong(QStringLiteral("コード"));
        if (code <= 0 || code >= importer::IssueCodeLimit)
            continue;
        IssueInfo info;
        info.name = rs.toText(QStringLiteral("銘柄"));
        info.position = std::max(0, MarketIndexOfCode(int(rs.toLong(QStringLiteral("市場コード")))));
        info.volumeUnit = rs.toLong(QStringLiteral("出来高単位"));
        info.priceUnit = rs.toLong(QStringLiteral("株価単位"));
        reg.add(int(code), info);
    }
    return reg;
}

void IssueRegister::add(int code, const IssueInfo &info)
{
    if (code <= 0 || code >= importer::IssueCodeLimit)
        return;
    if (m_rows.empty())
        m_rows.resize(importer::IssueCodeLimit);
    m_rows[size_t(code)] = info;
}

const IssueInfo *IssueRegister::find(int code) const
{
    if (code <= 0 || size_t(code) >= m_rows.size() || !m_rows[size_t(code)])
        return nullptr;
    return &*m_rows[size_t(code)];
}

std::vector<int> IssueRegister::codes() const
{
    std::vector<int> all;
    for (size_t c = 0; c < m_rows.size(); ++c) {
        if (m_rows[c])
            all.push_back(int(c));
    }
    return all;
}

// ---- Parsing ----

int codeFromFileName(const QString &fileName)
{
    const QString base = QFileInfo(fileName).fileName();
    qsizetype digits = 0;
    while (digits < base.size() && base.at(digits).isDigit())
        ++digits;
    if (digits != 4 || (digits < base.size() && base.at(digits) != QLatin1Char('.')))
        return 0;
    return base.left(4).toInt();
}

void parseSource(const QString &fileName, const QByteArray &bytes, int codeFromName, const QDate &from,
                 const QDate &to, std::vector<SourceRow> &rows, importer::SkipReport &problems)
{
    const QString text = TextFile::decodeAny(bytes);
    std::array<int, ColumnCount> at;
    at.fill(-1);
    std::vector<QString> fields;
    int lineNumber = 0;
    bool haveHeader = false;
    int needed = 0;
    qsizetype start = 0;
    const qsizetype n = text.size();
    while (start < n) {
        qsizetype end = start;
        while (end < n && text.at(end) != QLatin1Char('\n') && text.at(end) != QLatin1Char('\r'))
            ++end;
        const QStringView line = QStringView(text).mid(start, end - start);
        ++lineNumber;
        start = end;
        if (start < n && text.at(start) == QLatin1Char('\r'))
            ++start;
        if (start < n && text.at(start) == QLatin1Char('\n'))
            ++start;
        if (line.trimmed().isEmpty())
            continue;

        if (!haveHeader) {
            splitCsv(line, fields);
            for (int i = 0; i < int(fields.size()); ++i) {
                const int c = columnOf(fields[size_t(i)]);
                if (c >= 0 && at[size_t(c)] < 0)
                    at[size_t(c)] = i;
            }
            for (int c : {ColDate, ColOpen, ColHigh, ColLow, ColClose, ColVolume}) {
                if (at[size_t(c)] < 0) {
                    problems.add(fileName, lineNumber, QStringLiteral("見出しに日付・始値・高値・安値・終値・出来高の列がありません"));
                    return;
                }
            }
            if (at[ColCode] < 0 && codeFromName <= 0) {
                problems.add(fileName, lineNumber, QStringLiteral("コードの列がなく、ファイル名もコードではありません"));
                return;
            }
            for (int c = 0; c < ColumnCount; ++c)
                needed = std::max(needed, at[size_t(c)] + 1);
            haveHeader = true;
            continue;
        }

        // The date first: most rows of a long per-issue file lie outside the range.
        const qsizetype comma = at[ColDate] == 0 ? line.indexOf(QLatin1Char(',')) : -1;
        if (comma > 0) {
            QStringView quick = line.left(comma).trimmed();
            if (!quick.startsWith(QLatin1Char('"'))) {
                const QDate d = parseSourceDate(quick);
                if (d.isValid() && (d < from || d > to))
                    continue;
            }
        }
        splitCsv(line, fields);
        if (int(fields.size()) < needed) {
            problems.add(fileName, lineNumber, QStringLiteral("項目が足りません"));
            continue;
        }
        const auto field = [&](Column c) -> const QString & { return fields[size_t(at[size_t(c)])]; };
        SourceRow row;
        row.date = parseSourceDate(field(ColDate));
        if (!row.date.isValid()) {
            problems.add(fileName, lineNumber, QStringLiteral("日付を読めません: %1").arg(echoedText(field(ColDate))));
            continue;
        }
        if (row.date < from || row.date > to)
            continue;
        if (at[ColCode] >= 0) {
            QString why;
            row.code = parseCode(field(ColCode), why);
            if (row.code == 0) {
                problems.add(fileName, lineNumber, why);
                continue;
            }
        } else {
            row.code = codeFromName;
        }
        const std::optional<Currency> volume = parseNumber(field(ColVolume));
        if (!volume && !field(ColVolume).isEmpty() && field(ColVolume) != QLatin1String("-")) {
            problems.add(fileName, lineNumber, QStringLiteral("出来高を読めません: %1").arg(echoedText(field(ColVolume))));
            continue;
        }
        row.shares = volume.value_or(Currency());
        if (row.shares.raw() > 0) {
            const std::optional<Currency> o = parseNumber(field(ColOpen)), h = parseNumber(field(ColHigh)),
                                          l = parseNumber(field(ColLow)), c = parseNumber(field(ColClose));
            if (!o || !h || !l || !c) {
                problems.add(fileName, lineNumber, QStringLiteral("株価を読めません"));
                continue;
            }
            const QString problem = tradedPricesProblem(*o, *h, *l, *c);
            if (!problem.isEmpty()) {
                problems.add(fileName, lineNumber, problem);
                continue;
            }
            row.open = *o;
            row.high = *h;
            row.low = *l;
            row.close = *c;
        } else if (row.shares.raw() < 0) {
            problems.add(fileName, lineNumber, QStringLiteral("出来高が負の値です: %1").arg(echoedText(field(ColVolume))));
            continue;
        }
        if (at[ColName] >= 0)
            row.name = field(ColName);
        if (at[ColMarket] >= 0)
            row.position = positionOf(field(ColMarket));
        rows.push_back(std::move(row));
    }
    if (!haveHeader)
        problems.add(fileName, 0, QStringLiteral("見出し行がありません"));
}

// ---- Rules ----

QString tradedPricesProblem(const Currency &open, const Currency &high, const Currency &low, const Currency &close)
{
    // The daily file holds prices in 32 bits: a bigger one would be stored wrapped.
    const auto beyond = [](const Currency &p) {
        return std::llabs(p.raw()) > qint64(std::numeric_limits<qint32>::max()) * Currency::Scale;
    };
    if (beyond(open) || beyond(high) || beyond(low) || beyond(close))
        return QStringLiteral("株価が範囲外です");
    // A traded day has prices, and the high and the low enclose the open and the close.
    if (open.raw() <= 0 || high.raw() <= 0 || low.raw() <= 0 || close.raw() <= 0)
        return QStringLiteral("株価が 0 以下です");
    if (high < low)
        return QStringLiteral("高値 %1 が安値 %2 より低くなっています").arg(high.toString(), low.toString());
    if (open < low || open > high || close < low || close > high)
        return QStringLiteral("始値・終値が安値～高値の外にあります");
    return {};
}

qint32 priceInUnits(const Currency &price, qint64 priceUnit)
{
    const qint64 unit = priceUnit > 0 ? priceUnit : 1;
    const qint64 raw = divideHalfEven(price.raw(), unit * Currency::Scale);
    // A traded price stays a price: rounded to 0 it would read as a day without trade.
    const qint64 inUnits = raw == 0 && price.raw() > 0 ? 1 : raw;
    return qint32(std::clamp<qint64>(inUnits, std::numeric_limits<qint32>::min(), std::numeric_limits<qint32>::max()));
}

Currency volumeInUnits(const Currency &shares, qint64 volumeUnit)
{
    const qint64 unit = volumeUnit > 0 ? volumeUnit : 1000;
    const qint64 raw = divideHalfEven(shares.raw(), unit);
    return Currency::fromRaw(raw == 0 && shares.raw() > 0 ? 1 : raw);
}

std::optional<importer::DailyFileRecord> dailyRecordOf(const SourceRow &row, const IssueRegister &issues)
{
    if (row.shares.raw() <= 0)
        return std::nullopt;
    const IssueInfo *known = issues.find(row.code);
    IssueInfo info;
    if (known) {
        info = *known;
    } else {
        info.name = row.name.isEmpty() ? QStringLiteral("銘柄") + QString::number(row.code) : row.name;
        info.position = row.position >= 0 ? row.position : 0;
    }
    importer::DailyFileRecord r;
    r.code = row.code;
    r.position = info.position;
    // A name is one field of the daily file: a comma in it would shift every field after it.
    r.name = importer::fitName(QString(info.name).replace(QLatin1Char(','), QChar(0xFF0C)));
    // The daily file holds prices and volume in the issue's units, as Mei's units multiply back.
    r.open = priceInUnits(row.open, info.priceUnit);
    r.high = priceInUnits(row.high, info.priceUnit);
    r.low = priceInUnits(row.low, info.priceUnit);
    r.close = priceInUnits(row.close, info.priceUnit);
    r.volume = volumeInUnits(row.shares, info.volumeUnit);
    return r;
}

// ---- The run ----

ConvertResult convert(const ConvertRequest &request, const IssueRegister &issues, Http *http,
                      const std::function<void(const QString &)> &log)
{
    ConvertResult result;
    const auto say = [&](const QString &text) {
        if (log)
            log(text);
    };
    if (request.source.trimmed().isEmpty()) {
        result.error = QStringLiteral("変換元（設定ファイルの [Convt] Source）が設定されていません。");
        return result;
    }
    if (request.dailyFolder.isEmpty()) {
        result.error = QStringLiteral("日々データーフォルダが登録されていません。");
        return result;
    }
    if (!request.from.isValid() || !request.to.isValid() || request.to < request.from) {
        result.error = QStringLiteral("日付の範囲が誤っています。");
        return result;
    }

    std::vector<SourceRow> rows;
    const QString source = request.source.trimmed();
    int sourcesRead = 0;
    if (isAddress(source)) {
        if (!http) {
            result.error = QStringLiteral("アドレスから取得できません。");
            return result;
        }
        const bool byDate = source.contains(QLatin1String("{date}"));
        const bool byCode = source.contains(QLatin1String("{code}"));
        std::vector<QDate> dates;
        if (byDate) {
            for (QDate d = request.from; d <= request.to; d = d.addDays(1)) {
                if (d.dayOfWeek() <= 5)
                    dates.push_back(d);
            }
        } else {
            dates.push_back(QDate());
        }
        std::vector<int> codes = byCode ? issues.codes() : std::vector<int>{0};
        if (byCode && codes.empty()) {
            result.error = QStringLiteral("銘柄が登録されていないため、アドレスの {code} を決められません。");
            return result;
        }
        const qsizetype total = qsizetype(dates.size()) * qsizetype(codes.size());
        qsizetype done = 0;
        for (const QDate &d : dates) {
            for (int code : codes) {
                const QString address = expand(source, d, code);
                say(QStringLiteral("取得中 (%1/%2) %3").arg(++done).arg(total).arg(address));
                const HttpResult answer = http->fetch(HttpRequest{address, SourceLimit});
                // A source that broke off would leave its rows out of every day written: nothing is.
                if (answer.broken()) {
                    result.error = fetchFailureMessage(address, answer);
                    return result;
                }
                if (!answer.ok) {
                    result.problems.add(address, 0, answer.error);
                    continue;
                }
                ++sourcesRead;
                const QString name = QUrl(address).fileName();
                parseSource(address, answer.body, code > 0 ? code : codeFromFileName(name), request.from,
                            request.to, rows, result.problems);
            }
        }
        if (sourcesRead == 0) {
            result.error = QStringLiteral("変換元から何も取得できませんでした。");
            return result;
        }
    } else {
        const QFileInfo info(source);
        std::vector<QFileInfo> files;
        if (info.isDir()) {
            const QFileInfoList listed = QDir(source).entryInfoList(QDir::Files, QDir::Name);
            for (const QFileInfo &f : listed) {
                if (isSourceFile(f))
                    files.push_back(f);
            }
        } else if (info.isFile()) {
            files.push_back(info);
        } else {
            result.error = QStringLiteral("変換元 %1 が見つかりません。").arg(source);
            return result;
        }
        for (size_t i = 0; i < files.size(); ++i) {
            QFile file(files[i].filePath());
            if (!file.open(QIODevice::ReadOnly)) {
                result.problems.add(files[i].fileName(), 0, QStringLiteral("読み込めません"));
                continue;
            }
            ++sourcesRead;
            if (files.size() > 20 && (i + 1) % 200 == 0)
                say(QStringLiteral("読込み中 %1/%2").arg(i + 1).arg(files.size()));
            parseSource(files[i].fileName(), file.readAll(), codeFromFileName(files[i].fileName()), request.from,
                        request.to, rows, result.problems);
        }
    }

    // Group by date in code order; a weekend row and a second row of the same issue and day are
    // passed over.
    std::map<QDate, std::vector<importer::DailyFileRecord>> days;
    int weekendRows = 0;
    for (const SourceRow &row : rows) {
        if (row.date.dayOfWeek() > 5) {
            ++weekendRows;
            continue;
        }
        std::optional<importer::DailyFileRecord> record = dailyRecordOf(row, issues);
        if (record)
            days[row.date].push_back(std::move(*record));
    }
    if (weekendRows > 0)
        say(QStringLiteral("土曜・日曜の %1 行は日々データーにしません。").arg(weekendRows));

    const QDir folder(request.dailyFolder);
    if (!folder.exists() && !QDir().mkpath(request.dailyFolder)) {
        result.error = QStringLiteral("日々データーフォルダ %1 を作れません。").arg(request.dailyFolder);
        return result;
    }
    for (auto &[date, records] : days) {
        std::stable_sort(records.begin(), records.end(),
                         [](const importer::DailyFileRecord &a, const importer::DailyFileRecord &b) { return a.code < b.code; });
        const auto duplicate = std::unique(records.begin(), records.end(),
                                           [](const importer::DailyFileRecord &a, const importer::DailyFileRecord &b) {
                                               return a.code == b.code;
                                           });
        if (duplicate != records.end()) {
            result.problems.add(importer::dailyFileName(date), 0,
                                QStringLiteral("同じ銘柄の行が重複しています（%1 件を除きました）").arg(records.end() - duplicate));
            records.erase(duplicate, records.end());
        }
        const QString name = importer::dailyFileName(date);
        if (!TextFile::writeLines(folder.filePath(name), importer::dailyFileLines(date, records), &result.error))
            return result;
        ++result.filesWritten;
        result.recordsWritten += qint64(records.size());
        say(QStringLiteral("%1 %2 銘柄").arg(name).arg(records.size()));
    }
    result.ok = true;
    return result;
}

} // namespace convert
