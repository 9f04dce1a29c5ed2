#include "mainwin/frmMain.h"

#include "base/AppServices.h"
#include "base/BusyGuard.h"
#include "base/DateUtil.h"
#include "base/Helpers.h"
#include "base/MainModule.h"
#include "base/Ports.h"
#include "chart/ChartFonts.h"
#include "chart/ChartView.h"
#include "chart/Navigation.h"
#include "db/Database.h"
#include "mainwin/CachedSizeDelegate.h"
#include "mainwin/IssueList.h"
#include "mainwin/SingleLayoutDelegate.h"
#include "mainwin/frmMeiFind.h"
#include "splits/Adjustments.h"
#include "ui/DateBox.h"
#include "ui/IssueEntry.h"
#include "ui/WindowHelpers.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QPushButton>
#include <QScrollBar>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>

namespace {

// The window places its controls at fixed positions.
template <typename T>
T *placed(T *widget, const QRect &geometry)
{
    if constexpr (std::is_base_of_v<QPushButton, T>) {
        widget->setMinimumWidth(0); // the position decides the width here
        widget->setFocusPolicy(Qt::TabFocus);
    }
    widget->setGeometry(geometry);
    return widget;
}

// The prompt while the window shows stored data again by itself: an issue without rows yet (after
// a registration import) draws an empty chart instead of saying so.
class WithoutNoDataNotice final : public Prompt
{
public:
    explicit WithoutNoDataNotice(Prompt &prompt)
        : m_prompt(prompt)
    {
    }
    bool askYesNo(const QString &text, const QString &title, PromptIcon icon) override { return m_prompt.askYesNo(text, title, icon); }
    void inform(const QString &text, const QString &title, PromptIcon icon) override
    {
        if (text != chart::noDataMessage())
            m_prompt.inform(text, title, icon);
    }
    QString pickOpenFile(const QString &filter, const QString &folder) override { return m_prompt.pickOpenFile(filter, folder); }
    QString pickSaveFile(const QString &filter, const QString &folder, const QString &name) override
    {
        return m_prompt.pickSaveFile(filter, folder, name);
    }
    QString pickFolder(const QString &title, const QString &folder) override { return m_prompt.pickFolder(title, folder); }

private:
    Prompt &m_prompt;
};

} // namespace

static void initResources()
{
    Q_INIT_RESOURCE(miravel);
}

frmMain::frmMain(AppServices &services, ui::CommandTable commands, MainWindowStart start, QWidget *parent)
    : QMainWindow(parent), m_services(services), m_table(std::move(commands)), m_start(start)
{
    initResources();
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(QStringLiteral("ミラベル"));
    createControls();
    createMenus();
    createToolbar();
    Form_Load();
    qApp->installEventFilter(this);
}

frmMain::~frmMain()
{
    qApp->removeEventFilter(this);
}

