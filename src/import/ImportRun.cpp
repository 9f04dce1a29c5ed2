#include "import/ImportRun.h"

#include "db/Database.h"

namespace importer {

void PercentLabel::update(double count, double total)
{
    if (total <= 0)
        return;
    const double rounded = Rounding::nearest(count / total * 100.0);
    const qint64 whole = qint64(rounded);
    if (whole % 5 != 0)
        return;
    show(whole == 0 ? QString() : QString::number(whole));
}

void PercentLabel::show(const QString &text)
{
    if (m_last && *m_last == text)
        return;
    m_last = text;
    m_progress.setPercent(text);
    if (m_alsoCaption)
        m_progress.setCaption(text + QLatin1Char('%'));
}

FileWrites::FileWrites(db::Database &database)
    : m_database(database)
{
    m_database.executeRaw(QStringLiteral("SAVEPOINT import_file"));
}

FileWrites::~FileWrites()
{
    if (!m_open)
        return;
    try {
        m_database.executeRaw(QStringLiteral("ROLLBACK TO import_file; RELEASE import_file"));
    } catch (const db::DbError &) {
        // The error that brought us here is the one the user sees.
    }
}

void FileWrites::release()
{
    m_database.executeRaw(QStringLiteral("RELEASE import_file"));
    m_open = false;
}

} // namespace importer
