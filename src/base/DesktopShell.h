#pragma once

// The Shell port on the desktop: addresses and files open with their associated program, external
// programs start detached.

#include "base/Ports.h"

class DesktopShell final : public Shell
{
public:
    bool open(const QString &pathOrUrl) override;
    bool start(const QString &program, const QStringList &arguments, const QString &workingFolder) override;
};
