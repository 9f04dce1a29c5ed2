#pragma once

// The small text files of the data folder: a price series as CSV ("<code>.Csv") and issue lists
// ("*.Lis", one code a line). Code page 932, CR LF.

#include <QDate>
#include <QString>
#include <QStringList>

#include <vector>

class Prompt;

namespace maint {

// "<data folder>/<code>.Csv".
QString PriceCsvPath(const QString &code);

// The file's lines: the title line (name, code, market, "日足データ" or "週足データ"), the captions,
// then one line per stored row of the period's table, volumes and prices in shares and yen.
// No price lines when the issue is not registered. Throws db::DbError.
QStringList PriceCsvLines(const QString &dbPath, const QString &code, const QString &market, const QString &name,
                          int periodMode);
// Writes the file; false with a description in *error. Throws db::DbError.
bool ExportPriceCsv(const QString &dbPath, const QString &code, const QString &market, const QString &name,
                    int periodMode, QString *error);
// "Data ﾌｫﾙﾀﾞに 1301.Csv と言うﾌｧｲﾙ名で出力しました。"
QString priceCsvDoneText(const QString &code);

// The first of "YYMMDD_0.Lis" ... "YYMMDD_9.Lis", "YYMMDD10.Lis" ... "YYMMDD99.Lis" that does not
// exist in folder (the last one when all do).
QString DefaultListName(const QString &folder, const QDate &today);

// Writes the first four characters of each entry, one a line. Nothing is written for no entries
// (returns true). False when the file could not be written, with the description in error.
bool WriteIssueList(const QString &path, const QStringList &entries, QString *error = nullptr);

// The codes of an issue-list file's lines: a line that is a number, or whose text before its first
// comma is one; any other line repeats the code before it (0 before the first).
std::vector<qint64> IssueListCodes(const QStringList &lines);

// The issue-list entries ("1301 東１ 極洋") of the registered codes of a file, in file order; codes
// not registered are left out. ok is false when the file cannot be read. Throws db::DbError.
QStringList ReadIssueList(const QString &dbPath, const QString &path, bool *ok);

// The main window's commands, with their questions and messages.
// mnudataoutputcsv: the issue on show (code as typed, market abbreviation and name as shown).
void ExportShownIssueCsv(Prompt &prompt, const QString &code, const QString &market, const QString &name,
                         int periodMode);
// mnuMeiListOutput: the entries of the issue list, to a file the user names (today's default name).
void WriteIssueListFile(Prompt &prompt, const QStringList &entries, const QDate &today);
// mnuMeiListInput: the entries read from a file the user picks; false when none was read (the list
// is then left as it is).
bool ReadIssueListFile(Prompt &prompt, QStringList *entries);

} // namespace maint
