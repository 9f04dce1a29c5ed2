// The settings file: any bytes as the start of Miravel.ini, loaded (bad values repaired), then one
// key written and read back. The default settings follow the bytes, so that only the keys the input
// spoils are repaired: a repair rewrites the file, and one per missing key made each run slow.

#include "FuzzSupport.h"

#include "base/MainModule.h"
#include "base/Settings.h"

#include <QFile>
#include <QTemporaryDir>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    static QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("Miravel.ini"));
    static const QByteArray defaults = [&] {
        MainModule::setProgramFolder(folder.path());
        fuzzing::check(Settings::WriteSettings(Settings::defaultValues(), false), "default settings file");
        QFile file(path);
        fuzzing::check(file.open(QIODevice::ReadOnly), "default settings file");
        return QByteArray("\r\n") + file.readAll();
    }();
    {
        QFile file(path);
        fuzzing::check(file.open(QIODevice::WriteOnly | QIODevice::Truncate), "temporary settings file");
        file.write(fuzzing::bytesOf(data, size) + defaults);
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
