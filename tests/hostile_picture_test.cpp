#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <chrono>
#include <future>
#include <optional>

#include "core/picture.h"
#include "pipeline/session.h"
#include "io/picture_decode.h"

namespace vorbix {
namespace {

// A hostile file either loads as a picture of this size, or is refused with a message that
// names the file and gives this reason.
struct HostileCase {
    const char* file;
    int width = 0;  // 0: refused
    int height = 0;
    const char* reason = "";
    std::optional<ColorValue> topLeft = std::nullopt;
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
    {"bmp-rle8-overrun.bmp", 0, 0, "cannot decode this BMP file"},
    // Qt stops at the picture's edges and treats the missing end code as the end.
    {"bmp-rle4-overrun.bmp", 8, 4},
    {"bmp-top-down.bmp", 5, 3, "", MakeColor(255, 0, 0)},
    // Indexes past the palette read as black.
    {"bmp-index-past-palette.bmp", 4, 4, "", MakeColor(0, 0, 0)},
    {"png-named.bmp", 64, 48},
};

QString HostilePath(const char* file) { return QString(VORBIX_SOURCE_DIR) + "/tests/data/hostile/" + file; }
QString Sample(const char* file) { return QString(VORBIX_SOURCE_DIR) + "/samples/" + file; }

// Everything a load could change.
struct SessionState {
    explicit SessionState(const Session& s)
        : pic1(s.Loaded()), pic5(s.SourceView()), pic2(s.Preview()), tvc2(s.Surface(TvcMode::Graphics2)),
          tvc4(s.Surface(TvcMode::Graphics4)), tvc16(s.Surface(TvcMode::Graphics16)),
          sliders{s.SliderValue(0), s.SliderValue(1), s.SliderValue(2), s.SliderValue(3)},
          counts{s.LoadedColours(), s.ResultColours(), s.MixesOn()}, conversions(s.ConversionCount()),
          autoPalette(s.AutoPalette()), state(s.State()) {}
    Picture pic1, pic5, pic2, tvc2, tvc4, tvc16;
    std::array<int, kSliderCount> sliders;
    std::array<int, 3> counts;
    long conversions;
    bool autoPalette;
    DitherState state;
    bool operator==(const SessionState&) const = default;
};

// A session that has loaded a good picture and moved a slider since.
const Session& SessionWithAPicture() {
    static const Session session = [] {
        Session s;
        s.Option2_Click(static_cast<int>(TvcMode::Graphics4));
        EXPECT_EQ(LoadPictureFile(s, Sample("landscape.jpg")), "");
        s.HScroll_Change(kBrightness, 70);
        return s;
    }();
    return session;
}

void ExpectRefusedLeavingSessionAlone(const QString& path, const std::string& reason) {
    Session session = SessionWithAPicture();
    const QString error = LoadPictureFile(session, path);
    EXPECT_EQ(error.toStdString().rfind(path.toStdString() + ": ", 0), 0u) << error.toStdString();
    EXPECT_NE(error.toStdString().find(reason), std::string::npos) << error.toStdString();
    EXPECT_TRUE(SessionState(session) == SessionState(SessionWithAPicture())) << "the refused file changed the session";
}

TEST(HostilePicture, LoadsWithItsSizeOrIsRefusedLeavingTheSessionAsItWas) {
    for (const HostileCase& c : kHostileFiles) {
        SCOPED_TRACE(c.file);
        const QString path = HostilePath(c.file);
        if (c.width == 0) {
            ExpectRefusedLeavingSessionAlone(path, c.reason);
            continue;
        }
        Session session = SessionWithAPicture();
        ASSERT_EQ(LoadPictureFile(session, path), "");
        EXPECT_EQ(session.Loaded().Width(), c.width);
        EXPECT_EQ(session.Loaded().Height(), c.height);
        EXPECT_EQ(session.SliderValue(kBrightness), 50);
        EXPECT_EQ(session.ConversionCount(), SessionWithAPicture().ConversionCount() + 4);
        if (c.topLeft) EXPECT_EQ(session.Loaded().Pixel(0, 0), *c.topLeft);
    }
}

TEST(HostilePicture, SizeLimitHoldsBeforeDecodingInEveryFormat) {
    for (const char* file : {"jpeg-progressive.jpg", "png-named.bmp", "bmp-top-down.bmp"}) {
        SCOPED_TRACE(file);
        const DecodedPicture decoded = HostilePath(file).endsWith("top-down.bmp")
                                           ? DecodePictureFile(HostilePath(file), 5 * 3 - 1)
                                           : DecodePictureFile(HostilePath(file), 64 * 48 - 1);
        EXPECT_FALSE(decoded.Ok());
        EXPECT_TRUE(decoded.picture.Empty());
        EXPECT_TRUE(decoded.error.contains("picture too large: ")) << decoded.error.toStdString();
    }
    EXPECT_TRUE(DecodePictureFile(HostilePath("jpeg-progressive.jpg"), 64 * 48).Ok());
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
    } cases[] = {
        {"folder.jpg", "not a regular file"},
        {"pipe.bmp", "not a regular file"},
        {"device.jpg", "not a regular file"},
        {"dangling.jpg", "no such file"},
        {"gone.bmp", "no such file"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        const QString path = Path(c.file);
        auto refused = std::async(std::launch::async, [&] { ExpectRefusedLeavingSessionAlone(path, c.reason); });
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
