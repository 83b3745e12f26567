#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>

#include "dither/methods.h"
#include "io/bmp_file.h"
#include "io/screen_file.h"
#include "pipeline/method_sheet.h"
#include "pipeline/session.h"

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

void WriteSmallBmp(const QString& path, ColourValue colour) {
    ASSERT_TRUE(WriteBmp24(path.toStdString(), Picture(40, 30, colour)).Ok());
}

template <std::size_t N>
Palette PaletteOf(const std::array<ColourValue, N>& swatches) {
    Palette palette;
    for (ColourValue c : swatches) palette.push_back(EntryFromColour(c));
    return palette;
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
    WriteSmallBmp(good1, MakeColour(255, 0, 0));
    WriteSmallBmp(good2, MakeColour(0, 0, 255));
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
    WriteSmallBmp(first, MakeColour(255, 0, 0));
    WriteSmallBmp(second, MakeColour(0, 255, 0));
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
        {Sample("landscape.jpg"), "--method", QString::number(kAllMethodCount + 1)},
        {Sample("landscape.jpg"), "--method", "Floyd Steinberg"},
        {Sample("landscape.jpg"), "--palette2", "000000"},
        {Sample("landscape.jpg"), "--palette4", "000000,FFFFFF,0000FF,GG0000"},
        {Sample("landscape.jpg"), "--palette2", "+FFFFF,000000"},
        {Sample("landscape.jpg"), "--palette2", "0x1234,000000"},
        {Sample("landscape.jpg"), "--palette2", "-00001,000000"},
        {Sample("landscape.jpg"), "--work", "screen.bin"},
        {Sample("landscape.jpg"), Sample("colour-chart.jpg"), "--sheet", "tim"},
        {Sample("landscape.jpg"), "--brightness", "101"},
        {Sample("landscape.jpg"), "--gamma", "x"},
        {Sample("landscape.jpg"), "--no-such-option"},
        {Sample("landscape.jpg"), "--refine", "0"},
        {Sample("landscape.jpg"), "--refine", "-1"},
        {Sample("landscape.jpg"), "--refine", "soon"},
        {Sample("landscape.jpg"), "--refine", "inf"},
        {Sample("landscape.jpg"), "--refine"},
        {Sample("landscape.jpg"), "--keep-shape", "crop"},
    };
    for (const QStringList& arguments : cases) {
        QTemporaryDir dir;
        const CliRun run = RunCli(arguments, dir.path());
        EXPECT_EQ(run.status, 2) << arguments.join(' ').toStdString();
        EXPECT_FALSE(run.err.isEmpty());
        EXPECT_FALSE(QFileInfo::exists(dir.filePath("screen.bin")));
    }
}