void frmMain::createControls()
{
    m_panel = named<QWidget>("chartPanel", this);
    m_panel->setFixedSize(1010, 640);
    setCentralWidget(m_panel);

    chartView = new ChartView(m_series, m_options, m_panel);
    chartView->move(0, 0);

    Label1 = placed(named<QLabel>("Label1", QStringLiteral("銘柄ｺｰﾄﾞ(F1)"), m_panel), QRect(4, 6, 120, 24));
    MeiCode = named<QLineEdit>("MeiCode", m_panel);
    MeiCode->setGeometry(4, 32, 70, 26);
    DateBox::attachSelectAll(MeiCode);
    CmdFind = placed(named<QPushButton>("CmdFind", QStringLiteral("検索..."), m_panel), QRect(78, 32, 62, 26));

    Lblshijyo = placed(named<QLabel>("Lblshijyo", QString(), m_panel), QRect(150, 6, 60, 24));
    LblMei = placed(named<QLabel>("LblMei", QString(), m_panel), QRect(214, 6, 330, 24));
    QFont nameFont = LblMei->font();
    nameFont.setPixelSize(16);
    nameFont.setBold(true);
    LblMei->setFont(nameFont);
    Lblshijyo->setFont(nameFont);

    Label24 = placed(named<QLabel>("Label24", QStringLiteral("基準日"), m_panel), QRect(552, 6, 50, 24));
    chartDate = named<QLineEdit>("chartDate", m_panel);
    chartDate->setGeometry(602, 4, 90, 26);
    DateBox::attach(chartDate);
    Cmdchange = placed(named<QPushButton>("Cmdchange", QString(), m_panel), QRect(700, 4, 150, 28));

    CmdSRLRSI = placed(named<QPushButton>("CmdSRLRSI", QStringLiteral("ALL"), m_panel), QRect(150, 34, 96, 26));
    Cmdidoheikin = placed(named<QPushButton>("Cmdidoheikin", QStringLiteral("移動平均有"), m_panel), QRect(252, 34, 100, 26));
    Chkdekidaka = named<QCheckBox>("Chkdekidaka", QStringLiteral("出来高"), m_panel);
    Chkdekidaka->setGeometry(362, 34, 80, 26);
    Chkdekidaka->setFocusPolicy(Qt::TabFocus);
    Chknijikyokusenn = named<QCheckBox>("Chknijikyokusenn", QStringLiteral("二次曲線"), m_panel);
    Chknijikyokusenn->setGeometry(446, 34, 90, 26);
    Chknijikyokusenn->setFocusPolicy(Qt::TabFocus);
    Chkbunkatsu = named<QCheckBox>("Chkbunkatsu", QStringLiteral("分割調整"), m_panel);
    Chkbunkatsu->setGeometry(540, 34, 90, 26);
    Chkbunkatsu->setFocusPolicy(Qt::TabFocus);

    HScroll = named<QScrollBar>("HScroll", Qt::Horizontal, m_panel);
    HScroll->setGeometry(200, 70, 557, 20);
    HScroll->setRange(0, chart::ScrollMaximum);
    HScroll->setFocusPolicy(Qt::NoFocus);

    ListMei = named<QListWidget>("ListMei", m_panel);
    ListMei->setGeometry(0, 92, 140, 431);
    // Long names scroll sideways instead of being cut off.
    ListMei->setTextElideMode(Qt::ElideNone);
    ListMei->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    ListMei->setItemDelegate(new CachedSizeDelegate(ListMei));

    KabukaList = named<QListWidget>("KabukaList", m_panel);
    KabukaList->setFont(chart::priceListFont());
    KabukaList->setItemDelegate(new SingleLayoutDelegate(KabukaList));
    KabukaList->setGeometry(145, 462, 667, 174);

    createValueLabels(m_panel);

    chartTimer = named<QTimer>("chartTimer", this);
    blinkTimer = named<QTimer>("blinkTimer", this);
    blinkTimer->setInterval(1000);

    connect(MeiCode, &QLineEdit::textChanged, this, &frmMain::MeiCode_Change);
    connect(chartDate, &QLineEdit::textChanged, this, &frmMain::chartDate_Change);
    // Enter acts on any date the box holds ("26/3/1").
    connect(chartDate, &QLineEdit::returnPressed, this, [this] {
        const QDate today = m_services.clock ? m_services.clock->today() : QDate::currentDate();
        if (DateUtil::isDate(chartDate->text(), today)) {
            BusyGuard suppressed(ListRefreshSuppressed);
            reloadIssue();
            scrollToChartDate();
        }
    });
    connect(HScroll, &QScrollBar::valueChanged, this, &frmMain::HScroll_Change);
    connect(KabukaList, &QListWidget::currentRowChanged, this, &frmMain::KabukaList_Click);
    connect(chartView, &ChartView::pressed, this, &frmMain::chartView_MouseDown);
    connect(ListMei, &QListWidget::itemActivated, this, &frmMain::ListMei_DblClick);
    connect(CmdFind, &QPushButton::clicked, this, &frmMain::CmdFind_Click);
    connect(Cmdchange, &QPushButton::clicked, this, &frmMain::Cmdchange_Click);
    connect(CmdSRLRSI, &QPushButton::clicked, this, &frmMain::CmdSRLRSI_Click);
    connect(Cmdidoheikin, &QPushButton::clicked, this, &frmMain::Cmdidoheikin_Click);
    connect(Chkdekidaka, &QCheckBox::clicked, this, &frmMain::Chkdekidaka_Click);
    connect(Chknijikyokusenn, &QCheckBox::clicked, this, &frmMain::Chknijikyokusenn_Click);
    connect(Chkbunkatsu, &QCheckBox::clicked, this, [this](bool on) {
        QString error;
        if (!splits::SaveAdjustedChartSetting(on, &error))
            reportError(error);
        reloadIssue();
    });
    connect(chartTimer, &QTimer::timeout, this, &frmMain::chartTimer_Timer);
    connect(blinkTimer, &QTimer::timeout, this, &frmMain::blinkTimer_Timer);
}

