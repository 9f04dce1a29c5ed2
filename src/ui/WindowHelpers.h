#pragma once

// Routines that act on widgets: named controls, the period caption and colour, the period
// button, keeping a window on top.

#include <QPushButton>
#include <QString>

#include <type_traits>
#include <utility>
#include <vector>

class QAbstractButton;
class QWidget;

// A control with its objectName (tests find controls by name). Buttons never act as the dialog's
// default, so Enter in a text box starts nothing, and get room around the caption so a fallback
// font for the Japanese text is never clipped.
template <typename T, typename... Args>
T *named(const char *name, Args &&...args)
{
    T *w = new T(std::forward<Args>(args)...);
    w->setObjectName(QString::fromLatin1(name));
    if constexpr (std::is_base_of_v<QPushButton, T>) {
        w->setAutoDefault(false);
        w->setMinimumWidth(w->sizeHint().width() + 16);
    }
    return w;
}

// Mode 1: the caption ends in "(日)" and, when recolour, the background turns light grey
// (192,192,192); mode 2: "(週)" and dark grey (128,128,128). Other modes: nothing.
void MarkPeriodCaption(QWidget *window, int mode, bool recolour);
// "週　足　チャートへ" for mode 1, "日　足　チャートへ" for mode 2; other modes leave it.
void SetPeriodButtonCaption(QAbstractButton *button, int mode);

// The market-code legend of the maintenance windows: "市場ｺｰﾄﾞ  1:東証1部  2:東証2部", "          3:店頭",
// then the markets 4 to 6 that the registration also holds, in one column of a fixed-pitch font so
// the numbers stand under each other. Labels named Label1, Label2 and LabelOtherMarkets.
std::vector<class QLabel *> MarketCodeLegend(QWidget *parent = nullptr);
// The same markets 4 to 6 in the wording of the ranking window's legend.
QString otherMarketsLegendText();

class cSetWindow final
{
public:
    // Above all other windows (true) or back among normal windows (false), without moving,
    // resizing or activating it.
    static void SetTopMost(QWidget *window, bool onTop);
};
