#include "convert/JQuantsSource.h"

#include "base/DateUtil.h"
#include "base/Helpers.h"
#include "base/MainModule.h"
#include "base/Settings.h"
#include "base/TextFile.h"
#include "db/Database.h"
#include "db/DbError.h"
#include "import/ImportPaths.h"
#include "import/PriceFiles.h"
#include "import/PriceRecords.h"
#include "import/Registration.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QJsonObject>
#include <QSet>

#include <algorithm>
#include <cmath>
#include <limits>
#include <map>
#include <vector>

namespace convert::jquants {

namespace {

// After this many days in a row that the service refuses, the rest of the range is no better.
constexpr int RefusedDaysInARow = 5;
// A week of two trading days or fewer has no margin balances.
constexpr int TradingDaysOfAMarginWeek = 3;

QString dayText(const QDate &date)
{
    return date.toString(Qt::ISODate);
}

QString queryDate(const QDate &date)
{
    return date.toString(QStringLiteral("yyyyMMdd"));
}

QString badKeyMessage()
{
    return QStringLiteral("APIキーが正しくないか、期限が切れています。");
}

// The run's end for an answer that ends it; "" for one that does not.
QString endingError(const Answer &answer, Plan plan)
{
    switch (answer.outcome) {
    case Outcome::BadKey:
        return badKeyMessage();
    case Outcome::NoConnection:
        return QStringLiteral("J-Quants に接続できません（%1）。取得済みの日はそのまま残っています。").arg(answer.error);
    case Outcome::Certificate:
        return QStringLiteral("J-Quants のサーバー証明書を確認できないため中止しました（%1）。").arg(answer.error);
    case Outcome::RateLimited:
        return QStringLiteral("J-Quants のリクエスト数の上限を超えたままです。JQuantsPlan（%1）がご契約のプランと合っているか"
                              "確かめ、しばらくしてからもう一度実行してください。")
            .arg(planName(plan));
    default:
        return {};
    }
}

std::optional<double> numberIn(const QJsonObject &row, QLatin1String field)
{
    const QJsonValue v = row.value(field);
    if (v.isDouble())
        return v.toDouble();
    if (v.isString()) { // some fields come as text
        bool ok = false;
        const double d = v.toString().toDouble(&ok);
        if (ok)
            return d;
    }
    return std::nullopt;
}

std::optional<Currency> currencyIn(const QJsonObject &row, QLatin1String field)
{
    const std::optional<double> d = numberIn(row, field);
    if (!d || !Currency::fits(*d))
        return std::nullopt;
    return Currency::fromDouble(*d);
}

struct Listed
{
    QString name;
    std::optional<int> position; // nothing: a market the program does not store
};

class Listing final
{
public:
    // Adds the rows of one master answer; codes already listed keep what they had.
    void add(const QJsonArray &rows, QSet<QString> &skipped)
    {
        for (const auto &value : rows) {
            const QJsonObject row = value.toObject();
            const QString serviceCode = row.value(QLatin1String("Code")).toString();
            const int code = issueCodeOf(serviceCode);
            if (code == 0) {
                skipped.insert(serviceCode);
                continue;
            }
            if (!m_rows.count(code))
                m_rows[code] = {row.value(QLatin1String("CoName")).toString().trimmed(),
                                positionOfSegment(row.value(QLatin1String("Mkt")).toString())};
        }
    }
    const Listed *find(int code) const
    {
        const auto it = m_rows.find(code);
        return it == m_rows.end() ? nullptr : &it->second;
    }
    const std::map<int, Listed> &rows() const { return m_rows; }

private:
    std::map<int, Listed> m_rows;
};

// A name as one field of the registration and daily files.
QString fieldName(const QString &name)
{
    return importer::fitName(QString(name).replace(QLatin1Char(','), QChar(0xFF0C)));
}

struct Factor
{
    int code = 0;
    ShareRatio ratio;
};

struct Day
{
    std::vector<importer::DailyFileRecord> records;
    std::vector<Factor> factors;
    int traded = 0;
};

// Where a row's market comes from: the service's list, else the register. Nothing: left out.
enum class Placing
{
    Stored,
    NotStored,
    Unknown
};

struct RunState
{
    const RunOptions &options;
    const IssueRegister &issues;
    Listing listing;
    QSet<QString> skippedCodes;
    QSet<int> unstored;
    RunResult result;

