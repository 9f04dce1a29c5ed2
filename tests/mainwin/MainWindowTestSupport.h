#pragma once

// Helpers of the main-window tests: a widget application, a recording shell, and a fixture with a
// program folder, a scripted prompt, a fixed clock, issues and price rows written straight into
// the database, and the main window itself.

#include "app/MainCommands.h"
#include "base/AppServices.h"
#include "base/MainModule.h"
#include "db/Database.h"
#include "db/SqlTranslator.h"
#include "importwin/WindowTestSupport.h"
#include "mainwin/frmMain.h"
#include "support/TestSupport.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QPushButton>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace mainwin_test {

using importwin_test::RecordingShell;
using importwin_test::typeText;
using importwin_test::waitFor;

// Input as the user gives it, sent through the application (so the window's key preview sees it).
inline void keyClick(QWidget *widget, Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier, QString text = QString())
{
    if (text.isNull()) {
        if (key == Qt::Key_Space)
            text = QStringLiteral(" ");
        else if (key >= Qt::Key_0 && key <= Qt::Key_9)
            text = QString(QChar(char16_t(u'0' + (key - Qt::Key_0))));
        else if (key == Qt::Key_Return)
            text = QStringLiteral("\r");
    }
    QKeyEvent press(QEvent::KeyPress, key, modifiers, text);
    QApplication::sendEvent(widget, &press);
    QKeyEvent release(QEvent::KeyRelease, key, modifiers, text);
    QApplication::sendEvent(widget, &release);
}

inline void mouseClick(QWidget *widget, QPoint pos)
{
    const QPointF local(pos);
    const QPointF global(widget->mapToGlobal(pos));
    QMouseEvent press(QEvent::MouseButtonPress, local, global, Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(widget, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, local, global, Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(widget, &release);
}

inline void letEventsRun(int ms)
{
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < ms)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
}

inline void ensureApplication()
{
    if (QApplication::instance())
        return;
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "test_mainwin";
    static char *argv[] = {name, nullptr};
    // Never destroyed: tearing a widget application down among the exit handlers crashes in Qt's
    // input-device cleanup, and the process ends right after the tests anyway.
    new QApplication(argc, argv);
}

// Runs action on the modal window that opens next, once it is shown.
inline void onNextModal(std::function<void(QWidget *)> action)
{
    QTimer::singleShot(0, [action] {
        QWidget *w = QApplication::activeModalWidget();
        action(w);
        if (w && w->isVisible())
            w->close();
    });
}

class MainWindowTest : public ::testing::Test
{
protected:
    // A Friday.
    static QDate today() { return QDate(2024, 6, 14); }

    void SetUp() override
    {
        ensureApplication();
        folder = std::make_unique<testing_support::TempProgramFolder>();
        folder->createDatabase();
        MainModule::slidechart = 1;
        services = AppServices{&prompt, &shell, nullptr, &clock};
    }

    void TearDown() override
    {
        window.reset();
        EXPECT_TRUE(prompt.allAnswersUsed());
        folder.reset();
    }

    void addIssue(int code, int market, const QString &name)
    {
        db::Database d(MainModule::DBPath);
        d.execute(QStringLiteral("insert into Mei (コード, 市場コード, 銘柄, 出来高単位, 株価単位) values (%1, %2, %3, 1, 1)")
                      .arg(code)
                      .arg(market)
                      .arg(db::quoteText(name)));
    }

    // count daily rows on weekdays ending at lastDay; closes walk around base.
    void addDailyRows(int code, int count, QDate lastDay, int base = 1000)
    {
        db::Database d(MainModule::DBPath);
        db::WriteBatch batch(d);
        for (int i = 0; i < count; ++i, lastDay = lastDay.addDays(-1)) {
            while (lastDay.dayOfWeek() > 5)
                lastDay = lastDay.addDays(-1);
            const int close = base + (i * 37) % 101 - 50;
            d.execute(QStringLiteral("insert into dayData (コード, 日付, 始値, 高値, 安値, 終値, 前日比, 出来高) values (%1, %2, %3, %4, %5, %6, 0, %7)")
                          .arg(code)
                          .arg(db::dateLiteral(lastDay))
                          .arg(close - 5)
                          .arg(close + 10)
                          .arg(close - 10)
                          .arg(close)
                          .arg(1000 + i));
        }
    }

    void addWeeklyRows(int code, int count, QDate lastFriday)
    {
        db::Database d(MainModule::DBPath);
        db::WriteBatch batch(d);
        for (int i = 0; i < count; ++i)
            d.execute(QStringLiteral("insert into weekData (コード, 日付, 始値, 高値, 安値, 終値, 前日比, 出来高, 売残, 買残) "
                                     "values (%1, %2, 990, 1020, 980, 1000, 0, 5000, %3, %4)")
                          .arg(code)
                          .arg(db::dateLiteral(lastFriday.addDays(-7 * i)))
                          .arg(100 + i)
                          .arg(200 + i));
    }

    frmMain &openWindow(MainWindowStart start = MainWindowStart::Ordinary)
    {
        window = std::make_unique<frmMain>(services, mainWindowCommands(), start);
        return *window;
    }

    QString labelText(const char *name) const
    {
        auto *l = window->findChild<QLabel *>(QString::fromLatin1(name));
        return l ? l->text() : QStringLiteral("<missing>");
    }

    QStringList listEntries(QListWidget *list) const
    {
        QStringList out;
        for (int i = 0; i < list->count(); ++i)
            out.append(list->item(i)->text());
        return out;
    }

    std::unique_ptr<testing_support::TempProgramFolder> folder;
    testing_support::ScriptedPrompt prompt;
    testing_support::FixedClock clock{today()};
    RecordingShell shell;
    AppServices services;
    std::unique_ptr<frmMain> window;
};

} // namespace mainwin_test
