#pragma once

// The first start's way from an empty program folder to a chart: where prices come from, the range
// proposed for them, and the runs that register the issues, store the prices and build the weekly
// rows. The window (frmFirstStart) only gathers the choice.

#include <QDate>
#include <QString>

#include <functional>

class Http;
class Progress;
class Prompt;

namespace FirstStart {

// The last three months of trading days up to today: from the weekday three months before the
// newest weekday on or before today, to that weekday. Never a Saturday or a Sunday.
struct Range
{
    QDate first;
    QDate last;
};
Range proposedRange(const QDate &today);

// Why DURL cannot be tried: empty, or the example address a new settings file holds (never
// contacted). Empty text when it names a server.
QString serverAddressProblem(const QString &durl);

struct Outcome
{
    bool ok = false;
    QString message; // what the user is told; on failure why, in Japanese
    QString firstCode; // the issue whose chart the main window shows
    bool openOptions = false; // the options window holds what is missing
};

// Asks the server for its registration file at once, so that a wrong address is told before any
// other step. ok when the server answered with a registration file.
Outcome checkDataServer(Http &http, const QString &durl);

// The registration and the daily files of the range from the data server DURL, then their import
// with weekly rows.
Outcome fromDataServer(const Range &range, Http &http, Progress &progress, Prompt &prompt);

// The converter's source is set to the folder (setting [Convt] Source); the range is converted into
// the daily-file folder and imported with weekly rows.
Outcome fromCsvFolder(const QString &folder, const Range &range, Http &http, Progress &progress, Prompt &prompt);

// The exchange data service with the key and plan of the settings: the three months proposed for
// today (on the Free plan, which gives prices 12 weeks old and older, the three months ending 12
// weeks ago) fetched as the converter fetches them, then the registration and the prices imported
// with weekly rows. stopRequested is asked between days; a stopped run is not ok and keeps every
// finished day for the next one.
// The range fromExchangeService fetches on a plan ("Free", "Light", ...).
Range exchangeServiceRange(const QDate &today, const QString &plan);
Outcome fromExchangeService(const QDate &today, Http &http, Progress &progress, Prompt &prompt,
                            const std::function<bool()> &stopRequested);

// Generated prices of made-up issues for the range (the demo program folder's generator): the
// registration file and daily files, then their import with weekly rows.
Outcome fromDemo(const Range &range, Progress &progress, Prompt &prompt);

// The daily files of the range already in the daily-file folder, imported with weekly rows.
Outcome importRange(const Range &range, Progress &progress, Prompt &prompt);

// The smallest code of an issue with daily rows; empty when there is none.
QString firstIssueWithPrices();

} // namespace FirstStart
