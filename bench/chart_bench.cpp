// Chart benchmark: a program folder with 4,000 issues x 10 years of daily rows (and their weekly
// rows) filled by raw prepared SQLite inserts, then LoadChartSeries + indicators + DrawChart into an
// 820 x 460 image for random issues and base dates, daily and weekly. Prints the median and the
// 99th percentile of the whole, and the split between the database read and compute + paint.
//
// usage: chart_bench [--folder DIR] [--issues N] [--years Y] [--samples S] [--seed K]
//                    [--events E] [--adjusted 0|1] [--dump DIR]
// The folder is filled only when it has no Miravel.mdb yet, so a second run measures the same data.
// --events stores E split events (1:2 and 1:5 on random issues and days; once, when the table holds
// none); --adjusted 1 loads the charts adjusted for them. --dump writes the image, the price list and
// the labels of the first 200 charts of each mode into DIR (with display options varied from chart to
// chart), so that two builds can be compared pixel for pixel.

#include "base/DateUtil.h"
#include "base/MainModule.h"
#include "base/Ports.h"
#include "chart/ChartPainter.h"
#include "chart/ChartSeries.h"
#include "chart/Indicators.h"
#include "db/Database.h"
#include "db/Schema.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QPainter>
#include <QTemporaryDir>

#include <sqlite3.h>

#include <ctime>

#include <algorithm>
#include <cstdio>
#include <random>
#include <vector>

