// The main window's menus, toolbar and the commands behind them: the modal windows and their
// report-back through MainTag, the web pages, the slide show, the flashing while minimised, and
// the closing sequence with the optional compaction.

#include "chart/frmMain.h"

#include "app/AppServices.h"
#include "app/Helpers.h"
#include "app/MainModule.h"
#include "app/Ports.h"
#include "app/frmOption.h"
#include "board/Dialup.h"
#include "chart/MainMenu.h"
#include "chart/Navigation.h"
#include "chart/frmAbout.h"
#include "chart/frmEditKabuka.h"
#include "chart/frmEditMei.h"
#include "db/Database.h"
#include "import/frmReadData.h"
#include "import/frmShinyoData.h"
#include "import/frmSyuMakeData.h"
#include "import/frmZenjitusa.h"
#include "maint/Compaction.h"
#include "maint/frmCmpctMsg.h"
#include "maint/frmReadDelMei.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>

void frmMain::createMenus()
{
    QMenuBar *bar = menuBar();
    for (const chart::MenuSpec &menuSpec : chart::mainMenuTable()) {
        QMenu *menu = bar->addMenu(menuSpec.caption);
        menu->setObjectName(menuSpec.name);
        menu->setToolTipsVisible(true);
        for (const chart::MenuItemSpec &spec : menuSpec.items) {
            if (spec.separatorBefore && !menu->isEmpty())
                menu->addSeparator();
            QAction *action = menu->addAction(spec.caption);
            action->setObjectName(spec.name);
            if (!spec.shortcut.isEmpty()) {
                action->setShortcut(QKeySequence(spec.shortcut));
                action->setShortcutContext(Qt::WindowShortcut);
            }
            if (!spec.available) {
                action->setEnabled(false);
                action->setToolTip(chart::notAvailableText());
                action->setStatusTip(chart::notAvailableText());
            }
            m_commands.insert(spec.name, action);
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
    for (const chart::ToolButtonSpec &spec : chart::mainToolbarTable()) {
        if (spec.separatorBefore)
            Toolbar->addSeparator();
        QAction *action = Toolbar->addAction(QIcon(spec.icon), spec.tooltip);
        action->setObjectName(spec.key);
        if (spec.available) {
            action->setToolTip(spec.tooltip);
            action->setStatusTip(spec.tooltip);
        } else {
            action->setEnabled(false);
            action->setToolTip(spec.tooltip + QStringLiteral("（") + chart::notAvailableText() + QStringLiteral("）"));
            action->setStatusTip(chart::notAvailableText());
        }
        m_commands.insert(spec.key, action);
    }
}

QAction *frmMain::command(const QString &name) const
{
    return m_commands.value(name);
}

void frmMain::onCommand(const QString &name, void (frmMain::*handler)())
{
    if (QAction *action = m_commands.value(name))
        connect(action, &QAction::triggered, this, handler);
}

void frmMain::connectCommands()
{
    onCommand(QStringLiteral("mnuReadData"), &frmMain::mnuReadData_Click);
    onCommand(QStringLiteral("IntReadKabukaButton"), &frmMain::mnuReadData_Click);
    onCommand(QStringLiteral("mnuReadShinyoData"), &frmMain::mnuReadShinyoData_Click);
    onCommand(QStringLiteral("mnuMeiRegistData"), &frmMain::mnuMeiRegistData_Click);
    onCommand(QStringLiteral("mnuMakeSyuData"), &frmMain::mnuMakeSyuData_Click);
    connect(mnuEnd, &QAction::triggered, this, &QWidget::close);
    onCommand(QStringLiteral("mnuKabkaEdit"), &frmMain::mnuKabkaEdit_Click);
    onCommand(QStringLiteral("KDMentButton"), &frmMain::mnuKabkaEdit_Click);
    onCommand(QStringLiteral("mnuMeiedit"), &frmMain::mnuMeiedit_Click);
    onCommand(QStringLiteral("MMentButton"), &frmMain::mnuMeiedit_Click);
    onCommand(QStringLiteral("mnuDelList"), &frmMain::RemoveFromList);
    onCommand(QStringLiteral("mnuoption"), &frmMain::mnuoption_Click);
    onCommand(QStringLiteral("OptionButton"), &frmMain::mnuoption_Click);
    onCommand(QStringLiteral("mnuErrMei"), &frmMain::mnuErrMei_Click);
    onCommand(QStringLiteral("mnuZenjitusaKeisan"), &frmMain::mnuZenjitusaKeisan_Click);
    onCommand(QStringLiteral("mnuchartdayandweek"), &frmMain::mnuchartdayandweek_Click);
    onCommand(QStringLiteral("mnuchartslideshow"), &frmMain::mnuchartslideshow_Click);
    onCommand(QStringLiteral("ChartslideButton"), &frmMain::ChartslideButton_Click);
    onCommand(QStringLiteral("ChartButton"), &frmMain::ChartButton_Click);
    onCommand(QStringLiteral("mnuabout"), &frmMain::mnuabout_Click);
    onCommand(QStringLiteral("mnuGaibuRun"), &frmMain::mnuGaibuRun_Click);
    onCommand(QStringLiteral("mnuVelkaaHP"), &frmMain::mnuVelkaaHP_Click);
    onCommand(QStringLiteral("mnuHelp"), &frmMain::mnuHelp_Click);
    const std::pair<const char16_t *, const char16_t *> pages[] = {
        {u"mnukyone", u"a"},  {u"mnukyosyosai", u"b"}, {u"mnusyosai", u"c"},   {u"mnuBSPL", u"d"},
        {u"mnugyoseki", u"e"}, {u"mnuseityoritu", u"f"}, {u"mnukeijiban", u"g"},
    };
    for (const auto &page : pages) {
        const QString kind = QString::fromUtf16(page.second);
        if (QAction *action = m_commands.value(QString::fromUtf16(page.first)))
            connect(action, &QAction::triggered, this, [this, kind] { OpenInfoPage(kind); });
    }
}

// ---------------------------------------------------------------------------------------------
// Modal windows

void frmMain::reportBack()
{
    if (MainModule::MainTag.isEmpty())
        return;
    QCoreApplication::processEvents();
    m_services.prompt->inform(MainModule::MainTag, QString(), PromptIcon::Information);
}

void frmMain::mnuReadData_Click()
{
    MainModule::MainTag = QStringLiteral("2");
    {
        frmReadData window(m_services, this);
        window.exec();
    }
    reportBack();
}

void frmMain::mnuMeiRegistData_Click()
{
    const QString question = QStringLiteral("現在の銘柄登録は無くなり　新しく登録されます。\n"
                                            "銘柄データーを読み込みします 宜しいですか？");
    if (!m_services.prompt->askYesNo(question, QStringLiteral("確認"), PromptIcon::Information))
        return;
    MainModule::MainTag = QStringLiteral("1");
    {
        frmReadData window(m_services, this);
        window.exec();
    }
    reportBack();
}

void frmMain::mnuReadShinyoData_Click()
{
    frmShinyoData window(m_services, this);
    window.exec();
}

void frmMain::mnuMakeSyuData_Click()
{
    frmSyuMakeData window(m_services, this);
    window.exec();
}

void frmMain::mnuErrMei_Click()
{
    frmReadDelMei window(m_services, this);
    window.exec();
}

void frmMain::mnuZenjitusaKeisan_Click()
{
    frmZenjitusa window(m_services, this);
    window.exec();
}

void frmMain::mnuoption_Click()
{
    {
        frmOption dialog(m_services, this);
        dialog.exec();
    }
    // The screen mode and the Ito-ratio choice may have changed.
    m_options.screenMode = MainModule::ScreenMode;
    m_options.allItoRso = MainModule::ALLITORSO;
    DrawChart(false);
}

void frmMain::mnuKabkaEdit_Click()
{
    if (LblMei->text().isEmpty()) {
        m_services.prompt->inform(QStringLiteral("銘柄コードを指定して下さい。"), QString(), PromptIcon::Information);
        return;
    }
    MainModule::MainTag = MeiCode->text() + QLatin1Char(',') + Lblshijyo->text() + QLatin1Char(',') + LblMei->text();
    const QString question = QStringLiteral("株価メンテナンスを行います　よろしいですか？\n"
                                            "簡単に数字が変更されますので注意してください。");
    if (!m_services.prompt->askYesNo(question, QStringLiteral("確認"), PromptIcon::Information))
        return;
    frmEditKabuka window(m_services, this);
    window.exec();
}

void frmMain::mnuMeiedit_Click()
{
    frmEditMei window(m_services, this);
    window.exec();
}

void frmMain::mnuabout_Click()
{
    frmAbout window(this);
    window.exec();
}

// ---------------------------------------------------------------------------------------------
// Pages, files and help

void frmMain::OpenInfoPage(const QString &kind)
{
    if (Lblshijyo->text().isEmpty() || LblMei->text().isEmpty()) {
        m_services.prompt->inform(chart::enterIssueCodeMessage(), QString(), PromptIcon::Information);
        return;
    }
    if (m_services.shell)
        OpenWebPage(*m_services.shell, chart::infoPageAddress(MainModule::MURL, kind, MeiCode->text()));
}

void frmMain::mnuVelkaaHP_Click()
{
    if (m_services.shell)
        OpenWebPage(*m_services.shell, MainModule::MURL);
}

void frmMain::mnuGaibuRun_Click()
{
    const QString path = m_services.prompt->pickOpenFile(QStringLiteral("すべてのﾌｧｲﾙ(*.*)|*.*"), MainModule::ProgramFolder);
    if (path.isEmpty() || !QFileInfo::exists(path) || !m_services.shell)
        return;
    cShellFile(*m_services.shell).ShellFile(path);
}

void frmMain::mnuHelp_Click()
{
    const QString folder = MainModule::ProgramFolder;
    if (!QFileInfo::exists(folder + QStringLiteral("/htm/index.htm"))) {
        m_services.prompt->inform(QStringLiteral("ヘルプファイルをダウンロードして下さい。"), QString(),
                                  PromptIcon::Information);
        return;
    }
    if (m_services.shell)
        cShellFile(*m_services.shell).ShellFile(QDir::toNativeSeparators(folder + QStringLiteral("/htm/index.htm")));
}

// ---------------------------------------------------------------------------------------------
// Chart commands and the slide show

void frmMain::mnuchartdayandweek_Click()
{
    Cmdchange_Click();
}

void frmMain::ChartButton_Click()
{
    ListMei_DblClick();
}

void frmMain::mnuchartslideshow_Click()
{
    MainModule::ListPicked = false;
    toggleSlideShow();
}

void frmMain::ChartslideButton_Click()
{
    toggleSlideShow();
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
    Form_Unload();
    event->accept();
}

void frmMain::Form_Unload()
{
    chartTimer->stop();
    blinkTimer->stop();
    if (Dialup::IsDialupConnected(true)) {
        if (m_services.prompt->askYesNo(chart::dialupQuestion(), chart::dialupTitle(), PromptIcon::Information))
            Dialup::HangUpDialup();
    }
    try {
        db::Database database(MainModule::DBPath);
        database.openRecordset(QStringLiteral("daydata"), db::RecordsetType::Table).close();
    } catch (const db::DbError &) {
        // Nothing is held open; the question below still comes.
    }
    if (!m_services.prompt->askYesNo(chart::optimiseQuestion(), chart::optimiseTitle(), PromptIcon::Information))
        return;
    QCoreApplication::processEvents();
    frmCmpctMsg message(this);
    message.show();
    message.repaint();
    QApplication::setOverrideCursor(Qt::WaitCursor);
    QString error;
    const bool ok = maint::CompactDatabase(MainModule::DBPath, &error);
    QApplication::restoreOverrideCursor();
    message.close();
    if (!ok)
        m_services.prompt->inform(error, chart::optimiseTitle(), PromptIcon::Critical);
    mnuchartslideshow->setText(chart::slideShowCaption(false));
}
