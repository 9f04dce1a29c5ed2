#include "base/Version.h"

QString versionText()
{
    return QStringLiteral(MIRAVEL_VERSION);
}
