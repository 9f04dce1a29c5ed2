#pragma once

// The period controls of the weekly build and margin windows: the two date boxes with their weekday
// labels, the Monday/Friday stepping buttons with their direction choice, the cancel button and the
// percentage label. Each window adds its own run button and bottom row.

#include "import/ImportWindowLogic.h"

#include <QDialog>

#include <optional>

class QGridLayout;
class QGroupBox;
class QHBoxLayout;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
struct AppServices;

class WeekPeriodWindow : public QDialog
{
    Q_OBJECT

public:
    ~WeekPeriodWindow() override;

    QLabel *Label2;
    QLineEdit *ReadDateji;
    QLabel *LabReadDateji;
    QLabel *Lbl3;
    QLineEdit *ReadDateitaru;
    QLabel *LabReadDateitaru;
    QGroupBox *Frame1;
    QRadioButton *Option1;
    QRadioButton *Option2;
    QPushButton *CmdStartDate;
    QPushButton *CmdEndDate;
    QPushButton *CmdClose;
    QLabel *LabPa;
    QLabel *Label1;

protected:
    WeekPeriodWindow(AppServices &services, const char *objectName, const QString &title, QWidget *parent);

    // Puts the period rows above the window's bottom row, makes the boxes date boxes, wires the
    // stepping and cancel buttons and shows the opening period. Called last by the window.
    void completeWindow(QHBoxLayout *bottom);

    // The typed period when it passes the checks of a Monday-to-Friday period; otherwise the failure
    // is shown, the focus moved to its box, and nothing is returned.
    std::optional<importer::WeekPeriod> checkedPeriod();

    // True while the stepping buttons do nothing.
    virtual bool refusesSteps() const { return false; }

    AppServices &m_services;

private:
    void CmdStartDate_Click();
    void CmdEndDate_Click();

    QGridLayout *m_dates;
};
