#pragma once

#include <QDialog>

struct AppServices;

class frmReadData final : public QDialog
{
    Q_OBJECT

public:
    explicit frmReadData(AppServices &services, QWidget *parent = nullptr);

private:
    AppServices &m_services;
};
