#include "BatchCommon.h"

#include "base/DateUtil.h"
#include "base/MainModule.h"
#include "base/Settings.h"
#include "db/Database.h"
#include "db/DatabaseFile.h"
#include "maint/Compaction.h"

#include <QFileInfo>
#include <QRegularExpression>

#include <cstdio>
#if defined(_WIN32)
#include <io.h>
#define isatty _isatty
#define fileno _fileno
#else
#include <unistd.h>
#endif

namespace batch {

void out(const QString &line)
{
    const QByteArray b = line.toUtf8();
    std::fwrite(b.constData(), 1, size_t(b.size()), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

void err(const QString &line)
{
    const QByteArray b = line.toUtf8();
    std::fwrite(b.constData(), 1, size_t(b.size()), stderr);
    std::fputc('\n', stderr);
    std::fflush(stderr);
}

bool openProgramFolder(const Context &context)
{
    MainModule::setProgramFolder(context.programFolder);
    // Beside a whole compaction backup, a missing or broken database is pointed to its restore.
    const QString old = maint::OldDbPathOf(MainModule::DBPath);
    const auto restoreHint = [&old] {
        return db::CheckDatabaseFile(old, db::CheckDepth::Quick).ok()
            ? QStringLiteral("\n最適化のバックアップ %1 から restore-old で復元できます。").arg(old)
            : QString();
    };
    if (!QFileInfo::exists(MainModule::DBPath)) {
        err(QStringLiteral("データベース %1 がありません。先に init を実行して下さい。").arg(MainModule::DBPath) + restoreHint());
        return false;
    }
    try {
        db::Database database(MainModule::DBPath); // checks the stamp and brings an older layout up to date
        database.close();
    } catch (const db::DbError &e) {
        err(e.description() + (e.number() == db::ErrorNumber::UnrecognizedFormat ? restoreHint() : QString()));
        return false;
    }
    QString settingsError;
    if (!Settings::ensureSettingsFile(&settingsError)) {
        err(settingsError);
        return false;
    }
    TerminalPrompt prompt;
    Settings::ReadSettings(&prompt);
    return true;
}

QDate parseDateArgument(const QString &text)
{
    static const QRegularExpression iso(QStringLiteral("^\\d{4}-\\d{2}-\\d{2}$"));
    static const QRegularExpression yy(QStringLiteral("^\\d{2}/\\d{2}/\\d{2}$"));
    if (iso.match(text).hasMatch() || yy.match(text).hasMatch())
        return DateUtil::parseDate(text);
    return {};
}

bool TerminalPrompt::askYesNo(const QString &, const QString &, PromptIcon)
{
    return true;
}

void TerminalPrompt::inform(const QString &text, const QString &, PromptIcon)
{
    messages.append(text);
    err(text);
}

TerminalProgress::TerminalProgress()
    : m_tty(isatty(fileno(stderr)) != 0) { }

TerminalProgress::~TerminalProgress()
{
    if (m_tty && !m_phase.isEmpty())
        std::fputc('\n', stderr);
}

void TerminalProgress::setPhase(const QString &text)
{
    m_phase = text;
    redraw();
}

void TerminalProgress::setPercent(const QString &text)
{
    m_percent = text;
    redraw();
}

void TerminalProgress::redraw()
{
    if (!m_tty)
        return;
    const int pct = qBound(0, m_percent.toInt(), 100);
    const int filled = pct / 5;
    const QString bar = QString(filled, QLatin1Char('#')) + QString(20 - filled, QLatin1Char('.'));
    const QByteArray line = QStringLiteral("\r[%1] %2% %3\x1b[K").arg(bar).arg(pct, 3).arg(m_phase).toUtf8();
    std::fwrite(line.constData(), 1, size_t(line.size()), stderr);
    std::fflush(stderr);
}

} // namespace batch
