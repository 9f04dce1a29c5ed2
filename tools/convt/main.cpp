// Convt: converts price data into daily files for a date range. The import window starts it with
// one argument "YY/MM/DD,YY/MM/DD"; by hand it takes --from/--to. The source comes from the
// settings file, section "Convt", key Source (or --source).

#include "base/DateUtil.h"
#include "base/MainModule.h"
#include "base/ProgramLocation.h"
#include "base/Settings.h"
#include "convert/Converter.h"
#include "db/Database.h"
#include "db/DbError.h"
#include "import/InputProblems.h"
#include "net/HttpClient.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#include <csignal>
#include <cstdio>

namespace {

void err(const QString &line)
{
    const QByteArray b = line.toUtf8();
    std::fwrite(b.constData(), 1, size_t(b.size()), stderr);
    std::fputc('\n', stderr);
    std::fflush(stderr);
}

void usage()
{
    err(QStringLiteral("usage: Convt YY/MM/DD,YY/MM/DD"));
    err(QStringLiteral("       Convt --from DATE --to DATE [--folder DIR] [--source SOURCE]"));
    err(QStringLiteral("DIR is the program folder (default: $MIRAVEL_HOME, else the folder of this program when"));
    err(QStringLiteral("it is writable or holds Miravel.ini, else $XDG_DATA_HOME/miravel). SOURCE is a folder of"));
    err(QStringLiteral("CSV files, one CSV file, or an http(s) address with {date} (YYYYMMDD) and/or {code};"));
    err(QStringLiteral("by default the key Source of section [Convt] in Miravel.ini."));
}

} // namespace

int main(int argc, char **argv)
{
#ifdef SIGXFSZ
    // Past a file-size limit a write fails, and is reported, instead of ending the program unsaid.
    std::signal(SIGXFSZ, SIG_IGN);
#endif
    QCoreApplication app(argc, argv);
    QStringList args = QCoreApplication::arguments();
    args.removeFirst();

    QString folder;
    QString fromText, toText, source;
    while (!args.isEmpty()) {
        const QString a = args.takeFirst();
        const auto value = [&](QString &into) {
            if (args.isEmpty())
                return false;
            into = args.takeFirst();
            return true;
        };
        bool ok = true;
        if (a == QLatin1String("--help") || a == QLatin1String("-h")) {
            usage();
            return 0;
        } else if (a == QLatin1String("--from")) {
            ok = value(fromText);
        } else if (a == QLatin1String("--to")) {
            ok = value(toText);
        } else if (a == QLatin1String("--folder")) {
            ok = value(folder);
        } else if (a == QLatin1String("--source")) {
            ok = value(source);
        } else if (!a.startsWith(QLatin1String("--")) && a.count(QLatin1Char(',')) == 1 && fromText.isEmpty()) {
            fromText = a.section(QLatin1Char(','), 0, 0).trimmed();
            toText = a.section(QLatin1Char(','), 1, 1).trimmed();
        } else {
            ok = false;
        }
        if (!ok) {
            usage();
            return 2;
        }
    }
    const QDate from = DateUtil::parseDate(fromText);
    const QDate to = DateUtil::parseDate(toText);
    if (!from.isValid() || !to.isValid()) {
        err(QStringLiteral("日付の入力が誤っています。"));
        usage();
        return 2;
    }

    MainModule::setProgramFolder(ProgramLocation::choose(ProgramLocation::inputsOfThisProcess(folder)).folder);
    if (QFileInfo::exists(MainModule::IniPath) && !Settings::ReadSettings(nullptr)) {
        err(QStringLiteral("設定ファイル %1 を読めません。").arg(MainModule::IniPath));
        return 1;
    }
    if (source.isEmpty()) {
        cINI ini;
        ini.cstrPath = MainModule::IniPath;
        ini.cstrSection = QStringLiteral("Convt");
        ini.cstrkey = QStringLiteral("Source");
        source = ini.GetLineINI();
    }
    // A relative folder or file is taken from the program folder, as the settings' folders are.
    if (!source.isEmpty() && !source.contains(QLatin1String("://"))) {
        source = Settings::folderPath(source);
        if (QFileInfo(source).isRelative())
            source = QDir(MainModule::ProgramFolder).filePath(source);
    }

    convert::IssueRegister issues;
    if (QFileInfo::exists(MainModule::DBPath)) {
        try {
            issues = convert::IssueRegister::load(MainModule::DBPath);
        } catch (const db::DbError &e) {
            err(QStringLiteral("銘柄データーを読めません: %1").arg(e.description()));
            return 1;
        }
    }

    convert::ConvertRequest request;
    request.from = from;
    request.to = to;
    request.source = source;
    request.dailyFolder = Settings::folderPath(MainModule::hibiPath);
    if (!request.dailyFolder.isEmpty() && QFileInfo(request.dailyFolder).isRelative())
        request.dailyFolder = QDir(MainModule::ProgramFolder).filePath(request.dailyFolder);

    err(QStringLiteral("変換 %1 ～ %2: %3 → %4")
            .arg(DateUtil::formatYYMMDD(from), DateUtil::formatYYMMDD(to), source, request.dailyFolder));
    HttpClient http;
    const convert::ConvertResult result = convert::convert(request, issues, &http, err);
    for (const importer::SkippedLine &p : result.problems.lines()) {
        if (p.line > 0)
            err(QStringLiteral("%1:%2: %3").arg(p.file).arg(p.line).arg(p.reason));
        else
            err(QStringLiteral("%1: %2").arg(p.file, p.reason));
    }
    if (!result.ok) {
        err(result.error);
        return 1;
    }
    err(QStringLiteral("変換終了: 日々データー %1 ファイル、%2 件（読めない行 %3）")
            .arg(result.filesWritten)
            .arg(result.recordsWritten)
            .arg(result.problems.count()));
    return 0;
}
