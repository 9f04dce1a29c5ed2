#include "info/frmInformation.h"

#include "base/AppServices.h"
#include "base/BusyGuard.h"
#include "base/DateUtil.h"
#include "base/MainModule.h"
#include "base/Ports.h"
#include "base/Settings.h"
#include "db/DbError.h"
#include "import/ImportWindowParts.h"
#include "info/InfoBrowser.h"
#include "info/frmJyohoList.h"
#include "ui/RecordsetTableModel.h"
#include "ui/WindowHelpers.h"

#include <QApplication>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShortcut>
#include <QTableView>
#include <QTimer>
#include <QVBoxLayout>

namespace {

const QString kConfirm = QStringLiteral("確認");
const QString kPickDate = QStringLiteral("データー日付を選択して下さい。");

QTableView *grid(const char *name, RecordsetTableModel *model)
{
    auto *view = named<QTableView>(name);
    view->setModel(model);
    view->setSelectionBehavior(QAbstractItemView::SelectRows);
    view->setSelectionMode(QAbstractItemView::SingleSelection);
    view->verticalHeader()->setDefaultSectionSize(20);
    view->verticalHeader()->hide();
    view->horizontalHeader()->setStretchLastSection(true);
    return view;
}

} // namespace

frmInformation::frmInformation(AppServices &services, std::function<void(const QStringList &)> showIssues,
                               QWidget *parent)
    : QDialog(parent), m_services(services), m_showIssues(std::move(showIssues))
{
    setObjectName(QStringLiteral("frmInformation"));
    setWindowTitle(QStringLiteral("株式情報"));
    setModal(true);

    auto model = [this](const char *name) {
        auto *m = new RecordsetTableModel(m_services.prompt, this);
        m->setObjectName(QString::fromLatin1(name));
        m->setReadOnly(true);
        m->setDateFormat(QStringLiteral("yy/MM/dd"));
        return m;
    };
    DatainformationClass = model("DatainformationClass");
    DatainformationDataList = model("DatainformationDataList");
    DatainformationData = model("DatainformationData");
    DBGridnformationClass = grid("DBGridnformationClass", DatainformationClass);
    DBGridinformationDataList = grid("DBGridinformationDataList", DatainformationDataList);
    DBGridinformationData = grid("DBGridinformationData", DatainformationData);

    Txten = named<QComboBox>("Txten");
    Txten->setEditable(true);
    Txten->setInsertPolicy(QComboBox::NoInsert);
    Txten->addItems({QStringLiteral("1000"), QStringLiteral("1200"), QStringLiteral("1400"), QStringLiteral("1800"),
                     QStringLiteral("2000")});
    Txten->setFixedWidth(80);
    Txtdekidaka = named<QLineEdit>("Txtdekidaka");
    Txtdekidaka->setFixedWidth(90);
    TxtHi = named<QComboBox>("TxtHi");
    TxtHi->setEditable(true);
    TxtHi->setInsertPolicy(QComboBox::NoInsert);
    TxtHi->addItems({QStringLiteral("3"), QStringLiteral("5"), QStringLiteral("10"), QStringLiteral("20")});
    TxtHi->setFixedWidth(60);
    CmdFilter = named<QPushButton>("CmdFilter", QStringLiteral("に絞って表示"));
    CmdGenKabuka = named<QPushButton>("CmdGenKabuka", QStringLiteral("現株価"));
    CmdHiGenKabuka = named<QPushButton>("CmdHiGenKabuka", QStringLiteral("日　現株価"));
    CmdMeiList = named<QPushButton>("CmdMeiList", QStringLiteral("銘柄リストに表示終了"));
    CmdDelete = named<QPushButton>("CmdDelete", QStringLiteral("日付削除"));
    CmdinformationClassDel = named<QPushButton>("CmdinformationClassDel", QStringLiteral("種類とデーターを削除"));
    LblInfoTitle = named<QLabel>("LblInfoTitle");
    LblInfoTitle->setStyleSheet(QStringLiteral("font-weight: bold; font-size: 14px;"));
    LblComment = named<QLabel>("LblComment");
    LblKensu = named<QLabel>("LblKensu");
    LalHani = named<QLabel>("LalHani");
    Lblkeisantyu = named<QLabel>("Lblkeisantyu", QStringLiteral("現株価を計算中です....."));
    Lblkeisantyu->setStyleSheet(QStringLiteral("background: #ffff80; border: 1px solid #808000; padding: 2px 8px;"));
    Lblkeisantyu->hide();
    Label5 = named<QLabel>("Label5", QStringLiteral("市場　1：東証１部　2：東証２部　3：店頭"));
    Label2 = named<QLabel>("Label2", QStringLiteral("円以下　出来高"));
    Label4 = named<QLabel>("Label4", QStringLiteral("Ctrl+Kで銘柄リスト表示"));

    auto *left = new QVBoxLayout;
    left->addWidget(new QLabel(QStringLiteral("株式情報種類")));
    left->addWidget(DBGridnformationClass, 3);
    left->addWidget(DBGridinformationDataList, 4);
    left->addWidget(CmdDelete);
    left->addWidget(CmdinformationClassDel);

    auto *filter = new QHBoxLayout;
    filter->addWidget(Txten);
    filter->addWidget(Label2);
    filter->addWidget(Txtdekidaka);
    filter->addWidget(CmdFilter);
    filter->addSpacing(12);
    filter->addWidget(CmdGenKabuka);
    filter->addWidget(TxtHi);
    filter->addWidget(CmdHiGenKabuka);
    filter->addStretch();
    filter->addWidget(CmdMeiList);

    // The comment has a line of its own: beside the title a long one wrapped into the grid's caption.
    LblComment->setWordWrap(true);
    auto *title = new QHBoxLayout;
    title->addWidget(LblInfoTitle);
    title->addWidget(LalHani);
    title->addStretch();
    title->addWidget(Lblkeisantyu);
    title->addWidget(LblKensu);

    auto *legend = new QHBoxLayout;
    legend->addWidget(Label5);
    legend->addWidget(named<QLabel>("LabelOtherMarkets", QStringLiteral("　") + otherMarketsLegendText()));
    legend->addStretch();
    legend->addWidget(Label4);

    auto *right = new QVBoxLayout;
    right->addLayout(filter);
    right->addLayout(title);
    right->addWidget(LblComment);
    auto *gridCaption = new QLabel(QStringLiteral("ﾗﾝｷﾝｸﾞ"));
    gridCaption->setStyleSheet(QStringLiteral("background: palette(mid); color: palette(bright-text); padding: 1px 4px;"));
    right->addSpacing(4);
    right->addWidget(gridCaption);
    right->setSpacing(2);
    right->addWidget(DBGridinformationData, 1);
    right->addLayout(legend);

    auto *layout = new QHBoxLayout(this);
    layout->addLayout(left, 2);
    layout->addLayout(right, 7);
    resize(1180, 640);

    connect(CmdFilter, &QPushButton::clicked, this, &frmInformation::CmdFilter_Click);
    connect(CmdGenKabuka, &QPushButton::clicked, this, &frmInformation::CmdGenKabuka_Click);
    connect(CmdHiGenKabuka, &QPushButton::clicked, this, &frmInformation::CmdHiGenKabuka_Click);
    connect(CmdMeiList, &QPushButton::clicked, this, &frmInformation::CmdMeiList_Click);
    connect(CmdDelete, &QPushButton::clicked, this, &frmInformation::CmdDelete_Click);
    connect(CmdinformationClassDel, &QPushButton::clicked, this, &frmInformation::CmdinformationClassDel_Click);
    connect(DBGridnformationClass->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this] { kindChanged(); });
    connect(DBGridinformationDataList->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this] { dateChanged(); });
    auto *ctrlK = new QShortcut(QKeySequence(QStringLiteral("Ctrl+K")), this);
    connect(ctrlK, &QShortcut::activated, this, &frmInformation::showIssueSearch);

    Form_Load();
}

