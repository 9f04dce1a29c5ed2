// miravel-batch chart: loads the chart series of one issue as the main window does, and writes the
// painted chart, the series and the price list.

#include "BatchCommon.h"

#include "base/DateUtil.h"
#include "base/MainModule.h"
#include "base/TextFile.h"
#include "chart/ChartPainter.h"
#include "chart/ChartSeries.h"
#include "chart/Indicators.h"
#include "db/Database.h"

#include <QBuffer>
#include <QDir>

namespace batch {

namespace {

// Messages of the loader go to stdout: they are the command's answer.
class StdoutPrompt final : public Prompt
{
public:
    bool askYesNo(const QString &, const QString &, PromptIcon) override { return true; }
    void inform(const QString &text, const QString &, PromptIcon) override { out(text); }
    QString pickOpenFile(const QString &, const QString &) override { return {}; }
    QString pickSaveFile(const QString &, const QString &, const QString &) override { return {}; }
    QString pickFolder(const QString &, const QString &currentFolder) override { return currentFolder; }
};

struct ChartArguments
{
    int code = -1;
    QDate date;
    bool weekly = false;
    int panel = 0;
    bool volume = true;
    bool curve = false;
    bool averages = true;
    bool adjusted = false;
    QString png, series, list;
};

bool parseArguments(const QStringList &args, ChartArguments &a)
{
    for (int i = 0; i < args.size(); ++i) {
        const QString &arg = args[i];
        auto value = [&](QString &target) {
            if (i + 1 >= args.size())
                return false;
            target = args[++i];
            return true;
        };
        QString v;
        if (arg == QLatin1String("--date")) {
            if (!value(v))
                return false;
            a.date = parseDateArgument(v);
            if (!a.date.isValid()) {
                err(QStringLiteral("日付 '%1' を読めません (YYYY-MM-DD または YY/MM/DD)。").arg(v));
                return false;
            }
        } else if (arg == QLatin1String("--weekly")) {
            a.weekly = true;
        } else if (arg == QLatin1String("--panel")) {
            bool ok = false;
            if (!value(v))
                return false;
            a.panel = v.toInt(&ok);
            if (!ok || a.panel < 0 || a.panel > 4)
                return false;
        } else if (arg == QLatin1String("--no-volume")) {
            a.volume = false;
        } else if (arg == QLatin1String("--curve")) {
            a.curve = true;
        } else if (arg == QLatin1String("--no-averages")) {
            a.averages = false;
        } else if (arg == QLatin1String("--adjusted")) {
            a.adjusted = true;
        } else if (arg == QLatin1String("--png")) {
            if (!value(a.png))
                return false;
        } else if (arg == QLatin1String("--series")) {
            if (!value(a.series))
                return false;
        } else if (arg == QLatin1String("--list")) {
            if (!value(a.list))
                return false;
        } else if (!arg.startsWith(QLatin1String("--")) && a.code < 0) {
            bool ok = false;
            a.code = arg.toInt(&ok);
            if (!ok || a.code < 0 || a.code > 9999)
                return false;
        } else {
            return false;
        }
    }
    return a.code >= 0;
}

bool writeUtf8(const QString &path, const QStringList &lines, QString *error)
{
    QByteArray bytes;
    for (const QString &line : lines) {
        bytes += line.toUtf8();
        bytes += '\n';
    }
    return TextFile::writeBytes(path, bytes, error);
}

bool writePng(const QString &path, const QImage &image, QString *error)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    if (!buffer.open(QIODevice::WriteOnly) || !image.save(&buffer, "PNG")) {
        *error = QStringLiteral("ファイル %1 を書き込めません。(画像を PNG にできません)").arg(QDir::toNativeSeparators(path));
        return false;
    }
    return TextFile::writeBytes(path, bytes, error);
}

QStringList seriesCsv(const chart::ChartSeries &s)
{
    QStringList lines;
    lines << QStringLiteral("index,Date,Open,High,Low,Close,CloseCarried,Change,Volume,MarginSell,MarginBuy,"
                            "MaShort,MaMiddle,MaLong,DevShort,DevMiddle,DevLong,Psychological,Rsi,Vr,"
                            "SlopeShort,SlopeMiddle,SlopeLong,ItoRatio");
    for (int i = 0; i < chart::SeriesLength; ++i) {
        const chart::ChartRecord &r = s.Records[size_t(i)];
        QStringList f;
        f << QString::number(i) << (r.Date.isValid() ? DateUtil::formatIso(r.Date) : QString());
        for (const Currency &c : {r.Open, r.High, r.Low, r.Close, r.CloseCarried, r.Change})
            f << c.toString();
        for (qint64 n : {qint64(r.Volume), qint64(r.MarginSell), qint64(r.MarginBuy)})
            f << QString::number(n);
        for (const Currency &c : {r.MaShort, r.MaMiddle, r.MaLong})
            f << c.toString();
        for (int n : {r.DevShort, r.DevMiddle, r.DevLong, r.Psychological, r.Rsi, r.Vr})
            f << QString::number(n);
        for (const Currency &c : {r.SlopeShort, r.SlopeMiddle, r.SlopeLong, r.ItoRatio})
            f << c.toString();
        lines << f.join(QLatin1Char(','));
    }
    return lines;
}

void printSummary(const chart::ChartSeries &s, const chart::ScrollCalibration &scroll)
{
    out(QStringLiteral("Count=%1").arg(s.Count));
    out(QStringLiteral("CenterIndex=%1").arg(s.CenterIndex));
    out(QStringLiteral("MaxHigh=") + s.MaxHigh.toString());
    out(QStringLiteral("MinLow=") + s.MinLow.toString());
    out(QStringLiteral("MaxVolume=") + s.MaxVolume.toString());
    out(QStringLiteral("MaxMargin=") + s.MaxMargin.toString());
    out(QStringLiteral("ChartTop=") + s.ChartTop.toString());
    out(QStringLiteral("ChartBottom=") + s.ChartBottom.toString());
    out(QStringLiteral("ItoMaxAngle=") + s.ItoMaxAngle.toString());
    out(QStringLiteral("QuadA=") + s.QuadA.toString());
    out(QStringLiteral("QuadB=") + s.QuadB.toString());
    out(QStringLiteral("QuadC=") + s.QuadC.toString());
    out(QStringLiteral("OldestBaseDate=")
        + (scroll.OldestBaseDate.isValid() ? DateUtil::formatIso(scroll.OldestBaseDate) : QString()));
    out(QStringLiteral("SmallChange=%1").arg(scroll.SmallChange));
    out(QStringLiteral("LargeChange=%1").arg(scroll.LargeChange));
}

bool issueRegistered(int code)
{
    try {
        db::Database database(MainModule::DBPath);
        return database.scalar(QStringLiteral("select コード from Mei where コード=%1;").arg(code)).isValid();
    } catch (const db::DbError &) {
        return false;
    }
}

int runChart(Context &context, const QStringList &arguments)
{
    ChartArguments a;
    if (!parseArguments(arguments, a)) {
        err(QStringLiteral("usage: miravel-batch [--folder DIR] chart CODE [--date D] [--weekly] [--panel 0|1|2|3|4] "
                           "[--no-volume] [--curve] [--no-averages] [--adjusted] [--png FILE] [--series FILE] [--list FILE]"));
        return ExitUsage;
    }
    if (!openProgramFolder(context))
        return ExitError;

    const SystemClock clock;
    const int periodMode = a.weekly ? 2 : 1;
    MainModule::PeriodMode = std::int16_t(periodMode);
    MainModule::PriceTableName = chart::priceTableOf(periodMode);

    chart::ChartSeries series;
    chart::ScrollCalibration scroll;
    scroll.NewestDate = clock.today();
    StdoutPrompt prompt;

    if (issueRegistered(a.code)) {
        QString chartDate = DateUtil::formatYYMMDD(a.date.isValid() ? a.date : clock.today());
        chart::LoadChartSeries(series, scroll, a.code, chartDate, periodMode,
                               chart::IndicatorSettings::fromMainModule(), prompt, clock, a.adjusted);
    } else {
        // The window shows nothing for a code that is not registered; the loader's message says so.
        out(chart::noDataMessage());
        chart::ComputeIndicators(series, chart::IndicatorSettings::fromMainModule());
    }

    chart::ChartDisplayOptions options;
    options.lowerPanelMode = a.panel;
    options.volume = a.volume;
    options.curve = a.curve;
    if (!a.averages)
        chart::toggleAverages(options.colourTable);
    options.periodMode = periodMode;
    options.screenMode = MainModule::ScreenMode;
    options.allItoRso = MainModule::ALLITORSO;
    options.windowBackground = a.weekly ? chart::colours::WindowWeekly : chart::colours::WindowDaily;

    chart::ChartDrawResult drawn;
    const QImage image = chart::RenderChartImage(series, options, true, &drawn);

    int status = ExitOk;
    QString error;
    if (!a.png.isEmpty() && !writePng(a.png, image, &error)) {
        err(error);
        status = ExitError;
    }
    if (!a.series.isEmpty() && !writeUtf8(a.series, seriesCsv(series), &error)) {
        err(error);
        status = ExitError;
    }
    if (!a.list.isEmpty() && !writeUtf8(a.list, drawn.KabukaList, &error)) {
        err(error);
        status = ExitError;
    }
    printSummary(series, scroll);
    if (a.adjusted) // whether the issue had events to adjust for
        out(QStringLiteral("Adjusted=%1").arg(series.Adjusted ? 1 : 0));
    return status;
}

} // namespace

std::vector<Command> chartCommands()
{
    return {Command{QStringLiteral("chart"),
                    QStringLiteral("chart CODE [--date D] [--weekly] [--panel 0|1|2|3|4] [--no-volume] [--curve] "
                                   "[--no-averages] [--adjusted] [--png FILE] [--series FILE] [--list FILE]"),
                    QStringLiteral("銘柄のチャートを読み込み、画像・系列CSV・株価一覧を書き出す"),
                    &runChart}};
}

} // namespace batch
