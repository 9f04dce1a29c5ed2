#include "mainwin/CachedSizeDelegate.h"

#include <QApplication>
#include <QStyle>

QSize CachedSizeDelegate::sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    // Icons, check boxes, fonts or sizes of an item's own are not part of the key: such items are
    // measured every time.
    for (int role : {Qt::DecorationRole, Qt::CheckStateRole, Qt::FontRole, Qt::SizeHintRole}) {
        if (index.data(role).isValid())
            return QStyledItemDelegate::sizeHint(option, index);
    }
    const Context context{option.font,
                          option.widget ? option.widget->style() : QApplication::style(),
                          option.decorationSize,
                          option.direction,
                          option.features,
                          option.displayAlignment};
    if (context != m_context || m_sizes.size() > 10000) {
        m_context = context;
        m_sizes.clear();
    }
    const QString text = index.data(Qt::DisplayRole).toString();
    const auto found = m_sizes.constFind(text);
    if (found != m_sizes.constEnd())
        return *found;
    const QSize size = QStyledItemDelegate::sizeHint(option, index);
    m_sizes.insert(text, size);
    return size;
}
