#include "ui/MessageBoxPrompt.h"

#include "base/Settings.h"

#include <QDir>
#include <QFileDialog>
#include <QMessageBox>

namespace {

QMessageBox::Icon iconOf(PromptIcon icon)
{
    switch (icon) {
    case PromptIcon::Information:
        return QMessageBox::Information;
    case PromptIcon::Question:
        return QMessageBox::Question;
    case PromptIcon::Warning:
        return QMessageBox::Warning;
    case PromptIcon::Critical:
        return QMessageBox::Critical;
    case PromptIcon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

QString titleOrProgram(const QString &title)
{
    return title.isEmpty() ? QStringLiteral("ミラベル") : title;
}

} // namespace

bool MessageBoxPrompt::askYesNo(const QString &text, const QString &title, PromptIcon icon)
{
    QMessageBox box(iconOf(icon), titleOrProgram(title), text, QMessageBox::Yes | QMessageBox::No, m_owner);
    box.setDefaultButton(QMessageBox::Yes);
    return box.exec() == QMessageBox::Yes;
}

void MessageBoxPrompt::inform(const QString &text, const QString &title, PromptIcon icon)
{
    QMessageBox box(iconOf(icon), titleOrProgram(title), text, QMessageBox::Ok, m_owner);
    box.exec();
}

QString MessageBoxPrompt::qtFilter(const QString &filter)
{
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList out;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QString description = parts[i].trimmed();
        const qsizetype paren = description.indexOf(QLatin1Char('('));
        if (paren > 0)
            description = description.left(paren).trimmed();
        QStringList patterns = parts[i + 1].split(QLatin1Char(';'), Qt::SkipEmptyParts);
        for (QString &p : patterns) {
            p = p.trimmed();
            // On Windows "*.*" also matches names without an extension ("Regist" copies).
            if (p == QLatin1String("*.*"))
                p = QStringLiteral("*");
        }
        out.append(QStringLiteral("%1 (%2)").arg(description, patterns.join(QLatin1Char(' '))));
    }
    if (out.isEmpty() && !filter.isEmpty())
        out.append(filter);
    return out.join(QStringLiteral(";;"));
}

QString MessageBoxPrompt::pickOpenFile(const QString &filter, const QString &folder)
{
    return QDir::toNativeSeparators(
        QFileDialog::getOpenFileName(m_owner, QString(), Settings::folderPath(folder), qtFilter(filter)));
}

QString MessageBoxPrompt::pickSaveFile(const QString &filter, const QString &folder, const QString &proposedName)
{
    const QString start = QDir(Settings::folderPath(folder)).filePath(proposedName);
    // The caller asks about an existing file in the program's own words (and after adding an
    // extension the dialog never saw), so the dialog does not ask as well.
    return QDir::toNativeSeparators(QFileDialog::getSaveFileName(m_owner, QString(), start, qtFilter(filter), nullptr,
                                                                 QFileDialog::DontConfirmOverwrite));
}

QString MessageBoxPrompt::pickFolder(const QString &title, const QString &currentFolder)
{
    const QString chosen = QFileDialog::getExistingDirectory(m_owner, title, Settings::folderPath(currentFolder));
    return chosen.isEmpty() ? currentFolder : QDir::toNativeSeparators(chosen);
}
