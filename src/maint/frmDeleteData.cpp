#include "maint/frmDeleteData.h"

#include "base/AppServices.h"
#include "base/MainModule.h"
#include "maint/DataDeletion.h"
#include "ui/DateBox.h"
#include "ui/WindowHelpers.h"

#include <QCloseEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

QLineEdit *dateBox(const char *name)
{
    auto *edit = named<QLineEdit>(name);
    edit->setMaxLength(10);
    edit->setFixedWidth(90);
    DateBox::attach(edit);
    return edit;
}

QLineEdit *codeBox(const char *name, int width = 60)
{
    auto *edit = named<QLineEdit>(name);
    edit->setMaxLength(4);
    edit->setFixedWidth(width);
    DateBox::attachSelectAll(edit);
    return edit;
}

QLabel *text(const QString &caption)
{
    return new QLabel(caption);
}

} // namespace

frmDeleteData::frmDeleteData(AppServices &services, QWidget *parent)
    : QDialog(parent), m_services(services)
{
    setObjectName(QStringLiteral("frmDeleteData"));
    setWindowTitle(QStringLiteral("ﾃﾞｰﾀｰﾒﾝﾃﾅﾝｽ"));
    setModal(true);

    LblMode = named<QLabel>("LblMode", maint::deletionModeText(MainModule::PeriodMode));
    QFont bold = LblMode->font();
    bold.setBold(true);
    LblMode->setFont(bold);
    TxtDeleteDate = dateBox("TxtDeleteDate");
    TxtIgoDeleteDate = dateBox("TxtIgoDeleteDate");
    CmdKabukaDate = named<QPushButton>("CmdKabukaDate", QStringLiteral("日範囲の株価削除"));
    TxtDeleteJyohoDate = dateBox("TxtDeleteJyohoDate");
    CmdKabukaJyohoDate = named<QPushButton>("CmdKabukaJyohoDate", QStringLiteral("日以前の株価情報削除"));
    TxtMeiCodeHi = codeBox("TxtMeiCodeHi");
    TxtDeleteDateHi = dateBox("TxtDeleteDateHi");
    CmdMeiDeleteHi = named<QPushButton>("CmdMeiDeleteHi", QStringLiteral("銘柄の株価削除"));
    TxtMeiCode = codeBox("TxtMeiCode");
    CmdMeiDelete = named<QPushButton>("CmdMeiDelete", QStringLiteral("銘柄と株価削除"));
    TxtSMeiCode = codeBox("TxtSMeiCode");
    TxtShijyoSCode = codeBox("TxtShijyoSCode", 36);
    TxtUMeiCode = codeBox("TxtUMeiCode");
    TxtShijyoUCode = codeBox("TxtShijyoUCode", 36);
    CmdDataUpdate = named<QPushButton>("CmdDataUpdate", QStringLiteral("株価コード市場の変更"));
    CmdDataAllClear = named<QPushButton>("CmdDataAllClear", QStringLiteral("株価データすべてクリア"));
    for (QPushButton *b : {CmdKabukaDate, CmdKabukaJyohoDate, CmdMeiDeleteHi, CmdMeiDelete, CmdDataUpdate, CmdDataAllClear})
        b->setMinimumWidth(190);

    auto *grid = new QGridLayout;
    int row = 0;
    auto addRow = [&](QPushButton *button, std::initializer_list<QWidget *> inputs, const QString &note) {
        auto *boxes = new QHBoxLayout;
        for (QWidget *w : inputs)
            boxes->addWidget(w);
        boxes->addStretch();
        grid->addLayout(boxes, row, 0);
        grid->addWidget(button, row, 1);
        grid->addWidget(text(note), row, 2);
        ++row;
    };
    addRow(CmdKabukaDate, {TxtDeleteDate, text(QStringLiteral("～")), TxtIgoDeleteDate}, QStringLiteral("すべて削除します。(日週別)"));
    addRow(CmdKabukaJyohoDate, {TxtDeleteJyohoDate}, QStringLiteral("すべて削除します。(日週別)"));
    addRow(CmdMeiDeleteHi, {text(QStringLiteral("ｺｰﾄﾞ")), TxtMeiCodeHi, TxtDeleteDateHi}, QStringLiteral("すべて削除します。(日週別)"));
    addRow(CmdMeiDelete, {text(QStringLiteral("ｺｰﾄﾞ")), TxtMeiCode}, QStringLiteral("銘柄及び株価ﾃﾞｰﾀｰを"));

    auto *change = new QGroupBox;
    auto *changeGrid = new QGridLayout(change);
    changeGrid->addWidget(text(QStringLiteral("旧ｺｰﾄﾞ")), 0, 0);
    changeGrid->addWidget(TxtSMeiCode, 0, 1);
    changeGrid->addWidget(text(QStringLiteral("市場")), 0, 2);
    changeGrid->addWidget(TxtShijyoSCode, 0, 3);
    changeGrid->addWidget(text(QStringLiteral("新ｺｰﾄﾞ")), 1, 0);
    changeGrid->addWidget(TxtUMeiCode, 1, 1);
    changeGrid->addWidget(text(QStringLiteral("市場")), 1, 2);
    changeGrid->addWidget(TxtShijyoUCode, 1, 3);
    changeGrid->addWidget(CmdDataUpdate, 0, 4, 2, 1);
    auto *legend = new QVBoxLayout;
    legend->setSpacing(0);
    legend->addWidget(text(QStringLiteral("新しいコードに変更します。(日週共)")));
    for (QLabel *l : MarketCodeLegend())
        legend->addWidget(l);
    changeGrid->addLayout(legend, 0, 5, 2, 1);

    auto *clear = new QHBoxLayout;
    clear->addWidget(CmdDataAllClear);
    auto *clearNotes = new QVBoxLayout;
    clearNotes->addWidget(text(QStringLiteral("ミラベルの株価データーをすべて削除します")));
    clearNotes->addWidget(text(QStringLiteral("株価データーが無くなります決断の上実行して下さい。")));
    clear->addLayout(clearNotes);
    clear->addStretch();

    auto *layout = new QVBoxLayout(this);
    auto *head = new QHBoxLayout;
    head->addWidget(LblMode);
    head->addStretch();
    head->addWidget(text(QStringLiteral("日付入力例:99/10/10")));
    layout->addLayout(head);
    layout->addLayout(grid);
    layout->addWidget(change);
    layout->addLayout(clear);

    MarkPeriodCaption(this, MainModule::PeriodMode, false);

    connect(CmdKabukaDate, &QPushButton::clicked, this, [this] {
        runCommand([this](const maint::MaintenanceContext &c) {
            maint::DeleteDateRange(c, TxtDeleteDate->text(), TxtIgoDeleteDate->text());
        });
    });
    connect(CmdKabukaJyohoDate, &QPushButton::clicked, this, [this] {
        runCommand([this](const maint::MaintenanceContext &c) { maint::DeleteInformationUpTo(c, TxtDeleteJyohoDate->text()); });
    });
    connect(CmdMeiDeleteHi, &QPushButton::clicked, this, [this] {
        runCommand([this](const maint::MaintenanceContext &c) {
            maint::DeleteIssuePricesUpTo(c, TxtMeiCodeHi->text(), TxtDeleteDateHi->text());
        });
    });
    connect(CmdMeiDelete, &QPushButton::clicked, this, [this] {
        runCommand([this](const maint::MaintenanceContext &c) { maint::DeleteIssueAndPrices(c, TxtMeiCode->text()); });
    });
    connect(CmdDataUpdate, &QPushButton::clicked, this, [this] {
        runCommand([this](const maint::MaintenanceContext &c) {
            maint::ChangeCodeAndMarket(c, TxtSMeiCode->text(), TxtShijyoSCode->text(), TxtUMeiCode->text(),
                                       TxtShijyoUCode->text());
        });
    });
    connect(CmdDataAllClear, &QPushButton::clicked, this,
            [this] { runCommand([](const maint::MaintenanceContext &c) { maint::ClearAllData(c); }); });
}

template <typename F>
void frmDeleteData::runCommand(F command)
{
    if (m_progress.busy())
        return;
    const QDate today = m_services.clock ? m_services.clock->today() : QDate::currentDate();
    const maint::MaintenanceContext context{MainModule::DBPath, *m_services.prompt, m_progress, MainModule::PeriodMode, today};
    command(context);
}

void frmDeleteData::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape && !m_progress.busy()) {
        close();
        return;
    }
    QDialog::keyPressEvent(event);
}

void frmDeleteData::closeEvent(QCloseEvent *event)
{
    if (m_progress.busy())
        event->ignore();
    else
        QDialog::closeEvent(event);
}
