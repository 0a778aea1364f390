// The console program run as a user runs it, and the files such a run reads, for the suites that
// test it from outside.
#pragma once

#include <gtest/gtest.h>

#include <QByteArray>
#include <QFile>
#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>

struct TRun {
    int ExitCode = -1;
    QByteArray Out, Err;
};

inline TRun RunBatch(const QStringList& Arguments)
{
    QProcess process;
    process.start(QStringLiteral(ZEV_BATCH_PROGRAM), Arguments);
    EXPECT_TRUE(process.waitForFinished(60000)) << Arguments.join(' ').toStdString();
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            process.readAllStandardOutput(), process.readAllStandardError()};
}

inline QString Example(const char* Name)
{
    return QStringLiteral(ZEV_EXAMPLES_DIR "/") + QLatin1String(Name);
}

inline QString WriteFile(const QTemporaryDir& Dir, const char* Name, const QByteArray& Content)
{
    const QString path = Dir.filePath(QLatin1String(Name));
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(Content);
    return path;
}
