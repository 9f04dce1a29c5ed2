#pragma once

// The two comparisons of issue maintenance: codes with prices but no registration, and
// registrations without prices. The codes found are kept in the work table wrkMei, which the
// window's grid shows; each comparison starts from an empty list.

#include <QString>
#include <vector>

class Progress;

namespace maint {

enum class IssueCheck
{
    PricesWithoutRegistration,
    RegistrationWithoutPrices
};

// Empties wrkMei, walks the codes and fills wrkMei with those found; returns them in code order.
// The progress yields between codes and during long queries. Throws db::DbError.
std::vector<qint64> CompareIssues(const QString &dbPath, const QString &priceTable, IssueCheck check, Progress &progress);

// Empties wrkMei (the window's grid starts empty). Throws db::DbError.
void ClearWorkList(const QString &dbPath);

// The code's rows of every issue table and its registration, then its entry of wrkMei.
void DeleteCodeData(const QString &dbPath, qint64 code, Progress &progress);
// Only the registration, then its entry of wrkMei.
void DeleteCodeRegistration(const QString &dbPath, qint64 code);

} // namespace maint
