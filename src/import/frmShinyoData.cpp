#include "import/frmShinyoData.h"

#include "app/AppServices.h"

frmShinyoData::frmShinyoData(AppServices &services, QWidget *parent) : QDialog(parent), m_services(services)
{
    setObjectName(QStringLiteral("frmShinyoData"));
}
