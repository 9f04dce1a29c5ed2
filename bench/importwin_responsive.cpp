// A one-year import through frmReadData, offscreen: how often the labels change, whether closing is
// refused throughout, and how long the window goes without answering events (the gaps between the
// ticks of a 10 ms timer).
//   importwin_responsive [issues=4000]
#include "base/AppServices.h"
#include "base/MainModule.h"
#include "base/Ports.h"
#include "datagen/DataGenerator.h"
#include "db/Database.h"
#include "db/Schema.h"
#include "import/ImportRun.h"
#include "import/frmReadData.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

class YesPrompt final : public Prompt
{
public:
    bool askYesNo(const QString &, const QString &, PromptIcon) override { return true; }
    void inform(const QString &t, const QString &, PromptIcon) override { std::printf("M: %s\n", qPrintable(t)); }
    QString pickOpenFile(const QString &, const QString &) override { return {}; }
    QString pickSaveFile(const QString &, const QString &, const QString &) override { return {}; }
    QString pickFolder(const QString &, const QString &c) override { return c; }
};
class FixedClock final : public Clock
{
public:
    QDate d;
    QDate today() const override { return d; }
    QDateTime now() const override { return QDateTime(d, QTime(10, 0)); }
};

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    const int issues = argc > 1 ? std::atoi(argv[1]) : 4000;
    QTemporaryDir dir;
    QDir(dir.path()).mkdir(QStringLiteral("Data"));
    MainModule::reset();
    MainModule::setProgramFolder(dir.path());
    MainModule::hibiPath = dir.path() + QStringLiteral("/Data/");
    MainModule::ReadSinyo = QStringLiteral("しない");
    YesPrompt prompt;
    db::CreateDatabaseFile(MainModule::DBPath, &prompt);
    importer::GeneratorOptions options;
    options.issues = issues;
    options.firstDay = QDate(2023, 1, 4);
    options.tradingDays = 245;
    importer::DataGenerator gen(options);
    QElapsedTimer gt;
    gt.start();
    const qint64 records = gen.writeFiles(MainModule::hibiPath, QString());
    std::printf("generated %lld records in %lld ms\n", records, gt.elapsed());

    FixedClock clock;
    clock.d = gen.tradingDays().back();
    AppServices services{&prompt, nullptr, nullptr, &clock};
    frmReadData w(services, importer::ImportMode::Prices);
    w.show();
    QApplication::processEvents();
    w.ReadDateji->setText(gen.tradingDays().front().toString(QStringLiteral("yy/MM/dd")));
    w.ReadDateitaru->setText(gen.tradingDays().back().toString(QStringLiteral("yy/MM/dd")));
    w.ChkMakeSyu->setChecked(true);

    std::vector<qint64> gaps;
    QElapsedTimer since;
    QString lastPhase, lastPa;
    int phaseChanges = 0, paChanges = 0, refusedCloses = 0, ticks = 0;
    QTimer t;
    t.setInterval(10);
    QObject::connect(&t, &QTimer::timeout, [&] {
        if (!w.isBusy())
            return;
        if (since.isValid()) {
            gaps.push_back(since.elapsed());
            if (gaps.back() > 150)
                std::printf("gap %lld ms: before '%s' %s, now '%s' %s\n", gaps.back(), qPrintable(lastPhase), qPrintable(lastPa),
                            qPrintable(w.LabFileName->text()), qPrintable(w.LabPa->text()));
        }
        since.restart();
        ++ticks;
        if (w.LabFileName->text() != lastPhase) {
            lastPhase = w.LabFileName->text();
            ++phaseChanges;
        }
        if (w.LabPa->text() != lastPa) {
            lastPa = w.LabPa->text();
            ++paChanges;
        }
        if (ticks % 100 == 0) {
            w.CmdReadData->click();
            w.close();
            if (w.isVisible())
                ++refusedCloses;
        }
    });
    t.start();
    QElapsedTimer run;
    run.start();
    w.CmdReadData->click();
    const qint64 total = run.elapsed();
    std::sort(gaps.begin(), gaps.end());
    auto pct = [&](double p) { return gaps.empty() ? 0 : gaps[size_t(p * (gaps.size() - 1))]; };
    db::Database d(MainModule::DBPath);
    std::printf("import %lld ms, daydata rows %lld, weekdata rows %lld\n", total,
                d.scalar(QStringLiteral("select Count(*) from daydata")).toLongLong(), d.scalar(QStringLiteral("select Count(*) from weekdata")).toLongLong());
    std::printf("ticks %d, LabFileName changes %d, LabPa changes %d, closes refused %d of %d tried\n", ticks, phaseChanges,
                paChanges, refusedCloses, ticks / 100);
    std::printf("gap between ticks (ms): median %lld, p99 %lld, max %lld\n", pct(0.5), pct(0.99), gaps.empty() ? 0 : gaps.back());
    std::printf("result: %s, window visible: %d\n", qPrintable(w.resultMessage()), int(w.isVisible()));
    return 0;
}
