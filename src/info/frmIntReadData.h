#pragma once

// "株価データー取得": fetches the issue registration file (modes Registration and BeforeConversion) or
// the daily price files, and with "信用残も取得する" the margin files, of a date range (mode Prices)
// from the data server, then leads on to the import window in the same mode (not before a
// conversion: the import window that asked imports the file itself).

#include "import/ImportRun.h"
#include "info/DownloadWindow.h"

class QCheckBox;

class frmIntReadData final : public DownloadWindow
{
    Q_OBJECT

public:
    frmIntReadData(AppServices &services, importer::ImportMode mode, QWidget *parent = nullptr);

    QLabel *Label1;
    QLabel *Label2;
    QCheckBox *ChkShinyo;
    QPushButton *CmdInetRead;
    QLabel *Label3;
    QLabel *Label4;
    QLabel *Label5;

    // The mode the window was opened in.
    importer::ImportMode mode() const { return m_mode; }
    void Form_Activate();

protected:
    void showEvent(QShowEvent *event) override;

private:
    bool registrationMode() const;
    void CmdInetRead_Click();
    void downloadRegistration();
    void downloadPrices();
    // Closes this window and opens the import window in mode; its result becomes this window's.
    void openImport(importer::ImportMode mode, const QDate &first, const QDate &last, bool margin);

    const importer::ImportMode m_mode;
    bool m_activated = false;
};
