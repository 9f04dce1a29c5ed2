#include "maint/frmReadDelMei.h"

#include "base/AppServices.h"
#include "base/BusyGuard.h"
#include "base/MainModule.h"
#include "base/Ports.h"
#include "db/DbError.h"
#include "maint/IssueDeletion.h"
#include "ui/RecordsetTableModel.h"
#include "ui/WindowHelpers.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

namespace {

const QString kConfirm = QStringLiteral("確認");
const QString kFinished = QStringLiteral("終了しました。");

} // namespace

frmReadDelMei::frmReadDelMei(AppServices &services, QWidget *parent)
    : QDialog(parent), m_services(services)
{
    setObjectName(QStringLiteral("frmReadDelMei"));
    setWindowTitle(QStringLiteral("エラー銘柄"));
    setModal(true);

    Label3 = named<QLabel>("Label3", QStringLiteral("以下の銘柄が今回の読込みで株価データーがありませんでした。"));
    Label4 = named<QLabel>("Label4", QStringLiteral("銘柄削除を行います。"));
    Label5 = named<QLabel>("Label5", QStringLiteral("三日ほどようすを見て判断後削除してください。"));
    const std::vector<QLabel *> marketLegend = MarketCodeLegend();
    Label1 = marketLegend[0];
    Label2 = marketLegend[1];
    MeiData = new RecordsetTableModel(m_services.prompt, this);
    MeiData->setObjectName(QStringLiteral("MeiData"));
    MeiData->setReadOnly(true);
    MeiDBGrid = named<QTableView>("MeiDBGrid");
    MeiDBGrid->setModel(MeiData);
    MeiDBGrid->setSelectionBehavior(QAbstractItemView::SelectRows);
    MeiDBGrid->setSelectionMode(QAbstractItemView::SingleSelection);
    MeiDBGrid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    MeiDBGrid->verticalHeader()->setDefaultSectionSize(20);
    MeiDBGrid->setMinimumSize(520, 260);
    CmdAllDelete = named<QPushButton>("CmdAllDelete", QStringLiteral("すべて削除"));
    CmdDelete = named<QPushButton>("CmdDelete", QStringLiteral("削　　除"));
    Cmdcancel = named<QPushButton>("Cmdcancel", QStringLiteral("ｷｬﾝｾﾙ終了"));

    auto *legend = new QVBoxLayout;
    legend->setSpacing(0);
    for (QLabel *l : marketLegend)
        legend->addWidget(l);

    auto *buttons = new QHBoxLayout;
    buttons->addWidget(CmdDelete);
    buttons->addWidget(CmdAllDelete);
    buttons->addStretch();
    buttons->addWidget(Cmdcancel);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(Label3);
    layout->addWidget(MeiDBGrid, 1);
    layout->addLayout(legend);
    layout->addWidget(Label4);
    layout->addWidget(Label5);
    layout->addLayout(buttons);

    connect(CmdDelete, &QPushButton::clicked, this, &frmReadDelMei::CmdDelete_Click);
    connect(CmdAllDelete, &QPushButton::clicked, this, &frmReadDelMei::CmdAllDelete_Click);
    connect(Cmdcancel, &QPushButton::clicked, this, &QDialog::reject);

    Form_Load();
}

void frmReadDelMei::Form_Load()
{
    MeiData->setRecordSource(MainModule::DBPath, maint::UnupdatedIssuesSource());
    MeiData->setFieldHidden(QStringLiteral("更新Flg"), true);
    reload(0);
}

void frmReadDelMei::reload(int preferredRow)
{
    MeiData->refresh();
    MeiDBGrid->resizeColumnsToContents();
    if (MeiData->rowCount() == 0)
        return;
    const int row = std::clamp(preferredRow, 0, MeiData->rowCount() - 1);
    MeiDBGrid->setCurrentIndex(MeiData->index(row, 0));
}

int frmReadDelMei::currentRow() const
{
    const QModelIndex current = MeiDBGrid->currentIndex();
    if (current.isValid())
        return current.row();
    // After a load the first row is current.
    return MeiData->rowCount() > 0 ? 0 : -1;
}

void frmReadDelMei::CmdDelete_Click()
{
    if (m_working)
        return;
    Prompt &prompt = *m_services.prompt;
    const int row = currentRow();
    bool numeric = false;
    const qint64 code = row < 0 ? 0 : MeiData->rawValue(row, QStringLiteral("コード")).toString().toLongLong(&numeric);
    if (!numeric) {
        prompt.inform(QStringLiteral("一覧から削除対象を選択して下さい。"));
        return;
    }
    if (!prompt.askYesNo(QStringLiteral("コード=%1 銘柄と株価データーをすべて削除します　よろしいですか？").arg(code), kConfirm))
        return;
    m_working = true;
    try {
        maint::DeleteIssue(MainModule::DBPath, code);
        reload(row);
        m_working = false;
        prompt.inform(kFinished);
    } catch (const db::DbError &e) {
        reload(row);
        m_working = false;
        prompt.inform(e.description(), QString(), PromptIcon::Critical);
    }
}

void frmReadDelMei::CmdAllDelete_Click()
{
    if (m_working)
        return;
    Prompt &prompt = *m_services.prompt;
    if (!prompt.askYesNo(QStringLiteral("一覧で表示されている　銘柄と株価データーをすべて削除します　よろしいですか？"), kConfirm))
        return;
    m_working = true;
    QString error;
    {
        BusyGuard wait;
        try {
            maint::DeleteUnupdatedIssues(MainModule::DBPath);
        } catch (const db::DbError &e) {
            error = e.description();
        }
        reload(0);
    }
    m_working = false;
    if (error.isEmpty())
        prompt.inform(kFinished);
    else
        prompt.inform(error, QString(), PromptIcon::Critical);
}
