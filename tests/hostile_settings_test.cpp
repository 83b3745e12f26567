#include <sys/stat.h>

#include <gtest/gtest.h>

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QTemporaryDir>
#include <functional>

#include "io/bmp_file.h"
#include "io/picture_decode.h"
#include "pipeline/result_settings.h"
#include "pipeline/sha256.h"
#include "tests/shell_run.h"

namespace vorbix {
namespace {

QString Sample(const char* name) { return QString("%1/samples/%2").arg(VORBIX_SOURCE_DIR, name); }

// The settings of a picture loaded as the command line loads it, unedited.
std::string SettingsFor(const QString& picture, const QString& name) {
    const std::string path = QFile::encodeName(picture).toStdString();
    Result<Picture> decoded = ReadPicture(path, kMaxPicturePixels, {kPreviewWidth, kPreviewHeight});
    EXPECT_TRUE(decoded) << decoded.Failure().text;
    Session session;
    if (decoded) session.Load(std::move(decoded.Value()));
    return SettingsJson(SettingsOf(session, name.toStdString(), Sha256OfFile(path)));
}

void PutSettings(const QString& folder, const QString& pictureName) {
    Put(folder + "/s.json", QByteArray::fromStdString(SettingsFor(folder + "/" + pictureName, pictureName)));
}

// Replays and renders that would lose a file, run into what they cannot use, or take options they
// would drop: each refused with a message that names the trouble, leaving every file as it was.
TEST(HostileSettings, ReplaysAndRendersRefuseWhatTheyCannotDoWhole) {
    const struct {
        const char* what;
        std::function<void(const QString&)> prepare;  // given the folder
        QString arguments;
        int status;
        QString message;  // expected on stderr; empty: nothing
        QStringList unchanged;  // files that must keep their bytes
        QStringList written;    // files that must exist after
    } cases[] = {
        {"a replay whose picture is in the output folder under an output's name",
         [](const QString& d) {
             QFile::copy(Sample("landscape.jpg"), d + "/out24.bmp");
             PutSettings(d, "out24.bmp");
         },
         "--settings s.json", 1, "out24.bmp: an input picture, never overwritten", {"out24.bmp"}, {}},
        {"--render of a screen file onto itself",
         [](const QString& d) { ASSERT_EQ(Bash("exec " + kCli + " '" + Sample("landscape.jpg") + "'", d).status, 0); },
         "--render screen.tim screen.tim", 1, "screen.tim: the screen file drawn, never overwritten", {"screen.tim"}, {}},
        {"--render of a screen file onto a hard link to it",
         [](const QString& d) {
             ASSERT_EQ(Bash(kCli + " '" + Sample("landscape.jpg") + "' && ln screen.tim keep.png", d).status, 0);
         },
         "--render screen.tim keep.png", 1, "never overwritten", {"screen.tim"}, {}},
        {"a conversion option with --settings", [](const QString& d) { QFile::copy(Sample("landscape.jpg"), d + "/p.jpg"); PutSettings(d, "p.jpg"); },
         "--settings s.json --mode 4", 2, "--mode does not go with --settings", {}, {}},
        {"--refine with --settings", [](const QString& d) { QFile::copy(Sample("landscape.jpg"), d + "/p.jpg"); PutSettings(d, "p.jpg"); },
         "--settings s.json --refine 1", 2, "--refine does not go with --settings", {}, {}},
        {"--cas with --render", [](const QString& d) { ASSERT_EQ(Bash("exec " + kCli + " '" + Sample("landscape.jpg") + "'", d).status, 0); },
         "--render screen.tim out.png --cas", 2, "--cas does not go with --render", {}, {}},
        {"--out-dir with --render", [](const QString& d) { ASSERT_EQ(Bash("exec " + kCli + " '" + Sample("landscape.jpg") + "'", d).status, 0); },
         "--render screen.tim out.png --out-dir o", 2, "--out-dir does not go with --render", {}, {}},
        {"--render and --settings", [](const QString&) {}, "--render a.tim a.png --settings s.json", 2, "do not go together", {}, {}},
        {"the outputs a replay can make, honoured",
         [](const QString& d) {
             QFile::copy(Sample("landscape.jpg"), d + "/p.jpg");
             PutSettings(d, "p.jpg");
         },
         "--settings s.json --cas --wav --json --sheet sheet.png --sheet-scale 4 --work work.bmp --out-dir o", 0, "",
         {}, {"o/out24.bmp", "o/screen.tim", "o/screen.cas", "o/screen.wav", "sheet.png", "work.bmp"}},
        {"a settings file that is a FIFO", [](const QString& d) { mkfifo(QFile::encodeName(d + "/s.json"), 0644); },
         "--settings s.json", 1, "s.json: cannot be read (it is a FIFO)", {}, {}},
        {"a settings file that is a folder", [](const QString& d) { QDir(d).mkdir("s.json"); }, "--settings s.json", 1,
         "s.json: cannot be read (it is a folder)", {}, {}},
        {"a settings file that is a device", [](const QString&) {}, "--settings /dev/null", 1,
         "/dev/null: cannot be read (it is a device)", {}, {}},
        {"a newline in the settings file's name", [](const QString&) {}, "--settings $'x\\nvorbix-cli: fine.json'", 1,
         "vorbix-cli: x\\nvorbix-cli: fine.json: cannot be read (no such file)\n", {}, {}},
        {"a newline in the picture's name inside the settings",
         [](const QString& d) {
             QFile::copy(Sample("landscape.jpg"), d + "/p.jpg");
             Put(d + "/s.json", QByteArray::fromStdString(SettingsFor(d + "/p.jpg", "a\nvorbix-cli: fine.jpg")));
         },
         "--settings s.json", 1, "a\\nvorbix-cli: fine.jpg: no such file\n", {}, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        QTemporaryDir dir;
        c.prepare(dir.path());
        QMap<QString, QByteArray> before;
        for (const QString& file : c.unchanged) before[file] = Contents(dir.filePath(file));
        const Outcome run = Bash("exec " + kCli + " " + c.arguments, dir.path());
        EXPECT_EQ(run.status, c.status) << run.err.toStdString();
        if (c.message.isEmpty())
            EXPECT_FALSE(run.err.contains("vorbix-cli: ") && !run.err.contains("to load from tape")) << run.err.toStdString();
        else
            EXPECT_TRUE(run.err.contains(c.message)) << run.err.toStdString();
        EXPECT_LE(run.err.count('\n'), c.status == 2 ? 2 : 4) << "one line for each thing said: " << run.err.toStdString();
        for (const QString& file : c.unchanged) EXPECT_EQ(Contents(dir.filePath(file)), before[file]) << file.toStdString();
        for (const QString& file : c.written) EXPECT_TRUE(QFileInfo(dir.filePath(file)).isFile()) << file.toStdString();
    }
}

// Short of memory, a replay of a huge picture and a run of many pictures on as many jobs each
// end with a message, never an abort or a hang.
TEST(HostileSettings, ShortOfMemoryAPictureFailsWithAMessage) {
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "AddressSanitizer reserves more address space than these limits allow";
#endif
    QTemporaryDir dir;
    QImage huge(16000, 16000, QImage::Format_Mono);  // a 1-bit PNG of 31 KB
    huge.fill(0);
    ASSERT_TRUE(huge.save(dir.filePath("huge.png")));
    huge = QImage();
    Put(dir.filePath("s.json"), QByteArray::fromStdString(SettingsFor(Sample("landscape.jpg"), "huge.png")));
    QString tiny;
    for (int i = 0; i < 150; ++i) {
        const QString name = QString("t%1.bmp").arg(i);
        ASSERT_TRUE(WriteBmp24(dir.filePath(name).toStdString(), Picture(4, 4, MakeColour(i, 0, 0))).Ok());
        tiny += name + " ";
    }
    const struct {
        const char* what;
        QString command;
        int status;
        QString message;
    } cases[] = {
        // The picture takes 768 MB as loaded: room for one copy, which a replay keeps alone.
        {"a replay with room for the picture", "ulimit -v 1200000; exec " + kCli + " --settings s.json --out-dir o", 1,
         "differs from the settings' result"},
        {"a replay without", "ulimit -v 600000; exec " + kCli + " --settings s.json --out-dir o", 1, "not enough memory"},
        {"150 pictures, --jobs 200", "ulimit -v 1000000; exec " + kCli + " " + tiny + "--jobs 200 --out-dir many", 0, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const Outcome run = Bash(c.command, dir.path(), 240);
        EXPECT_EQ(run.status, c.status) << run.err.toStdString();
        EXPECT_TRUE(run.err.contains(c.message)) << run.err.toStdString();
    }
    EXPECT_EQ(QDir(dir.filePath("many")).entryList(QDir::Files).size(), 450);
}

// Another program's two runs into one folder: each picture's files, the program file among them,
// are put in place as one group, so the folder holds one picture's files, never a mix.
TEST(HostileSettings, TwoRunsIntoOneFolderLeaveOnePicturesFiles) {
    QTemporaryDir dir;
    const QString pictures[] = {Sample("landscape.jpg"), Sample("colour-chart.jpg")};
    QByteArray tim[2], cas[2];
    for (int i = 0; i < 2; ++i) {
        const QString folder = QString("alone%1").arg(i);
        ASSERT_EQ(Bash("exec " + kCli + " '" + pictures[i] + "' --cas --out-dir " + folder, dir.path()).status, 0);
        tim[i] = Contents(dir.filePath(folder + "/screen.tim"));
        cas[i] = Contents(dir.filePath(folder + "/screen.cas"));
    }
    ASSERT_NE(tim[0], tim[1]);
    for (int attempt = 0; attempt < 8; ++attempt) {
        const Outcome run = Bash(kCli + " '" + pictures[0] + "' --cas --out-dir both & " + kCli + " '" + pictures[1] +
                                     "' --cas --out-dir both; wait",
                                 dir.path());
        ASSERT_EQ(run.status, 0) << run.err.toStdString();
        const QByteArray shownTim = Contents(dir.filePath("both/screen.tim"));
        const int which = shownTim == tim[0] ? 0 : 1;
        ASSERT_EQ(shownTim, tim[which]);
        EXPECT_EQ(Contents(dir.filePath("both/screen.cas")), cas[which]) << "attempt " << attempt;
    }
}

// A camera's photo, decoded at a DCT scale when it is loaded, is decoded at that scale again by a
// replay, in the library and on the command line; a file from before the scale was recorded
// replays by the rule of "Resize".
TEST(HostileSettings, ARealSizePhotoReplaysToTheSameScreen) {
    QTemporaryDir dir;
    QImage photo(4000, 3000, QImage::Format_RGB888);
    for (int y = 0; y < photo.height(); ++y) {
        uchar* row = photo.scanLine(y);
        for (int x = 0; x < photo.width(); ++x) {
            row[3 * x] = static_cast<uchar>(x * 255 / photo.width());
            row[3 * x + 1] = static_cast<uchar>((x ^ y) & 0xFF);
            row[3 * x + 2] = static_cast<uchar>((x * 7 + y * 13) & 0xFF);
        }
    }
    ASSERT_TRUE(photo.save(dir.filePath("photo.jpg"), "JPEG", 90));
    const std::string settingsText = SettingsFor(dir.filePath("photo.jpg"), "photo.jpg");
    const Result<ResultSettings> recorded = ParseSettingsJson(settingsText);
    ASSERT_TRUE(recorded) << recorded.Failure().text;
    EXPECT_EQ(recorded.Value().decodedWidth, 1000);  // a quarter of the photo covers the source view
    ResultSettings unrecorded = recorded.Value();
    unrecorded.decodedWidth = unrecorded.decodedHeight = 0;
    for (const ResultSettings& settings : {recorded.Value(), unrecorded}) {
        Result<Picture> decoded = ReadPicture(dir.filePath("photo.jpg").toStdString(), kMaxPicturePixels, CoverToReplay(settings));
        ASSERT_TRUE(decoded);
        const Result<Session> replayed = Replay(settings, std::move(decoded.Value()));
        ASSERT_TRUE(replayed);
        EXPECT_EQ(Sha256Hex(replayed.Value().ScreenTimFileBytes()), settings.screenSha256);
    }
    Put(dir.filePath("s.json"), QByteArray::fromStdString(settingsText));
    const Outcome run = Bash("exec " + kCli + " --settings s.json --out-dir o", dir.path());
    EXPECT_EQ(run.status, 0) << run.err.toStdString();
    EXPECT_TRUE(run.out.contains("identical")) << run.out.toStdString();
}

// The decoders' own warnings stay off stderr: a picture gets one line, its own.
TEST(HostileSettings, DecoderWarningsDoNotLeak) {
    QTemporaryDir dir;
    QBuffer jpeg;
    jpeg.open(QIODevice::WriteOnly);
    QImage(16, 16, QImage::Format_RGB888).save(&jpeg, "JPEG");
    QByteArray wide = jpeg.data();
    const qsizetype frame = wide.indexOf("\xFF\xC0");
    ASSERT_GT(frame, 0);
    wide[frame + 5] = '\xFF', wide[frame + 6] = '\xF0', wide[frame + 7] = '\xFF', wide[frame + 8] = '\xF0';  // 65520 × 65520
    Put(dir.filePath("wide.jpg"), wide);
    QBuffer png;
    png.open(QIODevice::WriteOnly);
    QImage(16, 16, QImage::Format_RGB888).save(&png, "PNG");
    QByteArray checksumWrong = png.data();
    checksumWrong.insert(33, QByteArray("\x00\x00\x00\x06tRNS\x00\x01\x00\x02\x00\x03\xDE\xAD\xBE\xEF", 18));
    Put(dir.filePath("trns.png"), checksumWrong);
    const Outcome run = Bash("exec " + kCli + " wide.jpg trns.png --out-dir o", dir.path());
    EXPECT_FALSE(run.err.contains("qt.") || run.err.contains("libpng")) << run.err.toStdString();
    for (const QString& line : run.err.split('\n', Qt::SkipEmptyParts))
        EXPECT_TRUE(line.startsWith("vorbix-cli: ")) << line.toStdString();
}

}  // namespace
}  // namespace vorbix
