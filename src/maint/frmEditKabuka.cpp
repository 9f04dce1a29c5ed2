#include "maint/frmEditKabuka.h"

#include "base/AppServices.h"
#include "base/MainModule.h"
#include "ui/RecordsetTableModel.h"
#include "ui/WindowHelpers.h"

#include <QHeaderView>
#include <QLabel>
#include <QTableView>

#include <limits>

namespace {

// Widths of the window and the grid in pixels (daily: 9150 and 8895 twips; weekly: 11250).
constexpr int DailyWindowWidth = 610;
constexpr int DailyGridWidth = 593;
constexpr int WeeklyWidth = 750;

} // namespace

frmEditKabuka::frmEditKabuka(AppServices &services, const ui::IssueRef &issue, QWidget *parent)
    : QDialog(parent), m_services(services)
{
    setObjectName(QStringLiteral("frmEditKabuka"));
    setWindowTitle(QStringLiteral("株価メンテナンス"));

    Lblshijyo = named<QLabel>("Lblshijyo", this);
    Lblshijyo->setGeometry(8, 8, 60, 24);
    LblMei = named<QLabel>("LblMei", this);
    LblMei->setGeometry(72, 8, 300, 24);
    kabukaDataCaption = named<QLabel>("kabukaDataCaption", this);
    kabukaDataCaption->setFrameShape(QFrame::Panel);
    kabukaDataCaption->setFrameShadow(QFrame::Raised);
    kabukaDataCaption->setGeometry(380, 8, 120, 24);

    kabukaData = new RecordsetTableModel(services.prompt, this);
    kabukaData->setObjectName(QStringLiteral("kabukaData"));
    kabuDBGrid = named<QTableView>("kabuDBGrid", this);
    kabuDBGrid->setModel(kabukaData);
    kabuDBGrid->verticalHeader()->setDefaultSectionSize(22);
    kabuDBGrid->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed
                                | QAbstractItemView::AnyKeyPressed);
    Form_Load(issue);
}

void frmEditKabuka::Form_Load(const ui::IssueRef &issue)
{
    kabukaData->setKeyFields({QStringLiteral("コード"), QStringLiteral("日付")});
    kabukaData->setDateFormat(QStringLiteral("yy/MM/dd"));
    // The chart holds a volume in 32 bits.
    kabukaData->setFieldMaximum(QStringLiteral("出来高"), Currency::fromInt(std::numeric_limits<qint32>::max()));
    kabukaData->setFieldHidden(QStringLiteral("基準前日比"), true);
    const bool weekly = MainModule::PeriodMode == 2;
    kabukaData->setFieldHidden(QStringLiteral("売残"), !weekly);
    kabukaData->setFieldHidden(QStringLiteral("買残"), !weekly);
    kabukaData->setRecordSource(MainModule::DBPath, QStringLiteral("select * from %1 where コード=%2 order by 日付 ;").arg(MainModule::PriceTableName).arg(issue.code.toLongLong()));

    kabukaDataCaption->setText(issue.code);
    Lblshijyo->setText(issue.market);
    LblMei->setText(issue.name);
    MarkPeriodCaption(this, MainModule::PeriodMode, true);

    const int windowWidth = weekly ? WeeklyWidth : DailyWindowWidth;
    const int gridWidth = weekly ? WeeklyWidth : DailyGridWidth;
    setFixedSize(windowWidth, 480);
    kabuDBGrid->setGeometry(weekly ? 0 : 8, 40, gridWidth, 430);
    kabuDBGrid->resizeColumnsToContents();
    if (kabukaData->rowCount() > 0)
        kabuDBGrid->scrollToBottom();
}