void frmMain::createValueLabels(QWidget *parent)
{
    struct Row
    {
        const char16_t *caption;
        QLabel **label;
        const char16_t *name;
    };
    const Row rows[] = {
        {u"日付", &LblDate, u"LblDate"},
        {u"終　値", &Lblowarine, u"Lblowarine"},
        {u"短移平", &Lbltanidoheikn, u"Lbltanidoheikn"},
        {u"中移平", &Lbltyuidoheikn, u"Lbltyuidoheikn"},
        {u"長移平", &Lbltyoidoheikn, u"Lbltyoidoheikn"},
        {u"短乖離", &Lbltankairi, u"Lbltankairi"},
        {u"中乖離", &Lbltyukairi, u"Lbltyukairi"},
        {u"長乖離", &Lbltyokairi, u"Lbltyokairi"},
        {u"ｻｲｺﾛｼﾞｶﾙ%", &LblSRL, u"LblSRL"},
        {u"RSI%", &LblRSI, u"LblRSI"},
        {u"VR%", &LblVR, u"LblVR"},
        {u"最高値", &Lblsaitakane, u"Lblsaitakane"},
        {u"最安値", &Lblsaiyasune, u"Lblsaiyasune"},
    };
    int y = 100;
    int n = 0;
    for (const Row &row : rows) {
        auto *caption = placed(named<QLabel>(QStringLiteral("LblCaption%1").arg(n++).toLatin1().constData(),
                                             QString::fromUtf16(row.caption), parent),
                               QRect(822, y, 100, 22));
        caption->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        QLabel *value = placed(named<QLabel>(QString::fromUtf16(row.name).toLatin1().constData(), parent), QRect(922, y, 84, 22));
        value->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        value->setFrameShape(QFrame::Panel);
        value->setFrameShadow(QFrame::Sunken);
        value->setFont(chart::fixedPitchFont());
        *row.label = value;
        y += (row.label == &Lblowarine || row.label == &Lbltyoidoheikn || row.label == &Lbltyokairi
              || row.label == &LblVR)
            ? 32
            : 24;
    }
}

void frmMain::Form_Load()
{
    MainModule::LastKeyBackspace = true;
    MainModule::MarketAbbrev = {};
    try {
        db::Database database(MainModule::DBPath);
        db::Recordset rs = database.openRecordset(QStringLiteral("select * from Shijyo order by コード ;"));
        for (std::size_t i = 1; i < MainModule::MarketAbbrev.size() && !rs.eof(); ++i) {
            MainModule::MarketAbbrev[i] = SafeText(rs.value(QStringLiteral("略称")));
            rs.moveNext();
        }
    } catch (const db::DbError &e) {
        reportError(e.description());
    }
    ListIssuesByCode(QStringLiteral("1"));
    m_options.colourTable = chart::defaultColourTable();
    m_options.screenMode = MainModule::ScreenMode;
    m_options.allItoRso = MainModule::ALLITORSO;
    m_options.periodMode = MainModule::PeriodMode;
    setChartDateText(DateUtil::formatYYMMDD(m_services.clock ? m_services.clock->today() : QDate::currentDate()));
    MarkPeriodCaption(this, MainModule::PeriodMode, true);
    m_options.windowBackground = MainModule::PeriodMode == 2 ? chart::colours::WindowWeekly : chart::colours::WindowDaily;
    SetPeriodButtonCaption(Cmdchange, MainModule::PeriodMode);
    DrawChart(false);
    m_scroll.NewestDate = m_services.clock ? m_services.clock->today() : QDate::currentDate();
    setScrollValue(chart::ScrollMaximum);
    LastScrollValue = chart::ScrollMaximum;
    Chkdekidaka->setChecked(true);
    m_options.volume = true;
    Chkbunkatsu->setChecked(splits::AdjustedChartSetting());
    // The controls stand at fixed positions: a smaller window would cut them off.
    const QSize whole(1010, 640 + menuBar()->sizeHint().height() + Toolbar->sizeHint().height() + 4);
    setMinimumSize(whole);
    resize(whole);
}

void frmMain::Form_Activate()
{
    // The first-run sequence runs once; its windows belong to the download work.
    if (m_start == MainWindowStart::FirstRun) {
        m_start = MainWindowStart::Ordinary;
        MeiCode->setText(QStringLiteral("1"));
        runHooks(m_table.firstRunHooks());
    }
}

