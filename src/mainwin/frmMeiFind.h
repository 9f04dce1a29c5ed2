#pragma once

// "銘柄検索": finds issues by a part of their name. The chosen issue's code lands in the caller's
// code box (the text box that has the focus once the window has closed).

#include <QDialog>

class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
struct AppServices;

class frmMeiFind final : public QDialog
{
    Q_OBJECT

public:
    explicit frmMeiFind(AppServices &services, QWidget *parent = nullptr);

    // Shows the window modally; a chosen entry's first 4 characters go into the text box that has
    // the focus afterwards, or into callerBox when no text box of the caller's window has it.
    // Returns the chosen entry ("" when none).
    static QString choose(AppServices &services, QWidget *parent, QLineEdit *callerBox);

    // The entry chosen when the window closed ("" when none).
    const QString &choice() const { return m_choice; }

    QLabel *Label1;
    QLineEdit *txtFind;
    QListWidget *ListMei;
    QPushButton *Cmddecision;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void txtFind_Change();
    void Cmddecision_Click();

    AppServices &m_services;
    QString m_choice;
};
