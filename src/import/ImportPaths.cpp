#include "import/ImportPaths.h"

#include "base/Settings.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace importer {

QString folderPath(const QString &setting)
{
    QString p = Settings::folderPath(setting.trimmed());
    while (p.size() > 1 && p.endsWith(QLatin1Char('/')))
        p.chop(1);
    return p;
}

QString fileIn(const QString &folderSetting, const QString &name)
{
    const QString folder = folderPath(folderSetting);
    if (folder.isEmpty())
        return name;
    return folder.endsWith(QLatin1Char('/')) ? folder + name : folder + QLatin1Char('/') + name;
}

QString pathIgnoringCase(const QString &path)
{
    if (path.isEmpty() || QFileInfo::exists(path))
        return path;
    const bool absolute = path.startsWith(QLatin1Char('/'));
    const QStringList parts = path.split(QLatin1Char('/'), Qt::SkipEmptyParts);
    QString found = absolute ? QStringLiteral("/") : QString();
    for (const QString &part : parts) {
        const QString exact = found.isEmpty() ? part : QDir(found).filePath(part);
        if (QFileInfo::exists(exact)) {
            found = exact;
            continue;
        }
        const QDir parent(found.isEmpty() ? QStringLiteral(".") : found);
        QString match;
        for (const QString &entry : parent.entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot))
            if (entry.compare(part, Qt::CaseInsensitive) == 0) {
                match = entry;
                break;
            }
        if (match.isEmpty())
            return path;
        found = found.isEmpty() ? match : parent.filePath(match);
    }
    return found;
}

FolderFiles::FolderFiles(const QString &folderSetting)
    : m_folder(pathIgnoringCase(folderPath(folderSetting)))
{
    const QDir dir(m_folder.isEmpty() ? QStringLiteral(".") : m_folder);
    for (const QString &entry : dir.entryList(QDir::Files | QDir::Hidden | QDir::System))
        m_byFoldedName.insert(entry.toCaseFolded(), entry);
}

QString FolderFiles::find(const QString &name) const
{
    QString exact = m_folder.isEmpty() ? name : m_folder + QLatin1Char('/') + name;
    if (QFileInfo(exact).isFile())
        return exact;
    const auto it = m_byFoldedName.constFind(name.toCaseFolded());
    if (it == m_byFoldedName.constEnd())
        return QString();
    return m_folder.isEmpty() ? *it : m_folder + QLatin1Char('/') + *it;
}

bool readTextLines(const QString &path, TextFile::DecodedText &text, QString *why)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        if (why)
            *why = file.errorString();
        return false;
    }
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        if (why)
            *why = file.errorString();
        return false;
    }
    text = TextFile::decodeLines(bytes);
    return true;
}

bool readTextLines(const QString &path, QStringList &lines, QString *why)
{
    TextFile::DecodedText text;
    if (!readTextLines(path, text, why))
        return false;
    lines = std::move(text.lines);
    return true;
}

QString dailyFileName(const QDate &date)
{
    return QStringLiteral("Ds") + date.toString(QStringLiteral("yyyyMM")) + QLatin1Char('.') + date.toString(QStringLiteral("dd"));
}

QString marginFileName(const QDate &date)
{
    return QStringLiteral("Ys") + date.toString(QStringLiteral("yyyyMM")) + QLatin1Char('.') + date.toString(QStringLiteral("dd"));
}

QString baseName(const QString &path)
{
    return QFileInfo(path).fileName();
}

} // namespace importer
