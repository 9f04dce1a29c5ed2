#pragma once

// The converter's source "jquants": the listed issues, the daily prices of every issue and the
// margin balances from the price service J-Quants, written as the registration file, the daily
// files and the margin files the imports read, and the split adjustments into the table adjustment.
// A day or a week whose file is there is not fetched again, so a stopped run goes on where it ended.

#include "convert/Converter.h"
#include "convert/JQuantsClient.h"
#include "convert/JQuantsRows.h"
#include "import/InputProblems.h"

#include <QDate>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

namespace convert::jquants {

struct RunOptions
{
    QDate from;
    QDate to;
    QDate today;
    Plan plan = Plan::Free;
    bool refetch = false; // fetch days and weeks again whose file is there
    QString dailyFolder;
    QString marginFolder; // empty: no margin balances
    QString registrationPath; // Regist.Mei
    QString databasePath; // the adjustment factors go there; empty or missing: not kept
};

struct RunProgress
{
    int daysDone = 0;
    int daysToDo = 0;
    int weeksDone = 0;
    int weeksToDo = 0;
    qint64 secondsLeft = -1; // -1 before anything can be estimated
    QString doing; // what is fetched now
};
// "株価 3/245 日、信用残 1/52 週、残り約 41 分（2024-01-09 の株価）"
QString progressText(const RunProgress &progress);

struct RunResult
{
    bool ok = false; // the run went through or was stopped; false: error says why it ended
    bool stopped = false; // stopped by the user after a finished day
    QString error;
    int daysWritten = 0;
    int daysPresent = 0; // trading days whose daily file was there already
    qint64 recordsWritten = 0;
    int marginFilesWritten = 0;
    int factorsStored = 0;
    bool registrationWritten = false;
    int requests = 0;
    QStringList notes; // what the run left out as a whole (the plan's limits, the margins)
    QStringList skippedCodes; // the service's codes that are no code of the program
    QList<int> unstoredCodes; // issues of markets the program does not store
    importer::SkipReport problems; // days, weeks and rows left out, each with why
};
// The end of a run in a few lines: what was written and what was left out.
QStringList summaryLines(const RunResult &result);

// Fetches and writes the range. progress is called before each day and week; stopRequested is
// asked between them (and the client's waits ask it too), so a stop keeps every finished day.
RunResult run(const RunOptions &options, const IssueRegister &issues, Client &client,
              const std::function<void(const RunProgress &)> &progress, const std::function<bool()> &stopRequested);

// A run as the settings describe it: the key (JQUANTS_API_KEY before the setting JQuantsKey), the
// plan and its pace (JQuantsPlan), the address (JQuantsURL), and the program folder's daily and
// margin folders, Regist.Mei and database. problem says what keeps the run from starting.
struct SettingsRun
{
    QString problem;
    ClientOptions client;
    RunOptions options;
};
SettingsRun runOfSettings(const QDate &from, const QDate &to, const QDate &today, bool refetch);

} // namespace convert::jquants
