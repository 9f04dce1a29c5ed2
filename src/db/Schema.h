#pragma once

// The tables of Miravel.mdb, the steps between its layout versions, and the small issue-wide
// routines over them.

#include "db/Database.h"

#include <QString>
#include <QStringList>

#include <vector>

class Prompt;

namespace db {

// Creates the database file with every table, field, index and the six market rows, at the
// current layout version. The file is built under another name and takes its own only when whole.
// On an engine error it shows the description through prompt (when given) and returns false;
// nothing is left under either name.
bool CreateDatabaseFile(const QString &path, Prompt *prompt);

// Brings a database of an older layout version up to SchemaVersion in one transaction. Database
// runs it when it first opens such a file.
void UpgradeSchema(Database &database);

// The tables and columns a database of this program of the given layout version must have (a table
// a later version added is not asked of an older file, which gets it when first opened).
struct TableColumns
{
    QString table;
    QStringList columns;
};
std::vector<TableColumns> requiredTables(int version);

// The table names in creation order.
QStringList tableNames();

// Runs "delete * from <table> " + condition for daydata, weekdata, informationData, board, shinyo
// and Mei in that order, in one transaction: a killed program leaves all or nothing; an engine
// error stops at the failing statement, and the statements before it stay applied. The params are
// the values of the condition's ? marks.
void DeleteIssueRows(Database &database, const QString &condition, const Params &params = {});
// Runs "Update <table> " + assignment for the six price, information, board, margin and ledger
// tables, in one transaction as DeleteIssueRows; Mei is not changed.
void ChangeIssueCode(Database &database, const QString &assignment, const Params &params = {});
// The issue's market code, or 0 when it is not registered.
int MarketOfIssue(Database &database, qint64 code);
// The issue's name, or "" when it is not registered.
QString NameOfIssue(Database &database, qint64 code);

} // namespace db
