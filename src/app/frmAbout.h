#pragma once

// The version box: the program's name and version and the libraries it uses with their licences.

#include <QDialog>

class QLabel;
class QPushButton;
class QTextBrowser;

class frmAbout final : public QDialog
{
    Q_OBJECT

public:
    explicit frmAbout(QWidget *parent = nullptr);

    QLabel *LblTitle;
    QLabel *LblVersion;
    QTextBrowser *TxtLicences;
    QPushButton *CmdOK;

protected:
    void paintEvent(QPaintEvent *event) override;
};
