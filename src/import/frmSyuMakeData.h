#pragma once

#include <QDialog>

struct AppServices;

class frmSyuMakeData final : public QDialog
{
    Q_OBJECT

public:
    explicit frmSyuMakeData(AppServices &services, QWidget *parent = nullptr);

private:
    AppServices &m_services;
};
