#include "board/frmKabukaboard.h"

#include "base/AppServices.h"
#include "base/BusyGuard.h"
#include "base/MainModule.h"
#include "base/Ports.h"
#include "base/Settings.h"
#include "board/BoardStore.h"
#include "board/QuoteFetch.h"
#include "db/DbError.h"
#include "ui/RecordsetTableModel.h"
#include "ui/WindowHelpers.h"

#include <QCloseEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>

namespace {

constexpr int Margin = 8;

QLabel *panelLabel(const char *name, int minimumWidth)
{
    auto *l = named<QLabel>(name);
    l->setFrameShape(QFrame::Panel);
    l->setFrameShadow(QFrame::Sunken);
    l->setMinimumWidth(minimumWidth);
    return l;
}

} // namespace

frmKabukaboard::frmKabukaboard(AppServices &services, int kind, Hooks hooks, QWidget *parent)
    : QDialog(parent), m_services(services), m_kind(kind), m_hooks(std::move(hooks)),
      m_fetch(new board::QuoteFetch(MainModule::DBPath, kind, *services.http, *services.prompt, *services.clock, this))
{
    setObjectName(QStringLiteral("frmKabukaboard"));
    setModal(true);

    Label1 = named<QLabel>("Label1", QStringLiteral("銘柄コード"));
    MeiCode = named<QLineEdit>("MeiCode");
    MeiCode->setFixedWidth(60);
    Lblshijyo = panelLabel("Lblshijyo", 48);
    LblMei = panelLabel("LblMei", 220);
    CmdFind = named<QPushButton>("CmdFind", QStringLiteral("検索....."));
    CmdfrmboardAdd = named<QPushButton>("CmdfrmboardAdd", QStringLiteral("株価ボードヘ追加"));
    CmdfrmboardDel = named<QPushButton>("CmdfrmboardDel", QStringLiteral("株価ボードから削除"));
    Cmdto = named<QPushButton>("Cmdto", QStringLiteral("株価ボード%1へ移動").arg(board::letter(kind) + QStringLiteral("から") + board::letter(board::otherKind(kind))));
    Cmdselectedchart = named<QPushButton>("Cmdselectedchart", QStringLiteral("チャート"));
    CmdInet = named<QPushButton>("CmdInet", QStringLiteral("ｲﾝﾀｰﾈｯﾄから現在値取得"));
    Cmdclear = named<QPushButton>("Cmdclear", QStringLiteral("現在値ｸﾘｱ"));
    Label2 = named<QLabel>("Label2", QStringLiteral("ﾎﾞｰﾄﾞﾌｧｲﾙ名："));
    LblFileName = panelLabel("LblFileName", 160);
    CmdFileclear = named<QPushButton>("CmdFileclear", QStringLiteral("ﾌｧｲﾙ名ｸﾘｱ"));
    LblboardDate = panelLabel("LblboardDate", 110);
    LblInt = panelLabel("LblInt", 140);

    auto *issueRow = new QHBoxLayout;
    issueRow->addWidget(Label1);
    issueRow->addWidget(MeiCode);
    issueRow->addWidget(Lblshijyo);
    issueRow->addWidget(LblMei);
    issueRow->addWidget(CmdFind);
    issueRow->addSpacing(16);
    issueRow->addWidget(CmdfrmboardAdd);
    issueRow->addWidget(CmdfrmboardDel);
    issueRow->addWidget(Cmdto);
    issueRow->addStretch();
    auto *quoteRow = new QHBoxLayout;
    quoteRow->addWidget(Cmdselectedchart);
    quoteRow->addWidget(CmdInet);
    quoteRow->addWidget(Cmdclear);
    quoteRow->addSpacing(16);
    quoteRow->addWidget(Label2);
    quoteRow->addWidget(LblFileName);
    quoteRow->addWidget(CmdFileclear);
    quoteRow->addSpacing(16);
    quoteRow->addWidget(LblboardDate);
    quoteRow->addWidget(LblInt);
    quoteRow->addStretch();
    auto *rows = new QVBoxLayout;
    rows->setContentsMargins(Margin, Margin, Margin, 0);
    rows->addLayout(issueRow);
    rows->addLayout(quoteRow);
    rows->addStretch();
    auto *header = new QWidget(this);
    header->setObjectName(QStringLiteral("header"));
    header->setLayout(rows);

    boardData = new RecordsetTableModel(services.prompt, this);
    boardData->setObjectName(QStringLiteral("boardData"));
    boardData->setReadOnly(true);
    boardData->setFieldHidden(QStringLiteral("区分"), true);
    boardData->setHeaderCaption(QStringLiteral("現前日比"), QStringLiteral("前日比"));
    boardData->setDateFormat(QStringLiteral("yy/MM/dd"));
    boardDBGrid = named<QTableView>("boardDBGrid");
    boardDBGrid->setParent(this);
    boardDBGrid->setModel(boardData);
    boardDBGrid->setSelectionBehavior(QAbstractItemView::SelectRows);
    boardDBGrid->setSelectionMode(QAbstractItemView::SingleSelection);
    boardDBGrid->verticalHeader()->setDefaultSectionSize(22);

    const int headerHeight = header->sizeHint().height();
    resize(qMax(980, header->sizeHint().width()), 600);
    header->setGeometry(0, 0, width(), headerHeight);
    boardDBGrid->setGeometry(Margin, headerHeight + Margin, width() - 2 * Margin, height() - headerHeight - 2 * Margin);
    // The grid keeps these margins to the right and bottom edges when the window is resized.
    m_gridRightMargin = width() - (boardDBGrid->x() + boardDBGrid->width());
    m_gridBottomMargin = height() - (boardDBGrid->y() + boardDBGrid->height());

    connect(MeiCode, &QLineEdit::textChanged, this, &frmKabukaboard::MeiCode_Change);
    connect(CmdFind, &QPushButton::clicked, this, &frmKabukaboard::CmdFind_Click);
    connect(CmdfrmboardAdd, &QPushButton::clicked, this, &frmKabukaboard::CmdfrmboardAdd_Click);
    connect(CmdfrmboardDel, &QPushButton::clicked, this, &frmKabukaboard::CmdfrmboardDel_Click);
    connect(Cmdto, &QPushButton::clicked, this, &frmKabukaboard::Cmdto_Click);
    connect(Cmdselectedchart, &QPushButton::clicked, this, &frmKabukaboard::Cmdselectedchart_Click);
    connect(boardDBGrid, &QTableView::doubleClicked, this, &frmKabukaboard::Cmdselectedchart_Click);
    connect(CmdInet, &QPushButton::clicked, this, &frmKabukaboard::CmdInet_Click);
    connect(Cmdclear, &QPushButton::clicked, this, &frmKabukaboard::Cmdclear_Click);
    connect(CmdFileclear, &QPushButton::clicked, this, &frmKabukaboard::CmdFileclear_Click);
    // A fetch that really starts stamps its time; the quote time of the last page goes with the
    // old quotes. Saying No to the question keeps both.
    connect(m_fetch, &board::QuoteFetch::fetchTimeChanged, this, [this](const QString &stamp) {
        LblboardDate->setText(stamp);
        LblInt->clear();
    });
    connect(m_fetch, &board::QuoteFetch::quoteTimeChanged, this, [this](const QString &text) {
        LblInt->setText(text);
        LblInt->repaint();
    });
    connect(m_fetch, &board::QuoteFetch::rowsChanged, boardData, &RecordsetTableModel::refresh);
    // Each quote written widens its columns at once, not only when the whole fetch has ended
    // (the fetch's questions and messages stand over a grid that is still being filled).
    connect(m_fetch, &board::QuoteFetch::rowsChanged, boardDBGrid, &QTableView::resizeColumnsToContents);
    connect(m_fetch, &board::QuoteFetch::busyChanged, this, &frmKabukaboard::setBusyPointer);

    Form_Load();
}

