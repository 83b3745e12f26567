#pragma once

// The command line run through bash for tests that set limits, pass any bytes as a name or run
// two at once, and the files it leaves.

#include <gtest/gtest.h>

#include <QByteArray>
#include <QFile>
#include <QProcess>
#include <QString>

namespace vorbix {

struct Outcome {
    int status;  // -1: ended by a signal; -2: still running at the deadline, then killed
    QString out;
    QString err;
};

inline Outcome Bash(const QString& script, const QString& folder, int seconds = 300) {
    QProcess process;
    process.setWorkingDirectory(folder);
    process.start("bash", {"-c", script});
    if (!process.waitForFinished(seconds * 1000)) {
        process.kill();
        process.waitForFinished();
        return {-2, {}, "still running after " + QString::number(seconds) + " s"};
    }
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            QString::fromUtf8(process.readAllStandardOutput()), QString::fromUtf8(process.readAllStandardError())};
}

inline const QString kCli = QString("'%1'").arg(VORBIX_CLI);

inline QByteArray Contents(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

inline void Put(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

}  // namespace vorbix
