#pragma once

// Deleting issues with all their rows: one issue, or every issue the last price import did not mark.

#include <QString>

namespace maint {

// The list of frmReadDelMei: the issues with 更新Flg False.
QString UnupdatedIssuesSource();

// Deletes the issue's rows of every issue table and its registration. Throws db::DbError.
void DeleteIssue(const QString &databasePath, qint64 code);

// Deletes every issue with 更新Flg False, with all its rows. Returns how many issues went.
// Throws db::DbError; issues deleted before the error stay deleted.
int DeleteUnupdatedIssues(const QString &databasePath);

} // namespace maint
