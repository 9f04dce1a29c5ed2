#pragma once

// Where the input files of an import lie: folder settings as paths, names found without regard to
// letter case, the files' names by date, and reading a whole text file a user brings.

#include "base/TextFile.h"

#include <QDate>
#include <QHash>
#include <QString>
#include <QStringList>

namespace importer {

// A folder setting ("C:\data\" or "/home/x/data") as a path with forward slashes, without a trailing
// separator; empty stays empty.
QString folderPath(const QString &setting);
// The path of name inside a folder setting.
QString fileIn(const QString &folderSetting, const QString &name);

// A path as it lies on disk when only the letter case of its parts differs (files copied from
// Windows keep theirs: "DATA/REGIST.MEI"); the path itself when it exists or nothing matches.
QString pathIgnoringCase(const QString &path);

// The files of one folder, found by name without regard to letter case. Listed once, so that a
// run over many dates does not list the folder per date.
class FolderFiles final
{
public:
    explicit FolderFiles(const QString &folderSetting);
    // The path of the file called name (exact name first); empty when there is none.
    QString find(const QString &name) const;

private:
    QString m_folder;
    QHash<QString, QString> m_byFoldedName;
};

// Reads a whole text file a user brings (see TextFile::decodeLines). false with the reason when it
// cannot be read.
bool readTextLines(const QString &path, TextFile::DecodedText &text, QString *why = nullptr);
bool readTextLines(const QString &path, QStringList &lines, QString *why = nullptr);
// The skip reason of a line whose bytes are neither code page 932 nor UTF-8.
QString undecodableReason();

// "Ds200007.14", "Ys200007.14".
QString dailyFileName(const QDate &date);
QString marginFileName(const QDate &date);

// The file name alone (for messages).
QString baseName(const QString &path);

} // namespace importer
