#include "app/HelpFiles.h"

#include "base/MainModule.h"
#include "base/Ports.h"
#include "base/ProgramLocation.h"

#include <QDir>
#include <QFileInfo>

namespace HelpFiles {

QString missingMessage()
{
    return QStringLiteral("ヘルプファイルをダウンロードして下さい。");
}

QString pagePath(const QString &page)
{
    return pagePathIn(ProgramLocation::shippedFile(QStringLiteral("help")), page);
}

QString pagePathIn(const QString &helpFolder, const QString &page)
{
    const QString shipped = QDir(helpFolder).filePath(page);
    if (QFileInfo(shipped).isFile())
        return QDir::toNativeSeparators(shipped);
    if (page == IndexPage && !MainModule::ProgramFolder.isEmpty()) {
        const QString own = QDir(MainModule::ProgramFolder).filePath(QStringLiteral("htm/index.htm"));
        if (QFileInfo(own).isFile())
            return QDir::toNativeSeparators(own);
    }
    return {};
}

void openPage(const QString &page, Shell *shell, Prompt &prompt)
{
    const QString path = pagePath(page);
    if (path.isEmpty()) {
        prompt.inform(missingMessage(), QString(), PromptIcon::Information);
        return;
    }
    if (!shell || !shell->open(path))
        prompt.inform(QStringLiteral("ヘルプ %1 をブラウザーで開けませんでした。").arg(path), QString(), PromptIcon::Warning);
}

} // namespace HelpFiles
