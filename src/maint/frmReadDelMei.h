#pragma once

#include <QDialog>

struct AppServices;

class frmReadDelMei final : public QDialog
{
    Q_OBJECT

public:
    explicit frmReadDelMei(AppServices &services, QWidget *parent = nullptr);

private:
    AppServices &m_services;
};