void frmMain::reportError(const QString &text)
{
    if (m_services.prompt)
        m_services.prompt->inform(text, QString(), PromptIcon::Critical);
}

void frmMain::setChartDateText(const QString &text)
{
    BusyGuard suppressed(ListRefreshSuppressed);
    chartDate->setText(text);
}

void frmMain::setScrollValue(int value)
{
    BusyGuard guard(m_settingScroll);
    HScroll->setValue(value);
}

void frmMain::clearValueLabels()
{
    for (QLabel *l : {LblDate, Lblowarine, Lbltanidoheikn, Lbltyuidoheikn, Lbltyoidoheikn, Lbltankairi, Lbltyukairi,
                      Lbltyokairi, LblSRL, LblRSI, LblVR, Lblsaitakane, Lblsaiyasune})
        l->clear();
}

// ---------------------------------------------------------------------------------------------
// Navigation

void frmMain::clearChart()
{
    m_series = chart::ChartSeries();
    setScrollValue(chart::ScrollMaximum);
    LastScrollValue = chart::ScrollMaximum;
    DrawChart(true);
}

bool frmMain::reloadIssue()
{
    const QString codeText = MeiCode->text();
    if (codeText.size() != 4)
        return false;
    bool numeric = false;
    const int code = codeText.toInt(&numeric);
    if (!numeric || code < 0)
        return false;
    bool found = false;
    try {
        const ui::IssueInfo info = ui::FindIssue(MainModule::DBPath, code);
        if (info.found) {
            Lblshijyo->setText(info.marketAbbrev);
            LblMei->setText(info.name);
            if (MainModule::ListPicked) {
                for (int i = 0; i < ListMei->count(); ++i) {
                    if (ListMei->item(i)->text().left(4) == codeText) {
                        ListMei->setCurrentRow(i);
                        break;
                    }
                }
            }
            MainModule::ListPicked = true;
            found = true;
        }
    } catch (const db::DbError &e) {
        reportError(e.description());
        return false;
    }
    if (!found)
        return false;
    BusyGuard busy;
    QString dateText = chartDate->text();
    static SystemClock systemClock;
    const Clock &clock = m_services.clock ? *m_services.clock : systemClock;
    m_seriesSettings = chart::IndicatorSettings::fromMainModule();
    WithoutNoDataNotice quiet(*m_services.prompt);
    chart::LoadChartSeries(m_series, m_scroll, code, dateText, MainModule::PeriodMode, m_seriesSettings,
                           m_showingStoredDataAgain ? static_cast<Prompt &>(quiet) : *m_services.prompt, clock,
                           Chkbunkatsu->isChecked());
    if (dateText != chartDate->text())
        setChartDateText(dateText);
    HScroll->setSingleStep(m_scroll.SmallChange);
    HScroll->setPageStep(m_scroll.LargeChange);
    DrawChart(true);
    return true;
}

void frmMain::DrawChart(bool fillList)
{
    m_options.periodMode = MainModule::PeriodMode;
    chartView->refresh();
    if (!fillList)
        return;
    const chart::PriceListFill fill = chart::priceListOf(m_series);
    {
        const QSignalBlocker block(KabukaList);
        KabukaList->clear();
        // Shaping every row to size it costs more than the rest of a switch; rows that take the same
        // room need only the first one's size.
        KabukaList->setUniformItemSizes(chart::rowsOfOneWidth(fill.rows, KabukaList->font()));
        KabukaList->addItems(fill.rows);
    }
    clearValueLabels();
    if (fill.selectedRow >= 0)
        KabukaList->setCurrentRow(fill.selectedRow);
    if (fill.labelsSet) {
        Lblsaitakane->setText(fill.Lblsaitakane);
        Lblsaiyasune->setText(fill.Lblsaiyasune);
    }
}

void frmMain::KabukaList_Click(int row)
{
    if (row < 0 || row >= KabukaList->count())
        return;
    if (!chart::rowStartsWithDate(KabukaList->item(row)->text()))
        return;
    const chart::IndicatorLabels l = chart::labelsForRecord(m_series, row);
    Lbltankairi->setText(l.Lbltankairi);
    Lbltyukairi->setText(l.Lbltyukairi);
    Lbltyokairi->setText(l.Lbltyokairi);
    Lbltanidoheikn->setText(l.Lbltanidoheikn);
    Lbltyuidoheikn->setText(l.Lbltyuidoheikn);
    Lbltyoidoheikn->setText(l.Lbltyoidoheikn);
    Lblowarine->setText(l.Lblowarine);
    LblDate->setText(l.LblDate);
    LblSRL->setText(l.LblSRL);
    LblRSI->setText(l.LblRSI);
    LblVR->setText(l.LblVR);
}