// Refining comes after the conversion and before saving: the files hold the refined screen, the
// save check finds the machine showing it as refined, and JSON reports the score it reached.
TEST(VorbixCli, RefineSavesTheRefinedScreenAndReportsItsScore) {
    QTemporaryDir plain, refined;
    const QStringList picture{Sample("landscape.jpg"), "--mode", "16", "--method", "Floyd", "--json"};
    const CliRun before = RunCli(picture + QStringList{"--out-dir", plain.path()});
    // Time enough to converge, however busy the machine.
    const CliRun after = RunCli(picture + QStringList{"--out-dir", refined.path(), "--refine", "60"});
    ASSERT_EQ(after.status, 0) << after.err.toStdString();
    EXPECT_FALSE(after.err.contains("differently")) << after.err.toStdString();
    const QJsonObject was = QJsonDocument::fromJson(before.out.toUtf8()).object();
    const QJsonObject is = QJsonDocument::fromJson(after.out.toUtf8()).object();
    const QJsonObject refine = is["refine"].toObject();
    EXPECT_EQ(refine["delta_e_before"].toDouble(), was["delta_e"].toDouble());
    EXPECT_EQ(refine["delta_e_after"].toDouble(), is["delta_e"].toDouble());
    EXPECT_LT(is["delta_e"].toDouble(), was["delta_e"].toDouble());
    EXPECT_GT(refine["seconds"].toDouble(), 0);
    EXPECT_TRUE(refine["converged"].toBool());
    QFile a(plain.filePath("screen.tim")), b(refined.filePath("screen.tim"));
    ASSERT_TRUE(a.open(QIODevice::ReadOnly) && b.open(QIODevice::ReadOnly));
    EXPECT_NE(a.readAll(), b.readAll());
    EXPECT_FALSE(was.contains("refine"));
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

TEST(VorbixCli, KeepShapeFitsBetweenBarsOrFillsAndCropsAsTheDocumentDoes) {
    QTemporaryDir dir;
    // White, 160 x 30: fitted it lies between black bars, filled it covers the screen.
    const Picture white(160, 30, MakeColour(255, 255, 255));
    const QString wide = dir.filePath("wide.bmp");
    ASSERT_TRUE(WriteBmp24(wide.toStdString(), white).Ok());
    const struct {
        const char* shape;
        QColor top;
    } cases[] = {{"fit", Qt::black}, {"fill", Qt::white}};
    for (const auto& c : cases) {
        const CliRun run = RunCli({wide, "--keep-shape", c.shape, "--out-dir", dir.path()});
        ASSERT_EQ(run.status, 0) << run.err.toStdString();
        EXPECT_EQ(QImage(dir.filePath("out24.bmp")).pixelColor(256, 0), c.top) << c.shape;
        Session session = Session::StartedWith({.keepShape = *KeepShapeNamed(c.shape)});
        session.Load(white);
        QFile tim(dir.filePath("screen.tim"));
        ASSERT_TRUE(tim.open(QIODevice::ReadOnly));
        const std::vector<std::uint8_t> expected = session.ScreenTimFileBytes();
        EXPECT_TRUE(tim.readAll() == QByteArray(reinterpret_cast<const char*>(expected.data()),
                                                static_cast<qsizetype>(expected.size())))
            << c.shape;
    }
}

QString WriteScreenBytes(const QString& path, const std::vector<std::uint8_t>& bytes) {
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<qint64>(bytes.size()));
    return path;
}

TEST(VorbixCli, RenderDrawsScreenFilesAsTheMachineShowsThem) {
    QTemporaryDir dir;
    ScreenImage image{};
    image[0] = 0xA6;  // Graphics 4: registers 1, 2, 3, 0
    image[64] = 0x88;  // Graphics 16: bright red, black; Graphics 2: pixels 0 and 4 on register 1
    const struct {
        const char* name;
        std::vector<std::uint8_t> bytes;
        QStringList options;
        std::vector<std::pair<QPoint, QColor>> pixels;  // at 512 x 480
    } cases[] = {
        {"4-colour .tim", ScreenTimBytes(TvcMode::Graphics4, image, PaletteOf(kDefaultSwatches4)), {},
         {{{0, 0}, QColor(255, 255, 255)}, {{3, 1}, QColor(0, 0, 255)}, {{5, 0}, QColor(255, 0, 0)}, {{7, 1}, Qt::black},
          {{0, 2}, QColor(255, 0, 0)}}},
        {"16-colour .bin", ScreenBinBytes(image), {},
         {{{0, 2}, QColor(255, 0, 0)}, {{3, 3}, QColor(255, 0, 0)}, {{4, 2}, Qt::black}, {{0, 0}, QColor(0, 255, 255)}, {{4, 0}, QColor(145, 0, 0)}}},
        {"2-colour .bin", ScreenBinBytes(image), {"--mode", "2", "--palette2", "000091,FFFF00"},
         {{{0, 2}, QColor(255, 255, 0)}, {{1, 2}, QColor(0, 0, 145)}, {{4, 3}, QColor(255, 255, 0)}, {{0, 0}, QColor(255, 255, 0)}}},
    };
    for (const auto& c : cases) {
        const QString screen = WriteScreenBytes(dir.filePath("screen"), c.bytes), png = dir.filePath(QString(c.name) + ".png");
        const CliRun run = RunCli(QStringList{"--render", screen, png} << c.options);
        ASSERT_EQ(run.status, 0) << c.name << ": " << run.err.toStdString();
        const QImage shown(png);
        ASSERT_EQ(shown.size(), QSize(512, 480)) << c.name;
        for (const auto& [at, colour] : c.pixels)
            EXPECT_EQ(shown.pixelColor(at).name(), colour.name()) << c.name << " at " << at.x() << ", " << at.y();
    }
}

