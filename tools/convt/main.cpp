// Convt: converts price data into daily files for a date range. The import window starts it with
// one argument "YY/MM/DD,YY/MM/DD"; by hand it takes --from/--to. The source comes from the
// settings file, section "Convt", key Source (or --source): CSV files, an address template, or
// "jquants", the exchange group's price service (also taken when Source is empty and an API key is
// set). Fetching from the service, Convt started by the import window shows its progress in a
// window; on the command line Ctrl+C stops after the current day.

#include "ConvertWindow.h"

#include "base/DateUtil.h"
#include "base/MainModule.h"
#include "base/ProgramLocation.h"
#include "base/Settings.h"
#include "convert/Converter.h"
#include "convert/JQuantsSource.h"
#include "db/Database.h"
#include "db/DbError.h"
#include "import/InputProblems.h"
#include "import/Registration.h"
#include "net/HttpClient.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#include <csignal>
#include <cstdio>
#include <cstring>
#include <memory>

namespace {

// Exit status of a run the user stopped (as a shell reports a Ctrl+C).
constexpr int StoppedStatus = 130;

volatile std::sig_atomic_t interrupted = 0;

// The first Ctrl+C asks the run to stop after the current day; a second ends Convt at once (every
// file is written whole under its name, so nothing is left half-written).
extern "C" void onInterrupt(int)
{
    if (interrupted) {
        std::signal(SIGINT, SIG_DFL);
        std::raise(SIGINT);
        return;
    }
    interrupted = 1;
}

void err(const QString &line)
{
    const QByteArray b = line.toUtf8();
    std::fwrite(b.constData(), 1, size_t(b.size()), stderr);
    std::fputc('\n', stderr);
    std::fflush(stderr);
}

void usage()
{
    err(QStringLiteral("usage: Convt YY/MM/DD,YY/MM/DD"));
    err(QStringLiteral("       Convt --from DATE --to DATE [--folder DIR] [--source SOURCE] [--refetch] [--no-window]"));
    err(QStringLiteral("DIR is the program folder (default: $MIRAVEL_HOME, else the folder of this program when"));
    err(QStringLiteral("it is writable or holds Miravel.ini, else $XDG_DATA_HOME/miravel). SOURCE is a folder of"));
    err(QStringLiteral("CSV files, one CSV file, an http(s) address with {date} (YYYYMMDD) and/or {code}, or"));
    err(QStringLiteral("jquants; by default the key Source of section [Convt] in Miravel.ini, and jquants when that"));
    err(QStringLiteral("is empty and an API key is set (JQUANTS_API_KEY or JQuantsKey). --refetch fetches days and"));
    err(QStringLiteral("weeks from jquants again whose files are there."));
}

// A window can be shown: not on a Linux console without a display server.
bool displayAvailable()
{
#if defined(Q_OS_WIN) || defined(Q_OS_MACOS)
    return true;
#else
    return qEnvironmentVariableIsSet("DISPLAY") || qEnvironmentVariableIsSet("WAYLAND_DISPLAY")
        || qEnvironmentVariableIsSet("QT_QPA_PLATFORM");
#endif
}

// The import window's one argument "YY/MM/DD,YY/MM/DD", and no --no-window.
bool startedByTheImportWindow(int argc, char **argv)
{
    bool dates = false;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--no-window") == 0)
            return false;
        if (argv[i][0] != '-' && std::strchr(argv[i], ',') != nullptr)
            dates = true;
    }
    return dates;
}

void printProblems(const importer::SkipReport &problems)
{
    for (const importer::SkippedLine &p : problems.lines()) {
        if (p.line > 0)
            err(QStringLiteral("%1:%2: %3").arg(p.file).arg(p.line).arg(p.reason));
        else
            err(QStringLiteral("%1: %2").arg(p.file, p.reason));
    }
}

int convertFromService(const QDate &from, const QDate &to, bool refetch, bool window, const convert::IssueRegister &issues)
{
    namespace jq = convert::jquants;
    const jq::SettingsRun settings = jq::runOfSettings(from, to, QDate::currentDate(), refetch);
    if (!settings.problem.isEmpty()) {
        err(settings.problem);
        return 1;
    }
    const jq::ClientOptions &client = settings.client;
    const jq::RunOptions &options = settings.options;
    QDir().mkpath(MainModule::dataFolder());

    HttpClient http;
    const auto runWith = [&](const std::function<void(const jq::RunProgress &)> &progress, const std::function<bool()> &stop) {
        jq::Client service(http, client, [&stop](int ms) { return jq::waitUnlessStopped(ms, stop); });
        return jq::run(options, issues, service, progress, stop);
    };
    const auto headline = [](const jq::RunResult &r) {
        if (!r.ok)
            return r.error;
        return r.stopped ? QStringLiteral("途中で止めました。取得済みの日は残っています。もう一度実行すると続きから取得します。")
                         : QStringLiteral("取得終了しました。取込み画面の「株価データー読込み」で読み込んでください。");
    };

    jq::RunResult result;
    if (window) {
        ConvertWindow w([&](ConvertWindow &shown) {
            result = runWith([&shown](const jq::RunProgress &p) { shown.showProgress(jq::progressText(p)); },
                             [&shown] { return shown.stopRequested(); });
            QStringList lines = jq::summaryLines(result);
            for (const importer::SkippedLine &p : result.problems.lines())
                lines.append(QStringLiteral("%1: %2").arg(p.file, p.reason));
            shown.showEnd(headline(result), lines);
        });
        w.exec();
    } else {
        err(QStringLiteral("J-Quants（%1 プラン）から %2 ～ %3 を取得します。Ctrl+C で取得中の日の後に止まります。")
                .arg(jq::planName(options.plan), DateUtil::formatIso(from), DateUtil::formatIso(to)));
        std::signal(SIGINT, onInterrupt);
        bool toldStopping = false;
        const auto stop = [&] {
            if (interrupted && !toldStopping) {
                toldStopping = true;
                err(QStringLiteral("中止します（取得中の日の後で止まります。もう一度 Ctrl+C ですぐに終わります）。"));
            }
            return interrupted != 0;
        };
        result = runWith([](const jq::RunProgress &p) { err(jq::progressText(p)); }, stop);
        std::signal(SIGINT, SIG_DFL);
        printProblems(result.problems);
        for (const QString &line : jq::summaryLines(result))
            err(line);
        err(headline(result));
    }
    if (!result.ok)
        return 1;
    return result.stopped ? StoppedStatus : 0;
}

