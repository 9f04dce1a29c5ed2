#include "ui/WindowHelpers.h"
#include "ui/MessageBoxPrompt.h"
#include "ui/QtJapanese.h"

#include <QApplication>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QWidget>

#include <gtest/gtest.h>

namespace {

TEST(MarkPeriodCaption, SetsTheMarkAndTheBackground)
{
    QWidget window;
    window.setWindowTitle(QStringLiteral("ミラベル(週)"));
    MarkPeriodCaption(&window, 1, true);
    EXPECT_EQ(window.windowTitle(), QStringLiteral("ミラベル(日)"));
    EXPECT_EQ(window.palette().color(QPalette::Window), QColor(192, 192, 192));

    MarkPeriodCaption(&window, 2, false);
    EXPECT_EQ(window.windowTitle(), QStringLiteral("ミラベル(週)"));
    EXPECT_EQ(window.palette().color(QPalette::Window), QColor(192, 192, 192)) << "no recolour asked";

    MarkPeriodCaption(&window, 2, true);
    EXPECT_EQ(window.palette().color(QPalette::Window), QColor(128, 128, 128));

    QWidget plain;
    plain.setWindowTitle(QStringLiteral("株価ﾃﾞｰﾀｰ編集"));
    const QColor before = plain.palette().color(QPalette::Window);
    MarkPeriodCaption(&plain, 0, true);
    EXPECT_EQ(plain.windowTitle(), QStringLiteral("株価ﾃﾞｰﾀｰ編集"));
    EXPECT_EQ(plain.palette().color(QPalette::Window), before);
    MarkPeriodCaption(&plain, 1, false);
    EXPECT_EQ(plain.windowTitle(), QStringLiteral("株価ﾃﾞｰﾀｰ編集(日)"));
}

TEST(SetPeriodButtonCaption, NamesTheOtherPeriod)
{
    QPushButton button(QStringLiteral("x"));
    SetPeriodButtonCaption(&button, 1);
    EXPECT_EQ(button.text(), QStringLiteral("週　足　チャートへ"));
    SetPeriodButtonCaption(&button, 2);
    EXPECT_EQ(button.text(), QStringLiteral("日　足　チャートへ"));
}

TEST(SetTopMost, KeepsPositionAndVisibility)
{
    QWidget window;
    window.setGeometry(40, 50, 300, 200);
    window.show();
    cSetWindow::SetTopMost(&window, true);
    EXPECT_TRUE(window.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_TRUE(window.isVisible());
    EXPECT_EQ(window.geometry().size(), QSize(300, 200));
    cSetWindow::SetTopMost(&window, false);
    EXPECT_FALSE(window.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_TRUE(window.isVisible());

    QWidget hidden;
    cSetWindow::SetTopMost(&hidden, true);
    EXPECT_TRUE(hidden.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_FALSE(hidden.isVisible());
}

TEST(MessageBoxPrompt, FilterTextBecomesQtFilters)
{
    EXPECT_EQ(MessageBoxPrompt::qtFilter(QStringLiteral("すべてのﾌｧｲﾙ(*.*)|*.*")), QStringLiteral("すべてのﾌｧｲﾙ (*)"));
    EXPECT_EQ(MessageBoxPrompt::qtFilter(QStringLiteral("銘柄ﾘｽﾄ(*.Lis)|*.Lis|CSV(*.csv;*.txt)|*.csv;*.txt")),
              QStringLiteral("銘柄ﾘｽﾄ (*.Lis);;CSV (*.csv *.txt)"));
    EXPECT_EQ(MessageBoxPrompt::qtFilter(QStringLiteral("ボード|*.A")), QStringLiteral("ボード (*.A)"));
    EXPECT_EQ(MessageBoxPrompt::qtFilter(QString()), QString());
}

TEST(MessageBoxPrompt, SavingOverAnExistingFileLeavesTheQuestionToTheProgram)
{
    QTemporaryDir dir;
    const QString existing = dir.filePath(QStringLiteral("board.A"));
    QFile file(existing);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();

    // Chooses the existing file in the dialog, and answers Yes to any question it asks itself.
    QStringList dialogQuestions;
    bool chosen = false;
    QTimer user;
    user.setInterval(5);
    QObject::connect(&user, &QTimer::timeout, [&] {
        QWidget *modal = QApplication::activeModalWidget();
        if (auto *box = qobject_cast<QMessageBox *>(modal)) {
            dialogQuestions.append(box->text());
            if (QAbstractButton *yes = box->button(QMessageBox::Yes))
                yes->click();
            else
                box->reject();
        } else if (auto *dialog = qobject_cast<QFileDialog *>(modal); dialog && !chosen) {
            chosen = true;
            dialog->selectFile(existing);
            // From a timer of its own: a question the dialog asks runs its own event loop, and this
            // timer does not fire again while its handler runs.
            QTimer::singleShot(0, dialog, [dialog] { static_cast<QDialog *>(dialog)->accept(); });
        }
    });
    user.start();
    MessageBoxPrompt prompt;
    const QString path = prompt.pickSaveFile(QStringLiteral("ボード(*.A)|*.A"), dir.path(), QStringLiteral("board.A"));
    user.stop();
    EXPECT_TRUE(chosen);
    EXPECT_EQ(QFileInfo(path).canonicalFilePath(), QFileInfo(existing).canonicalFilePath());
    EXPECT_EQ(dialogQuestions, QStringList());
}

TEST(QtJapanese, QuestionButtonsSpeakJapanese)
{
    ASSERT_TRUE(ui::installQtJapanese(*QCoreApplication::instance())) << "qt6-translations-l10n missing";
    QMessageBox box(QMessageBox::Information, QStringLiteral("確認"), QStringLiteral("よろしいですか？"),
                    QMessageBox::Yes | QMessageBox::No);
    EXPECT_EQ(box.button(QMessageBox::Yes)->text().remove(QLatin1Char('&')), QStringLiteral("はい(Y)"));
    EXPECT_EQ(box.button(QMessageBox::No)->text().remove(QLatin1Char('&')), QStringLiteral("いいえ(N)"));
}

} // namespace
