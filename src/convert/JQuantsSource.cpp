#include "convert/JQuantsSource.h"

#include "convert/JQuantsRows.h"

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

// A name as one field of the registration and daily files.
QString fieldName(const QString &name)
{
    return importer::fitName(QString(name).replace(QLatin1Char(','), QChar(0xFF0C)));
}

// The registration file of the issues the service lists in markets the program stores.
QStringList registrationLines(const Listing &listing, const IssueRegister &issues, const QDate &date)
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

struct RunState
{
    explicit RunState(const IssueRegister &issues)
        : rows(issues, result.problems)
    {
    }
    RunResult result;
    RowReader rows;
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
    RunState state(issues);
    RunResult &result = state.result;
    const auto finish = [&]() -> RunResult {
        result.requests = client.requestCount();
        result.skippedCodes = state.rows.skippedCodes.values();
        std::sort(result.skippedCodes.begin(), result.skippedCodes.end());
        result.unstoredCodes = state.rows.unstored.values();
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
            state.rows.listing.add(master.rows, state.rows.skippedCodes);
            if (!TextFile::writeLines(options.registrationPath, registrationLines(state.rows.listing, issues, d), &result.error))
                return fail(result.error);
            result.registrationWritten = true;
        } else {
            state.rows.listing.add(master.rows, state.rows.skippedCodes);
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
            const std::vector<importer::MarginFileRecord> records = state.rows.marginsOf(task.date, answer.rows);
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
        const Day day = state.rows.dayOf(task.date, answer.rows);
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
