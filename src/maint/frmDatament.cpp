#include "maint/frmDatament.h"

#include "base/AppServices.h"
#include "base/MainModule.h"
#include "db/DbError.h"
#include "maint/IssueCheck.h"
#include "maint/frmEditMei.h"
#include "ui/RecordsetTableModel.h"
#include "ui/WindowHelpers.h"

#include <QCloseEvent>
#include <QGridLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QTableView>

namespace {
const QString kConfirm = QStringLiteral("確認");
}

frmDatament::frmDatament(AppServices &services, QWidget *parent)
    : QDialog(parent), m_services(services)
{
    setObjectName(QStringLiteral("frmDatament"));
    setWindowTitle(QStringLiteral("ﾃﾞｰﾀｰﾒﾝﾃ"));
    setModal(true);

    CmdMake1 = named<QPushButton>("CmdMake1", QStringLiteral("株価ﾃﾞｰﾀｰ有　銘柄登録無　の調査"));
    CmdMake2 = named<QPushButton>("CmdMake2", QStringLiteral("銘柄登録有　株価ﾃﾞｰﾀｰ無　の調査"));
    CmdDelData = named<QPushButton>("CmdDelData", QStringLiteral("選択株価ﾃﾞｰﾀｰ削除"));
    CmdDelMei = named<QPushButton>("CmdDelMei", QStringLiteral("選択銘柄登録削除"));
    CmdMeiRegist = named<QPushButton>("CmdMeiRegist", QStringLiteral("銘柄メンテナンス"));
    for (QPushButton *b : {CmdMake1, CmdMake2, CmdDelData, CmdDelMei, CmdMeiRegist})
        b->setMinimumWidth(CmdMake1->sizeHint().width() + 40);
    MenteData = new RecordsetTableModel(m_services.prompt, this);
    MenteData->setObjectName(QStringLiteral("MenteData"));
    MenteData->setReadOnly(true);
    MenteDBGrid = named<QTableView>("MenteDBGrid");
    MenteDBGrid->setModel(MenteData);
    MenteDBGrid->setSelectionBehavior(QAbstractItemView::SelectRows);
    MenteDBGrid->setSelectionMode(QAbstractItemView::SingleSelection);
    MenteDBGrid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    MenteDBGrid->verticalHeader()->setDefaultSectionSize(20);
    MenteDBGrid->horizontalHeader()->setStretchLastSection(true);
    MenteDBGrid->setMinimumSize(160, 300);

    auto *layout = new QGridLayout(this);
    layout->addWidget(MenteDBGrid, 0, 0, 6, 1);
    layout->addWidget(CmdMake1, 0, 1);
    layout->addWidget(CmdMake2, 1, 1);
    layout->addWidget(CmdDelData, 2, 1);
    layout->addWidget(CmdDelMei, 3, 1);
    layout->addWidget(CmdMeiRegist, 4, 1);
    layout->setRowStretch(5, 1);

    connect(CmdMake1, &QPushButton::clicked, this, [this] { compare(true); });
    connect(CmdMake2, &QPushButton::clicked, this, [this] { compare(false); });
    connect(CmdDelData, &QPushButton::clicked, this, [this] { deleteSelected(true); });
    connect(CmdDelMei, &QPushButton::clicked, this, [this] { deleteSelected(false); });
    connect(CmdMeiRegist, &QPushButton::clicked, this, [this] {
        frmEditMei window(m_services, this);
        window.exec();
    });

    Form_Load();
}

void frmDatament::Form_Load()
{
    try {
        maint::ClearWorkList(MainModule::DBPath);
    } catch (const db::DbError &e) {
        m_services.prompt->inform(e.description(), QString(), PromptIcon::Critical);
    }
    MenteData->setRecordSource(MainModule::DBPath, QStringLiteral("wrkMei"));
}

void frmDatament::reload()
{
    MenteData->refresh();
    if (MenteData->rowCount() > 0)
        MenteDBGrid->setCurrentIndex(MenteData->index(0, 0));
}

void frmDatament::compare(bool pricesWithoutRegistration)
{
    if (m_progress.busy())
        return;
    Prompt &prompt = *m_services.prompt;
    if (!prompt.askYesNo(QStringLiteral("株価データーと銘柄登録を照合します　よろしいですか？"), kConfirm))
        return;
    QString error;
    m_progress.setBusy(true);
    try {
        maint::CompareIssues(MainModule::DBPath, MainModule::PriceTableName,
                             pricesWithoutRegistration ? maint::IssueCheck::PricesWithoutRegistration
                                                       : maint::IssueCheck::RegistrationWithoutPrices,
                             m_progress);
    } catch (const db::DbError &e) {
        error = e.description();
    }
    reload();
    m_progress.setBusy(false);
    if (error.isEmpty())
        prompt.inform(QStringLiteral("照合終了しました。"));
    else
        prompt.inform(error, QString(), PromptIcon::Critical);
}

qint64 frmDatament::selectedCode(bool *ok) const
{
    *ok = false;
    int row = MenteDBGrid->currentIndex().row();
    if (row < 0 && MenteData->rowCount() > 0)
        row = 0; // after a load the first row is current
    if (row < 0)
        return 0;
    return MenteData->rawValue(row, QStringLiteral("コード")).toString().toLongLong(ok);
}

void frmDatament::deleteSelected(bool pricesToo)
{
    if (m_progress.busy())
        return;
    Prompt &prompt = *m_services.prompt;
    bool ok = false;
    const qint64 code = selectedCode(&ok);
    if (!ok) {
        prompt.inform(QStringLiteral("ﾘｽﾄから削除対象を選択して下さい。"));
        return;
    }
    const QString question = pricesToo ? QStringLiteral("コード=%1 の株価データーを削除します　よろしいですか？")
                                       : QStringLiteral("コード=%1 の銘柄登録を削除します　よろしいですか？");
    if (!prompt.askYesNo(question.arg(code), kConfirm))
        return;
    QString error;
    m_progress.setBusy(true);
    try {
        if (pricesToo)
            maint::DeleteCodeData(MainModule::DBPath, code, m_progress);
        else
            maint::DeleteCodeRegistration(MainModule::DBPath, code);
    } catch (const db::DbError &e) {
        error = e.description();
    }
    reload();
    m_progress.setBusy(false);
    if (error.isEmpty())
        prompt.inform(QStringLiteral("削除しました。"));
    else
        prompt.inform(error, QString(), PromptIcon::Critical);
}

void frmDatament::closeEvent(QCloseEvent *event)
{
    if (m_progress.busy())
        event->ignore();
    else
        QDialog::closeEvent(event);
}
