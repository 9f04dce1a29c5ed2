#pragma once

// What the options window holds, its repairs on close and its save, without the window.

#include <QString>
#include <QStringList>

class Prompt;

struct OptionEntries
{
    int screenMode = 1; // Option1 selected: 1, else 2
    QString slidechart;
    QString move1, move2, move3, SaicoL, RSIVR;
    QString TxtUrl;
    QString TxtQUrl; // the quote site of the boards (QURL)
    QString jquantsKey; // the price service's API key (JQuantsKey), shown masked
    int ChkRDel = 0;
    QString sonekipa;
    QString TxthidiFold, TxtsinyoFold;
    int ChkMakeSyu = 0;
    QString CmbShinyo;
    QString CmbDelJyoho;
    int allItoRso = 1; // Option6: 1, Option7: 2, neither: 3
    int itoRso = 1; // Option3: 1, Option4: 2, Option5: 3, none: 1
};

namespace OptionValues {

// The entries shown when the window opens, from MainModule.
OptionEntries fromSettings();
// The repairs of invalid entries made on close: slidechart outside 0.5..60 or not a number -> "1";
// a moving-average or period entry not a number -> "0"; sonekipa not a number -> "4"; CmbShinyo
// other than "金曜", "木曜", "水曜" -> "しない"; CmbDelJyoho not a number -> "10".
void repair(OptionEntries &entries);
// The main settings texts in file order; keys the window does not show (MURL) keep their values.
QStringList settingsValues(const OptionEntries &entries);
// Repairs, writes the settings (filter keys untouched) and reads them back into MainModule.
// False when the file could not be written or a value did not load (its message went to prompt).
bool save(OptionEntries &entries, Prompt *prompt);
// Why the entries cannot be saved (a number beyond what its setting holds), after the repairs;
// "" when they can.
QString firstProblem(const OptionEntries &entries);
// True when the text reads as a number (blanks around allowed).
bool isNumeric(const QString &text);

} // namespace OptionValues
