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
    setFixedSize(560, 520);

    MeiData = new RecordsetTableModel(services.prompt, this);
    MeiData->setObjectName(QStringLiteral("MeiData"));
    MeiData->setKeyFields({QStringLiteral("コード")});
    MeiData->setFieldHidden(QStringLiteral("更新Flg"), true);
    MeiDBGrid = named<QTableView>("MeiDBGrid", this);
    MeiDBGrid->setModel(MeiData);
    MeiDBGrid->setGeometry(8, 8, 544, 450);
    MeiDBGrid->verticalHeader()->setDefaultSectionSize(22);

    Label1 = named<QLabel>("Label1", QStringLiteral("市場ｺｰﾄﾞ  1:東証1部  2:東証2部"), this);
    Label1->setGeometry(12, 464, 400, 22);
    Label2 = named<QLabel>("Label2", QStringLiteral("          3:店頭"), this);
    Label2->setGeometry(12, 488, 400, 22);

    MeiData->setRecordSource(MainModule::DBPath, QStringLiteral("select * from Mei order by 市場コード,コード;"));
    MeiDBGrid->resizeColumnsToContents();
}
