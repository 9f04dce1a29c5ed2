#pragma once

// An issue as the windows name it: the entry of the main window's issue list ("1301 東１ 極洋"),
// the shown issue handed to a window that works on it, and the look-up of one issue by its code.

#include <QString>

namespace ui {

// The issue on show in the main window, as its code box and labels hold it.
struct IssueRef
{
    QString code; // as typed ("1301")
    QString market; // the market abbreviation ("東１")
    QString name;
};

// The abbreviation of a market code (MainModule::MarketAbbrev); empty for a code it does not hold.
QString marketAbbrev(int market);

// "1301 東１ 極洋": the code, the market abbreviation and the name, each separated by one space.
QString issueListEntry(qint64 code, int market, const QString &name);

// The issue of a code: its market and the market's abbreviation, and its name.
struct IssueInfo
{
    bool found = false;
    int market = 0;
    QString marketAbbrev;
    QString name;
};
// Throws db::DbError.
IssueInfo FindIssue(const QString &dbPath, qint64 code);

} // namespace ui
