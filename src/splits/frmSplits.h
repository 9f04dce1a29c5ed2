#pragma once

// "分割・併合": the split and reverse-split events of one issue (the one shown in the main window),
// to see, add and remove them, read a file of events, and take a day the prices suggest.

#include "ui/IssueEntry.h"

#include <QDialog>

class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QTableWidget;
struct AppServices;

class frmSplits final : public QDialog
{
    Q_OBJECT

public:
    frmSplits(AppServices &services, const ui::IssueRef &issue, QWidget *parent = nullptr);

    QLabel *LblMei;
    QTableWidget *GridEvents; // 日付, 分割比率
    QLineEdit *TxtDate;
    QLineEdit *TxtRatio;
    QPushButton *CmdAdd;
    QPushButton *CmdRemove;
    QPushButton *CmdImport;
    QPushButton *CmdSuggest;
    QListWidget *ListSuggest; // the suggested days; a double click copies one into the boxes
    QPushButton *CmdClose;

    // Whether an event was stored or removed (the chart on show is then loaded again).
    bool changed() const { return m_changed; }

private:
    void refresh();
    void CmdAdd_Click();
    void CmdRemove_Click();
    void CmdImport_Click();
    void CmdSuggest_Click();
    void ListSuggest_DblClick();
    void inform(const QString &text);

    AppServices &m_services;
    int m_code = 0;
    bool m_changed = false;
};
