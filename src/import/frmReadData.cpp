#include "import/frmReadData.h"

#include "app/AppServices.h"

frmReadData::frmReadData(AppServices &services, QWidget *parent) : QDialog(parent), m_services(services)
{
    setObjectName(QStringLiteral("frmReadData"));
}
