// Switching issues with Space in the main window: the time from the key press to the repainted
// chart, over a list of issues on a database of several years of daily rows.
//   mainwin_switch [issues=100] [years=10] [presses=100] [events=0]
// events: split events (1:2 and 1:5 alternately) within the charts' last months, spread over the
// issues, so that the charts Space shows are adjusted for them.
// Runs offscreen unless QT_QPA_PLATFORM says otherwise.

#include "app/MainCommands.h"
#include "base/AppServices.h"
#include "base/MainModule.h"
#include "base/Ports.h"
#include "chart/ChartView.h"
#include "db/Database.h"
#include "db/Schema.h"
#include "mainwin/frmMain.h"

#include <QApplication>
#include <QDate>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QTemporaryDir>

#include <sqlite3.h>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

// Answers every question with No and counts the messages.
class CountingPrompt final : public Prompt
{
public:
    bool askYesNo(const QString &, const QString &, PromptIcon) override
    {
        ++questions;
        return false;
    }
    void inform(const QString &, const QString &, PromptIcon) override { ++messages; }
    QString pickOpenFile(const QString &, const QString &) override { return {}; }
    QString pickSaveFile(const QString &, const QString &, const QString &) override { return {}; }
    QString pickFolder(const QString &, const QString &current) override { return current; }
    int questions = 0;
    int messages = 0;
};

void fill(const QString &path, int issues, int years, int events, const QDate &today)
{
    db::CreateDatabaseFile(path, nullptr);
    db::Database d(path);
    sqlite3 *h = d.handle();
    sqlite3_exec(h, "BEGIN", nullptr, nullptr, nullptr);
    sqlite3_stmt *mei = nullptr;
    sqlite3_prepare_v2(h, "INSERT INTO Mei (コード, 市場コード, 銘柄, 出来高単位, 株価単位) VALUES (?,?,?,1000,1)", -1, &mei, nullptr);
    for (int i = 0; i < issues; ++i) {
        const QByteArray name = QStringLiteral("銘柄%1").arg(i + 1).toUtf8();
        sqlite3_bind_int(mei, 1, 1301 + i);
        sqlite3_bind_int(mei, 2, 1 + i % 3);
        sqlite3_bind_text(mei, 3, name.constData(), int(name.size()), SQLITE_TRANSIENT);
        sqlite3_step(mei);
        sqlite3_reset(mei);
    }
    sqlite3_finalize(mei);

    sqlite3_stmt *s = nullptr;
    sqlite3_prepare_v2(h, "INSERT INTO dayData (コード, 日付, 始値, 高値, 安値, 終値, 前日比, 出来高, 基準前日比) "
                          "VALUES (?,?,?,?,?,?,?,?,?)",
                       -1, &s, nullptr);
    const QDate first = today.addYears(-years);
    quint32 seed = 12345;
    auto next = [&seed] { seed = seed * 1103515245u + 12345u; return int((seed >> 16) & 0x7fff); };
    for (int i = 0; i < issues; ++i) {
        int close = 300 + next() % 3000;
        for (QDate day = first; day <= today; day = day.addDays(1)) {
            if (day.dayOfWeek() > 5)
                continue;
            const int open = close;
            close = std::max(10, close + (next() % 41) - 20);
            const QByteArray date = day.toString(Qt::ISODate).toLatin1();
            sqlite3_bind_int(s, 1, 1301 + i);
            sqlite3_bind_text(s, 2, date.constData(), int(date.size()), SQLITE_TRANSIENT);
            sqlite3_bind_int(s, 3, open);
            sqlite3_bind_int(s, 4, std::max(open, close) + next() % 10);
            sqlite3_bind_int(s, 5, std::max(1, std::min(open, close) - next() % 10));
            sqlite3_bind_int(s, 6, close);
            sqlite3_bind_int(s, 7, close - open);
            sqlite3_bind_int64(s, 8, 1000 + next() % 100000);
            sqlite3_bind_int(s, 9, close);
            sqlite3_step(s);
            sqlite3_reset(s);
        }
    }
    sqlite3_finalize(s);

    sqlite3_stmt *e = nullptr;
    sqlite3_prepare_v2(h, "INSERT INTO adjustment (コード, 日付, 旧株数, 新株数) VALUES (?,?,1,?)", -1, &e, nullptr);
    for (int n = 0; n < events; ++n) {
        const QByteArray date = today.addDays(-20 - 7 * (n / issues)).toString(Qt::ISODate).toLatin1();
        sqlite3_bind_int(e, 1, 1301 + n % issues);
        sqlite3_bind_text(e, 2, date.constData(), int(date.size()), SQLITE_TRANSIENT);
        sqlite3_bind_int(e, 3, n % 2 ? 5 : 2);
        sqlite3_step(e);
        sqlite3_reset(e);
    }
    sqlite3_finalize(e);
    sqlite3_exec(h, "COMMIT", nullptr, nullptr, nullptr);
}

