#pragma once

// The settings of Miravel.ini: the table of its keys, the application-wide variables they load into,
// and the window keys read one at a time (the file format itself is base/IniFile).

#include "base/Currency.h"
#include "base/IniFile.h"

#include <QString>
#include <QStringList>

#include <cstdint>
#include <variant>
#include <vector>

class Prompt;

namespace Settings {

// A text variable that names a folder: loading appends a missing trailing "\".
struct FolderText
{
    QString *text;
};

// The application-wide variable a key loads into; none for a key that a window keeps itself.
using SettingVariable = std::variant<std::monostate, std::int16_t *, float *, QString *, FolderText, Currency *>;

// One key of the settings file. Adding a key is one line in table().
struct SettingKey
{
    QString section;
    QString key;
    SettingVariable variable;
    QString initial; // the variable's value before the file is read (MainModule::reset)
    QString firstRun; // the value a new file gets; a folder starting with "\" lies in the program folder
    int readOrder; // ReadSettings loads the main keys in this order
};

// Every key, in file order.
const std::vector<SettingKey> &table();

// The main keys (those with a variable) in file order (ScreenMode first, ITORSO last).
QStringList mainKeys();
// Their first-run defaults, in the same order (hibiPath from the current program folder).
QStringList defaultValues();

// Writes the main keys' values (texts in mainKeys() order) and, when asked, the window keys with
// their first-run values, all in one write. Creates the file when missing. False when the file
// cannot be written, with the description in error.
bool WriteSettings(const QStringList &values, bool writeWindowKeys, QString *error = nullptr);
// One key's first-run value (a folder in the program folder made whole).
QString defaultValueOf(const SettingKey &setting);
// Loads the main keys into MainModule in their read order. A value that does not convert is put
// back to its default in the variable and the file, and the rest still load; the repaired values are
// reported once through prompt, and the result is false then.
bool ReadSettings(Prompt *prompt);
// Why text cannot be a main key's value (a number beyond its variable: "99999" for SaicoL); "" when it can.
QString conversionError(const QString &key, const QString &text);
// Writes the default settings when IniPath is missing, as the program's start does. False when it
// cannot be created, with the description in error.
bool ensureSettingsFile(QString *error = nullptr);
// The current MainModule values as texts in mainKeys() order.
QStringList currentValues();
// The current value of one main key as text; "" for another key.
QString currentValue(const QString &key);
// Sets every main key's variable to its initial value.
void resetVariables();

// The folder picker: the chosen folder, or currentFolder unchanged when cancelled.
QString BrowseForFolder(Prompt &prompt, const QString &currentFolder, const QString &title);

// The data server's default base address (DURL and MURL): host and path, without "http://",
// which the download and browser routines put in front.
QString defaultServerAddress();

// The quote site of the boards (key QURL): host and path without "http://"; read from the file,
// the default when the key is missing or empty (a settings file older than the key).
QString defaultQuoteAddress();
QString quoteAddress();

// Folder values (hibiPath, sinyoPath, BackPath, ...) are stored with "\" as the separator, as the
// settings file has always held them. File access goes through this: every "\" becomes "/",
// which Qt accepts on every platform ("C:\Kabu\Data\" -> "C:/Kabu/Data/").
QString folderPath(const QString &text);
// folderPath, with a relative folder taken from the program folder (as the import and Convt read
// "Data\\").
QString folderInProgramFolder(const QString &text);

// The converter's source as the settings hold it (key Source of section [Convt]).
QString converterSource();
// The API key of the exchange data service: the environment's JQUANTS_API_KEY before the setting
// JQuantsKey; empty when neither is set.
QString exchangeServiceKey();
// The converter fetches from the exchange data service for this source: "jquants", or no source
// at all while a key is set.
bool exchangeServiceIsSource(const QString &source);

// One key of section "Miravel" of IniPath, for the windows that keep their own keys
// (FilterGaku, JyohoHi, BackPath, boardA, ...): "" when missing.
QString settingsValue(const QString &key);
bool writeSettingsValue(const QString &key, const QString &value, QString *error = nullptr);

} // namespace Settings
