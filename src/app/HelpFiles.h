#pragma once

// The Japanese help shipped with the program: help/ beside the executable in a build or a portable
// copy, <prefix>/share/miravel/help in an installed one.

#include <QString>

class Prompt;
class Shell;

namespace HelpFiles {

// "ヘルプファイルをダウンロードして下さい。"
QString missingMessage();

// The help's pages.
inline const QString IndexPage = QStringLiteral("index.html");
inline const QString StartPage = QStringLiteral("start.html");
inline const QString SourcesPage = QStringLiteral("sources.html");

// The file of a page; empty when the help is not there. The program folder's "htm/index.htm", where a
// user may keep a help of their own, is kept for the index page.
QString pagePath(const QString &page);
// The same with the shipped help in helpFolder.
QString pagePathIn(const QString &helpFolder, const QString &page);

// Opens a page in the browser, or tells the missing-help message.
void openPage(const QString &page, Shell *shell, Prompt &prompt);

} // namespace HelpFiles