frmKabukaboard::~frmKabukaboard()
{
    setBusyPointer(false);
}

void frmKabukaboard::Form_Load()
{
    board::RefreshDailyFigures(context(), m_kind);
    boardData->setRecordSource(MainModule::DBPath, board::recordSource(m_kind));
    boardDBGrid->resizeColumnsToContents();
    setWindowTitle(QStringLiteral("株価ボード") + board::letter(m_kind));
    MarkPeriodCaption(this, MainModule::PeriodMode, false);
    LblFileName->setText(Settings::settingsValue(board::fileKey(m_kind)));
    LblboardDate->setText(Settings::settingsValue(board::dateKey(m_kind)));
}

board::BoardContext frmKabukaboard::context() const
{
    return {MainModule::DBPath, *m_services.prompt, m_services.clock->today()};
}

bool frmKabukaboard::fetching() const
{
    return m_fetch->timerRunning();
}

void frmKabukaboard::MeiCode_Change()
{
    Lblshijyo->clear();
    LblMei->clear();
    const QString text = MeiCode->text();
    if (text.size() >= 5) {
        MeiCode->setText(text.left(4)); // runs this handler again for the four characters
        MeiCode->setCursorPosition(4);
        return;
    }
    if (text.size() != 4)
        return;
    bool numeric = false;
    const qint64 code = text.toLongLong(&numeric);
    if (!numeric)
        return;
    try {
        const board::IssueLabels issue = board::LookUpIssue(MainModule::DBPath, code);
        if (issue.found) {
            Lblshijyo->setText(issue.market);
            LblMei->setText(issue.name);
        }
    } catch (const db::DbError &) {
        // The labels stay empty: the code counts as unknown.
    }
}

