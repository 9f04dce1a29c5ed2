#include "app/Startup.h"

#include "base/MainModule.h"
#include "base/Ports.h"
#include "base/Settings.h"
#include "base/Version.h"
#include "db/Database.h"
#include "db/Schema.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QLockFile>

namespace Startup {

QString programTitle()
{
    return QStringLiteral("ミラベル");
}

QString alreadyRunningMessage()
{
    return QStringLiteral("ミラベルはすでに起動しています。");
}

InstanceLock::InstanceLock(const QString &programFolder)
    : m_path(lockFilePathFor(programFolder)) { }

InstanceLock::~InstanceLock() = default;

QString InstanceLock::lockFilePathFor(const QString &programFolder)
{
    const QString canonical = QFileInfo(programFolder).canonicalFilePath().isEmpty()
        ? QDir::cleanPath(QFileInfo(programFolder).absoluteFilePath())
        : QFileInfo(programFolder).canonicalFilePath();
    const QByteArray key = QCryptographicHash::hash(canonical.toUtf8(), QCryptographicHash::Sha1).toHex().left(16);
    return QDir(QDir::tempPath()).filePath(QStringLiteral("Miravel-%1.lock").arg(QString::fromLatin1(key)));
}

QString InstanceLock::lockFilePath() const
{
    return m_path;
}

bool InstanceLock::tryLock()
{
    if (m_lock && m_lock->isLocked())
        return true;
    m_lock = std::make_unique<QLockFile>(m_path);
    // Only a lock whose process is gone is stale; a running copy never loses its lock to age.
    m_lock->setStaleLockTime(0);
    return m_lock->tryLock(0);
}

namespace {

void fail(Prompt &prompt, const QString &text)
{
    prompt.inform(text, programTitle(), PromptIcon::Critical);
}

bool ensureFolder(const QString &path, Prompt &prompt)
{
    const QFileInfo info(path);
    if (info.isDir())
        return true;
    if (info.exists() || !QDir().mkdir(path)) {
        fail(prompt, QStringLiteral("フォルダ %1 を作成できません。\n終了します。").arg(QDir::toNativeSeparators(path)));
        return false;
    }
    return true;
}

// An existing database must be ours and writable; otherwise it is left exactly as it is.
bool checkExistingDatabase(const QString &path, Prompt &prompt)
{
    const QString shown = QDir::toNativeSeparators(path);
    const QFileInfo info(path);
    if (!info.isFile() || !db::Database::isOwnDatabase(path)) {
        fail(prompt, QStringLiteral("%1 はミラベルのデータベースではないため使用できません。\n"
                                    "ファイルには手を加えずに終了します。")
                         .arg(shown));
        return false;
    }
    if (!info.isWritable() || !QFileInfo(info.absolutePath()).isWritable()) {
        fail(prompt, QStringLiteral("データベース %1 に書き込めません（読み取り専用です）。\n"
                                    "ファイルには手を加えずに終了します。")
                         .arg(shown));
        return false;
    }
    return true;
}

} // namespace

Result prepareProgramFolder(const QString &programFolder, Prompt &prompt)
{
    Result result;
    MainModule::ListPicked = true;
    MainModule::setProgramFolder(programFolder);

    if (!ensureFolder(QDir(programFolder).filePath(QStringLiteral("Data")), prompt))
        return result;
    if (!ensureFolder(QDir(programFolder).filePath(QStringLiteral("htm")), prompt))
        return result;

    if (!QFileInfo::exists(MainModule::DBPath)) {
        if (!db::CreateDatabaseFile(MainModule::DBPath, &prompt))
            return result;
        result.firstRunMarker = QStringLiteral("3");
    } else if (!checkExistingDatabase(MainModule::DBPath, prompt)) {
        return result;
    }

    QString settingsError;
    if (!Settings::ensureSettingsFile(&settingsError)) {
        fail(prompt, settingsError + QStringLiteral("\n終了します。"));
        return result;
    }
    result.settingsLoaded = Settings::ReadSettings(&prompt);

    MainModule::PeriodMode = 1;
    MainModule::PriceTableName = QStringLiteral("daydata");
    result.ok = true;
    return result;
}

bool writeVersionKey(QString *error)
{
    return Settings::writeSettingsValue(QStringLiteral("Version"), versionText(), error);
}

} // namespace Startup