int convertFromFiles(const QDate &from, const QDate &to, QString source, const convert::IssueRegister &issues)
{
    // A relative folder or file is taken from the program folder, as the settings' folders are.
    if (!source.contains(QLatin1String("://")))
        source = Settings::folderInProgramFolder(source);
    convert::ConvertRequest request;
    request.from = from;
    request.to = to;
    request.source = source;
    request.dailyFolder = Settings::folderInProgramFolder(MainModule::hibiPath);

    err(QStringLiteral("変換 %1 ～ %2: %3 → %4")
            .arg(DateUtil::formatYYMMDD(from), DateUtil::formatYYMMDD(to), source, request.dailyFolder));
    HttpClient http;
    const convert::ConvertResult result = convert::convert(request, issues, &http, err);
    printProblems(result.problems);
    if (!result.ok) {
        err(result.error);
        return 1;
    }
    err(QStringLiteral("変換終了: 日々データー %1 ファイル、%2 件（読めない行 %3）")
            .arg(result.filesWritten)
            .arg(result.recordsWritten)
            .arg(result.problems.count()));
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
#ifdef SIGXFSZ
    // Past a file-size limit a write fails, and is reported, instead of ending the program unsaid.
    std::signal(SIGXFSZ, SIG_IGN);
#endif
    const bool windowWanted = startedByTheImportWindow(argc, argv) && displayAvailable();
    std::unique_ptr<QCoreApplication> app(windowWanted ? new QApplication(argc, argv) : new QCoreApplication(argc, argv));
    QStringList args = QCoreApplication::arguments();
    args.removeFirst();

    QString folder;
    QString fromText, toText, source;
    bool refetch = false;
    while (!args.isEmpty()) {
        const QString a = args.takeFirst();
        const auto value = [&](QString &into) {
            if (args.isEmpty())
                return false;
            into = args.takeFirst();
            return true;
        };
        bool ok = true;
        if (a == QLatin1String("--help") || a == QLatin1String("-h")) {
            usage();
            return 0;
        } else if (a == QLatin1String("--from")) {
            ok = value(fromText);
        } else if (a == QLatin1String("--to")) {
            ok = value(toText);
        } else if (a == QLatin1String("--folder")) {
            ok = value(folder);
        } else if (a == QLatin1String("--source")) {
            ok = value(source);
        } else if (a == QLatin1String("--refetch")) {
            refetch = true;
        } else if (a == QLatin1String("--no-window")) {
        } else if (!a.startsWith(QLatin1String("--")) && a.count(QLatin1Char(',')) == 1 && fromText.isEmpty()) {
            fromText = a.section(QLatin1Char(','), 0, 0).trimmed();
            toText = a.section(QLatin1Char(','), 1, 1).trimmed();
        } else {
            ok = false;
        }
        if (!ok) {
            usage();
            return 2;
        }
    }
    const QDate from = DateUtil::parseDate(fromText);
    const QDate to = DateUtil::parseDate(toText);
    if (!from.isValid() || !to.isValid()) {
        err(QStringLiteral("日付の入力が誤っています。"));
        usage();
        return 2;
    }

    MainModule::setProgramFolder(ProgramLocation::choose(ProgramLocation::inputsOfThisProcess(folder)).folder);
    if (QFileInfo::exists(MainModule::IniPath) && !Settings::ReadSettings(nullptr)) {
        err(QStringLiteral("設定ファイル %1 を読めません。").arg(MainModule::IniPath));
        return 1;
    }
    if (source.isEmpty())
        source = Settings::converterSource();
    const bool service = Settings::exchangeServiceIsSource(source);

    convert::IssueRegister issues;
    if (QFileInfo::exists(MainModule::DBPath)) {
        try {
            issues = convert::IssueRegister::load(MainModule::DBPath);
        } catch (const db::DbError &e) {
            err(QStringLiteral("銘柄データーを読めません: %1").arg(e.description()));
            return 1;
        }
    }
    const int status = service ? convertFromService(from, to, refetch, windowWanted, issues)
                               : convertFromFiles(from, to, source, issues);
    db::Database::closeAll();
    return status;
}
