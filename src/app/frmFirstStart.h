#pragma once

// The first start: where the prices come from (the exchange data service, a data server, a folder
// of CSV files, the demo data), then registration, three months of prices and weekly rows, so that
// the main window can show a chart.

#include "app/FirstStart.h"

#include <QDialog>

struct AppServices;
class QButtonGroup;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

class frmFirstStart final : public QDialog
{
    Q_OBJECT

public:
    frmFirstStart(AppServices &services, QWidget *parent = nullptr);

    // The outcome of the chosen way; !ok when the user closed the window or a step failed.
    const FirstStart::Outcome &outcome() const { return m_outcome; }
    const FirstStart::Range &range() const { return m_range; }
    // Closing is refused while a step runs.
    void reject() override;

    QLabel *Label1;
    QLabel *Label2;
    QLabel *Label3;
    QRadioButton *OptExchange;
    QLineEdit *TxtExchangeKey;
    QComboBox *CboExchangePlan;
    QRadioButton *OptServer;
    QLineEdit *TxtServer;
    QPushButton *CmdServerTest;
    QRadioButton *OptCsv;
    QLineEdit *TxtCsvFolder;
    QPushButton *CmdCsvFolder;
    QRadioButton *OptDemo;
    QLabel *LblRange;
    QLabel *LblStatus;
    QPushButton *CmdHelp;
    QPushButton *CmdLater;
    QPushButton *cmdFirstKido;

private:
    void cmdFirstKido_Click();
    void testServer();
    FirstStart::Outcome runChoice();
    void setStatus(const QString &text);
    // The range line for the source chosen: on the exchange service's Free plan, the months it gives.
    void showRange();

    AppServices &m_services;
    QButtonGroup *m_choices;
    QGroupBox *m_sources;
    QDate m_today;
    FirstStart::Range m_range;
    FirstStart::Outcome m_outcome;
    bool m_busy = false;
    bool m_stopRequested = false; // Escape during a fetch of the exchange data service
};
