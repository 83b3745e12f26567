#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <cerrno>
#include <chrono>
#include <future>
#include <optional>

#include "core/picture.h"
#include "io/local_name.h"
#include "io/picture_decode.h"
#include "pipeline/session.h"

namespace vorbix {
namespace {

// A hostile file either reads as a picture of this size, or is refused with this reason.
struct HostileCase {
    const char* file;
    int width = 0;  // 0: refused
    int height = 0;
    const char* reason = "";
    std::optional<ColourValue> topLeft = std::nullopt;
};

const HostileCase kHostileFiles[] = {
    {"empty.jpg", 0, 0, "the file is empty"},
    {"text.jpg", 0, 0, "not a picture format this program reads"},
    {"jpeg-cut-in-header.jpg", 0, 0, "cannot decode this JPEG file: JPEG datastream contains no image"},
    {"jpeg-cut-before-scan.jpg", 0, 0, "missing SOS marker"},
    {"jpeg-cut-in-scan.jpg", 0, 0, "premature end of data segment"},
    // Only the end marker is missing; every pixel is there.
    {"jpeg-cut-before-end.jpg", 64, 48},
    {"jpeg-corrupt-entropy.jpg", 0, 0, "Corrupt JPEG data: bad Huffman code"},
    {"jpeg-huge-size.jpg", 0, 0, "picture too large: 60000 × 60000"},
    {"jpeg-zero-height.jpg", 0, 0, "Empty JPEG image"},
    {"jpeg-progressive.jpg", 64, 48},
    {"jpeg-grey.jpg", 64, 48},
    {"jpeg-cmyk.jpg", 64, 48},
    // Each scan costs a pass over the whole picture.
    {"jpeg-300-scans.jpg", 0, 0, "a JPEG of 300 scans; at most 100 are read for a picture of 64 × 48"},
    {"png-cut-in-data.png", 0, 0, "damaged PNG file: the file ends before its picture does"},
    {"png-bad-checksum.png", 0, 0, "damaged PNG file: IDAT"},
    {"png-huge-size.png", 0, 0, "picture too large: 100000 × 100000"},
    {"png-interlaced.png", 64, 48},
    {"png-16-bit.png", 64, 48},
    {"png-index-past-palette.png", 4, 1, "", MakeColour(255, 0, 0)},
    // Formats whose readers cannot tell a cut-short file from a whole one are not read at all.
    {"gif.gif", 0, 0, "GIF is a format this program does not read (it reads JPEG, PNG and BMP)"},
    {"gif-cut-in-data.gif", 0, 0, "GIF is a format"},
    {"xbm.xbm", 0, 0, "XBM is a format"},
    {"xpm-short-rows.xpm", 0, 0, "XPM is a format"},
    {"bmp-zero-width.bmp", 0, 0, "BMP header gives an impossible size: 0 × 48"},
    {"bmp-zero-height.bmp", 0, 0, "BMP header gives an impossible size: 64 × 0"},
    {"bmp-negative-width.bmp", 0, 0, "BMP header gives an impossible size: -64 × 48"},
    {"bmp-huge.bmp", 0, 0, "picture too large: 100000 × 100000"},
    {"bmp-huge-width.bmp", 0, 0, "picture too large: 2147483647 × 1"},
    {"bmp-lowest-height.bmp", 0, 0, "picture too large: 1 × 2147483648"},
    {"bmp-truncated.bmp", 0, 0, "truncated BMP: its pixels need 9270 bytes but the file has 4662"},
    {"bmp-offset-past-end.bmp", 0, 0, "truncated BMP"},
    {"bmp-bits-7.bmp", 0, 0, "BMP with 7 bits a pixel"},
    {"bmp-bits-64.bmp", 0, 0, "BMP with 64 bits a pixel"},
    {"bmp-compression-jpeg.bmp", 0, 0, "BMP compression 4"},
    {"bmp-compression-unknown.bmp", 0, 0, "BMP compression 99"},
    {"bmp-info-size-huge.bmp", 0, 0, "cannot decode this BMP file"},
    // Run-length coded pixels must reach their end code inside the file.
    {"bmp-rle8-overrun.bmp", 0, 0, "truncated BMP: its run-length coded pixels stop before their end code"},
    {"bmp-rle4-overrun.bmp", 0, 0, "truncated BMP: its run-length coded pixels stop before their end code"},
    {"bmp-rle8-cut.bmp", 0, 0, "truncated BMP: its run-length coded pixels stop before their end code"},
    {"bmp-rle8-whole.bmp", 8, 4},
    {"bmp-top-down.bmp", 5, 3, "", MakeColour(255, 0, 0)},
    // Indexes past the palette read as black.
    {"bmp-index-past-palette.bmp", 4, 4, "", MakeColour(0, 0, 0)},
    {"png-named.bmp", 64, 48},
};

QString HostilePath(const char* file) { return QString(VORBIX_SOURCE_DIR) + "/tests/data/hostile/" + file; }
QString Sample(const char* file) { return QString(VORBIX_SOURCE_DIR) + "/samples/" + file; }

std::vector<std::uint8_t> Bytes(const QString& path) {
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << path.toStdString();
    const QByteArray bytes = file.readAll();
    return {bytes.begin(), bytes.end()};
}

// A document that has loaded a good picture and moved a slider since.
const Session& SessionWithAPicture() {
    static const Session session = [] {
        Session s;
        s.ChooseMode(TvcMode::Graphics4);
        const Result<Picture> landscape = ReadPicture(LocalName(Sample("landscape.jpg")));
        EXPECT_TRUE(landscape.Ok()) << landscape.Failure().text;
        if (landscape) s.Load(landscape.Value());
        s.MoveSlider(Slider::Brightness, 70);
        return s;
    }();
    return session;
}

// The error of a file names it first, then gives the reason.
void ExpectRefused(const QString& path, const std::string& reason, int code) {
    const std::string local = LocalName(path);
    const Result<Picture> read = ReadPicture(local);
    ASSERT_FALSE(read.Ok());
    const Error& error = read.Failure();
    EXPECT_EQ(error.path, local);
    EXPECT_EQ(error.code, code);
    EXPECT_EQ(error.text.rfind(local + ": ", 0), 0u) << error.text;
    EXPECT_NE(error.text.find(reason), std::string::npos) << error.text;
}

// Refusing a file leaves the document alone by construction (it is decoded before Load); the
// front ends that combine the two check it: the command line below, the window in its own tests.
TEST(HostilePicture, ReadsWithItsSizeOrIsRefusedWithTheReason) {
    for (const HostileCase& c : kHostileFiles) {
        SCOPED_TRACE(c.file);
        const QString path = HostilePath(c.file);
        const Result<Picture> decoded = DecodePicture(Bytes(path));
        if (c.width == 0) {
            ExpectRefused(path, c.reason, 0);
            ASSERT_FALSE(decoded.Ok());
            EXPECT_EQ(decoded.Failure().path, "");
            EXPECT_EQ(LocalName(path) + ": " + decoded.Failure().text, ReadPicture(LocalName(path)).Failure().text)
                << "from memory the error is the reason alone";
            continue;
        }
        const Result<Picture> read = ReadPicture(LocalName(path));
        ASSERT_TRUE(read.Ok()) << read.Failure().text;
        ASSERT_TRUE(decoded.Ok()) << decoded.Failure().text;
        EXPECT_EQ(decoded.Value(), read.Value());
        EXPECT_EQ(read.Value().Width(), c.width);
        EXPECT_EQ(read.Value().Height(), c.height);
        if (c.topLeft) {
            EXPECT_EQ(read.Value().Pixel(0, 0), *c.topLeft);
        }

        Session session = SessionWithAPicture();
        session.Load(read.Value());
        EXPECT_EQ(session.Loaded(), read.Value());
        EXPECT_EQ(session.SliderValue(Slider::Brightness), 50);
        EXPECT_EQ(session.ConversionCount(), SessionWithAPicture().ConversionCount() + 4);
    }
}

// One rule for indexes past a picture's palette, whatever the format: black.
TEST(HostilePicture, IndexesPastThePaletteReadAsBlackInEveryFormat) {
    const struct {
        const char* file;
        int x;
        ColourValue colour;
    } cases[] = {
        {"bmp-index-past-palette.bmp", 3, MakeColour(0, 0, 0)},
        {"bmp-1bit-index-past-palette.bmp", 7, MakeColour(0, 0, 0)},
        {"png-index-past-palette.png", 1, MakeColour(0, 255, 0)},  // inside the palette
        {"png-index-past-palette.png", 2, MakeColour(0, 0, 0)},   // index 5
        {"png-index-past-palette.png", 3, MakeColour(0, 0, 0)},   // index 200
    };
    for (const auto& c : cases) {
        const Result<Picture> read = ReadPicture(LocalName(HostilePath(c.file)));
        ASSERT_TRUE(read.Ok()) << read.Failure().text;
        EXPECT_EQ(read.Value().Pixel(c.x, 0), c.colour) << c.file << " at " << c.x;
    }
}

TEST(HostilePicture, SizeLimitHoldsBeforeDecodingInEveryFormat) {
    for (const char* file : {"jpeg-progressive.jpg", "png-named.bmp", "bmp-top-down.bmp"}) {
        SCOPED_TRACE(file);
        const std::int64_t limit = QString(file).endsWith("top-down.bmp") ? 5 * 3 - 1 : 64 * 48 - 1;
        const Result<Picture> read = ReadPicture(LocalName(HostilePath(file)), limit);
        ASSERT_FALSE(read.Ok());
        EXPECT_NE(read.Failure().text.find("picture too large: "), std::string::npos) << read.Failure().text;
        const Result<Picture> decoded = DecodePicture(Bytes(HostilePath(file)), limit);
        ASSERT_FALSE(decoded.Ok());
        EXPECT_EQ(decoded.Failure().text.rfind("picture too large: ", 0), 0u) << decoded.Failure().text;
    }
    EXPECT_TRUE(ReadPicture(LocalName(HostilePath("jpeg-progressive.jpg")), 64 * 48).Ok());
}

// Special files named like pictures, made where the test runs.
class SpecialFiles : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        ASSERT_TRUE(QDir(dir.path()).mkdir("folder.jpg"));
        ASSERT_EQ(mkfifo(QFile::encodeName(Path("pipe.bmp")).constData(), 0644), 0);
        ASSERT_TRUE(QFile::link("/dev/zero", Path("device.jpg")));
        ASSERT_TRUE(QFile::link(Path("gone.bmp"), Path("dangling.jpg")));
    }
    QString Path(const char* name) const { return dir.filePath(name); }
    QTemporaryDir dir;
};

