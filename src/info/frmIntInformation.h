#pragma once

// "株式情報取得": downloads the rankings of a date range or the list of kinds from the data server.
// The outcome is handed back to the main window (resultMessage()).

#include "info/DownloadWindow.h"

class QFrame;

class frmIntInformation final : public DownloadWindow
{
    Q_OBJECT

public:
    explicit frmIntInformation(AppServices &services, QWidget *parent = nullptr);

    QLabel *Label2;
    QPushButton *CmdInetRead0; // "情報取込"
    QPushButton *CmdInetRead1; // "情報の種類取り込み"
    QLabel *Label5; // the progress bar's frame
    QFrame *ShapeBox; // grows inside Label5

    // Proposes the dates (runs when the window is first shown).
    void Form_Activate();

protected:
    void showEvent(QShowEvent *event) override;

private:
    void CmdInetRead_Click(int mode);
    void setBar(double fraction);

    bool m_activated = false;
};