void frmInformation::Form_Load()
{
    Txten->setEditText(Settings::settingsValue(QStringLiteral("FilterGaku")));
    Txtdekidaka->setText(Settings::settingsValue(QStringLiteral("FilterDekidaka")));
    const QString days = Settings::settingsValue(QStringLiteral("JyohoHi"));
    TxtHi->setEditText(days.isEmpty() ? QStringLiteral("5") : days);
    if (MainModule::DelJyoho > 0)
        reportDbError([this] {
            m_referenceDate = info::NewestRankingDate(MainModule::DBPath, importer::TodayOf(m_services.clock));
        });
}

void frmInformation::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (!m_activated)
        Form_Activate();
}

void frmInformation::Form_Activate()
{
    m_activated = true;
    DatainformationClass->setRecordSource(MainModule::DBPath, info::KindsSource());
    DatainformationClass->setFieldHidden(QStringLiteral("種類コード"), true);
    DatainformationDataList->setRecordSource(MainModule::DBPath, QString());
    DatainformationData->setRecordSource(MainModule::DBPath, QString());
    int row = 0;
    if (!MainModule::SelectedInfoKind.isEmpty()) {
        for (int r = 0; r < DatainformationClass->rowCount(); ++r)
            if (DatainformationClass->rawValue(r, QStringLiteral("種類コード")).toString() == MainModule::SelectedInfoKind) {
                row = r;
                break;
            }
    }
    selectRow(DBGridnformationClass, row);
    DBGridnformationClass->resizeColumnsToContents();
}

