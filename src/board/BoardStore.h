#pragma once

// The two watch boards (kind 1 = board A, 2 = board B) in the table board: registering, removing
// and moving issues, the last-day columns, the issue-list entries of a board, and the board files
// (*.A, *.B: "区分,コード,市場コード,銘柄" per line, code page 932, CR LF).
//
// Every routine opens the database itself; questions and messages go through the prompt. A
// database error shows its description and ends the routine.

#include <QDate>
#include <QString>
#include <QStringList>

#include <vector>

class Prompt;
namespace db {
class Database;
}

namespace board {

constexpr int BoardA = 1;
constexpr int BoardB = 2;

// "A" / "B", and the full-width "Ａ" / "Ｂ" some messages use.
QString letter(int kind);
QString fullWidthLetter(int kind);
int otherKind(int kind);
// The settings keys of a board: the last board file name and the time of the last quote fetch.
QString fileKey(int kind);
QString dateKey(int kind);
// The grid's record source.
QString recordSource(int kind);
// The file dialog filter of a board's files.
QString fileFilter(int kind);
// The name of a file without its folder (after the last "\" or "/").
QString fileNameOf(const QString &path);

struct BoardContext
{
    QString dbPath;
    Prompt &prompt;
    QDate today;
};

// Fills the last-day columns of every row of the board from its newest daily row (prices times
// the issue's 株価単位, volume times 出来高単位); a row without daily rows gets today's date and zeros.
void RefreshDailyFigures(const BoardContext &ctx, int kind);

// The board window's add button after its code check: asks, then adds the issue with its last
// daily row. "すでに登録されています。" when it is on the board; an issue without daily rows is not
// added and nothing is said. True when a row was added.
bool AddIssue(const BoardContext &ctx, int kind, qint32 code, const QString &name);
// The board window's delete button: asks about the code, then deletes its row. True when deleted.
bool RemoveIssue(const BoardContext &ctx, int kind, qint32 code);

// The main window's registration of its current issue (code, name label, market label): asks
// "登録確認", adds a row with today's date and zero figures. True when a row was added.
bool RegisterOnBoard(const BoardContext &ctx, int kind, const QString &code, const QString &name,
                     const QString &marketLabel);
// The main window's removal of its current issue: asks "削除確認", deletes. True when deleted.
bool DeleteFromBoard(const BoardContext &ctx, int kind, const QString &code, const QString &name,
                     const QString &marketLabel);

// Moves the issue from fromKind to the other board after asking; the row keeps its columns.
bool MoveBoardIssue(const BoardContext &ctx, int fromKind, qint32 code, const QString &title);
// The menu title of a move: "株価ボードＡからＢへ移動" / "株価ボードＢからＡへ移動".
QString moveTitle(int fromKind);

// The board's issues that Mei holds under the row's market, for the issue list, with the name from
// Mei.
struct BoardIssue
{
    qint64 code = 0;
    int market = 0;
    QString name;
};
std::vector<BoardIssue> ListBoard(const QString &dbPath, int kind);

// The board window's code box: the market abbreviation and the name of a registered issue.
struct IssueLabels
{
    bool found = false;
    QString market;
    QString name;
};
IssueLabels LookUpIssue(const QString &dbPath, qint64 code);

// Sets 現在値, 現前日比 and 現出来高 of every row of the board to 0; false when the database
// refused (the error went to the prompt).
bool ClearQuotes(const BoardContext &ctx, int kind);

// The codes of the board's rows, in the order the quote fetch requests them.
std::vector<qint32> boardCodes(const QString &dbPath, int kind);
// Stores a fetched quote on the board's row of the code; nothing when the row is gone.
void StoreQuote(db::Database &database, int kind, qint32 code, qint32 price, qint32 change, qint32 volume);

// Writes the board file and remembers its name under boardA/boardB; "保存しました。".
bool SaveBoardFile(const BoardContext &ctx, const QString &path, int kind);
// Replaces the board by the file's issues after asking, and remembers the file name. Refused before
// anything is deleted: a file whose first character is not the board's (the other board's file, an
// empty file, one of blank lines), or with a line that does not hold a kind, a code and a market
// before its name. Names keep their commas.
bool LoadBoardFile(const BoardContext &ctx, const QString &path, int kind);

// The menu commands around them: the save dialog (with the overwrite question), and the load
// (offering to save the current board first). LoadBoardCommand is true when the board was loaded:
// the caller then opens the board window.
bool SaveBoardCommand(const BoardContext &ctx, int kind);
bool LoadBoardCommand(const BoardContext &ctx, int kind);

} // namespace board
