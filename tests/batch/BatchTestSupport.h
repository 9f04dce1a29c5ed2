#pragma once

// Running miravel-batch on a program folder as a script would, and reading its answer.

#include "support/TestSupport.h"

#include <QProcess>
#include <QStringList>

#include <gtest/gtest.h>

#include <csignal>
#include <sys/resource.h>

namespace batch_test {

struct BatchRun
{
    int exitCode = -1;
    QStringList out;
    QString err;
    // The value of a key=value line of the answer.
    QString value(const QString &key) const
    {
        for (const QString &l : out)
            if (l.startsWith(key + QLatin1Char('=')))
                return l.mid(key.size() + 1);
        return QStringLiteral("<missing>");
    }
};

// fileSizeLimit: the most bytes the tool may write into any one file (0: no limit).
inline BatchRun runBatch(const QString &folder, const QStringList &arguments, rlim_t fileSizeLimit = 0)
{
    QProcess p;
    if (fileSizeLimit > 0) {
        p.setChildProcessModifier([fileSizeLimit] {
            std::signal(SIGXFSZ, SIG_DFL); // the tool turns it off itself, so a write past the limit fails
            rlimit limit{fileSizeLimit, fileSizeLimit};
            setrlimit(RLIMIT_FSIZE, &limit);
        });
    }
    p.start(testing_support::batchToolPath(), QStringList{QStringLiteral("--folder"), folder} + arguments);
    EXPECT_TRUE(p.waitForFinished(120000));
    BatchRun r;
    r.exitCode = p.exitCode();
    r.out = QString::fromUtf8(p.readAllStandardOutput()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    // Qt's own start-up warnings about the desktop environment are not ours.
    for (const QString &line : QString::fromUtf8(p.readAllStandardError()).split(QLatin1Char('\n'), Qt::SkipEmptyParts))
        if (!line.startsWith(QLatin1String("QStandardPaths:")))
            r.err += line + QLatin1Char('\n');
    return r;
}

} // namespace batch_test
