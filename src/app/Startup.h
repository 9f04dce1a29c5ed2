#pragma once

// Start-up without a window: the single-instance lock, the program folder's folders, database and
// settings, and the version key. The desktop program and `miravel-batch init` share it.

#include <QString>

#include <memory>

class Prompt;
class QLockFile;

namespace Startup {

// The program's title, used on start-up messages.
QString programTitle(); // "ミラベル"
// "ミラベルはすでに起動しています。"
QString alreadyRunningMessage();

// Refuses a second running copy on the same program folder. The lock file lies in the system's
// temporary folder under a name derived from the program folder (a read-only program folder still
// locks); a lock left by a copy that crashed is recognised by its dead process and taken over.
class InstanceLock final
{
public:
    explicit InstanceLock(const QString &programFolder);
    ~InstanceLock();
    InstanceLock(const InstanceLock &) = delete;
    InstanceLock &operator=(const InstanceLock &) = delete;

    // True when this copy holds the lock now.
    bool tryLock();
    // After a failed tryLock(): the message to show. "ミラベルはすでに起動しています。" when another
    // copy holds the lock, else why the lock file could not be made.
    QString refusal() const;
    QString lockFilePath() const;
    static QString lockFilePathFor(const QString &programFolder);

private:
    std::unique_ptr<QLockFile> m_lock;
    QString m_path;
};

struct Result
{
    bool ok = false; // false: a message was shown, the program ends
    bool settingsLoaded = false; // ReadSettings converted every key
    bool firstRun = false; // the database was created in this run
    bool restoredCompactionBackup = false; // the database was missing or broken and the backup was put back
};

// Prepares a program folder for a run: ListPicked, the paths, the "Data" and "htm" folders, the database (created when
// missing; a file that is not this program's database or that cannot be written ends start-up
// without being touched), the default settings when the settings file is missing, ReadSettings,
// PeriodMode 1 and "daydata". Messages go through prompt.
Result prepareProgramFolder(const QString &programFolder, Prompt &prompt);

// Records this version in the key "Version" of section "Miravel". False when the settings file cannot
// be written, with the description in error.
bool writeVersionKey(QString *error = nullptr);

} // namespace Startup