void frmMain::chartView_MouseDown(int x, int)
{
    const int row = chart::chartClickRow(x, KabukaList->count());
    if (row < 0)
        return;
    KabukaList->setCurrentRow(row);
    KabukaList->scrollToItem(KabukaList->item(row));
}

void frmMain::HScroll_Change(int value)
{
    if (m_settingScroll)
        return;
    if (LblMei->text().isEmpty()) {
        setScrollValue(chart::ScrollMaximum);
        LastScrollValue = chart::ScrollMaximum;
        return;
    }
    const int adjusted = chart::adjustedScrollValue(m_scroll, LastScrollValue, value);
    if (adjusted != value)
        setScrollValue(adjusted);
    const QDate date = chart::dateOfScrollValue(m_scroll, adjusted);
    LastScrollValue = adjusted;
    if (date.isValid()) {
        BusyGuard fromScroll(m_dateFromScroll);
        chartDate->setText(DateUtil::formatYYMMDD(date));
    }
}

void frmMain::scrollToChartDate()
{
    if (m_dateFromScroll || LblMei->text().isEmpty())
        return;
    const QDate today = m_services.clock ? m_services.clock->today() : QDate::currentDate();
    if (!DateUtil::isDate(chartDate->text(), today))
        return;
    const int value = chart::scrollValueOfDate(m_scroll, DateUtil::parseDate(chartDate->text(), today));
    setScrollValue(value);
    LastScrollValue = value;
}

void frmMain::chartDate_Change()
{
    const QDate today = m_services.clock ? m_services.clock->today() : QDate::currentDate();
    if (!DateUtil::isCompleteDate(chartDate->text(), today))
        return;
    BusyGuard suppressed(ListRefreshSuppressed);
    reloadIssue();
    scrollToChartDate();
}

void frmMain::MeiCode_Change()
{
    if (m_settingCode)
        return;
    const QString typed = MeiCode->text();
    const QString text = mainwin::normalizedCodeText(typed);
    if (text != typed || text.size() >= 6) {
        const QString cut = text.left(5);
        const int caret = std::min(MeiCode->cursorPosition(), int(cut.size()));
        {
            BusyGuard guard(m_settingCode);
            MeiCode->setText(cut);
        }
        MeiCode->setCursorPosition(text.size() >= 6 ? int(cut.size()) : caret);
    }
    Lblshijyo->clear();
    LblMei->clear();
    const QString code = MeiCode->text();
    ListIssuesByCode(code);
    if (!reloadIssue())
        clearChart();
}

void frmMain::ListIssuesByCode(const QString &prefix)
{
    if (ListRefreshSuppressed)
        return;
    if (!mainwin::listNeedsRefill(prefix, ListMei->count()))
        return;
    if (mainwin::issueListQuery(prefix).isEmpty())
        return;
    QStringList entries;
    try {
        entries = mainwin::IssuesByCode(MainModule::DBPath, prefix);
    } catch (const db::DbError &e) {
        reportError(e.description());
        return;
    }
    setListEntries(entries);
    if (!entries.isEmpty())
        ListMei->setCurrentRow(0);
}

void frmMain::setListEntries(const QStringList &entries)
{
    ListMei->clear();
    ListMei->addItems(entries);
    for (int i = 0; i < ListMei->count(); ++i)
        ListMei->item(i)->setToolTip(entries[i]); // the list is narrower than most names
}

void frmMain::removeSelectedFromList()
{
    const int row = ListMei->currentRow();
    if (row < 0 || !ListMei->currentItem() || QApplication::focusWidget() == MeiCode)
        return;
    const QString text = ListMei->currentItem()->text();
    if (!m_services.prompt->askYesNo(mainwin::removeFromListQuestion(text), QStringLiteral("確認"),
                                     PromptIcon::Information))
        return;
    delete ListMei->takeItem(row);
    const int next = mainwin::selectionAfterRemoval(row, ListMei->count());
    if (next >= 0)
        ListMei->setCurrentRow(next);
}

void frmMain::ListMei_DblClick()
{
    MainModule::ListPicked = false;
    QListWidgetItem *item = ListMei->currentItem();
    if (!item || ListMei->currentRow() < 0)
        return;
    BusyGuard suppressed(ListRefreshSuppressed);
    MeiCode->setText(item->text().left(4));
}