TEST_F(SpecialFiles, AreRefusedWithoutBlocking) {
    const struct {
        const char* file;
        const char* reason;
        int code;
    } cases[] = {
        {"folder.jpg", "not a regular file", 0},
        {"pipe.bmp", "not a regular file", 0},
        {"device.jpg", "not a regular file", 0},
        {"dangling.jpg", "no such file", ENOENT},
        {"gone.bmp", "no such file", ENOENT},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        const QString path = Path(c.file);
        auto refused = std::async(std::launch::async, [&] { ExpectRefused(path, c.reason, c.code); });
        if (refused.wait_for(std::chrono::seconds(20)) == std::future_status::timeout) {
            // Let a reader stuck on the FIFO go before failing.
            close(open(QFile::encodeName(path).constData(), O_WRONLY | O_NONBLOCK));
            ADD_FAILURE() << "reading " << c.file << " blocked";
        }
        refused.get();
    }
}

struct CliRun {
    int status;
    QString err;
};

CliRun RunCli(const QStringList& arguments) {
    QProcess cli;
    cli.setProcessChannelMode(QProcess::SeparateChannels);
    cli.start(VORBIX_CLI, arguments);
    EXPECT_TRUE(cli.waitForFinished(300000));
    return {cli.exitCode(), QString::fromUtf8(cli.readAllStandardError())};
}

