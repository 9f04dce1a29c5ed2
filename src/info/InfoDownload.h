#pragma once

// The download of the ranking kinds and of the ranking files from the data server into
// informationClass, wrkinformationClass and informationData.

#include "base/Ports.h"

#include <QDate>
#include <QString>

#include <functional>

namespace info {

enum class DownloadMode
{
    Rankings = 0,
    Kinds = 1
};

// What the download window hands the routine.
struct DownloadView
{
    Http *http = nullptr; // null: no server (the first start reads a local file)
    Prompt &prompt;
    Progress &progress; // setPhase: the status line LblText; yield between dates
    std::function<void(double)> bar; // the progress bar, 0..1 of its width
    std::function<void()> confirmed; // the user said Yes: the window turns busy
    const bool *cancelled = nullptr; // set by the window when the user stopped the download
};

struct DownloadRequest
{
    int mode = 0; // DownloadMode; any other value only runs the closing steps
    bool interactive = true; // false: the first start, kinds from Data/infodata
    QString firstText; // the date boxes (rankings mode)
    QString lastText;
    QDate today; // the two-digit-year window of the boxes
    int timeoutMs = 30000;
};

enum class DownloadEnd
{
    NotStarted, // a check failed or the user said No
    Finished, // the result carries the outcome; an interactive window closes
    Failed, // an error was shown; the window stays open
    Cancelled, // the user stopped it
};

struct DownloadResult
{
    DownloadEnd end = DownloadEnd::NotStarted;
    // Finished: "ダウンロード終了しました。" when a file was stored whole, else "取得するファイルが見つかりません。";
    // empty otherwise. The caller shows it once the download window has closed.
    QString message;
    bool stored = false; // a file was stored whole
};

// Runs the download. Rankings: the kinds first when informationClass is empty (the message
// still tells of the rankings), then for every weekday of the range each daily ("d")
// kind, then for every Friday each weekly ("w") kind; an empty answer (no answer, error status)
// ends its pass; a file not starting with a date is skipped; each file replaces the rows of its
// kind and date in one transaction. An answer that broke off or passed its size limit, a file whose
// record count disagrees with its header and a line that cannot be read end the run (Failed) with
// the files before it kept; lines out of range are left out and reported when the run ends.
DownloadResult DownloadInformation(const DownloadRequest &request, DownloadView &view);

// The proposed first and last dates of the rankings window: the day after the newest stored
// ranking (the Monday after a Friday or Saturday) up to today, or that day alone when it lies after
// today; today alone when nothing is stored. Throws db::DbError.
struct ProposedRange
{
    QDate first;
    QDate last;
};
ProposedRange ProposeRankingRange(const QString &databasePath, const QDate &today);

// The first start: loads the shipped kinds file (program folder/infodata, copied to Data/infodata)
// when informationClass is empty (NotStarted when it is not). Errors go to prompt.
DownloadResult LoadShippedKinds(Prompt &prompt);

} // namespace info
