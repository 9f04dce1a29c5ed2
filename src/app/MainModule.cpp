#include "app/MainModule.h"

#include <QDir>

namespace MainModule {

QString ProgramFolder;
QString DBPath;
QString IniPath;
std::int16_t PeriodMode = 1;
QString PriceTableName = QStringLiteral("daydata");
bool ListPicked = true;
bool LastKeyBackspace = false;

std::int16_t ScreenMode = 1;
float slidechart = 1.0f;
std::int16_t move1 = 5;
std::int16_t move2 = 15;
std::int16_t move3 = 30;
std::int16_t SaicoL = 12;
std::int16_t RSIVR = 12;
QString DURL;
QString MURL;
std::int16_t RDel = 0;
Currency SonPa = Currency::fromInt(4);
QString hibiPath;
QString sinyoPath;
std::int16_t MakeSyu = 1;
QString ReadSinyo = QStringLiteral("しない");
std::int16_t DelJyoho = 30;
std::int16_t ALLITORSO = 1;
std::int16_t ITORSO = 1;

std::array<QString, 11> MarketAbbrev;
QString SelectedInfoKind;
QString SelectedInfoDate;
QString MainTag;

void reset()
{
    ProgramFolder.clear();
    DBPath.clear();
    IniPath.clear();
    PeriodMode = 1;
    PriceTableName = QStringLiteral("daydata");
    ListPicked = true;
    LastKeyBackspace = false;
    ScreenMode = 1;
    slidechart = 1.0f;
    move1 = 5;
    move2 = 15;
    move3 = 30;
    SaicoL = 12;
    RSIVR = 12;
    DURL.clear();
    MURL.clear();
    RDel = 0;
    SonPa = Currency::fromInt(4);
    hibiPath.clear();
    sinyoPath.clear();
    MakeSyu = 1;
    ReadSinyo = QStringLiteral("しない");
    DelJyoho = 30;
    ALLITORSO = 1;
    ITORSO = 1;
    MarketAbbrev = {};
    SelectedInfoKind.clear();
    SelectedInfoDate.clear();
    MainTag.clear();
}

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
