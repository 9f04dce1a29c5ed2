#include "splits/frmSplits.h"

#include "base/AppServices.h"
#include "base/DateUtil.h"
#include "base/MainModule.h"
#include "base/Ports.h"
#include "db/Database.h"
#include "db/DbError.h"
#include "splits/Adjustments.h"
#include "ui/DateBox.h"
#include "ui/WindowHelpers.h"

#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QTableWidget>

namespace {

const QString Title = QStringLiteral("分割・併合");

QDate today(const AppServices &services)
{
    return services.clock ? services.clock->today() : QDate::currentDate();
}

} // namespace

frmSplits::frmSplits(AppServices &services, const ui::IssueRef &issue, QWidget *parent)
    : QDialog(parent), m_services(services), m_code(issue.code.toInt())
{
    setObjectName(QStringLiteral("frmSplits"));
    setWindowTitle(Title);
    setFixedSize(560, 400);

    LblMei = named<QLabel>("LblMei", QStringLiteral("%1 %2 %3").arg(issue.code, issue.market, issue.name), this);
    LblMei->setGeometry(8, 8, 540, 24);

    GridEvents = named<QTableWidget>("GridEvents", 0, 2, this);
    GridEvents->setHorizontalHeaderLabels({QStringLiteral("日付"), QStringLiteral("分割比率")});
    GridEvents->setSelectionBehavior(QAbstractItemView::SelectRows);
    GridEvents->setSelectionMode(QAbstractItemView::SingleSelection);
    GridEvents->setEditTriggers(QAbstractItemView::NoEditTriggers);
    GridEvents->verticalHeader()->hide();
    GridEvents->horizontalHeader()->setStretchLastSection(true);
    GridEvents->setGeometry(8, 40, 250, 300);

    auto *dateLabel = new QLabel(QStringLiteral("日付"), this);
    dateLabel->setGeometry(270, 40, 70, 24);
    TxtDate = named<QLineEdit>("TxtDate", this);
    TxtDate->setGeometry(345, 40, 90, 24);
    DateBox::attach(TxtDate);
    auto *ratioLabel = new QLabel(QStringLiteral("旧株数:新株数"), this);
    ratioLabel->setGeometry(270, 70, 100, 24);
    TxtRatio = named<QLineEdit>("TxtRatio", this);
    TxtRatio->setGeometry(375, 70, 60, 24);
    CmdAdd = named<QPushButton>("CmdAdd", QStringLiteral("追加"), this);
    CmdAdd->setGeometry(445, 40, 100, 28);
    CmdRemove = named<QPushButton>("CmdRemove", QStringLiteral("選択を削除"), this);
    CmdRemove->setGeometry(445, 72, 100, 28);
    CmdImport = named<QPushButton>("CmdImport", QStringLiteral("CSV読込..."), this);
    CmdImport->setGeometry(270, 110, 130, 28);
    CmdSuggest = named<QPushButton>("CmdSuggest", QStringLiteral("分割らしい日"), this);
    CmdSuggest->setGeometry(415, 110, 130, 28);
    ListSuggest = named<QListWidget>("ListSuggest", this);
    ListSuggest->setGeometry(270, 145, 275, 195);
    CmdClose = named<QPushButton>("CmdClose", QStringLiteral("閉じる"), this);
    CmdClose->setGeometry(445, 355, 100, 30);

    connect(CmdAdd, &QPushButton::clicked, this, &frmSplits::CmdAdd_Click);
    connect(CmdRemove, &QPushButton::clicked, this, &frmSplits::CmdRemove_Click);
    connect(CmdImport, &QPushButton::clicked, this, &frmSplits::CmdImport_Click);
    connect(CmdSuggest, &QPushButton::clicked, this, &frmSplits::CmdSuggest_Click);
    connect(ListSuggest, &QListWidget::itemDoubleClicked, this, &frmSplits::ListSuggest_DblClick);
    connect(CmdClose, &QPushButton::clicked, this, &QDialog::accept);
    refresh();
}

void frmSplits::inform(const QString &text)
{
    m_services.prompt->inform(text, Title, PromptIcon::Information);
}