double percentile(std::vector<double> v, double p)
{
    std::sort(v.begin(), v.end());
    const size_t i = std::min(v.size() - 1, size_t(p * double(v.size() - 1) + 0.5));
    return v[i];
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    const int issues = args.size() > 1 ? args[1].toInt() : 100;
    const int years = args.size() > 2 ? args[2].toInt() : 10;
    const int presses = args.size() > 3 ? args[3].toInt() : 100;
    const int events = args.size() > 4 ? args[4].toInt() : 0;
    if (issues < 2 || issues > 699 || years < 1 || presses < 1 || events < 0 || events > issues * 10) {
        std::fprintf(stderr, "usage: mainwin_switch [issues=100 (2..699)] [years=10] [presses=100] [events=0 (0..issues*10)]\n");
        return 2;
    }

    QTemporaryDir dir;
    MainModule::reset();
    MainModule::setProgramFolder(dir.path());
    const QDate today = QDate::currentDate();
    QElapsedTimer fillTimer;
    fillTimer.start();
    fill(MainModule::DBPath, issues, years, events, today);
    qint64 rows = 0;
    {
        db::Database d(MainModule::DBPath);
        rows = d.scalar(QStringLiteral("select Count(*) from daydata")).toLongLong();
    }
    std::printf("database: %d issues, %lld daily rows (%d years), %d split events, filled in %lld ms\n", issues,
                static_cast<long long>(rows), years, events, static_cast<long long>(fillTimer.elapsed()));

    CountingPrompt prompt;
    SystemClock clock;
    AppServices services{&prompt, nullptr, nullptr, &clock};
    frmMain window(services, mainWindowCommands());
    window.show();
    QCoreApplication::processEvents();
    if (window.ListMei->count() < 2) {
        std::fprintf(stderr, "the issue list holds %d entries\n", window.ListMei->count());
        return 1;
    }
    window.ListMei->setCurrentRow(0);
    window.ListMei->setFocus();
    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r"));
    QApplication::sendEvent(window.ListMei, &enter);
    QCoreApplication::processEvents();

    std::vector<double> total, synchronous;
    int adjusted = 0;
    int direction = 1;
    for (int i = 0; i < presses; ++i) {
        const int row = window.ListMei->currentRow();
        if ((direction > 0 && row == window.ListMei->count() - 1) || (direction < 0 && row == 0))
            direction = -direction;
        const QString before = window.MeiCode->text();
        const quint64 paints = window.chartView->paintCount();
        QElapsedTimer t;
        t.start();
        QKeyEvent press(QEvent::KeyPress, Qt::Key_Space, direction > 0 ? Qt::NoModifier : Qt::ShiftModifier,
                        QStringLiteral(" "));
        QApplication::sendEvent(window.ListMei, &press);
        const double afterKey = double(t.nsecsElapsed()) / 1e6;
        while (window.chartView->paintCount() == paints)
            QCoreApplication::processEvents();
        const double ms = double(t.nsecsElapsed()) / 1e6;
        if (window.MeiCode->text() == before || window.series().Count != 110) {
            std::fprintf(stderr, "press %d did not switch to a full chart (%s)\n", i, qPrintable(window.MeiCode->text()));
            return 1;
        }
        synchronous.push_back(afterKey);
        total.push_back(ms);
        adjusted += window.series().Adjusted ? 1 : 0;
    }
    std::printf("switch with Space, key press to repainted chart, %d presses (%d charts adjusted for splits):\n",
                presses, adjusted);
    std::printf("  median %.2f ms   p90 %.2f ms   max %.2f ms\n", percentile(total, 0.5), percentile(total, 0.9),
                *std::max_element(total.begin(), total.end()));
    std::printf("  of which load, indicators and price list (before the paint): median %.2f ms\n",
                percentile(synchronous, 0.5));
    std::printf("  target median <= 3 ms   p90 <= 4 ms (100 issues x 10 years, 100 presses)\n");
    std::printf("  messages shown: %d\n", prompt.messages);
    return 0;
}