namespace {

class SilentPrompt final : public Prompt
{
public:
    bool askYesNo(const QString &, const QString &, PromptIcon) override { return true; }
    void inform(const QString &, const QString &, PromptIcon) override { ++messages; }
    QString pickOpenFile(const QString &, const QString &) override { return {}; }
    QString pickSaveFile(const QString &, const QString &, const QString &) override { return {}; }
    QString pickFolder(const QString &, const QString &current) override { return current; }
    int messages = 0;
};

class BenchClock final : public Clock
{
public:
    explicit BenchClock(QDate today)
        : m_today(today) { }
    QDate today() const override { return m_today; }
    QDateTime now() const override { return QDateTime(m_today, QTime(12, 0)); }

private:
    QDate m_today;
};

struct Options
{
    QString folder;
    int issues = 4000;
    int years = 10;
    int samples = 1000;
    unsigned seed = 20240601;
    int events = 0;
    bool adjusted = false;
    QString dump;
};

constexpr int DumpedCharts = 200;

// The display options of a dumped chart: every lower panel, with and without the curve, the volume
// and the averages, sharp and pale.
void varyDisplay(chart::ChartDisplayOptions &display, int n)
{
    display.lowerPanelMode = n % 5;
    display.curve = n % 2 == 0;
    display.volume = n % 7 != 3;
    display.screenMode = n % 3 == 2 ? 2 : 1;
    display.allItoRso = n % 4 == 1 ? 2 : 1;
    if (n % 6 == 5)
        chart::toggleAverages(display.colourTable);
}

void dumpChart(const QString &dir, int periodMode, int n, const QImage &image, const chart::ChartDrawResult &r)
{
    const QString stem = QStringLiteral("%1/%2-%3").arg(dir, periodMode == 1 ? QStringLiteral("daily") : QStringLiteral("weekly")).arg(n, 3, 10, QLatin1Char('0'));
    if (!image.save(stem + QStringLiteral(".png"))) {
        std::fprintf(stderr, "cannot write %s.png\n", qPrintable(stem));
        std::exit(1);
    }
    QFile text(stem + QStringLiteral(".txt"));
    if (!text.open(QIODevice::WriteOnly)) {
        std::fprintf(stderr, "cannot write %s.txt\n", qPrintable(stem));
        std::exit(1);
    }
    QStringList lines = r.KabukaList;
    const chart::IndicatorLabels &l = r.labels;
    lines << QString::number(r.selectedRow) << r.Lblsaitakane << r.Lblsaiyasune << l.LblDate << l.Lblowarine
          << l.Lbltanidoheikn << l.Lbltyuidoheikn << l.Lbltyoidoheikn << l.Lbltankairi << l.Lbltyukairi
          << l.Lbltyokairi << l.LblSRL << l.LblRSI << l.LblVR;
    const QByteArray bytes = lines.join(QLatin1Char('\n')).toUtf8();
    if (text.write(bytes) != bytes.size() || !text.flush()) {
        std::fprintf(stderr, "cannot write %s.txt\n", qPrintable(stem));
        std::exit(1);
    }
}

void check(int rc, sqlite3 *db, const char *what)
{
    if (rc != SQLITE_OK && rc != SQLITE_DONE && rc != SQLITE_ROW) {
        std::fprintf(stderr, "%s: %s\n", what, sqlite3_errmsg(db));
        std::exit(1);
    }
}

int codeOf(int issue)
{
    return 1000 + issue;
}

// CPU time of this thread in milliseconds (wall time suffers when other programs share the cores).
double threadCpuMs()
{
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return double(ts.tv_sec) * 1e3 + double(ts.tv_nsec) / 1e6;
}

// Fills Mei, dayData and weekData. Trading days are weekdays with about 6 % left out as holidays
// (about 245 a year); prices follow a random walk with 1 % no-trade days.
void fill(const Options &o, QDate first, QDate last)
{
    db::Database database(MainModule::DBPath);
    sqlite3 *h = database.handle();
    check(sqlite3_exec(h, "PRAGMA journal_mode=OFF; PRAGMA synchronous=OFF; BEGIN", nullptr, nullptr, nullptr), h, "begin");

    std::vector<QDate> days;
    std::mt19937 calendar(o.seed);
    for (QDate d = first; d <= last; d = d.addDays(1))
        if (d.dayOfWeek() <= 5 && std::uniform_int_distribution<int>(0, 99)(calendar) >= 6)
            days.push_back(d);

    sqlite3_stmt *mei = nullptr, *day = nullptr, *week = nullptr;
    check(sqlite3_prepare_v2(h, "insert into Mei (\"コード\", \"市場コード\", \"銘柄\", \"出来高単位\", \"株価単位\", \"更新Flg\") "
                                "values (?, 1, ?, 1000, 1, 1)",
                             -1, &mei, nullptr),
          h, "prepare Mei");
    check(sqlite3_prepare_v2(h, "insert into dayData (\"コード\", \"日付\", \"始値\", \"高値\", \"安値\", \"終値\", \"前日比\", "
                                "\"出来高\", \"基準前日比\") values (?, ?, ?, ?, ?, ?, ?, ?, ?)",
                             -1, &day, nullptr),
          h, "prepare dayData");
    check(sqlite3_prepare_v2(h, "insert into weekData (\"コード\", \"日付\", \"始値\", \"高値\", \"安値\", \"終値\", \"前日比\", "
                                "\"出来高\", \"基準前日比\", \"売残\", \"買残\") values (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)",
                             -1, &week, nullptr),
          h, "prepare weekData");

    std::vector<QByteArray> dayText;
    for (const QDate &d : days)
        dayText.push_back(DateUtil::formatIso(d).toLatin1());

    std::mt19937 rng(o.seed + 1);
    std::normal_distribution<double> step(0.0, 0.015);
    for (int i = 0; i < o.issues; ++i) {
        const int code = codeOf(i);
        const QByteArray name = QStringLiteral("銘柄%1").arg(code).toUtf8();
        sqlite3_bind_int(mei, 1, code);
        sqlite3_bind_text(mei, 2, name.constData(), int(name.size()), SQLITE_TRANSIENT);
        check(sqlite3_step(mei), h, "Mei");
        sqlite3_reset(mei);

        double price = 200.0 + 4000.0 * std::uniform_real_distribution<double>(0, 1)(rng);
        qint64 reference = 0;
        // The week being built.
        qint64 wOpen = 0, wHigh = 0, wLow = 0, wClose = 0, wVolume = 0, wReference = 0;
        QDate wFriday;
        auto flushWeek = [&] {
            if (!wFriday.isValid())
                return;
            const QByteArray t = DateUtil::formatIso(wFriday).toLatin1();
            sqlite3_bind_int(week, 1, code);
            sqlite3_bind_text(week, 2, t.constData(), int(t.size()), SQLITE_TRANSIENT);
            sqlite3_bind_int64(week, 3, wOpen);
            sqlite3_bind_int64(week, 4, wHigh);
            sqlite3_bind_int64(week, 5, wLow);
            sqlite3_bind_int64(week, 6, wClose);
            sqlite3_bind_int64(week, 7, wClose != 0 && wReference != 0 ? wClose - wReference : 0);
            sqlite3_bind_int64(week, 8, wVolume);
            sqlite3_bind_int64(week, 9, wClose != 0 ? wClose : wReference);
            sqlite3_bind_int64(week, 10, 100 + (wVolume % 5000));
            sqlite3_bind_int64(week, 11, 300 + (wVolume % 7000));
            check(sqlite3_step(week), h, "weekData");
            sqlite3_reset(week);
            if (wClose != 0)
                wReference = wClose;
            wOpen = wHigh = wLow = wClose = wVolume = 0;
        };

        for (size_t k = 0; k < days.size(); ++k) {
            const QDate friday = DateUtil::FridayOnOrAfter(days[k]);
            if (friday != wFriday) {
                flushWeek();
                wFriday = friday;
            }
            price = std::max(20.0, price * (1.0 + step(rng)));
            const bool noTrade = std::uniform_int_distribution<int>(0, 99)(rng) == 0;
            const qint64 close = noTrade ? 0 : qint64(price);
            const qint64 open = noTrade ? 0 : qint64(price * (1.0 + step(rng) / 3));
            const qint64 high = noTrade ? 0 : std::max(open, close) + qint64(price * 0.01);
            const qint64 low = noTrade ? 0 : std::max<qint64>(1, std::min(open, close) - qint64(price * 0.01));
            const qint64 volume = noTrade ? 0 : std::uniform_int_distribution<int>(1, 5000)(rng);
            sqlite3_bind_int(day, 1, code);
            sqlite3_bind_text(day, 2, dayText[k].constData(), int(dayText[k].size()), SQLITE_STATIC);
            sqlite3_bind_int64(day, 3, open);
            sqlite3_bind_int64(day, 4, high);
            sqlite3_bind_int64(day, 5, low);
            sqlite3_bind_int64(day, 6, close);
            sqlite3_bind_int64(day, 7, close != 0 && reference != 0 ? close - reference : 0);
            sqlite3_bind_int64(day, 8, volume);
            sqlite3_bind_int64(day, 9, close != 0 ? close : reference);
            check(sqlite3_step(day), h, "dayData");
            sqlite3_reset(day);
            if (close != 0) {
                reference = close;
                if (wOpen == 0)
                    wOpen = open;
                wHigh = std::max(wHigh, high);
                wLow = wLow == 0 ? low : std::min(wLow, low);
                wClose = close;
            }
            wVolume += volume;
        }
        flushWeek();
        if ((i + 1) % 500 == 0) {
            check(sqlite3_exec(h, "COMMIT; BEGIN", nullptr, nullptr, nullptr), h, "commit");
            std::fprintf(stderr, "\rfilled %d / %d issues", i + 1, o.issues);
        }
    }
    std::fprintf(stderr, "\n");
    sqlite3_finalize(mei);
    sqlite3_finalize(day);
    sqlite3_finalize(week);
    check(sqlite3_exec(h, "COMMIT", nullptr, nullptr, nullptr), h, "commit");
}

// Split events on random issues and days, stored once: 1:2 and 1:5 alternately.
void addEvents(const Options &o, QDate first, QDate last)
{
    db::Database database(MainModule::DBPath);
    if (database.scalar(QStringLiteral("select count(*) from adjustment;")).toLongLong() > 0)
        return;
    std::mt19937 rng(o.seed + 99);
    std::uniform_int_distribution<int> issue(0, o.issues - 1);
    std::uniform_int_distribution<qint64> offset(0, first.daysTo(last));
    db::WriteBatch batch(database);
    for (int n = 0; n < o.events; ++n) {
        try {
            database.execute(QStringLiteral("insert into adjustment values (?, ?, ?, ?);"),
                             {codeOf(issue(rng)), first.addDays(offset(rng)), 1, n % 2 == 0 ? 2 : 5});
        } catch (const db::DbError &e) {
            if (e.number() != 3022) // the same issue and day drawn twice
                throw;
        }
    }
    batch.finish();
    database.close();
}

double percentile(std::vector<double> v, double q)
{
    if (v.empty())
        return 0.0;
    std::sort(v.begin(), v.end());
    const size_t i = std::min(v.size() - 1, size_t(q * double(v.size() - 1) + 0.5));
    return v[i];
}

void measure(const Options &o, int periodMode, QDate first, QDate last)
{
    const BenchClock clock(last);
    SilentPrompt prompt;
    chart::ChartSeries series;
    chart::ScrollCalibration scroll;
    scroll.NewestDate = last;
    chart::ChartDisplayOptions display;
    display.periodMode = periodMode;
    display.windowBackground = periodMode == 1 ? chart::colours::WindowDaily : chart::colours::WindowWeekly;
    display.curve = true;
    const chart::IndicatorSettings settings;
    QImage image(chart::layout::ImageWidth, chart::layout::ImageHeight, QImage::Format_RGB32);

    std::mt19937 rng(o.seed + unsigned(periodMode) * 7);
    std::uniform_int_distribution<int> issue(0, o.issues - 1);
    std::uniform_int_distribution<qint64> offset(0, first.daysTo(last));
    std::vector<double> total, read, paint, cpu;
    qint64 rows = 0;
    int adjusted = 0;
    for (int n = 0; n < o.samples; ++n) {
        QString chartDate = DateUtil::formatYYMMDD(first.addDays(offset(rng)));
        const int code = codeOf(issue(rng));
        const double cpu0 = threadCpuMs();
        QElapsedTimer t;
        t.start();
        chart::LoadChartRows(series, scroll, code, chartDate, periodMode, prompt, clock, o.adjusted);
        const qint64 t1 = t.nsecsElapsed();
        adjusted += series.Adjusted ? 1 : 0;
        chart::ComputeIndicators(series, settings);
        const bool dumped = !o.dump.isEmpty() && n < DumpedCharts;
        if (dumped) {
            varyDisplay(display, n);
            image.fill(Qt::white);
        }
        QPainter painter(&image);
        const chart::ChartDrawResult r = chart::DrawChart(painter, series, display, true);
        painter.end();
        const qint64 t2 = t.nsecsElapsed();
        cpu.push_back(threadCpuMs() - cpu0);
        rows += r.KabukaList.size();
        read.push_back(double(t1) / 1e6);
        paint.push_back(double(t2 - t1) / 1e6);
        total.push_back(double(t2) / 1e6);
        if (dumped)
            dumpChart(o.dump, periodMode, n, image, r);
    }
    std::printf("%s: %d charts, %.1f rows each, %d without data, %d adjusted for splits\n",
                periodMode == 1 ? "daily" : "weekly", o.samples, double(rows) / o.samples, prompt.messages, adjusted);
    std::printf("  total            median %.3f ms  p99 %.3f ms  max %.3f ms\n", percentile(total, 0.5),
                percentile(total, 0.99), percentile(total, 1.0));
    std::printf("  total CPU time   median %.3f ms  p99 %.3f ms\n", percentile(cpu, 0.5), percentile(cpu, 0.99));
    std::printf("  database read    median %.3f ms  p99 %.3f ms\n", percentile(read, 0.5), percentile(read, 0.99));
    std::printf("  compute + paint  median %.3f ms  p99 %.3f ms\n", percentile(paint, 0.5), percentile(paint, 0.99));
    std::printf("  target           median <= 1.0 ms  p99 <= 1.5 ms (4,000 issues x 10 years)\n");
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    Options o;
    const QStringList args = app.arguments();
    for (int i = 1; i + 1 < args.size(); i += 2) {
        const QString &k = args[i];
        const QString &v = args[i + 1];
        if (k == QLatin1String("--folder"))
            o.folder = v;
        else if (k == QLatin1String("--issues"))
            o.issues = v.toInt();
        else if (k == QLatin1String("--years"))
            o.years = v.toInt();
        else if (k == QLatin1String("--samples"))
            o.samples = v.toInt();
        else if (k == QLatin1String("--seed"))
            o.seed = v.toUInt();
        else if (k == QLatin1String("--events"))
            o.events = v.toInt();
        else if (k == QLatin1String("--adjusted"))
            o.adjusted = v.toInt() != 0;
        else if (k == QLatin1String("--dump"))
            o.dump = v;
    }
    QTemporaryDir temp;
    if (o.folder.isEmpty())
        o.folder = temp.path();
    QDir().mkpath(o.folder);
    if (!o.dump.isEmpty())
        QDir().mkpath(o.dump);
    MainModule::setProgramFolder(o.folder);

    const QDate last(2024, 5, 31);
    const QDate first = last.addYears(-o.years).addDays(1);
    if (!QFileInfo::exists(MainModule::DBPath)) {
        if (!db::CreateDatabaseFile(MainModule::DBPath, nullptr))
            return 1;
        QElapsedTimer t;
        t.start();
        fill(o, first, last);
        std::printf("filled %d issues x %d years in %.1f s\n", o.issues, o.years, double(t.elapsed()) / 1000.0);
    }
    if (o.events > 0)
        addEvents(o, first, last);
    std::printf("database %s (%.0f MB)\n", qPrintable(MainModule::DBPath),
                double(QFileInfo(MainModule::DBPath).size()) / 1048576.0);
    // Base dates from the 110th trading day on, so most charts are full.
    measure(o, 1, first.addDays(160), last);
    measure(o, 2, first.addYears(2), last);
    return 0;
}