void frmInformation::selectRow(QTableView *grid, int row)
{
    if (grid->model()->rowCount() == 0)
        return;
    grid->setCurrentIndex(grid->model()->index(row, 0));
    grid->selectRow(row);
}

QString frmInformation::currentKind() const
{
    const QModelIndex i = DBGridnformationClass->currentIndex();
    return i.isValid() ? DatainformationClass->rawValue(i.row(), QStringLiteral("種類コード")).toString() : QString();
}

QDate frmInformation::currentDate() const
{
    const QModelIndex i = DBGridinformationDataList->currentIndex();
    return i.isValid() ? DatainformationDataList->rawValue(i.row(), QStringLiteral("日付")).toDate() : QDate();
}

bool frmInformation::reportDbError(const std::function<void()> &action)
{
    try {
        action();
        return true;
    } catch (const db::DbError &e) {
        m_services.prompt->inform(e.description(), QString(), PromptIcon::Critical);
        return false;
    }
}

void frmInformation::setFilterColour(bool narrowed)
{
    const QString style = narrowed ? QStringLiteral("color: #ff0000;") : QString();
    Txten->setStyleSheet(style);
    Txtdekidaka->setStyleSheet(style);
}

void frmInformation::setRanking(const QString &source)
{
    DatainformationData->setRecordSource(MainModule::DBPath, source);
    DatainformationData->setFieldHidden(QStringLiteral("種類コード"), true);
    LblKensu->setText(QStringLiteral("件数：") + QString::number(DatainformationData->rowCount()));
    DBGridinformationData->resizeColumnsToContents();
    selectRow(DBGridinformationData, 0);
}

void frmInformation::kindChanged()
{
    const QString kind = currentKind();
    if (kind.isEmpty())
        return;
    DatainformationDataList->setRecordSource(MainModule::DBPath, info::DatesSource(kind));
    DatainformationDataList->setFieldHidden(QStringLiteral("種類コード"), true);
    LblInfoTitle->setText(DatainformationClass->rawValue(DBGridnformationClass->currentIndex().row(), QStringLiteral("種類名")).toString());
    int row = 0;
    const QDate selected = DateUtil::parseDate(MainModule::SelectedInfoDate);
    if (selected.isValid()) {
        for (int r = 0; r < DatainformationDataList->rowCount(); ++r)
            if (DatainformationDataList->rawValue(r, QStringLiteral("日付")).toDate() == selected) {
                row = r;
                break;
            }
    }
    if (DatainformationDataList->rowCount() == 0) {
        setRanking(info::RankingSource(QString(), QDate(), QDate()));
        LblComment->clear();
    }
    selectRow(DBGridinformationDataList, row);
    DBGridinformationDataList->resizeColumnsToContents();
    setFilterColour(false);
    const QDate shown = DateUtil::parseDate(MainModule::SelectedInfoDate);
    LalHani->setText(shown.isValid() ? DateUtil::formatYYMMDD(shown) : QString());
}

void frmInformation::dateChanged()
{
    const QDate date = currentDate();
    setRanking(info::RankingSource(date.isValid() ? currentKind() : QString(), date, date));
    const QModelIndex i = DBGridinformationDataList->currentIndex();
    LblComment->setText(i.isValid() ? DatainformationDataList->rawValue(i.row(), QStringLiteral("コメント")).toString() : QString());
    setFilterColour(false);
    if (date.isValid())
        MainModule::SelectedInfoDate = DateUtil::formatYYYYMMDD(date);
    LalHani->setText(date.isValid() ? DateUtil::formatYYMMDD(date) : QString());
}

void frmInformation::CmdFilter_Click()
{
    if (!info::IsNumberText(Txten->currentText())) {
        m_services.prompt->inform(QStringLiteral("金額を入力して下さい。"));
        Txten->setFocus();
        return;
    }
    setRanking(info::NarrowedSource(DatainformationData->recordSource(), currentKind(), currentDate(),
                                    Txten->currentText(), Txtdekidaka->text()));
    setFilterColour(true);
}

