#pragma once

// The borderless start picture. Its one-shot Timer (1000 ms) shows the main window and closes the
// splash.

#include <QWidget>

class QTimer;

class frmSplash final : public QWidget
{
    Q_OBJECT

public:
    explicit frmSplash(QWidget &mainWindow, QWidget *parent = nullptr);

    QTimer *Timer;

Q_SIGNALS:
    // The timer fired; the steps that show the main window follow.
    void timerFired();
    // The main window is shown (after the timer's steps).
    void mainWindowShown();

protected:
    void paintEvent(QPaintEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void Form_Load();
    void Timer_Timer();

    QWidget &m_main;
};
