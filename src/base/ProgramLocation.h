#pragma once

// Where a program keeps its data (the program folder) and where the files shipped with it lie.
// Every program (the window, miravel-batch, Convt) uses the same rule:
//   --folder DIR, else MIRAVEL_HOME, else the executable's folder when it is writable or holds a
//   Miravel.ini (portable use), else the user's data folder ($XDG_DATA_HOME/miravel,
//   %LOCALAPPDATA%\Miravel).
// An executable in an installed layout (a "bin" folder beside "share/miravel") is never portable
// without a Miravel.ini, so a copy run with administrator rights keeps nothing in /usr/bin.

#include <QString>
#include <QStringList>

namespace ProgramLocation {

enum class Origin
{
    Option, // --folder
    Environment, // MIRAVEL_HOME
    Portable, // the executable's folder
    UserData // the user's data folder
};

struct Choice
{
    QString folder; // absolute, native separators
    Origin origin = Origin::Portable;
};

// What the rule is given, so that it can be decided without touching the real system.
struct Inputs
{
    QString optionFolder; // --folder; empty when not given
    QString environmentFolder; // MIRAVEL_HOME; empty when unset
    QString executableFolder;
    QString userDataFolder; // the platform's per-user data folder for the program
};

Choice choose(const Inputs &inputs);

// The inputs of this process: MIRAVEL_HOME, the executable's folder, the user's data folder.
Inputs inputsOfThisProcess(const QString &optionFolder = QString());

// $XDG_DATA_HOME/miravel (~/.local/share/miravel when unset); %LOCALAPPDATA%\Miravel on Windows.
QString userDataFolder();

// True when the folder is an installed layout: "bin" with "../share/miravel" beside it.
bool isInstalledLayout(const QString &executableFolder);

// Creates the chosen folder when it is missing. False with a Japanese description otherwise.
bool ensureFolder(const Choice &choice, QString *error);

// "プログラムフォルダ: /home/u/.local/share/miravel（ユーザーデータフォルダ）", for the version
// window and `--version`.
QString describe(const Choice &choice);

// The folder of the files shipped with the program (infodata, help/, Convt): the executable's folder
// in a build or a portable copy, <prefix>/share/miravel in an installed layout. For Convt the
// executable's folder is always the one.
QString shippedFolder();
// A file shipped with the program: the shipped folder first, then the executable's folder.
QString shippedFile(const QString &name);

// Takes "--folder DIR" out of the arguments (anywhere before a "--"); empty when absent. False when
// "--folder" has no value.
bool takeFolderOption(QStringList &arguments, QString *folder);

} // namespace ProgramLocation
