// The quote fetch of a board through the board window, offscreen, against a loopback quote site
// that answers each page after a random 0-300 ms: the fetch time against the pace of Timer1 (two
// requests per 500 ms tick), and how long the window goes without answering events (the gaps
// between the ticks of a 10 ms timer).
//   board_fetch [issues=200] [--kind A|B] [--shot FILE.png]
#include "base/AppServices.h"
#include "base/MainModule.h"
#include "base/Ports.h"
#include "base/Settings.h"
#include "board/BoardStore.h"
#include "board/QuoteFetch.h"
#include "board/QuotePage.h"
#include "board/frmKabukaboard.h"
#include "datagen/DataGenerator.h"
#include "db/Database.h"
#include "db/Schema.h"
#include "loopback/LoopbackServer.h"
#include "net/HttpClient.h"
#include "ui/RecordsetTableModel.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <map>
#include <random>
#include <vector>

namespace {

class YesPrompt final : public Prompt
{
public:
    bool askYesNo(const QString &, const QString &, PromptIcon) override { return true; }
    void inform(const QString &t, const QString &, PromptIcon) override { std::printf("message: %s\n", qPrintable(t)); }
    QString pickOpenFile(const QString &, const QString &) override { return {}; }
    QString pickSaveFile(const QString &, const QString &, const QString &) override { return {}; }
    QString pickFolder(const QString &, const QString &c) override { return c; }
};

class DayClock final : public Clock
{
public:
    QDate day;
    QDate today() const override { return day; }
    QDateTime now() const override { return QDateTime(day, QTime(14, 35)); }
};

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    int issues = 200;
    int kind = 1;
    QString shot;
    const QStringList args = QApplication::arguments();
    for (int i = 1; i < args.size(); ++i) {
        if (args[i] == u"--kind" && i + 1 < args.size())
            kind = args[++i].compare(u"B", Qt::CaseInsensitive) == 0 ? 2 : 1;
        else if (args[i] == u"--shot" && i + 1 < args.size())
            shot = args[++i];
        else
            issues = args[i].toInt();
    }

    QTemporaryDir dir;
    QDir(dir.path()).mkdir(QStringLiteral("Data"));
    MainModule::reset();
    MainModule::setProgramFolder(dir.path());
    MainModule::PeriodMode = 1;
    YesPrompt prompt;
    db::CreateDatabaseFile(MainModule::DBPath, &prompt);
    Settings::WriteSettings(Settings::defaultValues(), true);
    const QStringList abbreviations{QStringLiteral("東１"), QStringLiteral("東２"), QStringLiteral("店頭"),
                                    QStringLiteral("大証"), QStringLiteral("名証"), QStringLiteral("他")};
    for (int m = 1; m <= 6; ++m)
        MainModule::MarketAbbrev[m] = abbreviations[m - 1];

    // Issues with two days of prices, all of them on the board.
    importer::GeneratorOptions options;
    options.issues = issues;
    options.tradingDays = 2;
    options.newListingPercent = 0;
    options.otherMarketPercent = 0;
    options.zeroVolumePerMille = 0;
    importer::DataGenerator gen(options);
    std::vector<importer::GeneratedRecord> lastDay;
    {
        db::Database d(MainModule::DBPath);
        db::WriteBatch batch(d);
        db::Recordset mei = d.openRecordset(QStringLiteral("Mei"));
        for (const auto &issue : gen.issues()) {
            mei.addNew();
            mei.setValue(QStringLiteral("コード"), issue.code);
            mei.setValue(QStringLiteral("市場コード"), importer::DataGenerator::marketCodeOfPosition(issue.position));
            mei.setValue(QStringLiteral("銘柄"), issue.name);
            mei.setValue(QStringLiteral("出来高単位"), 1);
            mei.setValue(QStringLiteral("株価単位"), 1);
            mei.update();
            d.execute(QStringLiteral("insert into board (区分, コード, 市場コード, 銘柄) values (%1, %2, 1, '')").arg(kind).arg(issue.code));
        }
        std::map<int, qint32> previousClose;
        gen.generate([&](int, const QDate &date, const std::vector<importer::GeneratedRecord> &records) {
            for (const auto &r : records)
                d.execute(QStringLiteral("insert into daydata (コード, 日付, 始値, 高値, 安値, 終値, 前日比, 出来高) values "
                                         "(%1, #%2#, %3, %4, %5, %6, %8, %7)")
                              .arg(r.code)
                              .arg(date.toString(QStringLiteral("yyyy/MM/dd")))
                              .arg(r.open)
                              .arg(r.high)
                              .arg(r.low)
                              .arg(r.close)
                              .arg(r.volume)
                              .arg(previousClose.count(r.code) ? r.close - previousClose[r.code] : 0));
            for (const auto &r : records)
                previousClose[r.code] = r.close;
            lastDay = records;
        });
        batch.finish();
    }

