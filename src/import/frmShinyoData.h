#pragma once

#include <QDialog>

struct AppServices;

class frmShinyoData final : public QDialog
{
    Q_OBJECT

public:
    explicit frmShinyoData(AppServices &services, QWidget *parent = nullptr);

private:
    AppServices &m_services;
};
