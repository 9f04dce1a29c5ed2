#pragma once

// "株価データー取得": fetches the issue registration file (MainTag "1" or "4") or the daily price files,
// and with "信用残も取得する" the margin files, of a date range (MainTag "2") from the data server,
// then leads on to the import window.

#include "info/DownloadWindow.h"

class QCheckBox;

class frmIntReadData final : public DownloadWindow
{
    Q_OBJECT

public:
    explicit frmIntReadData(AppServices &services, QWidget *parent = nullptr);

    QLabel *Label1;
    QLabel *Label2;
    QCheckBox *ChkShinyo;
    QPushButton *CmdInetRead;
    QLabel *Label3;
    QLabel *Label4;
    QLabel *Label5;

    // The request the window was opened with ("1", "2" or "4").
    const QString &mode() const { return m_mode; }
    void Form_Activate();

protected:
    void showEvent(QShowEvent *event) override;

private:
    bool registrationMode() const;
    void CmdInetRead_Click();
    void downloadRegistration();
    void downloadPrices();
    // Closes this window and opens the import window in the mode of MainTag.
    void openImport(const QDate &first, const QDate &last, bool margin);

    QString m_mode;
    bool m_activated = false;
};
