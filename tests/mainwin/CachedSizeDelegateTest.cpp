#include "MainWindowTestSupport.h"

#include "mainwin/CachedSizeDelegate.h"

#include <QProxyStyle>

namespace {

// A list that tells the options it gives its delegate.
class ProbedList final : public QListWidget
{
public:
    QStyleOptionViewItem itemOption() const
    {
        QStyleOptionViewItem option;
        initViewItemOption(&option);
        return option;
    }
};

// A style with wider margins around the text of an item.
class WideMargins final : public QProxyStyle
{
public:
    int pixelMetric(PixelMetric metric, const QStyleOption *option, const QWidget *widget) const override
    {
        return metric == PM_FocusFrameHMargin ? 12 : QProxyStyle::pixelMetric(metric, option, widget);
    }
};

} // namespace

TEST(CachedSizeDelegateTest, SizesAreTheDelegatesOwnAndFollowTheListsFontAndStyle)
{
    mainwin_test::ensureApplication();
    ProbedList list;
    auto *cached = new CachedSizeDelegate(&list);
    list.setItemDelegate(cached);
    list.addItems({QStringLiteral("1301　東1　極洋"), QStringLiteral("7203　東1　トヨタ自動車"), QStringLiteral("9"),
                   QStringLiteral("1301　東1　極洋")});
    QStyledItemDelegate plain;
    const auto expectSizesOfPlain = [&](const char *when) {
        const QStyleOptionViewItem option = list.itemOption();
        for (int row = 0; row < list.count(); ++row) {
            const QModelIndex index = list.model()->index(row, 0);
            // Twice: the second answer comes from what the first one kept.
            for (int ask = 0; ask < 2; ++ask)
                EXPECT_EQ(cached->sizeHint(option, index), plain.sizeHint(option, index)) << when << " row " << row;
        }
    };
    expectSizesOfPlain("at first");
    const QSize before = cached->sizeHint(list.itemOption(), list.model()->index(1, 0));

    QFont larger = list.font();
    larger.setPixelSize(30);
    list.setFont(larger);
    expectSizesOfPlain("in a larger font");
    EXPECT_GT(cached->sizeHint(list.itemOption(), list.model()->index(1, 0)).width(), before.width());

    const QSize inLarger = cached->sizeHint(list.itemOption(), list.model()->index(1, 0));
    WideMargins wide;
    list.setStyle(&wide);
    expectSizesOfPlain("in another style");
    EXPECT_GT(cached->sizeHint(list.itemOption(), list.model()->index(1, 0)).width(), inLarger.width());

    // An item with an icon of its own is measured as it is.
    QPixmap square(40, 40);
    square.fill(Qt::red);
    list.item(3)->setIcon(QIcon(square));
    expectSizesOfPlain("with an icon");
    list.setStyle(nullptr);
}
