#pragma once

#include <QString>

// The program's version ("1.0.0"), from the project version of the build. The settings key
// Version, the splash, the version window, the batch tool and the HTTP user agent all show this.
QString versionText();
