#pragma once

// The downloads that feed the import: the issue registration file Regist.Mei and the daily (Ds…)
// and margin (Ys…) files of a date range. A file is stored only when its first line carries the
// date it should, and always whole (temporary file, then rename).

#include "base/Ports.h"

#include <QDate>
#include <QString>

namespace info {

// Fetches the registration file into Data/Regist.Mei (the body as text plus CR LF) when the
// answer starts with a date; any other answer leaves an earlier file in place.
struct FileOutcome
{
    bool stored = false;
    QString error; // an answer that broke off or passed its size limit, or a file not written
};
FileOutcome DownloadRegistrationFile(Http &http, const QString &durl, int timeoutMs = 30000);

struct PriceDownloadView
{
    Http &http;
    Progress &progress; // setPhase: "Ds200007.14 取得中", yield after every file
    const bool *cancelled = nullptr;
};

struct PriceDownloadResult
{
    int dailyStored = 0;
    int marginStored = 0;
    QString error; // the first file that broke off, was not whole or could not be written;
        // the run stops there
    bool cancelled = false;
};

// For every weekday from first to last: the daily file into the folder hibiFolder and, with margin,
// the margin file into sinyoFolder (folder settings as the settings file holds them). An answer
// that is missing (holiday, error status) or carries another date is passed over; a daily file
// whose record lines disagree with its header is not stored and ends the run with error.
PriceDownloadResult DownloadPriceFiles(const QDate &first, const QDate &last, bool margin, const QString &durl,
                                       const QString &hibiFolder, const QString &sinyoFolder, PriceDownloadView &view,
                                       int timeoutMs = 30000);

// The date the first line of a price file carries: daily files start with "YYYYMMDD,"; margin
// files hold the year in characters 1-4, the month in 5-6 and the day in the last two characters.
QDate DailyFileDate(const QByteArray &body);
QDate MarginFileDate(const QByteArray &body);

// Writes bytes whole, as TextFile::writeBytes does. False with the reason otherwise.
bool WriteWholeFile(const QString &path, const QByteArray &bytes, QString *why = nullptr);

} // namespace info
