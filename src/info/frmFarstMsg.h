#pragma once

// "銘柄登録": shown once, on the first start; its button leads to the registration download.

#include <QDialog>

class QLabel;
class QPushButton;
struct AppServices;

class frmFarstMsg final : public QDialog
{
    Q_OBJECT

public:
    explicit frmFarstMsg(AppServices &services, QWidget *parent = nullptr);

    QLabel *Label1;
    QLabel *Label2;
    QLabel *Label3;
    QPushButton *cmdFirstKido;

private:
    void cmdFirstKido_Click();

    AppServices &m_services;
};