bool frmKabukaboard::ValidateCode()
{
    if (!MeiCode->text().isEmpty() && !Lblshijyo->text().isEmpty() && !LblMei->text().isEmpty())
        return true;
    m_services.prompt->inform(QStringLiteral("正しい銘柄コードを入力して下さい。"));
    return false;
}

qint32 frmKabukaboard::currentCode() const
{
    const QModelIndex current = boardDBGrid->currentIndex();
    if (!current.isValid())
        return 0;
    return qint32(boardData->rawValue(current.row(), QStringLiteral("コード")).toLongLong());
}

void frmKabukaboard::CmdfrmboardAdd_Click()
{
    if (fetching() || !ValidateCode())
        return;
    board::AddIssue(context(), m_kind, MeiCode->text().toInt(), LblMei->text());
    boardData->refresh();
}

bool frmKabukaboard::hasCurrentRow(const QString &action)
{
    if (boardDBGrid->currentIndex().isValid())
        return true;
    m_services.prompt->inform(action + QStringLiteral("銘柄の行を選択して下さい。"));
    return false;
}

void frmKabukaboard::CmdfrmboardDel_Click()
{
    if (fetching() || !hasCurrentRow(QStringLiteral("削除する")))
        return;
    if (board::RemoveIssue(context(), m_kind, currentCode()))
        boardData->refresh();
}

void frmKabukaboard::Cmdto_Click()
{
    if (fetching() || !hasCurrentRow(QStringLiteral("移動する")))
        return;
    if (board::MoveBoardIssue(context(), m_kind, currentCode(), Cmdto->text()))
        boardData->refresh();
}

void frmKabukaboard::Cmdselectedchart_Click()
{
    if (fetching() || !hasCurrentRow(QStringLiteral("チャートを表示する")))
        return;
    const QVariant code = boardData->rawValue(boardDBGrid->currentIndex().row(), QStringLiteral("コード"));
    if (!code.isValid() || code.toString().isEmpty())
        return;
    if (m_hooks.showChart)
        m_hooks.showChart(code.toString());
}

void frmKabukaboard::CmdFind_Click()
{
    if (fetching())
        return;
    MeiCode->setFocus();
    MeiCode->selectAll();
    if (m_hooks.findIssue)
        m_hooks.findIssue(this, MeiCode);
}

void frmKabukaboard::CmdInet_Click()
{
    if (fetching())
        return;
    m_fetch->start();
}

void frmKabukaboard::Cmdclear_Click()
{
    board::ClearQuotes(context(), m_kind);
    boardData->refresh();
}

void frmKabukaboard::CmdFileclear_Click()
{
    if (fetching())
        return;
    if (m_services.prompt->askYesNo(QStringLiteral("ファイル名をクリアします　よろしいですか？"), QStringLiteral("確認")))
        LblFileName->clear();
}

void frmKabukaboard::setBusyPointer(bool busy)
{
    if (!busy)
        m_busyPointer.reset();
    else if (!m_busyPointer)
        m_busyPointer = std::make_unique<BusyGuard>();
}

void frmKabukaboard::Form_Unload()
{
    Settings::writeSettingsValue(board::fileKey(m_kind), LblFileName->text());
    setBusyPointer(false);
}

void frmKabukaboard::done(int result)
{
    // A fetch in progress keeps the window open (Escape included) until its last page is handled.
    if (m_fetch->isFetching())
        return;
    if (!m_unloaded) {
        m_unloaded = true;
        Form_Unload();
    }
    QDialog::done(result);
}

void frmKabukaboard::closeEvent(QCloseEvent *event)
{
    if (m_fetch->isFetching()) {
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

void frmKabukaboard::resizeEvent(QResizeEvent *event)
{
    QDialog::resizeEvent(event);
    if (auto *header = findChild<QWidget *>(QStringLiteral("header"), Qt::FindDirectChildrenOnly))
        header->setGeometry(0, 0, width(), header->height());
    const QPoint topLeft = boardDBGrid->pos();
    boardDBGrid->resize(qMax(0, width() - m_gridRightMargin - topLeft.x()),
                        qMax(0, height() - m_gridBottomMargin - topLeft.y()));
}
