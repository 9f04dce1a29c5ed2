#include "import/InputRecords.h"

#include "base/Helpers.h"
#include "import/InputProblems.h"
#include "import/PriceRecords.h"

#include <limits>

namespace importer {

namespace {

constexpr int DailyFields = 8;
constexpr int RegistrationFields = 5;
constexpr int MarginFields = 6;
// The largest whole volume a Currency holds.
constexpr qint64 VolumeLimit = std::numeric_limits<qint64>::max() / Currency::Scale;

enum class Number
{
    Ok,
    NotNumber,
    OutOfRange
};

Number checkedNumber(QStringView text, qint64 low, qint64 high, qint64 &out)
{
    const auto n = wholeNumber(text);
    if (!n) {
        bool parsed = false;
        (void)text.trimmed().toDouble(&parsed);
        return parsed ? Number::OutOfRange : Number::NotNumber;
    }
    if (*n < low || *n > high)
        return Number::OutOfRange;
    out = *n;
    return Number::Ok;
}

QString outOfRange(const QString &what, QStringView text)
{
    return QStringLiteral("%1 '%2' が範囲外です").arg(what, echoedText(text));
}

[[noreturn]] void notConvertible(const QString &file, int line, const QString &what, QStringView text)
{
    throw InputError(QStringLiteral("%1 の %2 行目: %3 '%4' を読み込めません。").arg(file).arg(line).arg(what, echoedText(text)));
}

// A number that must convert: out of range skips the line (false with why), anything else that is
// not a number ends the run.
bool requiredNumber(QStringView text, qint64 low, qint64 high, const QString &what, const QString &file, int line,
                    qint64 &out, QString &why)
{
    switch (checkedNumber(text, low, high, out)) {
    case Number::Ok:
        return true;
    case Number::OutOfRange:
        why = outOfRange(what, text);
        return false;
    case Number::NotNumber:
        break;
    }
    notConvertible(file, line, what, text);
}

// A number that must convert and lie in its range, or the run ends.
qint64 strictNumber(QStringView text, qint64 low, qint64 high, const QString &what, const QString &file, int line)
{
    qint64 n = 0;
    if (checkedNumber(text, low, high, n) != Number::Ok)
        notConvertible(file, line, what, text);
    return n;
}

// A price of a daily file: a text that is not a number reads as 0, a number beyond 32 bits skips
// the line.
bool dailyPrice(QStringView text, const QString &what, qint32 &out, QString &why)
{
    qint64 n = 0;
    switch (checkedNumber(text, std::numeric_limits<qint32>::min(), std::numeric_limits<qint32>::max(), n)) {
    case Number::Ok:
        out = qint32(n);
        return true;
    case Number::NotNumber:
        out = 0;
        return true;
    case Number::OutOfRange:
        why = outOfRange(what, text);
        return false;
    }
    return false;
}

bool dailyVolume(QStringView text, Currency &out, QString &why)
{
    bool whole = false;
    const qint64 shares = text.toLongLong(&whole);
    if (whole) {
        if (shares > VolumeLimit || shares < -VolumeLimit) {
            why = outOfRange(QStringLiteral("出来高"), text);
            return false;
        }
        out = Currency::fromInt(shares);
        return true;
    }
    bool ok = false;
    out = Currency::fromText(text.toString(), &ok);
    if (ok)
        return true;
    out = Currency();
    bool parsed = false;
    (void)text.toDouble(&parsed);
    if (parsed) {
        why = outOfRange(QStringLiteral("出来高"), text);
        return false;
    }
    return true; // not a number: no trade
}

} // namespace

bool isPlausibleFileDate(const QDate &date)
{
    return date.isValid() && date.year() >= 1900 && date.year() <= 9999;
}

std::optional<DailyHeader> parseDailyHeader(QStringView line, QString *why)
{
    auto fail = [&](const QString &reason) -> std::optional<DailyHeader> {
        if (why)
            *why = reason;
        return std::nullopt;
    };
    const QList<QStringView> f = line.trimmed().split(QLatin1Char(','));
    if (f.size() != 3)
        return fail(QStringLiteral("見出し行が日付・件数・予備の 3 項目ではありません"));
    const QStringView d = f.at(0).trimmed();
    bool digits = d.size() == 8;
    for (QChar c : d)
        digits = digits && c >= QLatin1Char('0') && c <= QLatin1Char('9');
    DailyHeader h;
    if (digits)
        h.date = QDate(d.left(4).toInt(), d.mid(4, 2).toInt(), d.mid(6, 2).toInt());
    if (!isPlausibleFileDate(h.date))
        return fail(QStringLiteral("見出し行の日付 '%1' が正しくありません").arg(echoedText(d)));
    const auto n = wholeNumber(f.at(1));
    if (!n)
        return fail(QStringLiteral("見出し行の件数 '%1' が数値ではありません").arg(echoedText(f.at(1))));
    h.records = int(std::clamp<qint64>(*n, 0, std::numeric_limits<qint32>::max()));
    return h;
}

int dailyRecordLineCount(const QStringList &lines)
{
    int count = 0;
    for (qsizetype i = 1; i < lines.size(); ++i)
        count += QStringView(lines.at(i)).trimmed().isEmpty() ? 0 : 1;
    return count;
}

LineKind parseDailyRecord(QStringView line, const QString &file, int lineNumber, DailyRecord &out, QString &why)
{
    QStringView f[DailyFields + 1];
    if (cutFieldViews(line, DailyFields + 1, f) < DailyFields) {
        why = QStringLiteral("項目が 8 つありません");
        return LineKind::Skipped;
    }
    const auto code = wholeNumber(f[0]);
    if (!code || *code < 0 || *code >= IssueCodeLimit)
        notConvertible(file, lineNumber, QStringLiteral("銘柄コード"), f[0]);
    const auto position = wholeNumber(f[1]);
    if (!position) {
        why = QStringLiteral("市場区分 '%1' が数値ではありません").arg(echoedText(f[1]));
        return LineKind::Skipped;
    }
    if (*position != 0 && *position != 1 && *position != 5)
        return LineKind::Ignored;
    out = DailyRecord();
    out.code = *code;
    out.position = int(*position);
    out.name = f[2];
    if (!dailyPrice(f[3], QStringLiteral("始値"), out.open, why) || !dailyPrice(f[4], QStringLiteral("高値"), out.high, why)
        || !dailyPrice(f[5], QStringLiteral("安値"), out.low, why) || !dailyPrice(f[6], QStringLiteral("終値"), out.close, why)
        || !dailyVolume(f[7], out.volume, why))
        return LineKind::Skipped;
    if (out.volume.isZero())
        out.open = out.high = out.low = out.close = 0;
    return LineKind::Record;
}

double parseRegistrationCount(QStringView line)
{
    QStringView f[2];
    if (cutFieldViews(line, 2, f) != 2)
        return 0;
    return double(safeLong(f[1]));
}

LineKind parseRegistrationRecord(QStringView line, const QString &file, int lineNumber, RegistrationRecord &out,
                                 QString &why)
{
    QStringView f[RegistrationFields];
    if (cutFieldViews(line, RegistrationFields, f) < RegistrationFields) {
        why = QStringLiteral("項目が 5 つありません");
        return LineKind::Skipped;
    }
    out = RegistrationRecord();
    constexpr qint64 LongMin = std::numeric_limits<qint32>::min(), LongMax = std::numeric_limits<qint32>::max();
    out.code = strictNumber(f[0], 0, IssueCodeLimit - 1, QStringLiteral("銘柄コード"), file, lineNumber);
    out.market = strictNumber(f[1], -32768, 32767, QStringLiteral("市場コード"), file, lineNumber);
    out.volumeUnit = strictNumber(f[3], LongMin, LongMax, QStringLiteral("出来高単位"), file, lineNumber);
    out.priceUnit = strictNumber(f[4], LongMin, LongMax, QStringLiteral("株価単位"), file, lineNumber);
    // Prices and volumes are multiplied by the units: a unit of 0 or less would store nonsense.
    if (out.volumeUnit <= 0 || out.priceUnit <= 0) {
        const bool volume = out.volumeUnit <= 0;
        const QString what = volume ? QStringLiteral("出来高単位") : QStringLiteral("株価単位");
        why = QStringLiteral("%1 '%2' が 0 以下です").arg(what, echoedText(volume ? f[3] : f[4]));
        return LineKind::Skipped;
    }
    out.name = fitName(f[2].toString());
    return LineKind::Record;
}

QDate parseMarginDate(QStringView line)
{
    const QStringView t = line.trimmed();
    if (t.size() < 8)
        return {};
    bool ok1 = false, ok2 = false, ok3 = false;
    const int y = t.left(4).toInt(&ok1);
    const int m = t.mid(4, 2).toInt(&ok2);
    const int d = t.right(2).toInt(&ok3);
    if (!ok1 || !ok2 || !ok3)
        return {};
    const QDate date(y, m, d);
    return isPlausibleFileDate(date) ? date : QDate();
}

std::optional<qint64> parseMarginCount(QStringView line, QString *why)
{
    const qsizetype comma = line.indexOf(QLatin1Char(','));
    if (comma < 0) {
        if (why)
            *why = QStringLiteral("件数の後に ',' がありません");
        return std::nullopt;
    }
    qint64 count = 0;
    if (checkedNumber(line.left(comma), 0, std::numeric_limits<qint32>::max(), count) != Number::Ok) {
        if (why)
            *why = QStringLiteral("件数 '%1' が数値ではありません").arg(echoedText(line.left(comma).trimmed()));
        return std::nullopt;
    }
    return count;
}

LineKind parseMarginRecord(QStringView line, const QString &file, int lineNumber, MarginRecord &out, QString &why)
{
    QStringView f[MarginFields];
    const int n = cutFieldViews(line, MarginFields, f);
    if (!wholeNumber(f[0]))
        return LineKind::End;
    if (n < MarginFields) {
        why = QStringLiteral("項目が 6 つありません");
        return LineKind::Skipped;
    }
    out = MarginRecord();
    constexpr qint64 LongMin = std::numeric_limits<qint32>::min(), LongMax = std::numeric_limits<qint32>::max();
    qint64 sell = 0, buy = 0, unit = 0;
    if (!requiredNumber(f[0], -32768, 32767, QStringLiteral("銘柄コード"), file, lineNumber, out.code, why)
        || !requiredNumber(f[3], LongMin, LongMax, QStringLiteral("売残"), file, lineNumber, sell, why)
        || !requiredNumber(f[4], LongMin, LongMax, QStringLiteral("買残"), file, lineNumber, buy, why)
        || !requiredNumber(f[5], LongMin, LongMax, QStringLiteral("単位"), file, lineNumber, unit, why))
        return LineKind::Skipped;
    const qint64 sellBalance = sell * unit, buyBalance = buy * unit; // both factors fit 32 bits
    if (sellBalance < LongMin || sellBalance > LongMax || buyBalance < LongMin || buyBalance > LongMax) {
        why = QStringLiteral("売残・買残 × 単位が範囲外です");
        return LineKind::Skipped;
    }
    out.sell = qint32(sell);
    out.buy = qint32(buy);
    out.unit = qint32(unit);
    out.sellBalance = qint32(sellBalance);
    out.buyBalance = qint32(buyBalance);
    return LineKind::Record;
}

} // namespace importer
