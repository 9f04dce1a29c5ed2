#pragma once

// The main window's menus and toolbar as one table that each subsystem fills with its own
// commands: the objectName, caption, shortcut, icon, where it sits, and the handler. The window
// builds its menu bar and toolbar from the table and knows nothing of the commands behind them.
// A command registered without a handler shows as "not yet available" (greyed, with a tooltip).

#include "ui/IssueEntry.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <vector>

class QLineEdit;
class QWidget;
struct AppServices;

namespace ui {

// An issue as the issue list lists it.
struct ListedIssue
{
    qint64 code = 0;
    int market = 0;
    QString name;
};

// What a command may ask of the main window without knowing its class.
class MainWindowAccess
{
public:
    virtual ~MainWindowAccess() = default;
    // The issue on show: the code as typed, the market abbreviation and the name ("" when none).
    virtual QString issueCode() const = 0;
    virtual QString issueMarket() const = 0;
    virtual QString issueName() const = 0;
    IssueRef shownIssue() const { return {issueCode(), issueMarket(), issueName()}; }
    // Redraws the chart after a setting that changes its look (screen mode, Ito ratio) changed.
    virtual void settingsChanged() = 0;

    // The issue list (ListMei): its entries ("1301 東１ 極洋") in list order, and the selected row
    // (-1 when none).
    virtual QStringList listEntries() const = 0;
    virtual int selectedListRow() const = 0;
    virtual void selectListRow(int row) = 0;
    // Replaces the entries, selecting nothing and showing nothing.
    virtual void replaceIssueList(const QStringList &entries) = 0;
    // Fills the list with these issues, selects the first one and shows it.
    virtual void showList(const std::vector<ListedIssue> &issues) = 0;
    // Refills the list from the code box, as typing a code does.
    virtual void rebuildList() = 0;
    // Takes the selected entry out of the list after asking (not while the code box has the focus).
    virtual void removeSelectedFromList() = 0;
    // Shows an issue: its code goes into the code box; the list stays as it is.
    virtual void showIssue(const QString &code) = 0;
    // Shows the issue selected in the list, as a double click on it does.
    virtual void showSelectedIssue() = 0;
    // The code box has the keyboard focus.
    virtual bool codeBoxHasFocus() const = 0;
    // Opens the issue search over window; the chosen code goes into codeBox.
    virtual void findIssue(QWidget *window, QLineEdit *codeBox) = 0;
    // Switches between the daily and the weekly chart.
    virtual void switchPeriod() = 0;
    // Starts the slide show through the issue list, or stops it.
    virtual void toggleSlideShow() = 0;
    // Stops the slide show and tells whether it was running; resumeSlideShow(true) starts it
    // again. The slide show command's caption follows either way.
    virtual bool pauseSlideShow() = 0;
    virtual void resumeSlideShow(bool running) = 0;
    // Replaces the issue list with entries ("1301 東１ 極洋"), selects the first and shows its issue.
    virtual void showIssueList(const QStringList &entries) { (void)entries; }
    // The stored issues or prices may have changed (an import, a download, a restore): the list is
    // written again from the registration (filled from the code box when it was empty) and the
    // issue of the code box is shown again, or the first of the list when the box holds none.
    virtual void storedDataChanged() { }
    // Asks for the minimised window to flash until the user comes back to it.
    virtual void requestFlash() { }
};

// Everything a handler is handed when its command runs.
struct CommandContext
{
    QWidget &window; // the main window: parent of modal windows
    AppServices &services;
    MainWindowAccess &main;
};

using CommandHandler = std::function<void(CommandContext &)>;

struct Command
{
    QString name; // objectName of the menu item or toolbar action
    QString caption; // menu text, or the toolbar button's tooltip
    QString shortcut = {}; // QKeySequence text
    QString icon = {}; // toolbar only: icon file name under :/icons/ without ".svg"
    bool separatorBefore = false;
    CommandHandler handler = {}; // empty: the command is shown but not yet available
};

struct MenuEntry
{
    int position;
    Command command;
};

struct Menu
{
    QString name; // objectName of the top-level menu
    QString caption;
    int position;
    std::vector<MenuEntry> items; // sorted by position
};

class CommandTable final
{
public:
    // A top-level menu; menus stand in the bar in the order of their positions.
    void addMenu(const QString &name, const QString &caption, int position);
    // An item of a menu added before; items stand in the order of their positions.
    void addMenuItem(const QString &menu, int position, Command command);
    // A toolbar button; buttons stand in the order of their positions.
    void addButton(int position, Command command);

    // Run once, in registration order, when the main window is first activated after a first run.
    void onFirstRun(const CommandHandler &hook) { m_firstRun.push_back(hook); }
    // Run in registration order while the main window closes.
    void onClosing(const CommandHandler &hook) { m_closing.push_back(hook); }

    const std::vector<Menu> &menus() const { return m_menus; }
    const std::vector<MenuEntry> &buttons() const { return m_buttons; }
    const std::vector<CommandHandler> &firstRunHooks() const { return m_firstRun; }
    const std::vector<CommandHandler> &closingHooks() const { return m_closing; }

private:
    std::vector<Menu> m_menus;
    std::vector<MenuEntry> m_buttons;
    std::vector<CommandHandler> m_firstRun;
    std::vector<CommandHandler> m_closing;
};

// The tooltip and status tip of a command without a handler.
QString notAvailableText();

// After a modal window has closed: shows the message it handed back, when there is one.
void reportBack(CommandContext &context, const QString &message);

// Opens a modal window of type W (constructed from services and parent) and waits for it.
template <typename W>
void runModal(CommandContext &context)
{
    W window(context.services, &context.window);
    window.exec();
}

// runModal for a window that may change the stored issues or prices: the main window shows them
// again once it has closed.
template <typename W>
void runModalChangingData(CommandContext &context)
{
    runModal<W>(context);
    context.main.storedDataChanged();
}

} // namespace ui
