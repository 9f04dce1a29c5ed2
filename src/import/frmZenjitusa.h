#pragma once

#include <QDialog>

struct AppServices;

class frmZenjitusa final : public QDialog
{
    Q_OBJECT

public:
    explicit frmZenjitusa(AppServices &services, QWidget *parent = nullptr);

private:
    AppServices &m_services;
};
