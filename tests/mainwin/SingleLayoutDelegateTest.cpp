#include "MainWindowTestSupport.h"

#include "chart/ChartFonts.h"
#include "mainwin/SingleLayoutDelegate.h"

// Two lists alike but for the delegate must show the same pixels, each in turn with the focus.
TEST(SingleLayoutDelegateTest, ItemsLookAsTheStylePaintsThem)
{
    mainwin_test::ensureApplication();
    const QStringList prices{QStringLiteral("26/03/02       1250       1300       1240       1290         40       120000"),
                             QStringLiteral("26/03/03       1290       1290       1201.5     1210        -80.5   123456789")};
    const QStringList names{prices[0], QStringLiteral("1301　東1　極洋"), QStringLiteral("7203　東1　トヨタ自動車株式会社")};
    for (const bool priceList : {true, false}) {
        QWidget window;
        QLineEdit elsewhere(&window);
        QListWidget plain(&window), single(&window);
        single.setItemDelegate(new SingleLayoutDelegate(&single));
        for (QListWidget *list : {&plain, &single}) {
            list->setFont(priceList ? chart::priceListFont() : QFont());
            list->setTextElideMode(priceList ? Qt::ElideRight : Qt::ElideNone); // the issue list scrolls instead
            list->resize(priceList ? QSize(667, 174) : QSize(140, 120)); // the issue list is narrower than its rows
            list->addItems(priceList ? prices : names);
        }
        window.show();
        QApplication::setActiveWindow(&window);
        for (int row : {-1, 1, 0}) {
            for (const bool focus : {false, true}) {
                QImage images[2];
                for (QListWidget *list : {&plain, &single}) {
                    list->setCurrentRow(row);
                    (focus ? static_cast<QWidget *>(list) : &elsewhere)->setFocus();
                    QCoreApplication::processEvents();
                    images[list == &single] = list->grab().toImage();
                }
                EXPECT_EQ(images[0], images[1]) << priceList << " row " << row << " focus " << focus;
            }
        }
        window.setEnabled(false);
        EXPECT_EQ(plain.grab().toImage(), single.grab().toImage()) << "disabled";
    }
}
