#include "maint/frmReadDelMei.h"

#include "app/AppServices.h"

frmReadDelMei::frmReadDelMei(AppServices &services, QWidget *parent) : QDialog(parent), m_services(services)
{
    setObjectName(QStringLiteral("frmReadDelMei"));
}
