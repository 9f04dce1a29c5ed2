#pragma once

// Long statements that keep their window alive: while a query of the database runs, the progress
// is asked to yield every so many engine steps, so the window repaints (the hourglass shows the
// work goes on).

#include <QString>

class Progress;

namespace db {
class Database;
}

namespace maint {

class YieldDuringQueries final
{
public:
    YieldDuringQueries(db::Database &database, Progress &progress);
    ~YieldDuringQueries();
    YieldDuringQueries(const YieldDuringQueries &) = delete;
    YieldDuringQueries &operator=(const YieldDuringQueries &) = delete;

private:
    db::Database &m_database;
};

// A number typed into a code or market box; false when the text is not a whole number.
bool wholeNumber(const QString &text, qint64 *value);

} // namespace maint
