#pragma once

// The thirteen tables of Miravel.mdb and the small issue-wide routines over them.

#include "db/Database.h"

#include <QString>
#include <QStringList>

class Prompt;

namespace db {

// Creates the database file with every table, field, index and the six market rows. On an engine
// error it shows the description through prompt (when given) and returns false; the partly built
// file stays on disk.
bool CreateDatabaseFile(const QString &path, Prompt *prompt);

// The table names in creation order.
QStringList tableNames();

// Runs "delete * from <table> " + condition for daydata, weekdata, informationData, board, shinyo
// and Mei in that order; stops at the first failing statement.
void DeleteIssueRows(Database &database, const QString &condition);
// Runs "Update <table> " + assignment for the six price, information, board, margin and ledger
// tables; Mei is not changed.
void ChangeIssueCode(Database &database, const QString &assignment);
// The issue's market code, or 0 when it is not registered.
int MarketOfIssue(Database &database, qint64 code);
// The issue's name, or "" when it is not registered.
QString NameOfIssue(Database &database, qint64 code);

} // namespace db
