#include "ui/WindowHelpers.h"

#include <QLabel>

#include "base/Helpers.h"

#include <QAbstractButton>
#include <QPalette>
#include <QWidget>

void MarkPeriodCaption(QWidget *window, int mode, bool recolour)
{
    if (mode != 1 && mode != 2)
        return;
    if (recolour) {
        QPalette palette = window->palette();
        palette.setColor(QPalette::Window, mode == 1 ? QColor(192, 192, 192) : QColor(128, 128, 128));
        window->setPalette(palette);
        window->setAutoFillBackground(true);
    }
    window->setWindowTitle(PeriodCaptionText(window->windowTitle(), mode));
}

void SetPeriodButtonCaption(QAbstractButton *button, int mode)
{
    const QString text = PeriodButtonText(mode);
    if (!text.isNull())
        button->setText(text);
}

void cSetWindow::SetTopMost(QWidget *window, bool onTop)
{
    if (window->windowFlags().testFlag(Qt::WindowStaysOnTopHint) == onTop)
        return;
    const bool wasVisible = window->isVisible();
    const QRect geometry = window->geometry();
    const bool noActivate = window->testAttribute(Qt::WA_ShowWithoutActivating);
    window->setWindowFlag(Qt::WindowStaysOnTopHint, onTop);
    if (wasVisible) {
        window->setAttribute(Qt::WA_ShowWithoutActivating, true);
        window->setGeometry(geometry);
        window->show();
        window->setAttribute(Qt::WA_ShowWithoutActivating, noActivate);
    }
}

std::vector<QLabel *> MarketCodeLegend(QWidget *parent)
{
    std::vector<QLabel *> labels{named<QLabel>("Label1", QStringLiteral("市場ｺｰﾄﾞ  1:東証1部  2:東証2部"), parent),
                                 named<QLabel>("Label2", QStringLiteral("          3:店頭"), parent),
                                 named<QLabel>("LabelOtherMarkets", QStringLiteral("          4:大証  5:名証  6:その他"), parent)};
    for (QLabel *l : labels) {
        QFont f = l->font();
        f.setStyleHint(QFont::TypeWriter);
        f.setFamilies({QStringLiteral("Noto Sans Mono CJK JP"), QStringLiteral("MS Gothic"), QStringLiteral("monospace")});
        l->setFont(f);
    }
    return labels;
}

QString otherMarketsLegendText()
{
    return QStringLiteral("4：大証　5：名証　6：その他");
}
