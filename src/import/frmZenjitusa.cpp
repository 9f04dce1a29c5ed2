#include "import/frmZenjitusa.h"

#include "app/AppServices.h"

frmZenjitusa::frmZenjitusa(AppServices &services, QWidget *parent) : QDialog(parent), m_services(services)
{
    setObjectName(QStringLiteral("frmZenjitusa"));
}
