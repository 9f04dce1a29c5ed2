// Measures the start-up of Miravel up to the main window shown, without the splash second.
//
//   startup_time [RUNS] [DATABASE]
//
// Copies the program into a fresh program folder (with DATABASE as its Miravel.mdb when given,
// else a database made by a first start), then starts it RUNS times (default 15) offscreen with
// its test hook, which ends it when the main window is shown and prints the time from the start of
// main() to the splash shown plus the time from the splash timer to the main window painted.

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

struct Run
{
    bool ok = false;
    double startupMs = 0; // as the program measured it
    double processMs = 0; // wall time of the whole process minus the splash second
};

Run runOnce(const QString &program)
{
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("MIRAVEL_TEST_QUIT_AFTER_SHOWN"), QStringLiteral("1"));
    p.setProcessEnvironment(env);
    QElapsedTimer wall;
    wall.start();
    p.start(program, {});
    Run run;
    if (!p.waitForFinished(60000) || p.exitCode() != 0)
        return run;
    run.processMs = double(wall.nsecsElapsed()) / 1e6 - 1000.0;
    static const QRegularExpression re(QStringLiteral("startup_ms=(\\d+)"));
    const auto m = re.match(QString::fromUtf8(p.readAllStandardError()));
    if (!m.hasMatch())
        return run;
    run.startupMs = m.captured(1).toDouble();
    run.ok = true;
    return run;
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    const int runs = args.size() > 1 ? std::max(1, args[1].toInt()) : 15;
    QTemporaryDir dir;
    const QString program = QDir(dir.path()).filePath(QStringLiteral("Miravel"));
    if (!QFile::copy(QStringLiteral(MIRAVEL_PROGRAM_PATH), program)) {
        std::fprintf(stderr, "cannot copy %s\n", MIRAVEL_PROGRAM_PATH);
        return 1;
    }
    const QString database = QDir(dir.path()).filePath(QStringLiteral("Miravel.mdb"));
    if (args.size() > 2) {
        if (!QFile::copy(args[2], database)) {
            std::fprintf(stderr, "cannot copy %s\n", qPrintable(args[2]));
            return 1;
        }
    } else if (!runOnce(program).ok) { // the first start creates the database and the settings
        std::fprintf(stderr, "the first start failed\n");
        return 1;
    }
    std::printf("database: %lld bytes\n", static_cast<long long>(QFileInfo(database).size()));

    std::vector<double> startup, process;
    for (int i = 0; i < runs; ++i) {
        const Run r = runOnce(program);
        if (!r.ok) {
            std::fprintf(stderr, "run %d failed\n", i + 1);
            return 1;
        }
        startup.push_back(r.startupMs);
        process.push_back(r.processMs);
    }
    std::printf("runs: %d\n", runs);
    std::printf("start-up to main window shown (in-process, splash second excluded): median %.0f ms, min %.0f ms, max %.0f ms\n",
                median(startup), *std::min_element(startup.begin(), startup.end()),
                *std::max_element(startup.begin(), startup.end()));
    std::printf("whole process, launch to exit, minus the 1000 ms splash: median %.0f ms\n", median(process));
    return 0;
}
