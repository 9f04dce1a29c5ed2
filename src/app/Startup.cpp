#include "app/Startup.h"

#include "base/MainModule.h"
#include "base/Ports.h"
#include "base/Settings.h"
#include "base/Version.h"
#include "db/Database.h"
#include "db/DatabaseFile.h"
#include "db/Schema.h"
#include "maint/Backup.h"
#include "maint/Compaction.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>

#include <optional>

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

QString InstanceLock::refusal() const
{
    if (!m_lock || m_lock->error() == QLockFile::LockFailedError)
        return alreadyRunningMessage();
    return QStringLiteral("ロックファイル %1 を作成できないため起動できません。").arg(QDir::toNativeSeparators(m_path));
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

const QString LeftUntouched = QStringLiteral("\nファイルには手を加えずに終了します。");

// An existing database must be ours, of a version this program knows, and writable; otherwise it
// is left exactly as it is. Opening it brings an older layout up to date.
bool openExistingDatabase(const QString &path, Prompt &prompt)
{
    const QString shown = QDir::toNativeSeparators(path);
    try {
        db::Database database(path);
        database.close();
        return true;
    } catch (const db::DbError &e) {
        switch (e.number()) {
        case db::ErrorNumber::UnrecognizedFormat:
            fail(prompt, QStringLiteral("%1 はミラベルのデータベースではないため使用できません。").arg(shown) + LeftUntouched);
            break;
        case db::ErrorNumber::NewerSchema:
            fail(prompt, QStringLiteral("%1 はこのミラベルより新しい版で作られているため使用できません。").arg(shown) + LeftUntouched);
            break;
        case db::ErrorNumber::FileInUse:
            fail(prompt, QStringLiteral("データベース %1 に書き込めません（読み取り専用です）。").arg(shown) + LeftUntouched);
            break;
        default:
            fail(prompt, e.description() + LeftUntouched);
        }
        return false;
    }
}

enum class DatabaseState
{
    Missing,
    Empty,
    Usable, // a database of this program, as far as its stamp tells
    Unusable
};

DatabaseState stateOf(const QString &path)
{
    const QFileInfo info(path);
    if (!info.exists())
        return DatabaseState::Missing;
    if (info.isFile() && info.size() == 0)
        return DatabaseState::Empty;
    return db::Database::isOwnDatabase(path) ? DatabaseState::Usable : DatabaseState::Unusable;
}

// A missing, empty or broken database beside a whole compaction backup is never replaced by a new
// empty one: the user is offered the backup. Nullopt when there is no such backup.
std::optional<bool> offerCompactionBackup(DatabaseState state, Prompt &prompt)
{
    const QString old = maint::OldDbPathOf(MainModule::DBPath);
    if (!QFileInfo::exists(old))
        return std::nullopt;
    const db::FileCheck backup = db::CheckDatabaseFile(old, db::CheckDepth::Quick);
    if (!backup.ok())
        return std::nullopt;
    const QString shown = QDir::toNativeSeparators(MainModule::DBPath);
    const QString what = state == DatabaseState::Missing ? QStringLiteral("データベース %1 が見つかりません。").arg(shown)
        : state == DatabaseState::Empty                  ? QStringLiteral("データベース %1 が空です。").arg(shown)
                                                         : QStringLiteral("データベース %1 は壊れているか、ミラベルのデータベースではありません。").arg(shown);
    const QString question =
        what
        + QStringLiteral("\n最適化のバックアップ %1（%2 保存）から復元しますか？\n\n「いいえ」のときはファイルに手を加えずに終了します。")
              .arg(QDir::toNativeSeparators(old), QFileInfo(old).lastModified().toString(QStringLiteral("yyyy/MM/dd hh:mm")));
    if (!prompt.askYesNo(question, programTitle(), PromptIcon::Question))
        return false;
    QString error;
    if (!maint::RestoreDatabase(old, MainModule::DBPath, &error)) {
        fail(prompt, error + LeftUntouched);
        return false;
    }
    prompt.inform(QStringLiteral("復元終了しました。"), programTitle(), PromptIcon::Information);
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

    const DatabaseState state = stateOf(MainModule::DBPath);
    bool restoredNow = false;
    if (state != DatabaseState::Usable) {
        if (const std::optional<bool> restored = offerCompactionBackup(state, prompt)) {
            if (!*restored)
                return result;
            restoredNow = result.restoredCompactionBackup = true;
        } else if (state == DatabaseState::Missing) {
            if (!db::CreateDatabaseFile(MainModule::DBPath, &prompt))
                return result;
            result.firstRun = true;
        }
    }
    if (!result.firstRun && !openExistingDatabase(MainModule::DBPath, prompt))
        return result;
    // The file a restore replaced is kept until a later start finds the restored database usable.
    if (!restoredNow)
        QFile::remove(maint::BeforeRestorePathOf(MainModule::DBPath));

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