void frmSplits::refresh()
{
    GridEvents->setRowCount(0);
    try {
        db::Database database(MainModule::DBPath);
        const std::vector<splits::AdjustmentEvent> events = splits::ReadEvents(database, m_code);
        GridEvents->setRowCount(int(events.size()));
        for (int i = 0; i < int(events.size()); ++i) {
            const splits::AdjustmentEvent &e = events[size_t(i)];
            GridEvents->setItem(i, 0, new QTableWidgetItem(DateUtil::formatYYMMDD(e.date)));
            GridEvents->setItem(i, 1, new QTableWidgetItem(splits::ratioText(e.ratio)));
        }
    } catch (const db::DbError &e) {
        inform(e.description());
    }
}

void frmSplits::CmdAdd_Click()
{
    if (!DateUtil::isDate(TxtDate->text(), today(m_services))) {
        inform(QStringLiteral("日付を入力して下さい。"));
        return;
    }
    const std::optional<splits::Ratio> ratio = splits::parseRatio(TxtRatio->text());
    if (!ratio || ratio->oldShares == ratio->newShares) {
        inform(QStringLiteral("分割比率は 1:5 のように旧株数:新株数で入力して下さい。"));
        return;
    }
    try {
        db::Database database(MainModule::DBPath);
        splits::StoreEvent(database, {m_code, DateUtil::parseDate(TxtDate->text(), today(m_services)), *ratio});
        database.close();
        m_changed = true;
    } catch (const db::DbError &e) {
        inform(e.description());
    }
    refresh();
}

void frmSplits::CmdRemove_Click()
{
    const int row = GridEvents->currentRow();
    if (row < 0 || !GridEvents->item(row, 0)) {
        inform(QStringLiteral("削除する行を選択して下さい。"));
        return;
    }
    const QString dateText = GridEvents->item(row, 0)->text();
    if (!m_services.prompt->askYesNo(QStringLiteral("%1 の分割情報を削除します　よろしいですか？").arg(dateText), Title,
                                     PromptIcon::Question))
        return;
    try {
        db::Database database(MainModule::DBPath);
        splits::RemoveEvent(database, m_code, DateUtil::parseDate(dateText, today(m_services)));
        database.close();
        m_changed = true;
    } catch (const db::DbError &e) {
        inform(e.description());
    }
    refresh();
}

void frmSplits::CmdImport_Click()
{
    const QString path = m_services.prompt->pickOpenFile(QStringLiteral("CSV (*.csv *.txt);;すべて (*)"), QString());
    if (path.isEmpty())
        return;
    splits::ImportResult result;
    QString error;
    try {
        db::Database database(MainModule::DBPath);
        if (!splits::ImportEventsCsv(database, path, &result, &error)) {
            inform(error);
            return;
        }
        database.close();
    } catch (const db::DbError &e) {
        inform(e.description());
        return;
    }
    m_changed = m_changed || result.stored > 0;
    QString text = QStringLiteral("%1 件の分割情報を保存しました。").arg(result.stored);
    for (size_t i = 0; i < result.skipped.size() && i < 10; ++i)
        text += QLatin1Char('\n') + splits::skippedLine(result.skipped[i]);
    if (result.skipped.size() > 10)
        text += QStringLiteral("\n他 %1 行").arg(result.skipped.size() - 10);
    inform(text);
    refresh();
}

void frmSplits::CmdSuggest_Click()
{
    ListSuggest->clear();
    try {
        db::Database database(MainModule::DBPath);
        for (const splits::Suggestion &s : splits::SuggestEvents(database, m_code)) {
            auto *item = new QListWidgetItem(QStringLiteral("%1 %2 %3→%4 出来高%5倍%6")
                                                 .arg(DateUtil::formatYYMMDD(s.date), splits::ratioText(s.ratio),
                                                      s.previousClose.toString(), s.close.toString(),
                                                      QString::number(s.volumeChange, 'f', 1),
                                                      s.stored ? QStringLiteral(" 登録済") : QString()),
                                             ListSuggest);
            item->setData(Qt::UserRole, DateUtil::formatYYMMDD(s.date));
            item->setData(Qt::UserRole + 1, splits::ratioText(s.ratio));
        }
    } catch (const db::DbError &e) {
        inform(e.description());
        return;
    }
    if (ListSuggest->count() == 0)
        inform(QStringLiteral("分割らしい日は見つかりませんでした。"));
}

void frmSplits::ListSuggest_DblClick()
{
    const QListWidgetItem *item = ListSuggest->currentItem();
    if (!item)
        return;
    TxtDate->setText(item->data(Qt::UserRole).toString());
    TxtRatio->setText(item->data(Qt::UserRole + 1).toString());
}