QByteArray Contents(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

TEST_F(SpecialFiles, CommandLineConvertsTheGoodPicturesAndNamesEachRefusedOne) {
    QStringList pictures{Sample("colour-chart.bmp")};
    for (const HostileCase& c : kHostileFiles) pictures << HostilePath(c.file);
    for (const char* special : {"folder.jpg", "pipe.bmp", "device.jpg"}) pictures << Path(special);
    const QString out = dir.filePath("out");
    const CliRun run = RunCli(pictures + QStringList{"--out-dir", out, "--mode", "2", "--method", "3"});
    EXPECT_EQ(run.status, 1);

    auto written = [&](const QString& stem) {
        for (const char* suffix : {".preview.bmp", ".bin", ".tim"})
            if (!QFile::exists(QDir(out).filePath(stem + suffix))) return false;
        return true;
    };
    EXPECT_TRUE(written("colour-chart"));
    for (const HostileCase& c : kHostileFiles) {
        SCOPED_TRACE(c.file);
        const QString stem = QFileInfo(c.file).completeBaseName();
        if (c.width == 0) {
            EXPECT_TRUE(run.err.contains(HostilePath(c.file) + ": ")) << run.err.toStdString();
            EXPECT_TRUE(run.err.contains(QString::fromUtf8(c.reason)));
            EXPECT_TRUE(QDir(out).entryList({stem + ".*"}, QDir::Files).isEmpty());
        } else {
            EXPECT_FALSE(run.err.contains(HostilePath(c.file)));
            EXPECT_TRUE(written(stem));
        }
    }
    for (const char* special : {"folder.jpg", "pipe.bmp", "device.jpg"})
        EXPECT_TRUE(run.err.contains(Path(special) + ": not a regular file")) << special;
}

TEST_F(SpecialFiles, CommandLineKeepsEarlierFilesWhenItsOnePictureIsRefused) {
    const QString out = dir.filePath("out");
    ASSERT_EQ(RunCli({Sample("colour-chart.jpg"), "--out-dir", out}).status, 0);
    const QStringList names{"out24.bmp", "screen.bin", "screen.tim"};
    std::vector<QByteArray> before;
    for (const QString& name : names) before.push_back(Contents(QDir(out).filePath(name)));
    for (const char* refused : {"bmp-truncated.bmp", "jpeg-corrupt-entropy.jpg"}) {
        const CliRun run = RunCli({HostilePath(refused), "--out-dir", out, "--mode", "4"});
        EXPECT_EQ(run.status, 1);
        EXPECT_TRUE(run.err.contains(HostilePath(refused))) << run.err.toStdString();
    }
    const CliRun pipe = RunCli({Path("pipe.bmp"), "--out-dir", out});
    EXPECT_EQ(pipe.status, 1);
    for (std::size_t i = 0; i < before.size(); ++i) EXPECT_EQ(Contents(QDir(out).filePath(names[i])), before[i]) << names[i].toStdString();
    EXPECT_EQ(QDir(out).entryList(QDir::Files | QDir::Hidden).size(), names.size());
}

}  // namespace
}  // namespace vorbix
