#pragma once

// The data server's files, written from a program folder's database into a folder that any static
// web server can serve: kabumei/Regist.mei and kabumei/infodata, jyhodata/YYYYMMDD.<kind> rankings,
// kabudata/DsYYYYMM.DD daily files, kabudata/YsYYYYMM.DD margin files, and q/<code>.html quote
// pages for the boards.

#include "base/Currency.h"

#include <QByteArray>
#include <QDate>
#include <QString>

#include <functional>
#include <vector>

namespace publish {

// One ranked issue of a ranking file.
struct RankingRow
{
    int code = 0;
    qint32 price = 0;
    Currency thousandShares; // volume in thousands of shares
    qint64 change = 0;
    QString value; // the figure the kind ranks by
};

struct Ranking
{
    QString kind;
    QDate date;
    QString comment;
    std::vector<RankingRow> rows; // in rank order, at most RankingSize
};

constexpr int RankingSize = 50;

// "YYYYMMDD,count,0000comment" + CR LF, then "rank,code,price,volume,change,value" + CR LF per row,
// in code page 932.
QByteArray rankingFileBytes(const Ranking &ranking);

struct PublishRequest
{
    QString outputFolder;
    // Invalid: the first day from which the tree is not complete, so that a run after one that was
    // interrupted anywhere (killed, a full disk, a file-size limit) gives the tree an uninterrupted
    // run gives. The tree's days run from its earliest dated file (a new tree: from the first
    // stored day); a day is complete when every file it should have is there and whole (its
    // header's count matches its lines). The files of the days up to the one a run that went
    // through recorded in .previous/checked-through are only looked for, not read.
    QDate from;
    QDate to; // invalid: the last stored day
    // Ends the run as an interruption would, before its file number stopAfterFiles + 1 (0: no
    // limit). For the tests of resuming.
    int stopAfterFiles = 0;
};

struct PublishResult
{
    bool ok = false;
    QString error;
    QDate from, to;
    int dailyFiles = 0;
    int marginFiles = 0;
    int rankingFiles = 0;
    int quotePages = 0;
};

// Writes the tree for the range; every file is written whole. The registration, kinds and quote
// files are replaced on every run: the quote page of a registered issue carries its last stored day
// up to the end of the range (close and change in yen, volume in shares), or "-" when it has no rows. Database errors end the run with their description.
PublishResult publish(const QString &databasePath, const PublishRequest &request,
                      const std::function<void(const QString &)> &log = {});

} // namespace publish