    Placing placeOf(int code, int *position, QString *name) const
    {
        if (const Listed *listed = listing.find(code)) {
            if (!listed->position)
                return Placing::NotStored;
            *position = *listed->position;
            *name = listed->name;
            return Placing::Stored;
        }
        if (const IssueInfo *known = issues.find(code)) {
            *position = known->position;
            *name = known->name;
            return Placing::Stored;
        }
        return Placing::Unknown;
    }

    Day dayOf(const QDate &date, const QJsonArray &rows)
    {
        Day day;
        const QString where = dayText(date);
        for (const auto &value : rows) {
            const QJsonObject row = value.toObject();
            const QString serviceCode = row.value(QLatin1String("Code")).toString();
            const int code = issueCodeOf(serviceCode);
            if (code == 0) {
                skippedCodes.insert(serviceCode);
                continue;
            }
            if (QDate::fromString(row.value(QLatin1String("Date")).toString(), Qt::ISODate) != date) {
                result.problems.add(where, 0, QStringLiteral("%1 の日付が %2 です").arg(serviceCode, row.value(QLatin1String("Date")).toString()));
                continue;
            }
            SourceRow source;
            source.code = code;
            source.date = date;
            const Placing placing = placeOf(code, &source.position, &source.name);
            if (placing == Placing::NotStored) {
                unstored.insert(code);
                continue;
            }
            if (placing == Placing::Unknown) {
                result.problems.add(where, 0, QStringLiteral("%1 は銘柄一覧になく、市場が分かりません").arg(serviceCode));
                continue;
            }
            // The factor counts on a day without trade too.
            const std::optional<double> factor = numberIn(row, QLatin1String("AdjFactor"));
            if (factor && *factor != 1.0) {
                if (const std::optional<ShareRatio> ratio = shareRatioOf(*factor))
                    day.factors.push_back({code, *ratio});
                else
                    result.problems.add(where, 0, QStringLiteral("%1 の調整係数 %2 を保存できません").arg(serviceCode).arg(*factor));
            }
            const std::optional<Currency> volume = currencyIn(row, QLatin1String("Vo"));
            if (!volume || volume->raw() <= 0)
                continue; // no trade: the service gives no prices and no volume
            const std::optional<Currency> o = currencyIn(row, QLatin1String("O")), h = currencyIn(row, QLatin1String("H")),
                                          l = currencyIn(row, QLatin1String("L")), c = currencyIn(row, QLatin1String("C"));
            if (!o || !h || !l || !c) {
                result.problems.add(where, 0, QStringLiteral("%1: 株価を読めません").arg(serviceCode));
                continue;
            }
            const QString problem = tradedPricesProblem(*o, *h, *l, *c);
            if (!problem.isEmpty()) {
                result.problems.add(where, 0, QStringLiteral("%1: %2").arg(serviceCode, problem));
                continue;
            }
            source.open = *o;
            source.high = *h;
            source.low = *l;
            source.close = *c;
            source.shares = *volume;
            if (std::optional<importer::DailyFileRecord> record = dailyRecordOf(source, issues)) {
                day.records.push_back(std::move(*record));
                ++day.traded;
            }
        }
        const auto byCode = [](const auto &a, const auto &b) { return a.code < b.code; };
        const auto sameCode = [](const auto &a, const auto &b) { return a.code == b.code; };
        std::stable_sort(day.records.begin(), day.records.end(), byCode);
        day.records.erase(std::unique(day.records.begin(), day.records.end(), sameCode), day.records.end());
        std::stable_sort(day.factors.begin(), day.factors.end(), byCode);
        day.factors.erase(std::unique(day.factors.begin(), day.factors.end(), sameCode), day.factors.end());
        return day;
    }

