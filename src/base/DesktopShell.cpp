#include "base/DesktopShell.h"

#include "base/Settings.h"

#include <QDesktopServices>
#include <QProcess>
#include <QRegularExpression>
#include <QUrl>

bool DesktopShell::open(const QString &pathOrUrl)
{
    if (pathOrUrl.isEmpty())
        return false;
    // "http://...", "https://...", "mailto:..." are addresses; everything else is a file path
    // (a drive letter "C:" is not a scheme).
    static const QRegularExpression scheme(QStringLiteral("^[A-Za-z][A-Za-z0-9+.-]+:"));
    if (scheme.match(pathOrUrl).hasMatch())
        return QDesktopServices::openUrl(QUrl(pathOrUrl, QUrl::TolerantMode));
    return QDesktopServices::openUrl(QUrl::fromLocalFile(Settings::folderPath(pathOrUrl)));
}

bool DesktopShell::start(const QString &program, const QStringList &arguments, const QString &workingFolder)
{
    return QProcess::startDetached(Settings::folderPath(program), arguments, Settings::folderPath(workingFolder));
}