void frmMain::stepList(int direction)
{
    ListMei->setFocus();
    const int count = ListMei->count();
    const int row = ListMei->currentRow();
    const int next = row + direction;
    if (count == 0 || next < 0 || next >= count)
        return;
    ListMei->setCurrentRow(next);
    ListMei_DblClick();
}

void frmMain::CmdFind_Click()
{
    MeiCode->setFocus();
    MeiCode->selectAll();
    {
        BusyGuard suppressed(ListRefreshSuppressed);
        frmMeiFind::choose(m_services, this, MeiCode);
    }
    ListIssuesByCode(MeiCode->text().left(2));
    reloadIssue();
}

void frmMain::Cmdchange_Click()
{
    const QString caption = ToggleDayWeek();
    if (!caption.isEmpty())
        mnuchartdayandweek->setText(caption);
    MarkPeriodCaption(this, MainModule::PeriodMode, true);
    m_options.windowBackground = MainModule::PeriodMode == 2 ? chart::colours::WindowWeekly : chart::colours::WindowDaily;
    SetPeriodButtonCaption(Cmdchange, MainModule::PeriodMode);
    CmdSRLRSI->setText(chart::lowerPanelCaption(m_options.lowerPanelMode, MainModule::PeriodMode));
    m_series.clear();
    DrawChart(false);
    reloadIssue();
    ListMei->setFocus();
}

void frmMain::CmdSRLRSI_Click()
{
    m_options.lowerPanelMode = chart::nextLowerPanelMode(m_options.lowerPanelMode);
    CmdSRLRSI->setText(chart::lowerPanelCaption(m_options.lowerPanelMode, MainModule::PeriodMode));
    DrawChart(false);
    ListMei->setFocus();
}

void frmMain::Cmdidoheikin_Click()
{
    chart::toggleAverages(m_options.colourTable);
    Cmdidoheikin->setText(chart::averagesCaption(chart::averagesShown(m_options.colourTable)));
    DrawChart(false);
    ListMei->setFocus();
}

void frmMain::Chkdekidaka_Click()
{
    m_options.volume = Chkdekidaka->isChecked();
    DrawChart(false);
}

void frmMain::Chknijikyokusenn_Click()
{
    m_options.curve = Chknijikyokusenn->isChecked();
    DrawChart(false);
    ListMei->setFocus();
}

// ---------------------------------------------------------------------------------------------
// Window events

bool frmMain::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::KeyPress && event->type() != QEvent::ShortcutOverride)
        return QMainWindow::eventFilter(watched, event);
    auto *widget = qobject_cast<QWidget *>(watched);
    if (!widget || widget->window() != this || !isEnabled())
        return QMainWindow::eventFilter(watched, event);
    auto *key = static_cast<QKeyEvent *>(event);
    // A menu key wins over a text box's own use of it (Ctrl+A would select, Ctrl+X cut): the
    // override not accepted, the menu's shortcut fires.
    if (event->type() == QEvent::ShortcutOverride && isMenuKey(*key)) {
        event->ignore();
        return true;
    }
    const Qt::KeyboardModifiers mods = key->modifiers() & ~Qt::KeypadModifier;
    const bool space = key->key() == Qt::Key_Space && (mods == Qt::NoModifier || mods == Qt::ShiftModifier);
    const bool f1 = key->key() == Qt::Key_F1 && mods == Qt::NoModifier;
    if (!space && !f1)
        return QMainWindow::eventFilter(watched, event);
    if (event->type() == QEvent::ShortcutOverride) {
        event->accept();
        return true;
    }
    if (key->isAutoRepeat() && f1)
        return true;
    if (f1) {
        MeiCode->clear();
        MeiCode->setFocus();
    } else {
        stepList(mods == Qt::ShiftModifier ? -1 : 1);
    }
    return true;
}

void frmMain::resizeEvent(QResizeEvent *event)
{
    QMainWindow::resizeEvent(event);
    Form_Resize();
}

void frmMain::changeEvent(QEvent *event)
{
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange)
        Form_Resize();
    else if (event->type() == QEvent::ActivationChange && isActiveWindow() && m_firstActivation) {
        m_firstActivation = false;
        Form_Activate();
    }
}

void frmMain::Form_Resize()
{
    if (isMinimized()) {
        blinkTimer->start();
        return;
    }
    blinkTimer->stop();
    BlinkRequest = false;
    DrawChart(false);
}
