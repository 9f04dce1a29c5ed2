#pragma once

// The window Convt shows while it fetches from the price service for the import window: what is
// fetched, days done of days to do and the time left; 中止 or Escape stops after the current day.
// At the end it shows what was written and left out, and 閉じる ends Convt.

#include <QDialog>

#include <functional>

class QLabel;
class QPlainTextEdit;
class QPushButton;

class ConvertWindow final : public QDialog
{
    Q_OBJECT

public:
    // work runs once the window is shown; it reports through showProgress and asks stopRequested().
    explicit ConvertWindow(std::function<void(ConvertWindow &)> work);

    void showProgress(const QString &text);
    void showEnd(const QString &headline, const QStringList &lines);
    bool stopRequested() const { return m_stopRequested; }

    QLabel *LabFileName;
    QLabel *LabPa;
    QPlainTextEdit *TxtResult;
    QPushButton *CmdStop;

protected:
    void reject() override; // Escape and the close box
    void showEvent(QShowEvent *event) override;

private:
    void stop();

    std::function<void(ConvertWindow &)> m_work;
    bool m_started = false;
    bool m_running = false;
    bool m_stopRequested = false;
};
