#pragma once

// The bulk deletions and the code change of the data maintenance window, from the texts of its
// boxes: each checks its inputs, asks its question, runs its action queries and reports. The price
// table is the one of the period; in weekly mode the margin rows go with the weekly rows.

#include <QDate>
#include <QString>

class Progress;
class Prompt;

namespace maint {

struct MaintenanceContext
{
    QString dbPath;
    Prompt &prompt;
    Progress &progress;
    int periodMode = 1; // 1 daily, 2 weekly
    QDate today = QDate::currentDate();
};

// Each returns true when it ran to its closing message; false when a check failed, the user said
// No, or the engine refused (its description has then been shown).
bool DeleteDateRange(const MaintenanceContext &context, const QString &firstDate, const QString &lastDate);
bool DeleteInformationUpTo(const MaintenanceContext &context, const QString &date);
bool DeleteIssuePricesUpTo(const MaintenanceContext &context, const QString &code, const QString &date);
bool DeleteIssueAndPrices(const MaintenanceContext &context, const QString &code);
bool ChangeCodeAndMarket(const MaintenanceContext &context, const QString &oldCode, const QString &oldMarket,
                         const QString &newCode, const QString &newMarket);
// Deletes the database file and creates a new empty one.
bool ClearAllData(const MaintenanceContext &context);

// The caption of the mode label.
QString deletionModeText(int periodMode);

} // namespace maint
