#include "MainWindowTestSupport.h"

#include "mainwin/CachedSizeDelegate.h"

#include <QProxyStyle>

namespace {

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

class WideMargins final : public QProxyStyle
{
public:
    int pixelMetric(PixelMetric metric, const QStyleOption *option, const QWidget *widget) const override
    {
        return metric == PM_FocusFrameHMargin ? 12 : QProxyStyle::pixelMetric(metric, option, widget);
    }
};

} // namespace

// Asked twice (the second answer is the kept one), after each change that alters sizes.
TEST(CachedSizeDelegateTest, SizesAreTheStylesAndFollowTheListsFontStyleAndIcons)
{
    mainwin_test::ensureApplication();
    ProbedList list;
    auto *cached = new CachedSizeDelegate(&list);
    list.setItemDelegate(cached);
    list.addItems({QStringLiteral("1301　東1　極洋"), QStringLiteral("7203　東1　トヨタ自動車"), QStringLiteral("1301　東1　極洋")});
    QStyledItemDelegate plain;
    WideMargins wide;
    QFont larger = list.font();
    larger.setPixelSize(30);
    QPixmap square(40, 40);
    square.fill(Qt::red);
    const std::function<void()> changes[] = {[] {}, [&] { list.setFont(larger); }, [&] { list.setStyle(&wide); },
                                             [&] { list.item(2)->setIcon(QIcon(square)); }};
    int width = 0;
    for (const auto &change : changes) {
        change();
        const QStyleOptionViewItem option = list.itemOption();
        for (int row = 0; row < list.count(); ++row)
            for (int ask = 0; ask < 2; ++ask)
                EXPECT_EQ(cached->sizeHint(option, list.model()->index(row, 0)), plain.sizeHint(option, list.model()->index(row, 0)));
        EXPECT_GT(plain.sizeHint(option, list.model()->index(2, 0)).width(), width); // every change widens
        width = plain.sizeHint(option, list.model()->index(2, 0)).width();
    }
    list.setStyle(nullptr);
}
