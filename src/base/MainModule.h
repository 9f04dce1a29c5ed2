#pragma once

// Application-wide state, under the names the rest of the program uses. Nothing else is global.

#include "base/Currency.h"

#include <QString>

#include <array>
#include <cstdint>

namespace MainModule {

// Paths (set by start-up or by the batch tool from the program folder).
extern QString ProgramFolder; // native separators, no trailing separator
extern QString DBPath; // ProgramFolder + "/Miravel.mdb"
extern QString IniPath; // ProgramFolder + "/Miravel.ini"

// Period of charts and tables: 1 daily, 2 weekly.
extern std::int16_t PeriodMode;
extern QString PriceTableName; // "daydata" or "weekdata"

extern bool ListPicked;
extern bool LastKeyBackspace;

// Settings values, named after their keys in Miravel.ini.
extern std::int16_t ScreenMode;
extern float slidechart;
extern std::int16_t move1;
extern std::int16_t move2;
extern std::int16_t move3;
extern std::int16_t SaicoL;
extern std::int16_t RSIVR;
extern QString DURL;
extern QString MURL;
extern QString QURL; // the boards' quote site
extern std::int16_t RDel;
extern Currency SonPa;
extern QString hibiPath;
extern QString sinyoPath;
extern std::int16_t MakeSyu;
extern QString ReadSinyo;
extern std::int16_t DelJyoho;
extern std::int16_t ALLITORSO;
extern std::int16_t ITORSO;
extern QString JQuantsKey; // the price service's API key (the converter's source "jquants")
extern QString JQuantsPlan; // its plan, which sets the pace of the requests
extern QString JQuantsURL; // its base address

// Market abbreviations: index 0 empty, 1..10 from Shijyo in code order.
extern std::array<QString, 11> MarketAbbrev;

// The information browser's last kind and date, kept for the whole run.
extern QString SelectedInfoKind;
extern QString SelectedInfoDate;

// Sets every value back to its start state (tests call it between cases).
void reset();

// Sets ProgramFolder, DBPath and IniPath from a folder.
void setProgramFolder(const QString &folder);

// The data folder (ProgramFolder + "/Data").
QString dataFolder();

} // namespace MainModule
