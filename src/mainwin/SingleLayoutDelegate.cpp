#include "mainwin/SingleLayoutDelegate.h"

#include <QApplication>
#include <QPainter>
#include <QStyle>
#include <QTextLayout>

void SingleLayoutDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    QStyleOptionViewItem item = option;
    initStyleOption(&item, index);
    const QWidget *widget = item.widget;
    QStyle *style = widget ? widget->style() : QApplication::style();
    using Feature = QStyleOptionViewItem::ViewItemFeature;
    const bool plainLine = (item.features & QStyleOptionViewItem::HasDisplay)
        && !(item.features & (Feature::HasDecoration | Feature::HasCheckIndicator | Feature::WrapText))
        && item.showDecorationSelected && item.direction == Qt::LeftToRight && !(item.state & QStyle::State_Editing)
        && !item.text.contains(QLatin1Char('\n')) && !item.text.contains(QChar::LineSeparator);
    if (!plainLine) {
        QStyledItemDelegate::paint(painter, option, index);
        return;
    }

    // The text as the style places it: in the item's rectangle less the focus frame's margin, at the
    // left, and vertically aligned by the height of its one line.
    const int margin = style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, widget) + 1;
    const QRect textRect = item.rect.adjusted(margin, 0, -margin, 0);
    QTextOption textOption;
    textOption.setWrapMode(QTextOption::ManualWrap);
    textOption.setTextDirection(item.direction);
    textOption.setAlignment(QStyle::visualAlignment(item.direction, item.displayAlignment));
    QTextLayout layout(item.text, item.font);
    layout.setTextOption(textOption);
    layout.beginLayout();
    QTextLine line = layout.createLine();
    line.setLineWidth(textRect.width());
    line.setPosition(QPointF(0, 0));
    layout.endLayout();
    if (line.naturalTextWidth() > textRect.width()) { // shortened with an ellipsis by the style
        QStyledItemDelegate::paint(painter, option, index);
        return;
    }
    const QRect placed =
        QStyle::alignedRect(Qt::LayoutDirectionAuto, item.displayAlignment, layout.boundingRect().size().toSize(), textRect);

    // The background and the selection without the text; the focus frame, which goes over the text,
    // after it.
    QStyleOptionViewItem background = item;
    background.text.clear();
    background.state &= ~QStyle::State_HasFocus;
    style->drawControl(QStyle::CE_ItemViewItem, &background, painter, widget);

    QPalette::ColorGroup group = (item.state & QStyle::State_Enabled) ? QPalette::Normal : QPalette::Disabled;
    if (group == QPalette::Normal && !(item.state & QStyle::State_Active))
        group = QPalette::Inactive;
    painter->save();
    painter->setClipRect(item.rect);
    painter->setPen(item.palette.color(group, (item.state & QStyle::State_Selected) ? QPalette::HighlightedText : QPalette::Text));
    layout.draw(painter, QPointF(textRect.x(), placed.top()));
    if (item.state & QStyle::State_HasFocus) {
        QStyleOptionFocusRect focus;
        focus.QStyleOption::operator=(item);
        focus.rect = style->subElementRect(QStyle::SE_ItemViewItemFocusRect, &item, widget);
        focus.state |= QStyle::State_KeyboardFocusChange | QStyle::State_Item;
        const QPalette::ColorGroup focusGroup = (item.state & QStyle::State_Enabled) ? QPalette::Normal : QPalette::Disabled;
        focus.backgroundColor =
            item.palette.color(focusGroup, (item.state & QStyle::State_Selected) ? QPalette::Highlight : QPalette::Window);
        style->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, painter, widget);
    }
    painter->restore();
}