void frmInformation::showCurrentPrices(const QDate &first, const QDate &last)
{
    Lblkeisantyu->show();
    Lblkeisantyu->repaint();
    BusyGuard busy;
    const QString kind = currentKind();
    const bool narrowed = DatainformationData->recordSource().contains(QStringLiteral("株価<="));
    if (reportDbError([&] { info::UpdateCurrentPrices(MainModule::DBPath, kind, first, last); }))
        setRanking(info::CurrentPriceSource(kind, first, last, narrowed, Txten->currentText(), Txtdekidaka->text()));
    Lblkeisantyu->hide();
}

void frmInformation::CmdGenKabuka_Click()
{
    const QDate date = currentDate();
    if (!date.isValid() || currentKind().isEmpty())
        return;
    showCurrentPrices(date, date);
    LalHani->setText(DateUtil::formatYYMMDD(date));
}

void frmInformation::CmdHiGenKabuka_Click()
{
    const QDate date = currentDate();
    const QString days = TxtHi->currentText().trimmed();
    if (!info::IsNumberText(days) || days.toDouble() <= 0 || !date.isValid() || currentKind().isEmpty())
        return;
    QDate first;
    if (!reportDbError([&] { first = info::FirstOfLastDates(MainModule::DBPath, currentKind(), date, days.toInt()); }))
        return;
    LalHani->setText(DateUtil::formatYYMMDD(first) + QStringLiteral("～") + DateUtil::formatYYMMDD(date));
    showCurrentPrices(first, date);
}

void frmInformation::CmdMeiList_Click()
{
    if (!currentDate().isValid()) {
        m_services.prompt->inform(kPickDate);
        return;
    }
    QStringList entries;
    if (!reportDbError([&] { entries = info::IssueListEntries(MainModule::DBPath, DatainformationData->recordSource()); }))
        return;
    if (m_showIssues)
        m_showIssues(entries);
    accept();
}

void frmInformation::CmdDelete_Click()
{
    const QDate date = currentDate();
    if (!date.isValid()) {
        m_services.prompt->inform(kPickDate);
        return;
    }
    if (!m_services.prompt->askYesNo(DateUtil::formatYYMMDD(date) + QStringLiteral(" を削除します　よろしいですか？"), kConfirm))
        return;
    {
        BusyGuard busy;
        if (!reportDbError([&] { info::DeleteRankingDate(MainModule::DBPath, currentKind(), date); }))
            return;
    }
    m_services.prompt->inform(QStringLiteral("削除終了しました。"));
    kindChanged();
}

void frmInformation::CmdinformationClassDel_Click()
{
    const QString kind = currentKind();
    if (kind.isEmpty()) {
        m_services.prompt->inform(QStringLiteral("株式情報種類を選択して下さい。"));
        return;
    }
    if (!m_services.prompt->askYesNo(LblInfoTitle->text() + QStringLiteral(" を削除します　よろしいですか？"), kConfirm))
        return;
    if (!reportDbError([&] { info::DeleteKind(MainModule::DBPath, kind); }))
        return;
    m_services.prompt->inform(QStringLiteral("削除終了しました。"));
    MainModule::SelectedInfoKind.clear();
    Form_Activate();
}

void frmInformation::showIssueSearch()
{
    const QModelIndex i = DBGridinformationData->currentIndex();
    if (!i.isValid())
        return;
    bool ok = false;
    const qint64 code = DatainformationData->rawValue(i.row(), QStringLiteral("コード")).toLongLong(&ok);
    if (!ok)
        return;
    frmJyohoList list(m_services, code, this);
    list.exec();
}

void frmInformation::done(int result)
{
    if (!m_unloaded) {
        m_unloaded = true;
        Form_Unload();
    }
    QDialog::done(result);
}

void frmInformation::Form_Unload()
{
    Settings::writeSettingsValue(QStringLiteral("FilterGaku"), Txten->currentText());
    Settings::writeSettingsValue(QStringLiteral("FilterDekidaka"), Txtdekidaka->text());
    Settings::writeSettingsValue(QStringLiteral("JyohoHi"), TxtHi->currentText());
    MainModule::SelectedInfoKind = currentKind();
    const int days = MainModule::DelJyoho;
    if (days <= 0)
        return;
    bool old = false;
    {
        BusyGuard busy;
        if (!reportDbError([&] { old = info::HasOldRankings(MainModule::DBPath, m_referenceDate, days); }))
            return;
    }
    if (old && m_services.prompt->askYesNo(info::OldRankingsQuestion(days), QStringLiteral("削除確認"))) {
        BusyGuard busy;
        reportDbError([&] { info::DeleteOldRankings(MainModule::DBPath, m_referenceDate, days); });
    }
}