    std::vector<importer::MarginFileRecord> marginsOf(const QDate &week, const QJsonArray &rows)
    {
        std::vector<importer::MarginFileRecord> records;
        const QString where = importer::marginFileName(week);
        for (const auto &value : rows) {
            const QJsonObject row = value.toObject();
            const QString serviceCode = row.value(QLatin1String("Code")).toString();
            const int code = issueCodeOf(serviceCode);
            if (code == 0) {
                skippedCodes.insert(serviceCode);
                continue;
            }
            int position = 0;
            QString name;
            const Placing placing = placeOf(code, &position, &name);
            if (placing == Placing::NotStored)
                unstored.insert(code);
            if (placing != Placing::Stored)
                continue;
            const std::optional<double> sell = numberIn(row, QLatin1String("ShrtVol"));
            const std::optional<double> buy = numberIn(row, QLatin1String("LongVol"));
            const auto fits = [](double v) { return v >= 0 && v <= std::numeric_limits<qint32>::max() && v == std::floor(v); };
            if (!sell || !buy || !fits(*sell) || !fits(*buy)) {
                result.problems.add(where, 0, QStringLiteral("%1: 信用残を読めません").arg(serviceCode));
                continue;
            }
            // Balances in shares: the unit is 1, so the weekly rows get the shares as they are.
            records.push_back({code, qint32(*sell), qint32(*buy), 1});
        }
        const auto byCode = [](const auto &a, const auto &b) { return a.code < b.code; };
        std::stable_sort(records.begin(), records.end(), byCode);
        records.erase(std::unique(records.begin(), records.end(), [](const auto &a, const auto &b) { return a.code == b.code; }),
                      records.end());
        return records;
    }

