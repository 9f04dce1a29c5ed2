// Writes generated price data into a program folder: Data/Regist.Mei, the daily files Ds… into
// Data/ and the margin files Ys… into Margin/.
//   generate_data [--issues N] [--days D] [--first YYYY-MM-DD] [--seed S] DIR

#include "datagen/DataGenerator.h"

#include <QCoreApplication>
#include <QDir>

#include <cstdio>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments();
    args.removeFirst();
    importer::GeneratorOptions options;
    QString folder;
    while (!args.isEmpty()) {
        const QString a = args.takeFirst();
        auto value = [&]() { return args.isEmpty() ? QString() : args.takeFirst(); };
        if (a == QLatin1String("--issues"))
            options.issues = value().toInt();
        else if (a == QLatin1String("--days"))
            options.tradingDays = value().toInt();
        else if (a == QLatin1String("--first"))
            options.firstDay = QDate::fromString(value(), Qt::ISODate);
        else if (a == QLatin1String("--seed"))
            options.seed = value().toULongLong();
        else if (!a.startsWith(QLatin1String("--")) && folder.isEmpty())
            folder = a;
        else {
            std::fprintf(stderr, "unknown argument: %s\n", qPrintable(a));
            return 2;
        }
    }
    if (folder.isEmpty() || !options.firstDay.isValid() || options.issues <= 0 || options.tradingDays <= 0) {
        std::fprintf(stderr, "usage: generate_data [--issues N] [--days D] [--first YYYY-MM-DD] [--seed S] DIR\n");
        return 2;
    }
    QDir dir(folder);
    dir.mkpath(QStringLiteral("Data"));
    dir.mkpath(QStringLiteral("Margin"));
    importer::DataGenerator generator(options);
    QString error;
    const qint64 records = generator.writeRegistration(dir.filePath(QStringLiteral("Data/Regist.Mei")), &error)
        ? generator.writeFiles(dir.filePath(QStringLiteral("Data")), dir.filePath(QStringLiteral("Margin")), &error)
        : -1;
    if (records < 0) {
        std::fprintf(stderr, "%s\n", error.toLocal8Bit().constData());
        return 1;
    }
    std::printf("%d issues, %d trading days (%s to %s), %lld daily records\n", int(generator.issues().size()),
                int(generator.tradingDays().size()), qPrintable(generator.tradingDays().front().toString(Qt::ISODate)),
                qPrintable(generator.tradingDays().back().toString(Qt::ISODate)), records);
    return 0;
}
