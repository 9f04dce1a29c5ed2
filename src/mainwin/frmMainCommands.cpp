// The main window's menus and toolbar, built from the command table, the slide show, the
// flashing while minimised, and the closing sequence.

#include "mainwin/frmMain.h"

#include "base/BusyGuard.h"
#include "base/MainModule.h"
#include "chart/Navigation.h"
#include "db/Database.h"
#include "mainwin/IssueList.h"
#include "mainwin/frmMeiFind.h"
#include "ui/IssueEntry.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>

void frmMain::connectCommand(QAction *action, const ui::Command &command)
{
    m_commands.insert(command.name, action);
    if (!command.handler)
        return;
    connect(action, &QAction::triggered, this, [this, handler = command.handler] {
        ui::CommandContext context{*this, m_services, *this};
        handler(context);
    });
}

void frmMain::createMenus()
{
    QMenuBar *bar = menuBar();
    for (const ui::Menu &menuSpec : m_table.menus()) {
        QMenu *menu = bar->addMenu(menuSpec.caption);
        menu->setObjectName(menuSpec.name);
        menu->setToolTipsVisible(true);
        for (const ui::MenuEntry &entry : menuSpec.items) {
            const ui::Command &command = entry.command;
            if (command.separatorBefore && !menu->isEmpty())
                menu->addSeparator();
            QAction *action = menu->addAction(command.caption);
            action->setObjectName(command.name);
            if (!command.shortcut.isEmpty()) {
                action->setShortcut(QKeySequence(command.shortcut));
                action->setShortcutContext(Qt::WindowShortcut);
            }
            if (!command.handler) {
                action->setEnabled(false);
                action->setToolTip(ui::notAvailableText());
                action->setStatusTip(ui::notAvailableText());
            }
            connectCommand(action, command);
        }
    }
    mnuchartdayandweek = m_commands.value(QStringLiteral("mnuchartdayandweek"));
    mnuchartslideshow = m_commands.value(QStringLiteral("mnuchartslideshow"));
    mnuoption = m_commands.value(QStringLiteral("mnuoption"));
    mnuEnd = m_commands.value(QStringLiteral("mnuEnd"));
    statusBar()->setSizeGripEnabled(false);
}

void frmMain::createToolbar()
{
    Toolbar = new QToolBar(QStringLiteral("Toolbar"), this);
    Toolbar->setObjectName(QStringLiteral("Toolbar"));
    Toolbar->setMovable(false);
    Toolbar->setIconSize(QSize(24, 24));
    addToolBar(Qt::TopToolBarArea, Toolbar);
    for (const ui::MenuEntry &entry : m_table.buttons()) {
        const ui::Command &command = entry.command;
        if (command.separatorBefore)
            Toolbar->addSeparator();
        QAction *action = Toolbar->addAction(QIcon(QStringLiteral(":/icons/%1.svg").arg(command.icon)), command.caption);
        action->setObjectName(command.name);
        if (command.handler) {
            action->setToolTip(command.caption);
            action->setStatusTip(command.caption);
        } else {
            action->setEnabled(false);
            action->setToolTip(command.caption + QStringLiteral("（") + ui::notAvailableText() + QStringLiteral("）"));
            action->setStatusTip(ui::notAvailableText());
        }
        connectCommand(action, command);
    }
}

QAction *frmMain::command(const QString &name) const
{
    return m_commands.value(name);
}

bool frmMain::isMenuKey(const QKeyEvent &key) const
{
    // Keys without Ctrl, Alt or Meta (Del) stay the editing keys of a text box.
    const Qt::KeyboardModifiers mods = key.modifiers() & ~Qt::KeypadModifier;
    if (!(mods & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)))
        return false;
    const QKeySequence pressed(QKeyCombination(mods, Qt::Key(key.key())));
    for (const QAction *action : std::as_const(m_commands)) {
        if (action->isEnabled() && action->shortcut() == pressed)
            return true;
    }
    return false;
}

void frmMain::runHooks(const std::vector<ui::CommandHandler> &hooks)
{
    ui::CommandContext context{*this, m_services, *this};
    for (const ui::CommandHandler &hook : hooks)
        hook(context);
}

void frmMain::showIssueList(const QStringList &entries)
{
    setListEntries(entries);
    if (entries.isEmpty())
        return;
    ListMei->setCurrentRow(0);
    showIssue(entries.first().left(4));
}

QString frmMain::issueCode() const
{
    return MeiCode->text();
}

QString frmMain::issueMarket() const
{
    return Lblshijyo->text();
}