TEST(VorbixCli, RenderRefusesWhatItCannotShow) {
    QTemporaryDir dir;
    const QString tim = WriteScreenBytes(dir.filePath("a.tim"), ScreenTimBytes(TvcMode::Graphics2, ScreenImage{}, PaletteOf(kDefaultSwatches2)));
    const QString shortFile = WriteScreenBytes(dir.filePath("short.bin"), std::vector<std::uint8_t>(100, 0));
    const QString out = dir.filePath("out.png");
    const struct {
        QStringList arguments;
        int status;
        const char* named;
    } cases[] = {
        {{"--render", dir.filePath("missing.tim"), out}, 1, "missing.tim: no such file"},
        {{"--render", shortFile, out}, 1, "short.bin"},
        {{"--render", tim, out, "--mode", "4"}, 2, "a.tim carries its own mode"},
        {{"--render", tim}, 2, "--render"},
        {{"--render", tim, dir.filePath("no/such/folder/out.png")}, 1, "out.png"},
    };
    for (const auto& c : cases) {
        const CliRun run = RunCli(c.arguments);
        EXPECT_EQ(run.status, c.status) << c.arguments.join(' ').toStdString();
        EXPECT_TRUE(run.err.contains(c.named)) << run.err.toStdString();
        EXPECT_FALSE(QFileInfo::exists(out));
    }
}

TEST(VorbixCli, SheetOfEveryMethodAndAWarningWhereTheMachineShowsOtherColours) {
    QTemporaryDir dir;
    const CliRun grey = RunCli({Sample("landscape.jpg"), "--out-dir", dir.path(), "--mode", "4", "--method", "3", "--palette4",
                                "000000,404040,0000FF,FF0000", "--sheet", dir.filePath("sheet.png"), "--sheet-scale", "4", "--json"});
    ASSERT_EQ(grey.status, 0) << grey.err.toStdString();
    EXPECT_EQ(QImage(dir.filePath("sheet.png")).size(), QSize(SheetLayout(4).Width(), SheetLayout(4).Height(kAllMethodCount)));
    EXPECT_TRUE(grey.err.contains("warning: " + dir.filePath("screen.tim") + ": the TVC shows ")) << grey.err.toStdString();
    EXPECT_TRUE(grey.err.contains("(64, 64, 64) as (145, 145, 145)")) << grey.err.toStdString();
    const QJsonObject json = QJsonDocument::fromJson(grey.out.toUtf8()).object();
    EXPECT_TRUE(json["files"].toArray().contains(dir.filePath("sheet.png")));
    EXPECT_TRUE(json["warning"].toString().contains("(64, 64, 64)"));

    WriteSmallBmp(dir.filePath("red.bmp"), MakeColour(255, 0, 0));
    WriteSmallBmp(dir.filePath("blue.bmp"), MakeColour(0, 0, 255));
    const CliRun two = RunCli({dir.filePath("red.bmp"), dir.filePath("blue.bmp"), "--out-dir", dir.filePath("out"), "--sheet",
                               dir.filePath("out/methods.png")});
    ASSERT_EQ(two.status, 0) << two.err.toStdString();
    EXPECT_EQ(two.err, "") << "TVC colours only: nothing to warn about";
    for (const char* name : {"red", "blue"})
        EXPECT_EQ(QImage(dir.filePath(QString("out/%1.methods.png").arg(name))).size(),
                  QSize(SheetLayout().Width(), SheetLayout().Height(kAllMethodCount)))
            << name;
}

}  // namespace
}  // namespace vorbix
