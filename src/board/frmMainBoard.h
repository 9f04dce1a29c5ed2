#pragma once

// The main window's board commands: show a board, register or delete the current issue, list a
// board into the issue list, save and load board files, and move the listed issue to the other
// board. The main window hands over the controls these act on.

#include "board/frmKabukaboard.h"

#include <QObject>
#include <QStringList>

#include <functional>

class QAction;
class QLabel;
class QLineEdit;
class QListWidget;
class QTimer;
class QWidget;
struct AppServices;

class frmMainBoard final : public QObject
{
    Q_OBJECT

public:
    struct Parts
    {
        QWidget *window = nullptr;
        QLineEdit *MeiCode = nullptr;
        QLabel *LblMei = nullptr;
        QLabel *Lblshijyo = nullptr;
        QListWidget *ListMei = nullptr;
        QTimer *chartTimer = nullptr;
        std::function<void()> chartTimerChanged;          // the slide show caption follows the timer
        std::function<void()> rebuildIssueList;           // the main window's listing by code
        std::function<void(const QString &code)> showIssue; // MeiCode set, the list left as it is
        frmKabukaboard::Hooks boardHooks;
    };

    frmMainBoard(AppServices &services, Parts parts, QObject *parent = nullptr);

    // Connects the board menu items and toolbar buttons, found by name.
    void connectCommands(const std::function<QAction *(const QString &)> &command);

    void ShowBoard(int kind);
    void RegisterOnBoard(int kind);
    void DeleteFromBoard(int kind);
    void ListBoard(int kind);
    void SaveBoard(int kind);
    void LoadBoard(int kind);
    void MoveListedIssue(int fromKind);

private:
    // Rebuilds the issue list: the board again when the list still shows it, else by code.
    void rebuildList();

    AppServices &m_services;
    Parts m_parts;
    int m_listedKind = 0;
    QStringList m_listedEntries;
};
