// The desktop program: start-up (Main), then the splash window, then the main window.

#include "app/MainCommands.h"
#include "app/Startup.h"
#include "app/frmSplash.h"
#include "base/AppServices.h"
#include "base/DesktopShell.h"
#include "base/MainModule.h"
#include "base/Ports.h"
#include "base/ProgramLocation.h"
#include "mainwin/frmMain.h"
#include "net/HttpClient.h"
#include "ui/MessageBoxPrompt.h"
#include "ui/QtJapanese.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QRegularExpression>
#include <QTimer>

#include <csignal>
#include <cstdio>

// Test hook, not a user option: with MIRAVEL_TEST_QUIT_AFTER_SHOWN set, the program ends as soon
// as the main window is shown and prints how long start-up took without the splash second; its
// messages go to stderr instead of message boxes, so a smoke test never waits on a dialog.
static bool quitAfterShownHook()
{
    return !qEnvironmentVariableIsEmpty("MIRAVEL_TEST_QUIT_AFTER_SHOWN");
}

namespace {

class StderrPrompt final : public Prompt
{
public:
    bool askYesNo(const QString &text, const QString &title, PromptIcon icon) override
    {
        inform(text, title, icon);
        return false;
    }
    void inform(const QString &text, const QString &, PromptIcon) override
    {
        std::fprintf(stderr, "message: %s\n", text.toUtf8().constData());
    }
    QString pickOpenFile(const QString &, const QString &) override { return {}; }
    QString pickSaveFile(const QString &, const QString &, const QString &) override { return {}; }
    QString pickFolder(const QString &, const QString &currentFolder) override { return currentFolder; }
};

} // namespace

int main(int argc, char **argv)
{
#ifdef SIGXFSZ
    // Past a file-size limit a write fails, and is reported, instead of ending the program unsaid.
    std::signal(SIGXFSZ, SIG_IGN);
#endif
    QElapsedTimer clock;
    clock.start();
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Miravel"));
    // No display name: X11 would append it to every caption ("ミラベル(日) — ミラベル").
    ui::installQtJapanese(app);

    MessageBoxPrompt messageBoxes;
    StderrPrompt messagesOnStderr;
    Prompt &prompt = quitAfterShownHook() ? static_cast<Prompt &>(messagesOnStderr) : messageBoxes;
    // "--folder DIR" and MIRAVEL_HOME choose the program folder; otherwise the folder rule does.
    QStringList arguments = QCoreApplication::arguments();
    arguments.removeFirst();
    QString folderOption;
    if (!ProgramLocation::takeFolderOption(arguments, &folderOption)) {
        prompt.inform(QStringLiteral("--folder にフォルダを指定して下さい。"), Startup::programTitle(), PromptIcon::Critical);
        return 2;
    }
    const ProgramLocation::Choice location = ProgramLocation::choose(ProgramLocation::inputsOfThisProcess(folderOption));
    QString folderError;
    if (!ProgramLocation::ensureFolder(location, &folderError)) {
        prompt.inform(folderError + QStringLiteral("\n終了します。"), Startup::programTitle(), PromptIcon::Critical);
        return 1;
    }
    const QString programFolder = location.folder;
    // The programs it starts (Convt from the import window) work on the same folder.
    qputenv("MIRAVEL_HOME", QDir::toNativeSeparators(programFolder).toLocal8Bit());

    // One copy per program folder.
    Startup::InstanceLock lock(programFolder);
    if (!lock.tryLock()) {
        prompt.inform(lock.refusal(), Startup::programTitle(), PromptIcon::Information);
        return 0;
    }

    // Folders, database and settings of the program folder.
    const Startup::Result result = Startup::prepareProgramFolder(programFolder, prompt);
    if (!result.ok)
        return 1;

    DesktopShell shell;
    HttpClient http;
    SystemClock systemClock;
    AppServices services{&prompt, &shell, &http, &systemClock};
    connectServices(services);

    // The main window, loaded and hidden; after a first run its first activation leads the user on.
    frmMain mainWindow(services, mainWindowCommands(),
                       result.firstRun ? MainWindowStart::FirstRun : MainWindowStart::Ordinary);
    messageBoxes.setOwner(&mainWindow);

    // The settings file records the version that last ran on it.
    QString versionError;
    if (!Startup::writeVersionKey(&versionError))
        prompt.inform(versionError, Startup::programTitle(), PromptIcon::Warning);

    // The splash; its timer shows the main window.
    frmSplash splash(mainWindow);
    splash.show();
    const qint64 beforeSplash = clock.elapsed();

    // "Miravel 7203" opens on that chart, as if the code had been typed (./run starts the
    // demo this way).
    const QString startCode = arguments.value(0);
    static const QRegularExpression fourDigits(QStringLiteral("^[0-9]{4}$"));
    if (fourDigits.match(startCode).hasMatch()) {
        QObject::connect(&splash, &frmSplash::mainWindowShown, &mainWindow,
                         [&mainWindow, startCode] { mainWindow.MeiCode->setText(startCode); });
    }

    qint64 fired = 0;
    if (quitAfterShownHook()) {
        QObject::connect(&splash, &frmSplash::timerFired, &app, [&] { fired = clock.elapsed(); });
        QObject::connect(&splash, &frmSplash::mainWindowShown, &app, [&] {
            QCoreApplication::processEvents(); // the main window's first paint
            const qint64 total = clock.elapsed();
            std::fprintf(stderr, "startup_ms=%lld before_splash_ms=%lld show_ms=%lld total_ms=%lld\n",
                         static_cast<long long>(beforeSplash + total - fired), static_cast<long long>(beforeSplash),
                         static_cast<long long>(total - fired), static_cast<long long>(total));
            QTimer::singleShot(0, &app, &QCoreApplication::quit);
        });
    }
    return app.exec();
}
