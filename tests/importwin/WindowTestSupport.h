#pragma once

// What the window tests share: the import fixture with the window ports, the impatient user, and a
// watcher that answers the modal windows a window opens on its own.

#include "import/ImportFixture.h"
#include "ui/UiTestSupport.h"

#include "base/AppServices.h"
#include "base/MainModule.h"

#include <QApplication>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QThread>
#include <QTimer>
#include <QWidget>

#include <gtest/gtest.h>

#include <ostream>

// Readable Japanese texts in failure messages.
inline void PrintTo(const QString &text, std::ostream *os)
{
    *os << '"' << text.toStdString() << '"';
}

namespace importwin_test {

using ui_testing::pressKey;
using ui_testing::typeText;

// Records what the window asks the desktop to open or start.
class RecordingShell final : public Shell
{
public:
    bool open(const QString &pathOrUrl) override
    {
        opened.append(pathOrUrl);
        return openSucceeds;
    }
    bool start(const QString &program, const QStringList &arguments, const QString &workingFolder) override
    {
        started.append(program);
        startArguments = arguments;
        startFolder = workingFolder;
        return startSucceeds;
    }
    QStringList opened, started, startArguments;
    QString startFolder;
    bool openSucceeds = true;
    bool startSucceeds = true;
};

// Closes every modal window that appears above the window under test and notes its name.
class ModalWatcher final
{
public:
    explicit ModalWatcher(QWidget *owner)
    {
        m_timer.setInterval(5);
        QObject::connect(&m_timer, &QTimer::timeout, [this, owner] {
            QWidget *modal = QApplication::activeModalWidget();
            if (modal && modal != owner && modal->isVisible()) {
                seen.append(modal->objectName());
                modal->close();
            }
        });
        m_timer.start();
    }
    QStringList seen;

private:
    QTimer m_timer;
};

// Plays the impatient user: while the run started by the button works, the user's actions run
// once, as soon as the window reports busy, and watch runs on every turn of the event loop while
// it is busy. True when the actions ran.
template <typename Window, typename User, typename Watch = void (*)()>
bool actWhileBusy(
    Window &window, QPushButton *run, User user, Watch watch = [] {})
{
    bool acted = false;
    QTimer timer;
    timer.setInterval(0);
    QObject::connect(&timer, &QTimer::timeout, [&] {
        if (!window.isBusy())
            return;
        watch();
        if (acted)
            return;
        acted = true;
        user();
    });
    timer.start();
    run->click();
    timer.stop();
    return acted;
}

// Runs pending events until the condition holds or about two seconds went by.
template <typename Condition>
bool waitFor(Condition condition)
{
    for (int i = 0; i < 400 && !condition(); ++i) {
        QApplication::processEvents(QEventLoop::AllEvents, 5);
        QThread::msleep(5);
    }
    return condition();
}

// The import fixture's folder and database, with the ports a window takes.
class WindowFixture : public import_test::ImportFixture
{
protected:
    void SetUp() override
    {
        ImportFixture::SetUp();
        MainModule::ReadSinyo = QStringLiteral("しない");
        MainModule::MakeSyu = 0;
        services.prompt = &prompt;
        services.clock = &clock;
        services.shell = &shell;
    }

    void addDay(int code, const QDate &date, int close, int change = 0)
    {
        addPrice(QStringLiteral("daydata"), code, date, close, close, close, close, 1000, change, close);
    }

    testing_support::FixedClock clock{QDate(2000, 7, 19)}; // a Wednesday
    RecordingShell shell;
    AppServices services;
};

} // namespace importwin_test
