#pragma once

// The Prompt port on the desktop: message boxes and the file and folder dialogs.

#include "base/Ports.h"

#include <QPointer>
#include <QWidget>

class MessageBoxPrompt final : public Prompt
{
public:
    explicit MessageBoxPrompt(QWidget *owner = nullptr)
        : m_owner(owner) { }
    void setOwner(QWidget *owner) { m_owner = owner; }

    bool askYesNo(const QString &text, const QString &title, PromptIcon icon) override;
    void inform(const QString &text, const QString &title, PromptIcon icon) override;
    QString pickOpenFile(const QString &filter, const QString &folder) override;
    QString pickSaveFile(const QString &filter, const QString &folder, const QString &proposedName) override;
    QString pickFolder(const QString &title, const QString &currentFolder) override;

    // "説明(*.ext)|*.ext|説明2(*.a;*.b)|*.a;*.b" -> "説明 (*.ext);;説明2 (*.a *.b)".
    static QString qtFilter(const QString &filter);

private:
    QPointer<QWidget> m_owner;
};
