#include "base/MainModule.h"

#include "base/Settings.h"

#include <QDir>

namespace MainModule {

QString ProgramFolder;
QString DBPath;
QString IniPath;
std::int16_t PeriodMode = 1;
QString PriceTableName = QStringLiteral("daydata");
bool ListPicked = true;
bool LastKeyBackspace = false;

std::int16_t ScreenMode;
float slidechart;
std::int16_t move1;
std::int16_t move2;
std::int16_t move3;
std::int16_t SaicoL;
std::int16_t RSIVR;
QString DURL;
QString MURL;
QString QURL;
std::int16_t RDel;
Currency SonPa;
QString hibiPath;
QString sinyoPath;
std::int16_t MakeSyu;
QString ReadSinyo;
std::int16_t DelJyoho;
std::int16_t ALLITORSO;
std::int16_t ITORSO;
QString JQuantsKey;
QString JQuantsPlan;
QString JQuantsURL;

std::array<QString, 11> MarketAbbrev;
QString SelectedInfoKind;
QString SelectedInfoDate;

void reset()
{
    ProgramFolder.clear();
    DBPath.clear();
    IniPath.clear();
    PeriodMode = 1;
    PriceTableName = QStringLiteral("daydata");
    ListPicked = true;
    LastKeyBackspace = false;
    Settings::resetVariables();
    MarketAbbrev = {};
    SelectedInfoKind.clear();
    SelectedInfoDate.clear();
}

namespace {
// The settings variables start at their initial values (defined in the settings table).
[[maybe_unused]] const bool started = (reset(), true);
} // namespace

void setProgramFolder(const QString &folder)
{
    ProgramFolder = QDir::toNativeSeparators(QDir::cleanPath(folder));
    DBPath = QDir::toNativeSeparators(QDir(folder).filePath(QStringLiteral("Miravel.mdb")));
    IniPath = QDir::toNativeSeparators(QDir(folder).filePath(QStringLiteral("Miravel.ini")));
}

QString dataFolder()
{
    return QDir::toNativeSeparators(QDir(ProgramFolder).filePath(QStringLiteral("Data")));
}

} // namespace MainModule
