#pragma once

// An item delegate for items of one line of plain text that lays the text out once per paint. The
// style, asked to paint such an item, lays its text out four or five times over (for the size,
// the place of the text, the selection, whether it must be shortened, and the drawing); this one
// lets the style paint the item without its text and draws the text where and as the style would.
// Items it cannot paint that way (with an icon, a check box, wrapped or shortened text, or a style
// that highlights only the text of a selected item) are left to the style whole.

#include <QStyledItemDelegate>

class SingleLayoutDelegate : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override;
};
