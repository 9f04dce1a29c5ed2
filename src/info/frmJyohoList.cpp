#include "info/frmJyohoList.h"

#include "base/AppServices.h"
#include "base/MainModule.h"
#include "base/Ports.h"
#include "db/DbError.h"
#include "ui/RecordsetTableModel.h"
#include "ui/WindowHelpers.h"

#include <QApplication>
#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

frmJyohoList::frmJyohoList(AppServices &services, std::optional<qint64> code, QWidget *parent)
    : QDialog(parent), m_services(services)
{
    setObjectName(QStringLiteral("frmJyohoList"));
    setWindowTitle(QStringLiteral("情報リスト"));
    setModal(true);
    CmbJyhoList0 = named<QComboBox>("CmbJyhoList0");
    CmbJyhoList1 = named<QComboBox>("CmbJyhoList1");
    CmbJyhoList1->hide();
    CmbJyhoList0->setMinimumWidth(200);
    DBGridinformationData = named<QTableView>("DBGridinformationData");
    DatainformationData = new RecordsetTableModel(m_services.prompt, this);
    DatainformationData->setObjectName(QStringLiteral("DatainformationData"));
    DatainformationData->setReadOnly(true);
    DatainformationData->setDateFormat(QStringLiteral("yy/MM/dd")); // as every other window shows a date
    DBGridinformationData->setModel(DatainformationData);
    DBGridinformationData->setSelectionBehavior(QAbstractItemView::SelectRows);
    DBGridinformationData->verticalHeader()->setDefaultSectionSize(20);
    CmdHijyun = named<QPushButton>("CmdHijyun", QStringLiteral("日付順"));
    CmdKoumokuJyun = named<QPushButton>("CmdKoumokuJyun", QStringLiteral("項目順"));

    auto *top = new QHBoxLayout;
    top->addWidget(new QLabel(QStringLiteral("情報の種類")));
    top->addWidget(CmbJyhoList0);
    top->addWidget(CmbJyhoList1);
    top->addStretch();
    top->addWidget(CmdHijyun);
    top->addWidget(CmdKoumokuJyun);
    auto *caption = named<QLabel>("LblinformationData", QStringLiteral("情報表示"));
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(caption);
    layout->addWidget(DBGridinformationData, 1);
    resize(860, 480);

    connect(CmbJyhoList0, &QComboBox::activated, this, &frmJyohoList::CmbJyhoList_Click);
    connect(CmdHijyun, &QPushButton::clicked, this, [this] { setOrder(info::SearchOrder::ByDate); });
    connect(CmdKoumokuJyun, &QPushButton::clicked, this, [this] { setOrder(info::SearchOrder::ByKind); });
    Form_Load(code);
}

void frmJyohoList::Form_Load(std::optional<qint64> code)
{
    if (!code)
        return;
    m_code = *code;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    m_loading = true;
    m_order = info::SearchOrder::ByDate;
    CmbJyhoList0->addItem(QStringLiteral("すべて"));
    CmbJyhoList1->addItem(QStringLiteral("ALL"));
    try {
        const info::SearchKinds kinds = info::OfferedKinds(MainModule::DBPath);
        CmbJyhoList0->addItems(kinds.names);
        CmbJyhoList1->addItems(kinds.codes);
    } catch (const db::DbError &e) {
        m_services.prompt->inform(e.description(), QString(), PromptIcon::Critical);
    }
    CmbJyhoList0->setCurrentIndex(0);
    CmbJyhoList1->setCurrentIndex(0);
    DatainformationData->setRecordSource(MainModule::DBPath, info::IssueSearchSource(m_code, QString(), m_order));
    DBGridinformationData->resizeColumnsToContents();
    m_loading = false;
    QApplication::restoreOverrideCursor();
}

void frmJyohoList::showQuery()
{
    const QString source = info::IssueSearchSource(m_code, CmbJyhoList1->currentText(), m_order);
    if (source != DatainformationData->recordSource())
        DatainformationData->setRecordSource(MainModule::DBPath, source);
}

void frmJyohoList::CmbJyhoList_Click(int index)
{
    if (m_loading || m_code < 0)
        return;
    CmbJyhoList1->setCurrentIndex(index);
    showQuery();
}

void frmJyohoList::setOrder(info::SearchOrder order)
{
    if (m_order == order || m_code < 0)
        return;
    m_order = order;
    CmbJyhoList0->setCurrentIndex(0);
    CmbJyhoList1->setCurrentIndex(0);
    showQuery();
}
