#pragma once

// The main window as start-up needs it: the top-level menus, the two menu items whose captions
// start-up sets, the options and end items, and an empty chart area. The full window replaces it.

#include <QMainWindow>

class QAction;
struct AppServices;

class frmMain final : public QMainWindow
{
    Q_OBJECT

public:
    explicit frmMain(AppServices &services, QWidget *parent = nullptr);

    // The window's message slot (MainModule::MainTag).
    QString &mainTag();

    QAction *mnuchartdayandweek;
    QAction *mnuchartslideshow;
    QAction *mnuoption;
    QAction *mnuEnd;
    QWidget *chartArea;

private:
    void Form_Load();
    void mnuchartdayandweek_Click();
    void mnuoption_Click();

    AppServices &m_services;
};
