#include "chart/frmMain.h"

#include "app/AppServices.h"
#include "app/Helpers.h"
#include "app/MainModule.h"
#include "app/Ports.h"
#include "app/frmOption.h"
#include "db/Database.h"
#include "ui/WindowHelpers.h"

#include <QAction>
#include <QMenuBar>

frmMain::frmMain(AppServices &services, QWidget *parent) : QMainWindow(parent), m_services(services)
{
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(QStringLiteral("ミラベル"));

    QMenuBar *bar = menuBar();
    QMenu *file = bar->addMenu(QStringLiteral("ﾌｧｲﾙ"));
    QMenu *edit = bar->addMenu(QStringLiteral("編集"));
    QMenu *chart = bar->addMenu(QStringLiteral("ﾁｬｰﾄ"));
    bar->addMenu(QStringLiteral("株価ボード"));
    bar->addMenu(QStringLiteral("株式情報"));
    bar->addMenu(QStringLiteral("ﾊﾞｰｼﾞｮﾝ情報"));

    mnuEnd = file->addAction(QStringLiteral("終　了"));
    mnuEnd->setObjectName(QStringLiteral("mnuEnd"));
    mnuoption = edit->addAction(QStringLiteral("オプション"));
    mnuoption->setObjectName(QStringLiteral("mnuoption"));
    mnuchartdayandweek = chart->addAction(QStringLiteral("週チャートを表示"));
    mnuchartdayandweek->setObjectName(QStringLiteral("mnuchartdayandweek"));
    mnuchartdayandweek->setShortcut(QKeySequence(QStringLiteral("Ctrl+T")));
    mnuchartslideshow = chart->addAction(QStringLiteral("ﾁｬｰﾄ・ｽﾗｲﾄﾞｼｮｰ・ｽﾀｰﾄ"));
    mnuchartslideshow->setObjectName(QStringLiteral("mnuchartslideshow"));
    mnuchartslideshow->setShortcut(QKeySequence(QStringLiteral("Ctrl+S")));

    chartArea = new QWidget(this);
    chartArea->setObjectName(QStringLiteral("chartArea"));
    chartArea->setMinimumSize(820, 460);
    setCentralWidget(chartArea);

    connect(mnuEnd, &QAction::triggered, this, &QWidget::close);
    connect(mnuoption, &QAction::triggered, this, &frmMain::mnuoption_Click);
    connect(mnuchartdayandweek, &QAction::triggered, this, &frmMain::mnuchartdayandweek_Click);

    Form_Load();
}

QString &frmMain::mainTag()
{
    return MainModule::MainTag;
}

void frmMain::Form_Load()
{
    MainModule::LastKeyBackspace = true;
    // Market abbreviations: entry 0 empty, then the Shijyo rows in code order (at most 10).
    MainModule::MarketAbbrev = {};
    try {
        db::Database database(MainModule::DBPath);
        db::Recordset rs = database.openRecordset(QStringLiteral("select * from Shijyo order by コード ;"));
        for (std::size_t i = 1; i < MainModule::MarketAbbrev.size() && !rs.eof(); ++i) {
            MainModule::MarketAbbrev[i] = SafeText(rs.value(QStringLiteral("略称")));
            rs.moveNext();
        }
    } catch (const db::DbError &e) {
        if (m_services.prompt)
            m_services.prompt->inform(e.description(), QString(), PromptIcon::Critical);
    }
    MarkPeriodCaption(this, MainModule::PeriodMode, true);
}

void frmMain::mnuchartdayandweek_Click()
{
    const QString caption = ToggleDayWeek();
    if (!caption.isEmpty())
        mnuchartdayandweek->setText(caption);
    MarkPeriodCaption(this, MainModule::PeriodMode, true);
}

void frmMain::mnuoption_Click()
{
    frmOption dialog(m_services, this);
    dialog.exec();
}
