#pragma once

// An item delegate that remembers the size of each text it was asked about (and paints as
// SingleLayoutDelegate does). A list whose items
// differ in size asks its delegate again for an item's size at every change of selection and every
// paint, and each answer lays the text out anew; the entries of the issue list stay the same from
// one switch to the next.

#include "mainwin/SingleLayoutDelegate.h"
#include <QFont>
#include <QHash>

class CachedSizeDelegate final : public SingleLayoutDelegate
{
public:
    using SingleLayoutDelegate::SingleLayoutDelegate;

    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override;

private:
    // What, besides the text, decides the size of an item that shows nothing but text.
    struct Context
    {
        QFont font;
        const QStyle *style = nullptr;
        QSize decorationSize;
        Qt::LayoutDirection direction = Qt::LeftToRight;
        QStyleOptionViewItem::ViewItemFeatures features;
        Qt::Alignment alignment;
        bool operator==(const Context &) const = default;
    };

    mutable Context m_context;
    mutable QHash<QString, QSize> m_sizes;
};