    // The quote site: one page per issue, each answered after its own random delay.
    testing_support::LoopbackServer server;
    Settings::writeSettingsValue(QStringLiteral("QURL"), server.hostAndPort());
    std::mt19937 random(7);
    const QDate day = gen.tradingDays().back().addDays(1);
    for (const auto &r : lastDay) {
        QuotePage::Quote q;
        q.code = r.code;
        q.name = *r.name;
        q.time = QDateTime(day, QTime(14, 30));
        const int step = std::max(1, r.close / 100);
        q.change = int(random() % 7) * step - 3 * step;
        q.price = std::max(1, r.close + q.change);
        q.change = q.price - r.close;
        q.volume = qint32(std::min<qint64>(r.volume * qint64(50 + random() % 100) / 100, 2000000000));
        q.open = r.close;
        q.high = std::max(q.price, r.close);
        q.low = std::min(q.price, r.close);
        server.serve(QStringLiteral("/q?s=%1&d=v2").arg(r.code), QuotePage::render(q), 200, int(random() % 301));
    }

    Settings::writeSettingsValue(board::fileKey(kind), QStringLiteral("watch.") + board::letter(kind));
    HttpClient http;
    DayClock clock;
    clock.day = day;
    AppServices services{&prompt, nullptr, &http, &clock};
    frmKabukaboard window(services, kind);
    window.show();
    QApplication::processEvents();

    std::vector<qint64> gaps;
    QElapsedTimer since;
    int refusedCloses = 0, ticks = 0;
    QTimer uiTimer;
    uiTimer.setInterval(10);
    QObject::connect(&uiTimer, &QTimer::timeout, [&] {
        if (since.isValid())
            gaps.push_back(since.elapsed());
        since.restart();
        if (++ticks % 200 == 0) {
            window.close();
            refusedCloses += window.isVisible() ? 1 : 0;
        }
    });
    QEventLoop loop;
    QObject::connect(window.fetch(), &board::QuoteFetch::finished, &loop, &QEventLoop::quit);
    QElapsedTimer run;
    run.start();
    uiTimer.start();
    window.CmdInet->click();
    loop.exec();
    const qint64 total = run.elapsed();
    uiTimer.stop();

    std::sort(gaps.begin(), gaps.end());
    auto pct = [&](double p) { return gaps.empty() ? 0 : gaps[size_t(p * double(gaps.size() - 1))]; };
    db::Database d(MainModule::DBPath);
    const qint64 stored = d.scalar(QStringLiteral("select Count(*) from board where 現在値<>0")).toLongLong();
    const double pace = double((issues + 1) / 2) * 0.5;
    std::printf("issues %d, requests %d, quotes stored %lld\n", issues, server.totalRequests(), stored);
    std::printf("fetch %.1f s; pace of Timer1 (2 requests per 500 ms tick) %.1f s; ratio %.2f\n", double(total) / 1000.0,
                pace, double(total) / 1000.0 / pace);
    std::printf("UI timer gaps (ms): ticks %zu, median %lld, p99 %lld, max %lld; closes refused %d of %d tried\n", gaps.size(),
                pct(0.5), pct(0.99), gaps.empty() ? 0 : gaps.back(), refusedCloses, ticks / 200);

    if (!shot.isEmpty()) {
        window.boardDBGrid->selectRow(0);
        window.MeiCode->setText(QString::number(lastDay.front().code));
        QApplication::processEvents();
        window.grab().save(shot);
        std::printf("screenshot %s\n", qPrintable(shot));
    }
    window.done(0);
    return 0;
}
