#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>

#include "export/bmp_file.h"

namespace vorbix {
namespace {

struct CliRun {
    int status;
    QString out;
    QString err;
};

CliRun RunCli(const QStringList& arguments, const QString& workingDir = {}) {
    QProcess process;
    if (!workingDir.isEmpty()) process.setWorkingDirectory(workingDir);
    process.start(VORBIX_CLI, arguments);
    process.waitForFinished(120000);
    return {process.exitCode(), QString::fromUtf8(process.readAllStandardOutput()),
            QString::fromUtf8(process.readAllStandardError())};
}

QString Sample(const char* name) { return QString(VORBIX_SOURCE_DIR) + "/samples/" + name; }

qint64 SizeOf(const QString& path) { return QFileInfo(path).size(); }

void WriteSmallBmp(const QString& path, ColorValue colour) {
    ASSERT_FALSE(WriteBmp24(path.toStdString(), Picture(40, 30, colour)));
}

TEST(VorbixCli, OnePictureWritesTheThreeFilesAndReportsJson) {
    QTemporaryDir dir;
    const CliRun run = RunCli({Sample("landscape.jpg"), "--out-dir", dir.path(), "--json", "--work", dir.filePath("work.bmp")});
    ASSERT_EQ(run.status, 0) << run.err.toStdString();
    EXPECT_EQ(SizeOf(dir.filePath("out24.bmp")), 737334);
    EXPECT_EQ(SizeOf(dir.filePath("screen.bin")), 16384);
    EXPECT_EQ(SizeOf(dir.filePath("screen.tim")), 16400);
    EXPECT_EQ(SizeOf(dir.filePath("work.bmp")), 54 + 128 * 3 * 240);
    const QJsonObject json = QJsonDocument::fromJson(run.out.toUtf8()).object();
    EXPECT_EQ(json["mode"].toInt(), 16);
    EXPECT_EQ(json["method"].toString(), "Pattern TVC");
    EXPECT_GT(json["colours"].toInt(), 1);
    EXPECT_LE(json["colours"].toInt(), 15);
    EXPECT_TRUE(json.contains("milliseconds"));
    EXPECT_EQ(json["files"].toArray().size(), 4);
}

TEST(VorbixCli, ModesAndThresholdMethodsByIndexAndCaption) {
    QTemporaryDir dir;
    for (const char* mode : {"2", "4", "16"})
        for (const char* method : {"3", "treshold+noise", "Pattern TVC"}) {
            const CliRun run = RunCli({Sample("colour-chart.bmp"), "--mode", mode, "--method", method, "--out-dir", dir.path()});
            ASSERT_EQ(run.status, 0) << mode << " " << method << run.err.toStdString();
            QFile tim(dir.filePath("screen.tim"));
            ASSERT_TRUE(tim.open(QIODevice::ReadOnly));
            const QByteArray head = tim.read(4);
            EXPECT_EQ(head[3], QString(mode) == "2" ? 0 : QString(mode) == "4" ? 1 : 2);
        }
}

TEST(VorbixCli, SeveralPicturesGoOnPastABrokenOne) {
    QTemporaryDir dir;
    const QString good1 = dir.filePath("red.bmp"), good2 = dir.filePath("blue.bmp"), bad = dir.filePath("broken.jpg");
    WriteSmallBmp(good1, MakeColor(255, 0, 0));
    WriteSmallBmp(good2, MakeColor(0, 0, 255));
    QFile text(bad);
    ASSERT_TRUE(text.open(QIODevice::WriteOnly));
    text.write("this is not a picture\n");
    text.close();
    const QString out = dir.filePath("out");
    const CliRun run = RunCli({good1, bad, good2, "--out-dir", out, "--mode", "4"});
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(run.err.contains("broken.jpg")) << run.err.toStdString();
    for (const char* name : {"red", "blue"}) {
        EXPECT_EQ(SizeOf(out + "/" + name + ".preview.bmp"), 737334) << name;
        EXPECT_EQ(SizeOf(out + "/" + name + ".bin"), 16384) << name;
        EXPECT_EQ(SizeOf(out + "/" + name + ".tim"), 16400) << name;
    }
    EXPECT_FALSE(QFileInfo::exists(out + "/broken.bin"));
    EXPECT_FALSE(QFileInfo::exists(out + "/broken.preview.bmp"));
}

TEST(VorbixCli, NeverOverwritesAnInputPicture) {
    QTemporaryDir dir;
    const QString first = dir.filePath("p.bmp"), second = dir.filePath("p.preview.bmp");
    WriteSmallBmp(first, MakeColor(255, 0, 0));
    WriteSmallBmp(second, MakeColor(0, 255, 0));
    QFile original(second);
    ASSERT_TRUE(original.open(QIODevice::ReadOnly));
    const QByteArray before = original.readAll();
    original.close();
    const CliRun run = RunCli({first, second, "--out-dir", dir.path()});
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(run.err.contains("p.preview.bmp")) << run.err.toStdString();
    ASSERT_TRUE(original.open(QIODevice::ReadOnly));
    EXPECT_EQ(original.readAll(), before);
    EXPECT_EQ(SizeOf(dir.filePath("p.preview.preview.bmp")), 737334);
}

TEST(VorbixCli, UsageErrorsExitWithTwo) {
    const QStringList cases[] = {
        {},
        {Sample("landscape.jpg"), "--mode", "3"},
        {Sample("landscape.jpg"), "--method", "18"},
        {Sample("landscape.jpg"), "--method", "Floyd Steinberg"},
        {Sample("landscape.jpg"), "--palette2", "000000"},
        {Sample("landscape.jpg"), "--palette4", "000000,FFFFFF,0000FF,GG0000"},
        {Sample("landscape.jpg"), "--brightness", "101"},
        {Sample("landscape.jpg"), "--gamma", "x"},
        {Sample("landscape.jpg"), "--no-such-option"},
    };
    for (const QStringList& arguments : cases) {
        QTemporaryDir dir;
        const CliRun run = RunCli(arguments, dir.path());
        EXPECT_EQ(run.status, 2) << arguments.join(' ').toStdString();
        EXPECT_FALSE(run.err.isEmpty());
        EXPECT_FALSE(QFileInfo::exists(dir.filePath("screen.bin")));
    }
}

TEST(VorbixCli, SliderMovesAndSwatchesChangeTheResult) {
    QTemporaryDir dir;
    auto binOf = [&](const QStringList& extra) {
        const CliRun run = RunCli(QStringList{Sample("landscape.jpg"), "--out-dir", dir.path(), "--mode", "2"} << extra);
        EXPECT_EQ(run.status, 0) << run.err.toStdString();
        QFile bin(dir.filePath("screen.bin"));
        EXPECT_TRUE(bin.open(QIODevice::ReadOnly));
        return bin.readAll();
    };
    const QByteArray plain = binOf({});
    EXPECT_NE(binOf({"--brightness", "80"}), plain);
    EXPECT_EQ(binOf({"--contrast", "50"}), plain) << "contrast at 50 is neutral";
    EXPECT_NE(binOf({"--gamma", "50"}), plain) << "gamma at 50 is not neutral, and runs although the slider stands there";
    const CliRun swapped = RunCli({Sample("landscape.jpg"), "--out-dir", dir.path(), "--mode", "2", "--palette2", "FFFFFF,000000"});
    ASSERT_EQ(swapped.status, 0);
    QFile tim(dir.filePath("screen.tim"));
    ASSERT_TRUE(tim.open(QIODevice::ReadOnly));
    const QByteArray head = tim.read(8);
    EXPECT_EQ(static_cast<unsigned char>(head[4]), 0x55);
    EXPECT_EQ(static_cast<unsigned char>(head[5]), 0x00);
}

}  // namespace
}  // namespace vorbix
