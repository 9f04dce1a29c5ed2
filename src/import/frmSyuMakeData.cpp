#include "import/frmSyuMakeData.h"

#include "app/AppServices.h"

frmSyuMakeData::frmSyuMakeData(AppServices &services, QWidget *parent) : QDialog(parent), m_services(services)
{
    setObjectName(QStringLiteral("frmSyuMakeData"));
}
