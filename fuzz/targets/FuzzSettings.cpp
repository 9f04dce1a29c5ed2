// The settings file: any bytes as Miravel.ini, loaded (bad values repaired), then one key written
// and read back.

#include "FuzzSupport.h"

#include "base/MainModule.h"
#include "base/Settings.h"

#include <QFile>
#include <QTemporaryDir>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    static QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("Miravel.ini"));
    {
        QFile file(path);
        fuzzing::check(file.open(QIODevice::WriteOnly | QIODevice::Truncate), "temporary settings file");
        file.write(fuzzing::bytesOf(data, size));
    }
    MainModule::setProgramFolder(folder.path());

    cINI ini;
    ini.cstrPath = path;
    ini.cstrSection = QStringLiteral("Miravel");
    fuzzing::SilentPrompt prompt;
    Settings::ReadSettings(&prompt);
    for (const QString &key : Settings::mainKeys())
        fuzzing::check(Settings::conversionError(key, Settings::currentValue(key)).isEmpty(),
                       "a loaded value does not load again");

    ini.cstrkey = QStringLiteral("hibiPath");
    ini.cstrData = QStringLiteral("C:\\kabu\\データ\\");
    if (ini.WriteIni())
        fuzzing::check(ini.GetLineINI() == ini.cstrData, "a written value does not read back");
    return 0;
}
