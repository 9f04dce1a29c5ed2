#pragma once

// Routines that act on widgets: the period caption and colour, the period button, keeping a
// window on top.

class QAbstractButton;
class QWidget;

// Mode 1: the caption ends in "(日)" and, when recolour, the background turns light grey
// (192,192,192); mode 2: "(週)" and dark grey (128,128,128). Other modes: nothing.
void MarkPeriodCaption(QWidget *window, int mode, bool recolour);
// "週　足　チャートへ" for mode 1, "日　足　チャートへ" for mode 2; other modes leave it.
void SetPeriodButtonCaption(QAbstractButton *button, int mode);

class cSetWindow final
{
public:
    // Above all other windows (true) or back among normal windows (false), without moving,
    // resizing or activating it.
    static void SetTopMost(QWidget *window, bool onTop);
};
