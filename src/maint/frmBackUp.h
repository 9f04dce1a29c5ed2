#pragma once

// "ﾊﾞｯｸｱｯﾌﾟ": copies the database to a folder of the user's choice, restores it from there, or
// restores the copy kept by the last compaction.

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;
struct AppServices;

class frmBackUp final : public QDialog
{
    Q_OBJECT

public:
    explicit frmBackUp(AppServices &services, QWidget *parent = nullptr);

    QLabel *Label5;
    QLineEdit *txtbackuppath;
    QPushButton *CmdPath;
    QPushButton *Cmdbackup;
    QLabel *Label2;
    QPushButton *CmdRebackup;
    QLabel *Label3;
    QPushButton *CmdoladmdbRebackup;
    QLabel *Label4;

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void Form_Load();
    void CmdPath_Click();
    void Cmdbackup_Click();
    void CmdRebackup_Click();
    void CmdoladmdbRebackup_Click();
    void Form_Unload();

    AppServices &m_services;
    bool m_unloaded = false;
};
