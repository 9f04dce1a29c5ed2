#pragma once

// The program's one long-lived window: the chart of the issue in MeiCode ending at chartDate, the
// issue list and search, the price list and value labels, the menus and toolbar, the slide show,
// the flashing while minimised, and the closing sequence with the optional compaction. Every other
// window is opened from here, modally, by the commands of the table the window is built from.

#include "chart/ChartPainter.h"
#include "chart/ChartSeries.h"
#include "ui/CommandTable.h"

#include <QHash>
#include <QMainWindow>

class QAction;
class QCheckBox;
class QKeyEvent;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QScrollBar;
class QTimer;
class QToolBar;
class ChartView;
struct AppServices;

// How the program came to show the main window: FirstRun when start-up created the database, so
// that the first activation runs the first-run hooks of the command table.
enum class MainWindowStart
{
    Ordinary,
    FirstRun
};

class frmMain final : public QMainWindow, public ui::MainWindowAccess
{
    Q_OBJECT

public:
    frmMain(AppServices &services, ui::CommandTable commands, MainWindowStart start = MainWindowStart::Ordinary,
            QWidget *parent = nullptr);
    ~frmMain() override;

    // Controls.
    QLabel *Label1;
    QLineEdit *MeiCode;
    QLabel *LblMei;
    QLabel *Lblshijyo;
    QPushButton *CmdFind;
    QListWidget *ListMei;
    QListWidget *KabukaList;
    QLabel *Label24;
    QLineEdit *chartDate;
    QScrollBar *HScroll;
    QPushButton *Cmdchange;
    QPushButton *CmdSRLRSI;
    QPushButton *Cmdidoheikin;
    QCheckBox *Chkdekidaka;
    QCheckBox *Chknijikyokusenn;
    QCheckBox *Chkbunkatsu; // "分割調整": the chart adjusted for splits
    QToolBar *Toolbar;
    QTimer *chartTimer;
    QTimer *blinkTimer;
    ChartView *chartView;

    // Value labels.
    QLabel *LblDate;
    QLabel *Lblowarine;
    QLabel *Lbltanidoheikn;
    QLabel *Lbltyuidoheikn;
    QLabel *Lbltyoidoheikn;
    QLabel *Lbltankairi;
    QLabel *Lbltyukairi;
    QLabel *Lbltyokairi;
    QLabel *LblSRL;
    QLabel *LblRSI;
    QLabel *LblVR;
    QLabel *Lblsaitakane;
    QLabel *Lblsaiyasune;

    // Menu items start-up sets (the others are found by name, see command()).
    QAction *mnuchartdayandweek;
    QAction *mnuchartslideshow;
    QAction *mnuoption;
    QAction *mnuEnd;

    // A menu item or toolbar button by its name or key; null when there is none.
    QAction *command(const QString &name) const;

    // Navigation (the chart of the issue in MeiCode).
    // Looks the issue of the code box up again: its market and name go into the labels, the list
    // selects it (unless the user picked it there), and its chart is loaded up to chartDate and drawn.
    // False when the code box holds no registered issue: nothing was loaded.
    bool reloadIssue();
    void DrawChart(bool fillList);
    void ListIssuesByCode(const QString &prefix);

    // ui::MainWindowAccess.
    QString issueCode() const override;
    QString issueMarket() const override;
    QString issueName() const override;
    void settingsChanged() override;
    QStringList listEntries() const override;
    int selectedListRow() const override;
    void selectListRow(int row) override;
    void replaceIssueList(const QStringList &entries) override;
    void showList(const std::vector<ui::ListedIssue> &issues) override;
    void rebuildList() override;
    void removeSelectedFromList() override;
    void showIssue(const QString &code) override;
    void showSelectedIssue() override;
    bool codeBoxHasFocus() const override;
    void findIssue(QWidget *window, QLineEdit *codeBox) override;
    void switchPeriod() override;
    void toggleSlideShow() override;
    bool pauseSlideShow() override;
    void resumeSlideShow(bool running) override;
    void showIssueList(const QStringList &entries) override;
    void requestFlash() override { BlinkRequest = true; }
    void storedDataChanged() override;

    // Window state the routines share.
    bool ListRefreshSuppressed = false;
    bool BlinkRequest = false;
    int LastScrollValue = chart::ScrollMaximum;

    const chart::ChartSeries &series() const { return m_series; }
    const chart::ScrollCalibration &scrollCalibration() const { return m_scroll; }
    const chart::ChartDisplayOptions &displayOptions() const { return m_options; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    // frmMain.cpp: window, navigation, list.
    void createControls();
    void createValueLabels(QWidget *parent);
    void Form_Load();
    void Form_Activate();
    void Form_Resize();
    void MeiCode_Change();
    void chartDate_Change();
    void HScroll_Change(int value);
    // Moves the scroll bar to the date typed into chartDate (not when the scroll bar set it).
    void scrollToChartDate();
    void KabukaList_Click(int row);
    void chartView_MouseDown(int x, int y);
    void ListMei_DblClick();
    void CmdFind_Click();
    void Cmdchange_Click();
    void CmdSRLRSI_Click();
    void Cmdidoheikin_Click();
    void Chkdekidaka_Click();
    void Chknijikyokusenn_Click();
    void stepList(int direction);
    void setChartDateText(const QString &text);
    void setScrollValue(int value);
    void clearValueLabels();
    // Replaces the list's entries, each with its text as tooltip; selects nothing.
    void setListEntries(const QStringList &entries);
    // Empties the chart, the price list and the value labels: no chart stands beside a name that
    // is not its own.
    void clearChart();
    void reportError(const QString &text);

    // frmMainCommands.cpp: menus, toolbar, slide show, flashing, closing.
    void createMenus();
    void createToolbar();
    void connectCommand(QAction *action, const ui::Command &command);
    // The key (with Ctrl, Alt or Meta) is the shortcut of an enabled menu item.
    bool isMenuKey(const QKeyEvent &key) const;
    void runHooks(const std::vector<ui::CommandHandler> &hooks);
    void chartTimer_Timer();
    void blinkTimer_Timer();
    void updateSlideShowCaption();

    AppServices &m_services;
    ui::CommandTable m_table;
    chart::ChartSeries m_series;
    chart::IndicatorSettings m_seriesSettings; // the periods m_series was computed with
    chart::ScrollCalibration m_scroll;
    chart::ChartDisplayOptions m_options;
    QHash<QString, QAction *> m_commands;
    QWidget *m_panel = nullptr;
    bool m_settingScroll = false;
    bool m_dateFromScroll = false; // chartDate is being set by the scroll bar
    bool m_settingCode = false;
    bool m_showingStoredDataAgain = false; // storedDataChanged() is at work
    bool m_firstActivation = true;
    MainWindowStart m_start;
};
