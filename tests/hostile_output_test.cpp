#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QSet>
#include <QTemporaryDir>
#include <functional>

#include "io/bmp_file.h"
#include "io/file_write.h"
#include "io/screen_file.h"
#include "tests/shell_run.h"

namespace vorbix {
namespace {

Palette DefaultSwatches() {
    Palette palette;
    for (ColourValue c : kDefaultSwatches4) palette.push_back(EntryFromColour(c));
    return palette;
}

QString Sample(const char* name) { return QString("'%1/samples/%2'").arg(VORBIX_SOURCE_DIR, name); }

// Every file the command line writes goes through the one whole-file writer, PNGs included: a
// symlink at the name is replaced (its target untouched), a FIFO refused, and a write cut short by
// a full disk (here a file-size cap) leaves the old file and exits 1 naming the path.
TEST(HostileOutput, PngOutputsAreWrittenWholeAndNeverThroughAnotherFile) {
    QTemporaryDir dir;
    const QString tim = dir.filePath("a.tim");
    ScreenImage noise{};  // a PNG too big for the cap below
    for (std::size_t i = 0; i < noise.size(); ++i) noise[i] = static_cast<std::uint8_t>(i * 2654435761u >> 13);
    ASSERT_TRUE(WriteFileWhole(tim.toStdString(), ScreenTimBytes(TvcMode::Graphics4, noise, DefaultSwatches())).Ok());
    const struct {
        const char* what;
        QString command;  // writes out.png
        bool capped;  // the sheet is smaller than the preview BMP written before it, so no cap stops at the sheet
    } commands[] = {
        {"--render", kCli + " --render " + tim + " out.png", true},
        {"--sheet", kCli + " " + Sample("landscape.jpg") + " --sheet out.png --sheet-scale 4 --out-dir o", false},
    };
    const struct {
        const char* what;
        std::function<void(const QString&)> obstacle;  // given the output's path
        QString limit;
        int status;
        const char* message;
    } obstacles[] = {
        {"a symlink", [&](const QString& out) { QFile::link(dir.filePath("victim"), out); }, "", 0, ""},
        {"a FIFO", [](const QString& out) { mkfifo(QFile::encodeName(out), 0644); }, "", 1, "out.png: not a regular file"},
        {"a full disk", [](const QString& out) { Put(out, "the user's bytes"); }, "trap '' XFSZ; ulimit -f 2; ", 1,
         "out.png: File too large"},
    };
    for (const auto& command : commands)
        for (const auto& obstacle : obstacles) {
            SCOPED_TRACE(std::string(command.what) + " over " + obstacle.what);
            QTemporaryDir work;
            const QString out = work.filePath("out.png");
            Put(dir.filePath("victim"), "the user's bytes");
            obstacle.obstacle(out);
            if (!obstacle.limit.isEmpty() && !command.capped) continue;
            const Outcome run = Bash(obstacle.limit + "exec " + command.command, work.path());
            EXPECT_EQ(run.status, obstacle.status) << run.err.toStdString();
            EXPECT_TRUE(run.err.contains(obstacle.message)) << run.err.toStdString();
            EXPECT_EQ(Contents(dir.filePath("victim")), "the user's bytes");
            const QFileInfo written(out);
            const QString what = obstacle.what;
            if (obstacle.status == 0) {
                EXPECT_TRUE(written.isFile() && !written.isSymLink());
            } else if (what == "a FIFO") {
                EXPECT_FALSE(written.isFile());
            } else {
                EXPECT_EQ(Contents(out), "the user's bytes");
            }
            EXPECT_EQ(QDir(work.path()).entryList(QDir::Hidden | QDir::Files).filter(".vorbix-"), QStringList());
        }
}

// A save killed halfway leaves a temporary named after its target; the next save into that
// folder removes it, and leaves alone the temporaries of a save still running and other files.
TEST(HostileOutput, TemporariesOfAKilledSaveAreRemovedByTheNextSave) {
    QTemporaryDir dir;
    const Outcome killed = Bash("ulimit -f 100; exec " + kCli + " " + Sample("landscape.jpg"), dir.path());
    EXPECT_EQ(killed.status, -1) << "the file-size signal ends it";
    const QStringList left = QDir(dir.path()).entryList(QDir::Hidden | QDir::Files);
    ASSERT_EQ(left.size(), 1) << left.join(' ').toStdString();
    EXPECT_TRUE(left[0].startsWith(".out24.bmp.vorbix-")) << left[0].toStdString();

    const QString running = QString(".screen.bin.vorbix-%1-abcdef").arg(getpid());
    const QStringList others{running, "notes.vorbix-1-abcdef", ".screen.bin.vorbix-x-abcdef"};
    for (const QString& name : others) Put(dir.filePath(name), "keep");
    const Outcome next = Bash("exec " + kCli + " " + Sample("landscape.jpg"), dir.path());
    ASSERT_EQ(next.status, 0) << next.err.toStdString();
    QStringList expected = others + QStringList{"out24.bmp", "screen.bin", "screen.tim"};
    expected.sort();
    QStringList names = QDir(dir.path()).entryList(QDir::Hidden | QDir::Files);
    names.sort();
    EXPECT_EQ(names, expected);
}

// The screen files and the BMP of one save are replaced together: when one cannot be written,
// none is.
TEST(HostileOutput, ASetOfFilesIsReplacedOnlyWhenAllAreWritten) {
    QTemporaryDir dir;
    const QString bmp = dir.filePath("out24.bmp"), bin = dir.filePath("screen.bin"), tim = dir.filePath("screen.tim");
    Put(bmp, "old bmp");
    Put(bin, "old bin");
    mkfifo(QFile::encodeName(tim), 0644);
    const Status written = WriteFilesWhole({{bmp.toStdString(), {1, 2, 3}}, {bin.toStdString(), {4}}, {tim.toStdString(), {5}}});
    ASSERT_FALSE(written.Ok());
    EXPECT_EQ(written.Failure().path, tim.toStdString());
    EXPECT_EQ(Contents(bmp), "old bmp");
    EXPECT_EQ(Contents(bin), "old bin");
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Hidden | QDir::Files).filter(".vorbix-"), QStringList());
}

