#include "maint/frmEditMei.h"

#include "base/AppServices.h"
#include "base/MainModule.h"
#include "ui/RecordsetTableModel.h"
#include "ui/WindowHelpers.h"

#include <QHeaderView>
#include <QLabel>
#include <QTableView>

frmEditMei::frmEditMei(AppServices &services, QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("frmEditMei"));
    setWindowTitle(QStringLiteral("銘柄ﾒﾝﾃﾅﾝｽ"));
    setFixedSize(560, 536);

    MeiData = new RecordsetTableModel(services.prompt, this);
    MeiData->setObjectName(QStringLiteral("MeiData"));
    MeiData->setKeyFields({QStringLiteral("コード")});
    MeiData->setFieldHidden(QStringLiteral("更新Flg"), true);
    MeiDBGrid = named<QTableView>("MeiDBGrid", this);
    MeiDBGrid->setModel(MeiData);
    MeiDBGrid->setGeometry(8, 8, 544, 450);
    MeiDBGrid->verticalHeader()->setDefaultSectionSize(22);

    const std::vector<QLabel *> legend = MarketCodeLegend(this);
    Label1 = legend[0];
    Label2 = legend[1];
    for (size_t i = 0; i < legend.size(); ++i)
        legend[i]->setGeometry(12, 464 + 22 * int(i), 400, 22);

    MeiData->setRecordSource(MainModule::DBPath, QStringLiteral("select * from Mei order by 市場コード,コード;"));
    MeiDBGrid->resizeColumnsToContents();
}
