#pragma once

// Profile files ("ini"): sections in [brackets] of key=value lines, in code page 932 (or UTF-8 with
// a byte order mark once a value needs it), read and written as Windows' profile functions do:
// names without regard to case, the first section of a name counting, one pair of quotes dropped
// around a value, every other line kept byte for byte with its own line end.

#include <QByteArray>
#include <QString>

#include <vector>

// A whole profile file in memory: read once, looked up and changed many times, written in one go.
class ProfileFile final
{
public:
    // The file as it lies on disk; an empty one when it is missing. False when it exists but cannot
    // be read, with the description in error.
    static bool read(const QString &path, ProfileFile *file, QString *error = nullptr);

    // The value of key in section (at most 1023 characters, without surrounding blanks); "" when
    // the section or the key is missing.
    QString value(const QString &section, const QString &key) const;
    // Sets the value of key, adding the key (and the section) where missing; a value is cut at a
    // line break and at 1023 characters.
    void setValue(const QString &section, const QString &key, const QString &data);
    // Writes the file whole (TextFile::writeBytes). False with the description in error.
    bool write(const QString &path, QString *error = nullptr) const;

private:
    struct Line
    {
        QByteArray bytes; // without the line end
        QByteArray end; // "\r\n", "\n", "\r" or "" for a last line without an end
        QString text; // decoded
    };
    struct Location;
    Location locate(const QString &section, const QString &key) const;
    QByteArray bytes() const;

    bool m_utf8 = false;
    std::vector<Line> m_lines;
};

// Reads and writes single keys of a profile file. The properties keep their values between calls.
class cINI final
{
public:
    QString cstrSection;
    QString cstrkey;
    QString cstrData;
    QString cstrPath;

    // The value of cstrkey in cstrSection of cstrPath (at most 1023 characters, without surrounding
    // blanks); "" when the file, the section or the key is missing.
    QString GetLineINI() const;
    // Writes cstrData as the value of cstrkey, creating the file, section or line as needed and
    // keeping every other line as it was. False when the file cannot be written; error then gets
    // the description.
    bool WriteIni(QString *error = nullptr) const;
};
