#include "MainWindowTestSupport.h"

#include "chart/ChartFonts.h"
#include "mainwin/SingleLayoutDelegate.h"

namespace {

// Two lists alike but for the delegate, in one window; each is shown in turn with the focus, as
// only one of them can have it.
struct TwoLists
{
    QWidget window;
    QListWidget *plain = new QListWidget(&window);
    QListWidget *single = new QListWidget(&window);
    QLineEdit *elsewhere = new QLineEdit(&window);

    explicit TwoLists(const QStringList &rows, const QFont &font, QSize size)
    {
        single->setItemDelegate(new SingleLayoutDelegate(single));
        int x = 0;
        for (QListWidget *list : {plain, single}) {
            list->setFont(font);
            list->setGeometry(x, 0, size.width(), size.height());
            list->addItems(rows);
            x += size.width() + 10;
        }
        elsewhere->setGeometry(x, 0, 50, 20);
        window.resize(x + 50, size.height());
        window.show();
        window.activateWindow();
        QApplication::setActiveWindow(&window);
        QCoreApplication::processEvents();
    }
    void select(int row)
    {
        for (QListWidget *list : {plain, single})
            list->setCurrentRow(row);
    }
    QImage image(QListWidget *list, bool focus)
    {
        (focus ? static_cast<QWidget *>(list) : elsewhere)->setFocus();
        QCoreApplication::processEvents();
        return list->grab().toImage();
    }
    void expectSamePixels(const char *when)
    {
        for (bool focus : {false, true}) {
            const QImage a = image(plain, focus);
            const QImage b = image(single, focus);
            EXPECT_EQ(a, b) << when << (focus ? ", with the focus" : "");
        }
    }
};

} // namespace

TEST(SingleLayoutDelegateTest, ItemsLookAsTheStylePaintsThem)
{
    mainwin_test::ensureApplication();
    const QStringList prices{QStringLiteral("26/03/02       1250       1300       1240       1290         40       120000"),
                             QStringLiteral("26/03/03       1290       1290       1201.5     1210        -80.5   123456789"),
                             QStringLiteral("26/03/04     -12345          0          7          8          9            1")};
    TwoLists lists(prices, chart::priceListFont(), QSize(667, 174));
    lists.expectSamePixels("nothing selected");
    lists.select(1);
    lists.expectSamePixels("a row selected");
    lists.window.setEnabled(false);
    lists.expectSamePixels("disabled");
    lists.window.setEnabled(true);

    // Rows wider than the list (it scrolls sideways) and Japanese names in another font.
    TwoLists narrow({prices[0], QStringLiteral("1301　東1　極洋"), QStringLiteral("7203　東1　トヨタ自動車株式会社の長い名前")},
                    QFont(), QSize(140, 120));
    for (QListWidget *list : {narrow.plain, narrow.single})
        list->setTextElideMode(Qt::ElideNone); // as the issue list, which scrolls sideways instead
    narrow.select(2);
    narrow.expectSamePixels("narrow");
    narrow.select(0);
    narrow.expectSamePixels("narrow, the long row selected");
}
