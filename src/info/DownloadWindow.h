#pragma once

// What the two download windows share: the date boxes with their stepping buttons, the status line,
// the busy state, the close button that asks before stopping a transfer, and the light colours.

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;
struct AppServices;

class DownloadWindow : public QDialog
{
    Q_OBJECT

public:
    DownloadWindow(AppServices &services, const char *objectName, QWidget *parent);
    ~DownloadWindow() override;

    QLineEdit *ReadDateji;
    QLineEdit *ReadDateitaru;
    QLabel *LabReadDateji; // weekday of the first date
    QLabel *LabReadDateitaru; // weekday of the last date
    QPushButton *CmdJiDu;
    QPushButton *CmdJiUp;
    QPushButton *CmditarDu;
    QPushButton *CmditarUp;
    QLabel *LblText;
    QPushButton *CmdClose;

    // True once the user confirmed a download; the window then asks before it closes.
    bool Busy = false;

    // The outcome the caller shows once the window has closed; empty when there is nothing to tell
    // (closed before anything started, or stopped by the user).
    const QString &resultMessage() const { return m_resultMessage; }

    // Every way of closing ends here (close button, Escape, the window's own close).
    void done(int result) override;

protected:
    // Pale red while waiting, pale green once a download runs.
    void setBackground(bool downloading);
    // The user confirmed: busy, green, status repainted.
    void markBusy();
    // Set when the user stopped a running download; the routine reads it.
    const bool *cancelFlag() const { return &m_cancelled; }
    // Closes without asking (the download finished), handing message back to the caller.
    void closeFinished(const QString &message);
    QDate today() const;

    AppServices &m_services;
    QString m_resultMessage;

private:
    void stepDate(QLineEdit *box, int days);

    bool m_cancelled = false;
    bool m_closing = false;
};