QString frmMain::issueName() const
{
    return LblMei->text();
}

void frmMain::replaceIssueList(const QStringList &entries)
{
    ListMei->clear();
    ListMei->addItems(entries);
}

void frmMain::settingsChanged()
{
    m_options.screenMode = MainModule::ScreenMode;
    m_options.allItoRso = MainModule::ALLITORSO;
    // New periods change the series itself: the shown issue is loaded again.
    if (!(chart::IndicatorSettings::fromMainModule() == m_seriesSettings) && m_series.Count > 0)
        reloadIssue();
    else
        DrawChart(false);
}

QStringList frmMain::listEntries() const
{
    QStringList entries;
    for (int i = 0; i < ListMei->count(); ++i)
        entries.append(ListMei->item(i)->text());
    return entries;
}

int frmMain::selectedListRow() const
{
    return ListMei->currentItem() ? ListMei->currentRow() : -1;
}

void frmMain::selectListRow(int row)
{
    if (row >= 0 && row < ListMei->count())
        ListMei->setCurrentRow(row);
}

void frmMain::storedDataChanged()
{
    BusyGuard again(m_showingStoredDataAgain);
    QStringList entries;
    try {
        if (ListMei->count() > 0)
            entries = mainwin::EntriesStillRegistered(MainModule::DBPath, listEntries());
        if (entries.isEmpty())
            entries = mainwin::IssuesByCode(MainModule::DBPath, mainwin::listPrefixAfterChange(MainModule::DBPath, MeiCode->text()));
    } catch (const db::DbError &e) {
        reportError(e.description());
        return;
    }
    setListEntries(entries);
    Lblshijyo->clear();
    LblMei->clear();
    MainModule::ListPicked = true; // the list selects the issue shown again
    if (reloadIssue())
        return;
    if (entries.isEmpty()) {
        clearChart();
        return;
    }
    ListMei->setCurrentRow(0);
    showIssue(entries.first().left(4));
}

void frmMain::showList(const std::vector<ui::ListedIssue> &issues)
{
    QStringList entries;
    for (const ui::ListedIssue &issue : issues)
        entries.append(ui::issueListEntry(issue.code, issue.market, issue.name));
    showIssueList(entries);
}

void frmMain::rebuildList()
{
    ListIssuesByCode(MeiCode->text().left(2));
}

void frmMain::showIssue(const QString &code)
{
    ListRefreshSuppressed = true; // the list keeps what it shows
    MeiCode->setText(code);
    ListRefreshSuppressed = false;
}

bool frmMain::codeBoxHasFocus() const
{
    return QApplication::focusWidget() == MeiCode;
}

void frmMain::findIssue(QWidget *window, QLineEdit *codeBox)
{
    frmMeiFind::choose(m_services, window, codeBox);
}

bool frmMain::pauseSlideShow()
{
    const bool running = chartTimer->isActive();
    chartTimer->stop();
    return running;
}

void frmMain::resumeSlideShow(bool running)
{
    if (running)
        chartTimer->start();
    mnuchartslideshow->setText(chart::slideShowCaption(chartTimer->isActive()));
}

// ---------------------------------------------------------------------------------------------
// Chart commands and the slide show

void frmMain::switchPeriod()
{
    Cmdchange_Click();
}

void frmMain::showSelectedIssue()
{
    ListMei_DblClick();
}

void frmMain::toggleSlideShow()
{
    chartTimer->setInterval(chart::slideShowInterval(MainModule::slidechart));
    if (chartTimer->isActive())
        chartTimer->stop();
    else
        chartTimer->start();
    ListMei_DblClick();
    updateSlideShowCaption();
}

void frmMain::chartTimer_Timer()
{
    const int row = ListMei->currentRow();
    if (row >= ListMei->count() - 1) {
        chartTimer->stop();
        updateSlideShowCaption();
        return;
    }
    ListMei->setCurrentRow(row + 1);
    ListMei_DblClick();
    updateSlideShowCaption();
}

void frmMain::updateSlideShowCaption()
{
    mnuchartslideshow->setText(chart::slideShowCaption(chartTimer->isActive()));
}

void frmMain::blinkTimer_Timer()
{
    if (BlinkRequest)
        QApplication::alert(this, 500);
}

// ---------------------------------------------------------------------------------------------
// Closing

void frmMain::closeEvent(QCloseEvent *event)
{
    chartTimer->stop();
    blinkTimer->stop();
    runHooks(m_table.closingHooks());
    mnuchartslideshow->setText(chart::slideShowCaption(false));
    event->accept();
}