    QStringList registrationLines(const QDate &date) const
    {
        QStringList lines{QString()};
        for (const auto &[code, listed] : listing.rows()) {
            if (!listed.position)
                continue;
            const IssueInfo *known = issues.find(code);
            lines.append(QStringLiteral("%1,%2,%3,%4,%5")
                             .arg(code)
                             .arg(MarketCodeOfIndex(*listed.position))
                             .arg(fieldName(listed.name.isEmpty() ? QStringLiteral("銘柄") + QString::number(code) : listed.name))
                             .arg(known ? known->volumeUnit : 1000)
                             .arg(known ? known->priceUnit : 1));
        }
        lines[0] = queryDate(date) + QLatin1Char(',') + QString::number(lines.size() - 1);
        return lines;
    }
};

void storeFactors(const QString &databasePath, const QDate &date, const std::vector<Factor> &factors)
{
    db::Database database(databasePath);
    {
        db::Transaction day(database);
        for (const Factor &f : factors) {
            database.execute(QStringLiteral("delete * from adjustment where コード=? and 日付=? ;"), {f.code, date});
            database.execute(QStringLiteral("insert into adjustment (コード, 日付, 旧株数, 新株数) values (?, ?, ?, ?) ;"),
                             {f.code, date, f.ratio.before, f.ratio.after});
        }
        day.commit();
    }
    database.close();
}

struct Task
{
    QDate date; // the trading day, or the Friday of the margin week
    QDate marginDate; // the week's last trading day, for a margin week
    bool margin = false;
};

} // namespace

std::optional<int> positionOfSegment(const QString &segmentCode)
{
    static const std::map<QString, int> positions = {
        {QStringLiteral("0111"), 0}, // プライム
        {QStringLiteral("0112"), 1}, // スタンダード
        {QStringLiteral("0113"), 5}, // グロース
        {QStringLiteral("0101"), 0}, // 東証一部 (before April 2022)
        {QStringLiteral("0102"), 1}, // 東証二部
        {QStringLiteral("0104"), 5}, // マザーズ
        {QStringLiteral("0106"), 5}, // JASDAQ スタンダード
        {QStringLiteral("0107"), 5}, // JASDAQ グロース
    };
    const auto it = positions.find(segmentCode.trimmed());
    if (it == positions.end())
        return std::nullopt;
    return it->second;
}

int issueCodeOf(const QString &serviceCode)
{
    const QString t = serviceCode.trimmed();
    if ((t.size() != 4 && t.size() != 5) || (t.size() == 5 && t.at(4) != QLatin1Char('0')))
        return 0;
    for (qsizetype i = 0; i < 4; ++i) {
        if (t.at(i) < QLatin1Char('0') || t.at(i) > QLatin1Char('9'))
            return 0;
    }
    return t.left(4).toInt();
}

std::optional<ShareRatio> shareRatioOf(double factor)
{
    if (!(factor > 0) || !std::isfinite(factor))
        return std::nullopt;
    // The service writes a 1:3 split as 0.333333: the simplest ratio within a hundred-thousandth of
    // the factor is the one meant. Ratios up to 100 lie further apart than that.
    constexpr qint32 Largest = 100;
    for (qint32 after = 1; after <= Largest; ++after) {
        const double before = std::round(factor * after);
        if (before >= 1 && before <= Largest && std::abs(before / after - factor) <= factor * 1e-5)
            return ShareRatio{qint32(before), after};
    }
    return std::nullopt;
}

QString progressText(const RunProgress &p)
{
    QString text = QStringLiteral("株価 %1/%2 日").arg(p.daysDone).arg(p.daysToDo);
    if (p.weeksToDo > 0)
        text += QStringLiteral("、信用残 %1/%2 週").arg(p.weeksDone).arg(p.weeksToDo);
    if (p.secondsLeft >= 0) {
        if (p.secondsLeft >= 90)
            text += QStringLiteral("、残り約 %1 分").arg((p.secondsLeft + 30) / 60);
        else
            text += QStringLiteral("、残り約 %1 秒").arg(p.secondsLeft);
    }
    if (!p.doing.isEmpty())
        text += QStringLiteral("（%1）").arg(p.doing);
    return text;
}

QStringList summaryLines(const RunResult &r)
{
    QStringList lines;
    lines.append(QStringLiteral("日々データー %1 ファイル（%2 件）、信用データー %3 ファイル、調整係数 %4 件を書きました。")
                     .arg(r.daysWritten)
                     .arg(r.recordsWritten)
                     .arg(r.marginFilesWritten)
                     .arg(r.factorsStored));
    if (r.daysPresent > 0)
        lines.append(QStringLiteral("%1 日はファイルがあるため取得しませんでした。").arg(r.daysPresent));
    lines += r.notes;
    if (!r.skippedCodes.isEmpty()) {
        const QStringList shown = r.skippedCodes.mid(0, 10);
        lines.append(QStringLiteral("4 桁の数字でないコードの銘柄 %1 件は取り込みません（%2%3）。")
                         .arg(r.skippedCodes.size())
                         .arg(shown.join(QStringLiteral("、")), r.skippedCodes.size() > shown.size() ? QStringLiteral(" …") : QString()));
    }
    if (!r.unstoredCodes.isEmpty())
        lines.append(QStringLiteral("取り込まない市場（TOKYO PRO MARKET、ETF・REIT などその他）の銘柄 %1 件は除きました。")
                         .arg(r.unstoredCodes.size()));
    if (!r.problems.isEmpty())
        lines.append(r.problems.message());
    lines.append(QStringLiteral("J-Quants へのリクエスト %1 回").arg(r.requests));
    return lines;
}

RunResult run(const RunOptions &options, const IssueRegister &issues, Client &client,
              const std::function<void(const RunProgress &)> &progress, const std::function<bool()> &stopRequested)
{
    RunState state{options, issues, {}, {}, {}, {}};
    RunResult &result = state.result;
    const auto finish = [&]() -> RunResult {
        result.requests = client.requestCount();
        result.skippedCodes = state.skippedCodes.values();
        std::sort(result.skippedCodes.begin(), result.skippedCodes.end());
        result.unstoredCodes = state.unstored.values();
        std::sort(result.unstoredCodes.begin(), result.unstoredCodes.end());
        return result;
    };
    const auto fail = [&](const QString &error) {
        result.ok = false;
        result.error = error;
        return finish();
    };

    if (client.options().apiKey.trimmed().isEmpty())
        return fail(QStringLiteral("J-Quants の APIキーがありません。オプション画面の「J-Quants APIキー」（設定 JQuantsKey）か環境変数 "
                                   "JQUANTS_API_KEY に設定してください。"));
    const QString addressProblem = baseUrlProblem(client.options().baseUrl);
    if (!addressProblem.isEmpty())
        return fail(addressProblem);
    if (!options.from.isValid() || !options.to.isValid() || options.to < options.from)
        return fail(QStringLiteral("日付の範囲が誤っています。"));
    if (options.dailyFolder.isEmpty())
        return fail(QStringLiteral("日々データーフォルダが登録されていません。"));

    // The last day the plan gives: today, and 12 weeks back on the Free plan.
    QDate last = std::min(options.to, options.today);
    if (options.plan == Plan::Free) {
        const QDate freeLast = options.today.addDays(-FreePlanDelayDays);
        if (last > freeLast) {
            result.notes.append(QStringLiteral("Free プランでは直近 12 週間の株価を取得できないため、%1 までにしました。").arg(dayText(freeLast)));
            last = freeLast;
        }
    }
    if (last < options.from) {
        result.ok = true;
        result.notes.append(QStringLiteral("取得できる日が範囲にありません。"));
        return finish();
    }

    const bool margins = !options.marginFolder.isEmpty() && planHasMargins(options.plan);
    if (options.marginFolder.isEmpty())
        result.notes.append(QStringLiteral("信用データーフォルダ（sinyoPath）が設定されていないため、信用残は取得しません。"));
    else if (!planHasMargins(options.plan))
        result.notes.append(QStringLiteral("信用残は Standard 以上のプランで取得できます（JQuantsPlan=%1）。").arg(planName(options.plan)));

    // The calendar from the week before the first day's week: the margin import of the daily
    // import reads that week too.
    const QDate calendarFrom = DateUtil::MondayOnOrBefore(DateUtil::MondayOnOrBefore(options.from).addDays(-1));
    Answer calendar = client.fetchAll(QStringLiteral("/markets/calendar"),
                                      {{QStringLiteral("from"), queryDate(calendarFrom)}, {QStringLiteral("to"), queryDate(last)}});
    if (calendar.outcome == Outcome::Stopped) {
        result.ok = result.stopped = true;
        return finish();
    }
    if (calendar.outcome != Outcome::Ok) {
        const QString ending = endingError(calendar, options.plan);
        return fail(!ending.isEmpty() ? ending : QStringLiteral("J-Quants の取引カレンダーを取得できません（%1）。").arg(calendar.error));
    }
    std::vector<QDate> tradingDays;
    for (const auto &value : std::as_const(calendar.rows)) {
        const QJsonObject row = value.toObject();
        const QDate date = QDate::fromString(row.value(QLatin1String("Date")).toString(), Qt::ISODate);
        const QString division = row.value(QLatin1String("HolDiv")).toVariant().toString();
        if (date.isValid() && date >= calendarFrom && date <= last && (division == QLatin1String("1") || division == QLatin1String("2")))
            tradingDays.push_back(date);
    }
    std::sort(tradingDays.begin(), tradingDays.end());
    tradingDays.erase(std::unique(tradingDays.begin(), tradingDays.end()), tradingDays.end());

    const QDir dailyFolder(options.dailyFolder);
    const QDir marginFolder(options.marginFolder);
    for (const QDir &folder : {dailyFolder, marginFolder}) {
        if (!folder.path().isEmpty() && folder.path() != QLatin1String(".") && !folder.exists() && !QDir().mkpath(folder.path()))
            return fail(QStringLiteral("フォルダ %1 を作れません。").arg(QDir::toNativeSeparators(folder.path())));
    }
    std::vector<Task> tasks;
    QDate lastDay;
    for (const QDate &d : tradingDays) {
        if (d < options.from)
            continue;
        lastDay = d;
        if (!options.refetch && QFileInfo::exists(dailyFolder.filePath(importer::dailyFileName(d)))) {
            ++result.daysPresent;
            continue;
        }
        tasks.push_back({d, QDate(), false});
    }
    if (!lastDay.isValid()) {
        result.ok = true;
        result.notes.append(QStringLiteral("%1 ～ %2 に取引日がありません。").arg(dayText(options.from), dayText(last)));
        return finish();
    }
    if (margins) {
        for (QDate friday = DateUtil::FridayOnOrAfter(calendarFrom); friday <= last; friday = friday.addDays(7)) {
            const auto first = std::lower_bound(tradingDays.begin(), tradingDays.end(), friday.addDays(-4));
            const auto end = std::upper_bound(tradingDays.begin(), tradingDays.end(), friday);
            if (end - first < TradingDaysOfAMarginWeek)
                continue;
            if (!options.refetch && QFileInfo::exists(marginFolder.filePath(importer::marginFileName(friday))))
                continue;
            tasks.push_back({friday, *(end - 1), true});
        }
    }
    std::stable_sort(tasks.begin(), tasks.end(), [](const Task &a, const Task &b) {
        return a.date != b.date ? a.date < b.date : !a.margin && b.margin;
    });

    // The listed issues of the last day give the registration file and every day's markets; those
    // of the first day to fetch add the issues that were delisted since.
    std::vector<QDate> listingDays{lastDay};
    const auto firstDay = std::find_if(tasks.begin(), tasks.end(), [](const Task &t) { return !t.margin; });
    if (firstDay != tasks.end() && firstDay->date != lastDay)
        listingDays.push_back(firstDay->date);
    for (const QDate &d : listingDays) {
        Answer master = client.fetchAll(QStringLiteral("/equities/master"), {{QStringLiteral("date"), queryDate(d)}});
        if (master.outcome == Outcome::Stopped) {
            result.ok = result.stopped = true;
            return finish();
        }
        if (master.outcome != Outcome::Ok) {
            const QString ending = endingError(master, options.plan);
            return fail(!ending.isEmpty() ? ending : QStringLiteral("J-Quants の銘柄一覧を取得できません（%1）。").arg(master.error));
        }
        if (d == lastDay) {
            if (master.rows.isEmpty())
                return fail(QStringLiteral("J-Quants の %1 の銘柄一覧が空です。").arg(dayText(d)));
            state.listing.add(master.rows, state.skippedCodes);
            if (!TextFile::writeLines(options.registrationPath, state.registrationLines(d), &result.error))
                return fail(result.error);
            result.registrationWritten = true;
        } else {
            state.listing.add(master.rows, state.skippedCodes);
        }
    }

    const bool keepFactors = !options.databasePath.isEmpty() && QFileInfo::exists(options.databasePath);
    if (!keepFactors)
        result.notes.append(QStringLiteral("データベースがないため、調整係数は保存しません。"));

    RunProgress shown;
    for (const Task &t : tasks)
        ++(t.margin ? shown.weeksToDo : shown.daysToDo);
    QElapsedTimer elapsed;
    elapsed.start();
    const auto report = [&](const QString &doing) {
        const int done = shown.daysDone + shown.weeksDone;
        const int left = shown.daysToDo + shown.weeksToDo - done;
        const qint64 paced = qint64(left) * client.options().paceMs / 1000;
        shown.secondsLeft = done > 0 ? std::max(paced, elapsed.elapsed() * left / done / 1000) : paced;
        shown.doing = doing;
        if (progress)
            progress(shown);
    };

    int refusedInARow = 0;
    bool marginsRefused = false;
    for (const Task &task : tasks) {
        if (task.margin && marginsRefused)
            continue;
        report(task.margin ? QStringLiteral("%1 の週の信用残").arg(dayText(task.marginDate))
                           : QStringLiteral("%1 の株価").arg(dayText(task.date)));
        if (stopRequested && stopRequested()) {
            result.stopped = true;
            break;
        }
        if (task.margin) {
            const Answer answer = client.fetchAll(QStringLiteral("/markets/margin-interest"), {{QStringLiteral("date"), queryDate(task.marginDate)}});
            if (answer.outcome == Outcome::Stopped) {
                result.stopped = true;
                break;
            }
            if (answer.outcome == Outcome::BadKey) {
                marginsRefused = true;
                result.notes.append(QStringLiteral("信用残を取得できません（%1）。ご契約のプランに信用取引残高が含まれているか確かめてください。").arg(answer.error));
                continue;
            }
            const QString ending = endingError(answer, options.plan);
            if (!ending.isEmpty())
                return fail(ending);
            ++shown.weeksDone;
            const QString name = importer::marginFileName(task.date);
            if (answer.outcome != Outcome::Ok) {
                result.problems.add(name, 0, QStringLiteral("取得できません（%1）").arg(answer.error));
                continue;
            }
            const std::vector<importer::MarginFileRecord> records = state.marginsOf(task.date, answer.rows);
            if (records.empty()) {
                result.problems.add(name, 0, QStringLiteral("%1 の信用残はまだ公表されていません").arg(dayText(task.marginDate)));
                continue;
            }
            if (!TextFile::writeLines(marginFolder.filePath(name), importer::marginFileLines(task.date, records), &result.error))
                return fail(result.error);
            ++result.marginFilesWritten;
            continue;
        }

        const Answer answer = client.fetchAll(QStringLiteral("/equities/bars/daily"), {{QStringLiteral("date"), queryDate(task.date)}});
        if (answer.outcome == Outcome::Stopped) {
            result.stopped = true;
            break;
        }
        const QString ending = endingError(answer, options.plan);
        if (!ending.isEmpty())
            return fail(ending);
        ++shown.daysDone;
        if (answer.outcome != Outcome::Ok) {
            result.problems.add(dayText(task.date), 0, QStringLiteral("取得できません（%1）").arg(answer.error));
            if (answer.outcome == Outcome::Refused && ++refusedInARow >= RefusedDaysInARow)
                return fail(QStringLiteral("J-Quants が %1 日続けて株価を返しませんでした（%2）。ご契約のプランで取得できる期間か確かめてください。")
                                .arg(refusedInARow)
                                .arg(answer.error));
            continue;
        }
        refusedInARow = 0;
        const Day day = state.dayOf(task.date, answer.rows);
        // The factors first: a day whose file is there is not fetched again.
        if (keepFactors && !day.factors.empty()) {
            try {
                storeFactors(options.databasePath, task.date, day.factors);
            } catch (const db::DbError &e) {
                return fail(QStringLiteral("調整係数を保存できません: %1").arg(e.description()));
            }
            result.factorsStored += int(day.factors.size());
        }
        if (day.records.empty()) {
            result.problems.add(dayText(task.date), 0, QStringLiteral("取引のある銘柄がありません"));
            continue;
        }
        const QString name = importer::dailyFileName(task.date);
        if (!TextFile::writeLines(dailyFolder.filePath(name), importer::dailyFileLines(task.date, day.records), &result.error))
            return fail(result.error);
        ++result.daysWritten;
        result.recordsWritten += qint64(day.records.size());
    }
    report(QString());
    result.ok = true;
    return finish();
}

SettingsRun runOfSettings(const QDate &from, const QDate &to, const QDate &today, bool refetch)
{
    SettingsRun run;
    const std::optional<Plan> plan = planNamed(MainModule::JQuantsPlan);
    if (!plan) {
        run.problem = QStringLiteral("設定 JQuantsPlan の値「%1」は Free、Light、Standard、Premium のどれかにしてください。").arg(MainModule::JQuantsPlan);
        return run;
    }
    run.client.baseUrl = MainModule::JQuantsURL.trimmed().isEmpty() ? defaultBaseUrl() : MainModule::JQuantsURL.trimmed();
    run.client.apiKey = Settings::exchangeServiceKey();
    run.client.paceMs = paceOf(*plan);
    run.options.from = from;
    run.options.to = to;
    run.options.today = today;
    run.options.plan = *plan;
    run.options.refetch = refetch;
    run.options.dailyFolder = Settings::folderInProgramFolder(MainModule::hibiPath);
    run.options.marginFolder = Settings::folderInProgramFolder(MainModule::sinyoPath);
    run.options.registrationPath = importer::registrationFilePath();
    run.options.databasePath = MainModule::DBPath;
    return run;
}

} // namespace convert::jquants
