#include "maint/LongWork.h"

#include "base/Ports.h"
#include "db/Database.h"

#include <sqlite3.h>

namespace maint {

namespace {

// About a tenth of a second of work between two yields on a slow machine.
constexpr int StepsBetweenYields = 200000;

int yieldNow(void *progress)
{
    static_cast<Progress *>(progress)->yield();
    return 0; // never interrupts the statement
}

} // namespace

YieldDuringQueries::YieldDuringQueries(db::Database &database, Progress &progress)
    : m_database(database)
{
    sqlite3_progress_handler(m_database.handle(), StepsBetweenYields, &yieldNow, &progress);
}

YieldDuringQueries::~YieldDuringQueries()
{
    if (m_database.isOpen())
        sqlite3_progress_handler(m_database.handle(), 0, nullptr, nullptr);
}

bool wholeNumber(const QString &text, qint64 *value)
{
    bool ok = false;
    *value = text.trimmed().toLongLong(&ok);
    return ok;
}

} // namespace maint