// Pictures of one name from different folders each get their own outputs, and JSON names them.
TEST(HostileOutput, PicturesOfOneNameGetDistinctOutputs) {
    QTemporaryDir dir;
    const QString colours[] = {"a", "b", "c"};
    QString pictures;
    for (int i = 0; i < 3; ++i) {
        QDir(dir.path()).mkdir(colours[i]);
        ASSERT_TRUE(WriteBmp24(dir.filePath(colours[i] + "/x.bmp").toStdString(), Picture(8, 8, MakeColour(80 * i, 0, 0))).Ok());
        pictures += colours[i] + "/x.bmp ";
    }
    const Outcome run = Bash("exec " + kCli + " " + pictures + "--out-dir o --json", dir.path());
    ASSERT_EQ(run.status, 0) << run.err.toStdString();
    QSet<QString> files;
    for (const QString& line : run.out.split('\n', Qt::SkipEmptyParts))
        for (const auto& file : QJsonDocument::fromJson(line.toUtf8()).object()["files"].toArray()) {
            EXPECT_TRUE(QFileInfo::exists(dir.filePath(file.toString()))) << file.toString().toStdString();
            files.insert(file.toString());
        }
    EXPECT_EQ(files.size(), 9);
    EXPECT_EQ(QDir(dir.filePath("o")).entryList(QDir::Files).size(), 9);
}

// A name is shown with its control characters escaped, so it cannot forge a line; a name that is
// not valid UTF-8 still opens its file.
TEST(HostileOutput, OddFileNamesAreOpenedByTheirBytesAndShownEscaped) {
    QTemporaryDir dir;
    const Outcome forged = Bash("exec " + kCli + " $'evil\\nvorbix-cli: all fine\\e[31m.jpg'", dir.path());
    EXPECT_EQ(forged.status, 1);
    EXPECT_EQ(forged.err, "vorbix-cli: evil\\nvorbix-cli: all fine\\x1b[31m.jpg: no such file\n");

    const Outcome raw = Bash("cp " + Sample("landscape.jpg") + " $'bad\\xff\\xfe.jpg' && exec " + kCli +
                             " $'bad\\xff\\xfe.jpg' --json",
                         dir.path());
    EXPECT_EQ(raw.status, 0) << raw.err.toStdString();
    EXPECT_EQ(QFileInfo(dir.filePath("screen.tim")).size(), kTimFileBytes);
}

}  // namespace
}  // namespace vorbix
